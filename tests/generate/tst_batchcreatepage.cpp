// The batch-generate page: pickers and their remembered folders, the checks,
// the style handed over, the labels and button through a batch and after a
// warning, and the template link.
#include "batchcreatepage.h"
#include "batchpanel.h"
#include "helpers.h"
#include "mainwindow.h"
#include "ui_mainwindow.h"
#include "windowfixture.h"

#include <QSignalSpy>
#include <QtTest>

class TestBatchCreatePage : public QObject
{
    Q_OBJECT

    PageFixture m_page;

private slots:
    void init() { m_page.enter(); }
    void cleanup() { m_page.leave(); }

    void pickersAndChecks()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        // The CSV folder is remembered with a "/", the save folder as returned; cancelling keeps both.
        m_page.answers << m_page.file("data/d.csv") << m_page.file("out");
        ui->toolButton_csv->click();
        ui->toolButton_qrcode->click();
        ui->toolButton_csv->click();
        ui->toolButton_qrcode->click();
        QCOMPARE((QStringList{m_page.requests.at(0).caption, m_page.requests.at(0).filter, m_page.requests.at(1).caption,
                              m_page.requests.at(2).directory, m_page.requests.at(3).directory}),
                 (QStringList{"CSV数据包文件", "CSV Files(*.csv)", "保存二维码到", m_page.file("data/"), m_page.file("out")}));
        QCOMPARE(ui->csv_path->text() + "|" + ui->qrcode_savepath->text(), m_page.file("data/d.csv") + "|" + m_page.file("out"));
        QCOMPARE(readTextFile(m_page.file("default_dir_csv.cache")), m_page.file("data/"));
        QCOMPARE(readTextFile(m_page.file("default_dir_qrsave.cache")), m_page.file("out"));
        QCOMPARE(MainWindow().form()->qrcode_savepath->text(), m_page.file("out"));

        // One message for empty fields; a save folder that names a file is refused; nothing starts.
        QVERIFY(TestSupport::writeBytes(m_page.file("blocker"), "a file"));
        ui->csv_path->clear();
        ui->btnCreate->click();
        ui->csv_path->setText(m_page.file("data/d.csv"));
        ui->qrcode_savepath->setText(m_page.file("blocker"));
        ui->btnCreate->click();
        QCOMPARE(m_page.messages, (QStringList{"请选择csv数据包文件或保存文件夹", "保存文件夹不存在并且创建失败"}));
        QVERIFY(ui->btnCreate->isEnabled() && ui->label_createing->isHidden());

        // "矢量" hands over "svg"; nested save folders are made before the worker starts.
        QSignalSpy started(&window, &MainWindow::new_create_started);
        ui->radioSvgBatch->setChecked(true);
        ui->qrcode_savepath->setText(m_page.file("new/deeper/out"));
        ui->btnCreate->click();
        QVERIFY(QFileInfo(m_page.file("new/deeper/out")).isDir());
        QVERIFY(started.wait(5000));
        QCOMPARE(started.first(), (QVariantList{m_page.file("data/d.csv"), m_page.file("new/deeper/out"), "svg"}));
        // The missing package comes back as a warning, which hides the labels and frees the button.
        QTRY_COMPARE(m_page.messages.last(), QStringLiteral("请选择正确csv数据包文件"));
        QVERIFY(ui->btnCreate->isEnabled() && ui->label_createing->isHidden() && ui->label_create_msg->isHidden());
        QTRY_VERIFY(!window.batchCreate()->panel()->busy());

        // The template page of the product site.
        ui->btnCsvMoban->click();
        QCOMPARE(m_page.urls.opened.size(), 1);
        QCOMPARE(m_page.urls.opened.first().query(), QStringLiteral("pc=moban"));
        QCOMPARE(m_page.urls.opened.first().path(), QStringLiteral("/"));
    }

    void namesShownAsTheyAreAndTypedPaths()
    {
        // Paths typed relative to nothing are taken from the home folder; names show as they are.
        QVERIFY(QDir().mkpath(m_page.home() + "/data"));
        QVERIFY(TestSupport::writeBytes(m_page.home() + "/data/d.csv",
                                        "name,text\nA&B,one\n\"say \"\"hi\"\"\",two\n1>0,three\n<b>x</b>,four\n"));
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        QSignalSpy started(&window, &MainWindow::new_create_started);
        ui->csv_path->setText("data/d.csv");
        ui->qrcode_savepath->setText("~/codes");
        ui->btnCreate->click();
        QVERIFY(started.wait(5000));
        QCOMPARE(started.first().mid(0, 2), (QVariantList{m_page.home() + "/data/d.csv", m_page.home() + "/codes"}));
        // "<b>x</b>" holds a "/": shown, but no file of that name.
        QTRY_COMPARE(ui->label_create_msg->text(), QStringLiteral("生成统计：成功 3 个， 错误：1 个（在保存路径查看错误信息）"));
        QTRY_VERIFY(!window.batchCreate()->panel()->busy());
        QCOMPARE(QDir(m_page.home() + "/codes").entryList({"*.png"}, QDir::Files, QDir::Name),
                 (QStringList{"1>0.png", "A&B.png", "say \"hi\".png"}));
        QVERIFY(!QFileInfo::exists(m_page.file("codes")));
        QCOMPARE(ui->label_createing->textFormat(), Qt::RichText);
        for (const QString name : {"A&B", "say \"hi\"", "1>0", "<b>x</b>"}) {
            window.slot_create_thread_viewer("progress", "正在生成：" + name);
            QCOMPARE(ui->label_createing->textFormat(), Qt::PlainText);
            QCOMPARE(ui->label_createing->text(), "正在生成：" + name);
        }
    }

    void aBatchThroughThePage()
    {
        QVERIFY(TestSupport::writeBytes(m_page.file("d.csv"), "name,text\nA,one\nB,two\n"));
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        ui->csv_path->setText(m_page.file("d.csv"));
        ui->qrcode_savepath->setText(m_page.file("out"));
        ui->radioLunkuoBatch->setChecked(true);
        ui->btnCreate->click();
        QVERIFY(!ui->btnCreate->isEnabled() && !ui->label_createing->isHidden() && ui->label_create_time->isHidden());
        QTRY_VERIFY(ui->btnCreate->isEnabled());
        QTRY_COMPARE(ui->label_createing->text(), QStringLiteral("<div style='color:green'>生成完成：</div>"));
        QCOMPARE(ui->label_create_msg->text(), QStringLiteral("生成统计：成功 2 个， 错误：0 个（在保存路径查看错误信息）"));
        QVERIFY(!ui->label_create_msg->isHidden() && !ui->label_create_time->isHidden());
        QVERIFY(QFile::exists(m_page.file("out/A.png")) && QFile::exists(m_page.file("out/B.png")));
        // The counter is raised after the last message, before the worker goes.
        QTRY_VERIFY(!window.batchCreate()->panel()->busy());
        QCOMPARE(readTextFile(m_page.file("qrcode_create.cache")), QStringLiteral("2"));
    }
};

QTEST_MAIN(TestBatchCreatePage)
#include "tst_batchcreatepage.moc"
