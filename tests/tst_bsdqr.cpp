// The tone renderer: the 50-pixel canvas with its stamped eyes, alignment
// pictures, blocks, pins and contrast cells, and decoding of every look.
#include "bsdqr.h"
#include "gifimage.h"
#include "helpers.h"
#include "qrsymbol.h"
#include "testsupport.h"

#include <QImageReader>
#include <QThread>
#include <QtTest>

using namespace TestSupport;

namespace {

QImage loadFirst(const QString &path)
{
    return QImageReader(path).read();
}

bool sameColor(QRgb pixel, const QColor &color, int alpha = 255)
{
    return qRed(pixel) == color.red() && qGreen(pixel) == color.green() && qBlue(pixel) == color.blue()
           && qAlpha(pixel) == alpha;
}

struct Symbol
{
    Symbol(const QByteArray &text, int version, int level)
        : content(text), holder(encodeQrContent(content, version, level, 2, true)), grid(holder.get())
    {
    }
    QByteArray content;
    QrSymbolHolder holder;
    QrGrid grid;
};

// A module outside every pattern area, chosen by `test`.
QPoint findModule(const QrGrid &grid, const std::function<bool(int, int)> &test)
{
    for (int y = 0; y < grid.width(); ++y)
        for (int x = 0; x < grid.width(); ++x)
            if (grid.finderArea(x, y, 8) == QrGrid::NoCorner && !grid.inAlignmentArea(x, y) && test(x, y))
                return QPoint(x, y);
    return QPoint(-1, -1);
}

} // namespace

class TestBsdQr : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void defaults();
    void canvasGeometry();
    void eyeShapesAndPins();
    void contrastCells();
    void decodesEveryLook();
    void captionAndBackgrounds();
    void failures();
    void runsOnWorkerThread();

private:
    TestCwd m_cwd;
};

void TestBsdQr::defaults()
{
    bsdQr qr;
    QCOMPARE(qr.size, 300);
    QCOMPARE(qr.level, 2);
    QCOMPARE(qr.blockSize, 17.0);
    QCOMPARE(qr.block0, QColor("#ffffff"));
    QCOMPARE(qr.block1, QColor("#000000"));
    QCOMPARE(qr.bgColor, QColor("#ffffff"));
    QCOMPARE(qr.alpha, 0.5);
    QCOMPARE(qr.isPlus, false);
    QCOMPARE(qr.codeFontSize, 14);
    // An empty content encodes the site address; the ground keeps the alpha.
    QVERIFY(qr.create(m_cwd.file("empty.png")));
    QCOMPARE(qr.content, QByteArray(kProductSite));
    QCOMPARE(qr.bgColor.alpha(), 128);
    QCOMPARE(checkDecodes(loadFirst(m_cwd.file("empty.png")), QString::fromLatin1(kProductSite)), QString());
}

