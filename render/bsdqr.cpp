#include "bsdqr.h"

#include "drawqr.h"
#include "qrsymbol.h"
#include "rasteroutput.h"

#include <QHash>
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

bool bsdQr::create(const QString &path)
{
    applyDefaultContent(content);
    const RasterOutput::Caption caption = RasterOutput::captionOf(*this);

    QImage background;
    const bool bgLoaded = RasterOutput::loadImage(bgImg, &background);

    QImage eye = transparentImage(450);
    {
        QPainter painter(&eye);
        beginShapes(painter);
        drawEyeSquare(painter, xt, QColor("#FFFFFF"), QRectF(0, 0, 450, 450));
        drawEyeSquare(painter, xt, ptColor, QRectF(50, 50, 350, 350));
        drawEyeSquare(painter, xt, QColor("#ffffff"), QRectF(100, 100, 250, 250));
        drawEyeSquare(painter, xt, inptColor, QRectF(150, 150, 150, 150));
    }
    QImage alignment = transparentImage(250);
    {
        QPainter painter(&alignment);
        beginShapes(painter);
        drawEyeSquare(painter, xt, ptColor, QRectF(0, 0, 250, 250));
        drawEyeSquare(painter, xt, QColor("#ffffff"), QRectF(50, 50, 150, 150));
        drawEyeSquare(painter, xt, inptColor, QRectF(100, 100, 50, 50));
    }
    const QImage lightBlock = blockImage(block0, blockSize, xtItem == 0);
    const QImage darkBlock = xtItem == 2 ? QImage() : blockImage(block1, blockSize, xtItem == 0);
    const QImage whiteCell = solidCell(QColor("#ffffff"));
    const QImage blackCell = solidCell(QColor("#000000"));

    QrSymbolHolder symbol(encodeQrContent(content, version, level, hint, caseSensitive));
    if (!symbol.get())
        return false;
    const QrGrid grid(symbol.get());
    const int w = grid.width();

    const int side = 50 * w + 100;
    QImage canvas(side, side, QImage::Format_ARGB32_Premultiplied);
    bgColor.setAlphaF(alpha);
    canvas.fill(bgColor);
    QPainter painter(&canvas);
    beginShapes(painter);

    drawQr pins;
    pins.setColor(block1);
    QHash<QString, QPixmap> pinSlots;
    PatternWalk walk(grid, 8);

    for (int y = 0; y < w; ++y) {
        for (int x = 0; x < w; ++x) {
            const QPoint cell(50 * (x + 1), 50 * (y + 1));
            const PatternWalk::Role role = walk.role(x, y);
            const bool plus = isPlus && grid.inPlusZone(x, y);
            if (!grid.dark(x, y)) {
                if (role != PatternWalk::Ordinary)
                    continue;
                painter.drawImage(cell, plus ? whiteCell : lightBlock);
                continue;
            }
            QPixmap pin;
            if (xtItem == 2) {
                const QString shape = grid.shapeName(x, y);
                auto it = pinSlots.find(shape);
                if (it == pinSlots.end())
                    it = pinSlots.insert(shape, pins.pinForShape(shape));
                pin = it.value();
            }
            if (role == PatternWalk::FinderHere) {
                painter.drawImage(QPoint(50 * x, 50 * y), eye);
            } else if (role == PatternWalk::AlignmentHere) {
                painter.drawImage(cell, alignment);
            } else if (role == PatternWalk::InPattern) {
                // Covered by its pattern's picture.
            } else if (plus) {
                painter.drawImage(cell, blackCell);
            } else if (xtItem == 2) {
                painter.drawPixmap(cell, pin);
            } else {
                painter.drawImage(cell, darkBlock);
            }
        }
    }
    symbol.reset();
    painter.end();

    const QImage code = canvas.scaled(QSize(size, size), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const QImage codeImage = RasterOutput::addCaptionBand(code, size, caption);
    const RasterOutput::Placement placement = RasterOutput::placementOf(*this);
    return RasterOutput::writeOutput(path, codeImage, placement, bgLoaded ? &background : nullptr);
}
