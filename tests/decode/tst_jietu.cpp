// The capture overlay: choosing, moving and resizing the rectangle, the
// picture it hands on, what it shows and how it closes.
//
// The overlay is given a 400 x 300 picture whose every pixel tells where it
// lies, so a handed-on picture shows exactly which region it is. Under a real
// X display (QT_QPA_PLATFORM=xcb), realScreenGrab grabs the real screen.
#include "jietu.h"
#include "testsupport.h"

#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

using TestSupport::ColorProbe;

namespace {

const QColor kAccent(0, 174, 255);
const QRect kSelection(100, 100, 100, 50); // last column 199, last row 149

// Exactly one picture was handed on, and it is `expected` (null for null).
bool emittedOnce(const QSignalSpy &results, const QImage &expected)
{
    return results.count() == 1
           && results.at(0).at(0).value<QPixmap>().toImage().convertToFormat(QImage::Format_RGB32) == expected;
}

void sendMouse(QWidget *target, QEvent::Type type, const QPoint &p)
{
    QMouseEvent event(type, p, target->mapToGlobal(p), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Press, move and release, each followed by the paint it asks for; returns the
// rectangle shown while the button was down.
QRect drag(Jietu *overlay, const QPoint &from, const QPoint &to)
{
    QRect shown;
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseMove, QEvent::MouseButtonRelease}) {
        sendMouse(overlay, type, type == QEvent::MouseButtonPress ? from : to);
        overlay->grab();
        shown = type == QEvent::MouseMove ? overlay->selectionRect : shown;
    }
    return shown;
}

} // namespace

class TestJietu : public QObject
{
    Q_OBJECT

    QImage m_screen{400, 300, QImage::Format_RGB32};

    // With kSelection dragged up and to the left, unless `select` is false.
    Jietu *open(bool select = true)
    {
        auto *overlay = new Jietu;
        overlay->show();
        if (select)
            drag(overlay, QPoint(200, 150), kSelection.topLeft());
        return overlay;
    }

private slots:
    void initTestCase()
    {
        for (int y = 0; y < m_screen.height(); ++y)
            for (int x = 0; x < m_screen.width(); ++x)
                m_screen.setPixel(x, y, qRgb(x & 255, y & 255, 40 + 80 * (x >> 8) + 40 * (y >> 8)));
        Jietu::setInjectedScreen(QPixmap::fromImage(m_screen)); // realScreenGrab, the last test, clears it
    }
    void cleanup() { qDeleteAll(QApplication::topLevelWidgets()); }

    void reshaping()
    {
        // A press inside kSelection moves it, one on a handle (a corner or the
        // middle of a side) resizes it, to where the mouse goes; meanwhile the
        // cursor shows the handle.
        const Qt::CursorShape all = Qt::SizeAllCursor, fdiag = Qt::SizeFDiagCursor, bdiag = Qt::SizeBDiagCursor,
                              hor = Qt::SizeHorCursor, ver = Qt::SizeVerCursor;
        const struct { QPoint press, mouse; QRect rect; Qt::CursorShape cursor; } cases[] = {
            // Moves: by the mouse's offset, and stopping at the top and left edges.
            {{150, 120}, {170, 100}, {120, 80, 100, 50}, all}, {{150, 120}, {0, 0}, {0, 0, 100, 50}, all},
            // A move stopping one pixel past the right and bottom edges; the top
            // left corner dragged past both opposite sides.
            {{150, 120}, {1000, 1000}, {301, 251, 100, 50}, all}, {{100, 100}, {250, 180}, {200, 150, 50, 30}, fdiag},
            // The corners: top left, top right, bottom left, bottom right.
            {{100, 100}, {80, 90}, {80, 90, 120, 60}, fdiag}, {{199, 100}, {250, 90}, {100, 90, 150, 60}, bdiag},
            {{100, 149}, {50, 170}, {50, 100, 150, 70}, bdiag}, {{199, 149}, {260, 180}, {100, 100, 160, 80}, fdiag},
            // The middles of the left, top, right and bottom sides.
            {{100, 124}, {120, 280}, {120, 100, 80, 50}, hor}, {{149, 100}, {10, 60}, {100, 60, 100, 90}, ver},
            {{199, 124}, {300, 10}, {100, 100, 200, 50}, hor}, {{149, 149}, {0, 200}, {100, 100, 100, 100}, ver}};
        for (const auto &c : cases) {
            Jietu *overlay = open();
            QSignalSpy results(overlay, &Jietu::signalCompleteCature);
            sendMouse(overlay, QEvent::MouseButtonPress, c.press);
            for (const QPoint &at : {QPoint(20, 290), c.mouse}) { // each move counts from the press
                sendMouse(overlay, QEvent::MouseMove, at);
                overlay->grab();
            }
            QCOMPARE(overlay->selectionRect, c.rect);
            QVERIFY(c.cursor == all || overlay->cursor().shape() == c.cursor);
            // Released, it stays, whatever the mouse does and however often it is painted.
            sendMouse(overlay, QEvent::MouseButtonRelease, c.mouse);
            overlay->grab();
            sendMouse(overlay, QEvent::MouseMove, QPoint(390, 10));
            overlay->grab();
            QCOMPARE(overlay->selectionRect, c.rect);
            // The picture holds only the part on the screen.
            QTest::keyClick(overlay, Qt::Key_Enter);
            QVERIFY(emittedOnce(results, m_screen.copy(c.rect.intersected(m_screen.rect()))));
        }
    }

