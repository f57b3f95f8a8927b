#include "batchcreatepage.h"

#include "batchcreate.h"
#include "batchpanel.h"
#include "dialogs.h"
#include "helpers.h"
#include "statefiles.h"
#include "stylecatalogue.h"
#include "ui_mainwindow.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

BatchCreatePage::BatchCreatePage(QWidget *window, Ui::MainWindow *ui, QButtonGroup *styleGroup,
                                 const QString &cacheDirPath)
    : QObject(window), m_window(window), m_ui(ui), m_styleGroup(styleGroup), m_cacheDirPath(cacheDirPath),
      m_panel(new BatchPanel(window, {ui->btnCreate, ui->label_createing, ui->label_create_msg, ui->label_create_time},
                             SLOT(slot_create_thread_started()), SIGNAL(new_create_started(QString, QString, QString)),
                             SLOT(slot_create_thread_viewer(QString, QString))))
{
}

void BatchCreatePage::pickCsv()
{
    const QString file = Dialogs::getOpenFileName(
        m_window, QCoreApplication::translate("MainWindow", "CSV数据包文件"),
        readStateFile(m_cacheDirPath, StateFile::BatchCsvFolder), QCoreApplication::translate("MainWindow", "CSV Files(*.csv)"));
    if (file.isEmpty())
        return;
    rememberFileFolder(m_cacheDirPath, StateFile::BatchCsvFolder, file);
    m_ui->csv_path->setText(file);
}

void BatchCreatePage::pickSaveFolder()
{
    BatchPanel::pickFolder(m_window, m_ui->qrcode_savepath, QCoreApplication::translate("MainWindow", "保存二维码到"),
                           m_cacheDirPath, StateFile::BatchSaveFolder);
}

void BatchCreatePage::start()
{
    const QString folder = saveFolder();
    if (csvPath().isEmpty() || folder.isEmpty()) {
        showMessage(QStringLiteral("请选择csv数据包文件或保存文件夹"));
        return;
    }
    if (BatchPanel::makeFolder(folder))
        m_panel->launch(new BatchCreate);
}

QString BatchCreatePage::csvPath() const
{
    return BatchPanel::typedPath(m_ui->csv_path);
}

QString BatchCreatePage::saveFolder() const
{
    return BatchPanel::typedPath(m_ui->qrcode_savepath);
}

QString BatchCreatePage::styleKey() const
{
    const StyleCatalogue::Style *style = StyleCatalogue::findByButton(m_styleGroup->checkedId());
    return style ? QString::fromLatin1(style->key) : QStringLiteral("pro");
}

void BatchCreatePage::openTemplate()
{
    QUrl address(QString::fromLatin1(kProductSite), QUrl::TolerantMode);
    address.setPath(QStringLiteral("/"));
    address.setQuery(QStringLiteral("pc=moban"));
    QDesktopServices::openUrl(address);
}
