// What the two batch workers share: the slot a batch starts with, the one
// signal they report through, and a request to stop between two files.
#ifndef VOPA_BATCHWORKER_H
#define VOPA_BATCHWORKER_H

#include <QAtomicInt>
#include <QObject>
#include <QString>

class BatchWorker : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Asks a running batch to end before its next file, sending nothing
    // more; safe from any thread. The worker still deletes itself.
    void requestStop() { m_stop.storeRelaxed(1); }

public slots:
    // Runs one whole batch on the worker's thread and schedules the worker's
    // deletion at every exit.
    virtual void batchStart(QString source, QString target, QString option) = 0;

signals:
    // "warning", "progress", "success" or "runtime", with its text.
    void returnResult(QString type, QString message);

protected:
    bool stopRequested() const { return m_stop.loadRelaxed() != 0; }

private:
    QAtomicInt m_stop;
};

#endif
