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
#include "stylerecord.h"
#include "ui_mainwindow.h"
#include "visualqr.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QImageReader>
#include <QJsonObject>
#include <QLineEdit>
#include <QMovie>
#include <QSlider>

namespace {

// Where each key of a style's record is read from on its page.
enum class Source { Slider, Combo, Text, IntegerText, Check, SliderAsReal };

struct RecordKey
{
    const char *key;
    Source source;
    const char *widget;
};

const QList<RecordKey> &recordKeys(const QString &style)
{
    static const QList<RecordKey> pro = {
        {"qr_size", Source::Slider, "qrsizeSlider"},          {"qr_version", Source::Slider, "verSlider"},
        {"qr_level", Source::Combo, "select_level"},          {"qr_xt", Source::Combo, "select_xt"},
        {"qr_margin", Source::Slider, "marginSlider"},        {"qr_bgcolor", Source::Text, "input_bgcolor"},
        {"qr_fgcolor", Source::Text, "input_fgcolor"},        {"qr_istran", Source::Check, "checkBox_istran"},
        {"qr_ptcolor", Source::Text, "input_ptcolor"},        {"qr_inptcolor", Source::Text, "input_inptcolor"},
        {"qr_logo", Source::Text, "input_logo"},              {"qr_isbor", Source::Check, "checkBox_isbor"},
        {"qr_logo_width", Source::Slider, "logoWidthSlider"}, {"qr_logo_height", Source::Slider, "logoHeightSlider"},
        {"qr_fgimg", Source::Text, "input_fgimg"},            {"qr_bgimg", Source::Text, "input_bgimg"},
        {"qr_bgx", Source::IntegerText, "input_bgx"},         {"qr_bgy", Source::IntegerText, "input_bgy"},
        {"qr_codecolor", Source::Text, "input_codecolor"},    {"qr_iscode", Source::Check, "checkBox_iscode"},
        {"qr_codefontsize", Source::Slider, "codefontsizeSlider"},
        {"qr_codespac", Source::Slider, "codespacSlider"},
    };
    static const QList<RecordKey> visual = {
        {"qr_size", Source::Slider, "vsizeSlider"},           {"qr_version", Source::Slider, "vverSlider"},
        {"qr_level", Source::Combo, "select_vlevel"},         {"qr_xt", Source::Combo, "select_vxt"},
        {"qr_xtitem", Source::Combo, "select_vitem"},         {"qr_bgimg", Source::Text, "input_vbgimg"},
        {"qr_bgx", Source::IntegerText, "input_vbgx"},        {"qr_bgy", Source::IntegerText, "input_vbgy"},
        {"qr_codecolor", Source::Text, "input_vcodecolor"},   {"qr_iscode", Source::Check, "checkBox_viscode"},
        {"qr_codefontsize", Source::Slider, "vcodefontsizeSlider"},
        {"qr_codespac", Source::Slider, "vcodespacSlider"},
    };
    static const QList<RecordKey> bsd = {
        {"qr_size", Source::Slider, "bsizeSlider"},           {"qr_version", Source::Slider, "bverSlider"},
        {"qr_level", Source::Combo, "select_blevel"},         {"qr_xt", Source::Combo, "select_bxt"},
        {"qr_xtitem", Source::Combo, "select_bitem"},         {"qr_bgcolor", Source::Text, "input_bbgcolor"},
        {"qr_ptcolor", Source::Text, "input_bptcolor"},       {"qr_inptcolor", Source::Text, "input_binptcolor"},
        {"qr_bgimg", Source::Text, "input_bbgimg"},           {"qr_bgx", Source::IntegerText, "input_bbgx"},
        {"qr_bgy", Source::IntegerText, "input_bbgy"},        {"qr_codecolor", Source::Text, "input_bcodecolor"},
        {"qr_iscode", Source::Check, "checkBox_biscode"},     {"qr_codefontsize", Source::Slider, "bcodefontsizeSlider"},
        {"qr_codespac", Source::Slider, "bcodespacSlider"},   {"qr_isplus", Source::Check, "checkBox_bisplus"},
        {"qr_blocksize", Source::Slider, "blocksizeSlider"},  {"qr_block_1", Source::Text, "input_block_1"},
        {"qr_block_0", Source::Text, "input_block_0"},        {"qr_balpha", Source::SliderAsReal, "balphaSlider"},
    };
    static const QList<RecordKey> svg = {
        {"qr_size", Source::Slider, "svg_sizeSlider"},        {"qr_version", Source::Slider, "svg_verSlider"},
        {"qr_level", Source::Combo, "svg_level"},             {"qr_xt", Source::Combo, "svg_xt"},
        {"qr_xtitem", Source::Combo, "svg_item"},             {"qr_bgcolor", Source::Text, "svg_bgcolor"},
        {"qr_ptcolor", Source::Text, "svg_ptcolor"},          {"qr_inptcolor", Source::Text, "svg_inptcolor"},
        {"qr_codecolor", Source::Text, "svg_codecolor"},      {"qr_iscode", Source::Check, "checkBox_svg_iscode"},
        {"qr_codefontsize", Source::Slider, "svg_codefontsizeSlider"},
        {"qr_isplus", Source::Check, "checkBox_svg_isplus"},  {"qr_blocksize", Source::Slider, "svg_blocksizeSlider"},
        {"qr_block_1", Source::Text, "svg_block_1"},          {"qr_block_0", Source::Text, "svg_block_0"},
        {"qr_balpha", Source::SliderAsReal, "svg_alphaSlider"},
        {"qr_ispdf", Source::Check, "checkBox_svg_ispdf"},
    };
    static const QList<RecordKey> lunkuo = {
        {"qr_size", Source::Slider, "lksizeSlider"},          {"qr_version", Source::Slider, "lkverSlider"},
        {"qr_level", Source::Combo, "select_lklevel"},        {"qr_xt", Source::Combo, "select_lkxt"},
        {"qr_xtitem", Source::Combo, "select_lkitem"},        {"qr_bgcolor", Source::Text, "input_lkbgcolor"},
        {"qr_bgimg", Source::Text, "input_lkbgimg"},          {"qr_bgx", Source::IntegerText, "input_lkbgx"},
        {"qr_bgy", Source::IntegerText, "input_lkbgy"},       {"qr_codecolor", Source::Text, "input_lkcodecolor"},
        {"qr_iscode", Source::Check, "checkBox_lkiscode"},    {"qr_codefontsize", Source::Slider, "lkcodefontsizeSlider"},
        {"qr_codespac", Source::Slider, "lkcodespacSlider"},  {"qr_blocksize", Source::Slider, "lkblocksizeSlider"},
        {"qr_balpha", Source::SliderAsReal, "lkalphaSlider"}, {"qr_lkborsize", Source::Slider, "lkborsizeSlider"},
        {"qr_lk_color", Source::Text, "input_lk_color"},
    };
    if (style == QLatin1String("visual")) return visual;
    if (style == QLatin1String("bsd")) return bsd;
    if (style == QLatin1String("svg")) return svg;
    if (style == QLatin1String("lunkuo")) return lunkuo;
    return pro;
}

// The image keys of a style and the package names they take in an export.
QList<QPair<QString, QString>> packageImageKeys(const QString &style, const QString &background)
{
    const QString bg = QStringLiteral("vopa_bgimg.") + StyleRecord::imageExtension(background);
    if (style == QLatin1String("pro"))
        return {{"qr_logo", "vopa_logo.png"}, {"qr_fgimg", "vopa_fgimg.png"}, {"qr_bgimg", bg}};
    if (style == QLatin1String("svg"))
        return {};
    return {{"qr_bgimg", bg}};
}

} // namespace

