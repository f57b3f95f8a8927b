#include "finderpatternfinder.h"

#include <opencv2/imgproc.hpp>

#include <cmath>
#include <cstdlib>

FinderPattern::FinderPattern(float posX, float posY, float estimatedModuleSize, int count)
    : estimatedModuleSize(estimatedModuleSize), count(count), x(int(posX)), y(int(posY))
{
}

bool FinderPattern::aboutEquals(float moduleSize, float i, float j) const
{
    if (std::fabs(i - float(y)) > moduleSize || std::fabs(j - float(x)) > moduleSize)
        return false;
    const float d = std::fabs(moduleSize - estimatedModuleSize);
    return d <= 1.0f || d <= estimatedModuleSize;
}

void FinderPattern::combineEstimate(float i, float j, float newModuleSize)
{
    const double n = count;
    count += 1;
    y = int((n * y + i) / (n + 1));
    x = int((n * x + j) / (n + 1));
    estimatedModuleSize = float((n * estimatedModuleSize + newModuleSize) / (n + 1));
}

FinderPatternFinder::FinderPatternFinder(const cv::Mat &binarised) : image(binarised)
{
}

int FinderPatternFinder::initialRowSkip(int rows)
{
    const int skip = (3 * rows) / (4 * MAX_MODULES);
    return skip < MIN_SKIP ? MIN_SKIP : skip;
}

bool FinderPatternFinder::foundPatternCross(const int stateCount[5])
{
    int total = 0;
    for (int k = 0; k < 5; ++k) {
        if (stateCount[k] == 0)
            return false;
        total += stateCount[k];
    }
    if (total < 7)
        return false;
    const double moduleSize = total / 7.0;
    const double maxVariance = moduleSize / 2;
    return std::fabs(moduleSize - stateCount[0]) < maxVariance && std::fabs(moduleSize - stateCount[1]) < maxVariance
           && std::fabs(3 * moduleSize - stateCount[2]) < 3 * maxVariance
           && std::fabs(moduleSize - stateCount[3]) < maxVariance && std::fabs(moduleSize - stateCount[4]) < maxVariance;
}

float FinderPatternFinder::centerFromEnd(const int stateCount[5], int end)
{
    return float(end - stateCount[4] - stateCount[3]) - stateCount[2] / 2.0f;
}

void FinderPatternFinder::find()
{
    const int rows = image.rows;
    const int cols = image.cols;
    int iSkip = initialRowSkip(rows);
    bool done = false;
    int stateCount[5];
    for (int i = iSkip - 1; i < rows && !done; i += iSkip) {
        const uchar *row = image.ptr<uchar>(i);
        for (int &count : stateCount)
            count = 0;
        int currentState = 0;
        for (int j = 0; j < cols; ++j) {
            if (row[j] == 0) {
                if (currentState & 1)
                    ++currentState;
                ++stateCount[currentState];
            } else if (currentState & 1) {
                ++stateCount[currentState];
            } else if (currentState != 4) {
                ++stateCount[++currentState];
            } else if (foundPatternCross(stateCount) && handlePossibleCenter(stateCount, i, j)) {
                iSkip = 2;
                if (hasSkipped) {
                    done = haveMultiplyConfirmedCenters();
                } else {
                    const int rowSkip = findRowSkip();
                    if (rowSkip > stateCount[2]) {
                        // Jump over the rows between two confirmed centres.
                        i += rowSkip - stateCount[2] - iSkip;
                        j = cols - 1;
                    }
                }
                for (int &count : stateCount)
                    count = 0;
                currentState = 0;
            } else {
                stateCount[0] = stateCount[2];
                stateCount[1] = stateCount[3];
                stateCount[2] = stateCount[4];
                stateCount[3] = 1;
                stateCount[4] = 0;
                currentState = 3;
            }
        }
        if (foundPatternCross(stateCount) && handlePossibleCenter(stateCount, i, cols)) {
            iSkip = stateCount[0];
            if (hasSkipped)
                done = haveMultiplyConfirmedCenters();
        }
    }
}

bool FinderPatternFinder::handlePossibleCenter(const int stateCount[5], int i, int j)
{
    const int total = stateCount[0] + stateCount[1] + stateCount[2] + stateCount[3] + stateCount[4];
    const int centerColumn = int(centerFromEnd(stateCount, j));
    const float centerI = crossCheckVertical(i, centerColumn, stateCount[2], total);
    if (centerI < 0)
        return false;
    const float centerJ = crossCheckHorizontal(centerColumn, int(centerI), stateCount[2], total);
    if (centerJ < 0)
        return false;
    const float estimatedModuleSize = float(total) / 7.0f;
    for (FinderPattern &center : possibleCenters) {
        if (center.aboutEquals(estimatedModuleSize, centerI, centerJ)) {
            center.combineEstimate(centerI, centerJ, estimatedModuleSize);
            return true;
        }
    }
    possibleCenters.append(FinderPattern(centerJ, centerI, estimatedModuleSize, 1));
    return true;
}

