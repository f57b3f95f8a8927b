// The visual renderer: its template pictures, where they land on the canvas,
// the framed code on backgrounds, the output cases and decoding of every eye
// design and tile set back to the text.
#include "gifimage.h"
#include "helpers.h"
#include "qrsymbol.h"
#include "rasteroutput.h"
#include "testsupport.h"
#include "visualqr.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QThread>
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

QImage loadFirst(const QString &path)
{
    QImageReader reader(path);
    return reader.read();
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

// Module positions (in modules) at which `picture` lands on a 50-pixel canvas.
QList<QPoint> placesOf(const QImage &canvas, const QImage &picture)
{
    QList<QPoint> places;
    for (int y = 0; y * 50 < canvas.height(); ++y)
        for (int x = 0; x * 50 < canvas.width(); ++x)
            if (holds(canvas, 50 * x, 50 * y, picture))
                places.append(QPoint(x, y));
    return places;
}

struct Symbol
{
    explicit Symbol(const QByteArray &text, int version = 0, int level = 2)
        : content(text), holder(encodeQrContent(content, version, level, 2, true)), grid(holder.get())
    {
    }
    QByteArray content;
    QrSymbolHolder holder;
    QrGrid grid;
};

QImage render(visualQr &qr, const QString &path)
{
    if (!qr.create(path))
        return QImage();
    return loadFirst(path).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A pale background with some structure, so the translucent parts show.
QImage paleBackground(const QSize &size, int shift = 0)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(215 + (x + shift) % 40, 225 + (y / 3) % 30, 240 - (x + y + shift) % 35));
    return image;
}

// Frames in a few flat colours, as animated GIFs usually are: the writer then
// keeps every colour instead of dithering a gradient.
void writeAnimatedBackground(const QString &path, const QSize &size, const QList<int> &delays)
{
    GifImage gif(size);
    gif.setLoopCount(0);
    const QColor colors[] = {QColor("#fbe6c8"), QColor("#d4ecfa"), QColor("#dcf8d2")};
    for (int i = 0; i < delays.size(); ++i) {
        QImage frame(size, QImage::Format_RGB32);
        frame.fill(colors[i % 3]);
        QPainter painter(&frame);
        painter.setPen(QPen(QColor("#f0a060"), 14));
        painter.drawLine(0, 40 * i, size.width(), size.height() - 40 * i);
        painter.end();
        gif.addFrame(frame, QPoint(0, 0), delays.at(i));
    }
    QVERIFY(gif.save(path));
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

    void templatePictures();
    void canvasGeometry();
    void outputSizesAndCaption();
    void framedOnBackground();
    void decodesEveryDesign();
    void animatedBackground();
    void failures();
    void runsOnWorkerThread();

private:
    TestCwd m_cwd;
};

