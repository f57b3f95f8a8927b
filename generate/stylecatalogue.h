// The five style pages as data: for each style its files, its page and
// buttons, the record keys with the widgets that hold them and their reset
// values, the sliders with their value labels, the colour and image pickers.
// The style page, the records, generation and the style packages all walk
// these rows, so the lists cannot drift apart.
#ifndef VOPA_STYLECATALOGUE_H
#define VOPA_STYLECATALOGUE_H

#include <QList>
#include <QString>
#include <QVariant>

namespace StyleCatalogue {

// How a record key is held on its page.
enum class Kind {
    Slider,      // QSlider value
    Combo,       // QComboBox current index
    Text,        // QLineEdit text, kept as typed
    IntegerText, // QLineEdit text, saved as a whole number and loaded as text
    Check,       // QCheckBox state
};

struct Field
{
    const char *key;    // "qr_size"
    Kind kind;
    const char *widget; // "qrsizeSlider"
    QVariant reset;     // what "还原" sets
};

// A slider and the label beside it. `format` holds %1 for the value; null
// for the version sliders, which show "自动" at 0 and "版本%1" otherwise.
struct Slider
{
    const char *slider;
    const char *label;
    const char *format;
};

struct ColourPicker
{
    const char *button;
    const char *field;
};

// An image field with its file button. In a style package the image is
// stored as `packageName`, or for the background as "vopa_bgimg." plus the
// background's extension (null here).
struct ImagePicker
{
    const char *button;
    const char *field;
    const char *key;
    const char *caption;       // the file dialog's caption
    const char *folderFile;    // remembered folder of the button
    const char *packageName;
    const char *exportFailure; // appended to the export's message when its copy fails
};

struct Style
{
    const char *key;          // "pro", "visual", "bsd", "svg", "lunkuo"
    int buttonId;             // the style's id in the generation pages' button groups
    const char *page;         // the tab page
    const char *recordFile;   // the style's settings record
    const char *exportFile;   // the record as a package stores it
    const char *packageFile;  // the record's name in a style package
    const char *previewFile;  // preview image, before "." and its extension
    const char *exportFolderFile;
    const char *importFolderFile;
    const char *previewButton;
    const char *saveButton;
    const char *exportButton;
    const char *importButton;
    const char *resetButton;
    QList<Field> fields;
    QList<Slider> sliders;
    QList<ColourPicker> colours;
    QList<ImagePicker> images; // in package order: background, logo, foreground
};

// The five styles in the order of their pages' tabs: standard, visual, tone,
// contour, vector.
const QList<Style> &styles();
// The style of a key, null for an unknown key.
const Style *find(const QString &key);
// The style of a generation page's style button, null for an unknown id.
const Style *findByButton(int id);

} // namespace StyleCatalogue

#endif
