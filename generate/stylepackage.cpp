#include "stylepackage.h"

#include "helpers.h"
#include "statefiles.h"
#include "stylerecord.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace StylePackage {

QList<Copy> exportCopies(const StyleCatalogue::Style &style, const QString &cacheDirPath,
                         const QMap<QString, QString> &pictures)
{
    const QString background = pictures.value(QStringLiteral("qr_bgimg"));
    const QString extension =
        background.isEmpty() ? QStringLiteral("png") : StyleRecord::imageExtension(background);
    QList<Copy> copies;
    copies.append({stateFilePath(cacheDirPath, QLatin1String(style.previewFile) + QLatin1Char('.') + extension),
                   QStringLiteral("vopa_cover.") + extension, QStringLiteral("预览图导出失败")});
    for (const StyleCatalogue::ImagePicker &image : style.images) {
        const QString path = pictures.value(QLatin1String(image.key));
        if (path.isEmpty())
            continue;
        const QString name =
            image.packageName ? QString::fromLatin1(image.packageName) : QStringLiteral("vopa_bgimg.") + extension;
        copies.append({path, name, QString::fromUtf8(image.exportFailure)});
    }
    copies.append({stateFilePath(cacheDirPath, QLatin1String(style.exportFile)), QLatin1String(style.packageFile),
                   QStringLiteral("配置文件导出失败")});
    return copies;
}

QString writePackage(const QList<Copy> &copies, const QString &folder)
{
    QString failures;
    for (const Copy &copy : copies)
        if (!copyFile(copy.source, folder + QLatin1Char('/') + copy.name))
            failures += copy.failure;
    return failures;
}

Settings readSettings(const QString &path)
{
    Settings settings;
    const QString text = readTextFile(path, QString());
    if (text.isEmpty()) {
        settings.error = QStringLiteral("json文件读取失败");
        return settings;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        settings.error = QStringLiteral("json文件解析失败");
    else if (!document.isObject())
        settings.error = QStringLiteral("json文件格式失败");
    else
        settings.values = document.toVariant().toMap();
    return settings;
}

QString picturePath(const QString &folder, const QString &name)
{
    // Without a separator, ".." and "." are the only names that leave the folder.
    const bool bare = !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
                      && !name.contains(QLatin1Char(':')) && name != QLatin1String(".")
                      && name != QLatin1String("..");
    return bare ? folder + QLatin1Char('/') + name : QString();
}

} // namespace StylePackage
