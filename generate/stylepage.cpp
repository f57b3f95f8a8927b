#include "stylepage.h"

#include "codelabel.h"
#include "dialogs.h"
#include "helpers.h"
#include "rasteroutput.h"
#include "rendererfill.h"
#include "statefiles.h"
#include "stylepackage.h"
#include "stylerecord.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDialog>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QtDebug>

using StyleCatalogue::Kind;

namespace {

QWidget *requireWidget(QWidget *window, const char *name, const char *className)
{
    QWidget *widget = window->findChild<QWidget *>(QLatin1String(name));
    if (!widget || !widget->inherits(className))
        qFatal("style page: no %s named %s", className, name);
    return widget;
}

const char *widgetClass(Kind kind)
{
    switch (kind) {
    case Kind::Slider: return "QSlider";
    case Kind::Combo: return "QComboBox";
    case Kind::Check: return "QCheckBox";
    case Kind::Text:
    case Kind::IntegerText: break;
    }
    return "QLineEdit";
}

// What a preview encodes when the single-generate page has no text.
const char kSampleContent[] = "https://m.vopa.example/?test=pc";
const char kPreviewCaption[] = "vopa-123456789";

QString sliderText(const StyleCatalogue::Slider &row, int value)
{
    if (row.format)
        return QString::fromUtf8(row.format).arg(value);
    return value == 0 ? QStringLiteral("自动") : QStringLiteral("版本%1").arg(value);
}

} // namespace

StylePage::StylePage(const StyleCatalogue::Style &style, QWidget *window, const QString &cacheDirPath)
    : QObject(window), m_style(style), m_window(window), m_cacheDirPath(cacheDirPath),
      m_page(requireWidget(window, style.page, "QWidget"))
{
    for (const StyleCatalogue::Field &field : style.fields)
        m_fields.append({&field, requireWidget(window, field.widget, widgetClass(field.kind))});
    for (const char *button : {style.previewButton, style.saveButton, style.exportButton, style.importButton,
                               style.resetButton})
        requireWidget(window, button, "QAbstractButton");
    for (const StyleCatalogue::Slider &slider : style.sliders)
        m_sliders.append({&slider, static_cast<QSlider *>(requireWidget(window, slider.slider, "QSlider")),
                          static_cast<QLabel *>(requireWidget(window, slider.label, "QLabel"))});
    for (const StyleCatalogue::ColourPicker &picker : style.colours)
        m_pickers.append({static_cast<QAbstractButton *>(requireWidget(window, picker.button, "QAbstractButton")),
                          static_cast<QLineEdit *>(requireWidget(window, picker.field, "QLineEdit")), nullptr});
    for (const StyleCatalogue::ImagePicker &picker : style.images)
        m_pickers.append({static_cast<QAbstractButton *>(requireWidget(window, picker.button, "QAbstractButton")),
                          static_cast<QLineEdit *>(requireWidget(window, picker.field, "QLineEdit")), &picker});
    m_previewButton = static_cast<QAbstractButton *>(requireWidget(window, style.previewButton, "QAbstractButton"));
    m_content = static_cast<QTextEdit *>(requireWidget(window, "qrcodeText", "QTextEdit"));
    // What the preview dialog is sized from.
    for (const char *key : {"qr_size", "qr_codefontsize", "qr_iscode"})
        if (!fieldWidget(key))
            qFatal("style page: %s has no %s", style.key, key);
    keepWheelForScrolling();
}

QWidget *StylePage::fieldWidget(const char *key) const
{
    for (const BoundField &bound : m_fields)
        if (qstrcmp(bound.field->key, key) == 0)
            return bound.widget;
    return nullptr;
}

// A page is scrolled with the wheel: a slider or a list that the pointer
// passes over must not change a setting on the way. They take the wheel only
// once they have focus (a click or Tab gives it).
void StylePage::keepWheelForScrolling()
{
    QList<QWidget *> controls;
    for (QSlider *slider : m_page->findChildren<QSlider *>())
        controls.append(slider);
    for (QComboBox *combo : m_page->findChildren<QComboBox *>())
        controls.append(combo);
    for (QWidget *control : controls) {
        control->setFocusPolicy(Qt::StrongFocus);
        control->installEventFilter(this);
    }
}

