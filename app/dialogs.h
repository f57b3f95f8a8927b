// The standard dialogs the pages open (files, folders, colours), reached
// through replaceable providers so that tests can answer them without a
// modal loop. Without a provider the toolkit's own dialog is shown.
#ifndef VOPA_DIALOGS_H
#define VOPA_DIALOGS_H

#include <QColor>
#include <QString>

#include <functional>

class QWidget;

namespace Dialogs {

// Which dialog is asked, with what caption, start folder or colour and filter.
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

QString getOpenFileName(QWidget *parent, const QString &caption, const QString &directory, const QString &filter);
QString getSaveFileName(QWidget *parent, const QString &caption, const QString &directory, const QString &filter);
QString getExistingDirectory(QWidget *parent, const QString &caption, const QString &directory);
// An invalid colour when cancelled.
QColor getColor(const QColor &initial, QWidget *parent, const QString &caption);

} // namespace Dialogs

#endif
