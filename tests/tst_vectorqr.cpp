// The vector writers: cell and view box, pattern and module geometry read
// back from the rendered documents, the caption band, the temporary file,
// failures, decoding of every look and a run on a worker thread.
#include "helpers.h"
#include "qrsymbol.h"
#include "testsupport.h"
#include "vectorqr.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QThread>
#include <QXmlStreamReader>
#include <QtTest>

using namespace TestSupport;

namespace {

const int kSvgScale = 4;

// The SVG rendered at kSvgScale pixels a unit of its view box, on a transparent ground.
QImage renderSvg(const QString &path)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return QImage();
    const QRectF box = renderer.viewBoxF();
    QImage image(qCeil(box.width() * kSvgScale), qCeil(box.height() * kSvgScale),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, image.width(), image.height()));
    painter.end();
    return image;
}

// The PDF's first page as pdftoppm draws it at `dpi`.
QImage rasterisePdf(const QString &path, int dpi)
{
    const QString prefix = path + QStringLiteral("-raster");
    QProcess process;
    process.start(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
                                               QStringLiteral("-singlefile"), path, prefix});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QImage();
    QImage image(prefix + QStringLiteral(".png"));
    QFile::remove(prefix + QStringLiteral(".png"));
    return image;
}

// The page size pdfinfo reports, in points.
QSizeF pdfPageSize(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {path});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QSizeF();
    const QString text = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QRegularExpression pattern(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return QSizeF();
    return QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble());
}

double mmToPoints(double mm)
{
    return mm * 72.0 / 25.4;
}

// The root element's attributes of an SVG file.
QXmlStreamAttributes svgRootAttributes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader reader(&file);
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("svg"))
            return reader.attributes();
    }
    return {};
}

void copyToGallery(const QString &file, const QString &name)
{
    const QString target = QStringLiteral(VOPA_GALLERY_DIR) + QLatin1Char('/') + name;
    QFile::remove(target);
    QFile::copy(file, target);
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
        const int a = qAlpha(p);
        return QColor(qRed(p) + 255 - a, qGreen(p) + 255 - a, qBlue(p) + 255 - a);
    }
    bool is(double ux, double uy, const QColor &color, int tolerance = 24) const
    {
        const QColor c = colorAt(ux, uy);
        return qAbs(c.red() - color.red()) <= tolerance && qAbs(c.green() - color.green()) <= tolerance
               && qAbs(c.blue() - color.blue()) <= tolerance;
    }
};

enum class Kind { Svg, Pdf };

QString kindName(Kind kind)
{
    return kind == Kind::Svg ? QStringLiteral("svg") : QStringLiteral("pdf");
}

// Writes the code with one writer, configured by `configure`, and reads the
// document back as a picture (SVG at kSvgScale, PDF at `dpi`).
template <class Configure>
bool writeAndRender(Kind kind, const QString &path, Configure configure, Picture *picture, int dpi = 127)
{
    bool ok = false;
    if (kind == Kind::Svg) {
        svgQr qr;
        configure(qr);
        ok = qr.create(path);
        if (ok && picture) {
            picture->image = renderSvg(path);
            picture->scale = kSvgScale;
        }
    } else {
        pdfQr qr;
        configure(qr);
        ok = qr.create(path);
        if (ok && picture) {
            picture->image = rasterisePdf(path, dpi);
            picture->scale = dpi / 25.4;
        }
    }
    return ok && (!picture || !picture->image.isNull());
}

// The symbol the writers will draw for a text.
struct Symbol
{
    explicit Symbol(const QByteArray &text, int version = 0, int level = 2)
        : content(text), holder(encodeQrContent(content, version, level, 2, true)), grid(holder.get())
    {
    }
    QByteArray content;
    QrSymbolHolder holder;
    QrGrid grid;

    bool plain(int x, int y) const
    {
        return grid.finderArea(x, y, 8) == QrGrid::NoCorner && !grid.inAlignmentArea(x, y) && !grid.inPlusZone(x, y);
    }
    // The first ordinary dark module with the given neighbour shape, or (-1, -1).
    QPoint darkWithShape(const QString &shape) const
    {
        for (int y = 0; y < grid.width(); ++y)
            for (int x = 0; x < grid.width(); ++x)
                if (grid.dark(x, y) && plain(x, y) && grid.shapeName(x, y) == shape)
                    return QPoint(x, y);
        return QPoint(-1, -1);
    }
    QPoint lightModule() const
    {
        for (int y = 0; y < grid.width(); ++y)
            for (int x = 0; x < grid.width(); ++x)
                if (!grid.dark(x, y) && plain(x, y))
                    return QPoint(x, y);
        return QPoint(-1, -1);
    }
};

bool toolsPresent()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()
           && !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

} // namespace

