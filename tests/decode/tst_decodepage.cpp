// The decode page: choosing and decoding a picture or a screen capture, the
// status line, the counter and the hand-over to the single-generate page.
#include "decodefront.h"
#include "helpers.h"
#include "jietu.h"
#include "mainwindow.h"
#include "proqrcode.h"
#include "ui_mainwindow.h"
#include "windowfixture.h"

#include <QPainter>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

namespace {

// A Data Matrix from zint whose modules touch the picture's edges: neither
// decoder reads it until it is framed in white.
QImage edgeToEdgeMatrix(const QString &text)
{
    QProcess zint;
    zint.start("zint", {"-b", "71", "--square", "--scale=3", "--direct", "--filetype=PNG", "-d", text});
    zint.waitForFinished(30000);
    return QImage::fromData(zint.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestDecodePage : public QObject
{
    Q_OBJECT

    PageFixture m_page;

private slots:
    void init() { m_page.enter(); }
    void cleanup() { m_page.leave(); }

    void decoding()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        const QString folderFile = m_page.file("default_dir_one.cache"), counter = m_page.file("qrcode_jiema.cache");
        const QString green = QStringLiteral("解码结果：<span style='color:green;'>解码成功</span>");
        QVERIFY(writeTextFile(folderFile, m_page.file("start/"), false));
        // Cancelled: nothing changes.
        ui->jiemaOneBtn->click();
        const Dialogs::Request asked = m_page.requests.value(0);
        QCOMPARE(asked.kind, Dialogs::Request::OpenFile);
        QCOMPARE((QStringList{asked.caption, asked.filter, asked.directory}),
                 (QStringList{"待解码图片", "Images (*.png *.gif *.jpg *.jpeg)", m_page.file("start/")}));
        QCOMPARE(readTextFile(folderFile), m_page.file("start/"));

        // A file that is no picture: its folder is remembered, then the box. GIF
        // files of a few bytes declaring a screen of 13,408 by 13,493 (one with a
        // frame of none) are refused the same way, before anything of that size
        // is made.
        QVERIFY(TestSupport::writeBytes(m_page.file("notes.png"), "not a picture"));
        QVERIFY(TestSupport::writeBytes(m_page.file("huge.gif"), QByteArray::fromBase64(
            "R0lGODlhYDS1NIAAAAAAAP///yH5BAQKAAAALAAAAAABAAE=")));
        QVERIFY(TestSupport::writeBytes(m_page.file("screen.gif"), QByteArray::fromBase64("R0lGODlhYDSxNIAAAAAAACj//yH5BAQKAAAALAAAAAAAAAAAAAAAAAAAAAE=")));
        m_page.answers << m_page.file("notes.png") << m_page.file("huge.gif") << m_page.file("screen.gif");
        for (int i = 0; i < 3; ++i)
            ui->jiemaOneBtn->click();
        QCOMPARE(m_page.messages, (QStringList{"图片读取失败", "图片读取失败", "图片读取失败"}));
        QCOMPARE(readTextFile(folderFile), m_page.cwd.path() + "/");
        QCOMPARE(ui->jiemaOneMsg->text(), QStringLiteral("解码结果："));

        // A text that looks like markup is shown exactly as decoded, and counted.
        const QString text = QStringLiteral("<b>hi</b> 二维码 & more");
        ProQrcode code;
        code.content = text.toUtf8();
        code.size = 100;
        QVERIFY(code.create(m_page.file("code.png")));
        m_page.answers << m_page.file("code.png");
        ui->jiemaOneBtn->click();
        QCOMPARE(ui->JiemaText->toPlainText(), text);
        QCOMPARE(ui->jiemaOneMsg->text(), green);
        QCOMPARE(readTextFile(counter), QStringLiteral("1"));

        // Beautify: the text goes to the single-generate page, which makes its code.
        QSignalSpy generate(ui->qrenButton, &QPushButton::clicked);
        QVERIFY(!ui->meihuaBtn->isHidden());
        ui->meihuaBtn->click();
        QCOMPARE(ui->qrcodeText->toPlainText(), text);
        QCOMPARE(ui->tabWidget->currentWidget(), ui->tab_qrencode);
        QCOMPARE(generate.count(), 1);

        // Nothing found: red status, no text, no beautify, no count.
        QVERIFY(TestSupport::writeSolid(m_page.file("blank.jpg"), QSize(720, 360), Qt::white));
        m_page.answers << m_page.file("blank.jpg");
        ui->jiemaOneBtn->click();
        QCOMPARE(ui->JiemaText->toPlainText(), QString());
        QCOMPARE(ui->jiemaOneMsg->text(), QStringLiteral("解码结果：<span style='color:red;'>解码失败</span>"));
        QVERIFY(ui->meihuaBtn->isHidden());
        QCOMPARE(readTextFile(counter), QStringLiteral("1"));
        // The picture is shown all the same, fitted into the 360 by 360 preview.
        const QImage shown = ui->preImgLabel->pixmap(Qt::ReturnByValue).toImage();
        QCOMPARE(shown.size(), QSize(360, 180));
        QCOMPARE(shown.pixel(180, 90), qRgb(255, 255, 255));

        // A screen capture around the code: shown on the decode page and
        // counted; the next capture may start at once.
        QImage screen = QImage(m_page.file("blank.jpg")).convertToFormat(QImage::Format_RGB32);
        QPainter(&screen).drawImage(200, 100, QImage(m_page.file("code.png")));
        Jietu::setInjectedScreen(QPixmap::fromImage(screen));
        ui->jietuBtn->click();
        Jietu *overlay = window.captureOverlay();
        QTest::mousePress(overlay, Qt::LeftButton, {}, QPoint(185, 85));
        QTest::mouseRelease(overlay, Qt::LeftButton, {}, QPoint(515, 415));
        overlay->grab(); // the paint that takes the selected picture
        QTest::keyClick(overlay, Qt::Key_Return);
        QCOMPARE(ui->JiemaText->toPlainText(), text);
        QCOMPARE(ui->jiemaOneMsg->text(), green);
        QCOMPARE(ui->tabWidget->currentWidget(), ui->tab_one);
        QCOMPARE(readTextFile(counter), QStringLiteral("2"));
        QVERIFY(!window.captureOverlay());
        QCOMPARE(m_page.messages.size(), 3);

        // A code that only the framed retry reads, as a file and as a capture
        // cut at its edges: both are decoded with the retry, and counted.
        const QString edges = QStringLiteral("Edge to edge");
        const QImage matrix = edgeToEdgeMatrix(edges);
        QVERIFY(!matrix.isNull() && decodeImageText(matrix, false).isEmpty());
        QVERIFY(matrix.save(m_page.file("edges.png")));
        m_page.answers << m_page.file("edges.png");
        ui->jiemaOneBtn->click();
        QCOMPARE(ui->JiemaText->toPlainText(), edges);
        QCOMPARE(ui->jiemaOneMsg->text(), green);
        screen.fill(Qt::white);
        QPainter(&screen).drawImage(200, 100, matrix);
        Jietu::setInjectedScreen(QPixmap::fromImage(screen));
        ui->JiemaText->clear();
        ui->jietuBtn->click();
        overlay = window.captureOverlay();
        QTest::mousePress(overlay, Qt::LeftButton, {}, QPoint(200, 100));
        QTest::mouseRelease(overlay, Qt::LeftButton, {}, QPoint(200, 100) + QPoint(matrix.width(), matrix.height()));
        overlay->grab();
        QTest::keyClick(overlay, Qt::Key_Return);
        QCOMPARE(ui->preImgLabel->pixmap(Qt::ReturnByValue).toImage().convertToFormat(QImage::Format_RGB32),
                 matrix.scaled(360, 360, Qt::KeepAspectRatio, Qt::FastTransformation));
        QCOMPARE(ui->JiemaText->toPlainText(), edges);
        QCOMPARE(ui->jiemaOneMsg->text(), green);
        QCOMPARE(readTextFile(counter), QStringLiteral("4"));
    }
};

QTEST_MAIN(TestDecodePage)
#include "tst_decodepage.moc"
