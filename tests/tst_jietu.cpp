// The capture overlay: choosing, moving and resizing the rectangle, the
// picture it hands on, its paint, cursors, and how it closes and is released.
//
// The overlay is given a 400 x 300 picture whose every pixel tells where it
// lies, so a handed-on picture shows exactly which region it is.
//
//   tst_jietu --esc-probe   shows one overlay as the only window, presses Esc,
//                           prints "released" when it is gone and "alive" 300 ms
//                           later, and leaves the loop with code 3.
// Under a real X display (QT_QPA_PLATFORM=xcb, for instance inside xvfb-run),
// realScreenGrab grabs the real screen and leaves a screenshot in the gallery.
#include "jietu.h"
#include "testsupport.h"

#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <cstdio>

namespace {

const QColor kAccent(0, 174, 255);
const QRect kSelection(100, 100, 100, 50); // dragged from (100, 100) to (200, 150)

QColor coded(int x, int y)
{
    return QColor(x & 255, y & 255, 40 + 80 * (x >> 8) + 40 * (y >> 8));
}

// Black at alpha 120 over the colour.
QColor dimmed(const QColor &c)
{
    return QColor(c.red() * 135 / 255, c.green() * 135 / 255, c.blue() * 135 / 255);
}

QImage codedScreen()
{
    QImage image(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, coded(x, y).rgb());
    return image;
}

bool samePicture(const QPixmap &picture, const QImage &expected)
{
    return picture.toImage().convertToFormat(QImage::Format_RGB32) == expected.convertToFormat(QImage::Format_RGB32);
}

void sendMouse(QWidget *target, QEvent::Type type, const QPoint &p, Qt::MouseButton button = Qt::LeftButton)
{
    const bool down = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    QMouseEvent event(type, p, target->mapToGlobal(p), type == QEvent::MouseMove ? Qt::NoButton : button,
                      down ? Qt::MouseButtons(button) : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void sendKey(QWidget *target, int key)
{
    QKeyEvent event(QEvent::KeyPress, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// The paint that every handled event asks for.
QImage paint(Jietu *overlay)
{
    return overlay->grab().toImage();
}

// Press, move and release, each followed by its paint.
void drag(Jietu *overlay, const QPoint &from, const QPoint &to)
{
    sendMouse(overlay, QEvent::MouseButtonPress, from);
    paint(overlay);
    sendMouse(overlay, QEvent::MouseMove, to);
    paint(overlay);
    sendMouse(overlay, QEvent::MouseButtonRelease, to);
    paint(overlay);
}

QPoint pastEnd(const QRect &r)
{
    return QPoint(r.left() + r.width(), r.top() + r.height());
}

int escProbe(int argc, char **argv)
{
    QApplication app(argc, argv);
    Jietu::setInjectedScreen(QPixmap::fromImage(codedScreen()));
    auto *overlay = new Jietu;
    QObject::connect(overlay, &QObject::destroyed, [] {
        std::printf("released\n");
        std::fflush(stdout);
    });
    overlay->show();
    QTimer::singleShot(100, overlay, [overlay] {
        sendKey(overlay, Qt::Key_Escape);
        QTimer::singleShot(300, [] {
            std::printf("alive\n");
            QCoreApplication::exit(3);
        });
    });
    return app.exec();
}

} // namespace

class TestJietu : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { m_cwd.enter(); }
    void cleanup();

    void construction();
    void rectFromPoints_data();
    void rectFromPoints();
    void dragSelects_data();
    void dragSelects();
    void moving_data();
    void moving();
    void resizing_data();
    void resizing();
    void handleHits();
    void pressOutsideDoesNothing();
    void results_data();
    void results();
    void closingWithoutResult();
    void cursors();
    void paintsDimmedSelectionAndHandles();
    void escapeKeepsProgramRunning();
    void realScreenGrab();

private:
    Jietu *open();
    Jietu *openWithSelection();

    TestCwd m_cwd;
    QImage m_screen;
    QList<QPointer<Jietu>> m_open;
};

void TestJietu::initTestCase()
{
    m_screen = codedScreen();
    Jietu::setInjectedScreen(QPixmap::fromImage(m_screen));
}

void TestJietu::cleanup()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<Jietu> &overlay : qAsConst(m_open))
        delete overlay.data();
    m_open.clear();
    Jietu::setInjectedScreen(QPixmap::fromImage(m_screen));
    m_cwd.leave();
}

Jietu *TestJietu::open()
{
    auto *overlay = new Jietu;
    overlay->show();
    m_open.append(overlay);
    return overlay;
}

Jietu *TestJietu::openWithSelection()
{
    Jietu *overlay = open();
    drag(overlay, kSelection.topLeft(), pastEnd(kSelection));
    return overlay;
}

void TestJietu::construction()
{
    Jietu *overlay = open();
    QVERIFY(overlay->isWindow());
    QVERIFY(overlay->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(overlay->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(overlay->windowState().testFlag(Qt::WindowFullScreen));
    QCOMPARE(overlay->geometry(), QGuiApplication::primaryScreen()->geometry());
    QVERIFY(overlay->hasMouseTracking());
    QVERIFY(!overlay->testAttribute(Qt::WA_QuitOnClose));
    QVERIFY(!overlay->testAttribute(Qt::WA_SetCursor));
    QCOMPARE(overlay->screenWidth, 400);
    QCOMPARE(overlay->screenHeight, 300);
    QVERIFY(samePicture(overlay->desktopPixmap, m_screen));
    QCOMPARE(overlay->captureState, int(Jietu::Idle));
    QCOMPARE(overlay->activeHandle, int(Jietu::NoHandle));
    QVERIFY(overlay->selectionPixmap.isNull());
    QVERIFY(overlay->selectionRect.isNull());
    for (const QRect &square : overlay->handleRects)
        QVERIFY(square.isNull());
    for (const QPoint &point : {overlay->startPoint, overlay->endPoint, overlay->dragStartPoint, overlay->dragEndPoint})
        QCOMPARE(point, QPoint(0, 0));

    // The offscreen platform gives no picture: nothing to show, and even a
    // selection yields a null picture.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        Jietu::setInjectedScreen(QPixmap());
        Jietu *bare = open();
        QCOMPARE(bare->screenWidth, 0);
        QCOMPARE(bare->screenHeight, 0);
        QSignalSpy results(bare, &Jietu::signalCompleteCature);
        drag(bare, QPoint(10, 10), QPoint(50, 40));
        QCOMPARE(bare->selectionRect, QRect(10, 10, 40, 30));
        sendKey(bare, Qt::Key_Return);
        QCOMPARE(results.count(), 1);
        QVERIFY(results.at(0).at(0).value<QPixmap>().isNull());
    }
}

void TestJietu::rectFromPoints_data()
{
    QTest::addColumn<QPoint>("a");
    QTest::addColumn<QPoint>("b");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("ordered") << QPoint(10, 20) << QPoint(30, 25) << QRect(10, 20, 20, 5);
    QTest::newRow("reversed") << QPoint(30, 25) << QPoint(10, 20) << QRect(10, 20, 20, 5);
    QTest::newRow("crossed") << QPoint(30, 20) << QPoint(10, 25) << QRect(10, 20, 20, 5);
    QTest::newRow("equal") << QPoint(7, 9) << QPoint(7, 9) << QRect(7, 9, 1, 1);
    QTest::newRow("one column") << QPoint(7, 9) << QPoint(7, 3) << QRect(7, 3, 1, 6);
    QTest::newRow("negative") << QPoint(-5, -2) << QPoint(5, 2) << QRect(-5, -2, 10, 4);
}

void TestJietu::rectFromPoints()
{
    QFETCH(QPoint, a);
    QFETCH(QPoint, b);
    QFETCH(QRect, rect);
    Jietu overlay;
    QCOMPARE(overlay.rectFromPoints(a, b), rect);
}

void TestJietu::dragSelects_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("down right") << QPoint(100, 100) << QPoint(200, 150) << kSelection;
    QTest::newRow("up left") << QPoint(200, 150) << QPoint(100, 100) << kSelection;
    QTest::newRow("down left") << QPoint(200, 100) << QPoint(100, 150) << kSelection;
    QTest::newRow("click") << QPoint(120, 80) << QPoint(120, 80) << QRect(120, 80, 1, 1);
    QTest::newRow("last pixel") << QPoint(399, 299) << QPoint(399, 299) << QRect(399, 299, 1, 1);
}

void TestJietu::dragSelects()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QRect, rect);
    Jietu *overlay = open();
    QSignalSpy results(overlay, &Jietu::signalCompleteCature);

    sendMouse(overlay, QEvent::MouseButtonPress, from);
    QCOMPARE(overlay->captureState, int(Jietu::Selecting));
    sendMouse(overlay, QEvent::MouseMove, to);
    paint(overlay);
    QCOMPARE(overlay->selectionRect, rect); // follows the mouse while the button is down
    sendMouse(overlay, QEvent::MouseButtonRelease, to);
    QCOMPARE(overlay->captureState, int(Jietu::Selected));
    paint(overlay);
    QCOMPARE(overlay->selectionRect, rect);
    QCOMPARE(overlay->startPoint, from);
    QCOMPARE(overlay->endPoint, to);
    QVERIFY(overlay->selectionContains(rect.topLeft()) && overlay->selectionContains(rect.bottomRight()));
    QVERIFY(!overlay->selectionContains(pastEnd(rect)));

    sendKey(overlay, Qt::Key_Return);
    QCOMPARE(results.count(), 1);
    QVERIFY(samePicture(results.at(0).at(0).value<QPixmap>(), m_screen.copy(rect)));
}

