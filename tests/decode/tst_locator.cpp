// The camera's finder-pattern locator on synthetic frames, with the numbers
// its search is built on, and the conversion of camera frames to pictures.
#include "finderpatternfinder.h"
#include "testsupport.h"

#include <QtTest>

#include <opencv2/imgproc.hpp>

namespace {

// A light frame with finder patterns of `module` pixels a module whose
// centres are at `centres` (x, y).
cv::Mat frameWith(int cols, int rows, const QList<QPoint> &centres, int module)
{
    cv::Mat frame(rows, cols, CV_8UC1, cv::Scalar(255));
    for (const QPoint &c : centres)
        for (int ring = 0; ring < 3; ++ring) {
            const int half = (7 - 2 * ring) * module / 2, x = c.x() - half, y = c.y() - half;
            cv::rectangle(frame, cv::Rect(x, y, 2 * half + (module % 2), 2 * half + (module % 2)),
                          cv::Scalar(ring == 1 ? 255 : 0), cv::FILLED);
        }
    return frame;
}

// A column of pixels: runs of alternating dark (first) and light lengths.
cv::Mat column(const QList<int> &runs)
{
    int rows = 0;
    for (int run : runs)
        rows += run;
    cv::Mat frame(rows, 1, CV_8UC1);
    int at = 0;
    for (int k = 0; k < runs.size(); ++k)
        for (int r = 0; r < runs[k]; ++r)
            frame.at<uchar>(at++, 0) = k % 2 ? 255 : 0;
    return frame;
}

} // namespace

class TestLocator : public QObject
{
    Q_OBJECT

private slots:
    void numbers()
    {
        QCOMPARE((QList<int>{FinderPatternFinder::initialRowSkip(480), FinderPatternFinder::initialRowSkip(720),
                             FinderPatternFinder::initialRowSkip(240), FinderPatternFinder::initialRowSkip(120)}),
                 (QList<int>{6, 9, 3, 3}));
        // The ratio test: strict at half a module.
        const int pass1[5] = {2, 2, 6, 2, 2}, pass2[5] = {1, 1, 3, 1, 1}, small[5] = {1, 1, 1, 1, 1},
                  edge[5] = {3, 2, 5, 2, 2}, zero[5] = {2, 0, 6, 2, 2};
        QVERIFY(FinderPatternFinder::foundPatternCross(pass1) && FinderPatternFinder::foundPatternCross(pass2));
        QVERIFY(!FinderPatternFinder::foundPatternCross(small) && !FinderPatternFinder::foundPatternCross(edge)
                && !FinderPatternFinder::foundPatternCross(zero));
        QCOMPARE(FinderPatternFinder::centerFromEnd(pass1, 20), 13.0f);

        // Merging a sighting: truncated positions, averaged module size.
        FinderPattern p(100, 50, 4.0f, 1);
        p.combineEstimate(50.5f, 101.5f, 4.2f);
        QCOMPARE((QList<int>{p.count, p.x, p.y}), (QList<int>{2, 100, 50}));
        QVERIFY(qAbs(p.estimatedModuleSize - 4.1f) < 1e-5f);
        const FinderPattern q(10.9f, 20.9f, 1.5f, 1);
        QCOMPARE((QList<int>{q.x, q.y}), (QList<int>{10, 20}));
        QVERIFY(q.aboutEquals(3.0f, 21.0f, 11.0f) && !q.aboutEquals(4.0f, 21.0f, 11.0f));
        QVERIFY(!q.aboutEquals(3.0f, 24.5f, 11.0f));

        // Row skip and the done test.
        FinderPatternFinder finder(cv::Mat(10, 10, CV_8UC1, cv::Scalar(255)));
        finder.possibleCenters = {FinderPattern(100, 50, 4, 2), FinderPattern(5, 5, 4, 1), FinderPattern(300, 60, 4, 2)};
        QCOMPARE(finder.findRowSkip(), 95);
        QVERIFY(finder.hasSkipped);
        finder.possibleCenters = {FinderPattern(1, 1, 4, 2), FinderPattern(2, 2, 4, 3), FinderPattern(3, 3, 4, 2)};
        QVERIFY(finder.haveMultiplyConfirmedCenters());
        finder.possibleCenters.append(FinderPattern(4, 4, 10, 1));
        QVERIFY(!finder.haveMultiplyConfirmedCenters());
        finder.possibleCenters = {FinderPattern(1, 1, 4, 2), FinderPattern(2, 2, 4, 1)};
        QCOMPARE(FinderPatternFinder(finder.image).findRowSkip(), 0);
        QVERIFY(!finder.haveMultiplyConfirmedCenters());
    }

