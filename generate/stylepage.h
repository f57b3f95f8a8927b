// One style page of the main window, driven by its style's catalogue row:
// the five style pages are this class shown five times.
#ifndef VOPA_STYLEPAGE_H
#define VOPA_STYLEPAGE_H

#include "stylecatalogue.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>

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

private:
    struct BoundField
    {
        const StyleCatalogue::Field *field;
        QWidget *widget;
    };

    QJsonObject collect() const;

    const StyleCatalogue::Style &m_style;
    QWidget *m_window;
    QString m_cacheDirPath;
    QWidget *m_page;
    QList<BoundField> m_fields;
};

#endif
