// Tests of the animated GIF writer: written files are read back with giflib
// and checked for what players rely on (header, screen, loop block, frame
// timing, colour maps, offsets, pixels), plus the error paths of save and
// the loading path.
#include "gifimage.h"
#include "rendersupport.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace TestSupport;

namespace {

const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 255, 0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb White = qRgb(255, 255, 255);
const QRgb Yellow = qRgb(255, 255, 0);

// Vertical stripes, one per colour, each `stripe` pixels wide.
QImage stripes(const QVector<QRgb> &colors, int stripe, int height)
{
    QImage image(stripe * colors.size(), height, QImage::Format_RGB32);
    for (int p = 0; p < image.width() * height; ++p)
        image.setPixel(p % image.width(), p / image.width(), colors.at(p % image.width() / stripe));
    return image;
}

// An indexed picture whose pixel (x, y) has index (x + 2y) modulo the palette size.
QImage diagonal(const QVector<QRgb> &palette, int width, int height)
{
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorTable(palette);
    for (int p = 0; p < width * height; ++p)
        image.setPixel(p % width, p / width, uint((p % width + 2 * (p / width)) % palette.size()));
    return image;
}

// The picture's opaque colours, for comparing frames whatever their format.
QImage rgb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}

// A device that takes the first `limit` bytes and refuses everything after.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(qint64 limit) : m_limit(limit) { open(QIODevice::WriteOnly); }
    QByteArray data;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *bytes, qint64 length) override
    {
        const qint64 taken = qMin(m_limit - data.size(), length);
        data.append(bytes, int(qMax<qint64>(taken, 0)));
        return taken > 0 ? taken : -1;
    }

private:
    qint64 m_limit;
};

} // namespace