class TestVectorQr : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(toolsPresent(), "pdftoppm and pdfinfo (poppler-utils) are needed"); }
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void cellViewBoxAndPage();
    void patternGeometry();
    void moduleLooks();
    void liquidShapesFillTheirCells();
    void captionBand();
    void decodesEveryScannableLook();
    void unscannableByDesign();
    void temporaryFile();
    void failures();
    void runsOnWorkerThread();

private:
    TestCwd m_cwd;
};

void TestVectorQr::cellViewBoxAndPage()
{
    svgQr svg;
    QCOMPARE(svg.size, 300);
    QCOMPARE(svg.blockSize, 50.0);
    QCOMPARE(svg.alpha, 0.5);
    QCOMPARE(svg.codeFontSize, 14);
    QCOMPARE(svg.bgColor, QColor("#ffffff"));
    QCOMPARE(svg.dir, QDir::currentPath());

    // Size 300 on a 21-module symbol: cell 300 / 23 = 13, grid side 299.
    svg.content = "cell";
    svg.version = 1;
    QVERIFY(svg.create(m_cwd.file("cell.svg")));
    QCOMPARE(svg.cell, 13);
    QCOMPARE(svg.blockSize, 13.0);
    QCOMPARE(svg.bgColor.alpha(), 128);
    const QXmlStreamAttributes attributes = svgRootAttributes(m_cwd.file("cell.svg"));
    QCOMPARE(attributes.value("viewBox").toString(), QStringLiteral("0 0 299 327"));
    // The nominal size stays square: 300 pixels at the generator's resolution.
    const double mm = 300 * 25.4 / svg.generator.resolution();
    const QString width = attributes.value("width").toString();
    const QString height = attributes.value("height").toString();
    QVERIFY2(width.endsWith("mm") && qAbs(width.chopped(2).toDouble() - mm) < 0.01, qPrintable(width));
    QCOMPARE(height, width);
    QSvgRenderer renderer(m_cwd.file("cell.svg"));
    QCOMPARE(renderer.viewBox(), QRect(0, 0, 299, 327));

    // The PDF page: 299 by 299 + 28 millimetres, and the drawing fills it.
    pdfQr pdf;
    pdf.content = "cell";
    pdf.version = 1;
    pdf.blockSize = 25;
    QVERIFY(pdf.create(m_cwd.file("cell.pdf")));
    QCOMPARE(pdf.cell, 13);
    QCOMPARE(pdf.blockSize, 6.5);
    const QSizeF page = pdfPageSize(m_cwd.file("cell.pdf"));
    QVERIFY2(qAbs(page.width() - mmToPoints(299)) <= 1.0, qPrintable(QString::number(page.width())));
    QVERIFY2(qAbs(page.height() - mmToPoints(327)) <= 1.0, qPrintable(QString::number(page.height())));
    const QImage raster = rasterisePdf(m_cwd.file("cell.pdf"), 50);
    QVERIFY(qAbs(raster.width() - 299 * 50 / 25.4) <= 1.0);
    QVERIFY(qAbs(raster.height() - 327 * 50 / 25.4) <= 1.0);
    // Grid side 299 and page width agree; the three finders sit in its corners.
    const Picture picture{raster, 50 / 25.4};
    for (const QPointF &finder : {QPointF(13, 13), QPointF(13 + 14 * 13, 13), QPointF(13, 13 + 14 * 13)}) {
        QVERIFY(picture.is(finder.x() + 6.5, finder.y() + 45, Qt::black));             // outer ring
        QVERIFY(picture.is(finder.x() + 19.5, finder.y() + 45, Qt::white));            // white ring
        QVERIFY(picture.is(finder.x() + 45, finder.y() + 45, Qt::black));              // centre
        QVERIFY(picture.is(finder.x() + 7 * 13 + 6.5, finder.y() + 45, Qt::white));    // separator
    }
    QVERIFY(picture.is(292, 292, Qt::white));
}

