#include "mainwindow.h"

#include "appresources.h"
#include "helpers.h"
#include "ui_mainwindow.h"

#include <QButtonGroup>
#include <QImageReader>
#include <QMouseEvent>
#include <QMovie>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), manager(nullptr), dragging(false), dragOffset(0, 0),
      cacheDirPath(cacheDir()), jietu(nullptr), styleGroup(nullptr), batchStyleGroup(nullptr),
      batchFormatGroup(nullptr), cameraTimer(nullptr), scanLineStep(0), scanLineDown(true), trayMenu(nullptr),
      trayIcon(nullptr), minButton(nullptr), closeButton(nullptr), toolsMapper(nullptr), badgeMovie(nullptr)
{
    initAppResources();
    ui->setupUi(this);
    setWindowFlags(Qt::FramelessWindowHint);
    setupTray();
    setupTitleButtons();
    installTabStyle();
    showDecodeSample();

    cameraTimer = new QTimer(this);
    connect(cameraTimer, &QTimer::timeout, this, &MainWindow::slot_cameraopen);

    const QString imageDir = readTextFile(cacheDirPath + QStringLiteral("/default_dir_qrimg.cache"));
    if (!imageDir.isEmpty())
        ui->jiema_path->setText(imageDir);
    const QString dataDir = readTextFile(cacheDirPath + QStringLiteral("/default_dir_qrdata.cache"));
    if (!dataDir.isEmpty())
        ui->save_path->setText(dataDir);
    ui->label_jiemaing->hide();
    ui->label_msg->hide();
    ui->label_time->hide();
    ui->saveQrcodeButton->hide();

    showLastPreview();
    const QString saveDir = readTextFile(cacheDirPath + QStringLiteral("/default_dir_qrsave.cache"));
    if (!saveDir.isEmpty())
        ui->qrcode_savepath->setText(saveDir);
    ui->label_createing->hide();
    ui->label_create_msg->hide();
    ui->label_create_time->hide();

    setupButtonGroups();
    const int updateFlag = buildToolsPage();
    showVersionBadge(updateFlag);
    setupHotKey();
    checkUpdate();
}

MainWindow::~MainWindow()
{
    delete ui;
    delete badgeMovie;
    if (capture.isOpened())
        capture.release();
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
    QString path = readTextFile(cacheDirPath + QStringLiteral("/pretest_last.cache"));
    if (path.isEmpty())
        path = cacheDirPath + QStringLiteral("/pretest.png");
    if (fileSuffix(path) == QLatin1String("gif")) {
        auto *movie = new QMovie(path, QByteArray(), ui->qrenimgLabel);
        movie->setScaledSize(QSize(250, 250));
        ui->qrenimgLabel->setMovie(movie);
        movie->start();
        return;
    }
    // Read afresh, not through the pixmap cache: the file may have been rewritten.
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        return;
    ui->qrenimgLabel->clear();
    ui->qrenimgLabel->setPixmap(
        QPixmap::fromImage(image.scaled(250, 250, Qt::KeepAspectRatio, Qt::FastTransformation)));
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
