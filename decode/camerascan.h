// Scanning codes from the camera: where frames come from, and the work of
// one camera tick on one frame (two-level image, finder-pattern search, marks
// for the preview, decoding when two finder patterns are in view).
#ifndef VOPA_CAMERASCAN_H
#define VOPA_CAMERASCAN_H

#include <QImage>
#include <QString>

#include <functional>
#include <memory>

#include <opencv2/core.hpp>

// A source of camera frames. The program's own is the first video device
// through OpenCV, whose video input is loaded only when a camera is opened.
class FrameSource
{
public:
    virtual ~FrameSource() = default;
    virtual bool open() = 0;
    virtual bool isOpen() const = 0;
    virtual void release() = 0;
    // The next frame; an empty one when there is none.
    virtual cv::Mat read() = 0;
};

namespace CameraSource {

// A new source of the system's first camera (not yet opened), or of the
// factory tests set; null when the camera module cannot be loaded.
std::unique_ptr<FrameSource> create();
using Factory = std::function<std::unique_ptr<FrameSource>()>;
void setFactory(Factory factory);

} // namespace CameraSource

class CameraScan
{
public:
    struct Tick
    {
        bool shown = false;   // false for an empty or too small frame
        QImage picture;       // the frame with its marks, for the preview
        int centres = 0;      // finder-pattern centres found
        QString text;         // decoded, when two or more centres were found
    };

    // One tick on a frame: marks are drawn into `frame`; the decoder reads
    // the frame as the camera gave it, before the marks.
    Tick tick(cv::Mat &frame);

    // The scan line's position in sixths of the guide box, and its direction.
    int scanLineStep = 0;
    bool scanLineDown = true;
};

#endif