void TestVectorQr::patternGeometry()
{
    // Size 270 on a 25-module symbol: cell 10, grid side 270; the alignment
    // pattern of centre (18, 18) starts at module (16, 16), at 170 units.
    const QColor pt("#d00000"), inpt("#0000d0"), light("#ffff80"), dark("#006000");
    const auto configure = [&](auto &qr) {
        qr.content = "geometry";
        qr.version = 2;
        qr.level = 0;
        qr.size = 270;
        qr.ptColor = pt;
        qr.inptColor = inpt;
        qr.block0 = light;
        qr.block1 = dark;
    };
    for (Kind kind : {Kind::Svg, Kind::Pdf}) {
        Picture picture;
        const QString file = m_cwd.file("geometry." + kindName(kind));
        QVERIFY(writeAndRender(kind, file, configure, &picture));
        saveToGallery("vector_" + kindName(kind) + "_geometry", picture.image);
        copyToGallery(file, "vector_geometry." + kindName(kind));

        // Top-left finder: white 9 x 9 from 0, pattern colours from 10, 20, 30.
        QVERIFY(picture.is(5, 5, Qt::white));
        QVERIFY(picture.is(85, 40, Qt::white));
        QVERIFY(picture.is(11, 11, pt));
        QVERIFY(picture.is(79, 79, pt));
        QVERIFY(picture.is(25, 45, Qt::white));
        QVERIFY(picture.is(31, 31, inpt));
        QVERIFY(picture.is(59, 59, inpt));
        QVERIFY(picture.is(65, 45, Qt::white));
        // The top-right finder is anchored at module (18, 0); the bottom-left at (0, 18).
        QVERIFY(picture.is(191, 11, pt));
        QVERIFY(picture.is(185, 40, Qt::white));
        QVERIFY(picture.is(11, 259, pt));
        // Alignment pattern: no white ring around it.
        QVERIFY(picture.is(171, 171, pt));
        QVERIFY(picture.is(219, 219, pt));
        QVERIFY(picture.is(185, 185, Qt::white));
        QVERIFY(picture.is(195, 195, inpt));
        // A light and a dark module in their own cells.
        const Symbol symbol("geometry", 2, 0);
        const QPoint l = symbol.lightModule();
        const QPoint d = symbol.darkWithShape("squareCenter");
        QVERIFY(l.x() >= 0 && d.x() >= 0);
        QVERIFY(picture.is(10 * l.x() + 15, 10 * l.y() + 15, light));
        QVERIFY(picture.is(10 * d.x() + 15, 10 * d.y() + 15, dark));
    }

    // The background has the opacity `alpha` (the PDF lies on its white
    // page); the band below the grid is not filled.
    Picture svg;
    QVERIFY(writeAndRender(Kind::Svg, m_cwd.file("alpha.svg"), [&](auto &qr) {
        configure(qr);
        qr.alpha = 0.25;
        qr.bgColor = QColor("#204080");
    }, &svg));
    QVERIFY(qAbs(qAlpha(svg.at(265, 265)) - 64) <= 2);
    QCOMPARE(qAlpha(svg.at(135, 275)), 0);
    QCOMPARE(svg.image.height(), (270 + 28) * kSvgScale);
}

void TestVectorQr::moduleLooks()
{
    const QColor light("#ffff80"), dark("#006000"), pt("#d00000");
    const Symbol symbol("looks", 2, 0);
    const QPoint dot = symbol.darkWithShape("roundCenter");
    const QPoint square = symbol.darkWithShape("squareCenter");
    const QPoint gap = symbol.lightModule();
    QVERIFY(dot.x() >= 0 && square.x() >= 0 && gap.x() >= 0);
    const auto cellCorner = [](const QPoint &m) { return QPointF(10 * m.x() + 10.6, 10 * m.y() + 10.6); };
    const auto cellCentre = [](const QPoint &m) { return QPointF(10 * m.x() + 15, 10 * m.y() + 15); };

    for (Kind kind : {Kind::Svg, Kind::Pdf}) {
        for (int xt = 0; xt < 3; ++xt) {
            for (int xtItem = 0; xtItem < 3; ++xtItem) {
                for (bool plus : {false, true}) {
                    const QString name = QStringLiteral("vector_%1_looks_xt%2_item%3%4")
                                             .arg(kindName(kind)).arg(xt).arg(xtItem).arg(plus ? "_plus" : "");
                    Picture p;
                    QVERIFY(writeAndRender(kind, m_cwd.file(name + "." + kindName(kind)), [&](auto &qr) {
                        qr.content = "looks";
                        qr.version = 2;
                        qr.level = 0;
                        qr.size = 270;
                        qr.xt = xt;
                        qr.xtItem = xtItem;
                        qr.isPlus = plus;
                        qr.block0 = light;
                        qr.block1 = dark;
                        qr.ptColor = pt;
                    }, &p));
                    const QString where = name + ": ";
                    // Finder corners: squares reach their corners, circles and
                    // rounded squares do not; a rounded square comes closer.
                    QVERIFY2(p.is(10.6, 10.6, pt) == (xt == 0), qPrintable(where + "finder corner"));
                    QVERIFY2(p.is(14, 14, pt) == (xt != 1), qPrintable(where + "finder near corner"));
                    QVERIFY2(p.is(10.6, 45, pt), qPrintable(where + "finder ring"));
                    // Modules: squares cover the cell's corner, circles and dots do not.
                    QVERIFY2(p.is(cellCentre(dot).x(), cellCentre(dot).y(), dark), qPrintable(where + "dot centre"));
                    QVERIFY2(p.is(cellCorner(dot).x(), cellCorner(dot).y(), dark) == (xtItem == 0),
                             qPrintable(where + "dot corner"));
                    QVERIFY2(p.is(cellCorner(square).x(), cellCorner(square).y(), dark) == (xtItem != 1),
                             qPrintable(where + "square corner"));
                    QVERIFY2(p.is(cellCentre(gap).x(), cellCentre(gap).y(), light), qPrintable(where + "light centre"));
                    QVERIFY2(p.is(cellCorner(gap).x(), cellCorner(gap).y(), light) == (xtItem == 0),
                             qPrintable(where + "light corner"));
                    // The timing row: with isPlus whole cells, the dark ones
                    // black whatever block1 is; (8, 6) is dark, (9, 6) light.
                    QVERIFY2(p.is(90.6, 70.6, Qt::black) == plus, qPrintable(where + "dark timing"));
                    if (!plus && xtItem < 2)
                        QVERIFY2(p.is(90.6, 70.6, dark) == (xtItem == 0), qPrintable(where + "dark timing"));
                    QVERIFY2(p.is(100.6, 70.6, light) == (plus || xtItem == 0), qPrintable(where + "light timing"));
                    if (xt == xtItem)
                        saveToGallery(name, p.image);
                }
            }
        }
    }

    // blockSize above 50 gives shapes larger than their cells, centred on them.
    Picture big;
    QVERIFY(writeAndRender(Kind::Svg, m_cwd.file("big.svg"), [&](auto &qr) {
        qr.content = "looks";
        qr.version = 2;
        qr.level = 0;
        qr.size = 270;
        qr.xtItem = 0;
        qr.blockSize = 70;
        qr.block1 = dark;
        qr.block0 = light;
    }, &big));
    const QPointF d0 = cellCorner(dot);
    QVERIFY(big.is(d0.x() - 1.2, d0.y() + 4, dark));   // reaches 2 units left of its cell
    QVERIFY(!big.is(d0.x() - 3, d0.y() + 4, dark));
}

