// The single-generate page: generating in each style from the saved record,
// showing the result and saving a copy.
#include "decodefront.h"
#include "gifimage.h"
#include "helpers.h"
#include "mainwindow.h"
#include "windowfixture.h"
#include "ui_mainwindow.h"

#include <QButtonGroup>
#include <QDate>
#include <QImageReader>
#include <QMovie>
#include <QScopeGuard>
#include <QtTest>


// A contour record on an animated background (the folder's path goes in).
const char kContourOnGif[] = R"({"qr_size":300,"qr_bgimg":"%1","qr_bgx":50,"qr_bgy":50,"qr_blocksize":50,)"
                             R"("qr_balpha":100,"qr_bgcolor":"#ffffff","qr_lk_color":"#000000","qr_lkborsize":1})";

class TestSingleGenerate : public QObject
{
    Q_OBJECT

    PageFixture m_page;

    QString cached(const char *name) const { return readTextFile(m_page.file(QLatin1String(name))); }

private slots:
    void init() { m_page.enter(); }
    void cleanup() { m_page.leave(); }

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
            QVERIFY2(m_page.messages.isEmpty(), qPrintable(m_page.messages.join(',')));
            const QString path = m_page.file("qrencode.png");
            QCOMPARE(cached("qrencode_last.cache"), path);
            const QImage image = QImageReader(path).read();
            QCOMPARE(decodeImageText(image, true), text);
            // The label shows the new picture, not a cached copy of the old one.
            const QImage shown = ui->qrenimgLabel->pixmap(Qt::ReturnByValue).toImage();
            QCOMPARE(shown.size(), QSize(250, 250));
            QVERIFY2(shown != previous, style.name);
            previous = shown;
            QVERIFY(!ui->saveQrcodeButton->isHidden());
        }

        // A record with an animated background: "qrencode.gif", running in the label.
        QVERIFY(TestSupport::writeAnimatedBackground(m_page.file("bg.gif"), QSize(400, 400), {100, 100, 100}));
        QVERIFY(writeTextFile(m_page.file("lunkuo_style.cache"), QString(kContourOnGif).arg(m_page.file("bg.gif")), false));
        ui->radioLunkuo->setChecked(true);
        ui->qrenButton->click();
        QCOMPARE(cached("qrencode_last.cache"), m_page.file("qrencode.gif"));
        QMovie *movie = ui->qrenimgLabel->movie();
        QVERIFY(movie);
        QCOMPARE(movie->state(), QMovie::Running);
        QCOMPARE(decodeImageText(QImageReader(m_page.file("qrencode.gif")).read(), true), text);
        // A second animated result replaces the movie; the old one goes.
        QPointer<QMovie> first = movie;
        ui->qrenButton->click();
        QVERIFY(ui->qrenimgLabel->movie() != first.data());
        QTRY_VERIFY(!first);
    }

    void animationBudget()
    {
        // Twelve tiny frames on a 6,000 by 6,000 screen: 432 million pixels composed, past the budget.
        GifImage huge(QSize(6000, 6000));
        for (int i = 0; i < 12; ++i) {
            QImage dot(1, 1, QImage::Format_RGB32);
            dot.fill(Qt::gray);
            huge.addFrame(dot, QPoint(i, i), 100);
        }
        QVERIFY(huge.save(m_page.file("huge.gif")));
        QVERIFY(QFileInfo(m_page.file("huge.gif")).size() < 2000);
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        ui->qrcodeText->setPlainText("budget");
        ui->qrenButton->click();
        const QByteArray old = TestSupport::readBytes(m_page.file("qrencode.png"));
        QVERIFY(writeTextFile(m_page.file("create_style.cache"),
                              QString(R"({"qr_size":300,"qr_bgimg":"%1"})").arg(m_page.file("huge.gif")), false));
        ui->qrenButton->click();
        QCOMPARE(m_page.messages, QStringList{"生成失败，请重试"});
        QVERIFY(!QFile::exists(m_page.file("qrencode.gif")));
        QCOMPARE(TestSupport::readBytes(m_page.file("qrencode.png")), old);
        QCOMPARE(readTextFile(m_page.file("qrencode_last.cache")), m_page.file("qrencode.png"));
    }

    void refusalsAndFailures()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        ui->qrenButton->click();
        QCOMPARE(m_page.messages, QStringList{QStringLiteral("请输入二维码内容")});
        QVERIFY(!QFile::exists(m_page.file("qrencode.png")));

        // A space is content; then a text too long for any version changes nothing.
        m_page.messages.clear();
        ui->qrcodeText->setPlainText(" ");
        ui->qrenButton->click();
        QVERIFY(m_page.messages.isEmpty());
        const QByteArray first = TestSupport::readBytes(m_page.file("qrencode.png"));
        const QImage shown = ui->qrenimgLabel->pixmap(Qt::ReturnByValue).toImage();
        ui->qrcodeText->setPlainText(QString(4000, QLatin1Char('x')));
        ui->qrenButton->click();
        QCOMPARE(m_page.messages, QStringList{QStringLiteral("生成失败，请重试")});
        QCOMPARE(TestSupport::readBytes(m_page.file("qrencode.png")), first);
        QCOMPARE(ui->qrenimgLabel->pixmap(Qt::ReturnByValue).toImage(), shown);
        QCOMPARE(cached("qrencode_last.cache"), m_page.file("qrencode.png"));
    }

    void savingACopy()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        ui->qrcodeText->setPlainText("save me");
        ui->qrenButton->click();

        // No caption: "vopa_" and today's date; the copy is byte for byte.
        m_page.answers << m_page.file("saved.png");
        ui->saveQrcodeButton->click();
        QCOMPARE(m_page.requests.size(), 1);
        QCOMPARE(m_page.requests.at(0).kind, Dialogs::Request::SaveFile);
        QCOMPARE(m_page.requests.at(0).caption, QStringLiteral("图片另存为"));
        QCOMPARE(m_page.requests.at(0).filter, QStringLiteral("Images (*.png *.gif *.jpg)"));
        // Proposed in the home folder (there is no pictures folder), never in the state folder.
        QCOMPARE(m_page.requests.at(0).directory,
                 m_page.home() + "/vopa_" + QDate::currentDate().toString("yyyy_MM_dd") + ".png");
        QCOMPARE(TestSupport::readBytes(m_page.file("saved.png")), TestSupport::readBytes(m_page.file("qrencode.png")));
        QVERIFY(m_page.messages.isEmpty());

        // The caption at the time of the press names the copy, in the pictures folder once there is one.
        QVERIFY(QDir().mkpath(m_page.home() + "/Pictures"));
        ui->input_codestr->setText("A01");
        ui->saveQrcodeButton->click();
        QCOMPARE(m_page.requests.last().directory, m_page.home() + "/Pictures/A01.png");
        QVERIFY(m_page.messages.isEmpty());

        // Onto a link that loops: the message, and the link stays.
        QVERIFY(QFile::link("loop.png", m_page.file("loop.png")));
        m_page.answers << m_page.file("loop.png");
        ui->saveQrcodeButton->click();
        QCOMPARE(m_page.messages, QStringList{QStringLiteral("保存失败，请重试")});
        QVERIFY(QFileInfo(m_page.file("loop.png")).isSymLink());
        m_page.messages.clear();

        // The last output gone: the copy fails with the message.
        QVERIFY(QFile::remove(m_page.file("qrencode.png")));
        m_page.answers << m_page.file("again.png");
        ui->saveQrcodeButton->click();
        QCOMPARE(m_page.messages, QStringList{QStringLiteral("保存失败，请重试")});
    }

    void fullDisk()
    {
        // A small file system, full, under the cache folder (mounting needs root).
        const QString disk = m_page.file("disk");
        const TestSupport::ScratchDisk scratch(disk, "512k");
        if (!scratch.mounted())
            QSKIP("mounting a file system needs root");
        // Out of it before it is unmounted.
        const auto leave = qScopeGuard([&] { QDir::setCurrent(m_page.cwd.path()); });
        QVERIFY(QDir::setCurrent(disk));
        QVERIFY(TestSupport::writeAnimatedBackground(m_page.file("bg.gif"), QSize(320, 320), {100, 100}));
        QVERIFY(writeTextFile(disk + "/lunkuo_style.cache", QString(kContourOnGif).arg(m_page.file("bg.gif")), false));
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        // What is there before the disk fills: a record, a PNG, a GIF and a copy.
        ui->save_setting->click();
        ui->qrcodeText->setPlainText("old");
        ui->qrenButton->click();
        m_page.answers << disk + "/copy.png";
        ui->saveQrcodeButton->click();
        ui->radioLunkuo->setChecked(true);
        ui->qrenButton->click();
        const QStringList files = {"create_style.cache", "qrencode.png", "qrencode.gif", "copy.png"};
        QList<QByteArray> before;
        for (const QString &name : files)
            before << TestSupport::readBytes(disk + '/' + name);
        QVERIFY(!before.contains(QByteArray()));
        QVERIFY(scratch.fill());

        // Each write fails with its message and leaves the old file byte for byte.
        m_page.messages.clear();
        ui->marginSlider->setValue(20);
        ui->save_setting->click();
        ui->qrcodeText->setPlainText("new");
        ui->qrenButton->click();
        ui->radioPro->setChecked(true);
        ui->qrenButton->click();
        m_page.answers << disk + "/copy.png";
        ui->saveQrcodeButton->click(); // the GIF onto the PNG copy
        QCOMPARE(m_page.messages, (QStringList{"保存失败，请重试", "生成失败，请重试", "生成失败，请重试", "保存失败，请重试"}));
        for (int i = 0; i < files.size(); ++i)
            QVERIFY2(TestSupport::readBytes(disk + '/' + files.at(i)) == before.at(i), qPrintable(files.at(i)));
        QCOMPARE(QDir(disk).entryList(QDir::Files | QDir::Hidden).size(), files.size() + 3); // no half-written file
    }

    void vanishedWorkingFolder()
    {
        // Nothing reaches the root of the disk when the working folder is gone.
        const QString gone = m_page.file("gone");
        QVERIFY(QDir().mkpath(gone) && QDir::setCurrent(gone) && QDir().rmdir(gone));
        const QStringList root = QDir("/").entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
        {
            MainWindow window;
            window.form()->qrcodeText->setPlainText("nowhere");
            window.form()->qrenButton->click();
            window.form()->save_setting->click();
            addCacheCounter(QStringLiteral("qrcode_jiema"), 1);
        }
        QDir::setCurrent(m_page.cwd.path());
        QCOMPARE(QDir("/").entryList(QDir::AllEntries | QDir::Hidden | QDir::System), root);
        QCOMPARE(m_page.messages.mid(0, 1), QStringList{"缓存目录创建失败，不能生成二维码，请手动创建："});
        QVERIFY(m_page.messages.contains("生成失败，请重试") && m_page.messages.contains("保存失败，请重试"));
    }
};

QTEST_MAIN(TestSingleGenerate)
#include "tst_singlegenerate.moc"
