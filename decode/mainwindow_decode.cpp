// Slots of the decoding pages: one image, screen capture, camera and batch decode.
#include "mainwindow.h"

#include "ui_mainwindow.h"

void MainWindow::on_jiemaOneBtn_clicked()
{
}

void MainWindow::on_meihuaBtn_clicked()
{
}

void MainWindow::onCompleteCature(QPixmap captureImage)
{
    Q_UNUSED(captureImage);
}

void MainWindow::on_jietuBtn_clicked()
{
}

void MainWindow::slot_cameraopen()
{
}

void MainWindow::on_captureBtn_clicked()
{
}

void MainWindow::on_toolButton_clicked()
{
}

void MainWindow::on_toolButton_2_clicked()
{
}

void MainWindow::on_btnJiema_clicked()
{
}

void MainWindow::slot_thread_started()
{
}

void MainWindow::slot_thread_viewer(QString type, QString message)
{
    Q_UNUSED(type);
    Q_UNUSED(message);
}

void MainWindow::startJietu()
{
}
