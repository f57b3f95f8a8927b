// Camera scanning with frames fed through the frame-source seam: the marks
// of a tick, when a frame is decoded, single and continuous mode on the
// decode page, and the path without a camera.
#include "camerapage.h"
#include "camerascan.h"
#include "helpers.h"
#include "mainwindow.h"
#include "ui_mainwindow.h"
#include "windowfixture.h"

#include <QTimer>
#include <QtTest>

#include <deque>

namespace {

// Plays its frames, then gives empty ones.
class PlayedFrames : public FrameSource
{
public:
    explicit PlayedFrames(std::deque<cv::Mat> frames) : m_frames(std::move(frames)) {}
    bool open() override { return m_open = true; }
    bool isOpen() const override { return m_open; }
    void release() override { m_open = false; }
    cv::Mat read() override
    {
        if (m_frames.empty())
            return cv::Mat();
        cv::Mat frame = m_frames.front();
        m_frames.pop_front();
        return frame;
    }

private:
    std::deque<cv::Mat> m_frames;
    bool m_open = false;
};

// A 640 by 480 camera frame (blue, green, red) holding a code of `text` in its middle.
cv::Mat codeFrame(const QString &text)
{
    QTemporaryDir dir;
    if (!TestSupport::writeCode(dir.filePath("code.png"), text, "PNG"))
        return cv::Mat();
    const QImage code = QImage(dir.filePath("code.png")).convertToFormat(QImage::Format_RGB888).scaled(300, 300);
    cv::Mat frame(480, 640, CV_8UC3, cv::Scalar(255, 255, 255));
    cv::Mat(code.height(), code.width(), CV_8UC3, const_cast<uchar *>(code.bits()), size_t(code.bytesPerLine()))
        .copyTo(frame(cv::Rect(170, 90, 300, 300)));
    return frame;
}

void feed(const std::deque<cv::Mat> &frames)
{
    CameraDevices::setFactory([frames] {
        return std::make_unique<ScanningCamera>(std::make_unique<PlayedFrames>(frames));
    });
}

} // namespace

class TestCamera : public QObject
{
    Q_OBJECT

    PageFixture m_page;

private slots:
    void init() { m_page.enter(); }
    void cleanup()
    {
        CameraDevices::setFactory(nullptr);
        m_page.leave();
    }

    void marksOfATick()
    {
        // A 640 by 480 frame: guide box at (32, 24) of 576 by 432, the scan line from x 34 to 606 at
        // 24 + 72 x step, sweeping down and back; nothing decoded without two finder patterns.
        CameraScan scan;
        ScanLine line;
        QList<int> lines;
        for (int t = 0; t < 8; ++t) {
            cv::Mat blank(480, 640, CV_8UC3, cv::Scalar(255, 255, 255));
            const CameraScan::Tick tick = scan.tick(blank, line);
            QVERIFY(tick.shown && tick.centres == 0 && tick.text.isEmpty());
            for (int y = 20; y < 470; ++y)
                if (tick.picture.pixel(320, y) == qRgb(0, 255, 255)) {
                    lines << y;
                    break;
                }
            QCOMPARE(tick.picture.pixel(32, 200), qRgb(0, 0, 255));
            QCOMPARE(tick.picture.pixel(607, 200), qRgb(0, 0, 255));
            QCOMPARE(tick.picture.pixel(20, 200), qRgb(255, 255, 255));
        }
        QCOMPARE(lines, (QList<int>{23, 95, 167, 239, 311, 383, 455, 383}));
        // A code: its finder patterns circled in orange, and its text read from the frame as given.
        cv::Mat frame = codeFrame("camera A");
        const CameraScan::Tick tick = scan.tick(frame, line);
        QVERIFY(tick.centres >= 3);
        QCOMPARE(tick.text, QStringLiteral("camera A"));
        int orange = 0;
        for (int p = 0; p < 640 * 480; ++p)
            orange += tick.picture.pixel(p % 640, p / 640) == qRgb(255, 153, 51);
        QVERIFY(orange > 100);
        // Frames too small to threshold, and frames that cannot become a picture (2 or 4 channels, not
        // 8-bit), are skipped without moving the line; the latter are told once for the run, not per tick.
        const ScanLine before = line;
        cv::Mat tiny(10, 640, CV_8UC3, cv::Scalar(0, 0, 0));
        QVERIFY(!scan.tick(tiny, line).shown);
        const QList<cv::Mat> unusable = {cv::Mat(480, 640, CV_8UC2, cv::Scalar(0, 0)),
                                         cv::Mat(480, 640, CV_8UC4, cv::Scalar(0, 0, 0, 255)),
                                         cv::Mat(480, 640, CV_16UC3, cv::Scalar(0, 0, 0)),
                                         cv::Mat(480, 640, CV_32FC1, cv::Scalar(0))};
        QStringList logged = TestSupport::collectMessages([&] {
            for (int round = 0; round < 3; ++round)
                for (cv::Mat frame : unusable)
                    QVERIFY(!scan.tick(frame, line).shown);
        }, false);
        QCOMPARE(logged.size(), 1);
        QVERIFY(logged.first().startsWith("camera frame skipped"));
        QVERIFY(line.step == before.step && line.down == before.down);
    }

