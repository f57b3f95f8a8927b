// The pins of the liquid module look: their shapes, their colour, and how a
// pin already handed out survives later painting.
#include "drawqr.h"
#include "testsupport.h"

#include <QImage>
#include <QPoint>
#include <QStringList>
#include <QtTest>

namespace {

using PinFn = QPixmap (drawQr::*)();

struct PinCase
{
    const char *name;              // the neighbour shape the pin draws
    PinFn pin;
    QList<QPoint> clear;           // alpha 0: outside the shape
    QList<QPoint> solid;           // alpha 255: well inside the shape
    double area;                   // covered pixels, summed alpha / 255
};

const double kPi = 3.14159265358979;
const double kDisc = kPi * 25 * 25;                 // disc of radius 25
const double kCornerCut = 25 * 25 - kDisc / 4;      // square quarter less quarter disc

QList<PinCase> pinCases()
{
    const double corner = 2500 - kCornerCut;
    const double end = 1250 + kDisc / 2;
    return {
        {"roundCenter", &drawQr::pinCircle,
         {{0, 0}, {49, 0}, {0, 49}, {49, 49}, {3, 3}, {46, 46}},
         {{25, 25}, {1, 25}, {48, 25}, {25, 1}, {25, 48}}, kDisc},
        {"squareCenter", &drawQr::pinSquare, {}, {{0, 0}, {49, 49}}, 2500},
        {"roundLeftTop", &drawQr::pinRoundLeftTop,
         {{0, 0}, {1, 1}, {3, 3}},
         {{49, 0}, {48, 1}, {0, 49}, {1, 48}, {48, 48}, {49, 49}, {25, 0}, {0, 25}}, corner},
        {"roundLeftBottom", &drawQr::pinRoundLeftBottom,
         {{0, 49}, {1, 48}, {3, 46}},
         {{0, 0}, {1, 1}, {49, 0}, {48, 1}, {48, 48}, {49, 49}, {25, 49}, {0, 24}}, corner},
        {"roundRightTop", &drawQr::pinRoundRightTop,
         {{49, 0}, {48, 1}, {46, 3}},
         {{0, 0}, {1, 1}, {0, 49}, {1, 48}, {48, 48}, {49, 49}, {24, 0}, {49, 25}}, corner},
        {"roundRightBottom", &drawQr::pinRoundRightBottom,
         {{49, 49}, {48, 48}, {46, 46}},
         {{0, 0}, {1, 1}, {49, 0}, {48, 1}, {0, 49}, {1, 48}, {24, 49}, {49, 24}}, corner},
        // Rounded ends: the straight half reaches the cell edge, up to the middle.
        {"roundTop", &drawQr::pinRoundTop,
         {{0, 0}, {1, 1}, {49, 0}, {48, 1}},
         {{0, 49}, {49, 49}, {0, 25}, {49, 25}, {25, 1}, {25, 25}}, end},
        {"roundRight", &drawQr::pinRoundRight,
         {{49, 0}, {48, 1}, {49, 49}, {48, 48}},
         {{0, 0}, {0, 49}, {24, 0}, {24, 49}, {48, 25}, {25, 25}}, end},
        {"roundBottom", &drawQr::pinRoundBottom,
         {{0, 49}, {1, 48}, {49, 49}, {48, 48}},
         {{0, 0}, {49, 0}, {0, 24}, {49, 24}, {25, 48}, {25, 25}}, end},
        {"roundLeft", &drawQr::pinRoundLeft,
         {{0, 0}, {1, 1}, {0, 49}, {1, 48}},
         {{49, 0}, {49, 49}, {25, 0}, {25, 49}, {1, 25}, {25, 25}}, end},
    };
}

QImage argb(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

QByteArray at(const QPoint &p)
{
    return QByteArray::number(p.x()) + "," + QByteArray::number(p.y());
}

double coveredArea(const QImage &image)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qAlpha(image.pixel(x, y));
    return sum / 255.0;
}

// Every opaque pixel has exactly `rgb`; partly covered ones carry it too.
bool paintedIn(const QImage &image, QRgb rgb)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) == 255 && (p & 0xffffff) != (rgb & 0xffffff))
                return false;
        }
    return true;
}

// Collects the painting warnings Qt gives while alive (a second painter on a
// pixmap, filling a pixmap being painted on, and so on).
class WarningTrap
{
public:
    WarningTrap() { s_messages.clear(); m_previous = qInstallMessageHandler(handler); }
    ~WarningTrap() { qInstallMessageHandler(m_previous); }
    QStringList messages() const { return s_messages; }

private:
    static void handler(QtMsgType type, const QMessageLogContext &, const QString &text)
    {
        if (type != QtDebugMsg && type != QtInfoMsg
            && (text.startsWith(QLatin1String("QPainter")) || text.startsWith(QLatin1String("QPixmap"))))
            s_messages << text;
    }
    static QStringList s_messages;
    QtMessageHandler m_previous = nullptr;
};
QStringList WarningTrap::s_messages;

} // namespace

class TestDrawQr : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void pinShapes();
    void colours();
    void earlierPinsSurvive();
    void initPixmapIgnoresOtherTypes();
    void pinForShape();

private:
    TestCwd m_cwd;
};

