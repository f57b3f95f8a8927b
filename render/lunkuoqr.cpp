#include "lunkuoqr.h"

#include <QPainterPath>

#include "qrsymbol.h"
#include "rasteroutput.h"

#include <QLineF>
#include <QPointF>
#include <QRectF>

#include <qrencode.h>

lunkuoQr::lunkuoQr()
    : caseSensitive(true), margin(10), hint(2), level(2), size(300), bgX(0), bgY(0), version(0), xt(0),
      xtItem(0), blockSize(50.0), lkBorSize(1), alpha(0.5), isPlus(false), isCode(false), codeFontSize(14),
      codeSpac(2), cell(50), cellX(0), cellY(0), nbTop(0), nbRight(0), nbBottom(0), nbLeft(0)
{
    lkColor.setNamedColor(QStringLiteral("#000000"));
    bgColor.setNamedColor(QStringLiteral("#ffffff"));
    codeColor.setNamedColor(QStringLiteral("#000000"));
}

QPen lunkuoQr::outlinePen() const
{
    return QPen(QBrush(lkColor, Qt::SolidPattern), qreal(lkBorSize), Qt::SolidLine, Qt::SquareCap,
                Qt::BevelJoin);
}

bool lunkuoQr::create(const QString &path)
{
    applyDefaultContent(content);

    const RasterOutput::Caption caption = RasterOutput::captionOf(*this);

    QImage background;
    const bool bgLoaded = RasterOutput::loadImage(bgImg, &background);

    QRcode *code = encodeQrContent(content, version, level, hint, caseSensitive);
    QrSymbolHolder symbol(code);
    if (!code)
        return false;
    const QrGrid grid(code);
    const int w = grid.width();

    // One empty cell of border on every side of the symbol.
    const int side = w * cell + 2 * cell;
    pixmap = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
    bgColor.setAlphaF(alpha);
    pixmap.fill(bgColor);
    painter.begin(&pixmap);
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, true);

    const QBrush dotBrush(lkColor, Qt::SolidPattern);
    const double inset = (cell - blockSize) * 0.5;
    PatternWalk walk(grid, 8);

    for (int y = 0; y < w; ++y) {
        for (int x = 0; x < w; ++x) {
            cellX = x * cell;
            cellY = y * cell;
            if (!grid.dark(x, y))
                continue;

            painter.setPen(Qt::NoPen);
            painter.setBrush(dotBrush);
            painter.drawEllipse(QRectF(cell + cellX + inset, cell + cellY + inset, blockSize, blockSize));

            nbTop = grid.dark(x, y - 1) ? 1 : 0;
            nbRight = grid.dark(x + 1, y) ? 1 : 0;
            nbBottom = grid.dark(x, y + 1) ? 1 : 0;
            nbLeft = grid.dark(x - 1, y) ? 1 : 0;
            if (xtItem == 1 || xtItem == 2)
                shapeName = grid.shapeName(x, y);

            switch (walk.role(x, y)) {
            case PatternWalk::FinderHere: drawEye(x, y); break;
            case PatternWalk::AlignmentHere: drawAlignment(x, y); break;
            case PatternWalk::InPattern: break;
            case PatternWalk::Ordinary: drawShape(x, y, isPlus && grid.inPlusZone(x, y)); break;
            }
        }
    }
    symbol.reset();
    painter.end();

    const int outSide = qMax(size, 1);
    pixmap = RasterOutput::addCaptionBand(
        pixmap.scaled(QSize(outSide, outSide), Qt::KeepAspectRatio, Qt::SmoothTransformation), outSide,
        caption);

    const RasterOutput::Placement placement = RasterOutput::placementOf(*this);
    return RasterOutput::writeOutput(path, pixmap, placement, bgLoaded ? &background : nullptr);
}

