// The standard dialogs the pages open (files, folders, colours), reached
// through a replaceable provider so that tests can answer them without a
// modal loop. Without a provider the toolkit's own dialog is shown.
#ifndef VOPA_DIALOGS_H
#define VOPA_DIALOGS_H

#include <QColor>
#include <QRect>
#include <QString>

#include <functional>

class QWidget;

namespace Dialogs {

// Which dialog is asked, with what caption, start folder or proposed name,
// filter or start colour.
struct Request
{
    enum Kind { OpenFile, SaveFile, ExistingDirectory, Color } kind;
    QString caption;
    QString directory;
    QString filter;
    QColor color;
};

// Answers a request: a path (empty when cancelled) or, for a colour, its
// "#rrggbb" name (empty when cancelled).
using Provider = std::function<QString(const Request &request)>;
void setProvider(Provider provider);

// Where a dialog starts when nothing is remembered: the user's pictures
// folder, or the home folder when there is none.
QString picturesFolder();

// A file or folder dialog starts in `directory`, or in picturesFolder() when
// it is empty; a proposed name without a folder is proposed there. The
// request a provider sees holds that start.
//
// Open-file and folder dialogs are parented to a hidden dialog of `window`,
// made for the one question and released after it, so that they stay modal
// over the window without taking its place in the task bar.
QString getOpenFileName(QWidget *window, const QString &caption, const QString &directory, const QString &filter);
// Folders only, symbolic links left as they are.
QString getExistingDirectory(QWidget *window, const QString &caption, const QString &directory);
// Parented to the window itself; the toolkit asks before replacing a file.
QString getSaveFileName(QWidget *window, const QString &caption, const QString &proposed, const QString &filter);
// No parent, no alpha channel; an invalid colour when cancelled.
QColor getColor(const QColor &initial);

// The part of the screen a window of `window` may take (the screen the
// window is on, less panels and docks), or the area tests set instead; an
// empty area sets the screen's back.
QRect availableArea(const QWidget *window);
void setAvailableArea(const QRect &area);

} // namespace Dialogs

#endif
