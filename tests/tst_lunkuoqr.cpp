// The contour renderer: the outlines on the 50-pixel canvas, the eyes and
// alignment patterns, the isPlus cells, decoding, and the output cases.
#include "gifimage.h"
#include "helpers.h"
#include "lunkuoqr.h"
#include "qrsymbol.h"
#include "rasteroutput.h"
#include "testsupport.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QThread>
#include <QtTest>

#include <functional>

using namespace TestSupport;

namespace {

QImage loadFirst(const QString &path)
{
    QImageReader reader(path);
    return reader.read();
}

// The symbol the renderer draws for a text at version 2, level L.
struct Symbol
{
    explicit Symbol(const QByteArray &text, int version = 2, int level = 0)
        : content(text), holder(encodeQrContent(content, version, level, 2, true)), grid(holder.get())
    {
    }
    QByteArray content;
    QrSymbolHolder holder;
    QrGrid grid;
};

// A module that is painted by the module rules (no finder, alignment or isPlus zone).
bool ordinary(const QrGrid &grid, int x, int y)
{
    return x >= 0 && y >= 0 && x < grid.width() && y < grid.width()
           && grid.finderArea(x, y, 8) == QrGrid::NoCorner && !grid.inAlignmentArea(x, y)
           && !grid.inPlusZone(x, y);
}

using Matcher = std::function<bool(const QrGrid &, int, int)>;

// The first text "contour-N" whose version 2 symbol holds the pattern, and where.
bool findPattern(const Matcher &match, QByteArray *text, QPoint *at)
{
    for (int n = 0; n < 2000; ++n) {
        const QByteArray candidate = "contour-" + QByteArray::number(n);
        Symbol symbol(candidate);
        const int w = symbol.grid.width();
        for (int y = 0; y < w; ++y) {
            for (int x = 0; x < w; ++x) {
                if (match(symbol.grid, x, y)) {
                    *text = candidate;
                    *at = QPoint(x, y);
                    return true;
                }
            }
        }
    }
    return false;
}

// A render whose output has the canvas size (1350 for version 2), so the
// pixels are the canvas itself: opaque white ground, black 4-pixel lines,
// 10-pixel dots.
QImage canvasRender(const QString &path, const QByteArray &text, int xt, int xtItem, bool plus = false,
                    int version = 2)
{
    lunkuoQr qr;
    qr.content = text;
    qr.version = version;
    qr.level = 0;
    qr.xt = xt;
    qr.xtItem = xtItem;
    qr.isPlus = plus;
    qr.blockSize = 10;
    qr.lkBorSize = 4;
    qr.alpha = 1.0;
    Symbol symbol(text, version, 0);
    qr.size = symbol.grid.width() * 50 + 100;
    if (!qr.create(path))
        return QImage();
    return loadFirst(path);
}

// Collects probe failures: "ink" is a dark pixel, "paper" a light one.
struct Probes
{
    explicit Probes(const QImage &img) : image(img) {}
    void at(int x, int y, bool ink, const QString &what)
    {
        const int grey = qGray(image.pixel(x, y));
        if (ink ? grey >= 128 : grey <= 200)
            errors.append(QStringLiteral("%1 at (%2, %3): grey %4, wanted %5")
                              .arg(what).arg(x).arg(y).arg(grey).arg(ink ? "ink" : "paper"));
    }
    QString report() const { return errors.join('\n'); }
    QImage image;
    QStringList errors;
};

void writeAnimatedBackground(const QString &path, const QSize &size, const QList<int> &delays)
{
    GifImage gif(size);
    gif.setLoopCount(0);
    const QColor colors[] = {QColor(250, 230, 200), QColor(200, 230, 250), QColor(220, 250, 210)};
    for (int i = 0; i < delays.size(); ++i) {
        QImage frame(size, QImage::Format_RGB32);
        frame.fill(colors[i % 3]);
        QPainter painter(&frame);
        painter.setPen(QPen(Qt::gray, 3));
        painter.drawLine(0, i * 20, size.width(), size.height() - i * 20);
        painter.end();
        gif.addFrame(frame, QPoint(0, 0), delays.at(i));
    }
    QVERIFY(gif.save(path));
}

} // namespace

