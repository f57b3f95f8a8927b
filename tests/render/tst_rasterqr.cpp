// The raster renderers (standard, tone, visual and contour): every look decoded
// back to its text, alone and with logo, caption and still or animated
// backgrounds; the geometry decoders rely on, probed pixel by pixel; the
// output cases and failures; and runs on a worker thread. Each test works in
// its own directory.
#include "bsdqr.h"
#include "helpers.h"
#include "lunkuoqr.h"
#include "pngwriter.h"
#include "proqrcode.h"
#include "rasteroutput.h"
#include "rendersupport.h"
#include "visualqr.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <QtTest>

#include <algorithm>
#include <type_traits>

using namespace TestSupport;

namespace {

// What a look adds to the code. Small: dots of 30 (of 50) and, for contours, outlines of 8.
enum Extra { Plain = 0, Caption = 1, Still = 2, Animated = 4, Logo = 8, Texture = 16, Small = 64, Plus = 128 };

// One render of the decode table; a null text is an ASCII one naming the look.
struct Look { char renderer; int xt, xtItem, version, level, extras; const char *text = nullptr; };

const Look kLooks[] = {
    {'p', 0, 0, 1, 0, Plain}, {'p', 1, 0, 7, 1, Caption}, {'p', 2, 0, 20, 3, Plain}, {'p', 1, 0, 0, 2, Logo | Still},
    {'p', 0, 0, 0, 3, Logo | Texture | Caption}, {'p', 2, 0, 0, 2, Animated}, {'p', 2, 0, 0, 1, Plain, "二维码"},
    {'b', 0, 0, 0, 2, Plus}, {'b', 1, 1, 0, 2, Caption, "https://example.com/tone"}, {'b', 2, 2, 0, 3, Still | Plus},
    {'b', 0, 2, 7, 1, Plain}, {'b', 1, 0, 0, 2, Animated | Plus}, {'b', 2, 1, 0, 2, Small, "色调样式二维码"},
    {'l', 0, 0, 0, 0, Plain}, {'l', 1, 1, 7, 2, Plus}, {'l', 2, 2, 20, 1, Plain}, {'l', 0, 1, 0, 3, Caption},
    {'l', 1, 3, 0, 2, Plain}, {'l', 2, 0, 0, 2, Still | Plus}, {'l', 0, 2, 0, 2, Animated},
    {'l', 1, 1, 0, 2, Small, "轮廓样式二维码测试"}, {'v', 0, 0, 0, 2, Plain}, {'v', 1, 1, 0, 2, Caption},
    {'v', 2, 2, 0, 2, Plain}, {'v', 3, 0, 0, 2, Still}, {'v', 4, 1, 0, 2, Plain}, {'v', 5, 2, 7, 0, Plain},
    {'v', 6, 0, 0, 2, Animated}, {'v', 7, 1, 0, 2, Plain}, {'v', 8, 2, 0, 3, Still}, {'v', 9, 0, 0, 2, Plain},
    {'v', 10, 1, 0, 2, Plain, "视觉样式二维码：十一种码眼"}};

// What a renderer wrote to `file`, or a null image when create failed.
template <class R> QImage render(R &qr, const QString &file) { return qr.create(file) ? loadFirst(file) : QImage(); }

QImage rgb32(const QImage &image) { return image.convertToFormat(QImage::Format_RGB32); }

template <class R>
R &setBackground(R &qr, const QString &file, int x, int y)
{
    qr.bgImg = file;
    qr.bgX = x;
    qr.bgY = y;
    return qr;
}

// Sets the look on a renderer, renders it and decodes the result; empty when
// it reads as written. On an animated background every frame of the GIF must
// read, at its own delay.
template <class R>
QString checkLook(const Look &look, const QString &name)
{
    R qr;
    const QByteArray text = look.text ? QByteArray(look.text) : name.toLatin1();
    setSymbol(qr, text, look.version, look.level, look.version > 10 ? 500 : 300).xt = look.xt;
    if constexpr (std::is_same_v<R, ProQrcode>) {
        qr.logo = look.extras & Logo ? "logo.png" : "";
        qr.logoWidth = 0;
        qr.isBor = true;
        qr.fgImg = look.extras & Texture ? "texture.png" : "";
    } else {
        qr.xtItem = look.xtItem;
    }
    if constexpr (std::is_same_v<R, bsdQr> || std::is_same_v<R, lunkuoQr>) {
        qr.isPlus = look.extras & Plus;
        qr.blockSize = look.extras & Small ? 30 : qr.blockSize;
    }
    if constexpr (std::is_same_v<R, lunkuoQr>)
        qr.lkBorSize = look.extras & Small ? 8 : 1;
    if (look.extras & Caption)
        setCaption(qr, "caption", QColor("#c00000"));
    if (look.extras & Animated) {
        const GifRecord gif = readGif(setBackground(qr, "anim.gif", 30, 20).create(name + ".gif") ? name + ".gif" : "");
        QString problems = gif.screen == QSize(440, 420) && gif.frames.size() == 2 ? "" : "not the background's frames";
        for (int i = 0; i < gif.frames.size(); ++i) // at the background's delays, in hundredths
            problems += (gif.frames[i].delay == 10 + 15 * i ? "" : "delay ") + checkDecodes(gif.frames[i].image, text);
        return problems;
    }
    const QString file = name + (look.extras & Still ? ".jpg" : ".png");
    const QImage image = render(setBackground(qr, look.extras & Still ? "still.jpg" : "", 40, 30), file);
    saveToGallery(name, RasterOutput::flattenOntoWhite(image));
    // A caption band of 2 x codeFontSize holds the text in its colour, on the
    // ground colour of the standard look and transparent for the others.
    const int band = look.extras & Caption ? 28 : 0;
    if (image.size() != (look.extras & Still ? QSize(500, 420) : QSize(qr.size, qr.size + band)))
        return QStringLiteral("not written at its size");
    int inked = 0;
    for (int p = 0; p < 300 * band; ++p)
        inked += sameColor(image.pixel(p % 300, 300 + p / 300), QColor("#c00000"), 90);
    if (band && (inked < 30 || qAlpha(image.pixel(2, 326)) != (look.renderer == 'p' ? 255 : 0)))
        return QStringLiteral("caption band: %1 pixels of ink").arg(inked);
    // zbar's line scanner does not reliably join the separate dots of the round look.
    return checkDecodes(image, QString::fromUtf8(text), look.renderer != 'p' || look.xt != 1);
}

// Empty when create returns false, and leaves no file, for a text too long for
// any symbol and for version 41, and when the target cannot be written (a
// missing folder, a full device), alone and on still and animated backgrounds;
// else the cases that went wrong.
template <class R>
QString checkFailures()
{
    QStringList written;
    for (const char *background : {"", "fail_anim.gif", "fail_still.png"})
        for (const char *target : {"missing/dir/out.png", "missing/dir/out.gif", "/dev/full", "long.png", "v41.png"})
            collectMessages([&] { // the writers' complaints
                R qr;
                setSymbol(qr, *target == 'l' ? QByteArray(3000, 'x') : "unwritable", *target == 'v' ? 41 : 0);
                if (setBackground(qr, background, 0, 0).create(target) || (*target != '/' && QFile::exists(target)))
                    written << QStringLiteral("%1 on \"%2\"").arg(target, background);
            }, false);
    return written.join(QStringLiteral(", "));
}

// A PNG's chunks in order: type, then data.
QList<QPair<QByteArray, QByteArray>> pngChunks(const QByteArray &png)
{
    QList<QPair<QByteArray, QByteArray>> chunks;
    for (int at = 8; at + 12 <= png.size();) {
        const int length = int(qFromBigEndian<quint32>(reinterpret_cast<const uchar *>(png.constData() + at)));
        chunks.append({png.mid(at + 4, 4), png.mid(at + 8, length)});
        at += 12 + length;
    }
    return chunks;
}

QMap<QString, QString> textOf(const QImage &image)
{
    QMap<QString, QString> text;
    for (const QString &key : image.textKeys())
        text.insert(key, image.text(key));
    return text;
}

// The largest difference in any channel between a square picture and its
// mirror image in the diagonal through its top-left corner.
int transposedDifference(const QImage &image)
{
    int most = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < y; ++x) {
            const QRgb a = image.pixel(x, y), b = image.pixel(y, x);
            most = std::max({most, qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b)),
                         qAbs(qAlpha(a) - qAlpha(b))});
        }
    return most;
}

