// The five style pages: one page class driven by a catalogue row per style;
// the records they save, byte for byte, and the export staging files; loading
// a page when it becomes current, its reset, and the statistics page.
#include "helpers.h"
#include "mainwindow.h"
#include "stylecatalogue.h"
#include "ui_mainwindow.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QDir>
#include <QtTest>

class TestStylePages : public QObject
{
    Q_OBJECT

    PageFixture m_page;

    QString cached(const char *name) const { return readTextFile(m_page.file(QLatin1String(name))); }

    // What a style widget holds, as text.
    static QString value(QWidget *widget)
    {
        if (auto *slider = qobject_cast<QSlider *>(widget))
            return QString::number(slider->value());
        if (auto *combo = qobject_cast<QComboBox *>(widget))
            return QString::number(combo->currentIndex());
        if (auto *check = qobject_cast<QCheckBox *>(widget))
            return check->isChecked() ? "on" : "0";
        return static_cast<QLineEdit *>(widget)->text();
    }
    static QStringList snapshot(MainWindow &window, const StyleCatalogue::Style &style)
    {
        QStringList values;
        for (const auto &field : style.fields)
            values << value(window.findChild<QWidget *>(field.widget));
        return values;
    }

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

    void loading()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        const auto visit = [&](const char *page) {
            ui->tabWidget->setCurrentWidget(ui->tab_tools);
            ui->tabWidget->setCurrentWidget(window.findChild<QWidget *>(page));
        };
        for (const StyleCatalogue::Style &style : StyleCatalogue::styles()) {
            const QStringList start = snapshot(window, style);
            // No record, text that is not JSON, an array: nothing changes.
            for (const QByteArray &invalid : {QByteArray(), QByteArray("not json"), QByteArray("[1]")}) {
                if (!invalid.isNull())
                    QVERIFY(TestSupport::writeBytes(m_page.file(style.recordFile), invalid));
                visit(style.page);
                QCOMPARE(snapshot(window, style), start);
            }
            // "{}": sliders at their minimum, lists at their first item, texts empty, checks off.
            QVERIFY(TestSupport::writeBytes(m_page.file(style.recordFile), "{}"));
            visit(style.page);
            for (const auto &field : style.fields) {
                QWidget *widget = window.findChild<QWidget *>(field.widget);
                if (auto *slider = qobject_cast<QSlider *>(widget))
                    QVERIFY2(slider->value() == slider->minimum(), field.widget);
                else
                    QVERIFY2(value(widget) == "0" || value(widget).isEmpty(), field.widget);
            }
        }
        // Values beyond the widgets: clamped by the sliders, no item for a list; coordinates as text.
        QVERIFY(writeTextFile(m_page.file("create_style.cache"),
                              R"({"qr_size":5000,"qr_version":35,"qr_level":7,"qr_bgx":-3,"qr_bgy":"abc","qr_codecolor":"bad"})",
                              false));
        QVERIFY(writeTextFile(m_page.file("visual_style.cache"), R"({"qr_size":5000,"qr_version":35,"qr_level":-1})", false));
        visit("tab_moban");
        visit("tab_visual");
        QCOMPARE((QList<int>{ui->qrsizeSlider->value(), ui->verSlider->value(), ui->select_level->currentIndex(),
                             ui->vsizeSlider->value(), ui->vverSlider->value(), ui->select_vlevel->currentIndex()}),
                 (QList<int>{2000, 35, -1, 1000, 30, -1}));
        QCOMPARE((QStringList{ui->input_bgx->text(), ui->input_bgy->text(), ui->input_codecolor->text(), ui->label_qrsize_px->text()}),
                 (QStringList{"-3", "abc", "bad", "2000px "}));