class TestLunkuoQr : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void defaultsStateAndCaption();
    void moduleOutlines();
    void plusZoneCells();
    void eyeAndAlignmentOutlines();
    void decodesEveryLook();
    void unreadableByDesign();
    void backgrounds();
    void failures();
    void runsOnWorkerThread();

private:
    TestCwd m_cwd;
};

void TestLunkuoQr::defaultsStateAndCaption()
{
    lunkuoQr qr;
    QCOMPARE(qr.caseSensitive, true);
    QCOMPARE(qr.margin, 10);
    QCOMPARE(qr.hint, 2);
    QCOMPARE(qr.level, 2);
    QCOMPARE(qr.size, 300);
    QCOMPARE(qr.version, 0);
    QCOMPARE(qr.xt, 0);
    QCOMPARE(qr.xtItem, 0);
    QCOMPARE(qr.blockSize, 50.0);
    QCOMPARE(qr.lkColor, QColor("#000000"));
    QCOMPARE(qr.lkBorSize, 1);
    QCOMPARE(qr.bgColor, QColor("#ffffff"));
    QCOMPARE(qr.alpha, 0.5);
    QCOMPARE(qr.isPlus, false);
    QCOMPARE(qr.isCode, false);
    QCOMPARE(qr.codeFontSize, 14);
    QCOMPARE(qr.codeSpac, 2);
    QCOMPARE(qr.codeColor, QColor("#000000"));
    QCOMPARE(qr.cell, 50);

    // Empty content: the site address, kept in the field; the ground colour
    // keeps the alpha it was given; the default ground is half transparent.
    QVERIFY(qr.create(m_cwd.file("empty.png")));
    QCOMPARE(qr.content, QByteArray(kProductSite));
    QVERIFY(qAbs(qr.bgColor.alphaF() - 0.5) < 0.001);
    QVERIFY(!qr.painter.isActive());
    QCOMPARE(qr.pixmap.size(), QSize(300, 300));
    Symbol site(kProductSite, 0, 2);
    const int w = site.grid.width();
    QCOMPARE(qr.cellX, (w - 1) * 50);
    QCOMPARE(qr.cellY, (w - 1) * 50);
    const QImage image = loadFirst(m_cwd.file("empty.png"));
    QCOMPARE(image.size(), QSize(300, 300));
    QVERIFY(qAbs(alphaAt(image, 2, 2) - 128) <= 2);
    QCOMPARE(checkDecodes(image, QString::fromLatin1(kProductSite)), QString());

    // A caption adds a band of 2 x codeFontSize with a transparent ground.
    lunkuoQr captioned;
    captioned.content = "caption";
    captioned.isCode = true;
    captioned.codeStr = QStringLiteral("Vopa 轮廓");
    captioned.codeColor = QColor("#c00000");
    QVERIFY(captioned.create(m_cwd.file("caption.png")));
    const QImage banded = loadFirst(m_cwd.file("caption.png"));
    QCOMPARE(banded.size(), QSize(300, 328));
    QCOMPARE(captioned.pixmap.size(), QSize(300, 328));
    int captionPixels = 0;
    for (int y = 300; y < 328; ++y)
        for (int x = 0; x < 300; ++x)
            captionPixels += qAlpha(banded.pixel(x, y)) > 128 && qRed(banded.pixel(x, y)) > 120
                             && qGreen(banded.pixel(x, y)) < 100;
    QVERIFY2(captionPixels > 30, "no caption text in the band");
    QCOMPARE(alphaAt(banded, 1, 326), 0);
    QCOMPARE(alphaAt(banded, 298, 326), 0);
    saveToGallery("lunkuo_caption", RasterOutput::flattenOntoWhite(banded));

    captioned.codeStr.clear();
    QVERIFY(captioned.create(m_cwd.file("nocaption.png")));
    QCOMPARE(loadFirst(m_cwd.file("nocaption.png")).size(), QSize(300, 300));
}