float FinderPatternFinder::crossCheckVertical(int startI, int centerJ, int maxCount, int rowTotal)
{
    int *cc = crossCheckStateCount;
    for (int k = 0; k < 5; ++k)
        cc[k] = 0;
    const int maxI = image.rows;
    if (startI < 0 || startI >= maxI || centerJ < 0 || centerJ >= image.cols)
        return -1;
    const auto dark = [&](int i) { return image.ptr<uchar>(i)[centerJ] == 0; };
    int i = startI;
    while (i >= 0 && dark(i)) {
        ++cc[2];
        --i;
    }
    if (i < 0)
        return -1;
    while (i >= 0 && !dark(i) && cc[1] <= maxCount) {
        ++cc[1];
        --i;
    }
    if (i < 0 || cc[1] > maxCount)
        return -1;
    while (i >= 0 && dark(i) && cc[0] <= maxCount) {
        ++cc[0];
        --i;
    }
    if (cc[0] > maxCount)
        return -1;
    // Downward the runs must stay shorter than maxCount.
    i = startI + 1;
    while (i < maxI && dark(i)) {
        ++cc[2];
        ++i;
    }
    if (i == maxI)
        return -1;
    while (i < maxI && !dark(i) && cc[3] < maxCount) {
        ++cc[3];
        ++i;
    }
    if (i == maxI || cc[3] >= maxCount)
        return -1;
    while (i < maxI && dark(i) && cc[4] < maxCount) {
        ++cc[4];
        ++i;
    }
    if (cc[4] >= maxCount)
        return -1;
    const int crossTotal = cc[0] + cc[1] + cc[2] + cc[3] + cc[4];
    if (5 * std::abs(crossTotal - rowTotal) >= 2 * rowTotal)
        return -1;
    return foundPatternCross(cc) ? centerFromEnd(cc, i) : -1;
}

float FinderPatternFinder::crossCheckHorizontal(int startJ, int centerI, int maxCount, int rowTotal)
{
    int *cc = crossCheckStateCount;
    for (int k = 0; k < 5; ++k)
        cc[k] = 0;
    const int maxJ = image.cols;
    if (startJ < 0 || startJ >= maxJ || centerI < 0 || centerI >= image.rows)
        return -1;
    const uchar *row = image.ptr<uchar>(centerI);
    int j = startJ;
    while (j >= 0 && row[j] == 0) {
        ++cc[2];
        --j;
    }
    if (j < 0)
        return -1;
    while (j >= 0 && row[j] != 0 && cc[1] <= maxCount) {
        ++cc[1];
        --j;
    }
    if (j < 0 || cc[1] > maxCount)
        return -1;
    while (j >= 0 && row[j] == 0 && cc[0] <= maxCount) {
        ++cc[0];
        --j;
    }
    if (cc[0] > maxCount)
        return -1;
    j = startJ + 1;
    while (j < maxJ && row[j] == 0) {
        ++cc[2];
        ++j;
    }
    if (j == maxJ)
        return -1;
    while (j < maxJ && row[j] != 0 && cc[3] < maxCount) {
        ++cc[3];
        ++j;
    }
    if (j == maxJ || cc[3] >= maxCount)
        return -1;
    while (j < maxJ && row[j] == 0 && cc[4] < maxCount) {
        ++cc[4];
        ++j;
    }
    if (cc[4] >= maxCount)
        return -1;
    const int crossTotal = cc[0] + cc[1] + cc[2] + cc[3] + cc[4];
    // Stricter along the row than down the column: within a fifth.
    if (5 * std::abs(crossTotal - rowTotal) >= rowTotal)
        return -1;
    return foundPatternCross(cc) ? centerFromEnd(cc, j) : -1;
}

int FinderPatternFinder::findRowSkip()
{
    if (possibleCenters.size() <= 1)
        return 0;
    const FinderPattern *first = nullptr;
    for (const FinderPattern &center : possibleCenters) {
        if (center.count < CENTER_QUORUM)
            continue;
        if (!first) {
            first = &center;
            continue;
        }
        hasSkipped = true;
        return (std::abs(first->x - center.x) - std::abs(first->y - center.y)) / 2;
    }
    return 0;
}

bool FinderPatternFinder::haveMultiplyConfirmedCenters() const
{
    const int n = possibleCenters.size();
    if (n == 0)
        return false;
    int confirmedCount = 0;
    double totalModuleSize = 0;
    for (const FinderPattern &center : possibleCenters) {
        if (center.count >= CENTER_QUORUM) {
            ++confirmedCount;
            totalModuleSize += center.estimatedModuleSize;
        }
    }
    if (confirmedCount < 3)
        return false;
    const double average = totalModuleSize / n;
    double totalDeviation = 0;
    for (const FinderPattern &center : possibleCenters)
        totalDeviation += std::fabs(center.estimatedModuleSize - average);
    return totalDeviation <= double(0.05f) * totalModuleSize;
}

QImage matToQImage(const cv::Mat &frame)
{
    if (frame.empty() || frame.depth() != CV_8U)
        return QImage();
    if (frame.channels() == 3) {
        cv::Mat rgb;
        cv::cvtColor(frame, rgb, cv::COLOR_BGR2RGB);
        return QImage(rgb.data, rgb.cols, rgb.rows, int(rgb.step), QImage::Format_RGB888).copy();
    }
    if (frame.channels() == 1) {
        // Greyscale, so that the picture shows and paints as the frame's greys.
        return QImage(frame.data, frame.cols, frame.rows, int(frame.step), QImage::Format_Grayscale8).copy();
    }
    return QImage();
}