void TestJietu::moving_data()
{
    // The selection is kSelection; the press is at (150, 120), inside it.
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("moved");
    QTest::newRow("by the offset") << QPoint(170, 100) << QRect(120, 80, 100, 50);
    QTest::newRow("top left stops at 0") << QPoint(0, 0) << QRect(0, 0, 100, 50);
    QTest::newRow("bottom right stops one past") << QPoint(399, 299) << QRect(301, 251, 100, 50);
    QTest::newRow("top right") << QPoint(1000, -50) << QRect(301, 0, 100, 50);
    QTest::newRow("bottom left") << QPoint(-50, 1000) << QRect(0, 251, 100, 50);
    QTest::newRow("zero") << QPoint(150, 120) << kSelection;
}

void TestJietu::moving()
{
    QFETCH(QPoint, to);
    QFETCH(QRect, moved);
    Jietu *overlay = openWithSelection();
    QSignalSpy results(overlay, &Jietu::signalCompleteCature);

    sendMouse(overlay, QEvent::MouseButtonPress, QPoint(150, 120));
    QCOMPARE(overlay->captureState, int(Jietu::Moving));
    sendMouse(overlay, QEvent::MouseMove, to);
    paint(overlay);
    QCOMPARE(overlay->selectionRect, moved);
    QCOMPARE(overlay->startPoint, kSelection.topLeft()); // not committed during the drag
    sendMouse(overlay, QEvent::MouseButtonRelease, to);
    QCOMPARE(overlay->captureState, int(Jietu::Moved));
    paint(overlay);
    QCOMPARE(overlay->selectionRect, moved);
    QCOMPARE(overlay->startPoint, moved.topLeft());
    QCOMPARE(overlay->endPoint, pastEnd(moved));
    QCOMPARE(overlay->dragStartPoint, QPoint(0, 0));
    QCOMPARE(overlay->dragEndPoint, QPoint(0, 0));
    QCOMPARE(overlay->clampedMoveOffset(), QPoint(0, 0));
    paint(overlay);
    QCOMPARE(overlay->selectionRect, moved);

    // The picture holds only the part on the grab.
    sendKey(overlay, Qt::Key_Enter);
    QCOMPARE(results.count(), 1);
    QVERIFY(samePicture(results.at(0).at(0).value<QPixmap>(), m_screen.copy(moved.intersected(m_screen.rect()))));
}

