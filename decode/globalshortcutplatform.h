// What a desktop-wide hot key needs of the platform: native codes, grabbing
// and releasing a combination, and recognising a press among native events.
#ifndef VOPA_GLOBALSHORTCUTPLATFORM_H
#define VOPA_GLOBALSHORTCUTPLATFORM_H

#include <QByteArray>
#include <QtGlobal>

namespace GlobalShortcutPlatform {

// 0 for a key that has no native code here.
quint32 toNativeKey(int key);
quint32 toNativeModifiers(int mods);
// Whole-desktop grabs; false when refused (held by another client, no key
// code, no X display), with nothing left grabbed.
bool registerHotKey(quint32 nativeKey, quint32 nativeMods);
bool unregisterHotKey(quint32 nativeKey, quint32 nativeMods);
// Whether a native event is a press of a combination, and which.
bool keyPress(const QByteArray &eventType, void *message, quint32 *nativeKey, quint32 *nativeMods);

} // namespace GlobalShortcutPlatform

#endif
