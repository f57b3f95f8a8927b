// The batch-decode page: folder pickers, the checks before a batch, the mode,
// the labels and start button through a batch and after a warning, batches
// in a row, and a window closed during a batch.
#include "batchdecodepage.h"
#include "batchpanel.h"
#include "helpers.h"
#include "mainwindow.h"
#include "ui_mainwindow.h"
#include "windowfixture.h"

#include <QSignalSpy>
#include <QtTest>

class TestBatchDecodePage : public QObject
{
    Q_OBJECT

    PageFixture m_page;

    // The result files a folder holds, each with its lines.
    QStringList resultLines(const QString &folder) const
    {
        QStringList lines;
        for (const QString &name : QDir(folder).entryList({"*.csv"}, QDir::Files))
            lines << QString::fromUtf8(TestSupport::readBytes(folder + "/" + name)).split('\n');
        return lines;
    }

private slots:
    void init() { m_page.enter(); }
    void cleanup() { m_page.leave(); }

    void pickersAndChecks()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        // Nothing remembered: the home folder; a choice as returned, remembered as is; cancel keeps both.
        m_page.answers << m_page.file("in") << m_page.file("out");
        ui->toolButton->click();
        ui->toolButton_2->click();
        ui->toolButton->click();
        QCOMPARE((QStringList{m_page.requests.at(0).caption, m_page.requests.at(0).directory,
                              m_page.requests.at(1).caption, m_page.requests.at(2).directory}),
                 (QStringList{"待解码文件夹", m_page.home(), "解码内容保存路径", m_page.file("in")}));
        QCOMPARE(m_page.requests.at(0).kind, Dialogs::Request::ExistingDirectory);
        QCOMPARE(ui->jiema_path->text() + "|" + ui->save_path->text(), m_page.file("in") + "|" + m_page.file("out"));
        QCOMPARE(readTextFile(m_page.file("default_dir_qrimg.cache")), m_page.file("in"));
        QCOMPARE(readTextFile(m_page.file("default_dir_qrdata.cache")), m_page.file("out"));

        // The checks in order, each leaving the page as it was.
        QSignalSpy started(&window, &MainWindow::new_started);
        QVERIFY(TestSupport::writeBytes(m_page.file("blocker"), "a file"));
        ui->save_path->clear();
        ui->btnJiema->click();
        ui->save_path->setText(m_page.file("out"));
        ui->btnJiema->click();
        QVERIFY(QDir().mkpath(m_page.file("in")));
        ui->save_path->setText(m_page.file("blocker/out"));
        ui->btnJiema->click();
        QCOMPARE(m_page.messages,
                 (QStringList{"你选择的解码或保存文件夹", "你选择的文件夹不存在", "保存文件夹不存在并且创建失败"}));
        QVERIFY(ui->btnJiema->isEnabled() && ui->label_jiemaing->isHidden());

