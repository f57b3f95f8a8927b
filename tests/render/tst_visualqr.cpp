// The visual renderer: its template pictures, where they land on the canvas,
// the framed code on backgrounds, the output cases and decoding of every eye
// design and tile set back to the text. Each test works in its own directory.
#include "helpers.h"
#include "rasteroutput.h"
#include "rendersupport.h"
#include "visualqr.h"

#include <QImageReader>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

using namespace TestSupport;

namespace {

const QString kFolder = QStringLiteral(":/images/visual/images/visual/");

// The pictures each `xt` and `xtItem` must use, by file name.
const char *const kEyes[] = {"350.png",   "350_2.png",  "350_3.png",  "350_4.png",  "350_5.png", "350_6.png",
                             "350_9.png", "350_10.png", "350_11.png", "350_12.png", "350_13.png"};
const char *const kAlignments[] = {"250.png",   "250_2.png",  "250_3.png",  "250_4.png", "250.png", "250.png",
                                   "250_9.png", "250_10.png", "250_11.png", "250.png",   "250.png"};
const char *const kDarkTiles[] = {"50_12_1.png", "50_10_1.png", "50_11_1.png"};
const char *const kLightTiles[] = {"50_12_0.png", "50_10_0.png", "50_11_0.png"};

QImage templ(const QString &name)
{
    return QImage(kFolder + name).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// True when the block of `image` at (left, top) holds `picture` (premultiplied
// channels within one step, for the round trip through PNG).
bool holds(const QImage &image, int left, int top, const QImage &picture)
{
    if (left < 0 || top < 0 || left + picture.width() > image.width() || top + picture.height() > image.height())
        return false;
    for (int y = 0; y < picture.height(); ++y) {
        const QRgb *a = reinterpret_cast<const QRgb *>(image.constScanLine(top + y)) + left;
        const QRgb *b = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            if (qAbs(qAlpha(a[x]) - qAlpha(b[x])) > 1 || qAbs(qRed(a[x]) - qRed(b[x])) > 1
                || qAbs(qGreen(a[x]) - qGreen(b[x])) > 1 || qAbs(qBlue(a[x]) - qBlue(b[x])) > 1)
                return false;
        }
    }
    return true;
}

// Module positions (in modules) at which `picture` lands on a 50-pixel canvas, row by row.
QList<QPoint> placesOf(const QImage &canvas, const QImage &picture)
{
    QList<QPoint> places;
    for (int y = 0; y * 50 < canvas.height(); ++y)
        for (int x = 0; x * 50 < canvas.width(); ++x)
            if (holds(canvas, 50 * x, 50 * y, picture))
                places.append(QPoint(x, y));
    return places;
}

QImage premultiplied(visualQr &qr, const QString &path)
{
    return render(qr, path).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A pale background with some structure, so the translucent parts show.
QImage paleBackground(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(215 + x % 40, 225 + (y / 3) % 30, 240 - (x + y) % 35));
    return image;
}

// The picture over a checkerboard, to show its transparency.
void drawOnChecker(QPainter &painter, const QRect &rect, const QImage &picture)
{
    for (int y = rect.top(); y < rect.bottom(); y += 25)
        for (int x = rect.left(); x < rect.right(); x += 25)
            painter.fillRect(QRect(x, y, 25, 25).intersected(rect),
                             ((x - rect.left()) / 25 + (y - rect.top()) / 25) % 2 ? QColor("#d8e4f0") : QColor("#b8c8d8"));
    painter.drawImage(rect, picture);
}

} // namespace