void TestLunkuoQr::moduleOutlines()
{
    QByteArray text;
    QPoint at;

    // A horizontal run of exactly three dark modules, nothing dark around it.
    const Matcher run = [](const QrGrid &g, int x, int y) {
        for (int i = 0; i < 3; ++i)
            if (!g.dark(x + i, y) || g.dark(x + i, y - 1) || g.dark(x + i, y + 1) || !ordinary(g, x + i, y))
                return false;
        return !g.dark(x - 1, y) && !g.dark(x + 3, y);
    };
    QVERIFY(findPattern(run, &text, &at));
    {
        const int X = 50 * (at.x() + 1);
        const int Y = 50 * (at.y() + 1);
        const QImage rounded = canvasRender(m_cwd.file("run1.png"), text, 0, 1);
        QCOMPARE(rounded.size(), QSize(1350, 1350));
        saveToGallery("lunkuo_canvas_xtitem1", rounded);
        Probes p(rounded);
        p.at(X + 25, Y + 25, true, "left dot");
        p.at(X + 75, Y + 25, true, "middle dot");
        p.at(X + 25, Y + 12, false, "between dot and outline");
        p.at(X, Y + 25, true, "left end of the capsule");
        p.at(X + 1, Y + 1, false, "rounded-off top-left corner");
        p.at(X + 1, Y + 48, false, "rounded-off bottom-left corner");
        p.at(X + 40, Y, true, "top side, right half of the left module");
        p.at(X + 10, Y, false, "top side, left half of the left module");
        p.at(X + 75, Y, true, "top side of the middle module");
        p.at(X + 75, Y + 50, true, "bottom side of the middle module");
        p.at(X + 50, Y + 25, false, "no line between the left and middle modules");
        p.at(X + 100, Y + 25, false, "no line between the middle and right modules");
        p.at(X + 110, Y, true, "top side, left half of the right module");
        p.at(X + 149, Y + 25, true, "right end of the capsule");
        p.at(X + 148, Y + 1, false, "rounded-off top-right corner");
        QVERIFY2(p.errors.isEmpty(), qPrintable("xtItem 1 run:\n" + p.report()));
        QCOMPARE(canvasRender(m_cwd.file("run2.png"), text, 0, 2), rounded);

        Probes s(canvasRender(m_cwd.file("run0.png"), text, 0, 0));
        s.at(X, Y + 25, true, "left side");
        s.at(X + 1, Y + 1, true, "square top-left corner");
        s.at(X + 10, Y, true, "top side");
        s.at(X + 148, Y + 48, true, "square bottom-right corner");
        s.at(X + 50, Y + 25, false, "no line between dark neighbours");
        s.at(X + 100, Y + 25, false, "no line between dark neighbours");
        QVERIFY2(s.errors.isEmpty(), qPrintable("xtItem 0 run:\n" + s.report()));

        // Outside 0 to 2: dots only.
        for (int item : {3, -1}) {
            Probes d(canvasRender(m_cwd.file("run3.png"), text, 0, item));
            d.at(X + 25, Y + 25, true, "dot");
            d.at(X, Y + 25, false, "left side");
            d.at(X + 75, Y, false, "top side");
            QVERIFY2(d.errors.isEmpty(), qPrintable(QStringLiteral("xtItem %1 run:\n").arg(item) + d.report()));
        }
    }

    // A two-by-two block alone: one square outline, with quarter-circle
    // corners for xtItem 1 and square ones for xtItem 0.
    const Matcher block = [](const QrGrid &g, int x, int y) {
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx)
                if (!g.dark(x + dx, y + dy) || !ordinary(g, x + dx, y + dy))
                    return false;
        for (int i = 0; i < 2; ++i)
            if (g.dark(x - 1, y + i) || g.dark(x + 2, y + i) || g.dark(x + i, y - 1) || g.dark(x + i, y + 2))
                return false;
        return true;
    };
    QVERIFY(findPattern(block, &text, &at));
    {
        const int X = 50 * (at.x() + 1);
        const int Y = 50 * (at.y() + 1);
        Probes p(canvasRender(m_cwd.file("block1.png"), text, 0, 1));
        for (const QPoint &corner : {QPoint(X + 2, Y + 2), QPoint(X + 97, Y + 2), QPoint(X + 2, Y + 97),
                                     QPoint(X + 97, Y + 97)})
            p.at(corner.x(), corner.y(), false, "rounded-off block corner");
        p.at(X + 7, Y + 7, true, "upper-left quarter arc");
        p.at(X + 92, Y + 7, true, "upper-right quarter arc");
        p.at(X + 7, Y + 92, true, "lower-left quarter arc");
        p.at(X + 92, Y + 92, true, "lower-right quarter arc");
        p.at(X + 50, Y, true, "top side");
        p.at(X, Y + 50, true, "left side");
        p.at(X + 99, Y + 50, true, "right side");
        p.at(X + 50, Y + 99, true, "bottom side");
        p.at(X + 50, Y + 50, false, "inside the block");
        p.at(X + 50, Y + 25, false, "no line between the top modules");
        p.at(X + 25, Y + 50, false, "no line between the left modules");
        QVERIFY2(p.errors.isEmpty(), qPrintable("xtItem 1 block:\n" + p.report()));

        Probes s(canvasRender(m_cwd.file("block0.png"), text, 0, 0));
        s.at(X + 1, Y + 1, true, "square block corner");
        s.at(X + 98, Y + 98, true, "square block corner");
        s.at(X + 50, Y + 50, false, "inside the block");
        QVERIFY2(s.errors.isEmpty(), qPrintable("xtItem 0 block:\n" + s.report()));
    }

    // A lone module: the circle of its cell, or the square of its cell.
    const Matcher lone = [](const QrGrid &g, int x, int y) {
        return g.dark(x, y) && ordinary(g, x, y) && g.shapeName(x, y) == QLatin1String("roundCenter");
    };
    QVERIFY(findPattern(lone, &text, &at));
    {
        const int X = 50 * (at.x() + 1);
        const int Y = 50 * (at.y() + 1);
        Probes p(canvasRender(m_cwd.file("lone1.png"), text, 0, 1));
        p.at(X, Y + 25, true, "circle, left");
        p.at(X + 25, Y + 49, true, "circle, bottom");
        p.at(X + 7, Y + 7, true, "circle at 45 degrees");
        p.at(X + 1, Y + 1, false, "corner outside the circle");
        Probes s(canvasRender(m_cwd.file("lone0.png"), text, 0, 0));
        s.at(X + 1, Y + 1, true, "square corner");
        s.at(X + 48, Y + 48, true, "square corner");
        QVERIFY2(p.errors.isEmpty() && s.errors.isEmpty(), qPrintable(p.report() + '\n' + s.report()));
    }

    // Four dark neighbours: the dot alone, in both looks.
    const Matcher inner = [](const QrGrid &g, int x, int y) {
        return g.dark(x, y) && g.dark(x - 1, y) && g.dark(x + 1, y) && g.dark(x, y - 1) && g.dark(x, y + 1)
               && ordinary(g, x, y) && ordinary(g, x - 1, y) && ordinary(g, x + 1, y) && ordinary(g, x, y - 1)
               && ordinary(g, x, y + 1);
    };
    QVERIFY(findPattern(inner, &text, &at));
    for (int item : {0, 1}) {
        const int X = 50 * (at.x() + 1);
        const int Y = 50 * (at.y() + 1);
        Probes p(canvasRender(m_cwd.file("inner.png"), text, 0, item));
        p.at(X + 25, Y + 25, true, "dot");
        p.at(X + 25, Y, false, "top side");
        p.at(X + 49, Y + 25, false, "right side");
        p.at(X + 25, Y + 49, false, "bottom side");
        p.at(X, Y + 25, false, "left side");
        QVERIFY2(p.errors.isEmpty(), qPrintable(QStringLiteral("xtItem %1, four neighbours:\n").arg(item) + p.report()));
    }

    // On the symbol's left edge the outside counts as light: the side is drawn.
    const Matcher edge = [](const QrGrid &g, int x, int y) { return x == 0 && g.dark(x, y) && ordinary(g, x, y); };
    QVERIFY(findPattern(edge, &text, &at));
    {
        Probes p(canvasRender(m_cwd.file("edge.png"), text, 0, 0));
        p.at(50, 50 * (at.y() + 1) + 25, true, "side facing the border");
        p.at(40, 50 * (at.y() + 1) + 25, false, "border cell");
        QVERIFY2(p.errors.isEmpty(), qPrintable(p.report()));
    }
}

