#include "proqrcode.h"

#include "drawqr.h"
#include "qrsymbol.h"
#include "rasteroutput.h"

#include <QHash>
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

} // namespace

bool ProQrcode::create(const QString &path)
{
    applyDefaultContent(content);

    switch (level) {
    case 0: logoRatio = 0.1; break;
    case 1: logoRatio = 0.13; break;
    case 2: logoRatio = 0.2; break;
    case 3: logoRatio = 0.25; break;
    default: break;
    }

    const RasterOutput::Caption caption = RasterOutput::captionOf(*this);
    const int height = size + caption.bandHeight();

    QImage logoImage, fgImage, bgImage;
    const bool logoLoaded = RasterOutput::loadImage(logo, &logoImage);
    const bool fgLoaded = RasterOutput::loadImage(fgImg, &fgImage);
    const bool bgLoaded = RasterOutput::loadImage(bgImg, &bgImage);

    const bool transparent = isTran || fgLoaded;
    QImage canvas(qMax(size, 1), qMax(height, 1),
                  transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (transparent)
        canvas.fill(Qt::transparent);
    else
        canvas.fill(bgColor);
    QPainter painter(&canvas);
    if (!transparent)
        painter.setBrush(QBrush(bgColor, Qt::SolidPattern));

    QRcode *code = encodeQrContent(content, version, level, hint, caseSensitive);
    QrSymbolHolder symbol(code);
    if (!code)
        return false;
    const QrGrid grid(code);
    const int width = grid.width();

    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.drawRect(QRect(0, 0, size, height));

    const double p = double(size - 2 * margin) / width;
    const int e = xt < 2 ? xt : 2;
    const QBrush fgBrush(fgColor, Qt::SolidPattern);
    painter.setBrush(fgBrush);
    drawQr pins;
    pins.setColor(fgColor);
    QHash<QString, QPixmap> pinCache;
    PatternWalk walk(grid, 7);

    auto paintPattern = [&](int x, int y, int n) {
        const QColor colors[3] = {ptColor, bgColor, inptColor};
        for (int k = 0; k < 3; ++k) {
            const double left = margin + (x + k) * p;
            const double top = margin + (y + k) * p;
            const double side = (n - 2 * k) * p;
            if (k == 1 && transparent) {
                painter.setCompositionMode(QPainter::CompositionMode_Clear);
                drawPatternSquare(painter, e, left, top, side);
                painter.setCompositionMode(QPainter::CompositionMode_Source);
                continue;
            }
            painter.setBrush(QBrush(colors[k], Qt::SolidPattern));
            drawPatternSquare(painter, e, left, top, side);
        }
        painter.setBrush(fgBrush);
    };

    for (int y = 0; y < width; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!grid.dark(x, y))
                continue;
            QPixmap pin;
            if (xt > 1) {
                const QString shape = grid.shapeName(x, y);
                auto it = pinCache.find(shape);
                if (it == pinCache.end())
                    it = pinCache.insert(shape, pins.pinForShape(shape));
                pin = it.value();
            }
            const PatternWalk::Role role = walk.role(x, y);
            if (role != PatternWalk::Ordinary) {
                // A negative look paints no pattern.
                if (role != PatternWalk::InPattern && xt >= 0)
                    paintPattern(x, y, role == PatternWalk::FinderHere ? 7 : 5);
                continue;
            }
            const double cx = margin + x * p;
            const double cy = margin + y * p;
            if (xt > 1)
                painter.drawPixmap(QRectF(cx, cy, p + 0.6, p + 0.6), pin, QRectF(0, 0, 50, 50));
            else if (xt == 1)
                painter.drawEllipse(QRect(int(cx), int(cy), int(p), int(p)));
            else if (xt == 0)
                painter.drawRect(QRectF(cx, cy, p + 0.6, p + 0.6));
        }
    }
    symbol.reset();

    if (fgLoaded) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        painter.drawImage(QRectF(0, 0, canvas.width(), canvas.height()), fgImage);
        painter.end();
        painter.begin(&canvas);
        painter.setPen(Qt::NoPen);
        painter.setRenderHint(QPainter::Antialiasing, true);
    }

    if (logoLoaded) {
        double w = logoRatio * size;
        double h = w;
        if (logoWidth >= 1 && logoHeight >= 1) {
            w = logoWidth;
            h = logoHeight;
        }
        const double lx = (size - w) * 0.5;
        const double ly = (size - h) * 0.5;
        if (isBor) {
            const double d = (logoRatio + 0.2) * p;
            painter.setBrush(QBrush(bgColor, Qt::SolidPattern));
            painter.drawRoundedRect(QRectF(lx - d, ly - d, w + 2 * d, h + 2 * d), 50, 50, Qt::RelativeSize);
        }
        painter.drawImage(QRectF(lx, ly, w, h), logoImage);
    }

    if (caption.hasBand())
        RasterOutput::paintCaption(painter, size, caption);
    painter.end();

    QImage codeImage = canvas;
    if (!isTran) {
        // The ground plate under the canvas.
        QImage plate(canvas.size(), QImage::Format_ARGB32_Premultiplied);
        plate.fill(bgColor);
        QPainter platePainter(&plate);
        platePainter.drawImage(0, 0, canvas);
        platePainter.end();
        codeImage = plate;
    }

    const RasterOutput::Placement placement = RasterOutput::placementOf(*this);
    return RasterOutput::writeOutput(path, codeImage, placement, bgLoaded ? &bgImage : nullptr);
}
