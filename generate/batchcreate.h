// The batch generation worker: one code file per data row of a CSV data
// package, in one style with the settings its page last saved, reported
// through returnResult.
#ifndef VOPA_BATCHCREATE_H
#define VOPA_BATCHCREATE_H

#include "batchworker.h"

class BatchCreate : public BatchWorker
{
    Q_OBJECT

public:
    using BatchWorker::BatchWorker;


public slots:
    void batchStart(QString jiema_path, QString save_path, QString style_type) override;
};

#endif
