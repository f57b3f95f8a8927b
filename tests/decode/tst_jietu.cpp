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
#include <functional>

namespace {

const QColor kAccent(0, 174, 255);
const QRect kSelection(100, 100, 100, 50); // dragged from (100, 100) to (200, 150)
// The cursor of each handle, by its ResizeHandle value.
const Qt::CursorShape kHandleCursor[9] = {Qt::ArrowCursor,    Qt::SizeFDiagCursor, Qt::SizeBDiagCursor,
                                          Qt::SizeBDiagCursor, Qt::SizeFDiagCursor, Qt::SizeHorCursor,
                                          Qt::SizeVerCursor,   Qt::SizeHorCursor,   Qt::SizeVerCursor};

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

// Exactly one picture was handed on, and it is `expected` (null for null).
bool emittedOnce(const QSignalSpy &results, const QImage &expected)
{
    return results.count() == 1 && samePicture(results.at(0).at(0).value<QPixmap>(), expected);
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

// Press, move and release, each followed by the paint it asks for.
void drag(Jietu *overlay, const QPoint &from, const QPoint &to)
{
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseMove, QEvent::MouseButtonRelease}) {
        sendMouse(overlay, type, type == QEvent::MouseButtonPress ? from : to);
        overlay->grab();
    }
}

using Probe = std::pair<QPoint, int>; // a point and what is expected there

// The probes where `actual` differs from the value expected, empty if none.
QString misses(const QList<Probe> &probes, const std::function<int(const QPoint &)> &actual)
{
    QString out;
    for (const Probe &probe : probes)
        if (const int value = actual(probe.first); value != probe.second)
            out += QStringLiteral("(%1, %2): %3; ").arg(probe.first.x()).arg(probe.first.y()).arg(value);
    return out;
}

int escProbe(int argc, char **argv)
{
    QApplication app(argc, argv);
    Jietu::setInjectedScreen(QPixmap::fromImage(codedScreen()));
    auto *overlay = new Jietu;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    QObject::connect(overlay, &QObject::destroyed, [] { std::puts("released"); });
    overlay->show();
    QTimer::singleShot(100, overlay, [overlay] {
        sendKey(overlay, Qt::Key_Escape);
        QTimer::singleShot(300, [] {
            std::puts("alive");
            QCoreApplication::exit(3);
        });
    });
    return app.exec();
}

} // namespace

class TestJietu : public QObject
{
    Q_OBJECT

    TestCwd m_cwd;
    QImage m_screen = codedScreen();
    QList<QPointer<Jietu>> m_open;

    Jietu *open()
    {
        auto *overlay = new Jietu;
        overlay->show();
        m_open.append(overlay);
        return overlay;
    }

