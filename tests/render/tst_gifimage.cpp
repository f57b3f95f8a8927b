// The animated GIF writer: files read back with giflib for what players rely
// on (screen, loop block, one control block a frame, delays in hundredths,
// colour maps, offsets, pixels), loading them again, and the error paths of save.
#include "gifimage.h"
#include "rendersupport.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtTest>

using namespace TestSupport;

namespace {

const QRgb Red = 0xffff0000, Green = 0xff00ff00, Blue = 0xff0000ff, White = 0xffffffff, Yellow = 0xffffff00;

// Vertical stripes, one per colour, `stripe` pixels wide; or, indexed, pixel
// (x, y) of index (x + 2y) modulo the palette size.
QImage stripes(const QVector<QRgb> &colors, int stripe, int height, bool indexed = false)
{
    QImage image(stripe * colors.size(), height, indexed ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    if (indexed)
        image.setColorTable(colors);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, indexed ? uint((x + 2 * y) % colors.size()) : colors.at(x / stripe));
    return image;
}

QImage rgb(const QImage &image) { return image.convertToFormat(QImage::Format_RGB32); }

// A buffer that takes the first `limit` bytes and refuses everything after.
struct FullBuffer : QBuffer
{
    explicit FullBuffer(qint64 limit) : limit(limit) { open(QIODevice::WriteOnly); }
    qint64 writeData(const char *data, qint64 n) override { return QBuffer::writeData(data, qMin(n, limit - size())); }
    qint64 limit;
};

} // namespace