void TestDrawQr::pinShapes()
{
    drawQr painter;
    for (const PinCase &c : pinCases()) {
        const QByteArray name(c.name);
        const QPixmap pin = (painter.*c.pin)();
        QCOMPARE(pin.size(), QSize(50, 50));
        const QImage image = argb(pin);
        for (const QPoint &p : c.clear)
            QVERIFY2(qAlpha(image.pixel(p)) == 0, (name + " clear at " + at(p)).constData());
        for (const QPoint &p : c.solid)
            QVERIFY2(qAlpha(image.pixel(p)) == 255, (name + " solid at " + at(p)).constData());
        // The whole outline: a pie in the wrong quarter or a wrong radius moves
        // the area by well over a hundred pixels.
        const double area = coveredArea(image);
        QVERIFY2(qAbs(area - c.area) < 12,
                 (name + " covers " + QByteArray::number(area) + ", expected "
                  + QByteArray::number(c.area)).constData());
    }

    // The full square leaves no pixel even partly uncovered.
    const QImage square = argb(painter.pinSquare());
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            QVERIFY2(qAlpha(square.pixel(x, y)) == 255, at(QPoint(x, y)).constData());
}

void TestDrawQr::colours()
{
    drawQr painter;
    const QImage black = argb(painter.pinRoundTop());
    QCOMPARE(black.pixel(25, 40), qRgba(0, 0, 0, 255));
    QVERIFY(paintedIn(black, qRgb(0, 0, 0)));

    painter.setColor(QColor(200, 30, 90));
    const QImage tinted = argb(painter.pinRoundTop());
    QCOMPARE(tinted.pixel(25, 40), qRgba(200, 30, 90, 255));
    QVERIFY(paintedIn(tinted, qRgb(200, 30, 90)));
    // Only the colour changed: the same shape, pixel for pixel.
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            QCOMPARE(qAlpha(tinted.pixel(x, y)), qAlpha(black.pixel(x, y)));

    // The colour by name reaches the next pin as well.
    painter.setColor(QStringLiteral("#1020ff"));
    QCOMPARE(argb(painter.pinCircle()).pixel(25, 25), qRgba(0x10, 0x20, 0xff, 255));
}

void TestDrawQr::earlierPinsSurvive()
{
    drawQr painter;
    const QPixmap circle = painter.pinCircle();
    const QImage circleBefore = argb(circle);
    QCOMPARE(circleBefore.pixel(25, 25), qRgba(0, 0, 0, 255));

    painter.setColor(QColor(Qt::green));
    const QPixmap square = painter.pinSquare();
    painter.setColor(QColor(Qt::blue));
    const QPixmap left = painter.pinRoundLeft();
    painter.pinRoundRightBottom();

    // The circle is still a black circle with clear corners.
    const QImage circleAfter = argb(circle);
    QCOMPARE(circleAfter, circleBefore);
    QCOMPARE(qAlpha(circleAfter.pixel(0, 0)), 0);
    QCOMPARE(circleAfter.pixel(25, 25), qRgba(0, 0, 0, 255));
    // The square kept its green and its corners.
    const QImage squareAfter = argb(square);
    QCOMPARE(squareAfter.pixel(0, 0), qRgba(0, 255, 0, 255));
    QCOMPARE(squareAfter.pixel(49, 49), qRgba(0, 255, 0, 255));
    const QImage leftAfter = argb(left);
    QCOMPARE(leftAfter.pixel(49, 0), qRgba(0, 0, 255, 255));
    QCOMPARE(qAlpha(leftAfter.pixel(0, 0)), 0);
}

void TestDrawQr::initPixmapIgnoresOtherTypes()
{
    drawQr painter;
    painter.setColor(QColor(Qt::red));
    painter.pinCircle();

    WarningTrap trap;
    painter.initPixmap(QStringLiteral("Pin"));
    painter.initPixmap(QString());
    painter.initPixmap(QStringLiteral("PIN"));
    painter.initPixmap(QStringLiteral("pin "));
    // Had any of these begun painting, the next pin would meet a painter that
    // is already active on a pixmap it cannot replace.
    painter.setColor(QColor(Qt::blue));
    const QImage next = argb(painter.pinSquare());
    QVERIFY2(trap.messages().isEmpty(), qPrintable(trap.messages().join(QLatin1String(" | "))));
    QCOMPARE(next.pixel(0, 0), qRgba(0, 0, 255, 255));
    QVERIFY(paintedIn(next, qRgb(0, 0, 255)));
    QCOMPARE(qRound(coveredArea(next)), 2500);
}

void TestDrawQr::pinForShape()
{
    drawQr painter;
    painter.setColor(QColor(40, 120, 60));
    for (const PinCase &c : pinCases()) {
        const QString name = QLatin1String(c.name);
        const QPixmap byName = painter.pinForShape(name);
        QVERIFY2(!byName.isNull(), c.name);
        QVERIFY2(argb(byName) == argb((painter.*c.pin)()), c.name);
    }
    for (const char *unknown : {"", "RoundCenter", "roundcenter", "square", "pin", "roundLeftTop "})
        QVERIFY2(painter.pinForShape(QLatin1String(unknown)).isNull(), unknown);
}

QTEST_MAIN(TestDrawQr)
#include "tst_drawqr.moc"
