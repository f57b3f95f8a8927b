// The pins of the liquid module look: their shapes, their colour, and how a
// pin already handed out survives later painting.
#include "drawqr.h"
#include "rendersupport.h"

#include <QtTest>

namespace {

struct PinCase
{
    const char *name;              // the neighbour shape the pin draws
    QPixmap (drawQr::*pin)();
    QList<QPoint> clear;           // alpha 0: outside the shape
    QList<QPoint> solid;           // alpha 255: well inside the shape
    double area;                   // covered pixels, summed alpha / 255
};

QList<PinCase> pinCases()
{
    const double disc = 3.14159265358979 * 25 * 25;       // disc of radius 25
    const double corner = 2500 - (25 * 25 - disc / 4);    // the square less a quarter's corner
    const double end = 1250 + disc / 2;                    // half square, half disc
    // Rounded ends: the straight half reaches the cell edge, up to the middle.
    return {
        {"roundCenter", &drawQr::pinCircle, {{0, 0}, {49, 0}, {0, 49}, {49, 49}, {3, 3}, {46, 46}},
         {{25, 25}, {1, 25}, {48, 25}, {25, 1}, {25, 48}}, disc},
        {"squareCenter", &drawQr::pinSquare, {}, {{0, 0}, {49, 49}}, 2500},
        {"roundLeftTop", &drawQr::pinRoundLeftTop, {{0, 0}, {1, 1}, {3, 3}},
         {{49, 0}, {48, 1}, {0, 49}, {1, 48}, {48, 48}, {49, 49}, {25, 0}, {0, 25}}, corner},
        {"roundLeftBottom", &drawQr::pinRoundLeftBottom, {{0, 49}, {1, 48}, {3, 46}},
         {{0, 0}, {1, 1}, {49, 0}, {48, 1}, {48, 48}, {49, 49}, {25, 49}, {0, 24}}, corner},
        {"roundRightTop", &drawQr::pinRoundRightTop, {{49, 0}, {48, 1}, {46, 3}},
         {{0, 0}, {1, 1}, {0, 49}, {1, 48}, {48, 48}, {49, 49}, {24, 0}, {49, 25}}, corner},
        {"roundRightBottom", &drawQr::pinRoundRightBottom, {{49, 49}, {48, 48}, {46, 46}},
         {{0, 0}, {1, 1}, {49, 0}, {48, 1}, {0, 49}, {1, 48}, {24, 49}, {49, 24}}, corner},
        {"roundTop", &drawQr::pinRoundTop, {{0, 0}, {1, 1}, {49, 0}, {48, 1}},
         {{0, 49}, {49, 49}, {0, 25}, {49, 25}, {25, 1}, {25, 25}}, end},
        {"roundRight", &drawQr::pinRoundRight, {{49, 0}, {48, 1}, {49, 49}, {48, 48}},
         {{0, 0}, {0, 49}, {24, 0}, {24, 49}, {48, 25}, {25, 25}}, end},
        {"roundBottom", &drawQr::pinRoundBottom, {{0, 49}, {1, 48}, {49, 49}, {48, 48}},
         {{0, 0}, {49, 0}, {0, 24}, {49, 24}, {25, 48}, {25, 25}}, end},
        {"roundLeft", &drawQr::pinRoundLeft, {{0, 0}, {1, 1}, {0, 49}, {1, 48}},
         {{49, 0}, {49, 49}, {25, 0}, {25, 49}, {1, 25}, {25, 25}}, end},
    };
}

QImage argb(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

double coveredArea(const QImage &image)
{
    double sum = 0;
    for (int p = 0; p < image.width() * image.height(); ++p)
        sum += qAlpha(image.pixel(p % image.width(), p / image.width()));
    return sum / 255.0;
}

// Every opaque pixel has exactly `rgb`.
bool paintedIn(const QImage &image, QRgb rgb)
{
    for (int p = 0; p < image.width() * image.height(); ++p) {
        const QRgb pixel = image.pixel(p % image.width(), p / image.width());
        if (qAlpha(pixel) == 255 && (pixel & 0xffffff) != (rgb & 0xffffff))
            return false;
    }
    return true;
}

} // namespace

class TestDrawQr : public QObject
{
    Q_OBJECT

private slots:
    void pinShapesAndNames()
    {
        drawQr painter;
        for (const PinCase &c : pinCases()) {
            const QImage image = argb((painter.*c.pin)());
            QCOMPARE(image.size(), QSize(50, 50));
            for (const QPoint &p : c.clear)
                QVERIFY2(qAlpha(image.pixel(p)) == 0, qPrintable(QStringLiteral("%1 clear at %2,%3").arg(c.name).arg(p.x()).arg(p.y())));
            for (const QPoint &p : c.solid)
                QVERIFY2(qAlpha(image.pixel(p)) == 255, qPrintable(QStringLiteral("%1 solid at %2,%3").arg(c.name).arg(p.x()).arg(p.y())));
            // The whole outline: a pie in the wrong quarter or a wrong radius moves
            // the area by well over a hundred pixels.
            const double area = coveredArea(image);
            QVERIFY2(qAbs(area - c.area) < 12, qPrintable(QStringLiteral("%1 covers %2, not %3").arg(c.name).arg(area).arg(c.area)));
            // The same pin by its neighbour shape name.
            QVERIFY2(argb(painter.pinForShape(QLatin1String(c.name))) == image, c.name);
        }
        for (const char *unknown : {"", "RoundCenter", "roundcenter", "square", "pin", "roundLeftTop "})
            QVERIFY2(painter.pinForShape(QLatin1String(unknown)).isNull(), unknown);
    }