void TestLunkuoQr::plusZoneCells()
{
    // A dark timing module under a dark module: only isPlus draws the line
    // between them, as part of the whole outlined cell, whatever xtItem.
    const Matcher timing = [](const QrGrid &g, int x, int y) {
        return y == 6 && x > 8 && x < g.width() - 9 && g.dark(x, 6) && g.dark(x, 5) && ordinary(g, x, 5)
               && !g.inAlignmentArea(x, 6);
    };
    QByteArray text;
    QPoint at;
    QVERIFY(findPattern(timing, &text, &at));
    const int X = 50 * (at.x() + 1);
    const int Y = 50 * 7;
    for (int item : {0, 1, 3}) {
        const QImage plain = canvasRender(m_cwd.file("plain.png"), text, 0, item, false);
        const QImage plus = canvasRender(m_cwd.file("plus.png"), text, 0, item, true);
        Probes p(plus);
        p.at(X + 25, Y, true, "top side of the timing cell");
        p.at(X + 1, Y + 1, true, "square corner of the timing cell");
        p.at(X + 48, Y + 48, true, "square corner of the timing cell");
        p.at(X + 25, Y + 25, true, "dot of the timing cell");
        p.at(X + 75, Y + 25, false, "centre of the light timing module beside it");
        Probes q(plain);
        q.at(X + 25, Y, false, "top side of the timing cell without isPlus");
        QVERIFY2(p.errors.isEmpty() && q.errors.isEmpty(),
                 qPrintable(QStringLiteral("xtItem %1:\n").arg(item) + p.report() + '\n' + q.report()));
        if (item == 1)
            saveToGallery("lunkuo_canvas_isplus", plus);
    }
}