    Jietu *openWithSelection()
    {
        Jietu *overlay = open();
        drag(overlay, kSelection.topLeft(), QPoint(200, 150));
        return overlay;
    }

private slots:
    void initTestCase() { Jietu::setInjectedScreen(QPixmap::fromImage(m_screen)); }
    void init() { m_cwd.enter(); }
    void cleanup()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QPointer<Jietu> &overlay : qAsConst(m_open))
            delete overlay.data();
        m_open.clear();
        Jietu::setInjectedScreen(QPixmap::fromImage(m_screen));
        m_cwd.leave();
    }

    void construction()
    {
        Jietu *overlay = open();
        const Qt::WindowFlags flags = overlay->windowFlags();
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint) && flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(overlay->windowState().testFlag(Qt::WindowFullScreen));
        QCOMPARE(overlay->geometry(), QGuiApplication::primaryScreen()->geometry());
        QVERIFY(overlay->hasMouseTracking() && !overlay->testAttribute(Qt::WA_SetCursor));
        QVERIFY(!overlay->testAttribute(Qt::WA_QuitOnClose));
        QCOMPARE(QSize(overlay->screenWidth, overlay->screenHeight), QSize(400, 300));
        QVERIFY(samePicture(overlay->desktopPixmap, m_screen));
        QCOMPARE(overlay->captureState, int(Jietu::Idle));
        QCOMPARE(overlay->rectFromPoints({-5, -2}, {5, 2}), QRect(-5, -2, 10, 4));

        // The offscreen platform gives no picture: nothing to show, and even a
        // selection yields a null picture.
        if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
            Jietu::setInjectedScreen(QPixmap());
            Jietu *bare = open();
            QCOMPARE(QSize(bare->screenWidth, bare->screenHeight), QSize(0, 0));
            QSignalSpy results(bare, &Jietu::signalCompleteCature);
            drag(bare, QPoint(10, 10), QPoint(50, 40));
            QCOMPARE(bare->selectionRect, QRect(10, 10, 40, 30));
            sendKey(bare, Qt::Key_Return);
            QVERIFY(emittedOnce(results, QImage()));
        }
    }

    void dragSelects_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("down right") << QPoint(100, 100) << QPoint(200, 150) << kSelection;
        QTest::newRow("up left") << QPoint(200, 150) << QPoint(100, 100) << kSelection;
        QTest::newRow("down left") << QPoint(200, 100) << QPoint(100, 150) << kSelection;
        QTest::newRow("click") << QPoint(120, 80) << QPoint(120, 80) << QRect(120, 80, 1, 1);
        QTest::newRow("one column") << QPoint(7, 9) << QPoint(7, 3) << QRect(7, 3, 1, 6);
        QTest::newRow("last pixel") << QPoint(399, 299) << QPoint(399, 299) << QRect(399, 299, 1, 1);
    }

    void dragSelects()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QRect, rect);
        Jietu *overlay = open();
        QSignalSpy results(overlay, &Jietu::signalCompleteCature);
        sendMouse(overlay, QEvent::MouseButtonPress, from);
        QCOMPARE(overlay->captureState, int(Jietu::Selecting));
        sendMouse(overlay, QEvent::MouseMove, to);
        overlay->grab();
        QCOMPARE(overlay->selectionRect, rect); // follows the mouse while the button is down
        sendMouse(overlay, QEvent::MouseButtonRelease, to);
        overlay->grab();
        QCOMPARE(overlay->captureState, int(Jietu::Selected));
        QCOMPARE(overlay->selectionRect, rect);
        QVERIFY(samePicture(overlay->selectionPixmap, m_screen.copy(rect)));
        QVERIFY(overlay->selectionContains(rect.topLeft()) && overlay->selectionContains(rect.bottomRight()));
        QVERIFY(!overlay->selectionContains(rect.bottomRight() + QPoint(1, 1)));
        sendKey(overlay, Qt::Key_Return);
        QVERIFY(emittedOnce(results, m_screen.copy(rect)));
    }

    void reshaping_data()
    {
        // The selection is kSelection: left 100, top 100, last column 199, last
        // row 149. Without a handle the press is at (150, 120) and moves it;
        // else it is on the handle's square and resizes it.
        QTest::addColumn<int>("handle");
        QTest::addColumn<QPoint>("mouse");
        QTest::addColumn<QRect>("rect");
        const auto row = [](const char *name, int handle, const QPoint &mouse, const QRect &rect) {
            QTest::newRow(name) << handle << mouse << rect;
        };
        row("move by the offset", Jietu::NoHandle, {170, 100}, {120, 80, 100, 50});
        row("move, top left stops at 0", Jietu::NoHandle, {0, 0}, {0, 0, 100, 50});
        row("move, bottom right stops one past", Jietu::NoHandle, {399, 299}, {301, 251, 100, 50});
        row("move top right", Jietu::NoHandle, {1000, -50}, {301, 0, 100, 50});
        row("move bottom left", Jietu::NoHandle, {-50, 1000}, {0, 251, 100, 50});
        row("move by zero", Jietu::NoHandle, {150, 120}, kSelection);
        row("top left", Jietu::TopLeft, {80, 90}, {80, 90, 120, 60});
        row("top right", Jietu::TopRight, {250, 90}, {100, 90, 150, 60});
        row("bottom left", Jietu::BottomLeft, {50, 170}, {50, 100, 150, 70});
        row("bottom right", Jietu::BottomRight, {260, 180}, {100, 100, 160, 80});
        row("left middle", Jietu::LeftMiddle, {120, 280}, {120, 100, 80, 50});
        row("top middle", Jietu::TopMiddle, {10, 60}, {100, 60, 100, 90});
        row("right middle", Jietu::RightMiddle, {300, 10}, {100, 100, 200, 50});
        row("bottom middle", Jietu::BottomMiddle, {0, 200}, {100, 100, 100, 100});
        row("left middle past right", Jietu::LeftMiddle, {260, 124}, {200, 100, 60, 50});
        row("top left past both", Jietu::TopLeft, {250, 180}, {200, 150, 50, 30});
        row("top right past both", Jietu::TopRight, {60, 170}, {60, 150, 40, 20});
        row("bottom middle past top", Jietu::BottomMiddle, {149, 80}, {100, 80, 100, 20});
    }

    void reshaping()
    {
        QFETCH(int, handle);
        QFETCH(QPoint, mouse);
        QFETCH(QRect, rect);
        Jietu *overlay = openWithSelection();
        QSignalSpy results(overlay, &Jietu::signalCompleteCature);
        sendMouse(overlay, QEvent::MouseButtonPress, handle ? overlay->handleRects[handle - 1].center() : QPoint(150, 120));
        QCOMPARE(overlay->captureState, int(handle ? Jietu::Resizing : Jietu::Moving));
        QCOMPARE(overlay->activeHandle, handle);
        for (const QPoint &at : {QPoint(20, 290), mouse}) { // each move counts from the press
            sendMouse(overlay, QEvent::MouseMove, at);
            overlay->grab();
        }
        QCOMPARE(overlay->selectionRect, rect);
        if (handle) // whatever lies under the mouse
            QCOMPARE(overlay->cursor().shape(), kHandleCursor[handle]);
        sendMouse(overlay, QEvent::MouseButtonRelease, mouse);
        overlay->grab();
        QCOMPARE(overlay->captureState, int(handle ? Jietu::Resized : Jietu::Moved));
        QCOMPARE(overlay->selectionRect, rect);

        // Later paints keep it, even after another button's press has taken a
        // different handle.
        sendMouse(overlay, QEvent::MouseButtonPress, overlay->handleRects[Jietu::BottomMiddle - 1].center(),
                  Qt::RightButton);
        QCOMPARE(overlay->activeHandle, int(Jietu::BottomMiddle));
        overlay->grab();
        QCOMPARE(overlay->selectionRect, rect);

        // A following move starts from exactly that rectangle; the picture
        // holds only the part on the grab.
        const QPoint shift = handle ? QPoint(-2, 1) : QPoint();
        drag(overlay, rect.center(), rect.center() + shift);
        QCOMPARE(overlay->captureState, int(Jietu::Moved));
        sendKey(overlay, Qt::Key_Enter);
        QVERIFY(emittedOnce(results, m_screen.copy(rect.translated(shift).intersected(m_screen.rect()))));
    }

    void handleHits()
    {
        // The squares of a 10 x 10 selection at (50, 50) overlap: the first
        // handle in order wins.
        Jietu *overlay = open();
        drag(overlay, QPoint(50, 50), QPoint(60, 60));
        const QRect squares[8] = {{47, 47, 6, 6}, {56, 47, 6, 6}, {47, 56, 6, 6}, {56, 56, 6, 6},
                                  {47, 51, 6, 6}, {51, 47, 6, 6}, {56, 51, 6, 6}, {51, 56, 6, 6}};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(overlay->handleRects[i], squares[i]);
        // Any button's press takes the handle; only the left one acts on it.
        const auto rightPress = [&](const QPoint &at) {
            sendMouse(overlay, QEvent::MouseButtonPress, at, Qt::RightButton);
            return overlay->captureState == Jietu::Selected ? overlay->activeHandle : -1;
        };
        QCOMPARE(misses({{{52, 52}, Jietu::TopLeft}, {{47, 47}, Jietu::TopLeft}, {{53, 52}, Jietu::TopMiddle},
                         {{56, 52}, Jietu::TopMiddle}, {{57, 52}, Jietu::TopRight}, {{57, 53}, Jietu::RightMiddle},
                         {{56, 56}, Jietu::RightMiddle}, {{57, 57}, Jietu::BottomRight},
                         {{61, 61}, Jietu::BottomRight}, {{55, 57}, Jietu::BottomMiddle},
                         {{52, 56}, Jietu::BottomMiddle}, {{50, 56}, Jietu::BottomLeft}, {{50, 53}, Jietu::LeftMiddle},
                         {{46, 50}, Jietu::NoHandle}, {{62, 62}, Jietu::NoHandle}},
                        rightPress),
                 QString());

        // A larger selection: 3 pixels left of the left edge still hits, 3
        // pixels right of the last column does not.
        Jietu *large = openWithSelection();
        QCOMPARE(misses({{{97, 100}, Jietu::TopLeft}, {{96, 100}, Jietu::NoHandle}, {{201, 100}, Jietu::TopRight},
                         {{202, 100}, Jietu::NoHandle}, {{97, 124}, Jietu::LeftMiddle}, {{202, 124}, Jietu::NoHandle},
                         {{149, 97}, Jietu::TopMiddle}, {{149, 151}, Jietu::BottomMiddle},
                         {{149, 152}, Jietu::NoHandle}},
                        [&](const QPoint &at) { return large->handleAt(at); }),
                 QString());

        // A left press off the selection and its handles does nothing.
        for (const QPoint &press : {QPoint(300, 250), QPoint(150, 96), QPoint(96, 124), QPoint(0, 0)}) {
            drag(large, press, press + QPoint(40, 30));
            QCOMPARE(large->captureState, int(Jietu::Selected));
            QCOMPARE(large->activeHandle, int(Jietu::NoHandle));
            QCOMPARE(large->selectionRect, kSelection);
        }
    }

    void results_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<bool>("select");
        QTest::newRow("return") << "return" << true;
        QTest::newRow("enter") << "enter" << true;
        QTest::newRow("double click inside") << "inside" << true;
        QTest::newRow("double click outside") << "outside" << true;
        QTest::newRow("return, nothing selected") << "return" << false;
        QTest::newRow("enter, nothing selected") << "enter" << false;
        QTest::newRow("right double click, nothing selected") << "right" << false;
        // No result, and the overlay is released.
        QTest::newRow("escape") << "escape" << false;
        QTest::newRow("escape, selected") << "escape" << true;
        QTest::newRow("closed by the window system") << "close" << false;
    }

    void results()
    {
        QFETCH(QString, trigger);
        QFETCH(bool, select);
        QPointer<Jietu> overlay = select ? openWithSelection() : open();
        QSignalSpy results(overlay.data(), &Jietu::signalCompleteCature);
        bool closedAtEmission = true;
        connect(overlay.data(), &Jietu::signalCompleteCature, this, [&] { closedAtEmission = !overlay->isVisible(); });
        sendKey(overlay, Qt::Key_A); // other keys do nothing
        QVERIFY(overlay->isVisible());

        const QMap<QString, int> keys{{"return", Qt::Key_Return}, {"enter", Qt::Key_Enter}, {"escape", Qt::Key_Escape}};
        if (keys.contains(trigger)) {
            sendKey(overlay, keys.value(trigger));
        } else if (trigger == QLatin1String("close")) {
            QVERIFY(overlay->windowHandle()->close());
        } else { // a double click arrives after a first click
            const QPoint at = trigger == QLatin1String("inside") ? QPoint(150, 120) : QPoint(300, 250);
            const Qt::MouseButton button = trigger == QLatin1String("right") ? Qt::RightButton : Qt::LeftButton;
            sendMouse(overlay, QEvent::MouseButtonPress, at, button);
            sendMouse(overlay, QEvent::MouseButtonRelease, at, button);
            overlay->grab();
            sendMouse(overlay, QEvent::MouseButtonDblClick, at, button);
            sendMouse(overlay, QEvent::MouseButtonRelease, at, button);
        }
        QVERIFY(!overlay->isVisible());
        if (trigger == QLatin1String("escape") || trigger == QLatin1String("close")) {
            QCOMPARE(results.count(), 0);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!overlay);
            return;
        }
        QVERIFY(emittedOnce(results, select ? m_screen.copy(kSelection) : QImage()));
        QVERIFY(!closedAtEmission); // the receiver runs before the overlay closes

        // One result at most, and the receiver releases the overlay.
        sendKey(overlay, Qt::Key_Return);
        sendMouse(overlay, QEvent::MouseButtonDblClick, QPoint(150, 120));
        QCOMPARE(results.count(), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(overlay);
    }

    void cursors()
    {
        Jietu *overlay = openWithSelection();
        const auto hover = [&](const QPoint &at) {
            sendMouse(overlay, QEvent::MouseMove, at);
            return int(overlay->cursor().shape());
        };
        QCOMPARE(misses({{{100, 100}, Qt::SizeFDiagCursor}, {{199, 149}, Qt::SizeFDiagCursor},
                         {{199, 100}, Qt::SizeBDiagCursor}, {{100, 149}, Qt::SizeBDiagCursor},
                         {{100, 124}, Qt::SizeHorCursor}, {{199, 124}, Qt::SizeHorCursor},
                         {{149, 100}, Qt::SizeVerCursor}, {{149, 149}, Qt::SizeVerCursor},
                         {{150, 125}, Qt::SizeAllCursor}, {{199, 135}, Qt::SizeAllCursor},
                         {{300, 250}, Qt::ArrowCursor}, {{200, 135}, Qt::ArrowCursor}},
                        hover),
                 QString());
        overlay->setHandleCursor(Jietu::TopMiddle);
        overlay->setHandleCursor(9); // a value above 8 changes nothing
        QCOMPARE(overlay->cursor().shape(), Qt::SizeVerCursor);

        // While moving, a point off the committed selection leaves the cursor.
        hover(QPoint(150, 125));
        sendMouse(overlay, QEvent::MouseButtonPress, QPoint(150, 125));
        QCOMPARE(overlay->captureState, int(Jietu::Moving));
        QCOMPARE(hover(QPoint(300, 250)), int(Qt::SizeAllCursor));
        sendMouse(overlay, QEvent::MouseButtonRelease, QPoint(300, 250));
        QCOMPARE(hover(QPoint(380, 20)), int(Qt::ArrowCursor));
    }

    void paintsDimmedSelectionAndHandles()
    {
        using TestSupport::checkProbes;
        const auto plain = [](int x, int y) { return TestSupport::ColorProbe{x, y, coded(x, y)}; };
        const auto dim = [](int x, int y) { return TestSupport::ColorProbe{x, y, dimmed(coded(x, y))}; };
        const auto accent = [](int x, int y) { return TestSupport::ColorProbe{x, y, kAccent}; };
        Jietu *overlay = open();
        QCOMPARE(checkProbes(overlay->grab().toImage(), {dim(0, 0), dim(150, 125), dim(399, 299)}, 1), QString());

        drag(overlay, kSelection.topLeft(), QPoint(200, 150));
        const QImage shown = overlay->grab().toImage();
        TestSupport::saveToGallery(QStringLiteral("jietu_overlay_offscreen"), shown);
        // Outside the selection, its outline and its handles; the outline; the handles.
        QCOMPARE(checkProbes(shown,
                             {dim(10, 10), dim(99, 140), dim(203, 125), dim(160, 99), dim(160, 152), dim(399, 299),
                              dim(96, 96), dim(202, 152), accent(100, 110), accent(130, 100), accent(200, 110),
                              accent(130, 150), accent(97, 97), accent(102, 102), accent(196, 146), accent(201, 151),
                              accent(146, 97), accent(151, 102), accent(97, 121), accent(201, 126), accent(146, 151)},
                             1),
                 QString());
        // Inside, the picture itself, exactly in place.
        QCOMPARE(checkProbes(shown, {plain(150, 125), plain(104, 104), plain(198, 140), plain(120, 148),
                                     plain(180, 105), plain(101, 130)}),
                 QString());
    }

    void escapeKeepsProgramRunning()
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

    void realScreenGrab()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs a real X display (QT_QPA_PLATFORM=xcb)");
        Jietu::setInjectedScreen(QPixmap());

        // Something on the screen: a window of known colour with a caption.
        const QColor orange(230, 120, 40);
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
        QVERIFY(TestSupport::sameColor(grabbed.pixel(110, 110), orange));
        QVERIFY(QTest::qWaitForWindowExposed(overlay));
        QTest::qWait(300);
        QCOMPARE(overlay->geometry(), QRect(QPoint(0, 0), screen));

        const QRect selection(300, 200, 500, 300);
        drag(overlay, selection.topLeft(), QPoint(800, 500));
        sendMouse(overlay, QEvent::MouseMove, QPoint(500, 350));
        overlay->repaint();
        QTest::qWait(300);
        const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        TestSupport::saveToGallery(QStringLiteral("jietu_xvfb_screen"), shot);
        QCOMPARE(TestSupport::checkProbes(shot, {{110, 110, dimmed(orange)}, {320, 220, orange}, {300, 300, kAccent}}, 2),
                 QString());

        QSignalSpy results(overlay, &Jietu::signalCompleteCature);
        sendKey(overlay, Qt::Key_Return);
        QVERIFY(emittedOnce(results, grabbed.copy(selection)));
    }
};

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
