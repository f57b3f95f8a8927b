// The system tray icon and its menu.
#include "mainwindow.h"

#include "helpers.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QIcon>
#include <QMenu>
#include <QUrl>
#include <QUrlQuery>

namespace {

const char kIconDir[] = ":/images/icon/images/icon/";

QIcon trayResourceIcon(const char *file)
{
    return QIcon(QLatin1String(kIconDir) + QLatin1String(file));
}

} // namespace

// Only where the desktop has a system tray: trayIcon stays null otherwise,
// which makes the title close button close the window instead of hiding it.
void MainWindow::setupTray()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;

    auto *siteAction = new QAction(trayResourceIcon("site.png"), tr("打开官网"), this);
    auto *proAction = new QAction(trayResourceIcon("pro.png"), tr("标准样式设置"), this);
    auto *visualAction = new QAction(trayResourceIcon("visual.png"), tr("视觉样式设置"), this);
    auto *bsdAction = new QAction(trayResourceIcon("bsd.png"), tr("色调样式设置"), this);
    auto *csvAction = new QAction(trayResourceIcon("csv.png"), tr("CSV数据包下载"), this);
    auto *quitAction = new QAction(trayResourceIcon("quit.png"), tr("退出"), this);
    connect(quitAction, &QAction::triggered, qApp, &QCoreApplication::quit);
    connect(siteAction, &QAction::triggered, this, &MainWindow::slot_siteAction);
    connect(csvAction, &QAction::triggered, this, &MainWindow::slot_siteAction);
    connect(proAction, &QAction::triggered, this, &MainWindow::slot_pstyleAction);
    connect(visualAction, &QAction::triggered, this, &MainWindow::slot_vstyleAction);
    connect(bsdAction, &QAction::triggered, this, &MainWindow::slot_bstyleAction);

    trayMenu = new QMenu(this);
    trayMenu->addAction(siteAction);
    trayMenu->addSeparator();
    trayMenu->addAction(proAction);
    trayMenu->addAction(visualAction);
    trayMenu->addAction(bsdAction);
    trayMenu->addAction(csvAction);
    trayMenu->addSeparator();
    trayMenu->addAction(quitAction);

    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setContextMenu(trayMenu);
    trayIcon->setIcon(trayResourceIcon("logo.png"));
    trayIcon->setToolTip(tr("二维码生成器"));
    connect(trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::slot_iconActivated);
    trayIcon->setVisible(true);
}

void MainWindow::slot_iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    // Context opens the menu by itself; a middle click is not used.
    if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::DoubleClick)
        return;
    showNormal();
    activateWindow();
}

// Both "打开官网" and "CSV数据包下载" lead to the web site; the window stays as it is.
void MainWindow::slot_siteAction()
{
    QUrl url(QString::fromLatin1(kProductSite), QUrl::TolerantMode);
    QUrlQuery query(url);
    query.addQueryItem(QStringLiteral("pc"), QStringLiteral("tray"));
    url.setQuery(query);
    QDesktopServices::openUrl(url);
}

// The style entries bring the window back on their page; the page's settings
// are loaded by the page-change slot, so only when the page actually changes.
void MainWindow::slot_pstyleAction()
{
    showNormal();
    activateWindow();
    ui->tabWidget->setCurrentWidget(ui->tab_moban);
}

void MainWindow::slot_vstyleAction()
{
    showNormal();
    activateWindow();
    ui->tabWidget->setCurrentWidget(ui->tab_visual);
}

void MainWindow::slot_bstyleAction()
{
    showNormal();
    activateWindow();
    ui->tabWidget->setCurrentWidget(ui->tab_bsd);
}