const QColor red(Qt::red), blue(Qt::blue), white(Qt::white), black(Qt::black), clear(Qt::transparent);
const QColor green("#008000"), lime(Qt::green), yellow("#ffff00");

} // namespace

class TestRasterQr : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void decodesEveryLook()
    {
        QVERIFY(writeSolid("logo.png", {64, 64}, QColor("#e04040")) && writeSolid("texture.png", {40, 40}, Qt::blue));
        QVERIFY(writeSolid("still.jpg", {500, 420}, Qt::cyan));
        QVERIFY(writeAnimatedBackground("anim.gif", {440, 420}, {100, 250}));
        // On a worker thread, as batch generation renders, where nothing may be logged.
        QStringList problems;
        const QStringList messages = collectMessages([&problems] {
            for (const Look &l : kLooks) {
                const QString name = QStringLiteral("%1_xt%2_item%3_v%4_%5_%6").arg(l.renderer).arg(l.xt)
                                         .arg(l.xtItem).arg(l.version).arg("LMQH"[l.level]).arg(l.extras);
                const QString problem = l.renderer == 'p'   ? checkLook<ProQrcode>(l, name)
                                        : l.renderer == 'b' ? checkLook<bsdQr>(l, name)
                                        : l.renderer == 'v' ? checkLook<visualQr>(l, name)
                                                            : checkLook<lunkuoQr>(l, name);
                if (!problem.isEmpty())
                    problems << name + ": " + problem;
            }
        });
        QVERIFY2(problems.isEmpty() && messages.isEmpty(), qPrintable((problems + messages).join('\n')));
    }

    void constructorDefaults()
    {
        // What a renderer draws when its caller sets only the text.
        const auto common = [](const auto &qr) {
            return QList<double>{double(qr.size), double(qr.level), double(qr.version), double(qr.bgX), double(qr.bgY),
                                 double(qr.codeFontSize), double(qr.codeSpac), double(qr.isCode)};
        };
        const QList<double> expected{300, 2, 0, 0, 0, 14, 2, 0};
        ProQrcode pro;
        visualQr visual;
        bsdQr tone;
        lunkuoQr contour;
        QCOMPARE(common(pro), expected);
        QCOMPARE(common(visual), expected);
        QCOMPARE(common(tone), expected);
        QCOMPARE(common(contour), expected);
        QCOMPARE((QList<QColor>{pro.fgColor, pro.bgColor, pro.ptColor, pro.inptColor, pro.codeColor, tone.block0,
                                tone.block1, tone.ptColor, tone.inptColor, tone.bgColor, contour.lkColor, contour.bgColor}),
                 (QList<QColor>{black, white, black, black, black, white, black, black, black, white, black, white}));
        QCOMPARE((QList<double>{double(pro.margin), double(pro.logoWidth), double(pro.logoHeight), double(pro.xt),
                                tone.blockSize, tone.alpha, double(tone.isPlus), contour.blockSize, contour.alpha,
                                double(contour.lkBorSize), double(visual.xtItem), double(tone.xtItem),
                                double(contour.xtItem), double(contour.xt), double(tone.xt)}),
                 (QList<double>{10, 40, 40, 0, 17, 0.5, 0, 50, 0.5, 1, 0, 0, 0, 0, 0}));
        // Without a text, every renderer encodes the product's site.
        QCOMPARE(checkDecodes(render(pro, "empty_p.png"), kProductSite) + checkDecodes(render(tone, "empty_b.png"), kProductSite)
                     + checkDecodes(render(contour, "empty_l.png"), kProductSite, false)
                     + checkDecodes(render(visual, "empty_v.png"), kProductSite, false),
                 QString());
    }

    void geometry()
    {
        // Standard, version 2 at 270 pixels with margin 10: a pitch of 10. Finder
        // rings from 10, 20, 30 at modules (0, 0), (18, 0), (0, 18); the alignment
        // pattern from (16, 16).
        ProQrcode pro;
        setSymbol(pro, "geometry", 2, 0, 270).ptColor = red;
        pro.inptColor = blue;
        pro.fgColor = green;
        // An ordinary dark module, after the first finder, has the foreground colour.
        const Symbol geo("geometry", 2, 0);
        const QPoint ordinary = geo.find([&](int x, int y) { return geo.grid.dark(x, y); });
        QString wrong = checkProbes(render(pro, "geo.png"),
                                    {{10, 10, red}, {79, 79, red}, {80, 40, white}, {9, 40, white}, {20, 20, white},
                                     {29, 60, white}, {30, 30, blue}, {59, 59, blue}, {60, 45, white}, {190, 10, red},
                                     {189, 40, white}, {10, 190, red}, {170, 170, red}, {219, 219, red},
                                     {180, 180, white}, {190, 190, blue}, {199, 199, blue}, {200, 195, white},
                                     {15 + 10 * ordinary.x(), 15 + 10 * ordinary.y(), green}});
        // The logo, centred, is logoRatio (by level) x size unless sized, on a
        // plate reaching (logoRatio + 0.2) pitches beyond it on every side. A
        // negative look paints no module and no pattern: on a transparent
        // ground only the plate and the logo show.
        QVERIFY(writeSolid("logo.png", QSize(10, 10), lime));
        for (int level : {0, 3}) {
            ProQrcode logo;
            setSymbol(logo, "logo test", 0, level).logo = "logo.png";
            logo.logoWidth = 0;
            logo.isBor = true;
            logo.bgColor = yellow;
            logo.isTran = true;
            logo.xt = -1;
            const double ratio = level ? 0.25 : 0.1, lx = 150 - 150 * ratio;
            const double d = (ratio + 0.2) * 280 / Symbol("logo test", 0, level).grid.width();
            const int in = int(lx - d + 1.5), out = int(lx - d - 1.5), l = int(lx) + 1, r = int(299 - lx);
            wrong += checkProbes(render(logo, "logo_out.png"),
                                 {{l, 150, lime}, {r, 150, lime}, {in, 150, yellow}, {299 - in, 150, yellow},
                                  {150, in, yellow}, {out, 150, clear}, {299 - out, 150, clear},
                                  {150, 299 - out, clear}});
            logo.logoWidth = 60;
            logo.logoHeight = 20;
            const int plate = int(140 - d + 1.5);
            wrong += checkProbes(render(logo, "sized.png"), {{121, 141, lime}, {178, 158, lime}, {150, plate, yellow}});
        }

        // The liquid look (xt 2) at a pitch of 50: each dark module rounds off
        // exactly the corners where neither side has a dark neighbour, as the
        // encoder's modules say, and reaches the middle of its left side.
        const Symbol liquid("liquid look", 1, 0);
        const uchar *raw = liquid.holder.get()->data;
        const auto dark = [&](int x, int y) { return x >= 0 && y >= 0 && x < 21 && y < 21 && (raw[21 * y + x] & 1); };
        setSymbol(pro, liquid.content, 1, 0, 1070).xt = 2;
        QList<ColorProbe> corners, seams;
        for (int p = 0; p < 21 * 21; ++p) {
            const int x = p % 21, y = p / 21, left = 10 + 50 * x, top = 10 + 50 * y;
            if (!dark(x, y) || liquid.grid.finderArea(x, y, 8) >= 0)
                continue;
            corners << ColorProbe{left, top + 24, green} << ColorProbe{left + 25, top + 25, green};
            for (const QPoint &d : {QPoint(-1, -1), QPoint(1, -1), QPoint(-1, 1), QPoint(1, 1)})
                corners << ColorProbe{left + (d.x() < 0 ? 2 : 47), top + (d.y() < 0 ? 2 : 47),
                                      dark(x + d.x(), y) || dark(x, y + d.y()) ? green : white};
            // At a pitch of 100, the last column of a module that has a dark right neighbour.
            if (dark(x + 1, y))
                seams << ColorProbe{10 + 100 * x + 99, 10 + 100 * y + 50, green};
        }
        QVERIFY(corners.size() > 500 && seams.size() > 50);
        wrong += checkProbes(render(pro, "liquid.png"), corners, 127);
        // Each module's whole shape is stretched over its cell, however large: at a pitch of
        // 100 it still meets a dark right neighbour without a light seam.
        setSymbol(pro, liquid.content, 1, 0, 2120);
        wrong += checkProbes(render(pro, "liquid_large.png"), seams, 8);

        // Tone, version 2 at 1350: the canvas itself, module (x, y) at cell
        // 50(x + 1), 50(y + 1), on a translucent ground; each eye stamped one cell
        // up-left of its finder over 9 x 9 cells: square, or rounded (xt 2) with
        // the corner cut and the ring's diagonal still red. isPlus: whole black
        // and white timing cells, except under the alignment pattern of version 7.
        bsdQr tone;
        setSymbol(tone, "tone geometry", 2, 0, 1350).bgColor = Qt::cyan;
        tone.ptColor = red;
        tone.inptColor = blue;
        const QImage image = render(tone, "tone.png");
        for (const QPoint &eye : {QPoint(0, 0), QPoint(900, 0), QPoint(0, 900)})
            wrong += checkProbes(image.copy(QRect(eye, QSize(450, 450))),
                                 {{2, 2, white}, {52, 52, red}, {397, 200, red}, {102, 102, white}, {152, 152, blue},
                                  {297, 297, blue}, {447, 447, white}});
        wrong += checkProbes(image, {{452, 5, QColor(0, 255, 255, 128)}, {852, 852, red}, {975, 900, white},
                                     {902, 902, white}, {975, 975, blue}, {1097, 1097, red}});
        tone.xt = 2;
        wrong += checkProbes(render(tone, "rounded.png"), {{52, 52, white}, {60, 60, red}, {175, 175, blue}}, 64);
        tone.xt = 0;
        tone.isPlus = true;
        setSymbol(tone, "contrast cells of the timing and format areas", 7, 0, 50 * 45 + 100);
        wrong += checkProbes(render(tone, "plus.png"), {{451, 351, black}, {498, 398, black}, {501, 351, white},
                                                        {548, 398, white}, {1052, 252, red}, {1102, 352, white}});

        // Contour at the size of its 50-pixel canvas (white ground, black 4-pixel
        // outlines, 10-pixel dots): a module with one dark neighbour is a half
        // circle open towards it, one with two a quarter; probed dark or light
        // as a decoder's threshold reads them. The eyes, outlined and filled,
        // have rounded corners in this look.
        const Symbol eyes("eyes", 2, 0);
        lunkuoQr contour;
        setSymbol(contour, "eyes", 2, 0, 25 * 50 + 100).xt = 1;
        contour.xtItem = 1;
        contour.blockSize = 10;
        contour.lkBorSize = 4;
        contour.alpha = 1.0;
        const QImage rounded = render(contour, "contour.png");
        wrong += checkProbes(rounded, {{150, 200, black}, {975, 975, black}, {51, 51, white}, {60, 60, black}}, 127);
        const auto module = [&](const char *shape) {
            const QrGrid &g = eyes.grid;
            const QPoint m = eyes.find([&](int x, int y) { return g.dark(x, y) && g.shapeName(x, y) == shape; });
            return rounded.copy(50 * m.x() + 50, 50 * m.y() + 50, 50, 50);
        };
        wrong += checkProbes(module("roundTop"), {{0, 40, black}, {49, 40, black}, {3, 3, white}, {46, 3, white},
                                                  {25, 0, black}, {25, 25, black}, {1, 8, white}}, 127);
        wrong += checkProbes(module("roundLeftTop"), {{0, 40, black}, {40, 0, black}, {3, 3, white}, {1, 8, white}}, 127);
        wrong += checkProbes(module("roundLeftBottom"), {{0, 10, black}, {40, 49, black}, {3, 46, white}, {1, 41, white}}, 127);
        // Straight outlines (look item 0): a line on each free side of a module, none between dark neighbours.
        contour.xtItem = 0;
        const QImage square = render(contour, "contour_square.png");
        const QrGrid &g = eyes.grid;
        const auto plain = [&](int x, int y) { return g.finderArea(x, y, 8) < 0 && !g.inAlignmentArea(x, y); };
        const QPoint freeLeft = eyes.find([&](int x, int y) { return g.dark(x, y) && x > 0 && !g.dark(x - 1, y); });
        const QPoint darkLeft =
            eyes.find([&](int x, int y) { return g.dark(x, y) && x > 0 && g.dark(x - 1, y) && plain(x - 1, y); });
        wrong += checkProbes(square, {{50 * freeLeft.x() + 50, 50 * freeLeft.y() + 75, black},
                                      {50 * darkLeft.x() + 50, 50 * darkLeft.y() + 75, white}}, 127);
        // Three outlines a pattern, square or rounded: 20 pixels wide in red, the two inner ones
        // reach 10 pixels into the light ring from either side, its middle left white. Finders
        // from pixel 50 or 950 on each axis; the alignment pattern's light ring from 900.
        contour.lkColor = red;
        contour.lkBorSize = 20;
        for (int xt : {0, 1}) {
            contour.xt = xt;
            const QImage outlined = render(contour, QStringLiteral("contour_outlines_%1.png").arg(xt));
            QList<ColorProbe> rings;
            for (const QPoint &at : {QPoint(0, 0), QPoint(900, 0), QPoint(0, 900)})
                rings << ColorProbe{at.x() + 105, at.y() + 225, red} << ColorProbe{at.x() + 125, at.y() + 225, white}
                      << ColorProbe{at.x() + 145, at.y() + 225, red} << ColorProbe{at.x() + 305, at.y() + 225, red}
                      << ColorProbe{at.x() + 225, at.y() + 145, red} << ColorProbe{at.x() + 225, at.y() + 125, white};
            rings << ColorProbe{905, 975, red} << ColorProbe{925, 975, white} << ColorProbe{945, 975, red}
                  << ColorProbe{1005, 975, red} << ColorProbe{975, 1025, white};
            wrong += checkProbes(outlined, rings, 127);
            // Rounded corners are quarter circles: the first finder with its outlines, up to
            // the middle of its separator, is its own mirror image in the diagonal.
            const int asymmetry = transposedDifference(outlined.copy(0, 0, 425, 425));
            if (asymmetry > 8)
                wrong += QStringLiteral("finder of look %1 not symmetric: %2; ").arg(xt).arg(asymmetry);
        }
        QCOMPARE(wrong, QString());
    }

    void captionsAndOutputs()
    {
        // No caption band without a text, or without the flag; the band leaves
        // the code as it is.
        ProQrcode pro, still;
        visualQr visual;
        const QImage captioned = render(setCaption(visual, "caption"), "caption.png");
        setCaption(pro, "").content = "no band";
        visual.isCode = false;
        QCOMPARE(render(pro, "none.png").size(), QSize(300, 300));
        QVERIFY(render(visual, "none.png") == captioned.copy(0, 0, 300, 300));
        // The letter spacing reaches the caption.
        visual.isCode = true;
        visual.codeSpac = 20;
        QVERIFY(render(visual, "spaced.png") != captioned);
        visual.isCode = false;
        // A look outside the visual templates' tables is refused, and nothing is written.
        for (const QPoint &look : {QPoint(11, 0), QPoint(-1, 0), QPoint(0, 3), QPoint(0, -1)}) {
            visualQr outside;
            outside.xt = look.x();
            outside.xtItem = look.y();
            QVERIFY(!outside.create("outside.png") && !QFile::exists("outside.png"));
        }
        // On a still background the code sits at (bgX, bgY), a transparent ground
        // lets the background through, and past its edge the code is cut off.
        // Without a background a transparent code is flattened onto white for JPEG.
        const QColor sky("#80c0ff");
        QVERIFY(writeSolid("bg.png", {500, 400}, sky));
        QVERIFY(writeAnimatedBackground("anim.gif", {420, 380}, {100, 250}) && writeBytes("junk.gif", "GIF89a only"));
        QVERIFY(writeSolid("fake.gif", {360, 360}, Qt::yellow, "PNG") && writeBytes("junk.jpg", "not a picture"));
        const QImage alone = rgb32(render(setSymbol(still, "still"), "alone.png"));
        const QImage on = rgb32(render(setBackground(still, "bg.png", 120, 40), "still.png"));
        QVERIFY(on.copy(120, 40, 300, 300) == alone);
        QVERIFY(on.pixel(119, 200) == sky.rgb() && on.pixel(420, 339) == sky.rgb());
        still.isTran = true;
        QVERIFY(sameColor(render(still, "tran.png").pixel(125, 45), sky));
        QCOMPARE(render(setBackground(still, "bg.png", -100, 250), "cut.png").size(), QSize(500, 400));
        QCOMPARE(checkDecodes(render(setBackground(still, "", 0, 0), "tran.jpg"), "still"), QString());
        // A background that cannot be read leaves the code alone.
        QCOMPARE(checkDecodes(render(setBackground(still, "junk.jpg", 0, 0), "junk_out.jpg"), "still"), QString());
        // A GIF output always holds the code: without a background, on a ".gif"
        // that is a PNG, on one that cannot be read; on an animated background
        // each frame keeps its own picture under the code.
        for (const char *background : {"", "fake.gif", "junk.gif"}) {
            const GifRecord gif = readGif(setBackground(still, background, 30, 30).create("out.gif") ? "out.gif" : "");
            QVERIFY2(gif.frames.size() == 1 && gif.screen.width() == (*background == 'f' ? 360 : 300), background);
            QCOMPARE(checkDecodes(gif.frames.at(0).image, "still"), QString());
        }
        const GifRecord gif = readGif(setBackground(still, "anim.gif", 60, 30).create("out.gif") ? "out.gif" : "");
        QVERIFY(gif.frames.size() == 2 && gif.frames.at(0).image.pixel(10, 10) != gif.frames.at(1).image.pixel(10, 10));
        // A transparent code flattened onto white for a GIF stays where it was: without a
        // margin its finders reach the picture's corners (version 1, a pitch of 300 / 21),
        // and their cleared rings are white.
        ProQrcode flat;
        setSymbol(flat, "flattened").isTran = true;
        flat.margin = 0;
        const GifRecord flatGif = readGif(flat.create("flat.gif") ? "flat.gif" : "");
        QVERIFY(flatGif.frames.size() == 1 && flatGif.screen == QSize(300, 300));
        QCOMPARE(checkProbes(flatGif.frames.at(0).image, {{0, 0, black}, {299, 0, black}, {0, 299, black},
                                                          {0, 50, black}, {15, 15, white}, {284, 15, white},
                                                          {29, 29, black}}, 32),
                 QString());
    }

    void pngPixelsAsTheToolkitWrites()
    {
        // Every style's PNG, through the writer of flat pictures, decodes to exactly the pixels the
        // toolkit's writer stored: opaque and transparent canvases, a logo, a texture, a caption, a PNG
        // background, the antialiased styles (more than 256 colours) alike.
        QVERIFY(writeSolid("logo.png", {64, 64}, QColor("#e04040")) && writeSolid("texture.png", {40, 40}, Qt::blue));
        QVERIFY(writeSolid("bg.png", {420, 380}, QColor(120, 180, 240, 200)));
        const auto rgba = [](const QString &file) { return QImage(file).convertToFormat(QImage::Format_ARGB32); };
        QStringList different;
        int palettes = 0;
        const auto compare = [&](const std::function<bool(const QString &)> &create, const QString &name) {
            for (const bool qt : {true, false}) {
                RasterOutput::useQtPngWriter(qt);
                QVERIFY2(create(name + (qt ? "_qt.png" : ".png")), qPrintable(name));
            }
            RasterOutput::useQtPngWriter(false);
            const QImage before = rgba(name + "_qt.png"), after = rgba(name + ".png");
            if (before.isNull() || before != after)
                different << name;
            // Colour type 3: a palette, which is smaller.
            if (readBytes(name + ".png").at(25) == 3) {
                ++palettes;
                QVERIFY2(readBytes(name + ".png").size() < readBytes(name + "_qt.png").size(), qPrintable(name));
            }
        };
        for (const bool transparent : {false, true})
            for (const int extras : {int(Plain), int(Logo), int(Texture), int(Caption), Logo | Texture | Caption, int(Still)})
                compare([&](const QString &file) {
                    ProQrcode qr;
                    setSymbol(qr, "flat pixels", 0, 2, 290).isTran = transparent;
                    qr.xt = extras & Logo ? 2 : 1;
                    qr.logo = extras & Logo ? "logo.png" : "";
                    qr.isBor = true;
                    qr.fgImg = extras & Texture ? "texture.png" : "";
                    qr.bgColor = QColor("#fff8e0");
                    if (extras & Caption)
                        setCaption(qr, "caption 编号", QColor("#c00000"));
                    return setBackground(qr, extras & Still ? "bg.png" : "", 50, 40).create(file);
                }, QStringLiteral("pro_%1_%2").arg(transparent).arg(extras));
        compare([](const QString &file) { bsdQr qr; return setCaption(setSymbol(qr, "tone"), "caption").create(file); },
                "tone");
        compare([](const QString &file) { visualQr qr; return setSymbol(qr, "visual").create(file); }, "visual");
        compare([](const QString &file) {
            lunkuoQr qr;
            qr.alpha = 0.3;
            return setSymbol(qr, "contour").create(file);
        }, "contour");
        QVERIFY2(different.isEmpty(), qPrintable(different.join(", ")));
        // Codes in two colours are palettes (round modules and a caption in a third colour are not).
        QCOMPARE(palettes, 8);

        // The writer alone: 2, 4, 16, 256 and 257 colours, opaque and with every kind of alpha, odd widths.
        for (const int colours : {1, 2, 3, 4, 5, 16, 17, 256, 257, 4000})
            for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32,
                                                QImage::Format_ARGB32_Premultiplied}) {
                QImage picture(37, 29, format);
                for (int p = 0; p < 37 * 29; ++p) {
                    const int c = p % colours;
                    const QRgb colour = qRgba(c * 7 % 256, c * 13 % 256, c / 17 % 256,
                                              format == QImage::Format_RGB32 ? 255 : (c * 29) % 256);
                    picture.setPixel(p % 37, p / 37,
                                     format == QImage::Format_ARGB32_Premultiplied ? qPremultiply(colour) : colour);
                }
                // As stored: straight colours, distinct ones counted.
                const QImage straight = picture.convertToFormat(QImage::Format_ARGB32);
                QSet<QRgb> distinct;
                for (int p = 0; p < 37 * 29; ++p)
                    distinct.insert(straight.pixel(p % 37, p / 37));
                const QByteArray png = PngWriter::encode(picture);
                QImage written;
                QVERIFY(written.loadFromData(png, "PNG"));
                QBuffer qtBuffer;
                QVERIFY(qtBuffer.open(QIODevice::WriteOnly) && picture.save(&qtBuffer, "PNG"));
                const QImage byQt = QImage::fromData(qtBuffer.data(), "PNG").convertToFormat(QImage::Format_ARGB32);
                QVERIFY2(written.convertToFormat(QImage::Format_ARGB32) == byQt,
                         qPrintable(QStringLiteral("%1 colours, format %2").arg(colours).arg(int(format))));
                QCOMPARE(png.at(25) == 3, distinct.size() <= 256);
                QCOMPARE(written.hasAlphaChannel(), format != QImage::Format_RGB32);
            }
        QVERIFY(PngWriter::encode(QImage()).isEmpty());
    }

    void pngColourProfileAndText()
    {
        // A standard code on a PNG background with a Display P3 profile and text: the file has the
        // profile as iCCP, named as the toolkit names it, and the text, both read back as from the
        // toolkit's writer, with the same pixels; through a palette, as RGB (a gradient) and on a
        // translucent background (converted to straight colours in a scratch picture).
        const QColorSpace p3(QColorSpace::DisplayP3);
        const QMap<QString, QString> text{{"Title", QStringLiteral("Café für Grüße")},
                                          {"Comment", QStringLiteral("中文说明：彩色背景")},
                                          {"Description", "A background whose text is longer than forty characters"}};
        const auto read = [](const QString &file) { return QImageReader(file).read(); };
        const auto types = [](const QByteArray &png) {
            QByteArrayList list;
            for (const auto &chunk : pngChunks(png))
                list << chunk.first;
            return list;
        };
        const auto profileName = [](const QByteArray &png) {
            for (const auto &chunk : pngChunks(png))
                if (chunk.first == "iCCP")
                    return chunk.second.left(chunk.second.indexOf('\0'));
            return QByteArray();
        };
        for (const int kind : {3, 6, 2}) { // the colour type each background leads to
            const QString name = QStringLiteral("p3_%1").arg(kind);
            QImage background(420, 380, kind == 6 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
            for (int p = 0; p < 420 * 380; ++p)
                background.setPixel(p % 420, p / 420, kind == 3 ? qRgb(120, 180, 240)
                                                                : qRgba(p % 420 / 2, p / 420 / 2, 200, kind == 6 ? 200 : 255));
            background.setColorSpace(p3);
            for (auto it = text.begin(); it != text.end(); ++it)
                background.setText(it.key(), it.value());
            QVERIFY(background.save(name + "_bg.png"));
            for (const bool qt : {true, false}) {
                RasterOutput::useQtPngWriter(qt);
                ProQrcode qr;
                QVERIFY(setBackground(setSymbol(qr, "colour profile"), name + "_bg.png", 50, 40)
                            .create(name + (qt ? "_qt.png" : ".png")));
            }
            RasterOutput::useQtPngWriter(false);
            const QImage ours = read(name + ".png"), byQt = read(name + "_qt.png");
            QVERIFY2(ours.colorSpace() == p3 && byQt.colorSpace() == p3, qPrintable(name));
            QCOMPARE(ours.colorSpace().iccProfile(), byQt.colorSpace().iccProfile());
            QCOMPARE(textOf(ours), text);
            QCOMPARE(textOf(byQt), text);
            QVERIFY2(ours.convertToFormat(QImage::Format_ARGB32) == byQt.convertToFormat(QImage::Format_ARGB32),
                     qPrintable(name));
            const QByteArray png = readBytes(name + ".png");
            QCOMPARE(int(png.at(25)), kind);
            QCOMPARE(profileName(png), QByteArray("Display P3"));
            const QByteArrayList chunks = types(png);
            QVERIFY2(chunks.contains("tEXt") && chunks.contains("zTXt") && chunks.contains("iTXt"),
                     chunks.join(" ").constData());
        }

        // The writer alone: a colour space of no name, empty, long and blank keys; then a picture with
        // neither colour space nor text, which gets neither chunk.
        QImage picture(37, 29, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        picture.setColorSpace(QColorSpace(QColorSpace::Primaries::DciP3D65, 2.2f));
        picture.setText("", "no key");
        picture.setText(QString(90, 'K'), "cut to 79");
        picture.setText(QStringLiteral("说明"), QStringLiteral("键不是 Latin-1"));
        QBuffer qtBuffer;
        QVERIFY(qtBuffer.open(QIODevice::WriteOnly) && picture.save(&qtBuffer, "PNG"));
        const QImage byQt = QImage::fromData(qtBuffer.data(), "PNG");
        const QByteArray png = PngWriter::encode(picture);
        const QImage ours = QImage::fromData(png, "PNG");
        QVERIFY(ours.colorSpace() == picture.colorSpace() && byQt.colorSpace() == picture.colorSpace());
        QCOMPARE(textOf(ours), textOf(byQt));
        QCOMPARE(textOf(ours),
                 (QMap<QString, QString>{{QString(79, 'K'), "cut to 79"}, {"??", QStringLiteral("键不是 Latin-1")}}));
        QCOMPARE(profileName(png), QByteArray("Custom"));
        QCOMPARE(profileName(png), profileName(qtBuffer.data()));
        // A key libpng would refuse (no printable character) is left out, not the picture.
        picture.setText("   ", "blank key");
        QCOMPARE(textOf(QImage::fromData(PngWriter::encode(picture), "PNG")).size(), 2);
        QImage plain(37, 29, QImage::Format_RGB32);
        plain.fill(Qt::darkCyan);
        QCOMPARE(types(PngWriter::encode(plain)), (QByteArrayList{"IHDR", "PLTE", "pHYs", "IDAT", "IEND"}));
        ProQrcode alone;
        QVERIFY(setSymbol(alone, "no profile").create("alone.png"));
        QVERIFY(!readBytes("alone.png").contains("iCCP"));
    }

    void failures()
    {
        QVERIFY(writeAnimatedBackground("fail_anim.gif", {440, 440}, {100, 200}));
        QVERIFY(writeSolid("fail_still.png", {440, 440}, Qt::white));
        QCOMPARE(checkFailures<ProQrcode>() + checkFailures<bsdQr>(), QString());
        QCOMPARE(checkFailures<visualQr>() + checkFailures<lunkuoQr>(), QString());
    }

private:
    TestCwd m_cwd;
};

QTEST_MAIN(TestRasterQr)
#include "tst_rasterqr.moc"
