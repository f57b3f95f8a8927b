// The batch-decode page: its two folder pickers, the checks before a batch,
// and the batch's launch and messages through its panel.
#ifndef VOPA_BATCHDECODEPAGE_H
#define VOPA_BATCHDECODEPAGE_H

#include <QObject>
#include <QString>

class BatchPanel;
class QButtonGroup;
class QWidget;
namespace Ui {
class MainWindow;
}

class BatchDecodePage : public QObject
{
    Q_OBJECT

public:
    BatchDecodePage(QWidget *window, Ui::MainWindow *ui, QButtonGroup *formatGroup, const QString &cacheDirPath);

    void pickSource();
    void pickResults();
    // Checks the two folders (creating a missing result folder) and launches
    // a batch; a failed check is told and changes nothing.
    void start();
    // The two folders as typed, a relative one taken from the home folder.
    QString source() const;
    QString results() const;
    // The output mode the batch is given: "excel" or "default".
    QString mode() const;
    BatchPanel *panel() const { return m_panel; }

private:
    QWidget *m_window;
    Ui::MainWindow *m_ui;
    QButtonGroup *m_formatGroup;
    QString m_cacheDirPath;
    BatchPanel *m_panel;
};

#endif
