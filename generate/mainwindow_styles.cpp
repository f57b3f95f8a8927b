// The slots of the five style pages, each handing its work to the page that
// owns the widget.
#include "mainwindow.h"

#include "stylepage.h"
#include "ui_mainwindow.h"

StylePage *MainWindow::stylePage(const char *key) const
{
    for (StylePage *page : stylePages)
        if (qstrcmp(page->style().key, key) == 0)
            return page;
    qFatal("no style page %s", key);
    return nullptr;
}

void MainWindow::setupStylePages()
{
    for (const StyleCatalogue::Style &style : StyleCatalogue::styles())
        stylePages.append(new StylePage(style, this, cacheDirPath));
}

bool MainWindow::saveProSetting(const QString &mode)
{
    return stylePage("pro")->saveSetting(mode);
}

bool MainWindow::saveVisualSetting(const QString &mode)
{
    return stylePage("visual")->saveSetting(mode);
}

bool MainWindow::saveBsdSetting(const QString &mode)
{
    return stylePage("bsd")->saveSetting(mode);
}

bool MainWindow::saveSvgSetting(const QString &mode)
{
    return stylePage("svg")->saveSetting(mode);
}

bool MainWindow::saveLunkuoSetting(const QString &mode)
{
    return stylePage("lunkuo")->saveSetting(mode);
}

void MainWindow::slot_preview_saveto()
{
    StylePage::saveLastPreview(this, cacheDirPath);
}

void MainWindow::on_save_setting_clicked()
{
    stylePage("pro")->save();
}

void MainWindow::on_preview_qrcode_clicked()
{
    stylePage("pro")->preview();
}

void MainWindow::on_exportButton_clicked()
{
    stylePage("pro")->exportPackage();
}

void MainWindow::on_importButton_clicked()
{
    stylePage("pro")->importPackage();
}

void MainWindow::on_resetProButton_clicked()
{
    stylePage("pro")->reset();
}

void MainWindow::on_tool_bgcolor_clicked()
{
    stylePage("pro")->pickColour(ui->tool_bgcolor);
}

void MainWindow::on_tool_fgcolor_clicked()
{
    stylePage("pro")->pickColour(ui->tool_fgcolor);
}

void MainWindow::on_tool_codecolor_clicked()
{
    stylePage("pro")->pickColour(ui->tool_codecolor);
}

void MainWindow::on_tool_ptcolor_clicked()
{
    stylePage("pro")->pickColour(ui->tool_ptcolor);
}

void MainWindow::on_tool_inptcolor_clicked()
{
    stylePage("pro")->pickColour(ui->tool_inptcolor);
}

void MainWindow::on_tool_logo_clicked()
{
    stylePage("pro")->pickImage(ui->tool_logo);
}

void MainWindow::on_tool_fgimg_clicked()
{
    stylePage("pro")->pickImage(ui->tool_fgimg);
}

void MainWindow::on_tool_bgimg_clicked()
{
    stylePage("pro")->pickImage(ui->tool_bgimg);
}

void MainWindow::on_qrsizeSlider_valueChanged(int value)
{
    stylePage("pro")->showSliderValue(ui->qrsizeSlider, value);
}

void MainWindow::on_marginSlider_valueChanged(int value)
{
    stylePage("pro")->showSliderValue(ui->marginSlider, value);
}

void MainWindow::on_codefontsizeSlider_valueChanged(int value)
{
    stylePage("pro")->showSliderValue(ui->codefontsizeSlider, value);
}

void MainWindow::on_codespacSlider_valueChanged(int value)
{
    stylePage("pro")->showSliderValue(ui->codespacSlider, value);
}

void MainWindow::on_logoWidthSlider_valueChanged(int value)
{
    stylePage("pro")->showSliderValue(ui->logoWidthSlider, value);
}

void MainWindow::on_logoHeightSlider_valueChanged(int value)
{
    stylePage("pro")->showSliderValue(ui->logoHeightSlider, value);
}

void MainWindow::on_verSlider_valueChanged(int value)
{
    stylePage("pro")->showSliderValue(ui->verSlider, value);
}

void MainWindow::on_vsizeSlider_valueChanged(int value)
{
    stylePage("visual")->showSliderValue(ui->vsizeSlider, value);
}

