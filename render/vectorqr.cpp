#include "vectorqr.h"

#include "fileread.h"
#include "helpers.h"
#include "qrsymbol.h"

#include <QFile>
#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>

#include <qrencode.h>

namespace {

// Whether a finished document ends as its writer ends it: "</svg>" or "%%EOF".
bool endsAsWritten(const QString &path, const QString &suffix)
{
    QFile file;
    if (!openForReading(&file, path, ReadLimit::Picture) || file.size() < 16 || !file.seek(file.size() - 16))
        return false;
    return file.read(16).trimmed().endsWith(suffix == QLatin1String("pdf") ? "%%EOF" : "</svg>");
}


// One pattern square in the look `xt`: square, circle or rounded square;
// any other look paints nothing.
void fillPatternShape(QPainter &painter, int xt, const QRectF &rect)
{
    switch (xt) {
    case 0:
        painter.drawRect(rect);
        break;
    case 1:
        painter.drawEllipse(rect);
        break;
    case 2:
        painter.drawRoundedRect(rect, 20, 20, Qt::RelativeSize);
        break;
    default:
        break;
    }
}

const QColor kPatternWhite(QStringLiteral("#ffffff"));

} // namespace

VectorQrBase::VectorQrBase(bool exactCells)
    : caseSensitive(true), margin(10), hint(2), level(2), size(300), bgX(0), bgY(0), version(0), xt(0),
      xtItem(0), blockSize(50.0), alpha(0.5), isPlus(false), isCode(false), codeFontSize(14), codeSpac(2),
      dir(cacheDir()), cell(50), cellX(0), cellY(0), m_exactCells(exactCells)
{
    block0.setNamedColor(QStringLiteral("#ffffff"));
    block1.setNamedColor(QStringLiteral("#000000"));
    ptColor.setNamedColor(QStringLiteral("#000000"));
    inptColor.setNamedColor(QStringLiteral("#000000"));
    bgColor.setNamedColor(QStringLiteral("#ffffff"));
    codeColor.setNamedColor(QStringLiteral("#000000"));
}

void VectorQrBase::drawLight(int x, int y, bool fullCell)
{
    Q_UNUSED(x)
    Q_UNUSED(y)
    const double x0 = cell + cellX;
    const double y0 = cell + cellY;
    painter.setBrush(QBrush(block0, Qt::SolidPattern));
    if (fullCell) {
        painter.drawRect(QRectF(x0, y0, cell, cell));
        return;
    }
    const double off = (cell - blockSize) * 0.5;
    const QRectF rect(x0 + off, y0 + off, blockSize + 1, blockSize + 1);
    if (xtItem == 0)
        painter.drawRect(rect);
    else if (xtItem == 1 || xtItem == 2)
        painter.drawEllipse(rect);
}

