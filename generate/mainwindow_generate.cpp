// Slots of the generation pages: style pages, single and batch generation,
// statistics.
#include "mainwindow.h"

#include "bsdqr.h"
#include "codelabel.h"
#include "dialogs.h"
#include "helpers.h"
#include "lunkuoqr.h"
#include "proqrcode.h"
#include "rendererfill.h"
#include "statefiles.h"
#include "stylepage.h"
#include "stylerecord.h"
#include "ui_mainwindow.h"
#include "visualqr.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDate>

void MainWindow::setupStylePages()
{
    auto make = [this](const char *key) {
        return new StylePage(*StyleCatalogue::find(QLatin1String(key)), this, cacheDirPath);
    };
    proPage = make("pro");
    visualPage = make("visual");
    bsdPage = make("bsd");
    svgPage = make("svg");
    lunkuoPage = make("lunkuo");
}

bool MainWindow::saveProSetting(const QString &mode)
{
    return proPage->saveSetting(mode);
}

bool MainWindow::saveVisualSetting(const QString &mode)
{
    return visualPage->saveSetting(mode);
}

bool MainWindow::saveBsdSetting(const QString &mode)
{
    return bsdPage->saveSetting(mode);
}

bool MainWindow::saveSvgSetting(const QString &mode)
{
    return svgPage->saveSetting(mode);
}

bool MainWindow::saveLunkuoSetting(const QString &mode)
{
    return lunkuoPage->saveSetting(mode);
}

void MainWindow::on_save_setting_clicked()
{
    proPage->save();
}

void MainWindow::on_save_vsetting_clicked()
{
    visualPage->save();
}

void MainWindow::on_save_bsetting_clicked()
{
    bsdPage->save();
}

void MainWindow::on_save_svg_setting_clicked()
{
    svgPage->save();
}

void MainWindow::on_save_lksetting_clicked()
{
    lunkuoPage->save();
}

void MainWindow::on_qrenButton_clicked()
{
    if (ui->qrcodeText->toPlainText().isEmpty()) {
        showMessage(QStringLiteral("请输入二维码内容"));
        return;
    }
    QAbstractButton *checked = styleGroup->checkedButton();
    if (checked == ui->radioPro)
        createProQrcode();
    else if (checked == ui->radioVisual)
        createVisualQrcode();
    else if (checked == ui->radioBsd)
        createBsdQrcode();
    else if (checked == ui->radioLunkuo)
        createLunkuoQrcode();
}

template <typename Renderer>
void MainWindow::generateCode(const QString &style)
{
    const QString recordFile = QLatin1String(StyleCatalogue::find(style)->recordFile);
    const Filling::Settings settings = Filling::Settings::fromRecord(
        StyleRecord::readFile(stateFilePath(cacheDirPath, recordFile)), style, Filling::Caller::SingleGenerate);
    const QByteArray content = ui->qrcodeText->toPlainText().toUtf8();
    const QString caption = ui->input_codestr->text();
    const QString extension = Filling::outputExtension(settings);
    const QString path = stateFilePath(cacheDirPath, QStringLiteral("qrencode.") + extension);

    Renderer renderer;
    Filling::fill(renderer, settings, content, caption);
    if (!renderer.create(path)) {
        showMessage(QStringLiteral("生成失败，请重试"));
        return;
    }
    showCodeFile(ui->qrenimgLabel, path, QSize(250, 250));
    writeStateFile(cacheDirPath, StateFile::LastCode, path);
    ui->saveQrcodeButton->show();
}

void MainWindow::createProQrcode()
{
    generateCode<ProQrcode>(QStringLiteral("pro"));
}

void MainWindow::createVisualQrcode()
{
    generateCode<visualQr>(QStringLiteral("visual"));
}

void MainWindow::createBsdQrcode()
{
    generateCode<bsdQr>(QStringLiteral("bsd"));
}

void MainWindow::createLunkuoQrcode()
{
    generateCode<lunkuoQr>(QStringLiteral("lunkuo"));
}

void MainWindow::on_saveQrcodeButton_clicked()
{
    const QString caption = ui->input_codestr->text();
    QString source = readStateFile(cacheDirPath, StateFile::LastCode);
    if (source.isEmpty())
        source = stateFilePath(cacheDirPath, QStringLiteral("qrencode.png"));
    QString extension = fileSuffix(source);
    if (extension != QLatin1String("gif") && extension != QLatin1String("png") && extension != QLatin1String("jpg"))
        extension = QStringLiteral("png");
    const QString name = (caption.isEmpty() ? QStringLiteral("vopa_") + QDate::currentDate().toString("yyyy_MM_dd")
                                            : caption)
                         + QLatin1Char('.') + extension;
    const QString target = Dialogs::getSaveFileName(this, tr("图片另存为"), name, tr("Images (*.png *.gif *.jpg)"));
    if (target.isEmpty())
        return;
    if (!copyFile(source, target))
        showMessage(QStringLiteral("保存失败，请重试"));
}