void TestBsdQr::canvasGeometry()
{
    // Version 2 is 25 modules: a canvas of 50 x 25 + 100 = 1350 pixels. At
    // that output size nothing is scaled, so the canvas can be probed.
    const QByteArray text = "tone geometry";
    Symbol symbol(text, 2, 0);
    QCOMPARE(symbol.grid.width(), 25);
    bsdQr qr;
    qr.content = text;
    qr.version = 2;
    qr.level = 0;
    qr.size = 1350;
    qr.ptColor = QColor("#ff0000");
    qr.inptColor = QColor("#0000ff");
    qr.block0 = QColor("#ffff00");
    qr.block1 = QColor("#008000");
    qr.bgColor = QColor("#00ffff");
    QVERIFY(qr.create(m_cwd.file("geo.png")));
    const QImage image = loadFirst(m_cwd.file("geo.png")).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(1350, 1350));

    // The eye is stamped one cell up-left of the finder and covers 9 x 9 cells.
    for (const QPoint &origin : {QPoint(0, 0), QPoint(50 * 18, 0), QPoint(0, 50 * 18)}) {
        QVERIFY(sameColor(image.pixel(origin + QPoint(2, 2)), Qt::white));
        QVERIFY(sameColor(image.pixel(origin + QPoint(52, 52)), Qt::red));
        QVERIFY(sameColor(image.pixel(origin + QPoint(397, 200)), Qt::red));
        QVERIFY(sameColor(image.pixel(origin + QPoint(102, 102)), Qt::white));
        QVERIFY(sameColor(image.pixel(origin + QPoint(152, 152)), Qt::blue));
        QVERIFY(sameColor(image.pixel(origin + QPoint(297, 297)), Qt::blue));
        QVERIFY(sameColor(image.pixel(origin + QPoint(447, 447)), Qt::white));
    }
    // Past the eye: the translucent ground (alpha 0.5) of the border.
    QVERIFY(sameColor(image.pixel(452, 5), Qt::cyan, 128));
    // The alignment picture of centre (18, 18) covers cells 16..20.
    const int a = 50 * 17;
    QVERIFY(sameColor(image.pixel(a + 2, a + 2), Qt::red));
    QVERIFY(sameColor(image.pixel(a + 52, a + 52), Qt::white));
    QVERIFY(sameColor(image.pixel(a + 125, a + 125), Qt::blue));
    QVERIFY(sameColor(image.pixel(a + 247, a + 247), Qt::red));

    // Blocks of 17 pixels centred in cell(x, y) = (50(x + 1), 50(y + 1)).
    const QPoint light = findModule(symbol.grid, [&](int x, int y) { return !symbol.grid.dark(x, y); });
    const QPoint dark = findModule(symbol.grid, [&](int x, int y) { return symbol.grid.dark(x, y); });
    QVERIFY(light.x() >= 0 && dark.x() >= 0);
    for (const auto &probe : {qMakePair(light, QColor("#ffff00")), qMakePair(dark, QColor("#008000"))}) {
        const QPoint cell(50 * (probe.first.x() + 1), 50 * (probe.first.y() + 1));
        QVERIFY(sameColor(image.pixel(cell + QPoint(25, 25)), probe.second));
        QVERIFY(sameColor(image.pixel(cell + QPoint(17, 17)), probe.second));
        QVERIFY(sameColor(image.pixel(cell + QPoint(32, 32)), probe.second));
        QVERIFY(sameColor(image.pixel(cell + QPoint(15, 25)), Qt::cyan, 128));
        QVERIFY(sameColor(image.pixel(cell + QPoint(25, 34)), Qt::cyan, 128));
    }
    saveToGallery("bsd_geometry", image);

    // blockSize 50 with square blocks fills every cell.
    qr.blockSize = 50;
    qr.alpha = 1.0;
    QVERIFY(qr.create(m_cwd.file("full.png")));
    const QImage full = loadFirst(m_cwd.file("full.png")).convertToFormat(QImage::Format_ARGB32);
    const QPoint cell(50 * (light.x() + 1), 50 * (light.y() + 1));
    QVERIFY(sameColor(full.pixel(cell), QColor("#ffff00")));
    QVERIFY(sameColor(full.pixel(cell + QPoint(49, 49)), QColor("#ffff00")));
}

void TestBsdQr::eyeShapesAndPins()
{
    const QByteArray text = "tone geometry";
    Symbol symbol(text, 2, 0);
    auto render = [&](int xt, int xtItem) {
        bsdQr qr;
        qr.content = text;
        qr.version = 2;
        qr.level = 0;
        qr.size = 1350;
        qr.xt = xt;
        qr.xtItem = xtItem;
        qr.bgColor = QColor("#00ffff");
        qr.block1 = QColor("#800000");
        const QString path = m_cwd.file(QStringLiteral("look_%1_%2.png").arg(xt).arg(xtItem));
        return qr.create(path) ? loadFirst(path).convertToFormat(QImage::Format_ARGB32) : QImage();
    };
    // Circles for every eye shape but 0 and 2: the eye's corner shows the ground.
    const QImage circles = render(1, 1);
    QVERIFY(sameColor(circles.pixel(3, 3), Qt::cyan, 128));
    QVERIFY(sameColor(circles.pixel(225, 225), Qt::black));
    QCOMPARE(render(7, 1), circles);
    const QImage rounded = render(2, 1);
    QVERIFY(sameColor(rounded.pixel(1, 1), Qt::cyan, 128));
    QVERIFY(sameColor(rounded.pixel(30, 30), Qt::white));
    QVERIFY(sameColor(render(0, 1).pixel(1, 1), Qt::white));

    // Dots: the corner of a dark block's rectangle stays ground.
    const QPoint dark = findModule(symbol.grid, [&](int x, int y) { return symbol.grid.dark(x, y); });
    const QPoint cell(50 * (dark.x() + 1), 50 * (dark.y() + 1));
    QVERIFY(sameColor(circles.pixel(cell + QPoint(25, 25)), QColor("#800000")));
    QVERIFY(sameColor(circles.pixel(cell + QPoint(17, 17)), Qt::cyan, 128));

    // Liquid: an isolated dark module is a disc of the whole cell, whatever
    // blockSize; a dark module with a dark right neighbour fills its right side.
    const QImage liquid = render(0, 2);
    saveToGallery("bsd_liquid", liquid);
    const QrGrid &g = symbol.grid;
    const QPoint lone = findModule(g, [&](int x, int y) {
        return g.dark(x, y) && !g.dark(x - 1, y) && !g.dark(x + 1, y) && !g.dark(x, y - 1) && !g.dark(x, y + 1);
    });
    QVERIFY(lone.x() >= 0);
    const QPoint loneCell(50 * (lone.x() + 1), 50 * (lone.y() + 1));
    QVERIFY(sameColor(liquid.pixel(loneCell + QPoint(25, 2)), QColor("#800000")));
    QVERIFY(sameColor(liquid.pixel(loneCell + QPoint(2, 25)), QColor("#800000")));
    QVERIFY(sameColor(liquid.pixel(loneCell + QPoint(2, 2)), Qt::cyan, 128));
    const QPoint joined = findModule(g, [&](int x, int y) {
        return g.dark(x, y) && g.dark(x + 1, y) && !g.dark(x - 1, y) && !g.dark(x, y - 1) && !g.dark(x, y + 1);
    });
    QVERIFY(joined.x() >= 0);
    const QPoint joinedCell(50 * (joined.x() + 1), 50 * (joined.y() + 1));
    QVERIFY(sameColor(liquid.pixel(joinedCell + QPoint(49, 1)), QColor("#800000")));
    QVERIFY(sameColor(liquid.pixel(joinedCell + QPoint(1, 1)), Qt::cyan, 128));
    // Light modules stay dots of blockSize in the liquid look.
    const QPoint light = findModule(g, [&](int x, int y) { return !g.dark(x, y); });
    QVERIFY(sameColor(liquid.pixel(50 * (light.x() + 1) + 25, 50 * (light.y() + 1) + 25), Qt::white));
    QVERIFY(sameColor(liquid.pixel(50 * (light.x() + 1) + 10, 50 * (light.y() + 1) + 10), Qt::cyan, 128));
}

