#include "batchdecodepage.h"

#include "batchjiema.h"
#include "batchpanel.h"
#include "helpers.h"
#include "statefiles.h"
#include "ui_mainwindow.h"

#include <QButtonGroup>
#include <QFileInfo>

BatchDecodePage::BatchDecodePage(QWidget *window, Ui::MainWindow *ui, QButtonGroup *formatGroup,
                                 const QString &cacheDirPath)
    : QObject(window), m_window(window), m_ui(ui), m_formatGroup(formatGroup), m_cacheDirPath(cacheDirPath),
      m_panel(new BatchPanel(window, {ui->btnJiema, ui->label_jiemaing, ui->label_msg, ui->label_time},
                             SLOT(slot_thread_started()), SIGNAL(new_started(QString, QString, QString)),
                             SLOT(slot_thread_viewer(QString, QString))))
{
}

void BatchDecodePage::pickSource()
{
    BatchPanel::pickFolder(m_window, m_ui->jiema_path, QStringLiteral("待解码文件夹"), m_cacheDirPath,
                           StateFile::BatchDecodeSource);
}

void BatchDecodePage::pickResults()
{
    BatchPanel::pickFolder(m_window, m_ui->save_path, QStringLiteral("解码内容保存路径"), m_cacheDirPath,
                           StateFile::BatchDecodeResults);
}

void BatchDecodePage::start()
{
    const QString source = this->source();
    const QString results = this->results();
    if (source.isEmpty() || results.isEmpty()) {
        showMessage(QStringLiteral("你选择的解码或保存文件夹"));
        return;
    }
    if (!QFileInfo(source).isDir()) {
        showMessage(QStringLiteral("你选择的文件夹不存在"));
        return;
    }
    if (BatchPanel::makeFolder(results))
        m_panel->launch(new BatchJiema);
}

QString BatchDecodePage::source() const
{
    return BatchPanel::typedPath(m_ui->jiema_path);
}

QString BatchDecodePage::results() const
{
    return BatchPanel::typedPath(m_ui->save_path);
}

QString BatchDecodePage::mode() const
{
    return m_formatGroup->checkedId() == 1 ? QStringLiteral("excel") : QStringLiteral("default");
}