bool StylePage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel && !static_cast<QWidget *>(watched)->hasFocus()) {
        // Ignored, so that it travels on to the scroll area.
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

QJsonObject StylePage::collect() const
{
    // Every widget is read before anything is written.
    QJsonObject record;
    for (const BoundField &bound : m_fields) {
        QJsonValue value;
        switch (bound.field->kind) {
        case Kind::Slider: value = static_cast<QSlider *>(bound.widget)->value(); break;
        case Kind::Combo: value = static_cast<QComboBox *>(bound.widget)->currentIndex(); break;
        case Kind::Text: value = static_cast<QLineEdit *>(bound.widget)->text(); break;
        case Kind::IntegerText:
            value = StyleRecord::integerFromText(static_cast<QLineEdit *>(bound.widget)->text());
            break;
        case Kind::Check: value = static_cast<QCheckBox *>(bound.widget)->isChecked(); break;
        }
        record.insert(QLatin1String(bound.field->key), value);
    }
    record.insert(QStringLiteral("version"), QString::fromLatin1(kProgramVersion));
    record.insert(QStringLiteral("style_type"), QString::fromLatin1(m_style.key));
    return record;
}

bool StylePage::saveSetting(const QString &mode)
{
    const bool exporting = mode == QLatin1String("export");
    if (mode != QLatin1String("save") && !exporting)
        return false;
    QJsonObject record = collect();
    if (!writeStateFile(m_cacheDirPath, QLatin1String(m_style.recordFile), StyleRecord::serialise(record)))
        return false;
    if (!exporting)
        return true;
    // A package names its pictures by fixed names beside the record.
    const QString backgroundName = QStringLiteral("vopa_bgimg.")
                                   + StyleRecord::imageExtension(record.value(QStringLiteral("qr_bgimg")).toString());
    for (const StyleCatalogue::ImagePicker &image : m_style.images) {
        const QString key = QLatin1String(image.key);
        const QString name = image.packageName ? QString::fromUtf8(image.packageName) : backgroundName;
        record.insert(key, record.value(key).toString().isEmpty() ? QString() : name);
    }
    return writeStateFile(m_cacheDirPath, QLatin1String(m_style.exportFile), StyleRecord::serialise(record));
}

void StylePage::save()
{
    showMessage(saveSetting(QStringLiteral("save")) ? QStringLiteral("保存成功") : QStringLiteral("保存失败，请重试"));
}

void StylePage::showSliderValue(QSlider *slider, int value)
{
    for (const BoundSlider &bound : m_sliders)
        if (bound.slider == slider)
            bound.label->setText(sliderText(*bound.row, value));
}

const StylePage::BoundPicker *StylePage::picker(QAbstractButton *button) const
{
    for (const BoundPicker &bound : m_pickers)
        if (bound.button == button)
            return &bound;
    return nullptr;
}

void StylePage::pickColour(QAbstractButton *button)
{
    const BoundPicker *bound = picker(button);
    if (!bound || bound->image)
        return;
    const QString text = bound->field->text();
    // A text that names no colour starts the dialog on an invalid colour.
    QColor start(Qt::black);
    if (!text.isEmpty())
        start.setNamedColor(text);
    const QColor chosen = Dialogs::getColor(start);
    if (chosen.isValid())
        bound->field->setText(chosen.name());
}

void StylePage::pickImage(QAbstractButton *button)
{
    const BoundPicker *bound = picker(button);
    if (!bound || !bound->image)
        return;
    const QString folderFile = QString::fromLatin1(bound->image->folderFile);
    const QString file = Dialogs::getOpenFileName(m_window, QString::fromUtf8(bound->image->caption),
                                                  readStateFile(m_cacheDirPath, folderFile),
                                                  QStringLiteral("Image Files(*.png *.gif *.jpg *.jpeg)"));
    if (file.isEmpty())
        return;
    rememberFileFolder(m_cacheDirPath, folderFile, file);
    bound->field->setText(file);
}

QSize StylePage::previewArea(const QSize &picture, const QRect &screen)
{
    // What a window manager adds around a dialog: a title bar and a frame.
    const QSize room = screen.size() - QSize(16, 48);
    if (screen.isEmpty() || (picture.width() <= room.width() && picture.height() + 40 <= room.height()))
        return picture;
    return picture.scaled(qMax(1, room.width()), qMax(1, room.height() - 40), Qt::KeepAspectRatio);
}

void StylePage::preview()
{
    m_previewButton->setEnabled(false);
    const QJsonObject values = collect();

    // The picture area, from the sliders as they stand or from a background
    // that loads.
    int width = static_cast<QSlider *>(fieldWidget("qr_size"))->value();
    int height = width;
    if (static_cast<QCheckBox *>(fieldWidget("qr_iscode"))->isChecked())
        height += 2 * static_cast<QSlider *>(fieldWidget("qr_codefontsize"))->value();
    const QString background = values.value(QStringLiteral("qr_bgimg")).toString();
    QImage backgroundPicture;
    if (!background.isEmpty() && RasterOutput::loadImage(background, &backgroundPicture)) {
        width = backgroundPicture.width();
        height = backgroundPicture.height();
    }
    backgroundPicture = QImage();
    // On a screen too small for that (a large background, say), the picture
    // is scaled down so that the button under it stays within reach.
    const QSize shown = previewArea(QSize(width, height), Dialogs::availableArea(m_window));
    const bool scaled = shown != QSize(width, height);

    // Application-modal and released when closed, with the movie it shows.
    auto *dialog = new QDialog(m_window, Qt::Dialog);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setWindowTitle(QStringLiteral("预览二维码"));
    dialog->resize(shown.width(), shown.height() + 40);

    const QString text = m_content->toPlainText();
    const QByteArray content = text.isEmpty() ? QByteArray(kSampleContent) : text.toUtf8();
    const QString key = QString::fromLatin1(m_style.key);
    const Filling::Settings settings = Filling::Settings::fromValues(values.toVariantMap());
    const QString extension = Filling::outputExtension(key, settings, Filling::Caller::Preview);
    const QString path =
        stateFilePath(m_cacheDirPath, QString::fromLatin1(m_style.previewFile) + QLatin1Char('.') + extension);

    auto *label = new QLabel(dialog);
    bool created = Filling::renderCode(key, settings, content, QString::fromLatin1(kPreviewCaption),
                                       Filling::Caller::Preview, path);
    if (created && (key == QLatin1String("svg") || (key == QLatin1String("bsd") && extension != QLatin1String("gif"))))
        qDebug().noquote() << path;
    created = created && showCodeFile(label, path, scaled ? shown : QSize());
    if (created)
        writeStateFile(m_cacheDirPath, StateFile::LastPreview, path);
    else
        label->setText(QStringLiteral("生成二维码失败，请重试"));
    label->adjustSize();

    auto *saveAs = new QPushButton(QStringLiteral("另存为"), dialog);
    saveAs->setGeometry(0, shown.height(), shown.width(), 40);
    connect(saveAs, SIGNAL(clicked()), m_window, SLOT(slot_preview_saveto()), Qt::DirectConnection);

    dialog->show();
    m_previewButton->setEnabled(true);
}

void StylePage::saveLastPreview(QWidget *window, const QString &cacheDirPath)
{
    const QString source = readStateFile(cacheDirPath, StateFile::LastPreview);
    if (source.isEmpty()) {
        showMessage(QStringLiteral("预览图无效，请重试"));
        return;
    }
    saveCodeAs(window, source, QStringLiteral("vopa_qrcode_") + QDate::currentDate().toString("yyyy_MM_dd"));
}

void saveCodeAs(QWidget *window, const QString &source, const QString &baseName)
{
    QString extension = fileSuffix(source);
    if (extension != QLatin1String("gif") && extension != QLatin1String("png") && extension != QLatin1String("jpg"))
        extension = QStringLiteral("png");
    const QString target = Dialogs::getSaveFileName(
        window, QCoreApplication::translate("MainWindow", "图片另存为"), baseName + QLatin1Char('.') + extension,
        QCoreApplication::translate("MainWindow", "Images (*.png *.gif *.jpg)"));
    if (target.isEmpty())
        return;
    // Byte for byte: the chosen name's suffix converts nothing.
    if (!copyFile(source, target))
        showMessage(QStringLiteral("保存失败，请重试"));
}

void StylePage::setField(const BoundField &bound, const QVariant &value)
{
    switch (bound.field->kind) {
    case Kind::Slider: static_cast<QSlider *>(bound.widget)->setValue(StyleRecord::integerOf(value)); break;
    case Kind::Combo: static_cast<QComboBox *>(bound.widget)->setCurrentIndex(StyleRecord::integerOf(value)); break;
    // Coordinates too go in as text: a number as its decimal text.
    case Kind::Text:
    case Kind::IntegerText: static_cast<QLineEdit *>(bound.widget)->setText(value.toString()); break;
    case Kind::Check: static_cast<QCheckBox *>(bound.widget)->setChecked(value.toBool()); break;
    }
}

void StylePage::load()
{
    const StyleRecord::Read record =
        StyleRecord::readFile(stateFilePath(m_cacheDirPath, QLatin1String(m_style.recordFile)));
    if (!record.valid)
        return;
    for (const BoundField &bound : m_fields)
        setField(bound, record.values.value(QLatin1String(bound.field->key)));
}

void StylePage::reset()
{
    for (const BoundField &bound : m_fields)
        setField(bound, bound.field->reset);
}

void StylePage::exportPackage()
{
    const QString folderFile = QLatin1String(m_style.exportFolderFile);
    const QString folder = Dialogs::getExistingDirectory(
        m_window, QCoreApplication::translate("MainWindow", "导出到"), readStateFile(m_cacheDirPath, folderFile));
    if (folder.isEmpty())
        return;
    writeStateFile(m_cacheDirPath, folderFile, folder);
    if (!saveSetting(QStringLiteral("export"))) {
        showMessage(QStringLiteral("保存设置时失败，请重试"));
        return;
    }
    QMap<QString, QString> pictures;
    for (const BoundPicker &bound : m_pickers)
        if (bound.image)
            pictures.insert(QLatin1String(bound.image->key), bound.field->text());
    const QString failures =
        StylePackage::writePackage(StylePackage::exportCopies(m_style, m_cacheDirPath, pictures), folder);
    showMessage(failures.isEmpty() ? QStringLiteral("导出成功") : failures);
}

void StylePage::importPackage()
{
    const QString folderFile = QLatin1String(m_style.importFolderFile);
    const QString file = Dialogs::getOpenFileName(
        m_window, QCoreApplication::translate("MainWindow", "json样式文件"), readStateFile(m_cacheDirPath, folderFile),
        QCoreApplication::translate("MainWindow", "Image Files(*.json)"));
    if (file.isEmpty())
        return;
    rememberFileFolder(m_cacheDirPath, folderFile, file, false);
    const StylePackage::Settings settings = StylePackage::readSettings(file);
    if (!settings.error.isEmpty()) {
        showMessage(settings.error);
        return;
    }
    // The pictures a package names lie beside its settings file. The standard
    // page takes every picture name; the other pages keep their background
    // when the package names none.
    const QString folder = QFileInfo(file).absolutePath();
    const bool keepUnnamedPictures = qstrcmp(m_style.key, "pro") != 0;
    for (const BoundField &bound : m_fields) {
        const QVariant value = settings.values.value(QLatin1String(bound.field->key));
        if (!isPictureKey(bound.field->key)) {
            setField(bound, value);
            continue;
        }
        const QString path = StylePackage::picturePath(folder, value.toString());
        if (!path.isEmpty() || !keepUnnamedPictures)
            setField(bound, path);
    }
    m_previewButton->click();
}

bool StylePage::isPictureKey(const char *key) const
{
    for (const StyleCatalogue::ImagePicker &image : m_style.images)
        if (qstrcmp(image.key, key) == 0)
            return true;
    return false;
}
