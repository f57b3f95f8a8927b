#include "stylepage.h"

#include "helpers.h"
#include "statefiles.h"
#include "stylerecord.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

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
    for (const StyleCatalogue::Slider &slider : style.sliders) {
        requireWidget(window, slider.slider, "QSlider");
        requireWidget(window, slider.label, "QLabel");
    }
    for (const StyleCatalogue::ColourPicker &picker : style.colours) {
        requireWidget(window, picker.button, "QAbstractButton");
        requireWidget(window, picker.field, "QLineEdit");
    }
    for (const StyleCatalogue::ImagePicker &picker : style.images) {
        requireWidget(window, picker.button, "QAbstractButton");
        requireWidget(window, picker.field, "QLineEdit");
    }
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
