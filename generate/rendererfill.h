// How a style's settings become a renderer's fields: the built-in defaults,
// the clamps, the level mapping and the output extension. One filling serves
// single generation, the style previews and batch generation; the caller
// decides the few points where they differ.
#ifndef VOPA_RENDERERFILL_H
#define VOPA_RENDERERFILL_H

#include "stylerecord.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

class ProQrcode;
class visualQr;
class bsdQr;
class lunkuoQr;
class VectorQrBase;

namespace Filling {

enum class Caller { SingleGenerate, Preview, Batch };

// The settings of one style, read by the record reading rule: a missing key
// reads 0, "" or false.
class Settings
{
public:
    // From a record; an invalid one gives the caller's built-in defaults.
    static Settings fromRecord(const StyleRecord::Read &record, const QString &styleKey, Caller caller);
    // From values taken straight from a style page (previews).
    static Settings fromValues(const QVariantMap &values);

    int integer(const QString &key) const;
    QString text(const QString &key) const;
    bool flag(const QString &key) const;

private:
    QVariantMap m_values;
};

// The caller's built-in settings of a style ("pro", "visual", "bsd", "lunkuo", "svg").
QVariantMap builtInDefaults(const QString &styleKey, Caller caller);

// The style page's level index (0 M, 1 Q, 2 H, 3 L) in the encoder's
// numbering (0 L, 1 M, 2 Q, 3 H); any other index keeps `current`.
int encoderLevel(int index, int current);

// "png", or the background's extension by StyleRecord::imageExtension.
QString outputExtension(const Settings &settings);
// The extension a code of the style is written with: a raster style's by its
// background; the vector style's "svg" or "pdf" in a batch and "png" in its
// preview.
QString outputExtension(const QString &styleKey, const Settings &settings, Caller caller);

// Draws one code of a style into `path`: a new renderer of the class that
// draws the style for the caller (the vector page previews through the tone
// renderer), filled by the rules below, created once. False when the
// renderer fails or the key names no style.
bool renderCode(const QString &styleKey, const Settings &settings, const QByteArray &content, const QString &caption,
                Caller caller, const QString &path);

void fill(ProQrcode &qr, const Settings &settings, const QByteArray &content, const QString &caption);
void fill(visualQr &qr, const Settings &settings, const QByteArray &content, const QString &caption);
void fill(bsdQr &qr, const Settings &settings, const QByteArray &content, const QString &caption);
void fill(lunkuoQr &qr, const Settings &settings, const QByteArray &content, const QString &caption);
// The vector writers (batch generation and the vector page's preview).
void fill(VectorQrBase &qr, const Settings &settings, const QByteArray &content, const QString &caption,
          Caller caller, bool pdf);

} // namespace Filling

#endif