void TestVisualQr::templatePictures()
{
    visualQr qr; // registers the built-in pictures
    QCOMPARE(qr.caseSensitive, true);
    QCOMPARE(qr.margin, 10);
    QCOMPARE(qr.hint, 2);
    QCOMPARE(qr.level, 2);
    QCOMPARE(qr.size, 300);
    QCOMPARE(qr.version, 0);
    QCOMPARE(qr.xt, 0);
    QCOMPARE(qr.xtItem, 0);
    QCOMPARE(qr.isCode, false);
    QCOMPARE(qr.codeFontSize, 14);
    QCOMPARE(qr.codeSpac, 2);
    QCOMPARE(qr.codeColor, QColor("#000000"));

    QStringList problems;
    auto check = [&](const QString &name, bool ok, const QString &what) {
        if (!ok)
            problems.append(name + ": " + what);
    };
    QStringList patterns;
    for (const char *name : kEyes)
        patterns.append(QString::fromLatin1(name));
    for (const char *name : kAlignments)
        if (!patterns.contains(QString::fromLatin1(name)))
            patterns.append(QString::fromLatin1(name));
    QCOMPARE(patterns.size(), 18);
    for (const QString &name : patterns) {
        QImageReader reader(kFolder + name);
        check(name, reader.format() == "png", "not a PNG");
        const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
        const int side = name.startsWith("350") ? 350 : 250;
        check(name, image.size() == QSize(side, side), "wrong size");
        if (image.size() != QSize(side, side))
            continue;
        check(name, image.hasAlphaChannel(), "no alpha channel");
        // Along the middle row: dark ring, light ring, dark centre, all at alpha 179.
        const int mid = side / 2;
        const QRgb ring = image.pixel(25, mid), gap = image.pixel(75, mid), centre = image.pixel(mid, mid);
        const QRgb ringRight = image.pixel(side - 25, mid), gapBelow = image.pixel(mid, side - 75);
        check(name, ring == qRgba(0, 0, 0, 179) && ringRight == qRgba(0, 0, 0, 179), "outer ring not black at 179");
        check(name, gap == qRgba(255, 255, 255, 179) && gapBelow == qRgba(255, 255, 255, 179),
              "light ring not white at 179");
        check(name, centre == qRgba(0, 0, 0, 179), "centre not black at 179");
        int maxAlpha = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                maxAlpha = qMax(maxAlpha, qAlpha(image.pixel(x, y)));
        check(name, maxAlpha == 179, "alpha above 179");
    }
    // Round designs leave their corners transparent.
    for (const char *name : {"350_3.png", "350_4.png", "350_11.png", "250_3.png", "250_4.png", "250_11.png"})
        check(name, QImage(kFolder + name).pixel(3, 3) == qRgba(0, 0, 0, 0), "corner not transparent");

    for (int set = 0; set < 3; ++set) {
        for (const char *name : {kDarkTiles[set], kLightTiles[set]}) {
            const QImage tile = QImage(kFolder + name).convertToFormat(QImage::Format_ARGB32);
            check(name, tile.size() == QSize(50, 50), "wrong size");
            if (tile.size() != QSize(50, 50))
                continue;
            const int c = QByteArray(name).endsWith("_1.png") ? 0 : 255;
            bool uniform = true;
            int opaque = 0;
            for (int y = 0; y < 50; ++y) {
                for (int x = 0; x < 50; ++x) {
                    const QRgb p = tile.pixel(x, y);
                    uniform = uniform && qRed(p) == c && qGreen(p) == c && qBlue(p) == c && qAlpha(p) >= 26;
                    opaque += qAlpha(p) == 255;
                }
            }
            check(name, uniform, "not one colour, or a ground below alpha 26");
            check(name, qAlpha(tile.pixel(0, 0)) == 26 && qAlpha(tile.pixel(49, 49)) == 26, "ground not at alpha 26");
            check(name, qAlpha(tile.pixel(25, 25)) == 255 && qAlpha(tile.pixel(24, 24)) == 255, "centre not opaque");
            // Star 37 across, square of 21, disc of 22: opaque from 15 to 34 on the middle row.
            check(name, qAlpha(tile.pixel(15, 25)) == 255 && qAlpha(tile.pixel(34, 25)) == 255, "shape too small");
            check(name, qAlpha(tile.pixel(5, 25)) == 26 && qAlpha(tile.pixel(44, 25)) == 26, "shape too large");
            check(name, opaque > 120 && opaque < 700, QStringLiteral("%1 opaque pixels").arg(opaque));
        }
    }

    const QImage frame = QImage(kFolder + "bgborder-x2.png").convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(frame.size(), QSize(1150, 1150));
    const QRgb band = qRgba(255, 255, 255, 131);
    for (QPoint p : {QPoint(25, 200), QPoint(200, 25), QPoint(1125, 200), QPoint(950, 1125), QPoint(25, 1000),
                     QPoint(1000, 25), QPoint(25, 25), QPoint(1125, 1125)})
        check("frame", frame.pixel(p) == band, QStringLiteral("no band at %1,%2").arg(p.x()).arg(p.y()));
    for (QPoint p : {QPoint(25, 575), QPoint(575, 25), QPoint(1125, 575), QPoint(575, 1125), QPoint(25, 420),
                     QPoint(25, 735), QPoint(60, 60), QPoint(575, 575), QPoint(1089, 1089)})
        check("frame", qAlpha(frame.pixel(p)) == 0, QStringLiteral("not open at %1,%2").arg(p.x()).arg(p.y()));
    for (const QString &problem : problems)
        qWarning("%s", qPrintable(problem));
    QVERIFY(problems.isEmpty());

    // A contact sheet of every eye with its alignment picture, and the tile sets.
    QImage sheet(4 * 640 + 20, 4 * 420 + 20, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QFont font;
    font.setPixelSize(22);
    painter.setFont(font);
    for (int xt = 0; xt < 11; ++xt) {
        const QPoint at(20 + (xt % 4) * 640, 20 + (xt / 4) * 420);
        drawOnChecker(painter, QRect(at, QSize(350, 350)), QImage(kFolder + kEyes[xt]));
        drawOnChecker(painter, QRect(at + QPoint(360, 100), QSize(250, 250)), QImage(kFolder + kAlignments[xt]));
        painter.setPen(Qt::black);
        painter.drawText(at + QPoint(0, 380), QStringLiteral("xt %1: %2 + %3").arg(xt).arg(kEyes[xt], kAlignments[xt]));
    }
    for (int set = 0; set < 3; ++set) {
        // A 5 by 5 checker of dark and light tiles on a mid grey, then on white.
        const QPoint at(20 + 3 * 640, 20 + 2 * 420 + set * 280);
        for (int half = 0; half < 2; ++half) {
            const QRect area(at + QPoint(half * 300, 0), QSize(250, 250));
            painter.fillRect(area, half ? QColor(Qt::white) : QColor("#8090a0"));
            for (int i = 0; i < 25; ++i)
                painter.drawImage(area.topLeft() + QPoint(50 * (i % 5), 50 * (i / 5)),
                                  QImage(kFolder + ((i % 2) ? kLightTiles[set] : kDarkTiles[set])));
        }
        painter.setPen(Qt::black);
        painter.drawText(at + QPoint(0, 272), QStringLiteral("xtItem %1: %2 / %3").arg(set).arg(kDarkTiles[set], kLightTiles[set]));
    }
    painter.end();
    saveToGallery("visual_contact_sheet", sheet);
}

void TestVisualQr::canvasGeometry()
{
    // At 50 pixels a module the output is the canvas itself: version 2 (25
    // modules) at size 1250.
    for (int xt = 0; xt < 11; ++xt) {
        visualQr qr;
        qr.content = "geometry";
        qr.version = 2;
        qr.level = 0;
        qr.size = 1250;
        qr.xt = xt;
        qr.xtItem = xt % 3;
        const QImage canvas = render(qr, m_cwd.file("geo.png"));
        QCOMPARE(canvas.size(), QSize(1250, 1250));
        if (xt == 4)
            saveToGallery("visual_canvas_xt4", canvas);
        const QImage eye = templ(kEyes[xt]);
        const QImage alignment = templ(kAlignments[xt]);
        QCOMPARE(placesOf(canvas, eye), (QList<QPoint>{{0, 0}, {18, 0}, {0, 18}}));
        QCOMPARE(placesOf(canvas, alignment), QList<QPoint>{QPoint(16, 16)});

        // Every module outside the finder and alignment areas is its tile,
        // separators, timing and format modules included.
        const QImage dark = templ(kDarkTiles[xt % 3]);
        const QImage light = templ(kLightTiles[xt % 3]);
        Symbol symbol("geometry", 2, 0);
        QCOMPARE(symbol.grid.width(), 25);
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
    v7.content = "alignment";
    v7.version = 7;
    v7.level = 0;
    v7.size = 2250;
    v7.xt = 6;
    const QImage big = render(v7, m_cwd.file("v7.png"));
    QCOMPARE(big.size(), QSize(2250, 2250));
    QList<QPoint> places = placesOf(big, templ("250_9.png"));
    std::sort(places.begin(), places.end(), [](QPoint a, QPoint b) { return qMakePair(a.y(), a.x()) < qMakePair(b.y(), b.x()); });
    QCOMPARE(places, (QList<QPoint>{{20, 4}, {4, 20}, {20, 20}, {36, 20}, {20, 36}, {36, 36}}));
    QCOMPARE(placesOf(big, templ("350_9.png")), (QList<QPoint>{{0, 0}, {38, 0}, {0, 38}}));
    saveToGallery("visual_v7_xt6", big.scaled(900, 900, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    visualQr v1;
    v1.content = "v1";
    v1.version = 1;
    v1.size = 1050;
    const QImage small = render(v1, m_cwd.file("v1.png"));
    QCOMPARE(small.size(), QSize(1050, 1050));
    QCOMPARE(placesOf(small, templ("250.png")), QList<QPoint>());
    QCOMPARE(placesOf(small, templ("350.png")), (QList<QPoint>{{0, 0}, {14, 0}, {0, 14}}));

    // Any other size is the same canvas scaled.
    v1.size = 300;
    const QImage scaled = render(v1, m_cwd.file("v1_300.png"));
    QCOMPARE(scaled.size(), QSize(300, 300));
    const QImage expected = small.scaled(300, 300, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QVERIFY(holds(scaled, 0, 0, expected));
}

void TestVisualQr::outputSizesAndCaption()
{
    // An empty content encodes the site address and keeps it.
    visualQr empty;
    QImage image = render(empty, m_cwd.file("empty.png"));
    QCOMPARE(empty.content, QByteArray(kProductSite));
    QCOMPARE(image.size(), QSize(300, 300));
    QCOMPARE(checkDecodes(image, QString::fromLatin1(kProductSite)), QString());

    visualQr qr;
    qr.content = "caption";
    qr.xt = 2;
    qr.xtItem = 2;
    qr.isCode = true;
    qr.codeStr = QStringLiteral("视觉 caption");
    qr.codeColor = QColor("#b00000");
    image = render(qr, m_cwd.file("caption.png"));
    QCOMPARE(image.size(), QSize(300, 328));
    int captionPixels = 0;
    for (int y = 300; y < 328; ++y)
        for (int x = 0; x < 300; ++x)
            captionPixels += qAlpha(image.pixel(x, y)) > 100 && qRed(image.pixel(x, y)) > 60 && qGreen(image.pixel(x, y)) < 40;
    QVERIFY2(captionPixels > 30, "no caption text in the band");
    QCOMPARE(qAlpha(image.pixel(2, 326)), 0);   // the band's ground stays transparent
    QCOMPARE(qAlpha(image.pixel(297, 302)), 0);
    QCOMPARE(checkDecodes(image, "caption"), QString());
    saveToGallery("visual_caption", RasterOutput::flattenOntoWhite(image));

    // A caption flag without text, or a text without the flag: no band.
    qr.codeStr.clear();
    QCOMPARE(render(qr, m_cwd.file("noband1.png")).size(), QSize(300, 300));
    qr.isCode = false;
    qr.codeStr = "text";
    qr.size = 420;
    QCOMPARE(render(qr, m_cwd.file("noband2.png")).size(), QSize(420, 420));

    // JPEG has no alpha: the corners outside the round eyes, transparent in
    // a PNG, come out white.
    qr.size = 300;
    QCOMPARE(qAlpha(render(qr, m_cwd.file("out.png")).pixel(1, 1)), 0);
    QVERIFY(qr.create(m_cwd.file("out.jpg")));
    image = loadFirst(m_cwd.file("out.jpg"));
    QCOMPARE(image.size(), QSize(300, 300));
    QVERIFY(qRed(image.pixel(1, 1)) > 240 && qBlue(image.pixel(1, 1)) > 240);
    QCOMPARE(checkDecodes(image, "caption"), QString());
}

void TestVisualQr::framedOnBackground()
{
    const QColor ground("#406890");
    QImage background(1400, 1300, QImage::Format_RGB32);
    background.fill(ground);
    QVERIFY(background.save(m_cwd.file("bg.png")));

    // Size 1150 keeps the frame at its own scale: the version 1 canvas (1050)
    // sits at (50, 50) inside it, and the framed code at (bgX, bgY).
    visualQr plain;
    plain.content = "framed";
    plain.version = 1;
    plain.size = 1050;
    plain.xt = 8;
    const QImage canvas = render(plain, m_cwd.file("canvas.png"));
    QCOMPARE(canvas.size(), QSize(1050, 1050));

    visualQr qr = plain;
    qr.size = 1150;
    qr.bgImg = m_cwd.file("bg.png");
    qr.bgX = 120;
    qr.bgY = 90;
    const QImage image = render(qr, m_cwd.file("framed.png"));
    QCOMPARE(image.size(), QSize(1400, 1300));
    QImage expected(1400, 1300, QImage::Format_ARGB32_Premultiplied);
    expected.fill(ground);
    QPainter painter(&expected);
    painter.drawImage(120, 90, QImage(kFolder + "bgborder-x2.png"));
    painter.drawImage(170, 140, canvas);
    painter.end();
    QVERIFY(holds(image, 0, 0, expected));
    // The band is there, and open in the middle of each side.
    const QRgb banded = image.pixel(120 + 25, 90 + 200);
    QVERIFY(qRed(banded) > ground.red() + 60);
    QCOMPARE(image.pixel(120 + 25, 90 + 575), ground.rgb());
    QCOMPARE(image.pixel(119, 90 + 200), ground.rgb());
    saveToGallery("visual_framed_on_dark", image);

    // Other sizes scale the framed picture: the code fills the middle
    // 1050/1150 and still decodes; a JPEG background gives a JPEG.
    const QImage pale = paleBackground(QSize(520, 480));
    QVERIFY(pale.save(m_cwd.file("pale.jpg")));
    visualQr small;
    small.content = "on a pale ground";
    small.xt = 1;
    small.xtItem = 1;
    small.size = 380;
    small.bgImg = m_cwd.file("pale.jpg");
    small.bgX = 70;
    small.bgY = 40;
    small.isCode = true;
    small.codeStr = "framed";
    QVERIFY(small.create(m_cwd.file("small.jpg")));
    QCOMPARE(QImageReader(m_cwd.file("small.jpg")).format(), QByteArray("jpeg"));
    QImage out = loadFirst(m_cwd.file("small.jpg"));
    QCOMPARE(out.size(), QSize(520, 480));
    QCOMPARE(checkDecodes(out, "on a pale ground"), QString());
    saveToGallery("visual_framed_small", out);

    // "GIF" in capitals is a still background; a missing file means no background.
    QVERIFY(pale.save(m_cwd.file("upper.GIF"), "PNG"));
    small.bgImg = m_cwd.file("upper.GIF");
    QVERIFY(small.create(m_cwd.file("upper.png")));
    QCOMPARE(QImageReader(m_cwd.file("upper.png")).format(), QByteArray("png"));
    QCOMPARE(QImageReader(m_cwd.file("upper.png")).size(), QSize(520, 480));
    small.bgImg = m_cwd.file("missing.png");
    const QImage missing = render(small, m_cwd.file("missing_out.png"));
    small.bgImg.clear();
    const QImage none = render(small, m_cwd.file("none_out.png"));
    QCOMPARE(missing.size(), QSize(380, 408));
    QCOMPARE(missing, none);
}

void TestVisualQr::decodesEveryDesign()
{
    const QImage pale = paleBackground(QSize(480, 460));
    QVERIFY(pale.save(m_cwd.file("pale.png")));
    QStringList problems;
    for (int xt = 0; xt < 11; ++xt) {
        for (int item = 0; item < 3; ++item) {
            for (bool framed : {false, true}) {
                const QByteArray text = QStringLiteral("Visual %1-%2 %3").arg(xt).arg(item).arg(framed ? "bg" : "plain").toLatin1();
                visualQr qr;
                qr.content = text;
                qr.xt = xt;
                qr.xtItem = item;
                if (framed) {
                    qr.size = 400;
                    qr.bgImg = m_cwd.file("pale.png");
                    qr.bgX = 40;
                    qr.bgY = 30;
                }
                const QString name = QStringLiteral("visual_xt%1_item%2%3").arg(xt).arg(item).arg(framed ? "_bg" : "");
                if (!qr.create(m_cwd.file(name + ".png"))) {
                    problems.append(name + ": create failed");
                    continue;
                }
                const QImage image = loadFirst(m_cwd.file(name + ".png"));
                if (image.size() != (framed ? QSize(480, 460) : QSize(300, 300)))
                    problems.append(name + ": wrong size");
                saveToGallery(name, framed ? image : RasterOutput::flattenOntoWhite(image));
                const QString problem = checkDecodes(image, QString::fromLatin1(text));
                if (!problem.isEmpty())
                    problems.append(name + ": " + problem);
            }
        }
    }

    // A longer Chinese text in a larger symbol comes back unchanged.
    const QString chinese = QStringLiteral("视觉样式二维码：星形、正方形与圆形码点，十一种码眼");
    for (int xt : {0, 7, 10}) {
        visualQr qr;
        qr.content = chinese.toUtf8();
        qr.xt = xt;
        qr.xtItem = xt % 3;
        qr.size = 500;
        const QString name = QStringLiteral("visual_chinese_xt%1").arg(xt);
        QVERIFY(qr.create(m_cwd.file(name + ".png")));
        const QImage image = loadFirst(m_cwd.file(name + ".png"));
        saveToGallery(name, RasterOutput::flattenOntoWhite(image));
        const QString read = decodeZXing(prepareForDecode(image));
        if (read != chinese)
            problems.append(name + ": zxing read \"" + read + "\"");
    }
    // Every failure on its own line: a long message would be cut.
    for (const QString &problem : problems)
        qWarning("%s", qPrintable(problem));
    QVERIFY2(problems.isEmpty(), qPrintable(QStringLiteral("%1 renders failed to decode").arg(problems.size())));
}

void TestVisualQr::animatedBackground()
{
    writeAnimatedBackground(m_cwd.file("anim.gif"), QSize(460, 440), {100, 250, 400});
    visualQr qr;
    qr.content = "animated visual";
    qr.xt = 3;
    qr.xtItem = 0;
    qr.size = 400;
    qr.bgImg = m_cwd.file("anim.gif");
    qr.bgX = 30;
    qr.bgY = 10;
    qr.isCode = true;
    qr.codeStr = "animated";
    QVERIFY(qr.create(m_cwd.file("anim_out.gif")));

    const GifRecord gif = readGif(m_cwd.file("anim_out.gif"));
    QVERIFY2(gif.ok, qPrintable(gif.error));
    QCOMPARE(QSize(gif.width, gif.height), QSize(460, 440));
    QCOMPARE(gif.frames.size(), 3);
    const int delays[] = {10, 25, 40};
    for (int i = 0; i < gif.frames.size(); ++i) {
        const GifFrameRecord &frame = gif.frames.at(i);
        QCOMPARE(frame.delay, delays[i]);
        QCOMPARE(QSize(frame.width, frame.height), QSize(460, 440));
        saveToGallery(QStringLiteral("visual_animated_frame%1").arg(i), frame.image);
        const QString problem = checkDecodes(frame.image, "animated visual");
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("frame %1: ").arg(i) + problem));
    }
    // The background changes between frames, under the open middle of the frame band.
    QVERIFY(gif.frames.at(0).image.pixel(30 + 200, 12) != gif.frames.at(1).image.pixel(30 + 200, 12));
}

void TestVisualQr::failures()
{
    // Eye designs and tile sets outside the lists: false, and no file.
    const QList<QPair<int, int>> outside = {{-1, 0}, {11, 0}, {0, -1}, {0, 3}, {40, 7}};
    for (const auto &choice : outside) {
        visualQr qr;
        qr.content = "outside";
        qr.xt = choice.first;
        qr.xtItem = choice.second;
        QVERIFY2(!qr.create(m_cwd.file("outside.png")), qPrintable(QStringLiteral("xt %1 xtItem %2").arg(choice.first).arg(choice.second)));
        QVERIFY(!QFile::exists(m_cwd.file("outside.png")));
    }
    visualQr edge;
    edge.content = "edge";
    edge.xt = 10;
    edge.xtItem = 2;
    QVERIFY(edge.create(m_cwd.file("edge.png")));

    // A text too long for any symbol, and a version the encoder rejects.
    visualQr tooLong;
    tooLong.content = QByteArray(3000, 'x');
    tooLong.level = 3;
    QVERIFY(!tooLong.create(m_cwd.file("long.png")));
    QVERIFY(!QFile::exists(m_cwd.file("long.png")));
    visualQr badVersion;
    badVersion.content = "x";
    badVersion.version = 41;
    QVERIFY(!badVersion.create(m_cwd.file("v41.png")));

    // An output that cannot be written is reported.
    visualQr unwritable;
    unwritable.content = "unwritable";
    QVERIFY(!unwritable.create(m_cwd.file("missing/dir/out.png")));
    QVERIFY(paleBackground(QSize(400, 400)).save(m_cwd.file("bg.png")));
    unwritable.bgImg = m_cwd.file("bg.png");
    QVERIFY(!unwritable.create(m_cwd.file("missing/dir/still.png")));

    // Templates that cannot be loaded end the call before anything is written.
    visualQr withoutTemplates;
    withoutTemplates.content = "no templates";
    QVERIFY(QFile::exists(kFolder + "50_12_1.png"));
    Q_CLEANUP_RESOURCE(visual);
    QVERIFY(!QFile::exists(kFolder + "50_12_1.png"));
    const bool created = withoutTemplates.create(m_cwd.file("notemplates.png"));
    Q_INIT_RESOURCE(visual);
    QVERIFY(!created);
    QVERIFY(!QFile::exists(m_cwd.file("notemplates.png")));
    QVERIFY(withoutTemplates.create(m_cwd.file("notemplates.png")));
}

void TestVisualQr::runsOnWorkerThread()
{
    writeAnimatedBackground(m_cwd.file("anim.gif"), QSize(440, 440), {100, 200});
    static QStringList messages;
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) {
        messages.append(text);
    });
    bool results[2] = {false, false};
    const QString dir = m_cwd.path();
    QThread *thread = QThread::create([&results, dir] {
        visualQr plain;
        plain.content = "worker";
        plain.xt = 9;
        plain.xtItem = 1;
        plain.isCode = true;
        plain.codeStr = "worker";
        results[0] = plain.create(dir + "/worker.png");
        visualQr animated;
        animated.content = "worker gif";
        animated.size = 400;
        animated.bgImg = dir + "/anim.gif";
        animated.bgX = 20;
        animated.bgY = 20;
        results[1] = animated.create(dir + "/worker.gif");
    });
    thread->start();
    QVERIFY(thread->wait(120000));
    delete thread;
    qInstallMessageHandler(previous);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    QVERIFY(results[0]);
    QVERIFY(results[1]);
    QCOMPARE(checkDecodes(loadFirst(m_cwd.file("worker.png")), "worker"), QString());
    const GifRecord gif = readGif(m_cwd.file("worker.gif"));
    QCOMPARE(gif.frames.size(), 2);
    QCOMPARE(checkDecodes((gif.frames.at(1).image), "worker gif"), QString());
}

QTEST_MAIN(TestVisualQr)
#include "tst_visualqr.moc"
