#include "proqrcode.h"

#include "drawqr.h"
#include "qrsymbol.h"
#include "rasteroutput.h"

#include <QPainter>

#include <qrencode.h>

ProQrcode::ProQrcode()
    : caseSensitive(true), margin(10), isTran(false), hint(2), level(2), size(300), isBor(false),
      logoWidth(40), logoHeight(40), logoRatio(0.2), bgX(0), bgY(0), version(0), xt(0), isCode(false),
      codeFontSize(14), codeSpac(2)
{
    fgColor.setNamedColor(QStringLiteral("#000000"));
    bgColor.setNamedColor(QStringLiteral("#ffffff"));
    ptColor.setNamedColor(QStringLiteral("#000000"));
    inptColor.setNamedColor(QStringLiteral("#000000"));
    codeColor.setNamedColor(QStringLiteral("#000000"));
}

namespace {

// One pattern square of side n at the given top-left corner, in the look e.
void drawPatternSquare(QPainter &painter, int e, double left, double top, double side)
{
    const QRectF rect(left, top, side, side);
    switch (e) {
    case 1:
        painter.drawEllipse(QRect(int(left), int(top), int(side), int(side)));
        break;
    case 2:
        painter.drawRoundedRect(rect, 20, 20, Qt::RelativeSize);
        break;
    default:
        painter.drawRect(rect);
        break;
    }
}

// The picture at `path`, or a null image when there is none to load.
QImage loadedOrNull(const QString &path)
{
    QImage image;
    RasterOutput::loadImage(path, &image);
    return image;
}

// A transparent canvas lets a texture land only on what gets painted.
QImage &blankCanvas(int width, int height, bool transparent, const QColor &ground)
{
    QImage &canvas = RasterOutput::reusedCanvas(0, QSize(qMax(width, 1), qMax(height, 1)),
                                                transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (transparent)
        canvas.fill(Qt::transparent);
    else
        canvas.fill(ground);
    return canvas;
}

// Paints `area` in the ground colour, unless the canvas stays transparent.
void paintGround(QPainter &painter, bool transparent, const QColor &ground, const QRect &area)
{
    if (!transparent)
        painter.setBrush(QBrush(ground, Qt::SolidPattern));
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.drawRect(area);
}

// Keeps the texture only where something is painted, then starts the painter
// afresh for what goes on top.
void paintTexture(QPainter &painter, QImage &canvas, const QImage &texture)
{
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    painter.drawImage(QRectF(0, 0, canvas.width(), canvas.height()), texture);
    painter.end();
    painter.begin(&canvas);
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, true);
}

// The canvas over an opaque plate of the ground colour.
QImage onGroundPlate(const QImage &canvas, const QColor &ground)
{
    QImage &plate = RasterOutput::reusedCanvas(1, canvas.size(), QImage::Format_ARGB32_Premultiplied);
    plate.fill(ground);
    QPainter platePainter(&plate);
    platePainter.drawImage(0, 0, canvas);
    platePainter.end();
    return plate;
}

} // namespace

bool ProQrcode::create(const QString &path)
{
    applyDefaultContent(content);
    fitLogoRatioToLevel();
    QrSymbolHolder symbol(encodeQrContent(content, version, level, hint, caseSensitive));
    if (!symbol.get())
        return false;
    const QrGrid grid(symbol.get());
    const double pitch = double(size - 2 * margin) / grid.width();

    const RasterOutput::Caption caption = RasterOutput::captionOf(*this);
    const QImage logoImage = loadedOrNull(logo);
    const QImage texture = loadedOrNull(fgImg);
    const QImage background = loadedOrNull(bgImg);
    const bool transparent = isTran || !texture.isNull();
    const int height = size + caption.bandHeight();

    QImage &canvas = blankCanvas(size, height, transparent, bgColor);
    QPainter painter(&canvas);
    paintGround(painter, transparent, bgColor, QRect(0, 0, size, height));
    paintModules(painter, grid, pitch, transparent);
    if (!texture.isNull())
        paintTexture(painter, canvas, texture);
    if (!logoImage.isNull())
        paintLogo(painter, logoImage, pitch);
    if (caption.hasBand())
        RasterOutput::paintCaption(painter, size, caption);
    painter.end();

    const QImage codeImage = isTran ? canvas : onGroundPlate(canvas, bgColor);
    const bool written = RasterOutput::writeOutput(path, codeImage, RasterOutput::placementOf(*this),
                                                   background.isNull() ? nullptr : &background);
    RasterOutput::releaseLargeCanvases();
    return written;
}

