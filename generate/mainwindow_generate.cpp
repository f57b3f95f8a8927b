// Slots of the generation pages: style pages, single and batch generation,
// statistics.
#include "mainwindow.h"

#include "ui_mainwindow.h"

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

void MainWindow::on_qrenButton_clicked()
{
}

void MainWindow::on_saveQrcodeButton_clicked()
{
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

void MainWindow::on_save_setting_clicked()
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

void MainWindow::on_save_vsetting_clicked()
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

void MainWindow::on_save_bsetting_clicked()
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

void MainWindow::on_save_svg_setting_clicked()
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

void MainWindow::on_save_lksetting_clicked()
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