class TestGifImage : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void animationStructure()
    {
        const QVector<QRgb> three{Red, Green, Blue};
        const QImage images[4] = {stripes(three, 4, 10), stripes({Red, Green, Blue, White, Yellow}, 2, 6),
                                  stripes({qRgb(10, 20, 30)}, 5, 5), stripes(three, 7, 20)};
        const QPoint offsets[4] = {QPoint(0, 0), QPoint(3, 4), QPoint(7, 1), QPoint(30, 25)};
        const int delays[4] = {1000, 95, 0, -1};
        const int hundredths[4] = {100, 9, 0, 100};
        const int mapSizes[4] = {4, 8, 2, 4};
        GifImage gif(QSize(40, 30));
        gif.setLoopCount(3);
        for (int i = 0; i < 4; ++i)
            gif.addFrame(images[i], offsets[i], delays[i]);
        QVERIFY(gif.save("anim.gif"));
        const GifRecord rec = readGif("anim.gif");
        QVERIFY2(rec.ok, qPrintable(rec.error));
        // The last frame reaches beyond the canvas; the screen keeps the set size.
        QVERIFY(rec.signature == "GIF89a" && rec.width == 40 && rec.height == 30 && rec.globalMapSize == 0);
        QCOMPARE(rec.frames.size(), 4);
        for (int i = 0; i < 4; ++i) {
            // One control block each, the loop block on the first frame only, and
            // local maps of a power of two holding the frame's colours.
            const GifFrameRecord &f = rec.frames.at(i);
            QCOMPARE(QRect(f.left, f.top, f.width, f.height), QRect(offsets[i], images[i].size()));
            QVERIFY(f.gceCount == 1 && f.transparentIndex == -1 && f.netscape == (i == 0));
            QCOMPARE(f.delay, hundredths[i]);
            QCOMPARE(f.localMapSize, mapSizes[i]);
            QCOMPARE(f.image, rgb(images[i]));
        }
        QCOMPARE(rec.frames.at(0).loopCount, 3);
        // The loop block holds 16 bits: larger counts keep their low bits.
        gif.setLoopCount(70000);
        QVERIFY(gif.save("loop.gif"));
        QCOMPARE(readGif("loop.gif").frames.at(0).loopCount, 4464);

        // Without a set canvas the screen covers every frame with its offset.
        GifImage derived;
        derived.addFrame(images[0], QPoint(5, 2), 10);
        derived.addFrame(images[1], QPoint(1, 9), 10);
        QCOMPARE(derived.canvasSize(), QSize(17, 15));
        QVERIFY(derived.save("derived.gif"));
        QCOMPARE(readGif("derived.gif").width, 17);

        // No frame at all: header, a 300 by 21 screen without a colour map and
        // the trailer, nothing else, no loop block.
        GifImage empty(QSize(300, 21));
        empty.setLoopCount(5);
        QVERIFY(empty.save("empty.gif"));
        const QByteArray bytes = readBytes("empty.gif");
        QCOMPARE(bytes.size(), 14);
        QCOMPARE(bytes.left(10), QByteArray("GIF87a\x2c\x01\x15\x00", 10));
        QVERIFY((uchar(bytes.at(10)) & 0x80) == 0 && bytes.at(13) == char(0x3B));
    }

    void colourTables()
    {
        // A global table (padded to 8 entries, background blue) serves the
        // frames it holds; a frame with a palette of its own keeps it, and its
        // indices. Transparent colours become the index
        // of that colour in the frame's table; one in no table is dropped.
        const QVector<QRgb> global{Red, Green, Blue, White, Yellow};
        const QImage own = diagonal({Blue, Blue, Yellow}, 6, 5);
        GifImage gif(QSize(16, 16));
        gif.setGlobalColorTable(global, QColor(Blue));
        gif.setDefaultTransparentColor(QColor(White));
        gif.addFrame(diagonal(global, 8, 8), QPoint(), 100);
        gif.addFrame(stripes({Yellow, Red, White}, 3, 6), QPoint(), 100);
        gif.addFrame(own, QPoint(2, 2), 100);
        gif.addFrame(stripes({Green}, 2, 2), QPoint(), 100);
        gif.setFrameTransparentColor(0, QColor(Green));
        gif.setFrameTransparentColor(2, QColor(Blue));
        gif.setFrameTransparentColor(3, QColor(1, 2, 3));
        QVERIFY(gif.save("tables.gif"));
        const GifRecord rec = readGif("tables.gif");
        QVERIFY(rec.globalMapSize == 8 && rec.frames.size() == 4);
        const int localMaps[4] = {0, 0, 4, 0};
        const int transparent[4] = {1, 3, 0, -1};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(rec.frames.at(i).localMapSize, localMaps[i]);
            QCOMPARE(rec.frames.at(i).transparentIndex, transparent[i]);
            QCOMPARE(rec.frames.at(i).image, rgb(gif.frame(i)));
        }
    }

    void saveFailures()
    {
        GifImage gif(QSize(12, 12));
        gif.setGlobalColorTable({Red, Green, Blue}, QColor(Green));
        gif.addFrame(diagonal({Red, Green, Blue}, 12, 12), QPoint(), 20);
        gif.addFrame(stripes({Yellow, White}, 3, 4), QPoint(2, 3), 30);
        QVERIFY(!gif.save("missing/folder/out.gif") && !QFile::exists("missing/folder/out.gif"));
        QVERIFY(!gif.save(static_cast<QIODevice *>(nullptr)));

        // A full disk: a small file fails when flushed, a large one inside the encoder.
        QVector<QRgb> grey(256);
        for (int i = 0; i < 256; ++i)
            grey[i] = qRgb(i, i, i);
        QImage noise(300, 300, QImage::Format_Indexed8);
        noise.setColorTable(grey);
        for (int y = 0; y < 300; ++y)
            QRandomGenerator(y).fillRange(reinterpret_cast<quint32 *>(noise.scanLine(y)), 75);
        GifImage big(QSize(300, 300));
        big.setGlobalColorTable(grey);
        big.addFrame(noise, QPoint(), 10);
        collectMessages([&] { QVERIFY(!gif.save("/dev/full") && !big.save("/dev/full")); }, false);
        QVERIFY(big.save("big.gif") && QFileInfo("big.gif").size() > 32 * 1024);

        // A device failing at any point of the stream is reported; one with room
        // enough gets the same bytes as a file.
        QVERIFY(gif.save("ok.gif"));
        const QByteArray full = readBytes("ok.gif");
        QVERIFY(full.size() > 40);
        collectMessages([&] {
            for (int limit = 0; limit < full.size(); ++limit) {
                FailingDevice device(limit);
                QVERIFY2(!gif.save(&device), qPrintable(QStringLiteral("device full after %1 bytes").arg(limit)));
            }
        }, false);
        FailingDevice roomy(full.size());
        QVERIFY(gif.save(&roomy));
        QCOMPARE(roomy.data, full);
    }

    void loading()
    {
        const QImage first = stripes({Red, Green, Blue}, 3, 7);
        const QImage second = diagonal({White, Yellow, Red, Blue, Green}, 5, 4);
        GifImage out(QSize(30, 20));
        out.setLoopCount(-1);
        out.addFrame(first, QPoint(1, 2), 95);
        out.addFrame(second, QPoint(20, 11));
        out.setFrameTransparentColor(1, QColor(Yellow));
        QVERIFY(out.save("round.gif"));
        // Loop -1 is written as 65535; delays come back in hundredths, the
        // default for a frame without one.
        GifImage in(QStringLiteral("round.gif"));
        QVERIFY(in.canvasSize() == QSize(30, 20) && in.loopCount() == 65535 && in.frameCount() == 2);
        QCOMPARE(in.frameOffset(1), QPoint(20, 11));
        QVERIFY(in.frameDelay(0) == 90 && in.frameDelay(1) == 1000);
        QVERIFY(!in.frameTransparentColor(0).isValid() && in.frameTransparentColor(1) == QColor(Yellow));
        QVERIFY(rgb(in.frame(0)) == rgb(first) && rgb(in.frame(1)) == rgb(second));
        // Loading again replaces what was there; what cannot be read leaves false.
        QVERIFY(in.load(QStringLiteral("round.gif")) && in.frameCount() == 2);
        QVERIFY(!in.load(QStringLiteral("absent.gif")));
        QVERIFY(writeBytes("junk.gif", "GIF89a but nothing after that is a GIF"));
        collectMessages([&] { QVERIFY(!in.load(QStringLiteral("junk.gif"))); }, false);
    }

    void richFramesStayCrisp()
    {
        // A frame of thousands of colours (a gradient) with solid black and white
        // blocks, as a code drawn on a photo: the palette fits the picture and
        // solid areas come out as one clean colour each, with no dither speckle.
        QImage picture(256, 256, QImage::Format_RGB32);
        for (int p = 0; p < 256 * 256; ++p)
            picture.setPixel(p % 256, p / 256, qRgb(p % 256, p / 256, (p % 256 + p / 256) / 2));
        for (int b = 0; b < 16; ++b)
            for (int p = 0; p < 24 * 24; ++p)
                picture.setPixel(40 + 48 * (b % 4) + p % 24, 40 + 48 * (b / 4) + p / 24, (b % 4 + b / 4) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        GifImage gif(picture.size());
        gif.addFrame(picture, QPoint(0, 0), 100);
        QVERIFY(gif.save("rich.gif"));
        const GifRecord record = readGif("rich.gif");
        QVERIFY(record.frames.size() == 1 && record.frames.at(0).localMapSize == 256);
        const QImage back = record.frames.at(0).image;
        for (int b = 0; b < 16; ++b) {
            const QRect block(40 + 48 * (b % 4), 40 + 48 * (b / 4), 24, 24);
            const QRgb first = back.pixel(block.topLeft());
            QVERIFY((b % 4 + b / 4) % 2 ? qGray(first) < 16 : qGray(first) > 239);
            QImage solid(block.size(), QImage::Format_RGB32);
            solid.fill(first);
            QCOMPARE(back.copy(block), solid);
        }
        // The gradient keeps its colours closely: no channel off by more than 24.
        int worst = 0;
        for (int y = 0; y < 256; y += 7)
            for (int x = 0; x < 256; x += 7)
                if (x < 36 || x >= 236 || y < 36 || y >= 236)
                    for (int shift : {0, 8, 16})
                        worst = qMax(worst, qAbs(int(picture.pixel(x, y) >> shift & 0xff) - int(back.pixel(x, y) >> shift & 0xff)));
        QVERIFY2(worst <= 24, qPrintable(QString::number(worst)));
    }

private:
    TestCwd m_cwd;
};

QTEST_MAIN(TestGifImage)
#include "tst_gifimage.moc"
