// Style packages through the pages: export of each page, its failures, import
// of a package back into a page with the preview that follows, and a round
// trip into the folder a package came from.
#include "helpers.h"
#include "mainwindow.h"
#include "ui_mainwindow.h"
#include "windowfixture.h"

#include <QDialog>
#include <QtTest>

class TestStylePackage : public QObject
{
    Q_OBJECT

    PageFixture m_page;

    QStringList filesIn(const QString &folder) const { return QDir(folder).entryList(QDir::Files, QDir::Name); }
    QByteArray bytes(const QString &path) const { return TestSupport::readBytes(path); }
    int openDialogs(MainWindow &window) const
    {
        int open = 0;
        for (QDialog *dialog : window.findChildren<QDialog *>())
            open += dialog->isVisible() ? 1 : 0;
        return open;
    }
    // Answers the next folder or file dialog with `answer` and presses `button`.
    void press(MainWindow &window, const char *button, const QString &answer)
    {
        m_page.answers = QStringList{answer};
        m_page.messages.clear();
        window.findChild<QAbstractButton *>(button)->click();
    }

private slots:
    void init() { m_page.enter(); }
    void cleanup() { m_page.leave(); }

    void exportEveryPage()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        QVERIFY(TestSupport::writeSolid(m_page.file("bg.jpeg"), QSize(400, 400), Qt::yellow, "JPG"));
        QVERIFY(TestSupport::writeSolid(m_page.file("logo.jpg"), QSize(40, 40), Qt::red, "JPG"));
        ui->input_bgimg->setText(m_page.file("bg.jpeg"));
        ui->input_logo->setText(m_page.file("logo.jpg"));
        const QList<std::array<const char *, 4>> pages = {
            {"preview_qrcode", "exportButton", "pretest.jpg", "pro_setting.json"},
            {"preview_vqrcode", "vexportButton", "pretest_visual.png", "visual_setting.json"},
            {"preview_bqrcode", "bexportButton", "pretest_bsd.png", "bsd_setting.json"},
            {"preview_svg_qrcode", "svg_exportButton", "pretest_svg.png", "svg_setting.json"},
            {"preview_lkqrcode", "lkexportButton", "pretest_lunkuo.png", "lunkuo_setting.json"}};
        for (const auto &page : pages) {
            const QString folder = m_page.file(QString("pack_") + page[1]);
            QVERIFY(QDir().mkpath(folder));
            window.findChild<QAbstractButton *>(page[0])->click();
            press(window, page[1], folder);
            QCOMPARE(m_page.requests.last().caption, QStringLiteral("导出到"));
            QCOMPARE(m_page.messages, QStringList{"导出成功"});
            const QString cover = QString("vopa_cover.") + QFileInfo(page[2]).suffix();
            QCOMPARE(bytes(folder + '/' + cover), bytes(m_page.file(page[2])));
            QVERIFY(bytes(folder + '/' + page[3]).contains(R"("version":"19")"));
            if (page[1] == QLatin1String("exportButton")) {
                QCOMPARE(filesIn(folder), (QStringList{"pro_setting.json", "vopa_bgimg.jpg", cover, "vopa_logo.png"}));
                QCOMPARE(bytes(folder + "/vopa_logo.png"), bytes(m_page.file("logo.jpg")));
                QCOMPARE(bytes(folder + "/vopa_bgimg.jpg"), bytes(m_page.file("bg.jpeg")));
                QVERIFY(bytes(folder + '/' + page[3]).contains(R"("qr_logo":"vopa_logo.png")"));
                QCOMPARE(readTextFile(m_page.file("default_dir_export.cache")), folder);
            } else {
                QCOMPARE(filesIn(folder), (QStringList{page[3], cover}));
            }
        }
    }

    void exportFailures()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        // Cancelled: nothing at all.
        press(window, "exportButton", QString());
        QVERIFY(filesIn(m_page.cwd.path()).isEmpty() && m_page.messages.isEmpty());

        // Never previewed, pictures missing: every failure, in order, as one text; the rest is packed.
        ui->input_bgimg->setText(m_page.file("gone.png"));
        ui->input_logo->setText(m_page.file("gone.png"));
        ui->input_fgimg->setText(m_page.file("gone.png"));
        QVERIFY(QDir().mkpath(m_page.file("pack")));
        press(window, "exportButton", m_page.file("pack"));
        QCOMPARE(m_page.messages, QStringList{"预览图导出失败背景图导出失败LOGO导出失败前景图导出失败"});
        QCOMPARE(filesIn(m_page.file("pack")), QStringList{"pro_setting.json"});
        // A folder that is not there: the settings file fails too.
        ui->input_fgimg->clear();
        press(window, "exportButton", m_page.file("nowhere"));
        QCOMPARE(m_page.messages, QStringList{"预览图导出失败背景图导出失败LOGO导出失败配置文件导出失败"});

        // The page's settings cannot be saved: the collector's message, and nothing is copied.
        QVERIFY(QDir().mkpath(m_page.file("visual_style.cache")));
        QVERIFY(QDir().mkpath(m_page.file("pack2")));
        press(window, "vexportButton", m_page.file("pack2"));
        QCOMPARE(m_page.messages, QStringList{"保存设置时失败，请重试"});
        QVERIFY(filesIn(m_page.file("pack2")).isEmpty());
        QCOMPARE(readTextFile(m_page.file("default_visual_export.cache")), m_page.file("pack2"));
    }

    void importing()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        // The three refusals, each after the folder is remembered: the widgets unchanged, no preview.
        QVERIFY(QDir().mkpath(m_page.file("in")));
        const QList<QPair<QByteArray, QString>> bad = {
            {"", "json文件读取失败"}, {R"({"qr_size":)", "json文件解析失败"}, {"[]", "json文件格式失败"}};
        for (const auto &file : bad) {
            QVERIFY(TestSupport::writeBytes(m_page.file("in/s.json"), file.first));
            press(window, "importButton", m_page.file("in/s.json"));
            QCOMPARE(m_page.messages, QStringList{file.second});
            QCOMPARE(readTextFile(m_page.file("default_dir_import.cache")), m_page.file("in"));
        }
        QCOMPARE(m_page.requests.last().caption + m_page.requests.last().filter,
                 QStringLiteral("json样式文件Image Files(*.json)"));
        QCOMPARE(ui->qrsizeSlider->value(), 300);
        QCOMPARE(openDialogs(window), 0);

        // "{}": every widget from 0, "" or false; the standard page empties its pictures, another keeps its
        // background; then the page's preview opens. Nothing is saved.
        ui->input_logo->setText("/old/logo.png");
        ui->input_vbgimg->setText("/old/bg.png");
        QVERIFY(TestSupport::writeBytes(m_page.file("in/s.json"), "{}"));
        press(window, "importButton", m_page.file("in/s.json"));
        press(window, "vimportButton", m_page.file("in/s.json"));
        QVERIFY(m_page.messages.isEmpty());
        QCOMPARE((QStringList{ui->input_logo->text(), ui->input_bgx->text(), ui->input_vbgimg->text()}),
                 (QStringList{"", "", "/old/bg.png"}));
        QCOMPARE(ui->qrsizeSlider->value(), 100);
        QCOMPARE(openDialogs(window), 2);
        QCOMPARE(readTextFile(m_page.file("pretest_last.cache")), m_page.file("pretest_visual.png"));
        QVERIFY(!QFile::exists(m_page.file("create_style.cache")));
        // The vector and contour pages import alike.
        QVERIFY(ui->svg_sizeSlider->value() != ui->svg_sizeSlider->minimum() && ui->lksizeSlider->value() != ui->lksizeSlider->minimum());
        press(window, "svg_importButton", m_page.file("in/s.json"));
        press(window, "lkimportButton", m_page.file("in/s.json"));
        QVERIFY(m_page.messages.isEmpty() && openDialogs(window) == 4);
        QVERIFY(ui->svg_sizeSlider->value() == ui->svg_sizeSlider->minimum() && ui->lksizeSlider->value() == ui->lksizeSlider->minimum());

        // Picture names join the package's folder; a name that leaves it counts as none.
        QVERIFY(TestSupport::writeBytes(m_page.file("in/s.json"),
            R"({"qr_logo":"vopa_logo.png","qr_fgimg":"../secret.png","qr_bgimg":"/etc/passwd","qr_bgx":25})"));
        press(window, "importButton", m_page.file("in/s.json"));
        press(window, "bimportButton", m_page.file("in/s.json"));
        QCOMPARE((QStringList{ui->input_logo->text(), ui->input_fgimg->text(), ui->input_bgimg->text(), ui->input_bgx->text()}),
                 (QStringList{m_page.file("in/vopa_logo.png"), "", "", "25"}));
        QCOMPARE(ui->input_bbgimg->text(), QString());
    }

    void roundTripIntoTheSameFolder()
    {
        // Export with every picture, import the package, export again into its folder reached through a
        // link and "//": every file of the package is still there, unchanged.
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        QVERIFY(QDir().mkpath(m_page.file("pack")));
        QVERIFY(QFile::link(m_page.file("pack"), m_page.file("link")));
        QVERIFY(TestSupport::writeSolid(m_page.file("bg.png"), QSize(380, 380), Qt::cyan));
        QVERIFY(TestSupport::writeSolid(m_page.file("logo.png"), QSize(40, 40), Qt::red));
        QVERIFY(TestSupport::writeSolid(m_page.file("fg.png"), QSize(40, 40), Qt::blue));
        ui->input_bgimg->setText(m_page.file("bg.png"));
        ui->input_logo->setText(m_page.file("logo.png"));
        ui->input_fgimg->setText(m_page.file("fg.png"));
        ui->preview_qrcode->click();
        press(window, "exportButton", m_page.file("pack"));
        QCOMPARE(m_page.messages, QStringList{"导出成功"});
        QMap<QString, QByteArray> package;
        for (const QString &name : filesIn(m_page.file("pack")))
            package.insert(name, bytes(m_page.file("pack/" + name)));
        QCOMPARE(package.size(), 5);

        press(window, "importButton", m_page.file("link//pro_setting.json"));
        QCOMPARE(ui->input_bgimg->text(), m_page.file("link/vopa_bgimg.png"));
        press(window, "exportButton", m_page.file("pack/./"));
        QCOMPARE(m_page.messages, QStringList{"导出成功"});
        for (auto it = package.cbegin(); it != package.cend(); ++it)
            QVERIFY2(bytes(m_page.file("pack/" + it.key())) == it.value(), qPrintable(it.key()));
        QCOMPARE(filesIn(m_page.file("pack")).size(), 5);
    }
};

QTEST_MAIN(TestStylePackage)
#include "tst_stylepackage.moc"