    void results()
    {
        // The rectangle follows the mouse while the button is down; a click
        // selects one pixel. Return, Enter and a double click (key 0) hand on
        // its picture, a null one when nothing is selected; Esc nothing.
        const struct { QPoint from, to; QRect rect; int key; } cases[] = {
            {{200, 150}, {100, 100}, kSelection, Qt::Key_Return}, {{200, 100}, {100, 150}, kSelection, Qt::Key_Enter},
            {{100, 100}, {200, 150}, kSelection, 0}, {{120, 80}, {120, 80}, {120, 80, 1, 1}, Qt::Key_Return},
            {{}, {}, {}, Qt::Key_Return}, {{200, 150}, {100, 100}, kSelection, Qt::Key_Escape}};
        for (const auto &c : cases) {
            QPointer<Jietu> overlay = open(false);
            QSignalSpy results(overlay.data(), &Jietu::signalCompleteCature);
            if (!c.rect.isNull())
                QCOMPARE(drag(overlay, c.from, c.to), c.rect);
            if (c.key)
                QTest::keyClick(overlay, Qt::Key(c.key));
            else
                QTest::mouseDClick(overlay, Qt::LeftButton, {}, QPoint(150, 120));
            QVERIFY(!overlay->isVisible());
            // The receiver of a result releases the overlay; after Esc it goes by itself.
            const QImage picture = c.rect.isNull() ? QImage() : m_screen.copy(c.rect);
            QVERIFY(c.key == Qt::Key_Escape ? results.isEmpty() : emittedOnce(results, picture));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCOMPARE(overlay.isNull(), c.key == Qt::Key_Escape);
        }
    }

    void painting()
    {
        // Over the whole screen, and closing it does not end the program.
        Jietu *overlay = open(false);
        QVERIFY(overlay->windowState().testFlag(Qt::WindowFullScreen) && !overlay->testAttribute(Qt::WA_QuitOnClose));
        QCOMPARE(overlay->geometry(), QGuiApplication::primaryScreen()->geometry());
        // Outside the selection the screen dimmed, inside it in place; the
        // frame and the handle squares in the accent colour.
        const auto plain = [&](int x, int y) { return ColorProbe{x, y, m_screen.pixel(x, y)}; };
        const auto dim = [&](int x, int y) {
            const QColor c = m_screen.pixel(x, y); // black at alpha 120 over it
            return ColorProbe{x, y, QColor(c.red() * 135 / 255, c.green() * 135 / 255, c.blue() * 135 / 255)};
        };
        const auto accent = [](int x, int y) { return ColorProbe{x, y, kAccent}; };
        drag(overlay, kSelection.topLeft(), QPoint(200, 150));
        const QList<ColorProbe> probes{dim(0, 120),      dim(99, 140),     dim(203, 125),   dim(96, 96),
                                       plain(150, 125),  plain(104, 104),  accent(100, 110), accent(130, 150),
                                       accent(97, 97),   accent(201, 126)};
        QCOMPARE(TestSupport::checkProbes(overlay->grab().toImage(), probes, 1), QString());
    }

    void realScreenGrab()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs a real X display (QT_QPA_PLATFORM=xcb)");
        Jietu::setInjectedScreen(QPixmap());
        QLabel window; // of a known colour
        window.setStyleSheet(QStringLiteral("background: rgb(230, 120, 40);"));
        window.setGeometry(100, 100, 600, 360);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(300);
        Jietu *overlay = open(false);
        QVERIFY(QTest::qWaitForWindowExposed(overlay));
        drag(overlay, QPoint(300, 200), QPoint(800, 500));
        QTest::qWait(300);
        // On the screen: the window dimmed, in place inside the selection, the frame.
        const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        const QColor orange(230, 120, 40), dimmedOrange(121, 63, 21);
        QCOMPARE(TestSupport::checkProbes(shot, {{110, 110, dimmedOrange}, {320, 220, orange}, {300, 300, kAccent}}, 2),
                 QString());
        QSignalSpy results(overlay, &Jietu::signalCompleteCature);
        QTest::keyClick(overlay, Qt::Key_Return);
        QVERIFY(emittedOnce(results, overlay->desktopPixmap.copy(300, 200, 500, 300).toImage()));
    }
};

QTEST_MAIN(TestJietu)
#include "tst_jietu.moc"