class TestGifImage : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void framesColourMapsAndLoading()
    {
        // Frames at the offsets, delays and transparent colours set after adding
        // them (the last past the screen): one control block each with the delay
        // in hundredths (the default for -1) and the transparent colour's index in
        // the frame's table (the default colour for an invalid one, dropped when
        // in no table); the loop block (16 bits) on frame 0 only. A global table
        // (padded to 8) serves every frame but one with a palette of its own.
        struct Frame { QImage image; QPoint offset; int delay; QColor transparent; int hundredths, mapSize, index; };
        const Frame frames[] = {{stripes({Red, Green, Blue, White, Yellow}, 2, 8, true), {1, 2}, 500, Green, 50, 0, 1},
                                {stripes({Yellow, Red, White}, 3, 6), {3, 4}, 95, QColor(), 9, 0, 3},
                                {stripes({Blue, Blue, Yellow}, 2, 5, true), {7, 1}, 0, Blue, 0, 4, 0},
                                {stripes({Red, Green, Blue}, 7, 20), {30, 25}, -1, QColor(1, 2, 3), 100, 0, -1}};
        GifImage gif(QSize(40, 30)), in;
        gif.setLoopCount(70000);
        gif.setGlobalColorTable({Red, Green, Blue, White, Yellow}, QColor(Blue));
        gif.setDefaultTransparentColor(QColor(White));
        for (const Frame &f : frames) {
            gif.addFrame(f.image);
            gif.setFrameOffset(gif.frameCount() - 1, f.offset);
            gif.setFrameDelay(gif.frameCount() - 1, f.delay);
            gif.setFrameTransparentColor(gif.frameCount() - 1, f.transparent);
        }
        const GifRecord rec = gif.save("anim.gif") ? readGif("anim.gif") : GifRecord();
        QVERIFY(readBytes("anim.gif").startsWith("GIF89a") && rec.screen == QSize(40, 30) && rec.globalMapSize == 8);
        // Loaded again (twice: a load replaces the frames), delays come back as
        // whole hundredths.
        QVERIFY(in.load("anim.gif") && in.load("anim.gif") && in.frameCount() == 4 && rec.frames.size() == 4);
        QVERIFY(in.canvasSize() == QSize(40, 30) && in.loopCount() == 70000 % 65536 && !in.load("absent.gif"));
        for (int i = 0; i < 4; ++i) {
            const GifFrameRecord &r = rec.frames.at(i);
            const Frame &f = frames[i];
            const QColor loaded = f.index < 0 ? QColor() : f.transparent.isValid() ? f.transparent : QColor(White);
            QVERIFY2(r.rect == QRect(f.offset, f.image.size()) && r.gceCount == 1 && r.transparentIndex == f.index
                         && r.delay == f.hundredths && r.loopCount == (i ? -1 : 70000 % 65536)
                         && r.localMapSize == f.mapSize && r.image == rgb(f.image) && in.frameOffset(i) == f.offset
                         && in.frameDelay(i) == 10 * f.hundredths && rgb(in.frame(i)) == rgb(f.image)
                         && in.frameTransparentColor(i) == loaded,
                     qPrintable(QString::number(i)));
        }
        // Loop -1 is written as 65535.
        gif.setLoopCount(-1);
        QVERIFY(gif.save("loop.gif") && readGif("loop.gif").frames.at(0).loopCount == 65535);
    }

    void saveFailures()
    {
        // A missing folder or device, and a full disk: a small file fails when
        // flushed, a large one inside the encoder; a short write at any point of
        // the stream, the trailer included. A device with room gets the file's bytes.
        GifImage gif(QSize(12, 12)), big(QSize(300, 300));
        gif.addFrame(stripes({Red, Green, Blue}, 4, 12), QPoint(), 20);
        QImage noise(300, 300, QImage::Format_RGB32);
        QRandomGenerator(1).fillRange(reinterpret_cast<quint32 *>(noise.bits()), 300 * 300);
        big.addFrame(noise, QPoint(), 10);
        QVERIFY(!gif.save("missing/folder/out.gif") && !gif.save(static_cast<QIODevice *>(nullptr)));
        collectMessages([&] { QVERIFY(!gif.save("/dev/full") && !big.save("/dev/full")); }, false);
        QVERIFY(big.save("big.gif") && QFileInfo("big.gif").size() > 32 * 1024 && gif.save("ok.gif"));
        // Without a canvas size the screen holds every frame where it is placed.
        GifImage sized;
        sized.addFrame(stripes({Red, Green}, 2, 10), QPoint(5, 3), 10);
        QVERIFY(sized.canvasSize() == QSize(9, 13) && sized.save("sized.gif") && readGif("sized.gif").screen == QSize(9, 13));
        const QByteArray full = readBytes("ok.gif");
        collectMessages([&] {
            for (int limit = 0; limit < full.size(); ++limit)
                QVERIFY2(!gif.save(std::make_unique<FullBuffer>(limit).get()), qPrintable(QString::number(limit)));
        }, false);
        FullBuffer roomy(full.size());
        QVERIFY(gif.save(&roomy) && roomy.data() == full);
        // A file that declares a screen or an image beyond the limits is refused
        // before giflib allocates its pixels (a 24-byte file would ask for 4 GB).
        const QByteArray header("GIF89a\x01\x00\x01\x00\x00\x00\x00", 13);
        const QByteArray hugeImage = header + QByteArray("\x2c\0\0\0\0\xff\xff\xff\xff\x00\x02", 11);
        const QByteArray hugeScreen = "GIF89a\x60\xea\x60\xea" + header.mid(10);
        // Sides within the limit, too many pixels in all; one side small, the other beyond it.
        const QByteArray squareScreen = QByteArray("GIF89a\x80\x3e\x80\x3e", 10) + header.mid(10);
        const QByteArray tallScreen = QByteArray("GIF89a\x64\x00\x60\xea", 10) + header.mid(10);
        for (const auto &[bytes, refusal] : {std::pair(hugeImage, "GIF image of 65535 x 65535 refused"),
                                              std::pair(hugeScreen, "GIF screen of 60000 x 60000 refused"),
                                              std::pair(squareScreen, "GIF screen of 16000 x 16000 refused"),
                                              std::pair(tallScreen, "GIF screen of 100 x 60000 refused")}) {
            QVERIFY(writeBytes("huge.gif", bytes));
            QCOMPARE(collectMessages([&] { QVERIFY(!GifImage().load(QStringLiteral("huge.gif"))); }, false),
                     QStringList{refusal});
        }
    }

    void ownPalettes()
    {
        // Without a global table each frame gets a palette of its own. A frame just
        // past 256 colours loses only the ones that share an entry (an entry is
        // the mean of its colours). A frame of thousands of colours (red across,
        // green down, so that no channel stands in for another) with solid black
        // and white blocks, as a code on a photo, keeps each block one clean
        // colour with no dither speckle, and no channel of the gradient is off by
        // more than 24.
        QImage many(257, 1, QImage::Format_RGB32), picture(256, 256, QImage::Format_RGB32);
        for (int x = 0; x < 257; ++x)
            many.setPixel(x, 0, qRgb(8 * (x % 32), 8 * (x / 32), 200));
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                picture.setPixel(x, y, qRgb(x, y, 96));
        const auto block = [](int b) { return QRect(40 + 48 * (b % 4), 40 + 48 * (b / 4), 24, 24); };
        for (int b = 0; b < 16; ++b)
            for (int p = 0; p < 24 * 24; ++p)
                picture.setPixel(block(b).topLeft() + QPoint(p % 24, p / 24), (b % 4 + b / 4) % 2 ? 0xff000000 : White);
        GifImage gif(picture.size());
        gif.addFrame(many, QPoint(0, 0), 100);
        gif.addFrame(picture, QPoint(0, 0), 100);
        const GifRecord record = gif.save("rich.gif") ? readGif("rich.gif") : GifRecord();
        QVERIFY(record.frames.size() == 2 && record.globalMapSize == 0 && record.frames.at(1).localMapSize == 256);
        int exact = 0;
        for (int x = 0; x < 257; ++x)
            exact += record.frames.at(0).image.pixel(x, 0) == many.pixel(x, 0);
        QVERIFY2(exact >= 255, qPrintable(QString::number(exact)));
        const QImage back = record.frames.at(1).image;
        int worst = 0;
        for (int p = 0; p < 256 * 256; ++p)
            for (int shift : {0, 8, 16})
                worst = qMax(worst, qAbs(int(picture.pixel(p % 256, p / 256) >> shift & 0xff)
                                         - int(back.pixel(p % 256, p / 256) >> shift & 0xff)));
        QVERIFY2(worst <= 24, qPrintable(QString::number(worst)));
        for (int b = 0; b < 16; ++b) {
            QImage solid(24, 24, QImage::Format_RGB32);
            solid.fill(back.pixel(block(b).topLeft()));
            QVERIFY(back.copy(block(b)) == solid);
            QVERIFY((b % 4 + b / 4) % 2 ? qGray(solid.pixel(0, 0)) < 16 : qGray(solid.pixel(0, 0)) > 239);
        }
    }

private:
    TestCwd m_cwd;
};

QTEST_MAIN(TestGifImage)
#include "tst_gifimage.moc"
