// Scanning codes from the camera: where frames come from, and the work of
// one camera tick on one frame (two-level image, finder-pattern search, marks
// for the preview, decoding when two finder patterns are in view).
#ifndef VOPA_CAMERASCAN_H
#define VOPA_CAMERASCAN_H

#include "cameradevice.h"

#include <memory>

#include <opencv2/core.hpp>

// A source of camera frames: the first video device through OpenCV in the
// camera module, or frames a test plays.
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

class CameraScan
{
public:
    using Tick = CameraDevice::Tick;

    // One tick on a frame: marks are drawn into `frame`; the decoder reads
    // the frame as the camera gave it, before the marks.
    Tick tick(cv::Mat &frame);

    // The scan line's position in sixths of the guide box, and its direction.
    int scanLineStep = 0;
    bool scanLineDown = true;
};

// A camera that scans each frame its source gives.
class ScanningCamera : public CameraDevice
{
public:
    explicit ScanningCamera(std::unique_ptr<FrameSource> source) : m_source(std::move(source)) {}
    bool open() override { return m_source->open(); }
    bool isOpen() const override { return m_source->isOpen(); }
    void release() override { m_source->release(); }
    Tick tick() override
    {
        m_frame = m_source->read();
        return m_scan.tick(m_frame);
    }

private:
    std::unique_ptr<FrameSource> m_source;
    CameraScan m_scan;
    cv::Mat m_frame;
};

#endif
