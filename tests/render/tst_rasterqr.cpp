// The raster renderers (standard, tone, visual and contour): every look decoded
// back to its text, alone and with logo, caption and still or animated
// backgrounds; the geometry decoders rely on, probed pixel by pixel; the
// output cases and failures; and runs on a worker thread. Each test works in
// its own directory.
#include "bsdqr.h"
#include "lunkuoqr.h"
#include "proqrcode.h"
#include "rasteroutput.h"
#include "rendersupport.h"
#include "visualqr.h"

#include <QImageReader>
#include <QtTest>

#include <type_traits>

using namespace TestSupport;

namespace {

// What a look adds to the code. Resized: dots of 30 (of 50) and, for contours, outlines of 8.
enum Extra { Plain = 0, Caption = 1, Still = 2, Animated = 4, Logo = 8, Texture = 16, TransparentJpeg = 32, Resized = 64, Plus = 128 };

// One render of the decode table; a null text is an ASCII one naming the look.
struct Look { char renderer; int xt, xtItem, version, level, extras; const char *text = nullptr; };

const Look kLooks[] = {
    {'p', 0, 0, 1, 0, Plain}, {'p', 1, 0, 7, 1, Caption}, {'p', 2, 0, 20, 3, Plain}, {'p', 0, 0, 0, 3, Logo | Texture | Caption},
    {'p', 1, 0, 0, 2, Logo | Still}, {'p', 2, 0, 0, 2, Animated}, {'p', 0, 0, 0, 2, TransparentJpeg}, {'p', 2, 0, 0, 1, Plain, "二维码生成测试，你好世界"},
    {'b', 0, 0, 0, 2, Plus}, {'b', 1, 1, 0, 2, Caption, "https://example.com/tone"}, {'b', 2, 2, 0, 3, Still | Plus}, {'b', 0, 2, 7, 1, Plain},
    {'b', 1, 0, 0, 2, Animated | Plus}, {'b', 2, 1, 0, 2, Resized, "色调样式二维码"}, {'l', 0, 0, 0, 0, Plain}, {'l', 1, 1, 7, 2, Plus},
    {'l', 2, 2, 20, 1, Plain}, {'l', 0, 1, 0, 3, Caption}, {'l', 1, 3, 0, 2, Plain}, {'l', 2, 0, 0, 2, Still | Plus}, {'l', 0, 2, 0, 2, Animated},
    {'l', 1, 1, 0, 2, Resized, "轮廓样式二维码测试"}, {'v', 0, 0, 0, 2, Plain}, {'v', 1, 1, 0, 2, Caption}, {'v', 2, 2, 0, 2, Plain}, {'v', 3, 0, 0, 2, Still},
    {'v', 4, 1, 0, 2, Plain}, {'v', 5, 2, 7, 0, Plain}, {'v', 6, 0, 0, 2, Animated}, {'v', 7, 1, 0, 2, Plain}, {'v', 8, 2, 0, 3, Still},
    {'v', 9, 0, 0, 2, Plain}, {'v', 10, 1, 0, 2, Plain, "视觉样式二维码：十一种码眼"}};

// What a renderer wrote to `file`, or a null image when create failed.
template <class R> QImage render(R &qr, const QString &file) { return qr.create(file) ? loadFirst(file) : QImage(); }

template <class R> R &setBackground(R &qr, const QString &file, int x, int y) { return qr.bgImg = file, qr.bgX = x, qr.bgY = y, qr; }

// Sets the look on a renderer, renders it and decodes the result (every frame
// of an animated background); empty when it reads as written.
template <class R>
QString checkLook(const Look &look, const QString &name)
{
    R qr;
    const QByteArray text = look.text ? QByteArray(look.text) : name.toLatin1();
    setSymbol(qr, text, look.version, look.level, look.version > 10 ? 500 : 300).xt = look.xt;
    if constexpr (!std::is_same_v<R, ProQrcode>)
        qr.xtItem = look.xtItem;
    if constexpr (std::is_same_v<R, bsdQr> || std::is_same_v<R, lunkuoQr>)
        qr.isPlus = look.extras & Plus, qr.blockSize = look.extras & Resized ? 30 : qr.blockSize;
    if constexpr (std::is_same_v<R, lunkuoQr>)
        qr.lkBorSize = look.extras & Resized ? 8 : 1, qr.lkColor = QColor("#203080");
    if constexpr (std::is_same_v<R, ProQrcode>)
        qr.logo = look.extras & Logo ? "logo.png" : "", qr.logoWidth = 0, qr.isBor = true,
        qr.fgImg = look.extras & Texture ? "texture.png" : "", qr.isTran = look.extras & TransparentJpeg;
    if (look.extras & Caption)
        setCaption(qr, "caption", QColor("#c00000"));
    if (look.extras & Animated)
        return setBackground(qr, "anim.gif", 30, 20).create(name + ".gif") ? checkAnimation(name + ".gif", {440, 420}, {100, 250}, text) : "not written";
    const QImage image = render(setBackground(qr, look.extras & Still ? "still.jpg" : "", 40, 30), name + (look.extras & (Still | TransparentJpeg) ? ".jpg" : ".png"));
    saveToGallery(name, RasterOutput::flattenOntoWhite(image));
    if (image.size() != (look.extras & Still ? QSize(500, 420) : QSize(qr.size, qr.size + (look.extras & Caption ? 28 : 0))))
        return QStringLiteral("not written at its size");
    // A caption band of 2 x codeFontSize holds the text in its colour, on the
    // ground colour of the standard look and transparent for the others.
    int inked = 0;
    for (int p = 0; look.extras & Caption && p < 300 * 28; ++p)
        inked += sameColor(image.pixel(p % 300, 300 + p / 300), QColor("#c00000"), 90);
    if (look.extras & Caption && (inked < 30 || qAlpha(image.pixel(2, 326)) != (look.renderer == 'p' ? 255 : 0)))
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
                setSymbol(qr, *target == 'l' ? QByteArray(3000, 'x') : QByteArray("unwritable"), *target == 'v' ? 41 : 0, 3);
                if (setBackground(qr, background, 0, 0).create(target) || (*target != '/' && QFile::exists(target)))
                    written << QStringLiteral("%1 on \"%2\"").arg(target, background);
            }, false);
    return written.join(QStringLiteral(", "));
}

