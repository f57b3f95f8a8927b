#include "camerascan.h"

#include "decodefront.h"
#include "finderpatternfinder.h"

#include <QtDebug>

#include <opencv2/imgproc.hpp>

CameraScan::Tick CameraScan::tick(cv::Mat &frame, ScanLine &line)
{
    Tick result;
    // A frame under 16 rows has no usable threshold block: skipped like an empty one.
    if (frame.empty() || frame.rows < 16)
        return result;
    // Only 8-bit grey or colour frames become a picture to show and decode;
    // a camera giving others gives them on every tick.
    if (frame.depth() != CV_8U || (frame.channels() != 1 && frame.channels() != 3)) {
        if (!m_toldUnusable)
            qWarning("camera frame skipped: frames of depth %d with %d channels cannot be shown; "
                     "further ones are skipped silently",
                     frame.depth(), frame.channels());
        m_toldUnusable = true;
        return result;
    }
    try {
        cv::Mat grey;
        if (frame.channels() == 1)
            grey = frame;
        else
            cv::cvtColor(frame, grey, cv::COLOR_BGR2GRAY);
        grey.convertTo(grey, CV_8U, 1, 0);
        int block = frame.rows / 8;
        if (block % 2 == 0)
            block += 1;
        cv::Mat binary;
        cv::adaptiveThreshold(grey, binary, 255, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY, block, 10);
        FinderPatternFinder finder(binary);
        finder.find();
        const QList<FinderPattern> centres = finder.possibleCenters;
        // The decoder reads the frame as the camera gave it; the marks are for the eye.
        const QImage plain = centres.size() >= 2 ? matToQImage(frame) : QImage();

        for (const FinderPattern &centre : centres)
            cv::circle(frame, cv::Point(centre.x, centre.y), 8, cv::Scalar(51, 153, 255), 2, 1, 0);
        const int w = int(frame.cols * 0.9);
        const int h = int(frame.rows * 0.9);
        const int x0 = (frame.cols - w) / 2;
        const int y0 = (frame.rows - h) / 2;
        cv::rectangle(frame, cv::Rect(x0, y0, w, h), cv::Scalar(255, 0, 0), 2, 1, 0);
        const int y = y0 + (h / 6) * line.step;
        cv::line(frame, cv::Point(x0 + 2, y), cv::Point(x0 + w - 2, y), cv::Scalar(255, 255, 0), 2, 1, 0);
        line.step += line.down ? 1 : -1;
        if (line.step < 1 || line.step > 5)
            line.down = !line.down;

        result.picture = matToQImage(frame);
        result.shown = true;
        result.centres = centres.size();
        if (!plain.isNull())
            result.text = decodeImageText(plain, true);
    } catch (const cv::Exception &error) {
        qWarning("camera frame skipped: %s", error.what());
        return Tick();
    }
    return result;
}
