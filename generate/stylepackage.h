// Style packages: a folder holding a style's settings file, the cover (the
// page's last preview) and the pictures the settings name, each under a fixed
// name. Written by a style page's export, read by its import.
#ifndef VOPA_STYLEPACKAGE_H
#define VOPA_STYLEPACKAGE_H

#include "stylecatalogue.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QVariantMap>

namespace StylePackage {

// One file of a package: where it is copied from, its name in the package,
// and what the export says when the copy fails.
struct Copy
{
    QString source;
    QString name;
    QString failure;
};

// The files an export writes, in their order: the cover, the pictures whose
// fields are set (`pictures` maps a record key to its field's path), the
// settings file. The cover and the background take the extension the
// background gives; the vector page's is always "png".
QList<Copy> exportCopies(const StyleCatalogue::Style &style, const QString &cacheDirPath,
                         const QMap<QString, QString> &pictures);

// Copies each file into `folder`, whatever the earlier copies gave; the
// failure texts of the copies that failed, run together in order, or an
// empty text when every copy succeeded.
QString writePackage(const QList<Copy> &copies, const QString &folder);

// A settings file as an import reads it: its values, or the message that
// tells why it cannot be used ("json文件读取失败", "json文件解析失败",
// "json文件格式失败").
struct Settings
{
    QVariantMap values;
    QString error;
};
Settings readSettings(const QString &path);

// The file a package's picture name stands for, beside the settings file in
// `folder`; empty for an empty name and for anything but a bare file name
// (a folder, "..", a drive or a root), so that a package cannot point a later
// export at a file elsewhere.
QString picturePath(const QString &folder, const QString &name);

} // namespace StylePackage

#endif