class TestVisualQr : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void templatePictures()
    {
        visualQr qr; // registers the built-in pictures
        QVERIFY(qr.size == 300 && qr.level == 2 && qr.xt == 0 && qr.xtItem == 0 && !qr.isCode);
        QStringList problems;
        auto check = [&](const QString &name, bool ok, const QString &what) {
            if (!ok)
                problems.append(name + ": " + what);
        };
        // Eyes of 350 and alignment pictures of 250 pixels: along the middle a
        // dark ring, a light ring and a dark centre, all translucent; the round
        // designs leave their corners transparent.
        QSet<QString> patterns;
        for (int xt = 0; xt < 11; ++xt)
            patterns << kEyes[xt] << kAlignments[xt];
        QCOMPARE(patterns.size(), 18);
        const QRgb dark = qRgba(0, 0, 0, 179), light = qRgba(255, 255, 255, 179);
        for (const QString &name : patterns) {
            QImageReader reader(kFolder + name);
            const int side = name.startsWith("350") ? 350 : 250, mid = side / 2;
            check(name, reader.format() == "png" && reader.size() == QSize(side, side), "not a PNG of its size");
            const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
            check(name, image.pixel(25, mid) == dark && image.pixel(side - 25, mid) == dark && image.pixel(mid, mid) == dark
                            && image.pixel(75, mid) == light && image.pixel(mid, side - 75) == light,
                  "rings not black, white, black at alpha 179");
            if (QRegularExpression("^\\d+_(3|4|11)\\.png$").match(name).hasMatch())
                check(name, image.pixel(3, 3) == 0, "corner not transparent");
        }
        // Tiles: black or white over a ground at alpha 26, with an opaque
        // star, square or disc about 20 pixels across in the middle.
        for (int t = 0; t < 6; ++t) {
            const QString name = t < 3 ? kDarkTiles[t] : kLightTiles[t - 3];
            const QImage tile = QImage(kFolder + name).convertToFormat(QImage::Format_ARGB32);
            int opaque = 0, stray = 0;
            for (int p = 0; p < tile.width() * tile.height(); ++p) {
                const QRgb px = tile.pixel(p % tile.width(), p / tile.width());
                opaque += qAlpha(px) == 255;
                stray += (px & 0xffffff) != (t < 3 ? 0u : 0xffffffu) || qAlpha(px) < 26;
            }
            check(name, tile.size() == QSize(50, 50) && stray == 0 && qAlpha(tile.pixel(0, 0)) == 26 && opaque > 120 && opaque < 700,
                  QStringLiteral("%1 stray and %2 opaque pixels").arg(stray).arg(opaque));
        }
        // The frame for backgrounds: a translucent white band, open in the
        // middle of each side and inside.
        const QImage frame = QImage(kFolder + "bgborder-x2.png").convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(frame.size(), QSize(1150, 1150));
        for (QPoint p : {QPoint(25, 200), QPoint(200, 25), QPoint(1125, 200), QPoint(950, 1125), QPoint(25, 25), QPoint(1125, 1125)})
            check("frame", frame.pixel(p) == qRgba(255, 255, 255, 131), QStringLiteral("no band at %1,%2").arg(p.x()).arg(p.y()));
        for (QPoint p : {QPoint(25, 575), QPoint(575, 25), QPoint(1125, 575), QPoint(575, 1125), QPoint(60, 60), QPoint(575, 575)})
            check("frame", qAlpha(frame.pixel(p)) == 0, QStringLiteral("not open at %1,%2").arg(p.x()).arg(p.y()));
        for (const QString &problem : problems)
            qWarning("%s", qPrintable(problem)); // each on its own line: a long message would be cut
        QVERIFY(problems.isEmpty());

        // A contact sheet of every eye with its alignment picture, and the tile
        // sets as 5 by 5 checkers on a mid grey and on white.
        QImage sheet(4 * 640 + 20, 4 * 420 + 20, QImage::Format_ARGB32_Premultiplied);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        QFont font;
        font.setPixelSize(22);
        painter.setFont(font);
        for (int xt = 0; xt < 11; ++xt) {
            const QPoint at(20 + (xt % 4) * 640, 20 + (xt / 4) * 420);
            drawOnChecker(painter, QRect(at, QSize(350, 350)), QImage(kFolder + kEyes[xt]));
            drawOnChecker(painter, QRect(at + QPoint(360, 100), QSize(250, 250)), QImage(kFolder + kAlignments[xt]));
            painter.drawText(at + QPoint(0, 380), QStringLiteral("xt %1: %2 + %3").arg(xt).arg(kEyes[xt], kAlignments[xt]));
        }
        for (int set = 0; set < 3; ++set) {
            const QPoint at(20 + 3 * 640, 20 + 2 * 420 + set * 280);
            for (int half = 0; half < 2; ++half) {
                const QRect area(at + QPoint(half * 300, 0), QSize(250, 250));
                painter.fillRect(area, half ? QColor(Qt::white) : QColor("#8090a0"));
                for (int i = 0; i < 25; ++i)
                    painter.drawImage(area.topLeft() + QPoint(50 * (i % 5), 50 * (i / 5)),
                                      QImage(kFolder + ((i % 2) ? kLightTiles[set] : kDarkTiles[set])));
            }
            painter.drawText(at + QPoint(0, 272), QStringLiteral("xtItem %1: %2 / %3").arg(set).arg(kDarkTiles[set], kLightTiles[set]));
        }
        painter.end();
        saveToGallery("visual_contact_sheet", sheet);
    }

    void canvasGeometry()
    {
        // At 50 pixels a module the output is the canvas itself: version 2 (25
        // modules) at size 1250. Every module outside the finder and alignment
        // areas is its tile, separators, timing and format modules included.
        const Symbol symbol("geometry", 2, 0);
        for (int xt = 0; xt < 11; ++xt) {
            visualQr qr;
            setSymbol(qr, "geometry", 2, 0, 1250).xt = xt;
            qr.xtItem = xt % 3;
            const QImage canvas = premultiplied(qr, "geo.png");
            QCOMPARE(canvas.size(), QSize(1250, 1250));
            if (xt == 4)
                saveToGallery("visual_canvas_xt4", canvas);
            QCOMPARE(placesOf(canvas, templ(kEyes[xt])), (QList<QPoint>{{0, 0}, {18, 0}, {0, 18}}));
            QCOMPARE(placesOf(canvas, templ(kAlignments[xt])), QList<QPoint>{QPoint(16, 16)});
            const QImage dark = templ(kDarkTiles[xt % 3]), light = templ(kLightTiles[xt % 3]);
            int wrong = 0, tiles = 0;
            for (int y = 0; y < 25; ++y) {
                for (int x = 0; x < 25; ++x) {
                    if (symbol.grid.finderArea(x, y, 7) != QrGrid::NoCorner || symbol.grid.inAlignmentArea(x, y))
                        continue;
                    ++tiles;
                    wrong += !holds(canvas, 50 * x, 50 * y, symbol.grid.dark(x, y) ? dark : light);
                }
            }
            QCOMPARE(tiles, 25 * 25 - 3 * 49 - 25);
            QVERIFY2(wrong == 0, qPrintable(QStringLiteral("xt %1: %2 modules without their tile").arg(xt).arg(wrong)));
        }

        // Version 7: six alignment pictures, none at (6, 38) or (38, 6); version 1: none.
        visualQr v7;
        setSymbol(v7, "alignment", 7, 0, 2250).xt = 6;
        const QImage big = premultiplied(v7, "v7.png");
        QCOMPARE(placesOf(big, templ("250_9.png")), (QList<QPoint>{{20, 4}, {4, 20}, {20, 20}, {36, 20}, {20, 36}, {36, 36}}));
        QCOMPARE(placesOf(big, templ("350_9.png")), (QList<QPoint>{{0, 0}, {38, 0}, {0, 38}}));
        saveToGallery("visual_v7_xt6", big.scaled(900, 900, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        visualQr v1;
        const QImage small = premultiplied(setSymbol(v1, "v1", 1, 2, 1050), "v1.png");
        QCOMPARE(placesOf(small, templ("250.png")), QList<QPoint>());
        QCOMPARE(placesOf(small, templ("350.png")), (QList<QPoint>{{0, 0}, {14, 0}, {0, 14}}));
        // Any other size is the same canvas scaled.
        v1.size = 300;
        QVERIFY(holds(premultiplied(v1, "v1_300.png"), 0, 0, small.scaled(300, 300, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }

    void outputSizesAndCaption()
    {
        // A caption band on a transparent ground; none for a caption flag
        // without text, or a text without the flag.
        visualQr qr;
        setCaption(setSymbol(qr, "caption"), QStringLiteral("视觉 caption"), QColor("#b00000")).xt = 2;
        qr.xtItem = 2;
        QImage image = render(qr, "caption.png");
        QCOMPARE(checkCaption(image, 300, qr.codeColor), QString());
        QCOMPARE(checkDecodes(image, "caption"), QString());
        saveToGallery("visual_caption", RasterOutput::flattenOntoWhite(image));
        qr.codeStr.clear();
        QCOMPARE(render(qr, "noband1.png").size(), QSize(300, 300));
        qr.isCode = false;
        qr.codeStr = "text";
        qr.size = 420;
        QCOMPARE(render(qr, "noband2.png").size(), QSize(420, 420));
        // JPEG has no alpha: the corners outside the round eyes, transparent in
        // a PNG, come out white.
        qr.size = 300;
        QCOMPARE(qAlpha(render(qr, "out.png").pixel(1, 1)), 0);
        image = render(qr, "out.jpg");
        QVERIFY(sameColor(image.pixel(1, 1), Qt::white, 15));
        QCOMPARE(checkDecodes(image, "caption"), QString());
    }

    void framedOnBackground()
    {
        // Size 1150 keeps the frame at its own scale: the version 1 canvas (1050)
        // sits at (50, 50) inside it, and the framed code at (bgX, bgY).
        const QColor ground("#406890");
        QVERIFY(writeSolid("bg.png", QSize(1400, 1300), ground));
        visualQr qr;
        setSymbol(qr, "framed", 1, 2, 1050).xt = 8;
        const QImage canvas = premultiplied(qr, "canvas.png");
        setBackground(qr, "bg.png", 120, 90).size = 1150;
        const QImage image = premultiplied(qr, "framed.png");
        QImage expected(1400, 1300, QImage::Format_ARGB32_Premultiplied);
        expected.fill(ground);
        QPainter painter(&expected);
        painter.drawImage(120, 90, QImage(kFolder + "bgborder-x2.png"));
        painter.drawImage(170, 140, canvas);
        painter.end();
        QVERIFY(image.size() == expected.size() && holds(image, 0, 0, expected));
        saveToGallery("visual_framed_on_dark", image);

        // Other sizes scale the framed picture, which still decodes; a JPEG
        // background gives a JPEG.
        QVERIFY(paleBackground(QSize(520, 480)).save("pale.jpg"));
        visualQr small;
        setCaption(setBackground(setSymbol(small, "on a pale ground", 0, 2, 380), "pale.jpg", 70, 40), "framed").xt = 1;
        small.xtItem = 1;
        QVERIFY(small.create("small.jpg"));
        QCOMPARE(QImageReader("small.jpg").format(), QByteArray("jpeg"));
        const QImage out = loadFirst("small.jpg");
        QCOMPARE(out.size(), QSize(520, 480));
        QCOMPARE(checkDecodes(out, "on a pale ground"), QString());
        saveToGallery("visual_framed_small", out);
        // A missing file means no background: no frame either.
        small.bgImg = "missing.png";
        const QImage missing = render(small, "missing_out.png");
        small.bgImg.clear();
        QCOMPARE(missing.size(), QSize(380, 408));
        QCOMPARE(missing, render(small, "none_out.png"));
    }

    void decodesEveryDesign()
    {
        // Every eye design with every tile set, alone and framed on a
        // background; then a longer Chinese text in a larger symbol.
        QVERIFY(paleBackground(QSize(480, 460)).save("pale.png"));
        QStringList problems;
        const auto check = [&](visualQr &qr, const QString &name, const QSize &size) {
            const QImage image = render(qr, name + ".png");
            if (image.size() != size)
                problems.append(name + ": not written at its size");
            saveToGallery(name, qr.bgImg.isEmpty() ? RasterOutput::flattenOntoWhite(image) : image);
            const QString problem = checkDecodes(image, QString::fromUtf8(qr.content));
            if (!problem.isEmpty())
                problems.append(name + ": " + problem);
        };
        for (int look = 0; look < 66; ++look) {
            const int xt = look / 6, item = look / 2 % 3;
            const bool framed = look % 2;
            visualQr qr;
            setSymbol(qr, QStringLiteral("Visual %1-%2 %3").arg(xt).arg(item).arg(framed ? "bg" : "plain").toLatin1()).xt = xt;
            qr.xtItem = item;
            if (framed)
                setBackground(qr, "pale.png", 40, 30).size = 400;
            check(qr, QStringLiteral("visual_xt%1_item%2%3").arg(xt).arg(item).arg(framed ? "_bg" : ""),
                  framed ? QSize(480, 460) : QSize(300, 300));
        }
        for (int xt : {0, 7, 10}) {
            visualQr qr;
            setSymbol(qr, QStringLiteral("视觉样式二维码：星形、正方形与圆形码点，十一种码眼").toUtf8(), 0, 2, 500).xt = xt;
            qr.xtItem = xt % 3;
            check(qr, QStringLiteral("visual_chinese_xt%1").arg(xt), QSize(500, 500));
        }
        for (const QString &problem : problems)
            qWarning("%s", qPrintable(problem)); // each on its own line: a long message would be cut
        QVERIFY2(problems.isEmpty(), qPrintable(QStringLiteral("%1 renders failed").arg(problems.size())));
    }

    void animatedBackground()
    {
        QVERIFY(writeAnimatedBackground("anim.gif", QSize(460, 440), {100, 250, 400}));
        visualQr qr;
        setCaption(setBackground(setSymbol(qr, "animated visual", 0, 2, 400), "anim.gif", 30, 10), "animated").xt = 3;
        QVERIFY(qr.create("anim_out.gif"));
        QCOMPARE(checkAnimation("anim_out.gif", QSize(460, 440), {100, 250, 400}, "animated visual", "visual_animated"), QString());
        // The background changes between frames, under the open middle of the frame band.
        const GifRecord gif = readGif("anim_out.gif");
        QVERIFY(gif.frames.at(0).image.pixel(30 + 200, 12) != gif.frames.at(1).image.pixel(30 + 200, 12));
    }

    void failures()
    {
        // Eye designs and tile sets outside the lists: false, and no file.
        const QList<QPair<int, int>> choices = {{-1, 0}, {11, 0}, {0, -1}, {0, 3}, {40, 7}, {10, 2}};
        for (const auto &choice : choices) {
            visualQr qr;
            setSymbol(qr, "outside").xt = choice.first;
            qr.xtItem = choice.second;
            const bool inside = choice == qMakePair(10, 2);
            QVERIFY2(qr.create("choice.png") == inside, qPrintable(QStringLiteral("xt %1 xtItem %2").arg(choice.first).arg(choice.second)));
            QCOMPARE(QFile::remove("choice.png"), inside);
        }
        QCOMPARE(checkFailures<visualQr>(), QString());
        // Templates that cannot be loaded end the call before anything is written.
        visualQr withoutTemplates;
        Q_CLEANUP_RESOURCE(visual);
        QVERIFY(!QFile::exists(kFolder + "50_12_1.png"));
        const bool created = withoutTemplates.create("notemplates.png");
        Q_INIT_RESOURCE(visual);
        QVERIFY(!created && !QFile::exists("notemplates.png"));
        QVERIFY(withoutTemplates.create("notemplates.png"));
    }

    void runsOnWorkerThread()
    {
        QCOMPARE(checkOnWorkerThread<visualQr>([](visualQr &qr) {
            qr.xt = 9;
            qr.xtItem = 1;
        }), QString());
    }

private:
    TestCwd m_cwd;
};

QTEST_MAIN(TestVisualQr)
#include "tst_visualqr.moc"