void VectorQrBase::drawDark(int x, int y, bool fullCell)
{
    Q_UNUSED(x)
    Q_UNUSED(y)
    const int c = cell;
    const int h = c / 2;
    const int x0 = c + cellX;
    const int y0 = c + cellY;
    painter.setBrush(QBrush(block1, Qt::SolidPattern));
    if (fullCell) {
        painter.setBrush(QBrush(QColor(QStringLiteral("#000000")), Qt::SolidPattern));
        painter.drawRect(QRectF(x0, y0, c, c));
        return;
    }
    const double off = (c - blockSize) * 0.5;
    if (xtItem == 0) {
        painter.drawRect(QRectF(x0 + off, y0 + off, blockSize + 1, blockSize + 1));
        return;
    }
    if (xtItem == 1) {
        painter.drawEllipse(QRectF(x0 + off, y0 + off, blockSize, blockSize));
        return;
    }
    if (xtItem != 2)
        return;

    // Liquid look: a rounded side or corner where there is no dark neighbour.
    // The SVG shapes reach one unit past the cell on their flat sides; the PDF
    // shapes fill the cell exactly, the flat half running from the pie's
    // diameter (h, or h + 0.5 for an odd cell) to the cell's edge.
    const QRectF whole(x0, y0, c, c);
    const int e = m_exactCells ? 0 : 1;
    const int far = m_exactCells ? c - h : h + 2;
    auto polygon = [this](std::initializer_list<QPointF> points) {
        painter.drawConvexPolygon(points.begin(), int(points.size()));
    };
    if (shapeName == QLatin1String("roundCenter")) {
        painter.drawEllipse(whole);
    } else if (shapeName == QLatin1String("roundTop")) {
        painter.drawPie(whole, 0, 2880);
        painter.drawRect(QRect(x0, y0 + h - e, c, far));
    } else if (shapeName == QLatin1String("roundRight")) {
        painter.drawPie(whole, 4320, 2880);
        painter.drawRect(QRect(x0 - e, y0, far, c));
    } else if (shapeName == QLatin1String("roundBottom")) {
        painter.drawPie(whole, 2880, 2880);
        painter.drawRect(QRect(x0, y0 - e, c, far));
    } else if (shapeName == QLatin1String("roundLeft")) {
        painter.drawPie(whole, 1440, 2880);
        painter.drawRect(QRect(x0 + h - e, y0, far, c));
    } else if (shapeName == QLatin1String("roundLeftTop")) {
        painter.drawPie(whole, 1440, 1440);
        polygon({QPointF(x0, y0 + h), QPointF(x0, y0 + c + e), QPointF(x0 + c + e, y0 + c + e),
                 QPointF(x0 + c + e, y0), QPointF(x0 + h, y0)});
    } else if (shapeName == QLatin1String("roundLeftBottom")) {
        painter.drawPie(whole, 2880, 1440);
        polygon({QPointF(x0 + h, y0 + c), QPointF(x0 + c + e, y0 + c), QPointF(x0 + c + e, y0 - e),
                 QPointF(x0, y0 - e), QPointF(x0, y0 + h)});
    } else if (shapeName == QLatin1String("roundRightTop")) {
        painter.drawPie(whole, 0, 1440);
        polygon({QPointF(x0 + h, y0), QPointF(x0 - e, y0), QPointF(x0 - e, y0 + c + e),
                 QPointF(x0 + c, y0 + c + e), QPointF(x0 + c, y0 + h)});
    } else if (shapeName == QLatin1String("roundRightBottom")) {
        painter.drawPie(whole, 4320, 1440);
        polygon({QPointF(x0 + c, y0 + h), QPointF(x0 + c, y0 - e), QPointF(x0 - e, y0 - e),
                 QPointF(x0 - e, y0 + c), QPointF(x0 + h, y0 + c)});
    } else if (m_exactCells) {
        painter.drawRect(whole);
    } else {
        painter.drawRect(QRectF(x0 - 0.2, y0 - 0.2, c + 0.4, c + 0.4));
    }
}

void VectorQrBase::drawEye(int x, int y)
{
    Q_UNUSED(x)
    Q_UNUSED(y)
    const double c = cell;
    const double x0 = cell + cellX;
    const double y0 = cell + cellY;
    // The white square reaches one cell beyond the finder: separator and margin.
    painter.setBrush(QBrush(kPatternWhite, Qt::SolidPattern));
    fillPatternShape(painter, xt, QRectF(cellX, cellY, 9 * c, 9 * c));
    painter.setBrush(QBrush(ptColor, Qt::SolidPattern));
    fillPatternShape(painter, xt, QRectF(x0, y0, 7 * c, 7 * c));
    painter.setBrush(QBrush(kPatternWhite, Qt::SolidPattern));
    fillPatternShape(painter, xt, QRectF(x0 + c, y0 + c, 5 * c, 5 * c));
    painter.setBrush(QBrush(inptColor, Qt::SolidPattern));
    fillPatternShape(painter, xt, QRectF(x0 + 2 * c, y0 + 2 * c, 3 * c, 3 * c));
}

void VectorQrBase::drawAlignment(int x, int y)
{
    Q_UNUSED(x)
    Q_UNUSED(y)
    const double c = cell;
    const double x0 = cell + cellX;
    const double y0 = cell + cellY;
    painter.setBrush(QBrush(ptColor, Qt::SolidPattern));
    fillPatternShape(painter, xt, QRectF(x0, y0, 5 * c, 5 * c));
    painter.setBrush(QBrush(kPatternWhite, Qt::SolidPattern));
    fillPatternShape(painter, xt, QRectF(x0 + c, y0 + c, 3 * c, 3 * c));
    painter.setBrush(QBrush(inptColor, Qt::SolidPattern));
    fillPatternShape(painter, xt, QRectF(x0 + 2 * c, y0 + 2 * c, c, c));
}