        // A missing result folder is made; the worker gets the mode of the checked button.
        ui->save_path->setText(m_page.file("new/out"));
        ui->radioCsvExcel->setChecked(true);
        ui->btnJiema->click();
        QVERIFY(QFileInfo(m_page.file("new/out")).isDir());
        QVERIFY(started.wait(5000));
        QCOMPARE(started.first(), (QVariantList{m_page.file("in"), m_page.file("new/out"), "excel"}));
        QTRY_VERIFY(!window.batchDecode()->panel()->busy());
    }

    void batchesThroughThePage()
    {
        QVERIFY(QDir().mkpath(m_page.file("in")));
        for (int i = 0; i < 3; ++i)
            QVERIFY(TestSupport::writeCode(m_page.file(QString("in/%1.png").arg(i)), QString("code %1").arg(i)));
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        ui->jiema_path->setText(m_page.file("in"));
        // Two batches in a row, into two folders: each written once, by its own worker, its thread gone after.
        for (const char *folder : {"one", "two"}) {
            ui->save_path->setText(m_page.file(folder));
            ui->btnJiema->click();
            QVERIFY(!ui->btnJiema->isEnabled() && !ui->label_jiemaing->isHidden());
            QVERIFY(ui->label_msg->isHidden() && ui->label_time->isHidden());
            QTRY_VERIFY(ui->btnJiema->isEnabled());
            QTRY_VERIFY(ui->label_jiemaing->text().contains("解码完成"));
            QCOMPARE(ui->label_msg->text(), QStringLiteral("解码统计：成功 3 个， 错误：0 个（在保存路径查看错误信息）"));
            QVERIFY(!ui->label_msg->isHidden() && !ui->label_time->isHidden() && !ui->label_jiemaing->isHidden());
            QTRY_VERIFY(!window.batchDecode()->panel()->busy());
            QCOMPARE(resultLines(m_page.file(folder)).filter("文件名").size(), 1);
            QCOMPARE(resultLines(m_page.file(folder)).filter("code").size(), 3);
        }
        QCOMPARE(readTextFile(m_page.file("qrcode_jiema.cache")), QStringLiteral("6"));

        // A warning hides the labels, tells, and lets another batch start.
        QVERIFY(QDir().mkpath(m_page.file("logdir/error_log.txt")));
        ui->save_path->setText(m_page.file("logdir"));
        ui->btnJiema->click();
        QTRY_COMPARE(m_page.messages, QStringList{"错误日志写入失败，请检查保存文件夹权限"});
        QVERIFY(ui->label_jiemaing->isHidden() && ui->label_msg->isHidden() && ui->label_time->isHidden());
        QVERIFY(ui->btnJiema->isEnabled());
        QTRY_VERIFY(!window.batchDecode()->panel()->busy());
    }

    void namesShownAsTheyAreAndTypedPaths()
    {
        // A folder typed relative to nothing is taken from the home folder, where the dialogs start.
        QVERIFY(QDir().mkpath(m_page.home() + "/scans/a&<b>"));
        QVERIFY(TestSupport::writeCode(m_page.home() + "/scans/a&<b>/x.png", "x"));
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        QSignalSpy started(&window, &MainWindow::new_started);
        ui->jiema_path->setText("scans");
        ui->save_path->setText("~/results");
        ui->btnJiema->click();
        QVERIFY(started.wait(5000));
        QCOMPARE(started.first().mid(0, 2), (QVariantList{m_page.home() + "/scans", m_page.home() + "/results"}));
        QTRY_VERIFY(ui->label_jiemaing->text().contains("解码完成"));
        QTRY_VERIFY(!window.batchDecode()->panel()->busy());
        QVERIFY(QDir(m_page.home() + "/results").entryList({"*__a&<b>.csv"}, QDir::Files).size() == 1);
        QVERIFY(!QFileInfo::exists(m_page.file("scans")) && !QFileInfo::exists(m_page.file("results")));
        // The final line is green rich text whose names show as they are.
        QCOMPARE(ui->label_jiemaing->textFormat(), Qt::RichText);
        QVERIFY(ui->label_jiemaing->text().contains("__a&amp;&lt;b&gt;.csv"));

        // Progress lines are plain text, whatever a path holds; only the line after the time is rich.
        const QString path = m_page.home() + "/scans/a&<b>/<b>x</b> say \"hi\" 1>0.png";
        window.slot_thread_viewer("progress", "正在解码：" + path);
        QCOMPARE(ui->label_jiemaing->textFormat(), Qt::PlainText);
        QCOMPARE(ui->label_jiemaing->text(), "正在解码：" + path);
        window.slot_thread_viewer("success", "解码统计：成功 1 个， 错误：0 个（在保存路径查看错误信息）");
        window.slot_thread_viewer("progress", "正在解码：<b>late</b>");
        QCOMPARE(ui->label_jiemaing->textFormat(), Qt::PlainText);
        window.slot_thread_viewer("runtime", "解码用时：0.1 秒");
        window.slot_thread_viewer("progress", "<div style='color:green'>解码完成：</div>");
        QCOMPARE(ui->label_jiemaing->textFormat(), Qt::RichText);
        window.slot_thread_viewer("progress", "正在解码：<b>next</b>");
        QCOMPARE(ui->label_jiemaing->textFormat(), Qt::PlainText);
    }

    void closedAsABatchEnds()
    {
        // The window goes just as its batch ends, while the worker deletes itself on its own thread:
        // many times, with nothing touched after it is gone (the sanitizer build reports any such touch).
        QVERIFY(QDir().mkpath(m_page.file("in")));
        QVERIFY(TestSupport::writeCode(m_page.file("in/0.png"), "first"));
        for (int round = 0; round < 40; ++round) {
            auto *window = new MainWindow;
            window->form()->jiema_path->setText(m_page.file("in"));
            window->form()->save_path->setText(m_page.file("out"));
            window->form()->btnJiema->click();
            QTRY_VERIFY(window->form()->btnJiema->isEnabled());
            // A little later each round, so that the window goes at every step of the worker's end.
            QElapsedTimer spin;
            spin.start();
            while (spin.nsecsElapsed() < round * 5000)
                ;
            delete window;
        }
        QVERIFY(readTextFile(m_page.file("qrcode_jiema.cache")).toInt() <= 40);
    }

    void closedDuringABatch()
    {
        // The window goes while a long batch runs: the worker stops between files and its thread is waited for.
        QVERIFY(QDir().mkpath(m_page.file("in")));
        QVERIFY(TestSupport::writeCode(m_page.file("in/0.png"), "first"));
        for (int i = 1; i < 400; ++i)
            QVERIFY(QFile::copy(m_page.file("in/0.png"), m_page.file(QString("in/%1.png").arg(i))));
        auto *window = new MainWindow;
        window->form()->jiema_path->setText(m_page.file("in"));
        window->form()->save_path->setText(m_page.file("out"));
        window->form()->btnJiema->click();
        QTRY_VERIFY(window->form()->label_jiemaing->text().startsWith("正在解码"));
        delete window;
        const int lines = resultLines(m_page.file("out")).filter("first").size();
        QVERIFY2(lines < 400, qPrintable(QString::number(lines)));
        QVERIFY(!QFile::exists(m_page.file("qrcode_jiema.cache")));
    }
};

QTEST_MAIN(TestBatchDecodePage)
#include "tst_batchdecodepage.moc"
