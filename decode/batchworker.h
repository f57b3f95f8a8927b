// What the two batch workers share: the slot a batch starts with, the one
// signal they report through, and a request to stop between two files.
#ifndef VOPA_BATCHWORKER_H
#define VOPA_BATCHWORKER_H

#include <QAtomicInt>
#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class BatchWorker : public QObject
{
    Q_OBJECT

public:
    explicit BatchWorker(QObject *parent = nullptr);

    // How many items (files, rows) are worked on at once on other cores; 1
    // works on one at a time. What a batch writes and sends is the same
    // whatever the number. By default, one per core, at most 8.
    void setLookAhead(int items) { m_lookAhead = qMax(1, items); }

    // Asks a running batch to end before its next file, sending nothing
    // more; safe from any thread. The worker still deletes itself.
    void requestStop() { m_stop->storeRelaxed(1); }
    // The switch requestStop() sets, to be kept by whoever may stop the
    // batch later: it outlives the worker, which deletes itself on its own
    // thread when its batch ends.
    std::shared_ptr<QAtomicInt> stopSwitch() const { return m_stop; }

    // Elapsed milliseconds as the seconds the "runtime" message shows: six
    // significant digits, no trailing zeros (2500 gives "2.5").
    static QString secondsText(qint64 milliseconds);

public slots:
    // Runs one whole batch on the worker's thread and schedules the worker's
    // deletion at every exit.
    virtual void batchStart(QString source, QString target, QString option) = 0;

signals:
    // "warning", "progress", "success" or "runtime", with its text.
    void returnResult(QString type, QString message);

protected:
    // The warning of a batch whose files the disk did not take, and of one
    // whose error log cannot be written.
    static const char WriteFailed[];
    static const char ErrorLogFailed[];
    bool stopRequested() const { return m_stop->loadRelaxed() != 0; }
    int lookAhead() const { return m_lookAhead; }

private:
    const std::shared_ptr<QAtomicInt> m_stop = std::make_shared<QAtomicInt>(0);
    int m_lookAhead;
};

// A result file or an error log of a batch, appended to as UTF-8 without a
// byte-order mark. Lines are gathered whole and handed to the file whole, a
// run of them in one write: another batch appending to the same file (both
// batches logging into one folder, or another copy of the program) never
// lands inside a line. A write that failed (a full disk, a folder made
// read-only meanwhile) is noticed when the file is closed.
class BatchFile
{
public:
    BatchFile() = default;
    BatchFile(const BatchFile &) = delete;
    BatchFile &operator=(const BatchFile &) = delete;
    // Lines not yet handed over are written when it goes, unsynced.
    ~BatchFile();
    bool open(const QString &path);
    void writeLine(const QString &line);
    // False when anything written was lost.
    bool close();

private:
    void handOver();

    int m_fd = -1;
    QByteArray m_lines;
    bool m_lost = false;
};

#endif