void ProQrcode::fitLogoRatioToLevel()
{
    switch (level) {
    case 0: logoRatio = 0.1; break;
    case 1: logoRatio = 0.13; break;
    case 2: logoRatio = 0.2; break;
    case 3: logoRatio = 0.25; break;
    default: break;
    }
}

void ProQrcode::paintModules(QPainter &painter, const QrGrid &grid, double pitch, bool transparent) const
{
    painter.setBrush(QBrush(fgColor, Qt::SolidPattern));
    PinCache pins(fgColor);
    PatternWalk walk(grid, 7);
    for (int y = 0; y < grid.width(); ++y) {
        for (int x = 0; x < grid.width(); ++x) {
            if (!grid.dark(x, y))
                continue;
            const PatternWalk::Role role = walk.role(x, y);
            if (role == PatternWalk::Ordinary)
                paintModule(painter, margin + x * pitch, margin + y * pitch, pitch,
                            xt > 1 ? pins.pin(grid.shapeName(x, y)) : QPixmap());
            else if (role != PatternWalk::InPattern && xt >= 0) // a negative look paints no pattern
                paintPattern(painter, x, y, role == PatternWalk::FinderHere ? 7 : 5, pitch, transparent);
        }
    }
}

void ProQrcode::paintModule(QPainter &painter, double left, double top, double pitch, const QPixmap &pin) const
{
    if (xt > 1)
        painter.drawPixmap(QRectF(left, top, pitch + 0.6, pitch + 0.6), pin, QRectF(0, 0, 50, 50));
    else if (xt == 1)
        painter.drawEllipse(QRect(int(left), int(top), int(pitch), int(pitch)));
    else if (xt == 0)
        painter.drawRect(QRectF(left, top, pitch + 0.6, pitch + 0.6));
}

// The outer square, the gap and the centre of a pattern of n modules; on a
// transparent canvas the gap is cleared rather than painted.
void ProQrcode::paintPattern(QPainter &painter, int x, int y, int n, double pitch, bool transparent) const
{
    const int e = xt < 2 ? xt : 2;
    const QColor colors[3] = {ptColor, bgColor, inptColor};
    for (int k = 0; k < 3; ++k) {
        const double left = margin + (x + k) * pitch;
        const double top = margin + (y + k) * pitch;
        const double side = (n - 2 * k) * pitch;
        if (k == 1 && transparent) {
            painter.setCompositionMode(QPainter::CompositionMode_Clear);
            drawPatternSquare(painter, e, left, top, side);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            continue;
        }
        painter.setBrush(QBrush(colors[k], Qt::SolidPattern));
        drawPatternSquare(painter, e, left, top, side);
    }
    painter.setBrush(QBrush(fgColor, Qt::SolidPattern));
}

// Centred, logoRatio x size unless a logo size is set, on an optional
// rounded plate of the ground colour.
void ProQrcode::paintLogo(QPainter &painter, const QImage &logoImage, double pitch) const
{
    double w = logoRatio * size;
    double h = w;
    if (logoWidth >= 1 && logoHeight >= 1) {
        w = logoWidth;
        h = logoHeight;
    }
    const double lx = (size - w) * 0.5;
    const double ly = (size - h) * 0.5;
    if (isBor) {
        const double d = (logoRatio + 0.2) * pitch;
        painter.setBrush(QBrush(bgColor, Qt::SolidPattern));
        painter.drawRoundedRect(QRectF(lx - d, ly - d, w + 2 * d, h + 2 * d), 50, 50, Qt::RelativeSize);
    }
    painter.drawImage(QRectF(lx, ly, w, h), logoImage);
}
