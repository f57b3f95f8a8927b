// Style settings records: one compact JSON object per style in the cache
// directory, written from a style page and read back by generation.
#ifndef VOPA_STYLERECORD_H
#define VOPA_STYLERECORD_H

#include <QJsonObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace StyleRecord {

// A coordinate field's text as a number: decimal, blanks at both ends and a
// sign allowed; anything else, or a value beyond 32 bits, is 0.
int integerFromText(const QString &text);

// A record value as a whole number: a number rounded to the nearest, a text
// of decimal digits as its value, both saturated beyond 32 bits, never
// wrapped; true 1; anything else 0.
int integerOf(const QVariant &value);

// The compact JSON text of a record (members in key order).
QString serialise(const QJsonObject &record);

// The extension a background image gives an output or a package file:
// its suffix, "jpeg" as "jpg", anything but "gif", "png" and "jpg" as "png".
QString imageExtension(const QString &backgroundPath);

// A record as read by the reading rule: valid when the text is a JSON object.
struct Read
{
    bool valid = false;
    QVariantMap values;
};
Read parse(const QString &text);
Read readFile(const QString &path);

} // namespace StyleRecord

#endif