void lunkuoQr::drawShape(int x, int y, bool plus)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
    painter.setPen(outlinePen());
    painter.setBrush(Qt::NoBrush);

    const double X = cellX + cell;
    const double Y = cellY + cell;
    const double c = cell;
    const double m = cell / 2;
    const QRectF R(X, Y, c, c);

    auto edge = [this](double x1, double y1, double x2, double y2) {
        const QPointF points[2] = {QPointF(x1, y1), QPointF(x2, y2)};
        painter.drawConvexPolygon(points, 2);
    };
    auto freeEdges = [&] {
        if (nbTop == 0)
            edge(X, Y, X + c, Y);
        if (nbRight == 0)
            edge(X + c, Y, X + c, Y + c);
        if (nbBottom == 0)
            edge(X, Y + c, X + c, Y + c);
        if (nbLeft == 0)
            edge(X, Y, X, Y + c);
    };
    // A half circle closed by two open lines along the cell's sides.
    auto halfRound = [&](int start, const QLineF &a, const QLineF &b) {
        painter.drawArc(R, start, 2880);
        for (const QLineF &line : {a, b}) {
            const QPointF points[2] = {line.p1(), line.p2()};
            painter.drawPolyline(points, 2);
        }
    };
    // A quarter circle joined to two sides of the cell.
    auto quarterRound = [&](int start, const QLineF &a, const QLineF &b) {
        painter.drawArc(R, start, 1440);
        for (const QLineF &line : {a, b})
            edge(line.x1(), line.y1(), line.x2(), line.y2());
    };

    if (plus) {
        painter.drawRects(&R, 1);
        return;
    }
    if (xtItem == 0) {
        freeEdges();
        return;
    }
    if (xtItem != 1 && xtItem != 2)
        return;

    if (shapeName == QLatin1String("roundCenter"))
        painter.drawEllipse(R);
    else if (shapeName == QLatin1String("roundTop"))
        halfRound(0, QLineF(X, Y + m, X, Y + c), QLineF(X + c, Y + c, X + c, Y + m));
    else if (shapeName == QLatin1String("roundRight"))
        halfRound(4320, QLineF(X, Y, X + m, Y), QLineF(X, Y + c, X + m, Y + c));
    else if (shapeName == QLatin1String("roundBottom"))
        halfRound(2880, QLineF(X, Y, X, Y + m), QLineF(X + c, Y, X + c, Y + m));
    else if (shapeName == QLatin1String("roundLeft"))
        halfRound(1440, QLineF(X + m, Y, X + c, Y), QLineF(X + m, Y + c, X + c, Y + c));
    else if (shapeName == QLatin1String("roundLeftTop"))
        quarterRound(1440, QLineF(X, Y + m, X, Y + c), QLineF(X + c, Y, X + m, Y));
    else if (shapeName == QLatin1String("roundLeftBottom"))
        quarterRound(2880, QLineF(X, Y, X, Y + m), QLineF(X + m, Y + c, X + c, Y + c));
    else if (shapeName == QLatin1String("roundRightTop"))
        quarterRound(0, QLineF(X + m, Y, X, Y), QLineF(X + c, Y + c, X + c, Y + m));
    else if (shapeName == QLatin1String("roundRightBottom"))
        quarterRound(4320, QLineF(X + c, Y + m, X + c, Y), QLineF(X, Y + c, X + m, Y + c));
    else
        freeEdges();
}

void lunkuoQr::drawPatternOutlines(const int sides[3])
{
    if (xt == 0 || xt == 1 || xt == 2) {
        // Dots that only touch at their sides leave the pattern's dark ring and
        // centre full of holes, which scanners do not take for a finder: the
        // dark parts between the outlines are filled in the outline colour.
        QPainterPath dark;
        dark.setFillRule(Qt::OddEvenFill);
        for (int k = 1; k <= 3; ++k) {
            const double n = sides[k - 1];
            const QRectF rect(cellX + k * cell, cellY + k * cell, n * cell, n * cell);
            if (xt == 0)
                dark.addRect(rect);
            else
                dark.addRoundedRect(rect, 20, 20, Qt::RelativeSize);
        }
        painter.setPen(Qt::NoPen);
        painter.fillPath(dark, QBrush(lkColor, Qt::SolidPattern));
    }
    painter.setBrush(Qt::NoBrush);
    for (int k = 1; k <= 3; ++k) {
        painter.setPen(outlinePen());
        const double n = sides[k - 1];
        const QRectF rect(cellX + k * cell, cellY + k * cell, n * cell, n * cell);
        if (xt == 0)
            painter.drawRects(&rect, 1);
        else if (xt == 1 || xt == 2)
            painter.drawRoundedRect(rect, 20, 20, Qt::RelativeSize);
    }
}

void lunkuoQr::drawEye(int x, int y)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
    static const int sides[3] = {7, 5, 3};
    drawPatternOutlines(sides);
}

void lunkuoQr::drawAlignment(int x, int y)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
    static const int sides[3] = {5, 3, 1};
    drawPatternOutlines(sides);
}