bool VectorQrBase::writeDocument(const QString &path, const QString &suffix, const OpenDevice &openDevice,
                                 const std::function<void()> &closeDevice)
{
    QRcode *code = encodeQrContent(content, version, level, hint, caseSensitive);
    QrSymbolHolder symbol(code);
    if (!code)
        return false;
    const QrGrid grid(code);
    const int w = grid.width();

    cell = size / (w + 2);
    blockSize = cell * (blockSize / 50.0);
    const int side = (w + 2) * cell;
    // The caption band is twice the point size high, so descenders fit.
    const int bandHeight = 2 * codeFontSize;

    if (dir.isEmpty())
        return false; // no cache folder to draw in
    const QString tempPath = QStringLiteral("%1/tmp-%2.%3").arg(dir, randomString(10), suffix);
    qreal scale = 1.0;
    QPaintDevice *device = openDevice(tempPath, side, bandHeight, &scale);
    if (!painter.begin(device)) {
        // No temporary file to paint on: nothing can be copied.
        closeDevice();
        return false;
    }
    painter.scale(scale, scale);
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, true);

    bgColor.setAlphaF(alpha);
    painter.setBrush(QBrush(bgColor, Qt::SolidPattern));
    painter.drawRect(QRectF(0, 0, side, side));

    PatternWalk walk(grid, 8);
    for (int y = 0; y < w; ++y) {
        for (int x = 0; x < w; ++x) {
            cellX = x * cell;
            cellY = y * cell;
            const bool fullCell = isPlus && grid.inPlusZone(x, y);
            const PatternWalk::Role role = walk.role(x, y);
            if (!grid.dark(x, y)) {
                if (role != PatternWalk::Ordinary)
                    continue;
                drawLight(x, y, fullCell);
                continue;
            }
            if (xtItem == 2)
                shapeName = grid.shapeName(x, y);
            switch (role) {
            case PatternWalk::FinderHere: drawEye(x, y); break;
            case PatternWalk::AlignmentHere: drawAlignment(x, y); break;
            case PatternWalk::InPattern: break;
            case PatternWalk::Ordinary: drawDark(x, y, fullCell); break;
            }
        }
    }
    symbol.reset();

    if (isCode && !codeStr.isEmpty()) {
        painter.setPen(codeColor);
        QFont font;
        font.setPointSize(codeFontSize);
        font.setLetterSpacing(QFont::AbsoluteSpacing, double(codeSpac));
        painter.setFont(font);
        painter.drawText(QRect(0, side, side, bandHeight), Qt::AlignHCenter, codeStr);
    }
    painter.end();
    closeDevice();

    // The painters do not report a failed write: a document cut short on a
    // full disk lacks its closing line.
    if (!endsAsWritten(tempPath, suffix)) {
        QFile::remove(tempPath);
        return false;
    }
    const bool copied = copyFile(tempPath, path);
    // Whether or not it reached the path, the document leaves the cache folder.
    QFile::remove(tempPath);
    if (!copied)
        return false;
    return true;
}

svgQr::svgQr() : VectorQrBase(false)
{
}

bool svgQr::create(const QString &path)
{
    const auto open = [this](const QString &tempPath, int side, int bandHeight, qreal *scale) -> QPaintDevice * {
        generator.setFileName(tempPath);
        generator.setTitle(QStringLiteral("QR code"));
        generator.setDescription(QStringLiteral("QR code drawn as vector shapes"));
        generator.setSize(QSize(size, size));
        generator.setViewBox(QRect(0, 0, side, side + bandHeight));
        *scale = 1.0;
        return &generator;
    };
    // An empty name makes the generator let go of the finished file.
    const auto close = [this] { generator.setFileName(QString()); };
    return writeDocument(path, QStringLiteral("svg"), open, close);
}

pdfQr::pdfQr() : VectorQrBase(true), printer(QPrinter::ScreenResolution)
{
}

bool pdfQr::create(const QString &path)
{
    const auto open = [this](const QString &tempPath, int side, int bandHeight, qreal *scale) -> QPaintDevice * {
        printer.setOutputFileName(tempPath);
        printer.setOutputFormat(QPrinter::PdfFormat);
        // A page of exactly side by side + band millimetres (no snapping to a
        // nearby standard size) without margins; one drawing unit is one
        // millimetre of the page, so the drawing fills it.
        const QPageSize pageSize(QSizeF(side, side + bandHeight), QPageSize::Millimeter, QString(),
                                 QPageSize::ExactMatch);
        printer.setPageLayout(QPageLayout(pageSize, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                          QPageLayout::Millimeter));
        *scale = printer.resolution() / 25.4;
        return &printer;
    };
    return writeDocument(path, QStringLiteral("pdf"), open, [] {});
}