void TestJietu::resizing_data()
{
    // The selection is kSelection: left 100, top 100, last column 199 and
    // last row 149, middles at column 149 and row 124.
    QTest::addColumn<int>("handle");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("mouse");
    QTest::addColumn<QRect>("resized");
    QTest::addColumn<int>("cursor");
    const int fdiag = Qt::SizeFDiagCursor, bdiag = Qt::SizeBDiagCursor;
    const int hor = Qt::SizeHorCursor, ver = Qt::SizeVerCursor;
    QTest::newRow("top left") << int(Jietu::TopLeft) << QPoint(101, 98) << QPoint(80, 90) << QRect(80, 90, 120, 60)
                              << fdiag;
    QTest::newRow("top right") << int(Jietu::TopRight) << QPoint(199, 100) << QPoint(250, 90)
                               << QRect(100, 90, 150, 60) << bdiag;
    QTest::newRow("bottom left") << int(Jietu::BottomLeft) << QPoint(100, 149) << QPoint(50, 170)
                                 << QRect(50, 100, 150, 70) << bdiag;
    QTest::newRow("bottom right") << int(Jietu::BottomRight) << QPoint(201, 151) << QPoint(260, 180)
                                  << QRect(100, 100, 160, 80) << fdiag;
    QTest::newRow("left middle") << int(Jietu::LeftMiddle) << QPoint(100, 124) << QPoint(120, 280)
                                 << QRect(120, 100, 80, 50) << hor;
    QTest::newRow("top middle") << int(Jietu::TopMiddle) << QPoint(149, 100) << QPoint(10, 60)
                                << QRect(100, 60, 100, 90) << ver;
    QTest::newRow("right middle") << int(Jietu::RightMiddle) << QPoint(199, 124) << QPoint(300, 10)
                                  << QRect(100, 100, 200, 50) << hor;
    QTest::newRow("bottom middle") << int(Jietu::BottomMiddle) << QPoint(149, 149) << QPoint(0, 200)
                                   << QRect(100, 100, 100, 100) << ver;
    QTest::newRow("left middle past right") << int(Jietu::LeftMiddle) << QPoint(100, 124) << QPoint(260, 124)
                                            << QRect(200, 100, 60, 50) << hor;
    QTest::newRow("top left past both") << int(Jietu::TopLeft) << QPoint(100, 100) << QPoint(250, 180)
                                        << QRect(200, 150, 50, 30) << fdiag;
    QTest::newRow("top right past both") << int(Jietu::TopRight) << QPoint(199, 100) << QPoint(60, 170)
                                         << QRect(60, 150, 40, 20) << bdiag;
    QTest::newRow("bottom middle past top") << int(Jietu::BottomMiddle) << QPoint(149, 149) << QPoint(149, 80)
                                            << QRect(100, 80, 100, 20) << ver;
}

