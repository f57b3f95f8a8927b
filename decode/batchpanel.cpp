#include "batchpanel.h"

#include "batchworker.h"
#include "dialogs.h"
#include "helpers.h"
#include "statefiles.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QThread>

BatchPanel::BatchPanel(QWidget *window, const Widgets &widgets, const char *startedSlot, const char *startSignal,
                       const char *resultSlot)
    : QObject(window), m_window(window), m_widgets(widgets), m_startedSlot(startedSlot), m_startSignal(startSignal),
      m_resultSlot(resultSlot)
{
}

BatchPanel::~BatchPanel()
{
    if (!m_thread)
        return;
    m_stop->storeRelaxed(1);
    m_thread->quit();
    m_thread->wait();
    // A finished thread has carried out its worker's deletion; a worker that
    // never started goes here.
    delete m_worker.data();
    delete m_thread.data();
}

void BatchPanel::launch(BatchWorker *worker)
{
    m_widgets.start->setEnabled(false);
    m_widgets.working->show();
    m_widgets.statistics->hide();
    m_widgets.time->hide();
    m_finishing = false;

    auto *thread = new QThread;
    worker->moveToThread(thread);
    connect(thread, SIGNAL(started()), m_window, m_startedSlot);
    // A worker of an earlier batch, not yet gone, never sees this batch's start.
    disconnect(m_startConnection);
    m_startConnection = connect(m_window, m_startSignal, worker, SLOT(batchStart(QString, QString, QString)));
    connect(worker, SIGNAL(returnResult(QString, QString)), m_window, m_resultSlot);
    connect(worker, &QObject::destroyed, thread, &QThread::quit, Qt::DirectConnection);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    m_worker = worker;
    m_thread = thread;
    m_stop = worker->stopSwitch();
    thread->start();
}

void BatchPanel::show(const QString &type, const QString &message)
{
    if (type == QLatin1String("warning")) {
        m_widgets.working->hide();
        m_widgets.statistics->hide();
        m_widgets.time->hide();
        // The batch is over: another one may start.
        m_widgets.start->setEnabled(true);
        showMessage(message);
    } else if (type == QLatin1String("progress")) {
        // Names and paths show as they are, whatever characters they hold.
        m_widgets.working->setTextFormat(m_finishing ? Qt::RichText : Qt::PlainText);
        m_widgets.working->setText(message);
        m_finishing = false;
    } else if (type == QLatin1String("success")) {
        m_widgets.start->setEnabled(true);
        m_widgets.statistics->setText(message);
        m_widgets.statistics->show();
    } else if (type == QLatin1String("runtime")) {
        m_widgets.time->setText(message);
        m_widgets.time->show();
        m_finishing = true;
    }
}

void BatchPanel::pickFolder(QWidget *window, QLineEdit *field, const QString &caption, const QString &cacheDirPath,
                            const QString &rememberedFile)
{
    const QString folder =
        Dialogs::getExistingDirectory(window, caption, readStateFile(cacheDirPath, rememberedFile));
    if (folder.isEmpty())
        return;
    field->setText(folder);
    writeStateFile(cacheDirPath, rememberedFile, folder);
}

bool BatchPanel::makeFolder(const QString &path)
{
    if (QFileInfo(path).isDir() || QDir().mkpath(path))
        return true;
    showMessage(QStringLiteral("保存文件夹不存在并且创建失败"));
    return false;
}

QString BatchPanel::typedPath(const QLineEdit *field)
{
    const QString text = field->text();
    if (text.isEmpty())
        return text;
    if (text == QLatin1String("~"))
        return QDir::homePath();
    if (text.startsWith(QLatin1String("~/")))
        return QDir::home().absoluteFilePath(text.mid(2));
    return QDir::home().absoluteFilePath(text);
}