    void colours()
    {
        // Only the colour changes: the same shape, pixel for pixel; by name too.
        drawQr painter;
        const QImage black = argb(painter.pinRoundTop());
        QVERIFY(paintedIn(black, qRgb(0, 0, 0)) && black.pixel(25, 40) == qRgba(0, 0, 0, 255));
        painter.setColor(QColor(200, 30, 90));
        const QImage tinted = argb(painter.pinRoundTop());
        QVERIFY(paintedIn(tinted, qRgb(200, 30, 90)));
        QCOMPARE(tinted.convertToFormat(QImage::Format_Alpha8), black.convertToFormat(QImage::Format_Alpha8));
        painter.setColor(QStringLiteral("#1020ff"));
        QCOMPARE(argb(painter.pinCircle()).pixel(25, 25), qRgba(0x10, 0x20, 0xff, 255));
    }

    void earlierPinsSurvive()
    {
        // A pin handed out keeps its shape and colour while later ones are painted.
        drawQr painter;
        const QPixmap circle = painter.pinCircle();
        const QImage circleBefore = argb(circle);
        painter.setColor(QColor(Qt::green));
        const QPixmap square = painter.pinSquare();
        painter.setColor(QColor(Qt::blue));
        const QPixmap left = painter.pinRoundLeft();
        painter.pinRoundRightBottom();
        QVERIFY(argb(circle) == circleBefore && circleBefore.pixel(25, 25) == qRgba(0, 0, 0, 255));
        QCOMPARE(argb(square).pixel(49, 49), qRgba(0, 255, 0, 255));
        QVERIFY(argb(left).pixel(49, 0) == qRgba(0, 0, 255, 255) && qAlpha(argb(left).pixel(0, 0)) == 0);
    }

    void initPixmapIgnoresOtherTypes()
    {
        drawQr painter;
        painter.setColor(QColor(Qt::red));
        painter.pinCircle();
        // Had any of these begun painting, the next pin would meet a painter
        // already active on a pixmap it cannot replace, and Qt would complain.
        QImage next;
        const QStringList messages = TestSupport::collectMessages([&] {
            for (const char *type : {"Pin", "", "PIN", "pin "})
                painter.initPixmap(QLatin1String(type));
            painter.setColor(QColor(Qt::blue));
            next = argb(painter.pinSquare());
        }, false);
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join(QLatin1String(" | "))));
        QVERIFY(paintedIn(next, qRgb(0, 0, 255)) && qRound(coveredArea(next)) == 2500);
    }
};

QTEST_MAIN(TestDrawQr)
#include "tst_drawqr.moc"
