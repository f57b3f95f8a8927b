// The desktop-wide hot key on a real X display (CTest starts Xvfb): presses
// sent with xdotool, with and without Num Lock, the enabled flag, a
// combination another process holds, an instance that is gone, a key with no
// code. Run with "--hold KEYS", the binary grabs KEYS and waits.
#include "qxtglobalshortcut.h"
#include "testsupport.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <cstdio>

namespace {

void press(const char *keys)
{
    QProcess::execute("xdotool", {"key", keys});
}

} // namespace

class TestHotKey : public QObject
{
    Q_OBJECT

private slots:
    void pressesAndFlag()
    {
        QxtGlobalShortcut hotKey;
        QVERIFY(hotKey.setShortcut(QKeySequence(QStringLiteral("Shift+Ctrl+z"), QKeySequence::NativeText)));
        QCOMPARE(hotKey.shortcut(), QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_Z));
        QSignalSpy activated(&hotKey, &QxtGlobalShortcut::activated);
        press("shift+ctrl+z");
        QTRY_COMPARE(activated.count(), 1);
        // With Num Lock on, the same combination.
        press("Num_Lock");
        press("shift+ctrl+z");
        press("Num_Lock");
        QTRY_COMPARE(activated.count(), 2);
        // Other keys are not taken.
        press("shift+ctrl+y");
        QTest::qWait(200);
        QCOMPARE(activated.count(), 2);
        // Disabled, a press is swallowed; enabled again, it counts.
        hotKey.setDisabled();
        press("shift+ctrl+z");
        QTest::qWait(200);
        QCOMPARE(activated.count(), 2);
        hotKey.setEnabled();
        press("shift+ctrl+z");
        QTRY_COMPARE(activated.count(), 3);
    }

    void refusalsAndRelease()
    {
        // Another process holds Shift+Ctrl+Y: refused with the warning, the combination still recorded.
        QProcess holder;
        holder.start(QCoreApplication::applicationFilePath(), {"--hold", "Shift+Ctrl+Y"});
        QVERIFY(holder.waitForReadyRead(10000) && holder.readAll().startsWith("held"));
        QxtGlobalShortcut second;
        const QStringList warnings = TestSupport::collectMessages(
            [&] { QVERIFY(!second.setShortcut(QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_Y))); }, false);
        QCOMPARE(warnings, QStringList{"QxtGlobalShortcut failed to register: \"Ctrl+Shift+Y\""});
        QCOMPARE(second.shortcut(), QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_Y));
        holder.kill();
        holder.waitForFinished();

        // A key without a code here is never grabbed (code 0 would be every key).
        QxtGlobalShortcut unknown;
        TestSupport::collectMessages([&] { QVERIFY(!unknown.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Launch0))); },
                                     false);

        // An instance that is gone gets no press, and its combination is free again.
        int presses = 0;
        {
            QxtGlobalShortcut gone(QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_X));
            connect(&gone, &QxtGlobalShortcut::activated, [&] { ++presses; });
            press("shift+ctrl+x");
            QTRY_COMPARE(presses, 1);
        }
        press("shift+ctrl+x");
        QTest::qWait(200);
        QCOMPARE(presses, 1);
        QxtGlobalShortcut again;
        QVERIFY(again.setShortcut(QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_X)));
        QCOMPARE(QString(qxtVersion()), QStringLiteral("0.7.0"));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--hold") {
        QxtGlobalShortcut held;
        std::printf(held.setShortcut(QKeySequence(QString::fromLatin1(argv[2]))) ? "held\n" : "failed\n");
        std::fflush(stdout);
        return app.exec();
    }
    TestHotKey test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hotkey.moc"