    void singleAndContinuous()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        const cv::Mat a = codeFrame("A code"), b = codeFrame("B code"), percent = codeFrame("%1 and %2");
        // Single mode: the first new result is shown, counted and closes the camera.
        feed({cv::Mat(), a.clone(), a.clone()});
        ui->captureBtn->click();
        QCOMPARE(ui->captureBtn->text(), QStringLiteral("关闭摄像头扫描"));
        QVERIFY(window.cameraTicker()->isActive() && window.camera()->isOpen());
        window.slot_cameraopen(); // an empty frame changes nothing
        QCOMPARE(ui->JiemaText->toPlainText(), QString(kProductSite));
        window.slot_cameraopen();
        QCOMPARE(ui->JiemaText->toPlainText(), QStringLiteral("A code"));
        QCOMPARE(ui->jiemaOneMsg->text(), QStringLiteral("解码结果：<span style='color:green;'>扫描成功</span>"));
        QVERIFY(!ui->meihuaBtn->isHidden() && !window.cameraTicker()->isActive() && !window.camera()->isOpen());
        QCOMPARE(ui->captureBtn->text(), QStringLiteral("打开摄像头扫描"));
        QCOMPARE(readTextFile(m_page.file("qrcode_jiema.cache")), QStringLiteral("1"));

        // Continuous mode, A, A, B, A, "%1 and %2": one line per new result, newest first, texts as decoded.
        ui->checkBox_isLianxu->setChecked(true);
        feed({a.clone(), a.clone(), b.clone(), a.clone(), percent.clone()});
        ui->captureBtn->click();
        for (int t = 0; t < 5; ++t)
            window.slot_cameraopen();
        QCOMPARE(ui->JiemaText->toPlainText(), QStringLiteral("%1 and %2\nA code\nB code\nA code\nA code"));
        QVERIFY(ui->meihuaBtn->isHidden() && window.camera()->isOpen());
        QCOMPARE(readTextFile(m_page.file("qrcode_jiema.cache")), QStringLiteral("5"));
        // The button closes it; the texts stay.
        ui->captureBtn->click();
        QVERIFY(!window.cameraTicker()->isActive() && !window.camera()->isOpen());
        QCOMPARE(ui->captureBtn->text(), QStringLiteral("打开摄像头扫描"));
    }

    void scanLineAndUnusableFramesAcrossOpenings()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        const cv::Mat blank(480, 640, CV_8UC3, cv::Scalar(255, 255, 255));
        const auto lineAt = [&] {
            const QImage shown = ui->preImgLabel->pixmap(Qt::ReturnByValue).toImage();
            // The preview is the frame scaled to 360 by 270: the line is found by its cyan.
            for (int y = 0; y < shown.height(); ++y)
                if (shown.pixel(180, y) == qRgb(0, 255, 255))
                    return y * 480 / shown.height();
            return -1;
        };
        // Three ticks (steps 0, 1, 2), close, open, one tick: the line is at step 3 (24 + 3 x 72), moving down.
        feed({blank.clone(), blank.clone(), blank.clone()});
        ui->captureBtn->click();
        for (int t = 0; t < 3; ++t)
            window.slot_cameraopen();
        ui->captureBtn->click();
        QVERIFY(!window.camera()->isOpen());
        // A frame that cannot be shown leaves the last picture in place and moves nothing.
        feed({cv::Mat(480, 640, CV_8UC4, cv::Scalar(0, 0, 0, 255)), cv::Mat(480, 640, CV_8UC2, cv::Scalar(0, 0)),
              blank.clone(), blank.clone(), blank.clone(), blank.clone()});
        ui->captureBtn->click();
        QList<int> unchanged;
        const QStringList logged = TestSupport::collectMessages([&] {
            for (int t = 0; t < 2; ++t) {
                window.slot_cameraopen();
                unchanged << lineAt();
            }
        }, false);
        QCOMPARE(logged.size(), 1);
        QVERIFY2(qAbs(unchanged.value(0) - 168) <= 8 && qAbs(unchanged.value(1) - 168) <= 8, "step 2's picture stays");
        window.slot_cameraopen();
        QVERIFY2(qAbs(lineAt() - 240) <= 8, qPrintable(QString::number(lineAt())));
        window.slot_cameraopen();
        window.slot_cameraopen();
        window.slot_cameraopen();
        QVERIFY2(qAbs(lineAt() - 456) <= 8, qPrintable(QString::number(lineAt()))); // step 6, then back up
        ui->captureBtn->click();
        feed({blank.clone()});
        ui->captureBtn->click();
        window.slot_cameraopen();
        QVERIFY2(qAbs(lineAt() - 384) <= 8, qPrintable(QString::number(lineAt())));
    }

    void noCamera()
    {
        // No device on this machine: the camera module is loaded, the device does not open.
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        ui->captureBtn->click();
        QCOMPARE(m_page.messages, QStringList{"打开摄像头失败，请检查设备是否正常连接"});
        QCOMPARE(ui->captureBtn->text(), QStringLiteral("打开摄像头扫描"));
        QVERIFY(!window.cameraTicker()->isActive());
        ui->captureBtn->click();
        QCOMPARE(m_page.messages.size(), 2);
    }
};

QTEST_MAIN(TestCamera)
#include "tst_camera.moc"
