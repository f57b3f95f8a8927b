// The camera module: the system's first video device through OpenCV's video
// input, loaded by the program only when a camera is opened.
#include "camerascan.h"

#include <opencv2/videoio.hpp>

namespace {

class OpenCvCamera : public FrameSource
{
public:
    bool open() override { return m_capture.open(0) && m_capture.isOpened(); }
    bool isOpen() const override { return m_capture.isOpened(); }
    void release() override { m_capture.release(); }
    cv::Mat read() override
    {
        cv::Mat frame;
        m_capture.read(frame);
        return frame;
    }

private:
    cv::VideoCapture m_capture;
};

} // namespace

extern "C" Q_DECL_EXPORT CameraDevice *vopaCreateCamera()
{
    return new ScanningCamera(std::make_unique<OpenCvCamera>());
}
