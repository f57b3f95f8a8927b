// One style page of the main window, driven by its style's catalogue row:
// the five style pages are this class shown five times.
#ifndef VOPA_STYLEPAGE_H
#define VOPA_STYLEPAGE_H

#include "stylecatalogue.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QTextEdit;
class QSlider;
class QWidget;

class StylePage : public QObject
{
    Q_OBJECT

public:
    // Finds every widget the row names under `window` at once: a missing or
    // misspelt name stops the program here, never later at a click.
    StylePage(const StyleCatalogue::Style &style, QWidget *window, const QString &cacheDirPath);

    const StyleCatalogue::Style &style() const { return m_style; }
    QWidget *page() const { return m_page; }

    // The page's settings written as its record: "save" writes the style's
    // record file; "export" also the export staging file, with the image
    // fields replaced by their package names. False when a write failed.
    bool saveSetting(const QString &mode);
    // The save button: saves and tells the outcome.
    void save();

    // A slider of this page moved: its value label shows the value in the
    // slider's format.
    void showSliderValue(QSlider *slider, int value);
    // A colour button of this page: its field gets the colour the user picks.
    void pickColour(QAbstractButton *button);
    // An image button of this page: its field gets the picture the user
    // picks, and the button remembers the picture's folder.
    void pickImage(QAbstractButton *button);
    // Renders a code with the page's current values into the page's preview
    // file and shows it in a preview dialog with a "另存为" button.
    void preview();
    // The preview's picture area: `picture` itself while it and the button
    // under it fit on `screen` with a window's frame; else scaled down, its
    // aspect kept, until they do.
    static QSize previewArea(const QSize &picture, const QRect &screen);

    // The page became current: its widgets take the values of its saved
    // record; no record or an invalid one changes nothing.
    void load();
    // "还原": the widgets take the built-in values; nothing is written.
    void reset();
    // "导出": the page's settings, cover and pictures into a folder the user
    // chooses, as a style package.
    void exportPackage();
    // "导入": a package's settings file into the widgets, then a preview.
    void importPackage();

    // "另存为" of every preview dialog: copies the last successful preview to
    // a file the user names.
    static void saveLastPreview(QWidget *window, const QString &cacheDirPath);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct BoundField
    {
        const StyleCatalogue::Field *field;
        QWidget *widget;
    };
    struct BoundSlider
    {
        const StyleCatalogue::Slider *row;
        QSlider *slider;
        QLabel *label;
    };
    struct BoundPicker
    {
        QAbstractButton *button;
        QLineEdit *field;
        const StyleCatalogue::ImagePicker *image; // null for a colour picker
    };

    QJsonObject collect() const;
    // Sets a widget through its own setter, from a record value read by the
    // record reading rule.
    static void setField(const BoundField &bound, const QVariant &value);
    QWidget *fieldWidget(const char *key) const;
    bool isPictureKey(const char *key) const;
    const BoundPicker *picker(QAbstractButton *button) const;
    void keepWheelForScrolling();

    const StyleCatalogue::Style &m_style;
    QWidget *m_window;
    QString m_cacheDirPath;
    QWidget *m_page;
    QList<BoundField> m_fields;
    QList<BoundSlider> m_sliders;
    QList<BoundPicker> m_pickers;
    QAbstractButton *m_previewButton;
    QTextEdit *m_content;
};

// Asks where to save a copy of a code file, proposing `baseName` and the
// file's extension ("gif", "png" or "jpg"; "png" for any other), and copies
// it there byte for byte; a failed copy is told.
void saveCodeAs(QWidget *window, const QString &source, const QString &baseName);

#endif
