// The decode page: decoding a chosen file and a screen capture, the status
// line, the counter and the hand-over to the single-generate page.
#include "dialogs.h"
#include "helpers.h"
#include "jietu.h"
#include "mainwindow.h"
#include "proqrcode.h"
#include "testsupport.h"
#include "ui_mainwindow.h"

#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString kGreen = QStringLiteral("解码结果：<span style='color:green;'>解码成功</span>");
const QString kRed = QStringLiteral("解码结果：<span style='color:red;'>解码失败</span>");

QImage codePicture(const QByteArray &text, int size = 300)
{
    const QString path = QDir::current().filePath(QStringLiteral("code-src.png"));
    ProQrcode qr;
    qr.content = text;
    qr.size = size;
    if (!qr.create(path))
        return QImage();
    return QImage(path);
}

} // namespace

class TestDecodePage : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_cwd.enter();
        m_requests.clear();
        m_messages.clear();
        m_answer.clear();
        Dialogs::setProvider([this](const Dialogs::Request &request) {
            m_requests.append(request);
            return m_answer;
        });
        setMessageSink([this](const QString &text, const QString &) { m_messages.append(text); });
    }
    void cleanup()
    {
        Dialogs::setProvider(nullptr);
        setMessageSink(nullptr);
        Jietu::setInjectedScreen(QPixmap());
        m_cwd.leave();
    }

    void fileDialogAndRememberedFolder()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        QDir().mkpath(m_cwd.file("pictures"));
        // Cancelled: nothing is remembered or changed.
        ui->jiemaOneBtn->click();
        QCOMPARE(m_requests.size(), 1);
        QCOMPARE(m_requests.at(0).kind, Dialogs::Request::OpenFile);
        QCOMPARE(m_requests.at(0).caption, QStringLiteral("待解码图片"));
        QCOMPARE(m_requests.at(0).filter, QStringLiteral("Images (*.png *.gif *.jpg *.jpeg)"));
        QCOMPARE(m_requests.at(0).directory, QString());
        QVERIFY(!QFile::exists(m_cwd.file("default_dir_one.cache")));
        QCOMPARE(ui->jiemaOneMsg->text(), QStringLiteral("解码结果："));

        // A file that is no picture: its folder is remembered all the same,
        // then the warning box; the page keeps its state.
        QVERIFY(TestSupport::writeBytes(m_cwd.file("pictures/notes.png"), "not a picture"));
        m_answer = m_cwd.file("pictures/notes.png");
        ui->jiemaOneBtn->click();
        QCOMPARE(m_messages, QStringList{QStringLiteral("图片读取失败")});
        QCOMPARE(readTextFile(m_cwd.file("default_dir_one.cache")), m_cwd.file("pictures") + "/");
        QCOMPARE(ui->jiemaOneMsg->text(), QStringLiteral("解码结果："));
        QCOMPARE(readCacheCounter("qrcode_jiema"), 0);

        // The next dialog starts in the remembered folder.
        m_answer.clear();
        ui->jiemaOneBtn->click();
        QCOMPARE(m_requests.last().directory, m_cwd.file("pictures") + "/");
    }

    void decodingFilesAndCounting()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        // A decoded text that looks like markup is shown exactly as decoded.
        const QString text = QStringLiteral("<b>hi</b> 二维码 & more");
        QVERIFY(codePicture(text.toUtf8(), 100).save(m_cwd.file("code.png")));
        QImage wide(720, 360, QImage::Format_RGB32);
        wide.fill(Qt::white);
        QVERIFY(wide.save(m_cwd.file("blank.jpg")));

        m_answer = m_cwd.file("code.png");
        ui->jiemaOneBtn->click();
        QCOMPARE(ui->JiemaText->toPlainText(), text);
        QCOMPARE(ui->jiemaOneMsg->text(), kGreen);
        QVERIFY(!ui->meihuaBtn->isHidden());
        QCOMPARE(ui->preImgLabel->pixmap(Qt::ReturnByValue).size(), QSize(360, 360));
        QCOMPARE(readCacheCounter("qrcode_jiema"), 1);

        // Nothing found: red status, empty text, no beautify button, no count.
        m_answer = m_cwd.file("blank.jpg");
        ui->jiemaOneBtn->click();
        QCOMPARE(ui->JiemaText->toPlainText(), QString());
        QCOMPARE(ui->jiemaOneMsg->text(), kRed);
        QVERIFY(ui->meihuaBtn->isHidden());
        QCOMPARE(ui->preImgLabel->pixmap(Qt::ReturnByValue).size(), QSize(360, 180));
        QCOMPARE(readCacheCounter("qrcode_jiema"), 1);

        m_answer = m_cwd.file("code.png");
        ui->jiemaOneBtn->click();
        QCOMPARE(readCacheCounter("qrcode_jiema"), 2);
        QVERIFY(m_messages.isEmpty());

        // Beautify: the exact text lands on the single-generate page, which
        // generates it at once.
        QSignalSpy generate(ui->qrenButton, &QPushButton::clicked);
        ui->meihuaBtn->click();
        QCOMPARE(ui->qrcodeText->toPlainText(), text);
        QCOMPARE(ui->tabWidget->currentWidget(), ui->tab_qrencode);
        QCOMPARE(generate.count(), 1);
    }

    void screenCapture()
    {
        // The screen holds a code at (200, 100); the user selects around it.
        QImage screen(800, 600, QImage::Format_RGB32);
        screen.fill(QColor("#88aacc"));
        QPainter painter(&screen);
        painter.fillRect(QRect(180, 80, 340, 340), Qt::white);
        painter.drawImage(200, 100, codePicture("captured from the screen"));
        painter.end();
        Jietu::setInjectedScreen(QPixmap::fromImage(screen));

        MainWindow window;
        Ui::MainWindow *ui = window.form();
        ui->tabWidget->setCurrentWidget(ui->tab_moban);
        window.hide();
        ui->jietuBtn->click();
        QPointer<Jietu> overlay = window.captureOverlay();
        QVERIFY(overlay);
        QVERIFY(overlay->isVisible());
        // A second start while the overlay is open is ignored.
        window.startJietu();
        QCOMPARE(window.captureOverlay(), overlay.data());

        QTest::mousePress(overlay, Qt::LeftButton, Qt::NoModifier, QPoint(185, 85));
        QTest::mouseMove(overlay, QPoint(515, 415));
        QTest::mouseRelease(overlay, Qt::LeftButton, Qt::NoModifier, QPoint(515, 415));
        overlay->repaint();
        QTest::keyClick(overlay, Qt::Key_Return);

        // The result lands on the decode page of the window, shown again.
        QCOMPARE(ui->JiemaText->toPlainText(), QStringLiteral("captured from the screen"));
        QCOMPARE(ui->jiemaOneMsg->text(), kGreen);
        QCOMPARE(ui->tabWidget->currentWidget(), ui->tab_one);
        QVERIFY(window.isVisible());
        QCOMPARE(readCacheCounter("qrcode_jiema"), 1);
        QVERIFY(!window.captureOverlay());
        QTRY_VERIFY(!overlay);

        // A capture with no selection gives a null picture: red status, the
        // preview kept, nothing counted.
        const QPixmap before = ui->preImgLabel->pixmap(Qt::ReturnByValue);
        ui->jietuBtn->click();
        overlay = window.captureOverlay();
        QVERIFY(overlay);
        QTest::keyClick(overlay, Qt::Key_Enter);
        QCOMPARE(ui->jiemaOneMsg->text(), kRed);
        QCOMPARE(ui->preImgLabel->pixmap(Qt::ReturnByValue).toImage(), before.toImage());
        QCOMPARE(readCacheCounter("qrcode_jiema"), 1);
        QTRY_VERIFY(!overlay);

        // Esc: no result, the overlay goes, a new capture can start.
        ui->jietuBtn->click();
        overlay = window.captureOverlay();
        QVERIFY(overlay);
        QTest::keyClick(overlay, Qt::Key_Escape);
        QTRY_VERIFY(!overlay);
        QVERIFY(!window.captureOverlay());
        ui->jietuBtn->click();
        QVERIFY(window.captureOverlay());
        window.captureOverlay()->close();
    }

private:
    TestCwd m_cwd;
    QList<Dialogs::Request> m_requests;
    QStringList m_messages;
    QString m_answer;
};

QTEST_MAIN(TestDecodePage)
#include "tst_decodepage.moc"
