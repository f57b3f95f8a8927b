// The vector writers: cell and view box, pattern and module geometry read
// back from the rendered documents, the caption band, the temporary file,
// failures, decoding of every look and a run on a worker thread. Each test
// works in its own directory, the writers' cache directory.
#include "helpers.h"
#include "rendersupport.h"
#include "vectorqr.h"

#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QtTest>

using namespace TestSupport;

namespace {

const int kSvgScale = 4;
const QStringList kKinds = {QStringLiteral("svg"), QStringLiteral("pdf")};

// The SVG rendered at kSvgScale pixels a unit of its view box, on a transparent ground.
QImage renderSvg(const QString &path)
{
    QSvgRenderer renderer(path);
    QImage image((renderer.viewBoxF().size() * kSvgScale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(image.rect()));
    return image;
}

// What a poppler tool prints for the PDF, empty when it fails.
QByteArray runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitCode() == 0 ? process.readAllStandardOutput() : QByteArray();
}

// The PDF's first page as pdftoppm draws it at `dpi`.
QImage rasterisePdf(const QString &path, int dpi)
{
    return QImage::fromData(runTool("pdftoppm", {"-png", "-r", QString::number(dpi), "-singlefile", path}));
}

// The page size pdfinfo reports, in millimetres.
QSizeF pdfPageSize(const QString &path)
{
    const QRegularExpressionMatch match = QRegularExpression("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")
                                              .match(QString::fromLocal8Bit(runTool("pdfinfo", {path})));
    return QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble()) * 25.4 / 72;
}

// An attribute of the SVG file's root element.
QString svgAttribute(const QString &path, const QString &name)
{
    QXmlStreamReader reader(readBytes(path));
    reader.readNextStartElement();
    return reader.attributes().value(name).toString();
}

void copyToGallery(const QString &file, const QString &name)
{
    QFile::remove(QStringLiteral(VOPA_GALLERY_DIR "/") + name);
    QFile::copy(file, QStringLiteral(VOPA_GALLERY_DIR "/") + name);
}

// A rendered document with its scale: device pixels for one drawing unit.
struct Picture
{
    QImage image;
    double scale = 1.0;

    QRgb at(double ux, double uy) const { return image.pixel(int(ux * scale), int(uy * scale)); }
    // The colour, over white, of the drawing at (ux, uy).
    QColor colorAt(double ux, double uy) const
    {
        const QRgb p = at(ux, uy);
        return QColor(qRed(p) + 255 - qAlpha(p), qGreen(p) + 255 - qAlpha(p), qBlue(p) + 255 - qAlpha(p));
    }
    bool is(double ux, double uy, const QColor &color, int tolerance = 24) const
    {
        return sameColor(colorAt(ux, uy).rgb(), color, tolerance);
    }
    struct Spot
    {
        double x, y;
        QColor color;
    };
    // Empty when the drawing has each colour at its spot, else the ones it has not.
    QString check(const QList<Spot> &spots, int tolerance = 24) const
    {
        QStringList wrong;
        for (const Spot &s : spots)
            if (!is(s.x, s.y, s.color, tolerance))
                wrong << QStringLiteral("(%1, %2) is %3, not %4").arg(s.x).arg(s.y).arg(colorAt(s.x, s.y).name(), s.color.name());
        return wrong.join(QStringLiteral("; "));
    }
};

using Configure = std::function<void(VectorQrBase &)>;

// Writes the code with the writer the file's suffix names, configured by
// `configure`, and reads the document back (SVG at kSvgScale, PDF at `dpi`).
bool writeAndRender(const QString &file, const Configure &configure, Picture *picture, int dpi = 127)
{
    svgQr svg;
    pdfQr pdf;
    const bool isSvg = file.endsWith(".svg");
    configure(isSvg ? static_cast<VectorQrBase &>(svg) : pdf);
    if (!(isSvg ? svg.create(file) : pdf.create(file)))
        return false;
    if (picture)
        *picture = isSvg ? Picture{renderSvg(file), double(kSvgScale)} : Picture{rasterisePdf(file, dpi), dpi / 25.4};
    return !picture || !picture->image.isNull();
}

