// One key combination as a hot key of the whole desktop: activated() is
// emitted at each press, whichever program has the keyboard. The platform's
// part lives in its own file behind globalshortcutplatform.h.
#ifndef VOPA_QXTGLOBALSHORTCUT_H
#define VOPA_QXTGLOBALSHORTCUT_H

#include <QKeySequence>
#include <QObject>

class QxtGlobalShortcutPrivate;

class QxtGlobalShortcut : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QKeySequence shortcut READ shortcut WRITE setShortcut)

public:
    explicit QxtGlobalShortcut(QObject *parent = nullptr);
    explicit QxtGlobalShortcut(const QKeySequence &shortcut, QObject *parent = nullptr);
    ~QxtGlobalShortcut() override;

    QKeySequence shortcut() const;
    // False, with a warning, when the desktop refuses the combination (another
    // program holds it, it has no key code here, or there is no X display).
    bool setShortcut(const QKeySequence &shortcut);
    bool isEnabled() const;

public slots:
    void setEnabled(bool enabled = true);
    void setDisabled(bool disabled = true);

signals:
    void activated();

private:
    friend class QxtGlobalShortcutPrivate;
    QxtGlobalShortcutPrivate *priv;
};

const char *qxtVersion();

#endif
