// The animated GIF writer: files read back with giflib for what players rely
// on (screen, loop block, one control block a frame, delays in hundredths,
// colour maps, offsets, pixels), the error paths of save, and loading.
#include "gifimage.h"
#include "rendersupport.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace TestSupport;

namespace {

const QRgb Red = qRgb(255, 0, 0), Green = qRgb(0, 255, 0), Blue = qRgb(0, 0, 255), White = qRgb(255, 255, 255), Yellow = qRgb(255, 255, 0);

// Vertical stripes, one per colour, `stripe` pixels wide; or, indexed, pixel
// (x, y) of index (x + 2y) modulo the palette size.
QImage stripes(const QVector<QRgb> &colors, int stripe, int height, bool indexed = false)
{
    QImage image(stripe * colors.size(), height, indexed ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    image.setColorTable(indexed ? colors : QVector<QRgb>());
    for (int p = 0; p < image.width() * height; ++p)
        indexed ? image.setPixel(p % image.width(), p / image.width(), uint((p % image.width() + 2 * (p / image.width())) % colors.size()))
                : image.setPixel(p % image.width(), p / image.width(), colors.at(p % image.width() / stripe));
    return image;
}

QImage rgb(const QImage &image) { return image.convertToFormat(QImage::Format_RGB32); }

// A device that takes the first `limit` bytes and refuses everything after.
struct FailingDevice : QIODevice
{
    explicit FailingDevice(qint64 limit) : limit(limit) { open(QIODevice::WriteOnly); }
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *bytes, qint64 n) override { return data.size() < limit ? (data.append(bytes, int(n = qMin(n, limit - data.size()))), n) : -1; }
    qint64 limit;
    QByteArray data;
};

} // namespace