void TestJietu::resizing()
{
    QFETCH(int, handle);
    QFETCH(QPoint, press);
    QFETCH(QPoint, mouse);
    QFETCH(QRect, resized);
    QFETCH(int, cursor);
    Jietu *overlay = openWithSelection();
    QSignalSpy results(overlay, &Jietu::signalCompleteCature);

    sendMouse(overlay, QEvent::MouseButtonPress, press);
    QCOMPARE(overlay->captureState, int(Jietu::Resizing));
    QCOMPARE(overlay->activeHandle, handle);
    QCOMPARE(int(overlay->cursor().shape()), cursor);
    sendMouse(overlay, QEvent::MouseMove, mouse);
    paint(overlay);
    QCOMPARE(overlay->selectionRect, resized);
    QCOMPARE(int(overlay->cursor().shape()), cursor); // kept whatever lies under the mouse
    sendMouse(overlay, QEvent::MouseButtonRelease, mouse);
    QCOMPARE(overlay->captureState, int(Jietu::Resized));
    paint(overlay);
    QCOMPARE(overlay->selectionRect, resized);
    QCOMPARE(overlay->startPoint, resized.topLeft());
    QCOMPARE(overlay->endPoint, pastEnd(resized));

    // Later paints keep it, even after another button's press has taken a
    // different handle.
    sendMouse(overlay, QEvent::MouseButtonPress, overlay->handleRects[Jietu::BottomMiddle - 1].center(),
              Qt::RightButton);
    QCOMPARE(overlay->activeHandle, int(Jietu::BottomMiddle));
    QCOMPARE(overlay->captureState, int(Jietu::Resized));
    paint(overlay);
    QCOMPARE(overlay->selectionRect, resized);

    // A following move starts from exactly that rectangle.
    const QPoint inside = resized.center();
    QCOMPARE(overlay->handleAt(inside), int(Jietu::NoHandle));
    drag(overlay, inside, inside + QPoint(-2, 1));
    QCOMPARE(overlay->captureState, int(Jietu::Moved));
    QCOMPARE(overlay->selectionRect, resized.translated(-2, 1));
    sendKey(overlay, Qt::Key_Return);
    QCOMPARE(results.count(), 1);
    QVERIFY(samePicture(results.at(0).at(0).value<QPixmap>(), m_screen.copy(resized.translated(-2, 1))));
}

