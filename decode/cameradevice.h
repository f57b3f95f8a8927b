// The camera as the decode page sees it: open, close, and one tick that reads
// a frame and gives the marked picture and any text read from it. No OpenCV
// type appears here: the camera, with OpenCV, is a module loaded when the
// camera is first opened.
#ifndef VOPA_CAMERADEVICE_H
#define VOPA_CAMERADEVICE_H

#include <QImage>
#include <QString>

#include <functional>
#include <memory>

// Where the scan line drawn into camera frames stands, in sixths of the
// guide box, and which way it moves next. It belongs to the page showing the
// camera and carries over from one opening of the camera to the next.
struct ScanLine
{
    int step = 0;
    bool down = true;
};

class CameraDevice
{
public:
    struct Tick
    {
        bool shown = false; // false for an empty or unusable frame
        QImage picture;     // the frame with its marks, for the preview
        int centres = 0;    // finder-pattern centres found
        QString text;       // decoded, when two or more centres were found
    };

    virtual ~CameraDevice() = default;
    virtual bool open() = 0;
    virtual bool isOpen() const = 0;
    virtual void release() = 0;
    // Reads one frame and scans it, drawing the scan line where `line` says
    // and moving it on.
    virtual Tick tick(ScanLine &line) = 0;
};

namespace CameraDevices {

// A new camera (not yet opened): the system's first video device, from the
// camera module, or what the factory tests set gives; null when the module
// cannot be loaded.
std::unique_ptr<CameraDevice> create();
using Factory = std::function<std::unique_ptr<CameraDevice>()>;
void setFactory(Factory factory);

} // namespace CameraDevices

#endif