    void crossChecks()
    {
        // Runs from the top: dark, light, dark centre, light, dark, light.
        const auto vertical = [](const QList<int> &runs, int start, int maxCount, int total) {
            FinderPatternFinder finder(column(runs));
            return finder.crossCheckVertical(start, 0, maxCount, total);
        };
        QCOMPARE(vertical({2, 2, 6, 2, 2, 3}, 7, 6, 14), 7.0f);
        // The outer dark runs may end at the edges; the centre run and the light runs may not.
        QCOMPARE(vertical({2, 2, 6, 2, 2}, 7, 6, 14), 7.0f);
        QCOMPARE(vertical({6, 2, 2, 3}, 2, 6, 14), -1.0f);
        // A light run of maxCount above the centre passes; of maxCount below, it is rejected.
        QVERIFY(vertical({3, 3, 9, 3, 3, 1}, 10, 3, 21) < 0);  // 3 below reaches maxCount 3
        QVERIFY(vertical({3, 3, 9, 2, 2, 1}, 10, 3, 20) >= 0); // 3 above is allowed
        QVERIFY(vertical({3, 3, 9, 2, 3, 1}, 10, 3, 20) < 0);  // and so is not a dark run of 3 below
        // Column and row cuts that differ too much: 40 % down the column, 20 % along the row.
        QVERIFY(vertical({2, 2, 6, 2, 2, 3}, 7, 6, 24) < 0);
        QVERIFY(vertical({2, 2, 6, 2, 2, 3}, 7, 6, 18) >= 0);
        cv::Mat row(1, 20, CV_8UC1, cv::Scalar(255));
        for (int j : {3, 4, 7, 8, 9, 10, 11, 12, 15, 16})
            row.at<uchar>(0, j) = 0;
        FinderPatternFinder finder(row);
        QCOMPARE(finder.crossCheckHorizontal(9, 0, 6, 14), 10.0f);
        QVERIFY(finder.crossCheckHorizontal(9, 0, 6, 18) < 0);
        QVERIFY(finder.crossCheckHorizontal(9, 0, 6, 12) >= 0);
    }

    void frames()
    {
        // Nothing in an empty frame, light or dark.
        for (int value : {255, 0}) {
            FinderPatternFinder finder(cv::Mat(480, 640, CV_8UC1, cv::Scalar(value)));
            finder.find();
            QVERIFY(finder.possibleCenters.isEmpty());
        }
        // Three patterns, one beyond column 480 of a 640 by 480 frame: all confirmed, at their centres.
        FinderPatternFinder finder(frameWith(640, 480, {{100, 100}, {560, 100}, {100, 380}}, 8));
        finder.find();
        QList<QPoint> confirmed;
        for (const FinderPattern &p : finder.possibleCenters)
            if (p.count >= FinderPatternFinder::CENTER_QUORUM)
                confirmed << QPoint(p.x, p.y);
        QCOMPARE(confirmed.size(), 3);
        for (const QPoint &expected : {QPoint(100, 100), QPoint(560, 100), QPoint(100, 380)}) {
            bool seen = false;
            for (const QPoint &c : confirmed)
                seen = seen || (qAbs(c.x() - expected.x()) <= 4 && qAbs(c.y() - expected.y()) <= 4);
            QVERIFY2(seen, qPrintable(QStringLiteral("%1,%2").arg(expected.x()).arg(expected.y())));
        }
        // A pattern flush with the right edge is measured on the frame's own
        // columns only, whatever lies after a row in memory: in a region of a
        // wider frame that is dark beyond it, and in a frame whose rows start
        // dark. Its centre and its module of 8 come out exact.
        cv::Mat wide(160, 210, CV_8UC1, cv::Scalar(0));
        frameWith(200, 160, {{172, 80}}, 8).copyTo(wide(cv::Rect(0, 0, 200, 160)));
        cv::Mat darkStart = frameWith(200, 160, {{172, 80}}, 8);
        darkStart.colRange(0, 2).setTo(cv::Scalar(0));
        for (const cv::Mat &edge : {wide(cv::Rect(0, 0, 200, 160)), darkStart}) {
            FinderPatternFinder flush(edge);
            flush.find();
            QVERIFY(!flush.possibleCenters.isEmpty());
            for (const FinderPattern &p : flush.possibleCenters)
                QCOMPARE((QList<float>{p.getX(), p.getY(), p.estimatedModuleSize}), (QList<float>{172, 80, 8}));
        }
        // A real code, binarised as the camera's frames are.
        QTemporaryDir dir;
        QVERIFY(TestSupport::writeCode(dir.filePath("code.png"), "camera", "PNG"));
        QImage code = QImage(dir.filePath("code.png")).convertToFormat(QImage::Format_Grayscale8).scaled(400, 400);
        cv::Mat grey(code.height(), code.width(), CV_8UC1, code.bits(), size_t(code.bytesPerLine())), binary;
        cv::threshold(grey, binary, 128, 255, cv::THRESH_BINARY);
        FinderPatternFinder real(binary);
        real.find();
        QVERIFY(real.possibleCenters.size() >= 2);
    }

    void frameToPicture()
    {
        // Blue, green, red in; red, green, blue out, in a picture of its own.
        cv::Mat bgr(2, 3, CV_8UC3, cv::Scalar(10, 20, 30));
        QImage picture = matToQImage(bgr);
        bgr.setTo(cv::Scalar(0, 0, 0));
        QCOMPARE(picture.format(), QImage::Format_RGB888);
        QCOMPARE(picture.size(), QSize(3, 2));
        QCOMPARE(picture.pixel(2, 1), qRgb(30, 20, 10));
        // A grey frame shows its greys.
        cv::Mat grey(2, 3, CV_8UC1, cv::Scalar(77));
        picture = matToQImage(grey);
        QCOMPARE(picture.pixel(1, 1), qRgb(77, 77, 77));
        QVERIFY(matToQImage(cv::Mat()).isNull());
    }
};

QTEST_MAIN(TestLocator)
#include "tst_locator.moc"
