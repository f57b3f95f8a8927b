// Slots of the generation pages: single and batch generation, statistics;
// the style pages' slots are in mainwindow_styles.cpp.
#include "mainwindow.h"

#include "batchcreatepage.h"
#include "batchpanel.h"
#include "codelabel.h"
#include "helpers.h"
#include "rendererfill.h"
#include "statefiles.h"
#include "statistics.h"
#include "stylepage.h"
#include "stylerecord.h"
#include "ui_mainwindow.h"

#include <QButtonGroup>
#include <QDate>

void MainWindow::on_qrenButton_clicked()
{
    if (ui->qrcodeText->toPlainText().isEmpty()) {
        showMessage(QStringLiteral("请输入二维码内容"));
        return;
    }
    const StyleCatalogue::Style *style = StyleCatalogue::findByButton(styleGroup->checkedId());
    if (style)
        generateCode(QLatin1String(style->key));
}

void MainWindow::generateCode(const QString &style)
{
    const QString recordFile = QLatin1String(StyleCatalogue::find(style)->recordFile);
    const Filling::Settings settings = Filling::Settings::fromRecord(
        StyleRecord::readFile(stateFilePath(cacheDirPath, recordFile)), style, Filling::Caller::SingleGenerate);
    const QString extension = Filling::outputExtension(style, settings, Filling::Caller::SingleGenerate);
    const QString path = stateFilePath(cacheDirPath, StateFile::CodeFile + extension);
    if (!Filling::renderCode(style, settings, ui->qrcodeText->toPlainText().toUtf8(), ui->input_codestr->text(),
                             Filling::Caller::SingleGenerate, path)) {
        showMessage(QStringLiteral("生成失败，请重试"));
        return;
    }
    showCodeFile(ui->qrenimgLabel, path, QSize(250, 250));
    writeStateFile(cacheDirPath, StateFile::LastCode, path);
    ui->saveQrcodeButton->show();
}

void MainWindow::createProQrcode()
{
    generateCode(QStringLiteral("pro"));
}

void MainWindow::createVisualQrcode()
{
    generateCode(QStringLiteral("visual"));
}

void MainWindow::createBsdQrcode()
{
    generateCode(QStringLiteral("bsd"));
}

void MainWindow::createLunkuoQrcode()
{
    generateCode(QStringLiteral("lunkuo"));
}

void MainWindow::on_saveQrcodeButton_clicked()
{
    const QString caption = ui->input_codestr->text();
    QString source = readStateFile(cacheDirPath, StateFile::LastCode);
    if (source.isEmpty())
        source = stateFilePath(cacheDirPath, StateFile::CodeFallback);
    saveCodeAs(this, source,
               caption.isEmpty() ? QStringLiteral("vopa_") + QDate::currentDate().toString("yyyy_MM_dd") : caption);
}

void MainWindow::slot_create_thread_started()
{
    emit new_create_started(batchCreatePage->csvPath(), batchCreatePage->saveFolder(), batchCreatePage->styleKey());
}

void MainWindow::slot_create_thread_viewer(QString type, QString message)
{
    batchCreatePage->panel()->show(type, message);
}

namespace {

void showStatistics(Ui::MainWindow *ui)
{
    const int created = readCacheCounter(StateFile::CreateCounter);
    const int decoded = readCacheCounter(StateFile::DecodeCounter);
    ui->label_create_statis->setText(Statistics::countText(created));
    ui->label_jiema_statis->setText(Statistics::countText(decoded));
    ui->label_price_statis->setText(Statistics::priceText(created, decoded));
    const QPixmap picture(QStringLiteral(":/images/images/pc-zs.jpg"));
    ui->label_wxzsm->clear();
    if (!picture.isNull())
        ui->label_wxzsm->setPixmap(picture.scaled(190, 190, Qt::KeepAspectRatio, Qt::FastTransformation));
}

} // namespace

void MainWindow::on_tabWidget_currentChanged(int index)
{
    Q_UNUSED(index);
    // A style page shows its saved record, the statistics page fresh counters.
    QWidget *current = ui->tabWidget->currentWidget();
    for (StylePage *page : stylePages)
        if (page->page() == current)
            return page->load();
    if (current == ui->tab_statis)
        showStatistics(ui);
}

void MainWindow::on_toolButton_csv_clicked()
{
    batchCreatePage->pickCsv();
}

void MainWindow::on_toolButton_qrcode_clicked()
{
    batchCreatePage->pickSaveFolder();
}

void MainWindow::on_btnCreate_clicked()
{
    batchCreatePage->start();
}

void MainWindow::on_btnCsvMoban_clicked()
{
    batchCreatePage->openTemplate();
}
