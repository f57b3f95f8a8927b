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

    // One tick on a frame: marks are drawn into `frame` and the scan line
    // moves on; the decoder reads the frame as the camera gave it, before
    // the marks. A frame that cannot be thresholded or shown (under 16 rows,
    // not 8-bit, or other than one or three channels) is skipped, and the
    // first such frame of a kind that cannot be shown is logged once.
    Tick tick(cv::Mat &frame, ScanLine &line);

private:
    bool m_toldUnusable = false;
};

// A camera that scans each frame its source gives.
class ScanningCamera : public CameraDevice
{
public:
    explicit ScanningCamera(std::unique_ptr<FrameSource> source) : m_source(std::move(source)) {}
    bool open() override { return m_source->open(); }
    bool isOpen() const override { return m_source->isOpen(); }
    void release() override { m_source->release(); }
    Tick tick(ScanLine &line) override
    {
        m_frame = m_source->read();
        return m_scan.tick(m_frame, line);
    }

private:
    std::unique_ptr<FrameSource> m_source;
    CameraScan m_scan;
    cv::Mat m_frame;
};

#endif