void TestLunkuoQr::eyeAndAlignmentOutlines()
{
    // Version 2: finders at modules (0, 0), (18, 0), (0, 18); the alignment
    // pattern's corner at (16, 16), so its outlines start at canvas 850.
    const QByteArray text = "eyes";
    const QImage square = canvasRender(m_cwd.file("eyes0.png"), text, 0, 0);
    saveToGallery("lunkuo_canvas_xt0", square);
    const QImage rounded = canvasRender(m_cwd.file("eyes1.png"), text, 1, 0);
    saveToGallery("lunkuo_canvas_xt1", rounded);
    const QImage none = canvasRender(m_cwd.file("eyes3.png"), text, 3, 0);
    QCOMPARE(canvasRender(m_cwd.file("eyes2.png"), text, 2, 0), rounded);
    QCOMPARE(canvasRender(m_cwd.file("eyes10.png"), text, 10, 0), none);

    struct Line { int x, y; const char *what; };
    const Line lines[] = {
        {50, 200, "eye outer outline"},       {100, 200, "eye ring's inner outline"},
        {150, 200, "eye centre outline"},     {400, 200, "eye outer outline, right"},
        {950, 200, "top-right eye"},          {1000, 200, "top-right eye ring"},
        {200, 950, "bottom-left eye"},        {200, 1000, "bottom-left eye ring"},
        {850, 950, "alignment outer outline"}, {900, 1000, "alignment ring's inner outline"},
        {950, 960, "alignment centre outline"},
    };
    Probes p0(square), p1(rounded), p3(none);
    for (const Line &line : lines) {
        p0.at(line.x, line.y, true, QStringLiteral("xt 0 ") + line.what);
        p1.at(line.x, line.y, true, QStringLiteral("xt 1 ") + line.what);
        // No outline, and the pattern's own modules draw no edges either.
        p3.at(line.x, line.y, false, QStringLiteral("xt 3 ") + line.what);
    }
    for (Probes *p : {&p0, &p1, &p3}) {
        p->at(125, 200, false, "inside the eye's light ring");
        p->at(925, 1000, false, "inside the alignment's light ring");
        p->at(75, 75, true, "dot of the eye's corner module");
        p->at(975, 975, true, "dot of the alignment centre");
    }
    // Square corners for xt 0; corners of radius one tenth of the side for 1.
    p0.at(51, 51, true, "square eye corner");
    p0.at(151, 151, true, "square centre corner");
    p1.at(51, 51, false, "rounded eye corner");
    p1.at(60, 60, true, "eye corner arc (radius 35)");
    p1.at(151, 151, false, "rounded centre corner");
    p1.at(851, 851, false, "rounded alignment corner");
    QVERIFY2(p0.errors.isEmpty(), qPrintable(p0.report()));
    QVERIFY2(p1.errors.isEmpty(), qPrintable(p1.report()));
    QVERIFY2(p3.errors.isEmpty(), qPrintable(p3.report()));

    // Version 7: alignment patterns sit on row and column 6, e.g. the one
    // centred at (22, 6) with its corner at (20, 4).
    const QImage v7 = canvasRender(m_cwd.file("v7.png"), "version seven", 0, 0, false, 7);
    QCOMPARE(v7.size(), QSize(2350, 2350));
    Probes p7(v7);
    p7.at(1050, 350, true, "outline of the alignment at (22, 6)");
    p7.at(350, 1050, true, "outline of the alignment at (6, 22)");
    p7.at(1175, 375, true, "centre dot of the alignment at (22, 6)");
    QVERIFY2(p7.errors.isEmpty(), qPrintable(p7.report()));
    saveToGallery("lunkuo_canvas_v7", v7);
}