class TestGifImage : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void framesAndColourMaps()
    {
        // Frames at the offsets and delays set after adding them (the last past
        // the set screen), one control block each with the delay in hundredths
        // (the default for -1), the loop block (16 bits) on frame 0 only, local
        // maps of the next power of two.
        struct Frame { QImage image; QPoint offset; int delay, hundredths, mapSize; };
        const Frame frames[] = {{stripes({Red, Green, Blue}, 4, 10), {1, 2}, 500, 50, 4}, {stripes({Red, Green, Blue, White, Yellow}, 2, 6), {3, 4}, 95, 9, 8},
                                {stripes({qRgb(10, 20, 30)}, 5, 5), {7, 1}, 0, 0, 2}, {stripes({Red, Green, Blue}, 7, 20), {30, 25}, -1, 100, 4}};
        GifImage gif(QSize(40, 30));
        gif.setLoopCount(70000);
        for (const Frame &f : frames)
            gif.addFrame(f.image), gif.setFrameOffset(gif.frameCount() - 1, f.offset), gif.setFrameDelay(gif.frameCount() - 1, f.delay);
        GifRecord rec = gif.save("anim.gif") ? readGif("anim.gif") : GifRecord();
        QVERIFY(readBytes("anim.gif").startsWith("GIF89a") && rec.screen == QSize(40, 30) && rec.globalMapSize == 0 && rec.frames.size() == 4);
        for (int i = 0; i < 4; ++i) {
            const GifFrameRecord &f = rec.frames.at(i);
            QVERIFY2(f.rect == QRect(frames[i].offset, frames[i].image.size()) && f.gceCount == 1 && f.transparentIndex == -1 && f.delay == frames[i].hundredths
                         && f.loopCount == (i ? -1 : 70000 % 65536) && f.localMapSize == frames[i].mapSize && f.image == frames[i].image, qPrintable(QString::number(i)));
        }
        // A global table (padded to 8, background blue) serves the frames it
        // holds; a frame with a palette of its own keeps it. A transparent colour
        // is its index in the frame's table; one in no table is dropped.
        GifImage tables(QSize(16, 16));
        tables.setGlobalColorTable({Red, Green, Blue, White, Yellow}, QColor(Blue)), tables.setDefaultTransparentColor(QColor(White));
        const QPair<QImage, QColor> tableFrames[] = {{stripes(tables.globalColorTable(), 2, 8, true), QColor(Green)},
                                                     {stripes({Yellow, Red, White}, 3, 6), QColor()}, {stripes({Blue, Blue, Yellow}, 2, 5, true), QColor(Blue)},
                                                     {stripes({Green}, 2, 2), QColor(1, 2, 3)}};
        for (const auto &f : tableFrames)
            tables.addFrame(f.first, QPoint(2, 2), 100), tables.setFrameTransparentColor(tables.frameCount() - 1, f.second);
        rec = tables.save("tables.gif") ? readGif("tables.gif") : GifRecord();
        QVERIFY(rec.globalMapSize == 8 && rec.frames.size() == 4);
        const int localMaps[4] = {0, 0, 4, 0}, transparent[4] = {1, 3, 0, -1};
        for (int i = 0; i < 4; ++i)
            QVERIFY2(rec.frames.at(i).localMapSize == localMaps[i] && rec.frames.at(i).transparentIndex == transparent[i]
                         && rec.frames.at(i).image == rgb(tables.frame(i)), qPrintable(QString::number(i)));
    }

    void saveFailures()
    {
        GifImage gif(QSize(12, 12)), big(QSize(300, 300));
        gif.setGlobalColorTable({Red, Green, Blue}, QColor(Green));
        gif.addFrame(stripes({Red, Green, Blue}, 4, 12, true), QPoint(), 20), gif.addFrame(stripes({Yellow, White}, 3, 4), QPoint(2, 3), 30);
        QVERIFY(!gif.save("missing/folder/out.gif") && !gif.save(static_cast<QIODevice *>(nullptr)));
        // A full disk: a small file fails when flushed, a large one inside the encoder.
        QImage noise(300, 300, QImage::Format_RGB32);
        QRandomGenerator(1).fillRange(reinterpret_cast<quint32 *>(noise.bits()), 300 * 300);
        big.addFrame(noise, QPoint(), 10);
        collectMessages([&] { QVERIFY(!gif.save("/dev/full") && !big.save("/dev/full")); }, false);
        QVERIFY(big.save("big.gif") && QFileInfo("big.gif").size() > 32 * 1024 && gif.save("ok.gif"));
        // The writer reports a short write at any point of the stream, the
        // trailer included; a device with room enough gets the file's bytes.
        const QByteArray full = readBytes("ok.gif");
        collectMessages([&] {
            for (int limit = 0; limit < full.size(); ++limit)
                QVERIFY2(!gif.save(std::make_unique<FailingDevice>(limit).get()), qPrintable(QStringLiteral("device full after %1 bytes").arg(limit)));
        }, false);
        FailingDevice roomy(full.size());
        QVERIFY(gif.save(&roomy) && roomy.data == full);
    }

    void loading()
    {
        // Loop -1 is written as 65535; delays come back as whole hundredths, the
        // default for a frame without one; loading again replaces the frames, and
        // a missing file gives false.
        const QImage first = stripes({Red, Green, Blue}, 3, 7), second = stripes({White, Yellow, Red, Blue, Green}, 1, 4, true);
        GifImage out(QSize(30, 20)), in;
        out.setLoopCount(-1);
        out.addFrame(first, QPoint(1, 2), 95), out.addFrame(second, QPoint(20, 11)), out.setFrameTransparentColor(1, QColor(Yellow));
        QVERIFY(out.save("round.gif") && in.load("round.gif") && in.load("round.gif") && in.frameCount() == 2 && in.canvasSize() == QSize(30, 20)
                && in.loopCount() == 65535 && in.frameOffset(0) == QPoint(1, 2) && in.frameOffset(1) == QPoint(20, 11));
        QVERIFY(in.frameDelay(0) == 90 && in.frameDelay(1) == 1000 && !in.frameTransparentColor(0).isValid() && in.frameTransparentColor(1) == QColor(Yellow));
        QVERIFY(rgb(in.frame(0)) == rgb(first) && rgb(in.frame(1)) == rgb(second) && !in.load("absent.gif"));
    }

    void richFramesStayCrisp()
    {
        // A frame of thousands of colours (red across, green down, so that no
        // channel stands in for another) with solid black and white blocks, as a
        // code on a photo: the palette fits the picture, each block comes out
        // one clean colour with no dither speckle, and no channel of the
        // gradient is off by more than 24.
        QImage picture(256, 256, QImage::Format_RGB32);
        for (int p = 0; p < 256 * 256; ++p)
            picture.setPixel(p % 256, p / 256, qRgb(p % 256, p / 256, 96));
        for (int p = 0; p < 16 * 576; ++p)
            picture.setPixel(40 + 48 * (p / 576 % 4) + p % 24, 40 + 48 * (p / 576 / 4) + p % 576 / 24, (p / 576 % 4 + p / 576 / 4) % 2 ? 0xff000000 : White);
        GifImage gif(picture.size());
        gif.addFrame(picture, QPoint(0, 0), 100);
        const GifRecord record = gif.save("rich.gif") ? readGif("rich.gif") : GifRecord();
        QVERIFY(record.frames.size() == 1 && record.frames.at(0).localMapSize == 256);
        const QImage back = record.frames.at(0).image;
        int worst = 0;
        for (int p = 0; p < 256 * 256; ++p)
            for (int shift : {0, 8, 16})
                worst = qMax(worst, qAbs(int(picture.pixel(p % 256, p / 256) >> shift & 0xff) - int(back.pixel(p % 256, p / 256) >> shift & 0xff)));
        for (int b = 0; b < 16; ++b) {
            QImage solid(24, 24, QImage::Format_RGB32);
            solid.fill(back.pixel(40 + 48 * (b % 4), 40 + 48 * (b / 4)));
            QVERIFY(back.copy(40 + 48 * (b % 4), 40 + 48 * (b / 4), 24, 24) == solid);
            QVERIFY((b % 4 + b / 4) % 2 ? qGray(solid.pixel(0, 0)) < 16 : qGray(solid.pixel(0, 0)) > 239);
        }
        QVERIFY2(worst <= 24, qPrintable(QString::number(worst)));
    }

private:
    TestCwd m_cwd;
};

QTEST_MAIN(TestGifImage)
#include "tst_gifimage.moc"
