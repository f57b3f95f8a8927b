// The five style pages: one page class driven by a catalogue row per style;
// the records they save, byte for byte, and the export staging files.
#include "helpers.h"
#include "mainwindow.h"
#include "stylecatalogue.h"
#include "ui_mainwindow.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QDir>
#include <QtTest>

class TestStylePages : public QObject
{
    Q_OBJECT

    PageFixture m_page;

    QString cached(const char *name) const { return readTextFile(m_page.file(QLatin1String(name))); }

private slots:
    void init() { m_page.enter(); }
    void cleanup() { m_page.leave(); }

    void catalogue()
    {
        // No widget claimed by two pages: a page built from another's row would show here.
        QStringList widgets;
        for (const StyleCatalogue::Style &style : StyleCatalogue::styles()) {
            for (const auto &field : style.fields)
                widgets << field.widget;
            for (const auto &slider : style.sliders)
                widgets << slider.label;
        }
        QCOMPARE(widgets.size(), QSet<QString>(widgets.begin(), widgets.end()).size());
        QCOMPARE(widgets.size(), 88 + 29);
        QVERIFY(!StyleCatalogue::find("Pro"));
    }

    void recordsAreByteExact_data();
    void recordsAreByteExact()
    {
        QFETCH(QString, button);
        QFETCH(QString, file);
        QFETCH(QString, record);
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        // A few standard fields changed as a user would; the others keep the form's values.
        ui->input_bgx->setText(" -7 ");
        ui->input_bgy->setText("12.5");
        ui->input_logo->setText(QStringLiteral("/图片/logo.jpg"));
        ui->input_bgimg->setText("/p/back.JPEG");
        ui->checkBox_isbor->setChecked(true);
        ui->select_level->setCurrentIndex(2);
        ui->input_codecolor->setText("say \"hi\"\\");
        window.findChild<QAbstractButton *>(button)->click();
        QCOMPARE(m_page.messages, QStringList{QStringLiteral("保存成功")});
        QCOMPARE(readTextFile(m_page.file(file)), record);
        QCOMPARE(QDir(m_page.cwd.path()).entryList(QDir::Files), QStringList{file});
    }

    void exportStagingAndFailures()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        ui->input_logo->setText(QStringLiteral("/图片/logo.jpg"));
        ui->input_bgimg->setText("/p/back.jpeg");
        QVERIFY(window.saveProSetting("export"));
        // The package names its pictures; the record keeps the paths.
        const QString staging = cached("export_style.cache");
        QVERIFY(staging.contains(R"("qr_bgimg":"vopa_bgimg.jpg","qr_bgx":10)"));
        QVERIFY(staging.contains(R"("qr_fgimg":"","qr_inptcolor")"));
        QVERIFY(staging.contains(R"("qr_logo":"vopa_logo.png")"));
        QCOMPARE(QString(staging).replace("vopa_bgimg.jpg", "/p/back.jpeg").replace("vopa_logo.png", "/图片/logo.jpg"),
                 cached("create_style.cache"));
        ui->input_vbgimg->setText("/p/anim.gif");
        QVERIFY(window.saveVisualSetting("export"));
        QVERIFY(cached("export_visual.cache").contains(R"("qr_bgimg":"vopa_bgimg.gif")"));
        QVERIFY(window.saveSvgSetting("export"));
        QCOMPARE(cached("export_svg.cache"), cached("svg_style.cache"));
        QVERIFY(!window.saveBsdSetting("other") && !QFile::exists(m_page.file("bsd_style.cache")));

        // A record that cannot be written: the message, and export writes no staging file.
        QVERIFY(QDir().mkpath(m_page.file("lunkuo_style.cache")));
        ui->save_lksetting->click();
        QCOMPARE(m_page.messages, QStringList{QStringLiteral("保存失败，请重试")});
        QVERIFY(!window.saveLunkuoSetting("export"));
        QVERIFY(!QFile::exists(m_page.file("export_lunkuo.cache")));
    }
};

// Out of the class: moc reads the class body, and the braces in these texts
// would unbalance its count.
void TestStylePages::recordsAreByteExact_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("record");
    QTest::newRow("standard, edited") << "save_setting" << "create_style.cache" << QStringLiteral(
        R"({"qr_bgcolor":"#FFFFFF","qr_bgimg":"/p/back.JPEG","qr_bgx":-7,"qr_bgy":0,"qr_codecolor":"say \"hi\"\\",)"
        R"("qr_codefontsize":12,"qr_codespac":2,"qr_fgcolor":"#000000","qr_fgimg":"","qr_inptcolor":"#000000",)"
        R"("qr_isbor":true,"qr_iscode":false,"qr_istran":false,"qr_level":2,"qr_logo":"/图片/logo.jpg",)"
        R"("qr_logo_height":40,"qr_logo_width":40,"qr_margin":10,"qr_ptcolor":"#000000","qr_size":300,)"
        R"("qr_version":0,"qr_xt":0,"style_type":"pro","version":"19"})");
    QTest::newRow("visual") << "save_vsetting" << "visual_style.cache" << QStringLiteral(
        R"({"qr_bgimg":"","qr_bgx":10,"qr_bgy":10,"qr_codecolor":"#000000","qr_codefontsize":12,"qr_codespac":2,)"
        R"("qr_iscode":false,"qr_level":0,"qr_size":300,"qr_version":0,"qr_xt":0,"qr_xtitem":0,)"
        R"("style_type":"visual","version":"19"})");
    QTest::newRow("tone") << "save_bsetting" << "bsd_style.cache" << QStringLiteral(
        R"({"qr_balpha":50,"qr_bgcolor":"#FFFFFF","qr_bgimg":"","qr_bgx":10,"qr_bgy":10,"qr_block_0":"#FFFFFF",)"
        R"("qr_block_1":"#000000","qr_blocksize":17,"qr_codecolor":"#000000","qr_codefontsize":12,"qr_codespac":2,)"
        R"("qr_inptcolor":"#000000","qr_iscode":false,"qr_isplus":false,"qr_level":0,"qr_ptcolor":"#000000",)"
        R"("qr_size":300,"qr_version":0,"qr_xt":0,"qr_xtitem":0,"style_type":"bsd","version":"19"})");
    QTest::newRow("vector") << "save_svg_setting" << "svg_style.cache" << QStringLiteral(
        R"({"qr_balpha":50,"qr_bgcolor":"#FFFFFF","qr_block_0":"#FFFFFF","qr_block_1":"#000000","qr_blocksize":50,)"
        R"("qr_codecolor":"#000000","qr_codefontsize":12,"qr_inptcolor":"#000000","qr_iscode":false,)"
        R"("qr_ispdf":false,"qr_isplus":false,"qr_level":0,"qr_ptcolor":"#000000","qr_size":300,"qr_version":0,)"
        R"("qr_xt":0,"qr_xtitem":0,"style_type":"svg","version":"19"})");
    QTest::newRow("contour") << "save_lksetting" << "lunkuo_style.cache" << QStringLiteral(
        R"({"qr_balpha":50,"qr_bgcolor":"#FFFFFF","qr_bgimg":"","qr_bgx":10,"qr_bgy":10,"qr_blocksize":5,)"
        R"("qr_codecolor":"#000000","qr_codefontsize":12,"qr_codespac":2,"qr_iscode":false,"qr_level":0,)"
        R"("qr_lk_color":"#000000","qr_lkborsize":1,"qr_size":300,"qr_version":0,"qr_xt":0,"qr_xtitem":0,)"
        R"("style_type":"lunkuo","version":"19"})");
}

QTEST_MAIN(TestStylePages)
#include "tst_stylepages.moc"
