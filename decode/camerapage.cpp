#include "camerapage.h"

#include "helpers.h"
#include "statefiles.h"
#include "ui_mainwindow.h"

#include <QTimer>

namespace {

const char kOpen[] = "打开摄像头扫描";
const char kScanned[] = "解码结果：<span style='color:green;'>扫描成功</span>";

} // namespace

CameraPage::CameraPage(QWidget *window, Ui::MainWindow *ui, QTimer *timer) : QObject(window), m_ui(ui), m_timer(timer)
{
}

CameraPage::~CameraPage()
{
    if (m_source)
        m_source->release();
}

void CameraPage::close()
{
    m_ui->captureBtn->setText(QString::fromUtf8(kOpen));
    m_timer->stop();
    m_source->release();
}

void CameraPage::toggle()
{
    if (isOpen()) {
        close();
        return;
    }
    m_lastResult.clear();
    m_ui->captureBtn->setText(QStringLiteral("关闭摄像头扫描"));
    m_source = CameraDevices::create();
    if (m_source && m_source->open()) {
        m_timer->start(1);
        return;
    }
    m_ui->captureBtn->setText(QString::fromUtf8(kOpen));
    showMessage(QStringLiteral("打开摄像头失败，请检查设备是否正常连接"));
}

void CameraPage::tick()
{
    if (!isOpen())
        return;
    const CameraDevice::Tick tick = m_source->tick(m_scanLine);
    if (!tick.shown)
        return;
    m_ui->preImgLabel->setPixmap(
        QPixmap::fromImage(tick.picture).scaled(360, 360, Qt::KeepAspectRatio, Qt::FastTransformation));
    if (tick.text.isEmpty() || tick.text == m_lastResult)
        return;
    m_lastResult = tick.text;
    addCacheCounter(QLatin1String(StateFile::DecodeCounter), 1);
    m_ui->jiemaOneMsg->setText(QString::fromUtf8(kScanned));
    // Shown exactly as decoded, as every decode path shows its text.
    if (m_ui->checkBox_isLianxu->isChecked()) {
        m_ui->JiemaText->setPlainText(tick.text + QLatin1Char('\n') + m_ui->JiemaText->toPlainText());
        m_ui->meihuaBtn->hide();
        return;
    }
    m_ui->JiemaText->setPlainText(tick.text);
    m_ui->meihuaBtn->show();
    close();
}
