// Paints the 50 by 50 pixel module shapes ("pins") of the liquid module look.
#ifndef VOPA_DRAWQR_H
#define VOPA_DRAWQR_H

#include <QBrush>
#include <QColor>
#include <QHash>
#include <QObject>
#include <QPainter>
#include <QPixmap>

class drawQr : public QObject
{
    Q_OBJECT

public:
    explicit drawQr(QObject *parent = nullptr);
    ~drawQr() override;

    void setColor(const QColor &color);
    void setColor(const QString &name);
    void initPixmap(const QString &type);

    QPixmap pinCircle();
    QPixmap pinSquare();
    QPixmap pinRoundLeftTop();
    QPixmap pinRoundLeftBottom();
    QPixmap pinRoundRightTop();
    QPixmap pinRoundRightBottom();
    QPixmap pinRoundTop();
    QPixmap pinRoundRight();
    QPixmap pinRoundBottom();
    QPixmap pinRoundLeft();

    // The pin for a neighbour shape name; a null pixmap for an unknown name.
    QPixmap pinForShape(const QString &shapeName);

private:
    QPixmap finishPin();
    QPixmap roundCorner(int startAngle, const QPointF (&polygon)[5]);
    QPixmap roundEnd(int startAngle, const QRect &half);

    QPixmap pixmap;
    QPainter painter;
    QBrush brush;
    QColor color;
};

// The pins of one colour for a whole code, each shape painted once.
class PinCache
{
public:
    explicit PinCache(const QColor &color) { m_pins.setColor(color); }
    QPixmap pin(const QString &shapeName);

private:
    drawQr m_pins;
    QHash<QString, QPixmap> m_cache;
};

#endif