bool MainWindow::saveStyleSetting(const QString &style, const QString &mode)
{
    // Every widget is read before anything is written.
    QJsonObject record;
    for (const RecordKey &entry : recordKeys(style)) {
        QWidget *widget = findChild<QWidget *>(QLatin1String(entry.widget));
        QJsonValue value;
        switch (entry.source) {
        case Source::Slider: value = qobject_cast<QSlider *>(widget)->value(); break;
        case Source::SliderAsReal: value = double(qobject_cast<QSlider *>(widget)->value()); break;
        case Source::Combo: value = qobject_cast<QComboBox *>(widget)->currentIndex(); break;
        case Source::Text: value = qobject_cast<QLineEdit *>(widget)->text(); break;
        case Source::IntegerText:
            value = StyleRecord::integerFromText(qobject_cast<QLineEdit *>(widget)->text());
            break;
        case Source::Check: value = qobject_cast<QCheckBox *>(widget)->isChecked(); break;
        }
        record.insert(QLatin1String(entry.key), value);
    }
    record.insert(QStringLiteral("version"), QString::fromLatin1(kProgramVersion));
    record.insert(QStringLiteral("style_type"), style);

    const QString cachePath = cacheDirPath + QLatin1Char('/') + StyleRecord::cacheFileName(style);
    if (mode == QLatin1String("save"))
        return writeTextFile(cachePath, StyleRecord::serialise(record), false);
    if (mode != QLatin1String("export"))
        return false;
    if (!writeTextFile(cachePath, StyleRecord::serialise(record), false))
        return false;
    const QString background = record.value(QStringLiteral("qr_bgimg")).toString();
    for (const auto &image : packageImageKeys(style, background)) {
        const bool set = !record.value(image.first).toString().isEmpty();
        record.insert(image.first, set ? image.second : QString());
    }
    return writeTextFile(cacheDirPath + QLatin1Char('/') + StyleRecord::exportFileName(style),
                         StyleRecord::serialise(record), false);
}