void TestVectorQr::liquidShapesFillTheirCells()
{
    // An odd cell (300 / 23 = 13) rounds the half cell down to 6. Neither
    // writer may leave a light strip inside a rounded end: the flat half
    // reaches from the pie's diameter to the cell's edge.
    const Symbol symbol("liquid", 1, 0);
    const QPoint top = symbol.darkWithShape("roundTop");
    const QPoint right = symbol.darkWithShape("roundRight");
    const QPoint left = symbol.darkWithShape("roundLeft");
    const QPoint bottom = symbol.darkWithShape("roundBottom");
    QVERIFY(top.x() >= 0 && right.x() >= 0 && left.x() >= 0 && bottom.x() >= 0);
    for (Kind kind : {Kind::Svg, Kind::Pdf}) {
        Picture p;
        const QString file = m_cwd.file("liquid." + kindName(kind));
        QVERIFY(writeAndRender(kind, file, [](auto &qr) {
            qr.content = "liquid";
            qr.version = 1;
            qr.level = 0;
            qr.xtItem = 2;
        }, &p, 254));
        saveToGallery("vector_" + kindName(kind) + "_liquid", p.image);
        copyToGallery(file, "vector_liquid." + kindName(kind));
        const auto origin = [](const QPoint &m) { return QPointF(13 * (m.x() + 1), 13 * (m.y() + 1)); };
        const QString where = kindName(kind) + ": ";
        // roundTop: the bottom strip of the cell; roundLeft: the right strip.
        QVERIFY2(p.is(origin(top).x() + 6.5, origin(top).y() + 12.6, Qt::black), qPrintable(where + "roundTop"));
        QVERIFY2(p.is(origin(left).x() + 12.6, origin(left).y() + 6.5, Qt::black), qPrintable(where + "roundLeft"));
        // roundRight and roundBottom: the middle, between the half cell and the diameter.
        QVERIFY2(p.is(origin(right).x() + 6.25, origin(right).y() + 6.5, Qt::black), qPrintable(where + "roundRight"));
        QVERIFY2(p.is(origin(bottom).x() + 6.5, origin(bottom).y() + 6.25, Qt::black), qPrintable(where + "roundBottom"));
        // The rounded side itself stays open at its corners.
        QVERIFY2(p.is(origin(top).x() + 0.5, origin(top).y() + 0.5, Qt::white), qPrintable(where + "roundTop corner"));
        QVERIFY2(p.is(origin(right).x() + 12.5, origin(right).y() + 0.5, Qt::white), qPrintable(where + "roundRight corner"));
    }

    // Only the SVG shapes reach past their cells: a full square by 0.2 units
    // into a light neighbour on its left.
    const QPoint square = symbol.darkWithShape("squareCenter");
    QVERIFY(square.x() >= 0);
    const QPoint leftOpen = [&] {
        for (int y = 0; y < symbol.grid.width(); ++y)
            for (int x = 1; x < symbol.grid.width(); ++x)
                if (symbol.grid.dark(x, y) && symbol.plain(x, y) && symbol.grid.shapeName(x, y) == "squareCenter"
                    && !symbol.grid.dark(x - 1, y))
                    return QPoint(x, y);
        return QPoint(-1, -1);
    }();
    QVERIFY(leftOpen.x() >= 0);
    Picture svg, pdf;
    QVERIFY(writeAndRender(Kind::Svg, m_cwd.file("edge.svg"), [](auto &qr) {
        qr.content = "liquid";
        qr.version = 1;
        qr.level = 0;
        qr.xtItem = 2;
        qr.block0 = QColor("#ffffff");
    }, &svg));
    QVERIFY(writeAndRender(Kind::Pdf, m_cwd.file("edge.pdf"), [](auto &qr) {
        qr.content = "liquid";
        qr.version = 1;
        qr.level = 0;
        qr.xtItem = 2;
    }, &pdf, 508));
    const double edge = 13.0 * (leftOpen.x() + 1);
    const double row = 13.0 * (leftOpen.y() + 1) + 6.5;
    QVERIFY(qRed(svg.colorAt(edge - 0.1, row).rgb()) < 160);   // the 0.2 overhang, half a pixel at 4x
    QVERIFY(pdf.is(edge - 0.1, row, Qt::white, 8));
    QVERIFY(pdf.is(edge + 0.1, row, Qt::black, 60));
}

