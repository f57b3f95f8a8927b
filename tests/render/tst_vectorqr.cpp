// The vector writers: view box and page, pattern and module geometry read back
// from the documents (SVG through QSvgRenderer, PDF through pdftoppm), the
// caption band, decoding, the temporary file and failures. Each test works in
// its own directory, the writers' cache directory.
#include "helpers.h"
#include "rendersupport.h"
#include "vectorqr.h"

#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QtTest>

using namespace TestSupport;

namespace {

using Configure = std::function<void(VectorQrBase &)>;

QImage picture(const QString &file, double scale = 4)
{
    return TestSupport::documentPicture(file, scale);
}

// Writes with the writer the suffix names; a null picture when create fails.
QImage write(const QString &file, const Configure &configure, double scale = 4)
{
    svgQr svg;
    pdfQr pdf;
    const bool isSvg = file.endsWith(".svg");
    configure(isSvg ? static_cast<VectorQrBase &>(svg) : pdf);
    return (isSvg ? svg.create(file) : pdf.create(file)) ? picture(file, scale) : QImage();
}

QStringList leftovers(const QString &dir) { return QDir(dir).entryList({"tmp-*"}, QDir::Files); }

} // namespace

class TestVectorQr : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void viewBoxPageAndCaption()
    {
        // Size 300 on 21 modules: cell 300 / 23 = 13, grid side 299, a caption
        // band of 2 x 14 below it; the PDF page is 299 by 327 millimetres.
        svgQr svg;
        QVERIFY(setSymbol(svg, "cell", 1).create("cell.svg") && svg.cell == 13 && svg.bgColor.alpha() == 128);
        QVERIFY(readBytes("cell.svg").contains("viewBox=\"0 0 299 327\""));
        const QSize page = write("cell.pdf", [](VectorQrBase &qr) { setSymbol(qr, "cell", 1); }, 10).size();
        QVERIFY(qAbs(page.width() - 2990) <= 2 && qAbs(page.height() - 3270) <= 2);
        // The caption's descenders reach past one codeFontSize and end inside the band.
        for (const char *kind : {"svg", "pdf"}) {
            const QImage image = write(QStringLiteral("caption.%1").arg(kind), [](VectorQrBase &qr) {
                setCaption(setSymbol(qr, "caption", 1), "gypq Jy", Qt::red);
            });
            QRect ink;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixelColor(x, y).red() > 120 && image.pixelColor(x, y).green() < 90)
                        ink |= QRect(x, y, 1, 1);
            QVERIFY2(qAbs(image.height() - 327 * 4) <= 1 && ink.top() >= 299 * 4 && ink.bottom() > 313 * 4
                         && ink.bottom() < 327 * 4 - 2 && qAbs(ink.center().x() - 149.5 * 4) < 16, kind);
            QCOMPARE(checkDecodes(image, "caption"), QString());
            // A caption text without the flag draws nothing (a batch always hands the row's name over).
            const QImage plain = write(QStringLiteral("plain.%1").arg(kind), [](VectorQrBase &qr) {
                setCaption(setSymbol(qr, "caption", 1), "gypq Jy", Qt::red).isCode = false;
            });
            bool inked = false;
            for (int y = 299 * 4; y < plain.height(); ++y)
                for (int x = 0; x < plain.width(); ++x)
                    inked = inked || (plain.pixelColor(x, y).red() > 120 && plain.pixelColor(x, y).green() < 90);
            QVERIFY2(!inked, kind);
        }
    }

    void looksGeometryAndDecoding()
    {
        // At 4 pixels a unit. Version 2 at 270: cell 10. The finder's white square
        // reaches one cell beyond it; pattern colours from 10, 20, 30 units; the
        // alignment pattern from module (16, 16) without a white ring. Squares
        // reach their cell's corner, rounded looks do not; isPlus paints whole
        // timing cells, the dark ones black; looks past 2 paint no pattern and
        // no module.
        const QColor pt("#d00000"), inpt("#0000d0"), light("#ffff80"), dark("#006000"), white(Qt::white);
        const Symbol looks("looks", 2, 0), liquid("liquid", 1, 0);
        // A pixel of the first ordinary module of `shape` (light for ""), from its cell's corner.
        const auto cell = [](const Symbol &s, const char *shape, double dx, double dy, QColor color, int pitch = 10) {
            const QPoint m = s.find([&](int x, int y) {
                return s.grid.dark(x, y) == bool(*shape) && (!*shape || s.grid.shapeName(x, y) == shape);
            });
            return ColorProbe{int(4 * (pitch * (m.x() + 1) + dx)), int(4 * (pitch * (m.y() + 1) + dy)), color};
        };
        // Every finder look with every module look, isPlus, versions, module
        // sizes, a Chinese text and, for an empty one, the site address.
        // Liquid ends fill their cells up to the edge on an odd cell (13, half
        // cell 6): no light strip between the rounded half and the flat one.
        struct Case { int xt, xtItem, version, level, size, block; bool plus; const char *text; QList<ColorProbe> at; };
        const Case cases[] = {
            {0, 0, 2, 0, 270, 50, false, "looks",
             {{20, 20, white}, {340, 160, white}, {44, 44, pt}, {316, 316, pt}, {100, 180, white}, {124, 124, inpt},
              {236, 236, inpt}, {764, 44, pt}, {740, 160, white}, {44, 1036, pt}, {684, 684, pt}, {876, 876, pt},
              {740, 740, white}, {780, 780, inpt}, cell(looks, "roundCenter", 0.6, 0.6, dark),
              cell(looks, "", 0.6, 0.6, light), {362, 282, dark}}},
            {2, 2, 2, 0, 270, 50, true, "looks",
             {{42, 42, white}, {56, 56, pt}, cell(looks, "roundCenter", 0.6, 0.6, white),
              cell(looks, "squareCenter", 0.6, 0.6, dark), {362, 282, Qt::black}, {402, 282, light}}},
            {3, 3, 2, 0, 270, 50, true, "looks",
             {{44, 44, white}, {180, 180, white}, {692, 692, white}, cell(looks, "squareCenter", 0.6, 0.6, white),
              {380, 300, Qt::black}, {420, 300, light}}},
            {0, 2, 1, 0, 300, 50, false, "liquid", {cell(liquid, "roundTop", 6.5, 12.6, dark, 13),
                                                     cell(liquid, "roundRight", 6.25, 6.5, dark, 13),
                                                     // The flat halves and square corners reach the cell's edges.
                                                     cell(liquid, "roundTop", 0.4, 12.6, dark, 13),
                                                     cell(liquid, "roundBottom", 0.4, 0.4, dark, 13),
                                                     cell(liquid, "roundBottom", 12.6, 0.4, dark, 13),
                                                     cell(liquid, "roundLeft", 12.6, 0.4, dark, 13),
                                                     cell(liquid, "roundLeft", 12.6, 12.6, dark, 13),
                                                     cell(liquid, "roundRight", 0.4, 12.6, dark, 13),
                                                     cell(liquid, "squareCenter", 0.4, 0.4, dark, 13),
                                                     cell(liquid, "squareCenter", 12.6, 12.6, dark, 13),
                                                     cell(liquid, "roundLeftTop", 12.6, 12.6, dark, 13),
                                                     cell(liquid, "roundRightTop", 0.4, 0.4, dark, 13),
                                                     cell(liquid, "roundRightTop", 0.4, 12.6, dark, 13),
                                                     cell(liquid, "roundLeftBottom", 12.6, 0.4, dark, 13),
                                                     cell(liquid, "roundLeftBottom", 2.5, 10.5, dark, 13),
                                                     cell(liquid, "roundRightBottom", 0.4, 0.4, dark, 13),
                                                     // The rounded corner of each corner piece is cut off.
                                                     cell(liquid, "roundLeftTop", 0.6, 0.6, white, 13),
                                                     cell(liquid, "roundRightTop", 12.4, 0.6, white, 13),
                                                     cell(liquid, "roundLeftBottom", 0.6, 12.4, white, 13),
                                                     cell(liquid, "roundRightBottom", 12.4, 12.4, white, 13)}},
            {1, 1, 2, 1, 300, 50, true, "VOPA-2", {}}, {2, 2, 7, 3, 400, 50, true, "https://example.com/v?v=7", {}},
            {0, 1, 7, 2, 400, 30, false, "block size", {}}, {1, 2, 0, 3, 300, 70, false, "block size", {}},
            {2, 0, 0, 2, 300, 70, true, "矢量二维码测试", {}}, {2, 1, 0, 2, 300, 50, false, "", {}}};
        // Written on a worker thread as batch generation does, where nothing may
        // be logged; a PDF without probes is decoded at about one pixel a unit.
        QStringList problems;
        const QStringList messages = collectMessages([&] {
            for (const char *kind : {"svg", "pdf"})
                for (const Case &c : cases) {
                    const QString file = QStringLiteral("look%1.%2").arg(&c - cases).arg(kind);
                    const QImage image = write(file, [&](VectorQrBase &qr) {
                        setSymbol(qr, c.text, c.version, c.level, c.size).xt = c.xt;
                        qr.xtItem = c.xtItem;
                        qr.isPlus = c.plus;
                        qr.blockSize = c.block;
                        qr.block0 = light;
                        qr.block1 = dark;
                        qr.ptColor = pt;
                        qr.inptColor = inpt;
                    }, c.at.isEmpty() && *kind == 'p' ? 1 : 4);
                    saveToGallery(file, image);
                    const QString wrong = checkProbes(image, c.at, 24);
                    // Without finders (xt 3) there is nothing to decode. zbar misses the ring finders of
                    // xt 1 at some scales: for that look it may read the render at half size.
                    const QString text = *c.text ? QString::fromUtf8(c.text) : QString(kProductSite);
                    QString problem = c.xt < 3 ? checkDecodes(image, text) : QString();
                    if (!problem.isEmpty() && c.xt == 1 && checkDecodes(image, text, false).isEmpty())
                        problem = checkDecodes(image.scaledToWidth(image.width() / 2, Qt::SmoothTransformation), text);
                    if (!(wrong + problem).isEmpty())
                        problems << file + ": " + wrong + problem;
                }
        });
        // Each temporary document is gone once copied.
        problems << messages << leftovers(".");
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    }

    void temporaryFileAndFailures()
    {
        // What a vector writer draws when its caller sets only the text; no cache folder, no document.
        for (const bool pdf : {false, true}) {
            svgQr svg;
            pdfQr pdfWriter;
            VectorQrBase &qr = pdf ? static_cast<VectorQrBase &>(pdfWriter) : svg;
            QCOMPARE((QList<double>{double(qr.size), double(qr.level), double(qr.version), double(qr.xt), qr.blockSize,
                                    qr.alpha, double(qr.codeFontSize), double(qr.isPlus), double(qr.isCode)}),
                     (QList<double>{300, 2, 0, 0, 50, 0.5, 14, 0, 0}));
            qr.dir = m_cwd.file("gone");
            QVERIFY(!(pdf ? pdfWriter.create("gone.pdf") : svg.create("gone.svg")));
        }
        // Written to tmp-<10 characters> in `dir` and copied to the target; the
        // document leaves `dir` whether or not the copy succeeds. Unencodable
        // texts and a missing cache folder: false, and no file at all.
        QVERIFY(QDir().mkdir("cache"));
        const Configure failing[] = {[](VectorQrBase &qr) { setSymbol(qr, QByteArray(3000, 'x'), 0, 3); },
                                     [](VectorQrBase &qr) { setSymbol(qr, "x", 41); },
                                     [this](VectorQrBase &qr) { qr.dir = m_cwd.file("gone"); }};
        for (const QString kind : {"svg", "pdf"}) {
            const Configure toCache = [this](VectorQrBase &qr) { qr.dir = m_cwd.file("cache"); };
            QVERIFY(write("missing/code." + kind, toCache).isNull() && leftovers("cache").isEmpty());
            QVERIFY(!write("code." + kind, toCache).isNull() && leftovers("cache").isEmpty());
            for (const Configure &configure : failing)
                collectMessages([&] { QVERIFY(write("no." + kind, configure).isNull()); }, false);
            QVERIFY(!QFile::exists("no." + kind) && !QFile::exists("gone") && leftovers(".").isEmpty());
        }
    }

private:
    TestCwd m_cwd;
};

QTEST_MAIN(TestVectorQr)
#include "tst_vectorqr.moc"
