// Reading values of the update reply and the tools list leniently.
#ifndef VOPA_JSONVALUES_H
#define VOPA_JSONVALUES_H

#include <QJsonValue>
#include <QString>

namespace JsonValues {

// A number rounded to the nearest whole number, a text holding a decimal
// whole number, true as 1 and false as 0; anything else is 0.
int wholeNumber(const QJsonValue &value);
// A string unchanged, a number or truth value as its text; anything else empty.
QString text(const QJsonValue &value);

} // namespace JsonValues

#endif
