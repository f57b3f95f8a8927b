#include "mainwindow.h"

#include "appresources.h"
#include "batchcreatepage.h"
#include "batchdecodepage.h"
#include "camerapage.h"
#include "codelabel.h"
#include "customtabstyle.h"
#include "helpers.h"
#include "statefiles.h"
#include "ui_mainwindow.h"

#include <QButtonGroup>
#include <QImageReader>
#include <QMouseEvent>
#include <QMovie>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), manager(nullptr), dragging(false), dragOffset(0, 0),
      cacheDirPath(cacheDir()), styleGroup(nullptr), batchStyleGroup(nullptr),
      batchFormatGroup(nullptr), cameraTimer(nullptr), trayMenu(nullptr),
      trayIcon(nullptr), minButton(nullptr), closeButton(nullptr), toolsMapper(nullptr), badgeMovie(nullptr),
      batchDecodePage(nullptr), batchCreatePage(nullptr), cameraPage(nullptr)
{
    initAppResources();
    ui->setupUi(this);
    setupStylePages();
    setWindowFlags(Qt::FramelessWindowHint);
    // The tray icon's picture, as the desktop entry shows it.
    setWindowIcon(QIcon(QStringLiteral(":/images/icon/images/icon/logo.png")));
    setupTray();
    setupTitleButtons();
    installTabStyle();
    showDecodeSample();

    cameraTimer = new QTimer(this);
    connect(cameraTimer, &QTimer::timeout, this, &MainWindow::slot_cameraopen);
    cameraPage = new CameraPage(this, ui, cameraTimer);

    const QString imageDir = readStateFile(cacheDirPath, StateFile::BatchDecodeSource);
    if (!imageDir.isEmpty())
        ui->jiema_path->setText(imageDir);
    const QString dataDir = readStateFile(cacheDirPath, StateFile::BatchDecodeResults);
    if (!dataDir.isEmpty())
        ui->save_path->setText(dataDir);
    ui->label_jiemaing->hide();
    ui->label_msg->hide();
    ui->label_time->hide();
    ui->saveQrcodeButton->hide();

    showLastPreview();
    const QString saveDir = readStateFile(cacheDirPath, StateFile::BatchSaveFolder);
    if (!saveDir.isEmpty())
        ui->qrcode_savepath->setText(saveDir);
    ui->label_createing->hide();
    ui->label_create_msg->hide();
    ui->label_create_time->hide();

    setupButtonGroups();
    batchDecodePage = new BatchDecodePage(this, ui, batchFormatGroup, cacheDirPath);
    batchCreatePage = new BatchCreatePage(this, ui, batchStyleGroup, cacheDirPath);
    const int updateFlag = buildToolsPage();
    showVersionBadge(updateFlag);
    setupHotKey();
    // Once the window is up: the network stack it loads need not delay it.
    QTimer::singleShot(0, this, &MainWindow::checkUpdate);
}

MainWindow::~MainWindow()
{
    delete ui;
    delete badgeMovie;
}

void MainWindow::installTabStyle()
{
    // The style is not owned by the tab bar; it lives as long as the program.
    static CustomTabStyle *const tabStyle = new CustomTabStyle;
    ui->tabWidget->tabBar()->setStyle(tabStyle);
}

void MainWindow::setupTitleButtons()
{
    minButton = new QToolButton(this);
    closeButton = new QToolButton(this);
    minButton->setIcon(QIcon(style()->standardPixmap(QStyle::SP_TitleBarMinButton)));
    closeButton->setIcon(QIcon(style()->standardPixmap(QStyle::SP_TitleBarCloseButton)));
    minButton->setGeometry(width() - 75, 5, 20, 20);
    closeButton->setGeometry(width() - 45, 5, 20, 20);
    minButton->setToolTip(QStringLiteral("最小化"));
    closeButton->setToolTip(QStringLiteral("关闭"));
    minButton->setStyleSheet(QStringLiteral("background-color:transparent;"));
    closeButton->setStyleSheet(QStringLiteral("background-color:transparent;"));
    connect(minButton, &QToolButton::clicked, this, &MainWindow::slot_minWindow);
    // With a tray icon the window only hides and the tray brings it back;
    // without one, closing it ends the program.
    if (trayIcon)
        connect(closeButton, &QToolButton::clicked, this, &QWidget::hide);
    else
        connect(closeButton, &QToolButton::clicked, this, &QWidget::close);
}

void MainWindow::showDecodeSample()
{
    ui->meihuaBtn->hide();
    ui->JiemaText->setPlainText(QString::fromLatin1(kProductSite));
    QImageReader reader(QStringLiteral(":/images/images/vopa-qr.png"));
    const QImage sample = reader.read();
    if (!sample.isNull()) {
        ui->preImgLabel->clear();
        ui->preImgLabel->setPixmap(
            QPixmap::fromImage(sample.scaled(360, 360, Qt::KeepAspectRatio, Qt::FastTransformation)));
    }
}

void MainWindow::showLastPreview()
{
    QString path = readStateFile(cacheDirPath, StateFile::LastPreview);
    if (path.isEmpty())
        path = stateFilePath(cacheDirPath, StateFile::PreviewFallback);
    showCodeFile(ui->qrenimgLabel, path, QSize(250, 250));
}

void MainWindow::setupButtonGroups()
{
    styleGroup = new QButtonGroup(this);
    styleGroup->addButton(ui->radioPro, 0);
    styleGroup->addButton(ui->radioVisual, 1);
    styleGroup->addButton(ui->radioBsd, 2);
    styleGroup->addButton(ui->radioLunkuo, 4);
    ui->radioPro->setChecked(true);

    batchStyleGroup = new QButtonGroup(this);
    batchStyleGroup->addButton(ui->radioProBatch, 0);
    batchStyleGroup->addButton(ui->radioVisualBatch, 1);
    batchStyleGroup->addButton(ui->radioBsdBatch, 2);
    batchStyleGroup->addButton(ui->radioSvgBatch, 3);
    batchStyleGroup->addButton(ui->radioLunkuoBatch, 4);
    ui->radioProBatch->setChecked(true);

    batchFormatGroup = new QButtonGroup(this);
    batchFormatGroup->addButton(ui->radioCsvDef, 0);
    batchFormatGroup->addButton(ui->radioCsvExcel, 1);
    ui->radioCsvDef->setChecked(true);
}

void MainWindow::slot_minWindow()
{
    showMinimized();
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragging = true;
    dragOffset = event->screenPos().toPoint() - pos();
    event->accept();
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (!dragging || event->buttons() == Qt::NoButton)
        return;
    move(event->screenPos().toPoint() - dragOffset);
    event->accept();
}

void MainWindow::mouseReleaseEvent(QMouseEvent *event)
{
    Q_UNUSED(event);
    dragging = false;
}
