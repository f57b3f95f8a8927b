// Launching a batch worker on a thread of its own and showing its messages on
// its page: the start button, the working, statistics and time labels. Both
// batch pages use it with their own widgets and window slots.
#ifndef VOPA_BATCHPANEL_H
#define VOPA_BATCHPANEL_H

#include <QAtomicInt>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class BatchWorker;
class QAbstractButton;
class QLabel;
class QLineEdit;
class QThread;
class QWidget;

class BatchPanel : public QObject
{
    Q_OBJECT

public:
    struct Widgets
    {
        QAbstractButton *start;
        QLabel *working;
        QLabel *statistics;
        QLabel *time;
    };
    // The window's slots and signal in SLOT()/SIGNAL() form: the thread's
    // start reaches `startedSlot`, which emits `startSignal` with the batch's
    // three strings; the worker's messages reach `resultSlot`.
    BatchPanel(QWidget *window, const Widgets &widgets, const char *startedSlot, const char *startSignal,
               const char *resultSlot);
    // A batch still running is asked to stop between two files and waited for.
    ~BatchPanel() override;

    // Disables the start button, shows the working label and hides the two
    // others, and starts the worker on a new thread. The thread ends and goes
    // when its worker is done; only this worker receives the next start signal.
    void launch(BatchWorker *worker);
    // A batch thread is still there.
    bool busy() const { return !m_thread.isNull(); }
    // One worker message: "warning", "progress", "success" or "runtime".
    void show(const QString &type, const QString &message);

    // Asks for a folder starting in the remembered one; a chosen folder goes
    // into `field` and is remembered as returned.
    static void pickFolder(QWidget *window, QLineEdit *field, const QString &caption, const QString &cacheDirPath,
                           const QString &rememberedFile);

    // A batch's output folder, made with its parents when missing; false, told
    // with "保存文件夹不存在并且创建失败", when it cannot be made.
    static bool makeFolder(const QString &path);

    // A path typed into a batch page's field: a relative one (or one starting
    // with "~") is taken from the home folder, where the dialogs start, not
    // from the program's state folder; an empty one stays empty.
    static QString typedPath(const QLineEdit *field);

private:
    QWidget *m_window;
    Widgets m_widgets;
    const char *m_startedSlot;
    const char *m_startSignal;
    const char *m_resultSlot;
    // Touched only once its thread has ended: before, the worker may be
    // deleting itself on that thread at any moment.
    QPointer<BatchWorker> m_worker;
    QPointer<QThread> m_thread;
    // The running batch's stop switch, which the panel and the worker share.
    std::shared_ptr<QAtomicInt> m_stop;
    QMetaObject::Connection m_startConnection;
    // The batch has sent its time: the "progress" that follows is the final,
    // rich-text line; every other one is shown as plain text.
    bool m_finishing = false;
};

#endif