void TestLunkuoQr::decodesEveryLook()
{
    // Every eye look (0 to 2) with every module look reads as written, at
    // the default dot size and the thin default outline.
    const char *levelNames[] = {"L", "M", "Q", "H"};
    struct Case { QByteArray text; int version; int level; int size; };
    QList<Case> cases;
    for (int level = 0; level < 4; ++level)
        cases.append({"https://example.com/contour", 0, level, 300});
    cases.append({"https://example.com/contour?v=7", 7, 2, 300});
    cases.append({"https://example.com/contour?v=20", 20, 1, 600});

    QStringList problems;
    int checked = 0;
    for (const Case &c : cases) {
        for (int xt = 0; xt < 3; ++xt) {
            for (int item = 0; item < 3; ++item) {
                lunkuoQr qr;
                qr.content = c.text;
                qr.version = c.version;
                qr.level = c.level;
                qr.size = c.size;
                qr.xt = xt;
                qr.xtItem = item;
                const QString name = QStringLiteral("lunkuo_v%1_%2_xt%3_item%4")
                                         .arg(c.version).arg(levelNames[c.level]).arg(xt).arg(item);
                if (!qr.create(m_cwd.file(name + ".png"))) {
                    problems.append(name + ": create failed");
                    continue;
                }
                const QImage image = loadFirst(m_cwd.file(name + ".png"));
                if (c.level == 2 || c.version == 20)
                    saveToGallery(name, image);
                const QString problem = checkDecodes(image, QString::fromLatin1(c.text));
                ++checked;
                if (!problem.isEmpty())
                    problems.append(name + ": " + problem);
            }
        }
    }
    QCOMPARE(checked, cases.size() * 9);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));

    // No module outlines (xtItem 3) still leaves the dots, which carry the
    // code; thick outlines, isPlus, smaller dots and another colour too.
    QStringList extras;
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
        QVERIFY(qr.create(m_cwd.file(name + ".png")));
        const QImage image = loadFirst(m_cwd.file(name + ".png"));
        saveToGallery(name, image);
        const QString problem = checkDecodes(image, QString::fromUtf8(qr.content));
        if (!problem.isEmpty())
            extras.append(name + ": " + problem);
    }
    QVERIFY2(extras.isEmpty(), qPrintable(extras.join('\n')));
}

