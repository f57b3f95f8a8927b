#include "stylerecord.h"

#include "helpers.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <climits>
#include <cmath>

namespace StyleRecord {

int integerFromText(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

int integerOf(const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const double number = value.toDouble();
        if (std::isnan(number))
            return 0;
        if (number >= double(INT_MAX))
            return INT_MAX;
        if (number <= double(INT_MIN))
            return INT_MIN;
        return qRound(number);
    }
    case QMetaType::QString: {
        bool ok = false;
        const qlonglong number = value.toString().toLongLong(&ok, 10);
        return ok ? int(qBound<qlonglong>(INT_MIN, number, INT_MAX)) : 0;
    }
    default:
        return value.toInt();
    }
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
