#include "bsdqr.h"

#include "drawqr.h"
#include "qrsymbol.h"
#include "rasteroutput.h"

#include <QPainter>

bsdQr::bsdQr()
    : caseSensitive(true), margin(10), hint(2), level(2), size(300), bgX(0), bgY(0), version(0), xt(0),
      xtItem(0), blockSize(17.0), alpha(0.5), isPlus(false), isCode(false), codeFontSize(14), codeSpac(2)
{
    block0.setNamedColor(QStringLiteral("#ffffff"));
    block1.setNamedColor(QStringLiteral("#000000"));
    ptColor.setNamedColor(QStringLiteral("#000000"));
    inptColor.setNamedColor(QStringLiteral("#000000"));
    bgColor.setNamedColor(QStringLiteral("#ffffff"));
    codeColor.setNamedColor(QStringLiteral("#000000"));
}

namespace {

QImage transparentImage(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void beginShapes(QPainter &painter)
{
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, true);
}

// One square of an eye or alignment picture, in the eye shape `xt`.
void drawEyeSquare(QPainter &painter, int xt, const QColor &color, const QRectF &rect)
{
    painter.setBrush(QBrush(color, Qt::SolidPattern));
    if (xt == 0)
        painter.drawRect(rect);
    else if (xt == 2)
        painter.drawRoundedRect(rect, 20, 20, Qt::RelativeSize);
    else
        painter.drawEllipse(rect);
}

QImage blockImage(const QColor &color, double blockSize, bool square)
{
    QImage image = transparentImage(50);
    QPainter painter(&image);
    beginShapes(painter);
    painter.setBrush(QBrush(color, Qt::SolidPattern));
    const double offset = (50 - blockSize) / 2;
    const QRectF rect(offset, offset, blockSize, blockSize);
    if (square)
        painter.drawRect(rect);
    else
        painter.drawEllipse(rect);
    return image;
}

QImage solidCell(const QColor &color)
{
    QImage image(50, 50, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

} // namespace

// The pictures stamped onto the canvas, each 50 pixels a module.
struct bsdQr::Stamps
{
    QImage eye;
    QImage alignment;
    QImage lightBlock;
    QImage darkBlock;
    QImage whiteCell;
    QImage blackCell;
};

bool bsdQr::create(const QString &path)
{
    applyDefaultContent(content);
    QrSymbolHolder symbol(encodeQrContent(content, version, level, hint, caseSensitive));
    if (!symbol.get())
        return false;
    const RasterOutput::Caption caption = RasterOutput::captionOf(*this);
    QImage background;
    const bool bgLoaded = RasterOutput::loadImage(bgImg, &background);

    bgColor.setAlphaF(alpha);
    const QImage canvas = paintCanvas(QrGrid(symbol.get()), makeStamps());
    const QImage code = canvas.scaled(QSize(size, size), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const QImage codeImage = RasterOutput::addCaptionBand(code, size, caption);
    return RasterOutput::writeOutput(path, codeImage, RasterOutput::placementOf(*this),
                                     bgLoaded ? &background : nullptr);
}

bsdQr::Stamps bsdQr::makeStamps() const
{
    Stamps stamps;
    stamps.eye = eyeStamp();
    stamps.alignment = alignmentStamp();
    stamps.lightBlock = blockImage(block0, blockSize, xtItem == 0);
    stamps.darkBlock = xtItem == 2 ? QImage() : blockImage(block1, blockSize, xtItem == 0);
    stamps.whiteCell = solidCell(QColor("#ffffff"));
    stamps.blackCell = solidCell(QColor("#000000"));
    return stamps;
}

// The finder with its light separator, 9 modules square.
QImage bsdQr::eyeStamp() const
{
    QImage eye = transparentImage(450);
    QPainter painter(&eye);
    beginShapes(painter);
    drawEyeSquare(painter, xt, QColor("#FFFFFF"), QRectF(0, 0, 450, 450));
    drawEyeSquare(painter, xt, ptColor, QRectF(50, 50, 350, 350));
    drawEyeSquare(painter, xt, QColor("#ffffff"), QRectF(100, 100, 250, 250));
    drawEyeSquare(painter, xt, inptColor, QRectF(150, 150, 150, 150));
    painter.end();
    return eye;
}

QImage bsdQr::alignmentStamp() const
{
    QImage alignment = transparentImage(250);
    QPainter painter(&alignment);
    beginShapes(painter);
    drawEyeSquare(painter, xt, ptColor, QRectF(0, 0, 250, 250));
    drawEyeSquare(painter, xt, QColor("#ffffff"), QRectF(50, 50, 150, 150));
    drawEyeSquare(painter, xt, inptColor, QRectF(100, 100, 50, 50));
    painter.end();
    return alignment;
}

// The symbol at 50 pixels a module inside a border of one module, on the
// translucent ground.
QImage bsdQr::paintCanvas(const QrGrid &grid, const Stamps &stamps) const
{
    const int side = 50 * grid.width() + 100;
    QImage canvas(side, side, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(bgColor);
    QPainter painter(&canvas);
    beginShapes(painter);
    PinCache pins(block1);
    PatternWalk walk(grid, 8);
    for (int y = 0; y < grid.width(); ++y)
        for (int x = 0; x < grid.width(); ++x)
            paintCell(painter, grid, x, y, walk.role(x, y), stamps, pins);
    painter.end();
    return canvas;
}

// A pattern's picture at its first module (the eye one module up-left, over
// its separator), nothing for the rest of it; else a contrast cell in the
// timing and format zone with isPlus, or the module's block or pin.
void bsdQr::paintCell(QPainter &painter, const QrGrid &grid, int x, int y, PatternWalk::Role role,
                      const Stamps &stamps, PinCache &pins) const
{
    const QPoint cell(50 * (x + 1), 50 * (y + 1));
    const bool plus = isPlus && grid.inPlusZone(x, y);
    if (!grid.dark(x, y)) {
        if (role == PatternWalk::Ordinary)
            painter.drawImage(cell, plus ? stamps.whiteCell : stamps.lightBlock);
    } else if (role == PatternWalk::FinderHere) {
        painter.drawImage(QPoint(50 * x, 50 * y), stamps.eye);
    } else if (role == PatternWalk::AlignmentHere) {
        painter.drawImage(cell, stamps.alignment);
    } else if (role == PatternWalk::InPattern) {
        // Covered by its pattern's picture.
    } else if (plus) {
        painter.drawImage(cell, stamps.blackCell);
    } else if (xtItem == 2) {
        painter.drawPixmap(cell, pins.pin(grid.shapeName(x, y)));
    } else {
        painter.drawImage(cell, stamps.darkBlock);
    }
}
