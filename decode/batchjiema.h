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
    using BatchWorker::BatchWorker;


    // A text as the "excel" mode writes it: quotes doubled, enclosed in quotes
    // when it holds a quote, a comma or a line break, and a number of digits
    // only kept as text by a tab inside its quotes.
    static QString excelText(const QString &text);
    // A file name as the "excel" mode writes it: enclosed like a text.
    static QString excelName(const QString &name);
    // A subfolder file's name column: the file name without ".<suffix>"
    // wherever it occurs.
    static QString nameWithoutExtension(const QString &fileName);

public slots:
    void batchStart(QString jiema_path, QString save_path, QString csv_parse) override;
};

#endif