void TestBsdQr::contrastCells()
{
    // Version 7: alignment patterns on row and column 6 stay alignment pictures.
    const QByteArray text = "contrast cells of the timing and format areas";
    Symbol symbol(text, 7, 0);
    const int w = symbol.grid.width();
    QCOMPARE(w, 45);
    bsdQr qr;
    qr.content = text;
    qr.version = 7;
    qr.level = 0;
    qr.size = 50 * w + 100;
    qr.isPlus = true;
    qr.block0 = QColor("#ffff00");
    qr.block1 = QColor("#800000");
    qr.ptColor = QColor("#ff0000");
    qr.xtItem = 1;
    QVERIFY(qr.create(m_cwd.file("plus.png")));
    const QImage image = loadFirst(m_cwd.file("plus.png")).convertToFormat(QImage::Format_ARGB32);
    saveToGallery("bsd_isplus_v7", image);
    int cells = 0;
    for (int y = 0; y < w; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!symbol.grid.inPlusZone(x, y) || symbol.grid.finderArea(x, y, 8) != QrGrid::NoCorner)
                continue;
            const QPoint cell(50 * (x + 1), 50 * (y + 1));
            if (symbol.grid.inAlignmentArea(x, y))
                continue;
            const QColor expected = symbol.grid.dark(x, y) ? Qt::black : Qt::white;
            QVERIFY2(sameColor(image.pixel(cell + QPoint(1, 1)), expected)
                         && sameColor(image.pixel(cell + QPoint(48, 48)), expected),
                     qPrintable(QStringLiteral("cell %1,%2").arg(x).arg(y)));
            ++cells;
        }
    }
    QVERIFY(cells > 40);
    // The alignment picture centred on (22, 6) still stands there.
    QVERIFY(sameColor(image.pixel(50 * 21 + 2, 50 * 5 + 2), Qt::red));
}

void TestBsdQr::decodesEveryLook()
{
    QStringList problems;
    for (int isPlus = 0; isPlus < 2; ++isPlus) {
        for (int xt = 0; xt < 3; ++xt) {
            for (int xtItem = 0; xtItem < 3; ++xtItem) {
                bsdQr qr;
                qr.content = "https://example.com/tone";
                qr.xt = xt;
                qr.xtItem = xtItem;
                qr.isPlus = isPlus;
                qr.block1 = QColor("#303080");
                qr.ptColor = QColor("#802020");
                const QString name = QStringLiteral("bsd_xt%1_item%2%3").arg(xt).arg(xtItem).arg(isPlus ? "_plus" : "");
                QVERIFY(qr.create(m_cwd.file(name + ".png")));
                const QImage image = loadFirst(m_cwd.file(name + ".png"));
                saveToGallery(name, image);
                const QString problem = checkDecodes(image, "https://example.com/tone");
                if (!problem.isEmpty())
                    problems.append(name + ": " + problem);
            }
        }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));

    bsdQr chinese;
    chinese.content = QStringLiteral("色调样式二维码").toUtf8();
    chinese.xtItem = 2;
    QVERIFY(chinese.create(m_cwd.file("zh.png")));
    QCOMPARE(decodeZXing(prepareForDecode(loadFirst(m_cwd.file("zh.png")))), QStringLiteral("色调样式二维码"));
}

