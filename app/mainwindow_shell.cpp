// Start-up hooks of the window that belong to other pages' features.
#include "mainwindow.h"

#include "customtabstyle.h"
#include "ui_mainwindow.h"

#include <QTabBar>

void MainWindow::installTabStyle()
{
    // The style is not owned by the tab bar; it lives as long as the program.
    static CustomTabStyle *const tabStyle = new CustomTabStyle;
    ui->tabWidget->tabBar()->setStyle(tabStyle);
}

void MainWindow::setupHotKey()
{
}
