// The batch-generate page: the CSV and save-folder pickers, the checks before
// a batch, the style it runs in, the template link, and the batch's launch
// and messages through the panel both batch pages use.
#ifndef VOPA_BATCHCREATEPAGE_H
#define VOPA_BATCHCREATEPAGE_H

#include <QObject>
#include <QString>

class BatchPanel;
class QButtonGroup;
class QWidget;
namespace Ui {
class MainWindow;
}

class BatchCreatePage : public QObject
{
    Q_OBJECT

public:
    BatchCreatePage(QWidget *window, Ui::MainWindow *ui, QButtonGroup *styleGroup, const QString &cacheDirPath);

    void pickCsv();
    void pickSaveFolder();
    // Checks the two fields (creating a missing save folder) and launches a
    // batch; a failed check is told and changes nothing.
    void start();
    // The package and the save folder as typed, a relative one taken from
    // the home folder.
    QString csvPath() const;
    QString saveFolder() const;
    // The key of the chosen style; "pro" when none is chosen.
    QString styleKey() const;
    void openTemplate();
    BatchPanel *panel() const { return m_panel; }

private:
    QWidget *m_window;
    Ui::MainWindow *m_ui;
    QButtonGroup *m_styleGroup;
    QString m_cacheDirPath;
    BatchPanel *m_panel;
};

#endif