void TestBsdQr::captionAndBackgrounds()
{
    bsdQr qr;
    qr.content = "tone caption";
    qr.isCode = true;
    qr.codeStr = "tone caption";
    QVERIFY(qr.create(m_cwd.file("caption.png")));
    QImage image = loadFirst(m_cwd.file("caption.png"));
    QCOMPARE(image.size(), QSize(300, 328));
    QCOMPARE(qAlpha(image.pixel(2, 326)), 0);  // the band's ground is transparent
    QCOMPARE(checkDecodes(image, "tone caption"), QString());

    qr.isCode = true;
    qr.codeStr.clear();
    QVERIFY(qr.create(m_cwd.file("nocaption.png")));
    QCOMPARE(loadFirst(m_cwd.file("nocaption.png")).size(), QSize(300, 300));

    // Still background: the code drawn at (bgX, bgY), the background's size kept.
    QImage still(480, 400, QImage::Format_RGB32);
    still.fill(QColor("#204060"));
    QVERIFY(still.save(m_cwd.file("bg.jpg")));
    bsdQr onStill;
    onStill.content = "tone on still";
    onStill.alpha = 1.0;
    onStill.bgImg = m_cwd.file("bg.jpg");
    onStill.bgX = 100;
    onStill.bgY = 50;
    QVERIFY(onStill.create(m_cwd.file("still.jpg")));
    image = loadFirst(m_cwd.file("still.jpg"));
    QCOMPARE(image.size(), QSize(480, 400));
    QCOMPARE(checkDecodes(image, "tone on still"), QString());
    saveToGallery("bsd_still_background", image);

    // Animated background: one frame per background frame, each readable.
    GifImage gif(QSize(360, 360));
    for (int i = 0; i < 3; ++i) {
        QImage frame(360, 360, QImage::Format_RGB32);
        frame.fill(QColor::fromHsv(i * 100, 90, 240));
        gif.addFrame(frame, QPoint(0, 0), 120 * (i + 1));
    }
    QVERIFY(gif.save(m_cwd.file("anim.gif")));
    bsdQr onAnimated;
    onAnimated.content = "tone animated";
    onAnimated.alpha = 1.0;
    onAnimated.bgImg = m_cwd.file("anim.gif");
    onAnimated.bgX = 30;
    onAnimated.bgY = 30;
    QVERIFY(onAnimated.create(m_cwd.file("anim_out.gif")));
    const GifRecord record = readGif(m_cwd.file("anim_out.gif"));
    QVERIFY2(record.ok, qPrintable(record.error));
    QCOMPARE(record.frames.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(record.frames.at(i).delay, 12 * (i + 1));
        QCOMPARE(checkDecodes(record.frames.at(i).image, "tone animated"), QString());
    }
}

void TestBsdQr::failures()
{
    bsdQr tooLong;
    tooLong.content = QByteArray(4000, 'y');
    QVERIFY(!tooLong.create(m_cwd.file("long.png")));
    QVERIFY(!QFile::exists(m_cwd.file("long.png")));

    bsdQr unwritable;
    unwritable.content = "x";
    QVERIFY(!unwritable.create(m_cwd.file("no/such/dir/out.png")));

    // A ".gif" output without a background is a one-frame GIF.
    QVERIFY(unwritable.create(m_cwd.file("single.gif")));
    QCOMPARE(readGif(m_cwd.file("single.gif")).frames.size(), 1);
}

void TestBsdQr::runsOnWorkerThread()
{
    static QStringList messages;
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &text) { messages.append(text); });
    bool ok = false;
    const QString path = m_cwd.file("worker.png");
    QThread *thread = QThread::create([&ok, path] {
        bsdQr qr;
        qr.content = "tone worker";
        qr.xtItem = 2;
        qr.isCode = true;
        qr.codeStr = "worker";
        ok = qr.create(path);
    });
    thread->start();
    QVERIFY(thread->wait(60000));
    delete thread;
    qInstallMessageHandler(previous);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    QVERIFY(ok);
    QCOMPARE(checkDecodes(loadFirst(path), "tone worker"), QString());
}

QTEST_MAIN(TestBsdQr)
#include "tst_bsdqr.moc"