void MainWindow::slot_create_thread_started()
{
}

void MainWindow::slot_create_thread_viewer(QString type, QString message)
{
    Q_UNUSED(type);
    Q_UNUSED(message);
}

void MainWindow::slot_preview_saveto()
{
}

void MainWindow::on_tabWidget_currentChanged(int index)
{
    Q_UNUSED(index);
}

void MainWindow::on_toolButton_csv_clicked()
{
}

void MainWindow::on_toolButton_qrcode_clicked()
{
}

void MainWindow::on_btnCreate_clicked()
{
}

void MainWindow::on_btnCsvMoban_clicked()
{
}

void MainWindow::on_preview_qrcode_clicked()
{
}

void MainWindow::on_exportButton_clicked()
{
}

void MainWindow::on_importButton_clicked()
{
}

void MainWindow::on_resetProButton_clicked()
{
}

void MainWindow::on_tool_bgcolor_clicked()
{
}

void MainWindow::on_tool_fgcolor_clicked()
{
}

void MainWindow::on_tool_codecolor_clicked()
{
}

void MainWindow::on_tool_ptcolor_clicked()
{
}

void MainWindow::on_tool_inptcolor_clicked()
{
}

void MainWindow::on_tool_logo_clicked()
{
}

void MainWindow::on_tool_fgimg_clicked()
{
}

void MainWindow::on_tool_bgimg_clicked()
{
}

void MainWindow::on_qrsizeSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_marginSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_codefontsizeSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_codespacSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_logoWidthSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_logoHeightSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_verSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_vsizeSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_vcodefontsizeSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_vcodespacSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_vverSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_tool_vbgimg_clicked()
{
}

void MainWindow::on_tool_vcodecolor_clicked()
{
}

void MainWindow::on_preview_vqrcode_clicked()
{
}

void MainWindow::on_vexportButton_clicked()
{
}

void MainWindow::on_vimportButton_clicked()
{
}

void MainWindow::on_resetVisualButton_clicked()
{
}

void MainWindow::on_bsizeSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_bverSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_blocksizeSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_balphaSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_bcodefontsizeSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_bcodespacSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_tool_bbgimg_clicked()
{
}

void MainWindow::on_tool_bptcolor_clicked()
{
}

void MainWindow::on_tool_binptcolor_clicked()
{
}

void MainWindow::on_tool_block_1_clicked()
{
}

void MainWindow::on_tool_block_0_clicked()
{
}

void MainWindow::on_tool_bbgcolor_clicked()
{
}

void MainWindow::on_tool_bcodecolor_clicked()
{
}

void MainWindow::on_preview_bqrcode_clicked()
{
}

void MainWindow::on_bexportButton_clicked()
{
}

void MainWindow::on_bimportButton_clicked()
{
}

void MainWindow::on_resetBsdButton_clicked()
{
}

void MainWindow::on_svg_sizeSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_svg_verSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_svg_blocksizeSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_svg_alphaSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_svg_codefontsizeSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_tool_svg_ptcolor_clicked()
{
}

void MainWindow::on_tool_svg_inptcolor_clicked()
{
}

void MainWindow::on_tool_svg_block_1_clicked()
{
}

void MainWindow::on_tool_svg_block_0_clicked()
{
}

void MainWindow::on_tool_svg_bgcolor_clicked()
{
}

void MainWindow::on_tool_svg_codecolor_clicked()
{
}

void MainWindow::on_preview_svg_qrcode_clicked()
{
}

void MainWindow::on_svg_exportButton_clicked()
{
}

void MainWindow::on_svg_importButton_clicked()
{
}

void MainWindow::on_resetSvgButton_clicked()
{
}

void MainWindow::on_lksizeSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_lkverSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_lkblocksizeSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_lkborsizeSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_lkalphaSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_lkcodefontsizeSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_lkcodespacSlider_valueChanged(int value)
{
    Q_UNUSED(value);
}

void MainWindow::on_tool_lk_color_clicked()
{
}

void MainWindow::on_tool_lkbgcolor_clicked()
{
}

void MainWindow::on_tool_lkbgimg_clicked()
{
}

void MainWindow::on_tool_lkcodecolor_clicked()
{
}

void MainWindow::on_preview_lkqrcode_clicked()
{
}

void MainWindow::on_lkexportButton_clicked()
{
}

void MainWindow::on_lkimportButton_clicked()
{
}

void MainWindow::on_resetLkButton_clicked()
{
}
