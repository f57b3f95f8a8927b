// The style pages' records and the single-generate page: generating in each
// style from the saved record, showing the result and saving a copy.
#include "decodefront.h"
#include "dialogs.h"
#include "helpers.h"
#include "mainwindow.h"
#include "testsupport.h"
#include "ui_mainwindow.h"

#include <QButtonGroup>
#include <QDate>
#include <QImageReader>
#include <QMovie>
#include <QtTest>

namespace {

QString cached(const TestCwd &cwd, const char *name)
{
    return readTextFile(cwd.file(QString::fromLatin1(name)));
}

} // namespace

class TestSingleGenerate : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_cwd.enter();
        m_messages.clear();
        m_requests.clear();
        m_answer.clear();
        setMessageSink([this](const QString &text, const QString &) { m_messages.append(text); });
        Dialogs::setProvider([this](const Dialogs::Request &request) {
            m_requests.append(request);
            return m_answer;
        });
    }
    void cleanup()
    {
        setMessageSink(nullptr);
        Dialogs::setProvider(nullptr);
        m_cwd.leave();
    }

    void recordsAreByteExact()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        // The page's start values, with a few fields changed as a user would.
        ui->input_bgx->setText(" -7 ");
        ui->input_bgy->setText("12.5");
        ui->input_logo->setText(QStringLiteral("/图片/logo.jpg"));
        ui->input_bgimg->setText("/p/back.JPEG");
        ui->checkBox_isbor->setChecked(true);
        ui->select_level->setCurrentIndex(2);
        ui->input_codecolor->setText("say \"hi\"\\");
        ui->save_setting->click();
        QCOMPARE(m_messages, QStringList{QStringLiteral("保存成功")});
        QCOMPARE(cached(m_cwd, "create_style.cache"),
                 QStringLiteral(
                     "{\"qr_bgcolor\":\"#FFFFFF\",\"qr_bgimg\":\"/p/back.JPEG\",\"qr_bgx\":-7,\"qr_bgy\":0,"
                     "\"qr_codecolor\":\"say \\\"hi\\\"\\\\\",\"qr_codefontsize\":12,\"qr_codespac\":2,\"qr_fgcolor\":\"#000000\","
                     "\"qr_fgimg\":\"\",\"qr_inptcolor\":\"#000000\",\"qr_isbor\":true,\"qr_iscode\":false,\"qr_istran\":false,"
                     "\"qr_level\":2,\"qr_logo\":\"/图片/logo.jpg\",\"qr_logo_height\":40,\"qr_logo_width\":40,"
                     "\"qr_margin\":10,\"qr_ptcolor\":\"#000000\",\"qr_size\":300,\"qr_version\":0,\"qr_xt\":0,"
                     "\"style_type\":\"pro\",\"version\":\"19\"}"));

        ui->save_vsetting->click();
        QCOMPARE(cached(m_cwd, "visual_style.cache"),
                 QStringLiteral("{\"qr_bgimg\":\"\",\"qr_bgx\":10,\"qr_bgy\":10,\"qr_codecolor\":\"#000000\","
                                "\"qr_codefontsize\":12,\"qr_codespac\":2,\"qr_iscode\":false,\"qr_level\":0,\"qr_size\":300,"
                                "\"qr_version\":0,\"qr_xt\":0,\"qr_xtitem\":0,\"style_type\":\"visual\",\"version\":\"19\"}"));
        ui->save_bsetting->click();
        QCOMPARE(cached(m_cwd, "bsd_style.cache"),
                 QStringLiteral("{\"qr_balpha\":50,\"qr_bgcolor\":\"#FFFFFF\",\"qr_bgimg\":\"\",\"qr_bgx\":10,\"qr_bgy\":10,"
                                "\"qr_block_0\":\"#FFFFFF\",\"qr_block_1\":\"#000000\",\"qr_blocksize\":17,"
                                "\"qr_codecolor\":\"#000000\",\"qr_codefontsize\":12,\"qr_codespac\":2,"
                                "\"qr_inptcolor\":\"#000000\",\"qr_iscode\":false,\"qr_isplus\":false,\"qr_level\":0,"
                                "\"qr_ptcolor\":\"#000000\",\"qr_size\":300,\"qr_version\":0,\"qr_xt\":0,\"qr_xtitem\":0,"
                                "\"style_type\":\"bsd\",\"version\":\"19\"}"));
        ui->save_svg_setting->click();
        QCOMPARE(cached(m_cwd, "svg_style.cache"),
                 QStringLiteral("{\"qr_balpha\":50,\"qr_bgcolor\":\"#FFFFFF\",\"qr_block_0\":\"#FFFFFF\","
                                "\"qr_block_1\":\"#000000\",\"qr_blocksize\":50,\"qr_codecolor\":\"#000000\","
                                "\"qr_codefontsize\":12,\"qr_inptcolor\":\"#000000\",\"qr_iscode\":false,\"qr_ispdf\":false,"
                                "\"qr_isplus\":false,\"qr_level\":0,\"qr_ptcolor\":\"#000000\",\"qr_size\":300,"
                                "\"qr_version\":0,\"qr_xt\":0,\"qr_xtitem\":0,\"style_type\":\"svg\",\"version\":\"19\"}"));
        ui->save_lksetting->click();
        QCOMPARE(cached(m_cwd, "lunkuo_style.cache"),
                 QStringLiteral("{\"qr_balpha\":50,\"qr_bgcolor\":\"#FFFFFF\",\"qr_bgimg\":\"\",\"qr_bgx\":10,\"qr_bgy\":10,"
                                "\"qr_blocksize\":5,\"qr_codecolor\":\"#000000\",\"qr_codefontsize\":12,\"qr_codespac\":2,"
                                "\"qr_iscode\":false,\"qr_level\":0,\"qr_lk_color\":\"#000000\",\"qr_lkborsize\":1,"
                                "\"qr_size\":300,\"qr_version\":0,\"qr_xt\":0,\"qr_xtitem\":0,\"style_type\":\"lunkuo\","
                                "\"version\":\"19\"}"));
        QCOMPARE(m_messages.size(), 5);
        QVERIFY(!m_messages.contains(QStringLiteral("保存失败，请重试")));

        // Export mode: the staging file names the package's pictures.
        QVERIFY(window.saveProSetting("export"));
        const QString staging = cached(m_cwd, "export_style.cache");
        QVERIFY(staging.contains("\"qr_bgimg\":\"vopa_bgimg.png\""));
        QVERIFY(staging.contains("\"qr_logo\":\"vopa_logo.png\""));
        QVERIFY(staging.contains("\"qr_fgimg\":\"\""));
        QVERIFY(cached(m_cwd, "create_style.cache").contains("\"qr_logo\":\"/图片/logo.jpg\""));
        QVERIFY(window.saveSvgSetting("export"));
        QCOMPARE(TestSupport::readBytes(m_cwd.file("export_svg.cache")),
                 TestSupport::readBytes(m_cwd.file("svg_style.cache")));

        // An unwritable record: the failure message, and export writes no staging file.
        QVERIFY(QDir().mkpath(m_cwd.file("visual_style.cache.d")));
        QFile::remove(m_cwd.file("visual_style.cache"));
        QVERIFY(QDir().rename(m_cwd.file("visual_style.cache.d"), m_cwd.file("visual_style.cache")));
        m_messages.clear();
        ui->save_vsetting->click();
        QCOMPARE(m_messages, QStringList{QStringLiteral("保存失败，请重试")});
        QVERIFY(!window.saveVisualSetting("export"));
        QVERIFY(!QFile::exists(m_cwd.file("export_visual.cache")));
    }

    void generatesEveryStyle()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        const QString text = QStringLiteral("单个生成 in every style");
        ui->qrcodeText->setPlainText(text);
        struct Style { QRadioButton *radio; const char *name; };
        const QList<Style> styles = {{ui->radioPro, "standard"}, {ui->radioVisual, "visual"},
                                     {ui->radioBsd, "tone"}, {ui->radioLunkuo, "contour"}};
        QImage previous;
        for (const Style &style : styles) {
            style.radio->setChecked(true);
            ui->qrenButton->click();
            QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(',')));
            const QString path = m_cwd.file("qrencode.png");
            QCOMPARE(cached(m_cwd, "qrencode_last.cache"), path);
            const QImage image = QImageReader(path).read();
            QCOMPARE(decodeImageText(image, true), text);
            TestSupport::saveToGallery(QStringLiteral("single_%1").arg(style.name), image);
            // The label shows the new picture, not a cached copy of the old one.
            const QImage shown = ui->qrenimgLabel->pixmap(Qt::ReturnByValue).toImage();
            QCOMPARE(shown.size(), QSize(250, 250));
            QVERIFY2(shown != previous, style.name);
            previous = shown;
            QVERIFY(!ui->saveQrcodeButton->isHidden());
        }

        // A record with an animated background: "qrencode.gif", running in the label.
        QVERIFY(TestSupport::writeAnimatedBackground(m_cwd.file("bg.gif"), QSize(400, 400), {100, 100, 100}));
        QVERIFY(writeTextFile(m_cwd.file("lunkuo_style.cache"),
                              QStringLiteral("{\"qr_size\":300,\"qr_bgimg\":\"%1\",\"qr_bgx\":50,\"qr_bgy\":50,"
                                             "\"qr_blocksize\":50,\"qr_balpha\":100,\"qr_bgcolor\":\"#ffffff\","
                                             "\"qr_lk_color\":\"#000000\",\"qr_lkborsize\":1}")
                                  .arg(m_cwd.file("bg.gif")),
                              false));
        ui->radioLunkuo->setChecked(true);
        ui->qrenButton->click();
        QCOMPARE(cached(m_cwd, "qrencode_last.cache"), m_cwd.file("qrencode.gif"));
        QMovie *movie = ui->qrenimgLabel->movie();
        QVERIFY(movie);
        QCOMPARE(movie->state(), QMovie::Running);
        QCOMPARE(movie->scaledSize(), QSize(250, 250));
        QCOMPARE(movie->parent(), ui->qrenimgLabel);
        QCOMPARE(movie->frameCount(), 3);
        QCOMPARE(decodeImageText(QImageReader(m_cwd.file("qrencode.gif")).read(), true), text);
        // A second animated result replaces the movie; the old one goes.
        QPointer<QMovie> first = movie;
        ui->qrenButton->click();
        QVERIFY(ui->qrenimgLabel->movie() != first.data());
        QTRY_VERIFY(!first);
    }

    void refusalsAndFailures()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        ui->qrenButton->click();
        QCOMPARE(m_messages, QStringList{QStringLiteral("请输入二维码内容")});
        QVERIFY(!QFile::exists(m_cwd.file("qrencode.png")));

        // A space is content; then a text too long for any version changes nothing.
        m_messages.clear();
        ui->qrcodeText->setPlainText(" ");
        ui->qrenButton->click();
        QVERIFY(m_messages.isEmpty());
        const QByteArray first = TestSupport::readBytes(m_cwd.file("qrencode.png"));
        const QImage shown = ui->qrenimgLabel->pixmap(Qt::ReturnByValue).toImage();
        ui->qrcodeText->setPlainText(QString(4000, QLatin1Char('x')));
        ui->qrenButton->click();
        QCOMPARE(m_messages, QStringList{QStringLiteral("生成失败，请重试")});
        QCOMPARE(TestSupport::readBytes(m_cwd.file("qrencode.png")), first);
        QCOMPARE(ui->qrenimgLabel->pixmap(Qt::ReturnByValue).toImage(), shown);
        QCOMPARE(cached(m_cwd, "qrencode_last.cache"), m_cwd.file("qrencode.png"));
    }

    void savingACopy()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        ui->qrcodeText->setPlainText("save me");
        ui->qrenButton->click();

        // No caption: "vopa_" and today's date; the copy is byte for byte.
        m_answer = m_cwd.file("saved.png");
        ui->saveQrcodeButton->click();
        QCOMPARE(m_requests.size(), 1);
        QCOMPARE(m_requests.at(0).kind, Dialogs::Request::SaveFile);
        QCOMPARE(m_requests.at(0).caption, QStringLiteral("图片另存为"));
        QCOMPARE(m_requests.at(0).filter, QStringLiteral("Images (*.png *.gif *.jpg)"));
        QCOMPARE(m_requests.at(0).directory,
                 QStringLiteral("vopa_") + QDate::currentDate().toString("yyyy_MM_dd") + ".png");
        QCOMPARE(TestSupport::readBytes(m_answer), TestSupport::readBytes(m_cwd.file("qrencode.png")));
        QVERIFY(m_messages.isEmpty());

        // The caption at the time of the press names the copy.
        ui->input_codestr->setText("A01");
        m_answer.clear();
        ui->saveQrcodeButton->click();
        QCOMPARE(m_requests.last().directory, QStringLiteral("A01.png"));
        QVERIFY(m_messages.isEmpty());

        // The last output gone: the copy fails with the message.
        QVERIFY(QFile::remove(m_cwd.file("qrencode.png")));
        m_answer = m_cwd.file("again.png");
        ui->saveQrcodeButton->click();
        QCOMPARE(m_messages, QStringList{QStringLiteral("保存失败，请重试")});
    }

    void beautifyHandOver()
    {
        // A code decoded on the decode page, then beautified in the visual style.
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        ui->qrcodeText->setPlainText("source");
        ui->qrenButton->click();
        QVERIFY(QFile::copy(m_cwd.file("qrencode.png"), m_cwd.file("decoded.png")));
        m_answer = m_cwd.file("decoded.png");
        ui->jiemaOneBtn->click();
        QCOMPARE(ui->JiemaText->toPlainText(), QStringLiteral("source"));
        ui->radioVisual->setChecked(true);
        QFile::remove(m_cwd.file("qrencode.png"));
        ui->meihuaBtn->click();
        QCOMPARE(ui->tabWidget->currentWidget(), ui->tab_qrencode);
        QCOMPARE(decodeImageText(QImageReader(m_cwd.file("qrencode.png")).read(), true), QStringLiteral("source"));
        QVERIFY(m_messages.isEmpty());
    }

private:
    TestCwd m_cwd;
    QStringList m_messages;
    QList<Dialogs::Request> m_requests;
    QString m_answer;
};

QTEST_MAIN(TestSingleGenerate)
#include "tst_singlegenerate.moc"