void MainWindow::on_vcodefontsizeSlider_valueChanged(int value)
{
    stylePage("visual")->showSliderValue(ui->vcodefontsizeSlider, value);
}

void MainWindow::on_vcodespacSlider_valueChanged(int value)
{
    stylePage("visual")->showSliderValue(ui->vcodespacSlider, value);
}

void MainWindow::on_vverSlider_valueChanged(int value)
{
    stylePage("visual")->showSliderValue(ui->vverSlider, value);
}

void MainWindow::on_tool_vbgimg_clicked()
{
    stylePage("visual")->pickImage(ui->tool_vbgimg);
}

void MainWindow::on_tool_vcodecolor_clicked()
{
    stylePage("visual")->pickColour(ui->tool_vcodecolor);
}

void MainWindow::on_preview_vqrcode_clicked()
{
    stylePage("visual")->preview();
}

void MainWindow::on_save_vsetting_clicked()
{
    stylePage("visual")->save();
}

void MainWindow::on_vexportButton_clicked()
{
    stylePage("visual")->exportPackage();
}

void MainWindow::on_vimportButton_clicked()
{
    stylePage("visual")->importPackage();
}

void MainWindow::on_resetVisualButton_clicked()
{
    stylePage("visual")->reset();
}

void MainWindow::on_bsizeSlider_valueChanged(int value)
{
    stylePage("bsd")->showSliderValue(ui->bsizeSlider, value);
}

void MainWindow::on_bverSlider_valueChanged(int value)
{
    stylePage("bsd")->showSliderValue(ui->bverSlider, value);
}

void MainWindow::on_blocksizeSlider_valueChanged(int value)
{
    stylePage("bsd")->showSliderValue(ui->blocksizeSlider, value);
}

void MainWindow::on_balphaSlider_valueChanged(int value)
{
    stylePage("bsd")->showSliderValue(ui->balphaSlider, value);
}

void MainWindow::on_bcodefontsizeSlider_valueChanged(int value)
{
    stylePage("bsd")->showSliderValue(ui->bcodefontsizeSlider, value);
}

void MainWindow::on_bcodespacSlider_valueChanged(int value)
{
    stylePage("bsd")->showSliderValue(ui->bcodespacSlider, value);
}

void MainWindow::on_tool_bbgimg_clicked()
{
    stylePage("bsd")->pickImage(ui->tool_bbgimg);
}

void MainWindow::on_tool_bptcolor_clicked()
{
    stylePage("bsd")->pickColour(ui->tool_bptcolor);
}

void MainWindow::on_tool_binptcolor_clicked()
{
    stylePage("bsd")->pickColour(ui->tool_binptcolor);
}

void MainWindow::on_tool_block_1_clicked()
{
    stylePage("bsd")->pickColour(ui->tool_block_1);
}

void MainWindow::on_tool_block_0_clicked()
{
    stylePage("bsd")->pickColour(ui->tool_block_0);
}

void MainWindow::on_tool_bbgcolor_clicked()
{
    stylePage("bsd")->pickColour(ui->tool_bbgcolor);
}

void MainWindow::on_tool_bcodecolor_clicked()
{
    stylePage("bsd")->pickColour(ui->tool_bcodecolor);
}

void MainWindow::on_preview_bqrcode_clicked()
{
    stylePage("bsd")->preview();
}

void MainWindow::on_save_bsetting_clicked()
{
    stylePage("bsd")->save();
}

void MainWindow::on_bexportButton_clicked()
{
    stylePage("bsd")->exportPackage();
}

void MainWindow::on_bimportButton_clicked()
{
    stylePage("bsd")->importPackage();
}

void MainWindow::on_resetBsdButton_clicked()
{
    stylePage("bsd")->reset();
}

void MainWindow::on_svg_sizeSlider_valueChanged(int value)
{
    stylePage("svg")->showSliderValue(ui->svg_sizeSlider, value);
}

void MainWindow::on_svg_verSlider_valueChanged(int value)
{
    stylePage("svg")->showSliderValue(ui->svg_verSlider, value);
}

void MainWindow::on_svg_blocksizeSlider_valueChanged(int value)
{
    stylePage("svg")->showSliderValue(ui->svg_blocksizeSlider, value);
}