bool MainWindow::saveProSetting(const QString &mode)
{
    return saveStyleSetting(QStringLiteral("pro"), mode);
}

bool MainWindow::saveVisualSetting(const QString &mode)
{
    return saveStyleSetting(QStringLiteral("visual"), mode);
}

bool MainWindow::saveBsdSetting(const QString &mode)
{
    return saveStyleSetting(QStringLiteral("bsd"), mode);
}

bool MainWindow::saveSvgSetting(const QString &mode)
{
    return saveStyleSetting(QStringLiteral("svg"), mode);
}

bool MainWindow::saveLunkuoSetting(const QString &mode)
{
    return saveStyleSetting(QStringLiteral("lunkuo"), mode);
}

namespace {

void reportSave(bool saved)
{
    showMessage(saved ? QStringLiteral("保存成功") : QStringLiteral("保存失败，请重试"));
}

} // namespace

void MainWindow::on_save_setting_clicked()
{
    reportSave(saveProSetting(QStringLiteral("save")));
}

void MainWindow::on_save_vsetting_clicked()
{
    reportSave(saveVisualSetting(QStringLiteral("save")));
}

void MainWindow::on_save_bsetting_clicked()
{
    reportSave(saveBsdSetting(QStringLiteral("save")));
}

void MainWindow::on_save_svg_setting_clicked()
{
    reportSave(saveSvgSetting(QStringLiteral("save")));
}

void MainWindow::on_save_lksetting_clicked()
{
    reportSave(saveLunkuoSetting(QStringLiteral("save")));
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
    const Filling::Settings settings = Filling::Settings::fromRecord(
        StyleRecord::readFile(cacheDirPath + QLatin1Char('/') + StyleRecord::cacheFileName(style)), style,
        Filling::Caller::SingleGenerate);
    const QByteArray content = ui->qrcodeText->toPlainText().toUtf8();
    const QString caption = ui->input_codestr->text();
    const QString extension = Filling::outputExtension(settings);
    const QString path = cacheDirPath + QStringLiteral("/qrencode.") + extension;

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
        source = cacheDirPath + QStringLiteral("/qrencode.png");
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