// Version 2 at size 270: cell 10, grid side 270.
void smallGrid(VectorQrBase &qr)
{
    setSymbol(qr, "looks", 2, 0, 270);
    qr.block0 = QColor("#ffff80");
    qr.block1 = QColor("#006000");
    qr.ptColor = QColor("#d00000");
}

// The first ordinary dark module with the given neighbour shape, or (-1, -1).
QPoint darkWithShape(const Symbol &symbol, const QString &shape)
{
    return symbol.find([&](int x, int y) { return symbol.grid.dark(x, y) && symbol.grid.shapeName(x, y) == shape; });
}

// The temporary documents left in `dir`.
QStringList leftovers(const QString &dir)
{
    return QDir(dir).entryList({QStringLiteral("tmp-*")}, QDir::Files);
}

} // namespace

class TestVectorQr : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable("pdftoppm").isEmpty() && !QStandardPaths::findExecutable("pdfinfo").isEmpty(),
                 "pdftoppm and pdfinfo (poppler-utils) are needed");
    }
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void cellViewBoxAndPage()
    {
        svgQr svg;
        QVERIFY(svg.size == 300 && svg.blockSize == 50.0 && svg.alpha == 0.5 && svg.dir == QDir::currentPath());
        // Size 300 on a 21-module symbol: cell 300 / 23 = 13, grid side 299,
        // a caption band of 2 x 14 below it, the ground at the alpha.
        QVERIFY(setSymbol(svg, "cell", 1).create("cell.svg"));
        QVERIFY(svg.cell == 13 && svg.blockSize == 13.0 && svg.bgColor.alpha() == 128);
        QCOMPARE(svgAttribute("cell.svg", "viewBox"), QStringLiteral("0 0 299 327"));
        // The nominal size stays square: 300 pixels at the generator's resolution.
        const QString width = svgAttribute("cell.svg", "width");
        QVERIFY2(width.endsWith("mm") && qAbs(width.chopped(2).toDouble() - 300 * 25.4 / svg.generator.resolution()) < 0.01,
                 qPrintable(width));
        QCOMPARE(svgAttribute("cell.svg", "height"), width);

        // The PDF page: 299 by 299 + 28 millimetres, and the drawing fills it.
        pdfQr pdf;
        setSymbol(pdf, "cell", 1).blockSize = 25;
        QVERIFY(pdf.create("cell.pdf"));
        QVERIFY(pdf.cell == 13 && pdf.blockSize == 6.5);
        const QSizeF page = pdfPageSize("cell.pdf");
        QVERIFY2(qAbs(page.width() - 299) < 0.4 && qAbs(page.height() - 327) < 0.4,
                 qPrintable(QStringLiteral("%1 x %2 mm").arg(page.width()).arg(page.height())));
        const Picture picture{rasterisePdf("cell.pdf", 50), 50 / 25.4};
        QVERIFY(qAbs(picture.image.width() - 299 * picture.scale) <= 1 && qAbs(picture.image.height() - 327 * picture.scale) <= 1);
        // The three finders sit in the grid's corners: outer ring, white ring,
        // centre, separator.
        for (const QPointF &f : {QPointF(13, 13), QPointF(13 + 14 * 13, 13), QPointF(13, 13 + 14 * 13)})
            QCOMPARE(picture.check({{f.x() + 6.5, f.y() + 45, Qt::black}, {f.x() + 19.5, f.y() + 45, Qt::white},
                                    {f.x() + 45, f.y() + 45, Qt::black}, {f.x() + 97.5, f.y() + 45, Qt::white},
                                    {292, 292, Qt::white}}), QString());
    }

    void patternAndModuleGeometry()
    {
        // Version 2 at size 270: cell 10, grid side 270; the alignment pattern
        // of centre (18, 18) starts at module (16, 16), at 170 units.
        const QColor pt("#d00000"), inpt("#0000d0"), light("#ffff80"), dark("#006000"), white(Qt::white);
        const Symbol symbol("looks", 2, 0);
        const QPoint dot = darkWithShape(symbol, "roundCenter"), square = darkWithShape(symbol, "squareCenter");
        const QPoint gap = symbol.find([&](int x, int y) { return !symbol.grid.dark(x, y); });
        QVERIFY(dot.x() >= 0 && square.x() >= 0 && gap.x() >= 0);
        // Just inside a module's cell corner, and its centre, in units.
        const auto corner = [](const QPoint &m) { return QPointF(10 * m.x() + 10.6, 10 * m.y() + 10.6); };
        const auto centre = [](const QPoint &m) { return QPointF(10 * m.x() + 15, 10 * m.y() + 15); };
        QStringList problems;
        for (const QString &kind : kKinds) {
            for (int look = 0; look < 18; ++look) {
                const int xt = look / 6, xtItem = look / 2 % 3;
                const bool plus = look % 2;
                const QString name = QStringLiteral("vector_%1_looks_xt%2_item%3%4").arg(kind).arg(xt).arg(xtItem).arg(plus ? "_plus" : "");
                Picture p;
                QVERIFY(writeAndRender(name + "." + kind, [&](VectorQrBase &qr) {
                    smallGrid(qr);
                    qr.inptColor = inpt;
                    qr.xt = xt;
                    qr.xtItem = xtItem;
                    qr.isPlus = plus;
                }, &p));
                if (xt == xtItem)
                    saveToGallery(name, p.image);
                if (look == 0) {
                    // Top-left finder: white 9 x 9 from 0, pattern colours from 10,
                    // 20, 30; the top-right finder anchored at module (18, 0), the
                    // bottom-left at (0, 18); the alignment pattern without a white
                    // ring around it; a light and a dark module in their own cells.
                    copyToGallery(name + "." + kind, "vector_geometry." + kind);
                    QCOMPARE(p.check({{5, 5, white}, {85, 40, white}, {11, 11, pt}, {79, 79, pt}, {25, 45, white},
                                      {31, 31, inpt}, {59, 59, inpt}, {65, 45, white}, {191, 11, pt}, {185, 40, white},
                                      {11, 259, pt}, {171, 171, pt}, {219, 219, pt}, {185, 185, white}, {195, 195, inpt},
                                      {centre(gap).x(), centre(gap).y(), light}, {centre(square).x(), centre(square).y(), dark}}),
                             QString());
                }
                const auto expect = [&](bool holds, const char *what) {
                    if (!holds)
                        problems << name + ": " + what;
                };
                // Finder corners: squares reach their corners, circles and
                // rounded squares do not; a rounded square comes closer.
                expect(p.is(10.6, 10.6, pt) == (xt == 0), "finder corner");
                expect(p.is(14, 14, pt) == (xt != 1), "finder near corner");
                expect(p.is(10.6, 45, pt), "finder ring");
                // Modules: squares cover the cell's corner, circles and dots
                // do not; the liquid look squares a module with neighbours.
                expect(p.is(centre(dot).x(), centre(dot).y(), dark), "dot centre");
                expect(p.is(corner(dot).x(), corner(dot).y(), dark) == (xtItem == 0), "dot corner");
                expect(p.is(corner(square).x(), corner(square).y(), dark) == (xtItem != 1), "square corner");
                expect(p.is(centre(gap).x(), centre(gap).y(), light), "light centre");
                expect(p.is(corner(gap).x(), corner(gap).y(), light) == (xtItem == 0), "light corner");
                // The timing row: with isPlus whole cells, the dark ones black
                // whatever block1 is; (8, 6) is dark, (9, 6) light.
                expect(p.is(90.6, 70.6, Qt::black) == plus, "dark timing module black");
                expect(plus || xtItem == 2 || p.is(90.6, 70.6, dark) == (xtItem == 0), "dark timing module");
                expect(p.is(100.6, 70.6, light) == (plus || xtItem == 0), "light timing module");
            }
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));

        // The background has the opacity `alpha` (the PDF lies on its white
        // page); the band below the grid is not filled.
        Picture svg;
        QVERIFY(writeAndRender("alpha.svg", [](VectorQrBase &qr) {
            smallGrid(qr);
            qr.alpha = 0.25;
            qr.bgColor = QColor("#204080");
        }, &svg));
        QVERIFY(qAbs(qAlpha(svg.at(265, 265)) - 64) <= 2);
        QCOMPARE(qAlpha(svg.at(135, 275)), 0);
        QCOMPARE(svg.image.height(), (270 + 28) * kSvgScale);
    }

    void liquidShapesFillTheirCells()
    {
        // An odd cell (300 / 23 = 13) rounds the half cell down to 6. Neither
        // writer may leave a light strip inside a rounded end: the flat half
        // reaches from the pie's diameter to the cell's edge.
        const Symbol symbol("liquid", 1, 0);
        QMap<QString, QPoint> m;
        for (const char *shape : {"roundTop", "roundRight", "roundLeft", "roundBottom"}) {
            m[shape] = darkWithShape(symbol, shape);
            QVERIFY2(m[shape].x() >= 0, shape);
        }
        const auto spot = [&](const char *shape, double dx, double dy, const QColor &color) {
            return Picture::Spot{13.0 * (m[shape].x() + 1) + dx, 13.0 * (m[shape].y() + 1) + dy, color};
        };
        const auto liquid = [](VectorQrBase &qr) { setSymbol(qr, "liquid", 1, 0).xtItem = 2; };
        Picture svg, pdf;
        for (const QString &kind : kKinds) {
            Picture &p = kind == "svg" ? svg : pdf;
            QVERIFY(writeAndRender("liquid." + kind, liquid, &p, 254));
            saveToGallery("vector_" + kind + "_liquid", p.image);
            copyToGallery("liquid." + kind, "vector_liquid." + kind);
            // roundTop: the bottom strip of the cell; roundLeft: the right strip;
            // roundRight and roundBottom: the middle, between the half cell and
            // the diameter. The rounded side itself stays open at its corners.
            QCOMPARE(p.check({spot("roundTop", 6.5, 12.6, Qt::black), spot("roundLeft", 12.6, 6.5, Qt::black),
                              spot("roundRight", 6.25, 6.5, Qt::black), spot("roundBottom", 6.5, 6.25, Qt::black),
                              spot("roundTop", 0.5, 0.5, Qt::white), spot("roundRight", 12.5, 0.5, Qt::white)}),
                     QString());
        }

        // Only the SVG shapes reach past their cells: a full square by 0.2 units
        // into a light neighbour on its left.
        const QPoint open = symbol.find([&](int x, int y) {
            return x > 0 && symbol.grid.dark(x, y) && symbol.grid.shapeName(x, y) == "squareCenter" && !symbol.grid.dark(x - 1, y);
        });
        QVERIFY(open.x() >= 0);
        QVERIFY(writeAndRender("edge.pdf", liquid, &pdf, 508));
        const double edge = 13.0 * (open.x() + 1), row = 13.0 * (open.y() + 1) + 6.5;
        QVERIFY(qRed(svg.colorAt(edge - 0.1, row).rgb()) < 160); // the overhang, half a pixel at 4x
        QVERIFY(pdf.is(edge - 0.1, row, Qt::white, 8));
        QVERIFY(pdf.is(edge + 0.1, row, Qt::black, 60));
    }

    void captionBand()
    {
        // The band is 2 x codeFontSize under the grid in both writers: the
        // caption's descenders reach below one codeFontSize and end inside
        // it. Without a caption (isCode false, or an empty text) the band is
        // still there, empty.
        const int side = 299;
        for (const QString &kind : kKinds) {
            Picture p;
            QVERIFY(writeAndRender("caption." + kind, [&](VectorQrBase &qr) {
                setCaption(setSymbol(qr, "caption", 1), "gypq Jy", QColor("#c00000"));
            }, &p));
            saveToGallery("vector_" + kind + "_caption", p.image);
            copyToGallery("caption." + kind, "vector_caption." + kind);
            QVERIFY(qAbs(p.image.height() - (side + 28) * p.scale) <= 1.0);
            QRect ink;
            for (int y = 0; y < p.image.height(); ++y)
                for (int x = 0; x < p.image.width(); ++x)
                    if (p.colorAt(x / p.scale, y / p.scale).red() > 120 && p.colorAt(x / p.scale, y / p.scale).green() < 90)
                        ink |= QRect(x, y, 1, 1);
            const QString where = kind + QStringLiteral(": ink %1..%2 at scale %3").arg(ink.top()).arg(ink.bottom()).arg(p.scale);
            QVERIFY2(ink.top() >= side * p.scale, qPrintable(where));
            QVERIFY2(ink.bottom() > (side + 14) * p.scale && ink.bottom() < (side + 28) * p.scale - 2, qPrintable(where));
            QVERIFY2(qAbs(ink.center().x() - side * p.scale / 2) < 4 * p.scale, qPrintable(where)); // centred
            QCOMPARE(checkDecodes(p.image, "caption"), QString());

            for (bool isCode : {false, true}) {
                QVERIFY(writeAndRender("nocaption." + kind, [&](VectorQrBase &qr) {
                    setCaption(setSymbol(qr, "caption", 1), isCode ? "" : "hidden").isCode = isCode;
                    qr.codeFontSize = 20;
                }, &p, 50));
                QVERIFY(qAbs(p.image.height() - (side + 40) * p.scale) <= 1.0);
                for (int y = int(300 * p.scale); y < p.image.height(); ++y)
                    for (int x = 0; x < p.image.width(); x += 2)
                        QVERIFY(p.is(x / p.scale, y / p.scale, Qt::white, 4));
            }
        }
    }

    void decodesEveryScannableLook()
    {
        // Every finder look (xt 0 to 2) with every module look (xtItem 0 to 2),
        // with and without isPlus, at two versions, read back from both writers;
        // then smaller and larger modules than their cells, a Chinese text,
        // and an empty content that becomes the site address.
        QStringList problems;
        int count = 0;
        // zxing must read every render as it is. zbar's finder search misses the
        // ring finders of xt 1 at some scales and reads them at others; for that
        // look it may read the render at half size instead.
        const auto check = [&](const QString &file, const QByteArray &text, const Configure &configure, bool gallery, bool rings) {
            Picture p;
            if (!writeAndRender(file, configure, &p, 25))
                return problems.append(file + ": not written");
            ++count;
            if (gallery) {
                saveToGallery(QFileInfo(file).baseName(), p.image);
                copyToGallery(file, file);
            }
            const QString expected = QString::fromUtf8(text);
            QString problem = checkDecodes(p.image, expected);
            if (!problem.isEmpty() && rings && checkDecodes(p.image, expected, false).isEmpty()
                && checkDecodes(p.image.scaled(p.image.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), expected).isEmpty())
                problem.clear();
            if (!problem.isEmpty())
                problems.append(file + ": " + problem);
        };
        for (const QString &kind : kKinds) {
            for (int look = 0; look < 36; ++look) {
                const int version = look < 18 ? 2 : 7, xt = look / 6 % 3, xtItem = look / 2 % 3;
                const bool plus = look % 2;
                const QByteArray text = version == 2 ? QByteArray("VOPA-2") : QByteArray("https://example.com/vector?v=7");
                const QString file = QStringLiteral("vector_%1_v%2_xt%3_item%4%5.%1").arg(kind).arg(version).arg(xt).arg(xtItem).arg(plus ? "_plus" : "");
                check(file, text, [&](VectorQrBase &qr) {
                    setSymbol(qr, text, version, (xt + xtItem + (plus ? 1 : 0) + version) % 4, version == 2 ? 300 : 400).xt = xt;
                    qr.xtItem = xtItem;
                    qr.isPlus = plus;
                    setCaption(qr, (xt + xtItem) % 2 == 0 ? "VOPA" : "");
                    if (version == 7) {
                        qr.ptColor = QColor("#203070");
                        qr.inptColor = QColor("#702020");
                        qr.block1 = QColor("#102050");
                        qr.block0 = QColor("#fffff0");
                        qr.bgColor = QColor("#e0f0ff");
                        qr.alpha = 1.0;
                    }
                }, version == 7 && !plus, xt == 1);
            }
            for (int sized = 0; sized < 6; ++sized) {
                check(QStringLiteral("vector_%1_block%2_item%3.%1").arg(kind).arg(sized < 3 ? 30 : 70).arg(sized % 3), "block size",
                      [&](VectorQrBase &qr) {
                          setSymbol(qr, "block size", 0, 3).xtItem = sized % 3;
                          qr.blockSize = sized < 3 ? 30 : 70;
                      }, sized % 3 == 1, false);
            }
            const QByteArray chinese = QStringLiteral("矢量二维码测试，你好").toUtf8();
            check("vector_" + kind + "_chinese." + kind, chinese, [&](VectorQrBase &qr) {
                setSymbol(qr, chinese).xtItem = 2;
                qr.xt = 2;
            }, true, false);
            check("vector_" + kind + "_default." + kind, kProductSite, [](VectorQrBase &qr) { qr.xtItem = 1; }, false, false);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        QCOMPARE(count, 2 * (36 + 6 + 2));
    }

    void unscannableByDesign()
    {
        // A finder look other than 0 to 2 paints no finder and no alignment
        // pattern, and a module look other than 0 to 2 paints no module (with
        // isPlus the timing and format cells are still painted).
        const QColor light("#ffff80"), dark("#006000"), pt("#d00000");
        const Symbol symbol("looks", 2, 0);
        const QPoint square = darkWithShape(symbol, "squareCenter");
        QVERIFY(square.x() >= 0);
        const double sx = 10 * square.x() + 15, sy = 10 * square.y() + 15;
        for (const QString &kind : kKinds) {
            for (int variant = 0; variant < 4; ++variant) {
                const bool plus = variant == 3;
                Picture p;
                QVERIFY(writeAndRender("unscannable." + kind, [&](VectorQrBase &qr) {
                    smallGrid(qr);
                    qr.xt = variant == 0 ? 3 : variant == 1 ? -1 : 0;
                    qr.xtItem = variant < 2 ? 0 : 3;
                    qr.isPlus = plus;
                }, &p));
                if (variant == 0 || variant == 3)
                    saveToGallery(QStringLiteral("vector_%1_unscannable_%2").arg(kind, plus ? "item3_plus" : "xt3"), p.image);
                if (variant < 2) {
                    // Only the background in the finder and alignment areas.
                    QCOMPARE(p.check({{11, 11, Qt::white}, {45, 45, Qt::white}, {25, 45, Qt::white}, {191, 11, Qt::white},
                                      {11, 259, Qt::white}, {173, 173, Qt::white}, {195, 195, Qt::white}}, 4), QString());
                    QVERIFY(p.is(sx, sy, dark));
                } else {
                    QCOMPARE(p.check({{11, 11, pt}, {171, 171, pt}}), QString());
                    QVERIFY(p.is(sx, sy, Qt::white, 4));
                    QCOMPARE(p.is(95, 75, Qt::black), plus); // dark timing module (8, 6)
                    QCOMPARE(p.is(105, 75, light), plus);    // light timing module (9, 6)
                }
                QCOMPARE(decodeZXing(prepareForDecode(p.image)), QString());
            }
        }

        // A size below w + 2 gives cell 0: nothing of the code has any area.
        svgQr svg;
        pdfQr pdf;
        QVERIFY(setSymbol(svg, "looks", 2, 2, 26).create("tiny.svg") && setSymbol(pdf, "looks", 2, 2, 26).create("tiny.pdf"));
        QVERIFY(svg.cell == 0 && pdf.cell == 0 && svgAttribute("tiny.svg", "viewBox").isEmpty());
        const QSizeF page = pdfPageSize("tiny.pdf");
        QVERIFY2(page.width() < 0.4 && qAbs(page.height() - 28) < 0.4,
                 qPrintable(QStringLiteral("%1 x %2 mm").arg(page.width()).arg(page.height())));
    }

    void temporaryFile()
    {
        // The one temporary document left in `dir`, named tmp-<10 characters>.suffix, or nothing.
        const auto keptOne = [](const QString &dir, const QString &suffix) {
            const QStringList kept = leftovers(dir);
            const bool named = kept.size() == 1 && QRegularExpression("^tmp-[0-9A-Z]{10}\\." + suffix + "$").match(kept.first()).hasMatch();
            return named ? dir + "/" + kept.first() : QString();
        };
        QVERIFY(QDir().mkdir("out"));
        // A successful copy: the target holds the document, the temporary file
        // is gone; an existing, longer target is replaced.
        svgQr svg;
        svg.content = "temporary";
        QVERIFY(svg.create("out/code.svg"));
        QVERIFY(svg.generator.fileName().isEmpty());
        QCOMPARE(checkDecodes(renderSvg("out/code.svg"), "temporary"), QString());
        for (const QString &kind : kKinds) {
            QVERIFY(writeBytes("out/old." + kind, QByteArray(100000, 'x')));
            Picture p;
            QVERIFY(writeAndRender("out/old." + kind, [](VectorQrBase &qr) { qr.content = "replaced"; }, &p, 30));
            QVERIFY(!readBytes("out/old." + kind).contains(QByteArray(100, 'x')));
            QCOMPARE(checkDecodes(p.image, "replaced"), QString());
        }
        QVERIFY(leftovers(".").isEmpty());

        // A copy that fails (missing folder, empty path): false, and the finished
        // document stays in the cache directory under its temporary name.
        svgQr failedSvg;
        failedSvg.content = "kept";
        QVERIFY(!failedSvg.create("missing/code.svg"));
        QVERIFY(!QFile::exists("missing/code.svg"));
        QString kept = keptOne(".", "svg");
        QVERIFY(!kept.isEmpty());
        QCOMPARE(checkDecodes(renderSvg(kept), "kept"), QString());
        QVERIFY(QFile::remove(kept));
        pdfQr failedPdf;
        failedPdf.content = "kept";
        QVERIFY(!failedPdf.create(QString()));
        kept = keptOne(".", "pdf");
        QVERIFY(!kept.isEmpty());
        QCOMPARE(checkDecodes(rasterisePdf(kept, 30), "kept"), QString());
        QVERIFY(QFile::remove(kept));

        // The temporary file goes to `dir`, whatever the working directory is then.
        QVERIFY(QDir().mkdir("cache"));
        failedPdf.dir = m_cwd.file("cache");
        QVERIFY(!failedPdf.create("missing/x.pdf"));
        QVERIFY(!keptOne("cache", "pdf").isEmpty());
        QVERIFY(leftovers(".").isEmpty());
    }

    void failures()
    {
        // A text too long for any version, or a version the encoder rejects:
        // false, and neither a target nor a temporary file.
        for (const QString &kind : kKinds) {
            QVERIFY(!writeAndRender("long." + kind, [](VectorQrBase &qr) { setSymbol(qr, QByteArray(3000, 'x'), 0, 3); }, nullptr));
            QVERIFY(!writeAndRender("long." + kind, [](VectorQrBase &qr) { setSymbol(qr, "x", 41); }, nullptr));
            QVERIFY(!QFile::exists("long." + kind));
            QVERIFY(leftovers(".").isEmpty());
        }
        // A cache folder that does not exist: no temporary file, so nothing to copy.
        for (const QString &kind : kKinds) {
            bool written = true;
            collectMessages([&] {
                written = writeAndRender("nocache." + kind, [&](VectorQrBase &qr) { qr.dir = m_cwd.file("gone"); }, nullptr);
            }, false);
            QVERIFY(!written);
            QVERIFY(!QFile::exists("nocache." + kind) && !QFile::exists("gone"));
        }
    }

    void runsOnWorkerThread()
    {
        bool ok = false;
        const QStringList messages = collectMessages([&ok] {
            svgQr svg;
            pdfQr pdf;
            setCaption(setSymbol(svg, "worker svg"), "worker").xtItem = 2;
            setCaption(setSymbol(pdf, "worker pdf"), "worker").xt = 1;
            pdf.xtItem = 1;
            ok = svg.create("worker.svg") && pdf.create("worker.pdf");
        });
        QVERIFY2(messages.isEmpty() && ok, qPrintable(messages.join('\n')));
        QCOMPARE(checkDecodes(renderSvg("worker.svg"), "worker svg"), QString());
        QCOMPARE(checkDecodes(rasterisePdf("worker.pdf", 30), "worker pdf"), QString());
        QVERIFY(leftovers(".").isEmpty());
    }

private:
    TestCwd m_cwd;
};

QTEST_MAIN(TestVectorQr)
#include "tst_vectorqr.moc"