void MainWindow::on_svg_alphaSlider_valueChanged(int value)
{
    stylePage("svg")->showSliderValue(ui->svg_alphaSlider, value);
}

void MainWindow::on_svg_codefontsizeSlider_valueChanged(int value)
{
    stylePage("svg")->showSliderValue(ui->svg_codefontsizeSlider, value);
}

void MainWindow::on_tool_svg_ptcolor_clicked()
{
    stylePage("svg")->pickColour(ui->tool_svg_ptcolor);
}

void MainWindow::on_tool_svg_inptcolor_clicked()
{
    stylePage("svg")->pickColour(ui->tool_svg_inptcolor);
}

void MainWindow::on_tool_svg_block_1_clicked()
{
    stylePage("svg")->pickColour(ui->tool_svg_block_1);
}

void MainWindow::on_tool_svg_block_0_clicked()
{
    stylePage("svg")->pickColour(ui->tool_svg_block_0);
}

void MainWindow::on_tool_svg_bgcolor_clicked()
{
    stylePage("svg")->pickColour(ui->tool_svg_bgcolor);
}

void MainWindow::on_tool_svg_codecolor_clicked()
{
    stylePage("svg")->pickColour(ui->tool_svg_codecolor);
}

void MainWindow::on_preview_svg_qrcode_clicked()
{
    stylePage("svg")->preview();
}

void MainWindow::on_save_svg_setting_clicked()
{
    stylePage("svg")->save();
}

void MainWindow::on_svg_exportButton_clicked()
{
    stylePage("svg")->exportPackage();
}

void MainWindow::on_svg_importButton_clicked()
{
    stylePage("svg")->importPackage();
}

void MainWindow::on_resetSvgButton_clicked()
{
    stylePage("svg")->reset();
}

void MainWindow::on_lksizeSlider_valueChanged(int value)
{
    stylePage("lunkuo")->showSliderValue(ui->lksizeSlider, value);
}

void MainWindow::on_lkverSlider_valueChanged(int value)
{
    stylePage("lunkuo")->showSliderValue(ui->lkverSlider, value);
}

void MainWindow::on_lkblocksizeSlider_valueChanged(int value)
{
    stylePage("lunkuo")->showSliderValue(ui->lkblocksizeSlider, value);
}

void MainWindow::on_lkborsizeSlider_valueChanged(int value)
{
    stylePage("lunkuo")->showSliderValue(ui->lkborsizeSlider, value);
}

void MainWindow::on_lkalphaSlider_valueChanged(int value)
{
    stylePage("lunkuo")->showSliderValue(ui->lkalphaSlider, value);
}

void MainWindow::on_lkcodefontsizeSlider_valueChanged(int value)
{
    stylePage("lunkuo")->showSliderValue(ui->lkcodefontsizeSlider, value);
}

void MainWindow::on_lkcodespacSlider_valueChanged(int value)
{
    stylePage("lunkuo")->showSliderValue(ui->lkcodespacSlider, value);
}

void MainWindow::on_tool_lk_color_clicked()
{
    stylePage("lunkuo")->pickColour(ui->tool_lk_color);
}

void MainWindow::on_tool_lkbgcolor_clicked()
{
    stylePage("lunkuo")->pickColour(ui->tool_lkbgcolor);
}

void MainWindow::on_tool_lkbgimg_clicked()
{
    stylePage("lunkuo")->pickImage(ui->tool_lkbgimg);
}

void MainWindow::on_tool_lkcodecolor_clicked()
{
    stylePage("lunkuo")->pickColour(ui->tool_lkcodecolor);
}

void MainWindow::on_preview_lkqrcode_clicked()
{
    stylePage("lunkuo")->preview();
}

void MainWindow::on_save_lksetting_clicked()
{
    stylePage("lunkuo")->save();
}

void MainWindow::on_lkexportButton_clicked()
{
    stylePage("lunkuo")->exportPackage();
}

void MainWindow::on_lkimportButton_clicked()
{
    stylePage("lunkuo")->importPackage();
}

void MainWindow::on_resetLkButton_clicked()
{
    stylePage("lunkuo")->reset();
}
