// The batch decode worker: every file of a folder and of its direct
// subfolders through the decode front end, into comma-separated result files
// with an error log, reported through returnResult.
#ifndef VOPA_BATCHJIEMA_H
#define VOPA_BATCHJIEMA_H

#include "batchworker.h"

class BatchJiema : public BatchWorker
{
    Q_OBJECT

public:
    explicit BatchJiema(QObject *parent = nullptr);

    // How many files are read and decoded at once on other cores; 1 decodes
    // one file at a time. The files, messages and bytes written are the same
    // whatever the number.
    void setLookAhead(int files) { m_lookAhead = qMax(1, files); }

    // A text as the "excel" mode writes it: quotes doubled, enclosed in quotes
    // when it holds a quote, a comma or a line break, and a number of digits
    // only kept as text by a tab inside its quotes.
    static QString excelText(const QString &text);
    // A file name as the "excel" mode writes it: enclosed like a text.
    static QString excelName(const QString &name);
    // A subfolder file's name column: the file name without ".<suffix>"
    // wherever it occurs.
    static QString nameWithoutExtension(const QString &fileName);
    // Elapsed milliseconds as the seconds the "runtime" message shows: six
    // significant digits, no trailing zeros (2500 gives "2.5").
    static QString secondsText(qint64 milliseconds);

public slots:
    void batchStart(QString jiema_path, QString save_path, QString csv_parse) override;

private:
    int m_lookAhead;
};

#endif