void TestVectorQr::captionBand()
{
    // The band is 2 x codeFontSize under the grid in both writers: the
    // caption's descenders reach below one codeFontSize and end inside it.
    const QColor red("#c00000");
    for (Kind kind : {Kind::Svg, Kind::Pdf}) {
        Picture p;
        const QString file = m_cwd.file("caption." + kindName(kind));
        QVERIFY(writeAndRender(kind, file, [&](auto &qr) {
            qr.content = "caption";
            qr.version = 1;
            qr.isCode = true;
            qr.codeStr = QStringLiteral("gypq Jy");
            qr.codeColor = red;
        }, &p));
        saveToGallery("vector_" + kindName(kind) + "_caption", p.image);
        copyToGallery(file, "vector_caption." + kindName(kind));
        const int side = 299;
        QVERIFY(qAbs(p.image.height() - (side + 28) * p.scale) <= 1.0);
        int top = p.image.height(), bottom = -1, leftmost = p.image.width(), rightmost = -1;
        for (int y = 0; y < p.image.height(); ++y) {
            for (int x = 0; x < p.image.width(); ++x) {
                const QColor c = p.colorAt(x / p.scale, y / p.scale);
                if (c.red() > 120 && c.green() < 90) {
                    top = qMin(top, y);
                    bottom = qMax(bottom, y);
                    leftmost = qMin(leftmost, x);
                    rightmost = qMax(rightmost, x);
                }
            }
        }
        const QString where = kindName(kind) + QStringLiteral(": ink %1..%2 at scale %3").arg(top).arg(bottom).arg(p.scale);
        QVERIFY2(top >= side * p.scale, qPrintable(where));
        QVERIFY2(bottom > (side + 14) * p.scale, qPrintable(where));
        QVERIFY2(bottom < (side + 28) * p.scale - 2, qPrintable(where));
        // Centred across the grid.
        QVERIFY2(qAbs((leftmost + rightmost) / 2.0 - side * p.scale / 2) < 4 * p.scale, qPrintable(where));
        QCOMPARE(checkDecodes(p.image, "caption"), QString());
    }

    // Without a caption (isCode false, or an empty text) the band is still there, empty.
    for (Kind kind : {Kind::Svg, Kind::Pdf}) {
        for (bool isCode : {false, true}) {
            Picture p;
            QVERIFY(writeAndRender(kind, m_cwd.file("nocaption." + kindName(kind)), [&](auto &qr) {
                qr.content = "caption";
                qr.version = 1;
                qr.isCode = isCode;
                qr.codeStr = isCode ? QString() : QStringLiteral("hidden");
                qr.codeFontSize = 20;
            }, &p, 50));
            QVERIFY(qAbs(p.image.height() - (299 + 40) * p.scale) <= 1.0);
            for (int y = int(300 * p.scale); y < p.image.height(); ++y)
                for (int x = 0; x < p.image.width(); x += 2)
                    QVERIFY(p.is(x / p.scale, y / p.scale, Qt::white, 4));
        }
    }
}

