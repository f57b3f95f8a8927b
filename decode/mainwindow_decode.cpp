// Slots of the decoding pages: one image, screen capture, camera and batch decode.
#include "mainwindow.h"

#include "batchdecodepage.h"
#include "batchpanel.h"
#include "camerapage.h"
#include "decodefront.h"
#include "dialogs.h"
#include "helpers.h"
#include "jietu.h"
#include "qxtglobalshortcut.h"
#include "statefiles.h"
#include "ui_mainwindow.h"

#include <QImage>
#include <QPixmap>

void MainWindow::showDecodePreview(const QImage &picture)
{
    ui->preImgLabel->clear();
    ui->preImgLabel->setPixmap(QPixmap::fromImage(picture.scaled(360, 360, Qt::KeepAspectRatio, Qt::FastTransformation)));
}

void MainWindow::showDecodeResult(const QString &text)
{
    // Shown exactly as decoded: a text that looks like markup stays text.
    ui->JiemaText->setPlainText(text);
    if (text.isEmpty()) {
        ui->jiemaOneMsg->setText(QStringLiteral("解码结果：<span style='color:red;'>解码失败</span>"));
        ui->meihuaBtn->hide();
        return;
    }
    ui->jiemaOneMsg->setText(QStringLiteral("解码结果：<span style='color:green;'>解码成功</span>"));
    ui->meihuaBtn->show();
    addCacheCounter(StateFile::DecodeCounter, 1);
}

void MainWindow::on_jiemaOneBtn_clicked()
{
    const QString startFolder = readStateFile(cacheDirPath, StateFile::DecodeOneFolder);
    const QString file = Dialogs::getOpenFileName(this, QStringLiteral("待解码图片"), startFolder,
                                                  QStringLiteral("Images (*.png *.gif *.jpg *.jpeg)"));
    if (file.isEmpty())
        return;
    rememberFileFolder(cacheDirPath, StateFile::DecodeOneFolder, file);

    const QImage picture = readPictureForDecoding(file);
    if (picture.isNull()) {
        showMessage(QStringLiteral("图片读取失败"));
        return;
    }
    showDecodePreview(picture);
    showDecodeResult(decodeImageText(picture, true));
}

void MainWindow::on_meihuaBtn_clicked()
{
    ui->qrcodeText->setPlainText(ui->JiemaText->toPlainText());
    ui->tabWidget->setCurrentWidget(ui->tab_qrencode);
    ui->qrenButton->click();
}

Jietu *MainWindow::captureOverlay() const
{
    return jietu;
}

void MainWindow::setupHotKey()
{
    // Shift+Ctrl+Z anywhere on the desktop opens the screen capture; taken by
    // another program, it leaves a warning and the capture button.
    auto *hotKey = new QxtGlobalShortcut(this);
    connect(hotKey, &QxtGlobalShortcut::activated, this, &MainWindow::startJietu);
    hotKey->setShortcut(QKeySequence(QStringLiteral("Shift+Ctrl+z"), QKeySequence::NativeText));
}

void MainWindow::startJietu()
{
    // One capture at a time: a start while an overlay is open is ignored.
    if (jietu)
        return;
    jietu = new Jietu();
    connect(jietu, &Jietu::signalCompleteCature, this, &MainWindow::onCompleteCature);
    jietu->show();
}

void MainWindow::onCompleteCature(QPixmap captureImage)
{
    const QImage picture = captureImage.toImage();
    if (!picture.isNull())
        showDecodePreview(picture);
    showDecodeResult(decodeImageText(picture, true));
    // The overlay that sent the result is the one released.
    if (Jietu *overlay = qobject_cast<Jietu *>(sender())) {
        overlay->deleteLater();
        if (jietu == overlay)
            jietu = nullptr;
    }
    ui->tabWidget->setCurrentWidget(ui->tab_one);
    show();
    activateWindow();
}

void MainWindow::on_jietuBtn_clicked()
{
    startJietu();
}

void MainWindow::slot_cameraopen()
{
    cameraPage->tick();
}

void MainWindow::on_captureBtn_clicked()
{
    cameraPage->toggle();
}

void MainWindow::on_toolButton_clicked()
{
    batchDecodePage->pickSource();
}

void MainWindow::on_toolButton_2_clicked()
{
    batchDecodePage->pickResults();
}

void MainWindow::on_btnJiema_clicked()
{
    batchDecodePage->start();
}

void MainWindow::slot_thread_started()
{
    emit new_started(batchDecodePage->source(), batchDecodePage->results(), batchDecodePage->mode());
}

void MainWindow::slot_thread_viewer(QString type, QString message)
{
    batchDecodePage->panel()->show(type, message);
}
