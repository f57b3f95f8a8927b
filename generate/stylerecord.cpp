#include "stylerecord.h"

#include "helpers.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace StyleRecord {

int integerFromText(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

QString serialise(const QJsonObject &record)
{
    return QString::fromUtf8(QJsonDocument(record).toJson(QJsonDocument::Compact));
}

QString imageExtension(const QString &backgroundPath)
{
    QString extension = fileSuffix(backgroundPath);
    if (extension == QLatin1String("jpeg"))
        return QStringLiteral("jpg");
    if (extension != QLatin1String("gif") && extension != QLatin1String("png") && extension != QLatin1String("jpg"))
        return QStringLiteral("png");
    return extension;
}

Read parse(const QString &text)
{
    Read read;
    if (text.isEmpty())
        return read;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return read;
    read.valid = true;
    read.values = document.toVariant().toMap();
    return read;
}

Read readFile(const QString &path)
{
    return parse(readTextFile(path, QString()));
}

} // namespace StyleRecord