// A pixel's colour within `tolerance` (all four channels), from a case's origin.
struct Probe { int x, y; QColor color; int tolerance; };
Probe at(int x, int y, const QColor &color, int tolerance = 0) { return {x, y, color, tolerance}; }
Probe ink(int x, int y) { return {x, y, Qt::black, 127}; } // the contour renderer's lines
Probe paper(int x, int y) { return {x, y, Qt::white, 55}; }
struct ProbeCase { QString name; QImage image; QPoint origin; QList<Probe> probes; };

// A contour render at the size of its 50-pixel canvas: white ground, black
// 4-pixel outlines, 10-pixel dots.
QImage contourCanvas(const QByteArray &text, int xt, int xtItem)
{
    lunkuoQr qr;
    setSymbol(qr, text, 2, 0, Symbol(text, 2, 0).grid.width() * 50 + 100).xt = xt;
    qr.xtItem = xtItem, qr.blockSize = 10, qr.lkBorSize = 4, qr.alpha = 1.0;
    return render(qr, QStringLiteral("contour_%1_%2.png").arg(xt).arg(xtItem));
}

} // namespace

class TestRasterQr : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void decodesEveryLook()
    {
        QVERIFY(writeSolid("logo.png", QSize(64, 64), QColor("#e04040")) && writeSolid("texture.png", QSize(40, 40), QColor("#203060"))
                && writeSolid("still.jpg", QSize(500, 420), QColor("#80c0ff")) && writeAnimatedBackground("anim.gif", {440, 420}, {100, 250}));
        // On a worker thread, as batch generation renders, where nothing may be logged.
        QStringList problems;
        const QStringList messages = collectMessages([&problems] {
            for (const Look &l : kLooks) {
                const QString name = QStringLiteral("%1_xt%2_item%3_v%4_%5_%6").arg(l.renderer).arg(l.xt).arg(l.xtItem).arg(l.version).arg("LMQH"[l.level]).arg(l.extras);
                const QString problem = l.renderer == 'p' ? checkLook<ProQrcode>(l, name) : l.renderer == 'b' ? checkLook<bsdQr>(l, name)
                                        : l.renderer == 'v' ? checkLook<visualQr>(l, name) : checkLook<lunkuoQr>(l, name);
                if (!problem.isEmpty())
                    problems << name + ": " + problem;
            }
        });
        QVERIFY2(problems.isEmpty() && messages.isEmpty(), qPrintable((problems + messages).join('\n')));
    }

    void pixelProbes()
    {
        const QColor red(Qt::red), blue(Qt::blue), white(Qt::white), green("#008000"), lime(Qt::green), yellow("#ffff00"), navy("#000080");
        const QColor cream("#ffffc0"), ground(0, 255, 255, 128), clear(Qt::transparent), black(Qt::black);
        QVERIFY(writeSolid("navy.png", QSize(40, 40), navy) && writeSolid("logo.png", QSize(10, 10), lime));
        QList<ProbeCase> cases;
        // Standard, version 2 at 270 pixels with margin 10: a pitch of 10. Finder
        // rings from 10, 20, 30 at modules (0, 0), (18, 0), (0, 18); the alignment
        // pattern from (16, 16).
        ProQrcode pro;
        setSymbol(pro, "geometry", 2, 0, 270).ptColor = red, pro.inptColor = blue, pro.fgColor = green;
        cases << ProbeCase{"standard", render(pro, "geo.png"), {}, {at(10, 10, red), at(79, 79, red), at(80, 40, white), at(9, 40, white),
            at(20, 20, white), at(29, 60, white), at(30, 30, blue), at(59, 59, blue), at(60, 45, white), at(190, 10, red), at(189, 40, white),
            at(10, 190, red), at(170, 170, red), at(219, 219, red), at(180, 180, white), at(190, 190, blue), at(199, 199, blue), at(200, 195, white)}};
        // Transparent: the gap, separator and margin cleared; a texture only on
        // what is painted, the ground plate under the rest.
        pro.isTran = true, pro.ptColor = pro.inptColor = black;
        cases << ProbeCase{"transparent", render(pro, "tran.png"), {}, {at(12, 12, black), at(25, 25, clear), at(45, 45, black), at(5, 5, clear), at(85, 40, clear)}};
        pro.isTran = false, pro.fgImg = "navy.png", pro.bgColor = cream;
        cases << ProbeCase{"texture", render(pro, "texture.png"), {}, {at(12, 12, navy), at(25, 25, cream), at(45, 45, navy), at(5, 5, cream)}};
        // The logo, centred, is logoRatio (by level) x size unless sized, on a
        // plate reaching (logoRatio + 0.2) pitches beyond it on every side. A
        // negative look paints no module and no pattern: on a transparent
        // ground only the plate and the logo show.
        for (int level : {0, 3}) {
            ProQrcode logo;
            setSymbol(logo, "logo test", 0, level).logo = "logo.png", logo.logoWidth = 0, logo.isBor = true, logo.bgColor = yellow;
            logo.isTran = true, logo.xt = -1;
            const double ratio = level ? 0.25 : 0.1, d = (ratio + 0.2) * 280 / Symbol("logo test", 0, level).grid.width(), lx = 150 - 150 * ratio;
            const int in = int(lx - d + 1.5), out = int(lx - d - 1.5);
            cases << ProbeCase{"logo", render(logo, "logo_out.png"), {}, {at(int(lx) + 1, 150, lime), at(int(299 - lx), 150, lime), at(in, 150, yellow),
                                   at(299 - in, 150, yellow), at(150, in, yellow), at(out, 150, clear), at(299 - out, 150, clear), at(150, 299 - out, clear)}};
            logo.logoWidth = 60, logo.logoHeight = 20;
            cases << ProbeCase{"sized logo", render(logo, "sized.png"), {}, {at(121, 141, lime), at(178, 158, lime), at(150, int(140 - d + 1.5), yellow)}};
        }

        // Tone, version 2 at 1350: the canvas itself, module (x, y) at cell
        // 50(x + 1), 50(y + 1), on a translucent ground; each eye stamped one cell
        // up-left of its finder over 9 x 9 cells.
        bsdQr tone;
        setSymbol(tone, "tone geometry", 2, 0, 1350).bgColor = Qt::cyan, tone.ptColor = red, tone.inptColor = blue, tone.block0 = yellow, tone.block1 = green;
        const QImage toneImage = render(tone, "tone.png");
        for (const QPoint &origin : {QPoint(0, 0), QPoint(900, 0), QPoint(0, 900)})
            cases << ProbeCase{"tone eye", toneImage, origin, {at(2, 2, white), at(52, 52, red), at(397, 200, red), at(102, 102, white),
                                   at(152, 152, blue), at(297, 297, blue), at(447, 447, white)}};
        cases << ProbeCase{"tone ground past the eye", toneImage, {}, {at(452, 5, ground)}}
              << ProbeCase{"tone alignment", toneImage, {850, 850}, {at(2, 2, red), at(125, 50, white), at(52, 52, white), at(125, 125, blue), at(247, 247, red)}};
        // isPlus: every timing and format cell a whole black or white cell; in
        // version 7 the alignment pictures on row and column 6 stay.
        const Symbol seven("contrast cells of the timing and format areas", 7, 0);
        bsdQr plus;
        setSymbol(plus, seven.content, 7, 0, 50 * 45 + 100).isPlus = true, plus.ptColor = red, plus.block0 = yellow;
        ProbeCase cells{"tone contrast cells", render(plus, "plus.png"), {}, {at(50 * 21 + 2, 50 * 5 + 2, red)}};
        for (int p = 0, x = 0, y = 0; p < 45 * 45; ++p, x = p % 45, y = p / 45)
            if (seven.grid.inPlusZone(x, y) && seven.grid.finderArea(x, y, 8) < 0 && !seven.grid.inAlignmentArea(x, y))
                for (int d : {51, 98})
                    cells.probes << at(x * 50 + d, y * 50 + d, seven.grid.dark(x, y) ? black : white);
        QVERIFY(cells.probes.size() > 80);
        cases << cells;

        // Contour: eyes and alignment patterns have three outlines each, the dark
        // ring and centre filled between them (dots alone do not scan); rounded
        // corners for xt 1; neither outlines nor fill for xt 3. A module with one
        // dark neighbour is a half circle open towards it.
        const QList<Probe> outlines = {ink(50, 200), ink(100, 200), ink(150, 200), ink(950, 200), ink(200, 1000), ink(850, 950), ink(900, 1000),
                                       ink(60, 200), ink(160, 200), ink(860, 960)};
        QList<Probe> none = {ink(75, 75), ink(975, 975), paper(125, 200), paper(925, 1000)};
        for (const Probe &p : outlines)
            none << paper(p.x, p.y);
        const QImage rounded = contourCanvas("eyes", 1, 1);
        const Symbol es("eyes", 2, 0);
        const auto module = [&](const char *shape) {
            return es.find([&](int x, int y) { return es.grid.dark(x, y) && es.grid.shapeName(x, y) == shape; }) * 50 + QPoint(50, 50);
        };
        cases << ProbeCase{"contour square eyes", contourCanvas("eyes", 0, 1), {}, outlines + none.mid(0, 4) + QList<Probe>{ink(51, 51), ink(151, 151)}}
              << ProbeCase{"contour round eyes", rounded, {}, outlines + QList<Probe>{paper(51, 51), ink(60, 60), paper(151, 151)}}
              << ProbeCase{"contour no eyes", contourCanvas("eyes", 3, 1), {}, none}
              << ProbeCase{"contour half circle", rounded, module("roundTop"), {ink(0, 40), ink(50, 40), paper(3, 3), paper(47, 3), ink(25, 0), ink(25, 25)}}
              << ProbeCase{"contour quarter circle", rounded, module("roundLeftTop"), {ink(0, 40), ink(40, 0), paper(3, 3)}};

        QStringList problems;
        for (const ProbeCase &c : cases)
            for (const Probe &p : c.probes) {
                const QPoint pos = c.origin + QPoint(p.x, p.y);
                const QRgb px = c.image.valid(pos) ? c.image.pixel(pos) : 0x12345678;
                if (!sameColor(px, p.color, p.tolerance))
                    problems << QStringLiteral("%1 at %2,%3: #%4, not %5").arg(c.name).arg(pos.x()).arg(pos.y()).arg(px, 8, 16).arg(p.color.name(QColor::HexArgb));
            }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    }

    void captionsAndOutputs()
    {
        // No caption band without a text, or without the flag; the band leaves
        // the code as it is. On a still background the code sits at (bgX, bgY),
        // a transparent ground lets the background through, and past its edge
        // the code is cut off.
        const QColor sky("#80c0ff");
        ProQrcode pro, still;
        visualQr visual;
        const QImage captioned = render(setCaption(visual, "caption"), "caption.png");
        setCaption(pro, "").content = "no band", visual.isCode = false;
        QVERIFY(render(pro, "none.png").size() == QSize(300, 300) && render(visual, "none.png") == captioned.copy(0, 0, 300, 300));
        QVERIFY(writeSolid("bg.png", {500, 400}, sky) && writeAnimatedBackground("upper.GIF", {400, 400}, {100, 200})
                && writeAnimatedBackground("anim.gif", {420, 380}, {100, 250}) && writeSolid("fake.gif", {360, 360}, Qt::yellow, "PNG")
                && writeBytes("junk.gif", "GIF89a but nothing else") && writeBytes("junk.jpg", "not a picture"));
        const QImage alone = render(setSymbol(still, "still"), "alone.png").convertToFormat(QImage::Format_RGB32);
        const QImage on = render(setBackground(still, "bg.png", 120, 40), "still.png").convertToFormat(QImage::Format_RGB32);
        QVERIFY(on.copy(120, 40, 300, 300) == alone && on.pixel(119, 200) == sky.rgb() && on.pixel(420, 339) == sky.rgb());
        still.isTran = true;
        QVERIFY(sameColor(render(still, "tran.png").pixel(125, 45), sky) && render(setBackground(still, "bg.png", -100, 250), "cut.png").size() == QSize(500, 400));
        // "GIF" in capitals is a still picture; one that cannot be read leaves the code alone.
        QVERIFY(setBackground(still, "upper.GIF", 0, 0).create("upper.png"));
        QVERIFY(QImageReader("upper.png").format() == "png" && QImageReader("upper.png").size() == QSize(400, 400));
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
    }

    void failures()
    {
        QVERIFY(writeAnimatedBackground("fail_anim.gif", {440, 440}, {100, 200}) && writeSolid("fail_still.png", {440, 440}, Qt::white));
        QCOMPARE(checkFailures<ProQrcode>() + checkFailures<bsdQr>() + checkFailures<visualQr>() + checkFailures<lunkuoQr>(), QString());
        // The visual look's eye designs and tile sets outside its lists, or
        // templates that cannot be loaded: false, and no file.
        visualQr qr;
        for (const QPoint &choice : {QPoint(-1, 0), QPoint(11, 0), QPoint(0, -1), QPoint(0, 3)})
            QVERIFY((qr.xt = choice.x(), qr.xtItem = choice.y(), !qr.create("choice.png")) && !QFile::exists("choice.png"));
        qr.xt = qr.xtItem = 0;
        Q_CLEANUP_RESOURCE(visual);
        const bool created = qr.create("notemplates.png");
        Q_INIT_RESOURCE(visual);
        QVERIFY(!created && !QFile::exists("notemplates.png") && qr.create("notemplates.png"));
    }

private:
    TestCwd m_cwd;
};

QTEST_MAIN(TestRasterQr)
#include "tst_rasterqr.moc"