void TestLunkuoQr::unreadableByDesign()
{
    // 1. No eye outlines (xt 3 and up): the finders are dots alone. Dots of
    // blockSize 50 touch only at the midpoints of the cell sides, so every
    // corner shared by four dark modules stays open, also inside the finder's
    // dark centre, and the decoders' diagonal checks across the finder fail.
    lunkuoQr full;
    full.content = "full resolution";
    full.version = 2;
    full.size = 1350;
    full.xt = 3;
    full.alpha = 1.0;
    QVERIFY(full.create(m_cwd.file("full.png")));
    QCOMPARE(decodeZXing(prepareForDecode(loadFirst(m_cwd.file("full.png")))), QString());
    lunkuoQr small;
    small.content = "full resolution";
    small.xt = 3;
    QVERIFY(small.create(m_cwd.file("small.png")));
    QCOMPARE(decodeZXing(prepareForDecode(loadFirst(m_cwd.file("small.png")))), QString());
    Probes p(loadFirst(m_cwd.file("full.png")));
    p.at(175, 175, true, "finder centre dot");
    p.at(200, 175, true, "dots touch at the side midpoints");
    p.at(200, 200, false, "open corner between four finder centre dots");
    p.at(250, 250, false, "open corner between four finder centre dots");
    p.at(152, 152, false, "rounded-off outer corner of the finder centre");
    QVERIFY2(p.errors.isEmpty(), qPrintable(p.report()));

    // 2. Small dots with neither eye nor module outlines (xt 3, xtItem 3,
    // blockSize 10, the smallest the style page offers): a sprinkle of
    // 10-pixel dots covering about 3% of each dark cell, nothing a scanner
    // can binarise into modules.
    lunkuoQr sparse;
    sparse.content = "sparse";
    sparse.version = 2;
    sparse.xt = 3;
    sparse.xtItem = 3;
    sparse.level = 0;
    sparse.blockSize = 10;
    sparse.alpha = 1.0;
    sparse.size = 1350;
    QVERIFY(sparse.create(m_cwd.file("sparse.png")));
    const QImage image = loadFirst(m_cwd.file("sparse.png"));
    saveToGallery("lunkuo_sparse_dots", image);
    Symbol symbol("sparse");
    int darkModules = 0;
    Probes s(image);
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 25; ++x) {
            const int cx = 50 * (x + 1) + 25;
            const int cy = 50 * (y + 1) + 25;
            s.at(cx, cy, symbol.grid.dark(x, y), QStringLiteral("dot of module (%1, %2)").arg(x).arg(y));
            s.at(cx - 20, cy, false, QStringLiteral("beside module (%1, %2)").arg(x).arg(y));
            darkModules += symbol.grid.dark(x, y);
        }
    }
    QVERIFY2(s.errors.isEmpty(), qPrintable(s.report()));
    qint64 ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += 255 - qGray(image.pixel(x, y));
    const double dotInk = darkModules * 3.14159 * 25 * 255;
    QVERIFY2(qAbs(ink - dotInk) < dotInk * 0.05, "something besides the dots was painted");
}

void TestLunkuoQr::backgrounds()
{
    // Still background: the code at (bgX, bgY), its half-transparent ground
    // letting the background through; outside it the background alone.
    QImage background(500, 400, QImage::Format_RGB32);
    background.fill(QColor("#80c0ff"));
    QVERIFY(background.save(m_cwd.file("bg.jpg")));
    lunkuoQr still;
    still.content = "on a background";
    still.bgImg = m_cwd.file("bg.jpg");
    still.bgX = 120;
    still.bgY = 40;
    QVERIFY(still.create(m_cwd.file("still.jpg")));
    QImage image = loadFirst(m_cwd.file("still.jpg"));
    QCOMPARE(image.size(), QSize(500, 400));
    const QRgb mixed = image.pixel(123, 43);
    QVERIFY2(qAbs(qRed(mixed) - (0x80 + 255) / 2) < 12 && qBlue(mixed) > 240, "ground not half transparent");
    QVERIFY(qAbs(qRed(image.pixel(60, 200)) - 0x80) < 12);
    QVERIFY(qAbs(qRed(image.pixel(440, 200)) - 0x80) < 12);
    QCOMPARE(checkDecodes(image, "on a background"), QString());
    saveToGallery("lunkuo_still_background", image);

    // A background that cannot be read: the code alone, size by h, and true.
    QFile junk(m_cwd.file("junk.png"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a picture");
    junk.close();
    lunkuoQr unreadable;
    unreadable.content = "on a background";
    unreadable.bgImg = m_cwd.file("junk.png");
    unreadable.isCode = true;
    unreadable.codeStr = "plain";
    QVERIFY(unreadable.create(m_cwd.file("unreadable.png")));
    QCOMPARE(loadFirst(m_cwd.file("unreadable.png")).size(), QSize(300, 328));

    // A JPEG cannot hold the half-transparent ground: it comes out white.
    lunkuoQr jpeg;
    jpeg.content = "on a background";
    QVERIFY(jpeg.create(m_cwd.file("plain.jpg")));
    image = loadFirst(m_cwd.file("plain.jpg"));
    QVERIFY(qGray(image.pixel(3, 3)) > 245);
    QCOMPARE(checkDecodes(image, "on a background"), QString());

    // Animated background: every frame with its delay, each one readable.
    writeAnimatedBackground(m_cwd.file("anim.gif"), QSize(420, 380), {100, 250, 400});
    lunkuoQr animated;
    animated.content = "on a background";
    animated.bgImg = m_cwd.file("anim.gif");
    animated.bgX = 60;
    animated.bgY = 20;
    animated.xt = 1;
    animated.xtItem = 1;
    // An opaque ground keeps the background's diagonal line off the code.
    animated.alpha = 1.0;
    animated.isCode = true;
    animated.codeStr = "animated";
    QVERIFY(animated.create(m_cwd.file("anim_out.gif")));
    const GifRecord gif = readGif(m_cwd.file("anim_out.gif"));
    QVERIFY2(gif.ok, qPrintable(gif.error));
    QCOMPARE(QSize(gif.width, gif.height), QSize(420, 380));
    QCOMPARE(gif.frames.size(), 3);
    const int delays[] = {10, 25, 40};
    for (int i = 0; i < gif.frames.size(); ++i) {
        const GifFrameRecord &frame = gif.frames.at(i);
        QCOMPARE(frame.delay, delays[i]);
        saveToGallery(QStringLiteral("lunkuo_animated_frame%1").arg(i), frame.image);
        const QString problem = checkDecodes(frame.image, "on a background");
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("frame %1: ").arg(i) + problem));
    }
    QVERIFY(gif.frames.at(0).image.pixel(5, 5) != gif.frames.at(1).image.pixel(5, 5));
}

