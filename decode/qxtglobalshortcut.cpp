#include "qxtglobalshortcut.h"

#include "globalshortcutplatform.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QPair>
#include <QtDebug>

#include <iterator>

namespace {

constexpr int kModifierBits = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

using NativePair = QPair<quint32, quint32>;

// Shared by every instance, on the GUI thread.
QHash<NativePair, QxtGlobalShortcut *> &registeredShortcuts()
{
    static QHash<NativePair, QxtGlobalShortcut *> table;
    return table;
}
int filterUsers = 0;

// One filter for the whole process, which outlives no instance it serves.
class HotKeyFilter : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray &eventType, void *message, long *result) override;
};

HotKeyFilter &hotKeyFilter()
{
    static HotKeyFilter filter;
    return filter;
}

} // namespace

class QxtGlobalShortcutPrivate
{
public:
    explicit QxtGlobalShortcutPrivate(QxtGlobalShortcut *publicObject) : publicObject(publicObject)
    {
        if (filterUsers == 0)
            QAbstractEventDispatcher::instance()->installNativeEventFilter(&hotKeyFilter());
        ++filterUsers;
    }
    ~QxtGlobalShortcutPrivate()
    {
        // A press never reaches an instance that is gone.
        auto &table = registeredShortcuts();
        for (auto it = table.begin(); it != table.end();)
            it = it.value() == publicObject ? table.erase(it) : std::next(it);
        if (--filterUsers == 0 && QAbstractEventDispatcher::instance())
            QAbstractEventDispatcher::instance()->removeNativeEventFilter(&hotKeyFilter());
    }

    QKeySequence sequence() const { return key || mods ? QKeySequence(key | mods) : QKeySequence(); }

    bool bindShortcut(const QKeySequence &shortcut)
    {
        if (shortcut.isEmpty()) {
            key = 0;
            mods = 0;
        } else {
            const int combination = shortcut[0];
            key = combination & ~kModifierBits;
            mods = combination & kModifierBits;
        }
        const NativePair pair(GlobalShortcutPlatform::toNativeKey(key), GlobalShortcutPlatform::toNativeModifiers(mods));
        const bool ok = GlobalShortcutPlatform::registerHotKey(pair.first, pair.second);
        if (ok)
            registeredShortcuts().insert(pair, publicObject);
        else
            qWarning() << "QxtGlobalShortcut failed to register:" << sequence().toString(QKeySequence::PortableText);
        return ok;
    }

    bool unbindShortcut()
    {
        const NativePair pair(GlobalShortcutPlatform::toNativeKey(key), GlobalShortcutPlatform::toNativeModifiers(mods));
        bool ok = false;
        if (registeredShortcuts().value(pair) == publicObject) {
            ok = GlobalShortcutPlatform::unregisterHotKey(pair.first, pair.second);
            if (ok)
                registeredShortcuts().remove(pair);
        }
        if (!ok)
            qWarning() << "QxtGlobalShortcut failed to unregister:" << sequence().toString(QKeySequence::PortableText);
        key = 0;
        mods = 0;
        return ok;
    }

    static void dispatchHotKey(quint32 nativeKey, quint32 nativeMods)
    {
        QxtGlobalShortcut *owner = registeredShortcuts().value(NativePair(nativeKey, nativeMods));
        if (owner && owner->isEnabled())
            emit owner->activated();
    }

    QxtGlobalShortcut *publicObject;
    bool enabled = true;
    int key = 0;
    int mods = 0;
};

bool HotKeyFilter::nativeEventFilter(const QByteArray &eventType, void *message, long *result)
{
    Q_UNUSED(result);
    quint32 nativeKey = 0;
    quint32 nativeMods = 0;
    if (GlobalShortcutPlatform::keyPress(eventType, message, &nativeKey, &nativeMods))
        QxtGlobalShortcutPrivate::dispatchHotKey(nativeKey, nativeMods);
    return false;
}

QxtGlobalShortcut::QxtGlobalShortcut(QObject *parent) : QObject(parent), priv(new QxtGlobalShortcutPrivate(this))
{
}

QxtGlobalShortcut::QxtGlobalShortcut(const QKeySequence &shortcut, QObject *parent) : QxtGlobalShortcut(parent)
{
    setShortcut(shortcut);
}

QxtGlobalShortcut::~QxtGlobalShortcut()
{
    if (priv->key != 0)
        priv->unbindShortcut();
    delete priv;
}

QKeySequence QxtGlobalShortcut::shortcut() const
{
    return priv->sequence();
}

bool QxtGlobalShortcut::setShortcut(const QKeySequence &shortcut)
{
    if (priv->key != 0)
        priv->unbindShortcut();
    return priv->bindShortcut(shortcut);
}

bool QxtGlobalShortcut::isEnabled() const
{
    return priv->enabled;
}

void QxtGlobalShortcut::setEnabled(bool enabled)
{
    priv->enabled = enabled;
}

void QxtGlobalShortcut::setDisabled(bool disabled)
{
    priv->enabled = !disabled;
}

const char *qxtVersion()
{
    return "0.7.0";
}
