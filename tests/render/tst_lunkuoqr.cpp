// The contour renderer: the outlines on the 50-pixel canvas, the eyes and
// alignment patterns, the isPlus cells, decoding, and the output cases.
// Each test works in its own directory.
#include "helpers.h"
#include "lunkuoqr.h"
#include "rasteroutput.h"
#include "rendersupport.h"

#include <QtTest>

using namespace TestSupport;

namespace {

using Matcher = std::function<bool(const Symbol &, int, int)>;

// The first text "contour-N" whose version 2 symbol holds the pattern at an
// ordinary module, and where.
bool findPattern(const Matcher &match, QByteArray *text, QPoint *at)
{
    for (int n = 0; n < 2000; ++n) {
        *text = "contour-" + QByteArray::number(n);
        const Symbol symbol(*text, 2, 0);
        *at = symbol.find([&](int x, int y) { return match(symbol, x, y); });
        if (at->x() >= 0)
            return true;
    }
    return false;
}

// A render whose output has the canvas size (1350 for version 2), so the
// pixels are the canvas itself: opaque white ground, black 4-pixel lines,
// 10-pixel dots.
QImage canvasRender(const QByteArray &text, int xt, int xtItem, bool plus = false, int version = 2)
{
    lunkuoQr qr;
    setSymbol(qr, text, version, 0, Symbol(text, version, 0).grid.width() * 50 + 100).xt = xt;
    qr.xtItem = xtItem;
    qr.isPlus = plus;
    qr.blockSize = 10;
    qr.lkBorSize = 4;
    qr.alpha = 1.0;
    const QString path = QStringLiteral("canvas_%1_%2_%3.png").arg(xt).arg(xtItem).arg(plus);
    return qr.create(path) ? loadFirst(path) : QImage();
}

// A pixel that must be ink (dark) or paper (light), at (dx, dy) from an origin.
struct Ink
{
    int dx, dy;
    bool ink;
    const char *what;
};

// Empty when every probe holds around (x, y), else the failing ones.
QString checkInk(const QImage &image, int x, int y, const QList<Ink> &probes)
{
    QStringList errors;
    for (const Ink &p : probes) {
        const int grey = qGray(image.pixel(x + p.dx, y + p.dy));
        if (p.ink ? grey >= 128 : grey <= 200)
            errors << QStringLiteral("%1 at (%2, %3): grey %4").arg(p.what).arg(x + p.dx).arg(y + p.dy).arg(grey);
    }
    return errors.join('\n');
}

} // namespace

