// The hot key on X11: the combination is grabbed on the root window through
// xcb, once for each state of Caps Lock and Num Lock, and its presses arrive
// as xcb key-press events.
#include "globalshortcutplatform.h"

#include <QKeySequence>
#include <QX11Info>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace GlobalShortcutPlatform {

namespace {

// Caps Lock and Num Lock (Mod2 on every common keymap) must not keep the
// combination from matching.
const quint16 kLockStates[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
const quint32 kModifierMask = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

KeySym keySymOf(int key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return KeySym(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return KeySym(XK_F1 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Space: return XK_space;
    case Qt::Key_Escape: return XK_Escape;
    case Qt::Key_Tab: return XK_Tab;
    case Qt::Key_Backspace: return XK_BackSpace;
    case Qt::Key_Return: return XK_Return;
    case Qt::Key_Enter: return XK_KP_Enter;
    case Qt::Key_Insert: return XK_Insert;
    case Qt::Key_Delete: return XK_Delete;
    case Qt::Key_Pause: return XK_Pause;
    case Qt::Key_Print: return XK_Print;
    case Qt::Key_Home: return XK_Home;
    case Qt::Key_End: return XK_End;
    case Qt::Key_Left: return XK_Left;
    case Qt::Key_Up: return XK_Up;
    case Qt::Key_Right: return XK_Right;
    case Qt::Key_Down: return XK_Down;
    case Qt::Key_PageUp: return XK_Prior;
    case Qt::Key_PageDown: return XK_Next;
    case Qt::Key_Plus: return XK_plus;
    case Qt::Key_Minus: return XK_minus;
    case Qt::Key_Comma: return XK_comma;
    case Qt::Key_Period: return XK_period;
    case Qt::Key_Slash: return XK_slash;
    case Qt::Key_Asterisk: return XK_asterisk;
    default: return NoSymbol;
    }
}

} // namespace

quint32 toNativeKey(int key)
{
    const KeySym symbol = keySymOf(key);
    if (symbol == NoSymbol || !QX11Info::isPlatformX11() || !QX11Info::display())
        return 0;
    return XKeysymToKeycode(QX11Info::display(), symbol);
}

quint32 toNativeModifiers(int mods)
{
    quint32 native = 0;
    if (mods & Qt::ShiftModifier)
        native |= XCB_MOD_MASK_SHIFT;
    if (mods & Qt::ControlModifier)
        native |= XCB_MOD_MASK_CONTROL;
    if (mods & Qt::AltModifier)
        native |= XCB_MOD_MASK_1;
    if (mods & Qt::MetaModifier)
        native |= XCB_MOD_MASK_4;
    return native;
}

bool registerHotKey(quint32 nativeKey, quint32 nativeMods)
{
    // Key code 0 is "any key": it would take every key with these modifiers.
    if (nativeKey == 0 || !QX11Info::isPlatformX11() || !QX11Info::connection())
        return false;
    xcb_connection_t *connection = QX11Info::connection();
    const xcb_window_t root = xcb_window_t(QX11Info::appRootWindow());
    int grabbed = 0;
    for (const quint16 lock : kLockStates) {
        const xcb_void_cookie_t cookie =
            xcb_grab_key_checked(connection, 1, root, quint16(nativeMods | lock), xcb_keycode_t(nativeKey),
                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t *error = xcb_request_check(connection, cookie)) {
            free(error);
            // Another client holds it: what this one took is given back.
            for (int k = 0; k < grabbed; ++k)
                xcb_ungrab_key(connection, xcb_keycode_t(nativeKey), root, quint16(nativeMods | kLockStates[k]));
            xcb_flush(connection);
            return false;
        }
        ++grabbed;
    }
    return true;
}

bool unregisterHotKey(quint32 nativeKey, quint32 nativeMods)
{
    if (nativeKey == 0 || !QX11Info::isPlatformX11() || !QX11Info::connection())
        return false;
    xcb_connection_t *connection = QX11Info::connection();
    const xcb_window_t root = xcb_window_t(QX11Info::appRootWindow());
    bool released = true;
    for (const quint16 lock : kLockStates) {
        const xcb_void_cookie_t cookie =
            xcb_ungrab_key_checked(connection, xcb_keycode_t(nativeKey), root, quint16(nativeMods | lock));
        if (xcb_generic_error_t *error = xcb_request_check(connection, cookie)) {
            free(error);
            released = false;
        }
    }
    return released;
}

bool keyPress(const QByteArray &eventType, void *message, quint32 *nativeKey, quint32 *nativeMods)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS)
        return false;
    const auto *press = static_cast<const xcb_key_press_event_t *>(message);
    *nativeKey = press->detail;
    // The lock states are not part of the combination.
    *nativeMods = press->state & kModifierMask;
    return true;
}

} // namespace GlobalShortcutPlatform
