#include "jsonvalues.h"

#include <QVariant>

#include <cmath>

namespace JsonValues {

int wholeNumber(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Double: {
        const double rounded = std::round(value.toDouble());
        if (!std::isfinite(rounded) || rounded > 2147483647.0 || rounded < -2147483648.0)
            return 0;
        return int(rounded);
    }
    case QJsonValue::String: {
        bool ok = false;
        const int number = value.toString().trimmed().toInt(&ok, 10);
        return ok ? number : 0;
    }
    case QJsonValue::Bool:
        return value.toBool() ? 1 : 0;
    default:
        return 0;
    }
}

QString text(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double:
    case QJsonValue::Bool:
        return value.toVariant().toString();
    default:
        return QString();
    }
}

} // namespace JsonValues