void TestJietu::handleHits()
{
    // Squares of a 10 x 10 selection at (50, 50) overlap.
    Jietu *overlay = open();
    drag(overlay, QPoint(50, 50), QPoint(60, 60));
    const QRect expected[8] = {{47, 47, 6, 6}, {56, 47, 6, 6}, {47, 56, 6, 6}, {56, 56, 6, 6},
                               {47, 51, 6, 6}, {51, 47, 6, 6}, {56, 51, 6, 6}, {51, 56, 6, 6}};
    for (int i = 0; i < 8; ++i)
        QCOMPARE(overlay->handleRects[i], expected[i]);

    const struct
    {
        QPoint point;
        int handle;
    } small[] = {
        {{52, 52}, Jietu::TopLeft},     {{47, 47}, Jietu::TopLeft},       {{53, 52}, Jietu::TopMiddle},
        {{56, 52}, Jietu::TopMiddle},   {{57, 52}, Jietu::TopRight},      {{57, 53}, Jietu::RightMiddle},
        {{56, 56}, Jietu::RightMiddle}, {{57, 57}, Jietu::BottomRight},   {{61, 61}, Jietu::BottomRight},
        {{55, 57}, Jietu::BottomMiddle}, {{52, 56}, Jietu::BottomMiddle}, {{50, 56}, Jietu::BottomLeft},
        {{50, 53}, Jietu::LeftMiddle},  {{46, 50}, Jietu::NoHandle},      {{62, 62}, Jietu::NoHandle},
    };
    for (const auto &probe : small) {
        // Any button's press takes the handle; only the left one acts on it.
        sendMouse(overlay, QEvent::MouseButtonPress, probe.point, Qt::RightButton);
        QVERIFY2(overlay->activeHandle == probe.handle,
                 qPrintable(QStringLiteral("(%1, %2): %3").arg(probe.point.x()).arg(probe.point.y()).arg(overlay->activeHandle)));
        QCOMPARE(overlay->captureState, int(Jietu::Selected));
    }

    // A larger selection: 3 pixels left of the left edge still hits, 3
    // pixels right of the last column does not.
    Jietu *large = openWithSelection();
    const struct
    {
        QPoint point;
        int handle;
    } edges[] = {
        {{97, 100}, Jietu::TopLeft},   {{96, 100}, Jietu::NoHandle},   {{201, 100}, Jietu::TopRight},
        {{202, 100}, Jietu::NoHandle}, {{97, 124}, Jietu::LeftMiddle}, {{202, 124}, Jietu::NoHandle},
        {{149, 97}, Jietu::TopMiddle}, {{149, 151}, Jietu::BottomMiddle}, {{149, 152}, Jietu::NoHandle},
    };
    for (const auto &probe : edges)
        QVERIFY2(large->handleAt(probe.point) == probe.handle,
                 qPrintable(QStringLiteral("(%1, %2)").arg(probe.point.x()).arg(probe.point.y())));
}

