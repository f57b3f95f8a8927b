// The decode page's camera: its button opens and closes the camera, each
// timer tick shows one marked frame and reads a code from it once two finder
// patterns are in view, once or continuously.
#ifndef VOPA_CAMERAPAGE_H
#define VOPA_CAMERAPAGE_H

#include "cameradevice.h"

#include <QObject>
#include <QString>

#include <memory>

class QTimer;
class QWidget;
namespace Ui {
class MainWindow;
}

class CameraPage : public QObject
{
    Q_OBJECT

public:
    CameraPage(QWidget *window, Ui::MainWindow *ui, QTimer *timer);
    ~CameraPage() override;

    // The camera button: closes an open camera, else opens it and starts the
    // timer, or tells that no camera could be opened.
    void toggle();
    // One timer tick.
    void tick();
    bool isOpen() const { return m_source && m_source->isOpen(); }

private:
    void close();

    Ui::MainWindow *m_ui;
    QTimer *m_timer;
    std::unique_ptr<CameraDevice> m_source;
    QString m_lastResult;
    // Carries over from one opening of the camera to the next.
    ScanLine m_scanLine;
};

#endif