void TestVectorQr::decodesEveryScannableLook()
{
    // Every finder look (xt 0 to 2) with every module look (xtItem 0 to 2),
    // with and without isPlus, at two versions, read back from both writers.
    QStringList problems;
    int count = 0;
    // zxing must read every render as it is. zbar's finder search misses the
    // ring finders of xt 1 at some scales and reads them at others; for that
    // look it may read the render at half size instead.
    const auto check = [&](Kind kind, const QString &name, const QByteArray &text, auto configure, bool gallery,
                           bool ringFinders) {
        Picture p;
        const QString file = m_cwd.file(name + "." + kindName(kind));
        if (!writeAndRender(kind, file, configure, &p, 25)) {
            problems.append(name + ": not written");
            return;
        }
        ++count;
        if (gallery) {
            saveToGallery(name, p.image);
            copyToGallery(file, name + "." + kindName(kind));
        }
        const QString expected = QString::fromUtf8(text);
        QString problem = checkDecodes(p.image, expected);
        if (!problem.isEmpty() && ringFinders && checkDecodes(p.image, expected, false).isEmpty()) {
            const QImage half = p.image.scaled(p.image.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            if (checkDecodes(half, expected).isEmpty())
                problem.clear();
        }
        if (!problem.isEmpty()) {
            problems.append(name + ": " + problem);
            saveToGallery(name + "_failed", p.image);
        }
    };
    for (Kind kind : {Kind::Svg, Kind::Pdf}) {
        for (int version : {2, 7}) {
            const QByteArray text = version == 2 ? QByteArray("VOPA-2") : QByteArray("https://example.com/vector?v=7");
            for (int xt = 0; xt < 3; ++xt) {
                for (int xtItem = 0; xtItem < 3; ++xtItem) {
                    for (bool plus : {false, true}) {
                        const int level = (xt + xtItem + (plus ? 1 : 0) + version) % 4;
                        const QString name = QStringLiteral("vector_%1_v%2_xt%3_item%4%5")
                                                 .arg(kindName(kind)).arg(version).arg(xt).arg(xtItem)
                                                 .arg(plus ? "_plus" : "");
                        check(kind, name, text, [&](auto &qr) {
                            qr.content = text;
                            qr.version = version;
                            qr.level = level;
                            qr.size = version == 2 ? 300 : 400;
                            qr.xt = xt;
                            qr.xtItem = xtItem;
                            qr.isPlus = plus;
                            qr.isCode = (xt + xtItem) % 2 == 0;
                            qr.codeStr = QStringLiteral("VOPA");
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
                }
            }
        }
        // Smaller and larger modules than their cells.
        for (double blockSize : {30.0, 70.0}) {
            for (int xtItem = 0; xtItem < 3; ++xtItem) {
                const QString name = QStringLiteral("vector_%1_block%2_item%3").arg(kindName(kind)).arg(blockSize).arg(xtItem);
                check(kind, name, "block size", [&](auto &qr) {
                    qr.content = "block size";
                    qr.level = 3;
                    qr.xtItem = xtItem;
                    qr.blockSize = blockSize;
                }, xtItem == 1, false);
            }
        }
        // A Chinese text, and an empty content that becomes the site address.
        const QByteArray chinese = QStringLiteral("矢量二维码测试，你好").toUtf8();
        check(kind, "vector_" + kindName(kind) + "_chinese", chinese, [&](auto &qr) {
            qr.content = chinese;
            qr.xtItem = 2;
            qr.xt = 2;
        }, true, false);
        check(kind, "vector_" + kindName(kind) + "_default", QByteArray(kProductSite), [](auto &qr) {
            qr.xtItem = 1;
        }, false, false);
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QCOMPARE(count, 2 * (2 * 3 * 3 * 2 + 6 + 2));
}

void TestVectorQr::unscannableByDesign()
{
    const QColor light("#ffff80"), dark("#006000"), pt("#d00000");
    const Symbol symbol("looks", 2, 0);
    const QPoint square = symbol.darkWithShape("squareCenter");
    QVERIFY(square.x() >= 0);
    for (Kind kind : {Kind::Svg, Kind::Pdf}) {
        // A finder look other than 0 to 2 paints no finder and no alignment
        // pattern: their areas show only the background.
        for (int xt : {3, -1}) {
            Picture p;
            QVERIFY(writeAndRender(kind, m_cwd.file("noeyes." + kindName(kind)), [&](auto &qr) {
                qr.content = "looks";
                qr.version = 2;
                qr.level = 0;
                qr.size = 270;
                qr.xt = xt;
                qr.block0 = light;
                qr.block1 = dark;
                qr.ptColor = pt;
            }, &p));
            if (xt == 3)
                saveToGallery("vector_" + kindName(kind) + "_unscannable_xt3", p.image);
            for (const QPointF &probe : {QPointF(11, 11), QPointF(45, 45), QPointF(25, 45), QPointF(191, 11),
                                         QPointF(11, 259), QPointF(173, 173), QPointF(195, 195)})
                QVERIFY(p.is(probe.x(), probe.y(), Qt::white, 4));
            QVERIFY(p.is(10 * square.x() + 15, 10 * square.y() + 15, dark));
            QCOMPARE(decodeZXing(prepareForDecode(p.image)), QString());
        }
        // A module look other than 0 to 2 paints no module; with isPlus the
        // timing and format cells are still painted.
        for (bool plus : {false, true}) {
            Picture p;
            QVERIFY(writeAndRender(kind, m_cwd.file("nomodules." + kindName(kind)), [&](auto &qr) {
                qr.content = "looks";
                qr.version = 2;
                qr.level = 0;
                qr.size = 270;
                qr.xtItem = 3;
                qr.isPlus = plus;
                qr.block0 = light;
                qr.block1 = dark;
                qr.ptColor = pt;
            }, &p));
            if (plus)
                saveToGallery("vector_" + kindName(kind) + "_unscannable_item3_plus", p.image);
            QVERIFY(p.is(11, 11, pt));
            QVERIFY(p.is(171, 171, pt));
            QVERIFY(p.is(10 * square.x() + 15, 10 * square.y() + 15, Qt::white, 4));
            QCOMPARE(p.is(95, 75, Qt::black), plus);     // dark timing module (8, 6)
            QCOMPARE(p.is(105, 75, light), plus);        // light timing module (9, 6)
            QCOMPARE(decodeZXing(prepareForDecode(p.image)), QString());
        }
    }

    // A size below w + 2 gives cell 0: nothing of the code has any area.
    svgQr svg;
    svg.content = "looks";
    svg.version = 2;
    svg.size = 26;
    QVERIFY(svg.create(m_cwd.file("tiny.svg")));
    QCOMPARE(svg.cell, 0);
    QVERIFY(!svgRootAttributes(m_cwd.file("tiny.svg")).hasAttribute("viewBox"));
    pdfQr pdf;
    pdf.content = "looks";
    pdf.version = 2;
    pdf.size = 26;
    QVERIFY(pdf.create(m_cwd.file("tiny.pdf")));
    QCOMPARE(pdf.cell, 0);
    const QSizeF page = pdfPageSize(m_cwd.file("tiny.pdf"));
    QVERIFY2(page.width() < 1.0 && qAbs(page.height() - mmToPoints(28)) <= 1.0,
             qPrintable(QStringLiteral("%1 x %2").arg(page.width()).arg(page.height())));
}

void TestVectorQr::temporaryFile()
{
    const QRegularExpression svgName(QStringLiteral("^tmp-[0-9A-Z]{10}\\.svg$"));
    const QRegularExpression pdfName(QStringLiteral("^tmp-[0-9A-Z]{10}\\.pdf$"));
    const auto leftovers = [this] {
        return QDir(m_cwd.path()).entryList({QStringLiteral("tmp-*")}, QDir::Files);
    };
    QDir(m_cwd.path()).mkdir("out");

    // A successful copy: the target holds the document, the temporary file is gone.
    svgQr svg;
    svg.content = "temporary";
    QVERIFY(svg.create(m_cwd.file("out/code.svg")));
    QVERIFY(svg.generator.fileName().isEmpty());
    QVERIFY(leftovers().isEmpty());
    QCOMPARE(checkDecodes(renderSvg(m_cwd.file("out/code.svg")), "temporary"), QString());

    // An existing target is replaced.
    for (const QString &name : {QStringLiteral("out/old.svg"), QStringLiteral("out/old.pdf")}) {
        QFile old(m_cwd.file(name));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
        old.close();
    }
    svgQr replaceSvg;
    replaceSvg.content = "replaced";
    QVERIFY(replaceSvg.create(m_cwd.file("out/old.svg")));
    QCOMPARE(checkDecodes(renderSvg(m_cwd.file("out/old.svg")), "replaced"), QString());
    pdfQr replacePdf;
    replacePdf.content = "replaced";
    QVERIFY(replacePdf.create(m_cwd.file("out/old.pdf")));
    QFile pdfFile(m_cwd.file("out/old.pdf"));
    QVERIFY(pdfFile.open(QIODevice::ReadOnly));
    QCOMPARE(pdfFile.read(5), QByteArray("%PDF-"));
    QVERIFY(!pdfFile.readAll().contains(QByteArray(100, 'x')));
    pdfFile.close();
    QCOMPARE(checkDecodes(rasterisePdf(m_cwd.file("out/old.pdf"), 30), "replaced"), QString());
    QVERIFY(leftovers().isEmpty());

    // A copy that fails (missing folder, empty path): false, and the finished
    // document stays in the cache directory under its temporary name.
    svgQr failed;
    failed.content = "kept";
    QVERIFY(!failed.create(m_cwd.file("missing/code.svg")));
    QVERIFY(!QFile::exists(m_cwd.file("missing/code.svg")));
    QStringList kept = leftovers();
    QCOMPARE(kept.size(), 1);
    QVERIFY2(svgName.match(kept.first()).hasMatch(), qPrintable(kept.first()));
    QCOMPARE(checkDecodes(renderSvg(m_cwd.file(kept.first())), "kept"), QString());
    QVERIFY(QFile::remove(m_cwd.file(kept.first())));

    pdfQr failedPdf;
    failedPdf.content = "kept";
    QVERIFY(!failedPdf.create(QString()));
    kept = leftovers();
    QCOMPARE(kept.size(), 1);
    QVERIFY2(pdfName.match(kept.first()).hasMatch(), qPrintable(kept.first()));
    QCOMPARE(checkDecodes(rasterisePdf(m_cwd.file(kept.first()), 30), "kept"), QString());
    QVERIFY(QFile::remove(m_cwd.file(kept.first())));

    // The temporary file goes to `dir`, whatever the working directory is then.
    QDir(m_cwd.path()).mkdir("cache");
    pdfQr elsewhere;
    elsewhere.content = "elsewhere";
    elsewhere.dir = m_cwd.file("cache");
    QVERIFY(!elsewhere.create(m_cwd.file("missing/x.pdf")));
    kept = QDir(m_cwd.file("cache")).entryList({QStringLiteral("tmp-*")}, QDir::Files);
    QCOMPARE(kept.size(), 1);
    QVERIFY(pdfName.match(kept.first()).hasMatch());
    QVERIFY(leftovers().isEmpty());
}

void TestVectorQr::failures()
{
    // A text too long for any version, or a version the encoder rejects:
    // false, and neither a target nor a temporary file.
    for (Kind kind : {Kind::Svg, Kind::Pdf}) {
        const QString target = m_cwd.file("long." + kindName(kind));
        QVERIFY(!writeAndRender(kind, target, [](auto &qr) {
            qr.content = QByteArray(3000, 'x');
            qr.level = 3;
        }, nullptr));
        QVERIFY(!writeAndRender(kind, target, [](auto &qr) {
            qr.content = "x";
            qr.version = 41;
        }, nullptr));
        QVERIFY(!QFile::exists(target));
        QVERIFY(QDir(m_cwd.path()).entryList({QStringLiteral("tmp-*")}, QDir::Files).isEmpty());
    }

    // A cache folder that does not exist: no temporary file, so nothing to copy.
    static QStringList messages;
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) {
        messages.append(text);
    });
    svgQr svg;
    svg.content = "no cache";
    svg.dir = m_cwd.file("gone");
    const bool svgResult = svg.create(m_cwd.file("nocache.svg"));
    pdfQr pdf;
    pdf.content = "no cache";
    pdf.dir = m_cwd.file("gone");
    const bool pdfResult = pdf.create(m_cwd.file("nocache.pdf"));
    qInstallMessageHandler(previous);
    QVERIFY(!svgResult);
    QVERIFY(!pdfResult);
    QVERIFY(!QFile::exists(m_cwd.file("nocache.svg")));
    QVERIFY(!QFile::exists(m_cwd.file("nocache.pdf")));
    QVERIFY(!QFile::exists(m_cwd.file("gone")));
}

void TestVectorQr::runsOnWorkerThread()
{
    static QStringList messages;
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) {
        messages.append(text);
    });
    bool results[2] = {false, false};
    const QString dir = m_cwd.path();
    QThread *thread = QThread::create([&results, dir] {
        svgQr svg;
        svg.content = "worker svg";
        svg.xtItem = 2;
        svg.isCode = true;
        svg.codeStr = "worker";
        results[0] = svg.create(dir + "/worker.svg");
        pdfQr pdf;
        pdf.content = "worker pdf";
        pdf.xt = 1;
        pdf.xtItem = 1;
        pdf.isCode = true;
        pdf.codeStr = "worker";
        results[1] = pdf.create(dir + "/worker.pdf");
    });
    thread->start();
    QVERIFY(thread->wait(60000));
    delete thread;
    qInstallMessageHandler(previous);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    QVERIFY(results[0]);
    QVERIFY(results[1]);
    QCOMPARE(checkDecodes(renderSvg(m_cwd.file("worker.svg")), "worker svg"), QString());
    QCOMPARE(checkDecodes(rasterisePdf(m_cwd.file("worker.pdf"), 30), "worker pdf"), QString());
    QVERIFY(QDir(m_cwd.path()).entryList({QStringLiteral("tmp-*")}, QDir::Files).isEmpty());
}

QTEST_MAIN(TestVectorQr)
#include "tst_vectorqr.moc"