void TestLunkuoQr::failures()
{
    // Too long for any symbol, or a version the encoder rejects: false, no file.
    lunkuoQr tooLong;
    tooLong.content = QByteArray(3000, 'x');
    tooLong.level = 3;
    QVERIFY(!tooLong.create(m_cwd.file("long.png")));
    QVERIFY(!QFile::exists(m_cwd.file("long.png")));
    QVERIFY(tooLong.pixmap.isNull());
    lunkuoQr badVersion;
    badVersion.content = "x";
    badVersion.version = 41;
    QVERIFY(!badVersion.create(m_cwd.file("v41.png")));
    QVERIFY(!QFile::exists(m_cwd.file("v41.png")));

    // An output that cannot be written is reported, with or without background.
    lunkuoQr qr;
    qr.content = "unwritable";
    QVERIFY(!qr.create(m_cwd.file("missing/dir/out.png")));
    QVERIFY(!qr.create(m_cwd.file("missing/dir/out.gif")));
    QVERIFY(!qr.create("/dev/full"));
    writeAnimatedBackground(m_cwd.file("anim.gif"), QSize(320, 320), {100, 100});
    qr.bgImg = m_cwd.file("anim.gif");
    QVERIFY(!qr.create(m_cwd.file("missing/dir/anim.gif")));
    QVERIFY(qr.create(m_cwd.file("anim_ok.gif")));
    QImage still(320, 320, QImage::Format_RGB32);
    still.fill(Qt::white);
    QVERIFY(still.save(m_cwd.file("bg.png")));
    qr.bgImg = m_cwd.file("bg.png");
    QVERIFY(!qr.create(m_cwd.file("missing/dir/still.png")));
    QVERIFY(qr.create(m_cwd.file("still_ok.png")));
}

void TestLunkuoQr::runsOnWorkerThread()
{
    writeAnimatedBackground(m_cwd.file("anim.gif"), QSize(320, 320), {100, 200});
    static QStringList messages;
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &text) { messages.append(text); });
    bool results[2] = {false, false};
    const QString dir = m_cwd.path();
    QThread *thread = QThread::create([&results, dir] {
        lunkuoQr rounded;
        rounded.content = "worker";
        rounded.xt = 2;
        rounded.xtItem = 2;
        rounded.isPlus = true;
        rounded.isCode = true;
        rounded.codeStr = "worker";
        results[0] = rounded.create(dir + "/worker.png");
        lunkuoQr animated;
        animated.content = "worker gif";
        animated.bgImg = dir + "/anim.gif";
        results[1] = animated.create(dir + "/worker.gif");
    });
    thread->start();
    QVERIFY(thread->wait(60000));
    delete thread;
    qInstallMessageHandler(previous);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    QVERIFY(results[0]);
    QVERIFY(results[1]);
    const QImage image = loadFirst(m_cwd.file("worker.png"));
    QCOMPARE(image.size(), QSize(300, 328));
    Symbol symbol("worker", 0, 2);
    QCOMPARE(checkDecodes(image, "worker"), QString());
    QCOMPARE(readGif(m_cwd.file("worker.gif")).frames.size(), 2);
}

QTEST_MAIN(TestLunkuoQr)
#include "tst_lunkuoqr.moc"
