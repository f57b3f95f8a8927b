// The camera's finder-pattern locator: candidate centres of QR finder
// patterns in a binarised frame (0 dark, anything else light), found by runs
// of dark and light pixels in the proportions 1:1:3:1:1 along sampled rows,
// confirmed along the column and the row through each centre. It decides
// only whether a frame is worth decoding; it neither decodes nor picks three.
#ifndef VOPA_FINDERPATTERNFINDER_H
#define VOPA_FINDERPATTERNFINDER_H

#include <QImage>
#include <QList>

#include <opencv2/core.hpp>

class FinderPattern
{
public:
    FinderPattern() = default;
    // Positions are kept in whole pixels, truncated toward zero.
    FinderPattern(float posX, float posY, float estimatedModuleSize, int count);

    float getX() const { return float(x); }
    float getY() const { return float(y); }
    // Whether a sighting at row i, column j of that module size is this centre.
    bool aboutEquals(float moduleSize, float i, float j) const;
    // Merges one more sighting into the averages.
    void combineEstimate(float i, float j, float newModuleSize);

    float estimatedModuleSize = 0;
    int count = 0;
    int x = 0;
    int y = 0;
};

class FinderPatternFinder
{
public:
    static constexpr int MAX_MODULES = 57;
    static constexpr int MIN_SKIP = 3;
    static constexpr int CENTER_QUORUM = 2;

    // Shares the frame's pixels, which must not change while find() runs.
    explicit FinderPatternFinder(const cv::Mat &binarised);

    // One search; possibleCenters then holds every centre seen, in the order
    // first seen, with its count of sightings.
    void find();

    // The steps of the search, public for their tests.
    static bool foundPatternCross(const int stateCount[5]);
    static float centerFromEnd(const int stateCount[5], int end);
    bool handlePossibleCenter(const int stateCount[5], int i, int j);
    float crossCheckVertical(int startI, int centerJ, int maxCount, int rowTotal);
    float crossCheckHorizontal(int startJ, int centerI, int maxCount, int rowTotal);
    int findRowSkip();
    bool haveMultiplyConfirmedCenters() const;
    // The first row's step for an image of that many rows.
    static int initialRowSkip(int rows);

    cv::Mat image;
    QList<FinderPattern> possibleCenters;
    int crossCheckStateCount[5] = {0, 0, 0, 0, 0};
    bool hasSkipped = false;
};

// A camera frame as a picture that owns its pixels: a three-channel frame with
// its blue and red swapped, any other as 8-bit indexed rows.
QImage matToQImage(const cv::Mat &frame);

#endif
