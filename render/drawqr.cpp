#include "drawqr.h"

namespace {
const QRectF kCell(0, 0, 50, 50);
}

drawQr::drawQr(QObject *parent) : QObject(parent)
{
    color.setNamedColor(QStringLiteral("#000000"));
}

drawQr::~drawQr() = default;

void drawQr::setColor(const QColor &value)
{
    color = value;
}

void drawQr::setColor(const QString &name)
{
    color = QColor(name);
}

void drawQr::initPixmap(const QString &type)
{
    if (type != QLatin1String("pin"))
        return;
    pixmap = QPixmap(50, 50);
    pixmap.fill(Qt::transparent);
    painter.begin(&pixmap);
    brush = QBrush(color, Qt::SolidPattern);
    painter.setBrush(brush);
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, true);
}

QPixmap drawQr::finishPin()
{
    painter.end();
    return pixmap;
}

QPixmap drawQr::pinCircle()
{
    initPixmap(QStringLiteral("pin"));
    painter.drawEllipse(kCell);
    return finishPin();
}

QPixmap drawQr::pinSquare()
{
    initPixmap(QStringLiteral("pin"));
    painter.drawRect(kCell);
    return finishPin();
}

QPixmap drawQr::roundCorner(int startAngle, const QPointF (&polygon)[5])
{
    initPixmap(QStringLiteral("pin"));
    painter.drawPie(kCell, startAngle, 1440);
    painter.drawConvexPolygon(polygon, 5);
    return finishPin();
}

QPixmap drawQr::roundEnd(int startAngle, const QRect &half)
{
    initPixmap(QStringLiteral("pin"));
    painter.drawPie(kCell, startAngle, 2880);
    painter.drawRect(half);
    return finishPin();
}

QPixmap drawQr::pinRoundLeftTop()
{
    static const QPointF points[5] = {{0, 25}, {0, 50}, {50, 50}, {50, 0}, {25, 0}};
    return roundCorner(1440, points);
}

QPixmap drawQr::pinRoundLeftBottom()
{
    static const QPointF points[5] = {{25, 50}, {50, 50}, {50, 0}, {0, 0}, {0, 25}};
    return roundCorner(2880, points);
}

QPixmap drawQr::pinRoundRightTop()
{
    static const QPointF points[5] = {{25, 0}, {0, 0}, {0, 50}, {50, 50}, {50, 25}};
    return roundCorner(0, points);
}

QPixmap drawQr::pinRoundRightBottom()
{
    static const QPointF points[5] = {{50, 25}, {50, 0}, {0, 0}, {0, 50}, {25, 50}};
    return roundCorner(4320, points);
}

QPixmap drawQr::pinRoundTop()
{
    return roundEnd(0, QRect(0, 25, 50, 25));
}

QPixmap drawQr::pinRoundRight()
{
    return roundEnd(4320, QRect(0, 0, 25, 50));
}

QPixmap drawQr::pinRoundBottom()
{
    return roundEnd(2880, QRect(0, 0, 50, 25));
}

QPixmap drawQr::pinRoundLeft()
{
    return roundEnd(1440, QRect(25, 0, 25, 50));
}

QPixmap drawQr::pinForShape(const QString &shapeName)
{
    if (shapeName == QLatin1String("roundCenter")) return pinCircle();
    if (shapeName == QLatin1String("squareCenter")) return pinSquare();
    if (shapeName == QLatin1String("roundTop")) return pinRoundTop();
    if (shapeName == QLatin1String("roundRight")) return pinRoundRight();
    if (shapeName == QLatin1String("roundBottom")) return pinRoundBottom();
    if (shapeName == QLatin1String("roundLeft")) return pinRoundLeft();
    if (shapeName == QLatin1String("roundLeftTop")) return pinRoundLeftTop();
    if (shapeName == QLatin1String("roundLeftBottom")) return pinRoundLeftBottom();
    if (shapeName == QLatin1String("roundRightTop")) return pinRoundRightTop();
    if (shapeName == QLatin1String("roundRightBottom")) return pinRoundRightBottom();
    return QPixmap();
}

QPixmap PinCache::pin(const QString &shapeName)
{
    auto it = m_cache.find(shapeName);
    if (it == m_cache.end())
        it = m_cache.insert(shapeName, m_pins.pinForShape(shapeName));
    return it.value();
}