class TestLunkuoQr : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void stateCaptionAndBackground()
    {
        // Empty content: the site address, kept in the field; the ground keeps
        // the alpha it was given (half transparent by default); the painter is
        // done and the pixmap holds the finished code, caption band included.
        lunkuoQr qr;
        QVERIFY(qr.size == 300 && qr.blockSize == 50.0 && qr.lkBorSize == 1 && qr.alpha == 0.5 && qr.cell == 50);
        QImage image = render(setCaption(qr, QStringLiteral("Vopa 轮廓"), QColor("#c00000")), "caption.png");
        QVERIFY(qr.content == kProductSite && qAbs(qr.bgColor.alphaF() - 0.5) < 0.001 && !qr.painter.isActive());
        QCOMPARE(qr.pixmap.size(), QSize(300, 328));
        QVERIFY(qAbs(qAlpha(image.pixel(2, 2)) - 128) <= 2);
        QCOMPARE(checkCaption(image, 300, qr.codeColor), QString());
        QCOMPARE(checkDecodes(image, kProductSite), QString());
        saveToGallery("lunkuo_caption", RasterOutput::flattenOntoWhite(image));
        // On a still background the half-transparent ground lets it through.
        const QColor sky("#80c0ff");
        QVERIFY(writeSolid("bg.jpg", QSize(500, 400), sky));
        lunkuoQr still;
        image = render(setBackground(setSymbol(still, "on a background"), "bg.jpg", 120, 40), "still.jpg");
        QCOMPARE(image.size(), QSize(500, 400));
        QCOMPARE(checkProbes(image, {{123, 43, QColor((0x80 + 255) / 2, (0xc0 + 255) / 2, 255)}, {60, 200, sky},
                                     {440, 200, sky}}, 12), QString());
        QCOMPARE(checkDecodes(image, "on a background"), QString());
        saveToGallery("lunkuo_still_background", image);
    }

    void moduleOutlines()
    {
        QByteArray text;
        QPoint at;
        // Canvas origin of the module found.
        auto X = [&] { return 50 * (at.x() + 1); };
        auto Y = [&] { return 50 * (at.y() + 1); };

        // A horizontal run of exactly three dark modules, nothing dark around it:
        // one capsule for xtItem 1 and 2, one rectangle for 0, dots alone otherwise.
        QVERIFY(findPattern([](const Symbol &s, int x, int y) {
            for (int i = 0; i < 3; ++i)
                if (!s.grid.dark(x + i, y) || s.grid.dark(x + i, y - 1) || s.grid.dark(x + i, y + 1) || !s.ordinary(x + i, y))
                    return false;
            return !s.grid.dark(x - 1, y) && !s.grid.dark(x + 3, y);
        }, &text, &at));
        const QImage capsule = canvasRender(text, 0, 1);
        QCOMPARE(capsule.size(), QSize(1350, 1350));
        saveToGallery("lunkuo_canvas_xtitem1", capsule);
        QCOMPARE(checkInk(capsule, X(), Y(), {
            {25, 25, true, "left dot"}, {75, 25, true, "middle dot"}, {25, 12, false, "between dot and outline"},
            {0, 25, true, "left end"}, {1, 1, false, "rounded top-left"}, {1, 48, false, "rounded bottom-left"},
            {40, 0, true, "top, right half of the left module"}, {10, 0, false, "top, left half of the left module"},
            {75, 0, true, "top of the middle module"}, {75, 50, true, "bottom of the middle module"},
            {50, 25, false, "no line between left and middle"}, {100, 25, false, "no line between middle and right"},
            {110, 0, true, "top, left half of the right module"}, {149, 25, true, "right end"},
            {148, 1, false, "rounded top-right"}}), QString());
        QCOMPARE(canvasRender(text, 0, 2), capsule);
        QCOMPARE(checkInk(canvasRender(text, 0, 0), X(), Y(), {
            {0, 25, true, "left side"}, {1, 1, true, "square top-left"}, {10, 0, true, "top side"},
            {148, 48, true, "square bottom-right"}, {50, 25, false, "no line between dark neighbours"},
            {100, 25, false, "no line between dark neighbours"}}), QString());
        for (int item : {3, -1})
            QCOMPARE(checkInk(canvasRender(text, 0, item), X(), Y(), {
                {25, 25, true, "dot"}, {0, 25, false, "left side"}, {75, 0, false, "top side"}}), QString());

        // A two-by-two block alone: one square outline, with quarter-circle
        // corners for xtItem 1 and square ones for xtItem 0.
        QVERIFY(findPattern([](const Symbol &s, int x, int y) {
            for (int i = 0; i < 4; ++i)
                if (!s.grid.dark(x + i % 2, y + i / 2) || !s.ordinary(x + i % 2, y + i / 2))
                    return false;
            for (int i = 0; i < 2; ++i)
                if (s.grid.dark(x - 1, y + i) || s.grid.dark(x + 2, y + i) || s.grid.dark(x + i, y - 1) || s.grid.dark(x + i, y + 2))
                    return false;
            return true;
        }, &text, &at));
        QCOMPARE(checkInk(canvasRender(text, 0, 1), X(), Y(), {
            {2, 2, false, "rounded corner"}, {97, 2, false, "rounded corner"}, {2, 97, false, "rounded corner"},
            {97, 97, false, "rounded corner"}, {7, 7, true, "upper-left arc"}, {92, 7, true, "upper-right arc"},
            {7, 92, true, "lower-left arc"}, {92, 92, true, "lower-right arc"}, {50, 0, true, "top side"},
            {0, 50, true, "left side"}, {99, 50, true, "right side"}, {50, 99, true, "bottom side"},
            {50, 50, false, "inside"}, {50, 25, false, "no line between the top modules"},
            {25, 50, false, "no line between the left modules"}}), QString());
        QCOMPARE(checkInk(canvasRender(text, 0, 0), X(), Y(), {
            {1, 1, true, "square corner"}, {98, 98, true, "square corner"}, {50, 50, false, "inside"}}), QString());

        // A lone module: the circle of its cell, or the square of its cell.
        QVERIFY(findPattern([](const Symbol &s, int x, int y) {
            return s.grid.dark(x, y) && s.ordinary(x, y) && s.grid.shapeName(x, y) == QLatin1String("roundCenter");
        }, &text, &at));
        QCOMPARE(checkInk(canvasRender(text, 0, 1), X(), Y(), {
            {0, 25, true, "circle, left"}, {25, 49, true, "circle, bottom"}, {7, 7, true, "circle at 45 degrees"},
            {1, 1, false, "corner outside the circle"}}), QString());
        QCOMPARE(checkInk(canvasRender(text, 0, 0), X(), Y(), {
            {1, 1, true, "square corner"}, {48, 48, true, "square corner"}}), QString());

        // On the symbol's left edge the outside counts as light: the side is drawn.
        QVERIFY(findPattern([](const Symbol &s, int x, int y) { return x == 0 && s.grid.dark(x, y) && s.ordinary(x, y); },
                            &text, &at));
        QCOMPARE(checkInk(canvasRender(text, 0, 0), X(), Y(), {
            {0, 25, true, "side facing the border"}, {-10, 25, false, "border cell"}}), QString());
    }

    void plusZoneCells()
    {
        // A dark timing module under a dark module: only isPlus draws the line
        // between them, as part of the whole outlined cell, whatever xtItem.
        QByteArray text;
        QPoint at;
        QVERIFY(findPattern([](const Symbol &s, int x, int y) {
            return y == 5 && x > 8 && x < s.grid.width() - 9 && s.grid.dark(x, 6) && s.grid.dark(x, 5) && !s.grid.inAlignmentArea(x, 6);
        }, &text, &at));
        const int X = 50 * (at.x() + 1), Y = 50 * 7;
        for (int item : {0, 1, 3}) {
            const QImage plus = canvasRender(text, 0, item, true);
            QCOMPARE(checkInk(plus, X, Y, {
                {25, 0, true, "top side of the timing cell"}, {1, 1, true, "square corner of the timing cell"},
                {48, 48, true, "square corner of the timing cell"}, {25, 25, true, "dot of the timing cell"},
                {75, 25, false, "centre of the light timing module beside it"}}), QString());
            QCOMPARE(checkInk(canvasRender(text, 0, item, false), X, Y, {{25, 0, false, "top side without isPlus"}}),
                     QString());
            if (item == 1)
                saveToGallery("lunkuo_canvas_isplus", plus);
        }
    }

    void eyeAndAlignmentOutlines()
    {
        // Version 2: finders at modules (0, 0), (18, 0), (0, 18); the alignment
        // pattern's corner at (16, 16), so its outlines start at canvas 850.
        const QImage square = canvasRender("eyes", 0, 0);
        saveToGallery("lunkuo_canvas_xt0", square);
        const QImage rounded = canvasRender("eyes", 1, 0);
        saveToGallery("lunkuo_canvas_xt1", rounded);
        const QImage none = canvasRender("eyes", 3, 0);
        QCOMPARE(canvasRender("eyes", 2, 0), rounded);
        QCOMPARE(canvasRender("eyes", 10, 0), none);

        // The three outlines of each pattern, inked by xt 0 to 2; without them
        // (xt 3 and up) the pattern's own modules draw no edges either.
        const QList<Ink> outlines = {
            {50, 200, true, "eye outer outline"},       {100, 200, true, "eye ring's inner outline"},
            {150, 200, true, "eye centre outline"},     {400, 200, true, "eye outer outline, right"},
            {950, 200, true, "top-right eye"},          {1000, 200, true, "top-right eye ring"},
            {200, 950, true, "bottom-left eye"},        {200, 1000, true, "bottom-left eye ring"},
            {850, 950, true, "alignment outer outline"}, {900, 1000, true, "alignment ring's inner outline"},
            {950, 960, true, "alignment centre outline"}};
        QList<Ink> noOutlines = outlines;
        for (Ink &probe : noOutlines)
            probe.ink = false;
        const QList<Ink> always = {{125, 200, false, "inside the eye's light ring"},
                                   {925, 1000, false, "inside the alignment's light ring"},
                                   {75, 75, true, "dot of the eye's corner module"},
                                   {975, 975, true, "dot of the alignment centre"}};
        // Square corners for xt 0; corners of radius one tenth of the side for 1.
        QCOMPARE(checkInk(square, 0, 0, outlines + always + QList<Ink>{{51, 51, true, "square eye corner"},
                                                                    {151, 151, true, "square centre corner"}}), QString());
        QCOMPARE(checkInk(rounded, 0, 0, outlines + always + QList<Ink>{{51, 51, false, "rounded eye corner"},
                                                                     {60, 60, true, "eye corner arc (radius 35)"},
                                                                     {151, 151, false, "rounded centre corner"},
                                                                     {851, 851, false, "rounded alignment corner"}}),
                 QString());
        QCOMPARE(checkInk(none, 0, 0, noOutlines + always), QString());

        // Version 7: alignment patterns sit on row and column 6, e.g. the one
        // centred at (22, 6) with its corner at (20, 4).
        const QImage v7 = canvasRender("version seven", 0, 0, false, 7);
        QCOMPARE(v7.size(), QSize(2350, 2350));
        QCOMPARE(checkInk(v7, 0, 0, {{1050, 350, true, "outline of the alignment at (22, 6)"},
                                     {350, 1050, true, "outline of the alignment at (6, 22)"},
                                     {1175, 375, true, "centre dot of the alignment at (22, 6)"}}), QString());
        saveToGallery("lunkuo_canvas_v7", v7);
    }

    void decodesEveryLook()
    {
        // Every eye look (0 to 2) with every module look reads as written, at
        // the default dot size and the thin default outline.
        // Every level at the default version, then versions 7 and 20.
        QStringList problems;
        for (int look = 0; look < 6 * 9; ++look) {
            const int c = look / 9, xt = look / 3 % 3, item = look % 3;
            const int version = c < 4 ? 0 : c == 4 ? 7 : 20, level = c < 4 ? c : c == 4 ? 2 : 1;
            const QByteArray text = "https://example.com/contour" + (version ? "?v=" + QByteArray::number(version) : QByteArray());
            lunkuoQr qr;
            setSymbol(qr, text, version, level, version == 20 ? 600 : 300).xt = xt;
            qr.xtItem = item;
            const QString name = QStringLiteral("lunkuo_v%1_%2_xt%3_item%4").arg(version).arg("LMQH"[level]).arg(xt).arg(item);
            const QImage image = render(qr, name + ".png");
            if (level == 2 || version == 20)
                saveToGallery(name, image);
            const QString problem = checkDecodes(image, QString::fromLatin1(text));
            if (!problem.isEmpty())
                problems.append(name + ": " + problem);
        }

        // No module outlines (xtItem 3) still leaves the dots, which carry the
        // code; smaller dots, isPlus, thick coloured outlines and a Chinese text too.
        const QString chinese = QStringLiteral("轮廓样式二维码测试");
        for (int variant = 0; variant < 5; ++variant) {
            lunkuoQr qr;
            qr.content = variant == 4 ? chinese.toUtf8() : QByteArray("contour extras");
            qr.blockSize = variant == 0 ? 30 : 50;
            qr.xtItem = variant == 1 ? 3 : 1;
            qr.isPlus = variant == 2;
            qr.lkBorSize = variant == 3 ? 8 : 1;
            qr.lkColor = variant == 3 ? QColor("#203080") : QColor("#000000");
            const QString name = QStringLiteral("lunkuo_extra%1").arg(variant);
            const QImage image = render(qr, name + ".png");
            saveToGallery(name, image);
            const QString problem = checkDecodes(image, QString::fromUtf8(qr.content));
            if (!problem.isEmpty())
                problems.append(name + ": " + problem);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    }

    void unreadableByDesign()
    {
        // 1. No eye outlines (xt 3 and up): the finders are dots alone. Dots of
        // blockSize 50 touch only at the midpoints of the cell sides, so every
        // corner shared by four dark modules stays open, also inside the finder's
        // dark centre, and the decoders' diagonal checks across the finder fail.
        lunkuoQr noEyes;
        setSymbol(noEyes, "full resolution").xt = 3;
        QCOMPARE(decodeZXing(prepareForDecode(render(noEyes, "small.png"))), QString());
        setSymbol(noEyes, "full resolution", 2, 2, 1350).alpha = 1.0;
        const QImage full = render(noEyes, "full.png");
        QCOMPARE(decodeZXing(prepareForDecode(full)), QString());
        QCOMPARE(checkInk(full, 0, 0, {{175, 175, true, "finder centre dot"}, {200, 175, true, "dots touch at the side midpoints"},
                                       {200, 200, false, "open corner between four finder centre dots"},
                                       {250, 250, false, "open corner between four finder centre dots"},
                                       {152, 152, false, "rounded-off outer corner of the finder centre"}}), QString());

        // 2. Small dots with neither eye nor module outlines (xt 3, xtItem 3,
        // blockSize 10, the smallest the style page offers): a sprinkle of
        // 10-pixel dots covering about 3% of each dark cell, nothing a scanner
        // can binarise into modules.
        lunkuoQr sparse;
        setSymbol(sparse, "sparse", 2, 0, 1350).xt = 3;
        sparse.xtItem = 3;
        sparse.blockSize = 10;
        sparse.alpha = 1.0;
        const QImage image = render(sparse, "sparse.png");
        saveToGallery("lunkuo_sparse_dots", image);
        const Symbol symbol("sparse", 2, 0);
        int darkModules = 0;
        for (int y = 0; y < 25; ++y) {
            for (int x = 0; x < 25; ++x) {
                const bool dark = symbol.grid.dark(x, y);
                const QString problem = checkInk(image, 50 * (x + 1) + 25, 50 * (y + 1) + 25,
                                                 {{0, 0, dark, "dot"}, {-20, 0, false, "beside the dot"}});
                QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("module (%1, %2): ").arg(x).arg(y) + problem));
                darkModules += dark;
            }
        }
        qint64 ink = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ink += 255 - qGray(image.pixel(x, y));
        const double dotInk = darkModules * 3.14159 * 25 * 255;
        QVERIFY2(qAbs(ink - dotInk) < dotInk * 0.05, "something besides the dots was painted");
        QCOMPARE(decodeZXing(prepareForDecode(image)), QString());
    }

    void failures() { QCOMPARE(checkFailures<lunkuoQr>(), QString()); }

    void runsOnWorkerThread()
    {
        QCOMPARE(checkOnWorkerThread<lunkuoQr>([](lunkuoQr &qr) {
            qr.xt = 2;
            qr.xtItem = 2;
            qr.isPlus = true;
            qr.alpha = 1.0;
        }, "lunkuo_animated"), QString());
    }

private:
    TestCwd m_cwd;
};

QTEST_MAIN(TestLunkuoQr)
#include "tst_lunkuoqr.moc"
