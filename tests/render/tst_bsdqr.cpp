// The tone renderer: the 50-pixel canvas with its stamped eyes, alignment
// pictures, blocks, pins and contrast cells, and decoding of every look.
// Each test works in its own directory.
#include "bsdqr.h"
#include "helpers.h"
#include "rendersupport.h"

#include <QtTest>

using namespace TestSupport;

namespace {

QImage argb(bsdQr &qr, const QString &file)
{
    return render(qr, file).convertToFormat(QImage::Format_ARGB32);
}

// At output size 50 w + 100 nothing is scaled: module (x, y) has the canvas
// cell at (50(x + 1), 50(y + 1)).
QImage cellOf(const QImage &canvas, const QPoint &module)
{
    return canvas.copy(50 * (module.x() + 1), 50 * (module.y() + 1), 50, 50);
}

// Version 2 is 25 modules: a canvas of 1350 pixels, on a cyan ground.
bsdQr &canvasCode(bsdQr &qr)
{
    setSymbol(qr, "tone geometry", 2, 0, 1350).bgColor = Qt::cyan;
    return qr;
}

const QColor kGround(0, 255, 255, 128); // cyan at the default alpha 0.5

} // namespace

class TestBsdQr : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void defaults()
    {
        bsdQr qr;
        QVERIFY(qr.size == 300 && qr.level == 2 && qr.blockSize == 17.0 && qr.alpha == 0.5 && !qr.isPlus);
        // An empty content encodes the site address; the ground gets the alpha.
        QCOMPARE(checkDecodes(render(qr, "empty.png"), kProductSite), QString());
        QCOMPARE(qr.content, QByteArray(kProductSite));
        QCOMPARE(qr.bgColor.alpha(), 128);
    }

    void canvasGeometry()
    {
        const Symbol symbol("tone geometry", 2, 0);
        const QColor red(Qt::red), blue(Qt::blue), white(Qt::white), yellow(Qt::yellow), green("#008000");
        bsdQr qr;
        canvasCode(qr).ptColor = red;
        qr.inptColor = blue;
        qr.block0 = yellow;
        qr.block1 = green;
        const QImage image = argb(qr, "geo.png");
        QCOMPARE(image.size(), QSize(1350, 1350));
        saveToGallery("bsd_geometry", image);
        // The eye is stamped one cell up-left of the finder and covers 9 x 9
        // cells; past it lies the translucent ground of the border.
        const QList<ColorProbe> eye = {{2, 2, white},     {52, 52, red},    {397, 200, red}, {102, 102, white},
                                       {152, 152, blue}, {297, 297, blue}, {447, 447, white}};
        for (const QPoint &origin : {QPoint(0, 0), QPoint(900, 0), QPoint(0, 900)})
            QCOMPARE(checkProbes(image.copy(origin.x(), origin.y(), 450, 450), eye), QString());
        QVERIFY(sameColor(image.pixel(452, 5), kGround));
        // The alignment picture of centre (18, 18) covers cells 16..20.
        QCOMPARE(checkProbes(image.copy(850, 850, 250, 250), {{2, 2, red}, {52, 52, white}, {125, 125, blue}, {247, 247, red}}),
                 QString());
        // Blocks of 17 pixels centred in their cells, the ground around them.
        const QPoint light = symbol.find([&](int x, int y) { return !symbol.grid.dark(x, y); });
        const QPoint dark = symbol.find([&](int x, int y) { return symbol.grid.dark(x, y); });
        QVERIFY(light.x() >= 0 && dark.x() >= 0);
        for (const auto &block : {qMakePair(light, yellow), qMakePair(dark, green)})
            QCOMPARE(checkProbes(cellOf(image, block.first), {{25, 25, block.second}, {17, 17, block.second},
                                                              {32, 32, block.second}, {15, 25, kGround}, {25, 34, kGround}}),
                     QString());
        // blockSize 50 with square blocks fills every cell.
        qr.blockSize = 50;
        qr.alpha = 1.0;
        QCOMPARE(checkProbes(cellOf(argb(qr, "full.png"), light), {{0, 0, yellow}, {49, 49, yellow}}), QString());
    }

    void eyeShapesAndPins()
    {
        const Symbol symbol("tone geometry", 2, 0);
        const QrGrid &g = symbol.grid;
        const QColor maroon("#800000");
        auto look = [&](int xt, int xtItem) {
            bsdQr qr;
            canvasCode(qr).xt = xt;
            qr.xtItem = xtItem;
            qr.block1 = maroon;
            return argb(qr, QStringLiteral("look_%1_%2.png").arg(xt).arg(xtItem));
        };
        // Circles for every eye shape but 0 and 2: the eye's corner shows the ground.
        const QImage circles = look(1, 1);
        QCOMPARE(checkProbes(circles, {{3, 3, kGround}, {225, 225, Qt::black}}), QString());
        QCOMPARE(look(7, 1), circles);
        QCOMPARE(checkProbes(look(2, 1), {{1, 1, kGround}, {30, 30, Qt::white}}), QString());
        QVERIFY(sameColor(look(0, 1).pixel(1, 1), Qt::white));
        // Dots: the corner of a dark block's rectangle stays ground.
        const QPoint dark = symbol.find([&](int x, int y) { return g.dark(x, y); });
        QCOMPARE(checkProbes(cellOf(circles, dark), {{25, 25, maroon}, {17, 17, kGround}}), QString());

        // Liquid: an isolated dark module is a disc of the whole cell, whatever
        // blockSize; a dark module with only its right neighbour dark fills its
        // right side; light modules stay dots of blockSize.
        const QImage liquid = look(0, 2);
        saveToGallery("bsd_liquid", liquid);
        const QPoint lone = symbol.find([&](int x, int y) { return g.dark(x, y) && g.shapeName(x, y) == "roundCenter"; });
        const QPoint joined = symbol.find([&](int x, int y) { return g.dark(x, y) && g.shapeName(x, y) == "roundLeft"; });
        const QPoint light = symbol.find([&](int x, int y) { return !g.dark(x, y); });
        QVERIFY(lone.x() >= 0 && joined.x() >= 0 && light.x() >= 0);
        QCOMPARE(checkProbes(cellOf(liquid, lone), {{25, 2, maroon}, {2, 25, maroon}, {2, 2, kGround}}), QString());
        QCOMPARE(checkProbes(cellOf(liquid, joined), {{49, 1, maroon}, {1, 1, kGround}}), QString());
        QCOMPARE(checkProbes(cellOf(liquid, light), {{25, 25, Qt::white}, {10, 10, kGround}}), QString());
    }

    void contrastCells()
    {
        // With isPlus every timing and format cell is a whole black or white
        // cell; in version 7 the alignment pictures on row and column 6 stay.
        const QByteArray text = "contrast cells of the timing and format areas";
        const Symbol symbol(text, 7, 0);
        const QrGrid &g = symbol.grid;
        bsdQr qr;
        setSymbol(qr, text, 7, 0, 50 * g.width() + 100).isPlus = true;
        qr.block0 = QColor("#ffff00");
        qr.block1 = QColor("#800000");
        qr.ptColor = Qt::red;
        qr.xtItem = 1;
        const QImage image = argb(qr, "plus.png");
        saveToGallery("bsd_isplus_v7", image);
        int cells = 0;
        for (int y = 0; y < g.width(); ++y) {
            for (int x = 0; x < g.width(); ++x) {
                if (!g.inPlusZone(x, y) || g.finderArea(x, y, 8) != QrGrid::NoCorner || g.inAlignmentArea(x, y))
                    continue;
                const QColor expected = g.dark(x, y) ? Qt::black : Qt::white;
                const QString problem = checkProbes(cellOf(image, QPoint(x, y)), {{1, 1, expected}, {48, 48, expected}});
                QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("cell %1,%2: ").arg(x).arg(y) + problem));
                ++cells;
            }
        }
        QVERIFY(cells > 40);
        QVERIFY(sameColor(image.pixel(50 * 21 + 2, 50 * 5 + 2), Qt::red)); // the alignment picture at (22, 6)
    }

    void decodesEveryLook()
    {
        QStringList problems;
        for (int look = 0; look < 18; ++look) {
            const int xt = look / 6, xtItem = look / 2 % 3;
            const bool plus = look % 2;
            bsdQr qr;
            setSymbol(qr, "https://example.com/tone").xt = xt;
            qr.xtItem = xtItem;
            qr.isPlus = plus;
            qr.block1 = QColor("#303080");
            qr.ptColor = QColor("#802020");
            const QString name = QStringLiteral("bsd_xt%1_item%2%3").arg(xt).arg(xtItem).arg(plus ? "_plus" : "");
            const QImage image = render(qr, name + ".png");
            saveToGallery(name, image);
            const QString problem = checkDecodes(image, "https://example.com/tone");
            if (!problem.isEmpty())
                problems.append(name + ": " + problem);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        bsdQr chinese;
        setSymbol(chinese, QStringLiteral("色调样式二维码").toUtf8()).xtItem = 2;
        QCOMPARE(checkDecodes(render(chinese, "zh.png"), QStringLiteral("色调样式二维码")), QString());
    }

    void caption()
    {
        bsdQr qr;
        const QImage image = render(setCaption(setSymbol(qr, "tone caption"), "tone caption"), "caption.png");
        QCOMPARE(checkCaption(image, 300, Qt::black), QString());
        QCOMPARE(checkDecodes(image, "tone caption"), QString());
    }

    void failures() { QCOMPARE(checkFailures<bsdQr>(), QString()); }

    void runsOnWorkerThread()
    {
        // The liquid pins are pixmaps, which warn off the GUI thread.
        QCOMPARE(checkOnWorkerThread<bsdQr>([](bsdQr &qr) {
            qr.xtItem = 2;
            qr.alpha = 1.0;
        }, "bsd_animated"), QString());
    }

private:
    TestCwd m_cwd;
};

QTEST_MAIN(TestBsdQr)
#include "tst_bsdqr.moc"