        // An unsaved edit lasts until the page is shown again, and then only where a valid record exists.
        QVERIFY(writeTextFile(m_page.file("bsd_style.cache"), "[]", false));
        ui->qrsizeSlider->setValue(500);
        ui->bsizeSlider->setValue(500);
        visit("tab_moban");
        visit("tab_bsd");
        QCOMPARE(ui->qrsizeSlider->value(), 2000);
        QCOMPARE(ui->bsizeSlider->value(), 500);
    }

    void labelsAndReset()
    {
        // A loaded value equal to the start value leaves the form's start text.
        QVERIFY(writeTextFile(m_page.file("create_style.cache"), R"({"qr_size":300,"qr_margin":10})", false));
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        ui->tabWidget->setCurrentWidget(ui->tab_moban);
        QCOMPARE(ui->label_qrsize_px->text() + '|' + ui->label_margin_px->text() + '|' + ui->label_codefontsize_px->text(),
                 QStringLiteral("300 px |10 px|8px "));

        // Reset writes nothing; a label changes only with its value; saving then shows every value.
        QVERIFY(QFile::remove(m_page.file("create_style.cache")));
        ui->qrsizeSlider->setValue(301);
        for (const char *button : {"resetProButton", "resetVisualButton", "resetBsdButton", "resetSvgButton", "resetLkButton"})
            window.findChild<QAbstractButton *>(button)->click();
        QVERIFY(QDir(m_page.cwd.path()).entryList(QDir::Files).isEmpty());
        QCOMPARE((QStringList{ui->label_qrsize_px->text(), ui->label_margin_px->text(), ui->label_codefontsize_px->text(),
                              ui->svg_bcodefontsize_px->text(), ui->label_vsize_px->text()}),
                 (QStringList{"300px ", "10 px", "14px ", "14 px ", "300 px"}));
        for (const char *button : {"save_setting", "save_vsetting", "save_bsetting", "save_svg_setting", "save_lksetting"})
            window.findChild<QAbstractButton *>(button)->click();
        const QString common = R"("qr_codecolor":"#000000","qr_codefontsize":14,)";
        QCOMPARE(cached("create_style.cache"), QStringLiteral(
            R"({"qr_bgcolor":"#ffffff","qr_bgimg":"","qr_bgx":0,"qr_bgy":0,%1"qr_codespac":2,"qr_fgcolor":"#000000",)"
            R"("qr_fgimg":"","qr_inptcolor":"#000000","qr_isbor":false,"qr_iscode":false,"qr_istran":false,"qr_level":0,)"
            R"("qr_logo":"","qr_logo_height":40,"qr_logo_width":40,"qr_margin":10,"qr_ptcolor":"#000000","qr_size":300,)"
            R"("qr_version":0,"qr_xt":0,"style_type":"pro","version":"19"})").arg(common));
        QCOMPARE(cached("visual_style.cache"), QStringLiteral(
            R"({"qr_bgimg":"","qr_bgx":0,"qr_bgy":0,%1"qr_codespac":2,"qr_iscode":false,"qr_level":0,"qr_size":300,)"
            R"("qr_version":0,"qr_xt":0,"qr_xtitem":0,"style_type":"visual","version":"19"})").arg(common));
        QCOMPARE(cached("bsd_style.cache"), QStringLiteral(
            R"({"qr_balpha":50,"qr_bgcolor":"#ffffff","qr_bgimg":"","qr_bgx":0,"qr_bgy":0,"qr_block_0":"#ffffff",)"
            R"("qr_block_1":"#000000","qr_blocksize":17,%1"qr_codespac":2,"qr_inptcolor":"#000000","qr_iscode":false,)"
            R"("qr_isplus":false,"qr_level":0,"qr_ptcolor":"#000000","qr_size":300,"qr_version":0,"qr_xt":0,"qr_xtitem":0,)"
            R"("style_type":"bsd","version":"19"})").arg(common));
        QCOMPARE(cached("svg_style.cache"), QStringLiteral(
            R"({"qr_balpha":50,"qr_bgcolor":"#ffffff","qr_block_0":"#ffffff","qr_block_1":"#000000","qr_blocksize":50,)"
            R"(%1"qr_inptcolor":"#000000","qr_iscode":false,"qr_ispdf":false,"qr_isplus":false,"qr_level":0,)"
            R"("qr_ptcolor":"#000000","qr_size":300,"qr_version":0,"qr_xt":0,"qr_xtitem":0,"style_type":"svg","version":"19"})")
                 .arg(common));
        QCOMPARE(cached("lunkuo_style.cache"), QStringLiteral(
            R"({"qr_balpha":50,"qr_bgcolor":"#ffffff","qr_bgimg":"","qr_bgx":0,"qr_bgy":0,"qr_blocksize":5,%1)"
            R"("qr_codespac":2,"qr_iscode":false,"qr_level":0,"qr_lk_color":"#000000","qr_lkborsize":1,"qr_size":300,)"
            R"("qr_version":0,"qr_xt":0,"qr_xtitem":0,"style_type":"lunkuo","version":"19"})").arg(common));
    }

    void statisticsPage()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        const auto visit = [&] {
            ui->tabWidget->setCurrentWidget(ui->tab_one);
            ui->tabWidget->setCurrentWidget(ui->tab_statis);
            return QStringList{ui->label_create_statis->text(), ui->label_jiema_statis->text(), ui->label_price_statis->text()};
        };
        QCOMPARE(ui->label_create_statis->text(), QStringLiteral("0个"));
        QCOMPARE(visit(), (QStringList{"0 个", "0 个", "0 * 0.004 = 0元"}));
        const QImage picture = ui->label_wxzsm->pixmap(Qt::ReturnByValue).toImage();
        QVERIFY(picture.width() <= 190 && picture.height() <= 190 && qMax(picture.width(), picture.height()) == 190);
        // Every visit reads the counters afresh.
        QVERIFY(writeTextFile(m_page.file("qrcode_create.cache"), "3", false));
        QVERIFY(writeTextFile(m_page.file("qrcode_jiema.cache"), "2", false));
        QCOMPARE(visit(), (QStringList{"3 个", "2 个", "5 * 0.004 = 0.02元"}));
        QVERIFY(writeTextFile(m_page.file("qrcode_create.cache"), "-7", false));
        QVERIFY(writeTextFile(m_page.file("qrcode_jiema.cache"), "many", false));
        QCOMPARE(visit(), (QStringList{"-7 个", "0 个", "-7 * 0.004 = -0.028元"}));
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