void TestJietu::pressOutsideDoesNothing()
{
    Jietu *overlay = openWithSelection();
    for (const QPoint &press : {QPoint(300, 250), QPoint(150, 96), QPoint(96, 124), QPoint(0, 0)}) {
        drag(overlay, press, press + QPoint(40, 30));
        QCOMPARE(overlay->captureState, int(Jietu::Selected));
        QCOMPARE(overlay->activeHandle, int(Jietu::NoHandle));
        QCOMPARE(overlay->selectionRect, kSelection);
        QCOMPARE(overlay->startPoint, kSelection.topLeft());
        QCOMPARE(overlay->endPoint, pastEnd(kSelection));
    }
}

void TestJietu::results_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<bool>("select");
    QTest::addColumn<bool>("nullResult");
    QTest::newRow("return") << "return" << true << false;
    QTest::newRow("enter") << "enter" << true << false;
    QTest::newRow("double click inside") << "inside" << true << false;
    QTest::newRow("double click outside") << "outside" << true << false;
    QTest::newRow("return, nothing selected") << "return" << false << true;
    QTest::newRow("enter, nothing selected") << "enter" << false << true;
    QTest::newRow("right double click, nothing selected") << "right" << false << true;
}

void TestJietu::results()
{
    QFETCH(QString, trigger);
    QFETCH(bool, select);
    QFETCH(bool, nullResult);
    QPointer<Jietu> overlay = select ? openWithSelection() : open();
    QSignalSpy results(overlay.data(), &Jietu::signalCompleteCature);
    bool closedAtEmission = true;
    connect(overlay.data(), &Jietu::signalCompleteCature, this, [&] { closedAtEmission = !overlay->isVisible(); });

    const auto fire = [&] {
        if (trigger == QLatin1String("return") || trigger == QLatin1String("enter")) {
            sendKey(overlay, trigger == QLatin1String("return") ? Qt::Key_Return : Qt::Key_Enter);
            return;
        }
        const QPoint at = trigger == QLatin1String("inside") ? QPoint(150, 120) : QPoint(300, 250);
        const Qt::MouseButton button = trigger == QLatin1String("right") ? Qt::RightButton : Qt::LeftButton;
        // A double click arrives after a first click.
        sendMouse(overlay, QEvent::MouseButtonPress, at, button);
        sendMouse(overlay, QEvent::MouseButtonRelease, at, button);
        paint(overlay);
        sendMouse(overlay, QEvent::MouseButtonDblClick, at, button);
        sendMouse(overlay, QEvent::MouseButtonRelease, at, button);
    };
    fire();
    QCOMPARE(results.count(), 1);
    QVERIFY(!closedAtEmission); // the receiver runs before the overlay closes
    QVERIFY(!overlay->isVisible());
    const QPixmap picture = results.at(0).at(0).value<QPixmap>();
    if (nullResult) {
        QVERIFY(picture.isNull());
    } else {
        QVERIFY(samePicture(picture, m_screen.copy(kSelection)));
        QCOMPARE(overlay->selectionRect, kSelection);
    }

    // One result at most, and the receiver releases the overlay.
    sendKey(overlay, Qt::Key_Return);
    sendMouse(overlay, QEvent::MouseButtonDblClick, QPoint(150, 120));
    QCOMPARE(results.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(overlay);
}

void TestJietu::closingWithoutResult()
{
    // Esc, with or without a selection, and a close from the window system.
    for (int way = 0; way < 3; ++way) {
        QPointer<Jietu> overlay = way == 1 ? openWithSelection() : open();
        QSignalSpy results(overlay.data(), &Jietu::signalCompleteCature);
        sendKey(overlay, Qt::Key_A); // other keys do nothing
        QVERIFY(overlay->isVisible());
        if (way < 2)
            sendKey(overlay, Qt::Key_Escape);
        else
            QVERIFY(overlay->windowHandle()->close()); // as the window system asks
        QCOMPARE(results.count(), 0);
        QVERIFY(!overlay->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(!overlay, qPrintable(QString::number(way)));
    }
}

void TestJietu::cursors()
{
    Jietu *overlay = openWithSelection();
    const struct
    {
        QPoint point;
        Qt::CursorShape shape;
    } hover[] = {
        {{100, 100}, Qt::SizeFDiagCursor}, {{199, 149}, Qt::SizeFDiagCursor}, {{199, 100}, Qt::SizeBDiagCursor},
        {{100, 149}, Qt::SizeBDiagCursor}, {{100, 124}, Qt::SizeHorCursor},   {{199, 124}, Qt::SizeHorCursor},
        {{149, 100}, Qt::SizeVerCursor},   {{149, 149}, Qt::SizeVerCursor},   {{150, 125}, Qt::SizeAllCursor},
        {{199, 135}, Qt::SizeAllCursor},   {{300, 250}, Qt::ArrowCursor},     {{200, 135}, Qt::ArrowCursor},
    };
    for (const auto &probe : hover) {
        sendMouse(overlay, QEvent::MouseMove, probe.point);
        QVERIFY2(overlay->cursor().shape() == probe.shape,
                 qPrintable(QStringLiteral("(%1, %2)").arg(probe.point.x()).arg(probe.point.y())));
    }

    const struct
    {
        int handle;
        Qt::CursorShape shape;
    } byHandle[] = {
        {Jietu::TopLeft, Qt::SizeFDiagCursor}, {Jietu::NoHandle, Qt::ArrowCursor},  {Jietu::BottomRight, Qt::SizeFDiagCursor},
        {Jietu::TopRight, Qt::SizeBDiagCursor}, {Jietu::LeftMiddle, Qt::SizeHorCursor}, {Jietu::BottomLeft, Qt::SizeBDiagCursor},
        {Jietu::TopMiddle, Qt::SizeVerCursor}, {Jietu::RightMiddle, Qt::SizeHorCursor}, {Jietu::BottomMiddle, Qt::SizeVerCursor},
        {9, Qt::SizeVerCursor}, // a value above 8 changes nothing
    };
    for (const auto &probe : byHandle) {
        overlay->setHandleCursor(probe.handle);
        QVERIFY2(overlay->cursor().shape() == probe.shape, qPrintable(QString::number(probe.handle)));
    }

    // While moving, a point off the committed selection leaves the cursor.
    sendMouse(overlay, QEvent::MouseMove, QPoint(150, 125));
    sendMouse(overlay, QEvent::MouseButtonPress, QPoint(150, 125));
    QCOMPARE(overlay->captureState, int(Jietu::Moving));
    sendMouse(overlay, QEvent::MouseMove, QPoint(300, 250));
    QCOMPARE(overlay->cursor().shape(), Qt::SizeAllCursor);
    sendMouse(overlay, QEvent::MouseButtonRelease, QPoint(300, 250));
    sendMouse(overlay, QEvent::MouseMove, QPoint(380, 20));
    QCOMPARE(overlay->cursor().shape(), Qt::ArrowCursor);
}

void TestJietu::paintsDimmedSelectionAndHandles()
{
    Jietu *overlay = open();
    const QImage idle = paint(overlay);
    QString problem = TestSupport::checkProbes(
        idle, {{0, 0, dimmed(coded(0, 0))}, {150, 125, dimmed(coded(150, 125))}, {399, 299, dimmed(coded(399, 299))}}, 1);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY(overlay->selectionRect.isNull() && overlay->handleRects[0].isNull());

    drag(overlay, kSelection.topLeft(), pastEnd(kSelection));
    const QImage shown = paint(overlay);
    TestSupport::saveToGallery(QStringLiteral("jietu_overlay_offscreen"), shown);
    QVERIFY(samePicture(overlay->selectionPixmap, m_screen.copy(kSelection)));
    const auto plain = [](int x, int y) { return TestSupport::ColorProbe{x, y, coded(x, y)}; };
    const auto dim = [](int x, int y) { return TestSupport::ColorProbe{x, y, dimmed(coded(x, y))}; };
    const auto accent = [](int x, int y) { return TestSupport::ColorProbe{x, y, kAccent}; };
    problem = TestSupport::checkProbes(
        shown,
        {
            dim(10, 10), dim(99, 140), dim(203, 125), dim(160, 99), dim(160, 152), dim(399, 299), dim(96, 96),
            dim(202, 152), // outside the selection, its outline and its handles
            accent(100, 110), accent(130, 100), accent(200, 110), accent(130, 150), // outline
            accent(97, 97), accent(102, 102), accent(196, 146), accent(201, 151), accent(146, 97),
            accent(151, 102), accent(97, 121), accent(201, 126), accent(146, 151), // handles
        },
        1);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    // Inside, the picture itself, exactly in place.
    problem = TestSupport::checkProbes(
        shown, {plain(150, 125), plain(104, 104), plain(198, 140), plain(120, 148), plain(180, 105), plain(101, 130)});
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestJietu::escapeKeepsProgramRunning()
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--esc-probe")});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(QString::fromLatin1(process.readAllStandardOutput()), QStringLiteral("released\nalive\n"));
    QCOMPARE(process.exitCode(), 3);
}

void TestJietu::realScreenGrab()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs a real X display (QT_QPA_PLATFORM=xcb)");
    Jietu::setInjectedScreen(QPixmap());

    // Something on the screen: a window of known colour with a caption.
    QLabel window(QStringLiteral("二维码截图 overlay check"));
    window.setAlignment(Qt::AlignCenter);
    window.setStyleSheet(QStringLiteral("background: rgb(230, 120, 40); color: white; font-size: 28px;"));
    window.setWindowFlags(Qt::FramelessWindowHint);
    window.setGeometry(100, 100, 600, 360);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(300);

    Jietu *overlay = open();
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    QCOMPARE(QSize(overlay->screenWidth, overlay->screenHeight), screen);
    const QImage grabbed = overlay->desktopPixmap.toImage();
    QVERIFY(TestSupport::sameColor(grabbed.pixel(110, 110), QColor(230, 120, 40)));
    QVERIFY(QTest::qWaitForWindowExposed(overlay));
    QTest::qWait(300);
    QCOMPARE(overlay->geometry(), QRect(QPoint(0, 0), screen));

    const QRect selection(300, 200, 500, 300);
    drag(overlay, selection.topLeft(), pastEnd(selection));
    sendMouse(overlay, QEvent::MouseMove, QPoint(500, 350));
    overlay->repaint();
    QTest::qWait(300);
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    TestSupport::saveToGallery(QStringLiteral("jietu_xvfb_screen"), shot);
    const QString problem = TestSupport::checkProbes(
        shot, {{110, 110, dimmed(QColor(230, 120, 40))}, {320, 220, QColor(230, 120, 40)}, {300, 300, kAccent}}, 2);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    QSignalSpy results(overlay, &Jietu::signalCompleteCature);
    sendKey(overlay, Qt::Key_Return);
    QCOMPARE(results.count(), 1);
    QVERIFY(samePicture(results.at(0).at(0).value<QPixmap>(), grabbed.copy(selection)));
}

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--esc-probe") == 0)
        return escProbe(argc, argv);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestJietu test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_jietu.moc"
