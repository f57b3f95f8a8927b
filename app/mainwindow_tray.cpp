// The system tray icon and its menu.
#include "mainwindow.h"

#include "ui_mainwindow.h"

void MainWindow::setupTray()
{
}

void MainWindow::slot_iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    Q_UNUSED(reason);
}

void MainWindow::slot_siteAction()
{
}

void MainWindow::slot_pstyleAction()
{
}

void MainWindow::slot_vstyleAction()
{
}

void MainWindow::slot_bstyleAction()
{
}
