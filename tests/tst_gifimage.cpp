// Tests of the animated GIF writer: written files are read back with giflib
// and checked for what players rely on (header, screen, loop block, frame
// timing, colour maps, offsets, pixels), plus the error paths of save and
// the loading path.
#include "gifimage.h"
#include "testsupport.h"

#include <QBuffer>
#include <QFile>
#include <QtTest>

#include <gif_lib.h>

using TestSupport::GifRecord;
using TestSupport::readGif;

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
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, colors.at(x / stripe));
    return image;
}

// An indexed picture whose pixel (x, y) has index (x + 2y) modulo the palette size.
QImage diagonal(const QVector<QRgb> &palette, int width, int height)
{
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorTable(palette);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, uint((x + 2 * y) % palette.size()));
    return image;
}

// Empty when both pictures show the same opaque colours, else the first difference.
QString colourDiff(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(actual.width()).arg(actual.height()).arg(expected.width()).arg(expected.height());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (qRgb(qRed(actual.pixel(x, y)), qGreen(actual.pixel(x, y)), qBlue(actual.pixel(x, y)))
                != qRgb(qRed(expected.pixel(x, y)), qGreen(expected.pixel(x, y)), qBlue(expected.pixel(x, y))))
                return QStringLiteral("pixel (%1,%2) is #%3, expected #%4")
                    .arg(x).arg(y)
                    .arg(actual.pixel(x, y) & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                    .arg(expected.pixel(x, y) & 0xFFFFFF, 6, 16, QLatin1Char('0'));
    return QString();
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
        const qint64 room = m_limit - data.size();
        if (room <= 0)
            return -1;
        const qint64 taken = qMin(room, length);
        data.append(bytes, int(taken));
        return taken;
    }

private:
    qint64 m_limit;
};

// Keeps giflib's error texts out of the test log while a failure is provoked.
class QuietMessages
{
public:
    QuietMessages() : m_previous(qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {})) {}
    ~QuietMessages() { qInstallMessageHandler(m_previous); }

private:
    QtMessageHandler m_previous;
};

} // namespace

class TestGifImage : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void animationStructure();
    void loopCounts();
    void colourTables();
    void emptyAnimation();
    void saveFailures();
    void loadBack();
    void loadInterlaced();
    void richFramesStayCrisp();

private:
    TestCwd m_cwd;
};

void TestGifImage::animationStructure()
{
    const QVector<QRgb> three{Red, Green, Blue};
    const QVector<QRgb> five{Red, Green, Blue, White, Yellow};
    const QImage images[4] = {stripes(three, 4, 10), stripes(five, 2, 6), stripes({qRgb(10, 20, 30)}, 5, 5),
                              stripes(three, 7, 20)};
    const QPoint offsets[4] = {QPoint(0, 0), QPoint(3, 4), QPoint(7, 1), QPoint(30, 25)};
    const int delays[4] = {1000, 95, 0, -1};
    const int hundredths[4] = {100, 9, 0, 100};
    const int mapSizes[4] = {4, 8, 2, 4};

    GifImage gif(QSize(40, 30));
    gif.setLoopCount(3);
    for (int i = 0; i < 4; ++i)
        gif.addFrame(images[i], offsets[i], delays[i]);
    QVERIFY(gif.save(QStringLiteral("anim.gif")));
    QVERIFY(gif.save(QStringLiteral("again.gif")));
    QCOMPARE(bytesOf(QStringLiteral("again.gif")), bytesOf(QStringLiteral("anim.gif")));

    const GifRecord rec = readGif(m_cwd.file(QStringLiteral("anim.gif")));
    QVERIFY2(rec.ok, qPrintable(rec.error));
    QCOMPARE(rec.signature, QByteArray("GIF89a"));
    // The last frame reaches beyond the canvas; the screen keeps the set size.
    QCOMPARE(rec.width, 40);
    QCOMPARE(rec.height, 30);
    QCOMPARE(rec.globalMapSize, 0);
    QCOMPARE(rec.frames.size(), 4);
    for (int i = 0; i < 4; ++i) {
        const TestSupport::GifFrameRecord &f = rec.frames.at(i);
        QCOMPARE(QPoint(f.left, f.top), offsets[i]);
        QCOMPARE(QSize(f.width, f.height), images[i].size());
        QCOMPARE(f.gceCount, 1);
        QCOMPARE(f.delay, hundredths[i]);
        QCOMPARE(f.transparentIndex, -1);
        QCOMPARE(f.netscape, i == 0);
        QCOMPARE(f.localMapSize, mapSizes[i]);
        const QString diff = colourDiff(f.image, images[i]);
        QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("frame %1: %2").arg(i).arg(diff)));
    }
    QCOMPARE(rec.frames.at(0).loopCount, 3);

    // Without a set canvas the screen covers every frame with its offset.
    GifImage derived;
    derived.addFrame(images[0], QPoint(5, 2), 10);
    derived.addFrame(images[1], QPoint(1, 9), 10);
    QCOMPARE(derived.canvasSize(), QSize(17, 15));
    QVERIFY(derived.save(QStringLiteral("derived.gif")));
    const GifRecord drec = readGif(m_cwd.file(QStringLiteral("derived.gif")));
    QVERIFY2(drec.ok, qPrintable(drec.error));
    QCOMPARE(QSize(drec.width, drec.height), QSize(17, 15));
}

void TestGifImage::loopCounts()
{
    // The loop block holds 16 bits: -1 gives 65535 and larger counts keep their low bits.
    const QList<QPair<int, int>> cases{{0, 0}, {1, 1}, {-1, 65535}, {70000, 4464}};
    for (const auto &c : cases) {
        GifImage gif(QSize(4, 4));
        gif.setLoopCount(c.first);
        gif.addFrame(stripes({Red, Blue}, 2, 4), QPoint(), 50);
        gif.addFrame(stripes({Blue, Red}, 2, 4), QPoint(), 50);
        QVERIFY(gif.save(QStringLiteral("loop.gif")));
        const GifRecord rec = readGif(m_cwd.file(QStringLiteral("loop.gif")));
        QVERIFY2(rec.ok, qPrintable(rec.error));
        QCOMPARE(rec.frames.size(), 2);
        QVERIFY(rec.frames.at(0).netscape);
        QCOMPARE(rec.frames.at(0).loopCount, c.second);
        QVERIFY(!rec.frames.at(1).netscape);
    }
}

void TestGifImage::colourTables()
{
    const QVector<QRgb> global{Red, Green, Blue, White, Yellow};
    const QVector<QRgb> ownPalette{Blue, Blue, Yellow};

    GifImage gif(QSize(16, 16));
    gif.setGlobalColorTable(global, QColor(Blue));
    gif.setDefaultTransparentColor(QColor(White));
    gif.addFrame(diagonal(global, 8, 8), QPoint(), 100);           // same palette as the global table
    gif.addFrame(stripes({Yellow, Red, White}, 3, 6), QPoint(), 100); // converted against the global table
    const QImage own = diagonal(ownPalette, 6, 5);                  // palette of its own, with a duplicate
    gif.addFrame(own, QPoint(2, 2), 100);
    gif.addFrame(stripes({Green}, 2, 2), QPoint(), 100);
    gif.setFrameTransparentColor(0, QColor(Green));
    gif.setFrameTransparentColor(2, QColor(Blue));
    gif.setFrameTransparentColor(3, QColor(1, 2, 3));                // in no table
    QVERIFY(gif.save(QStringLiteral("tables.gif")));

    const QByteArray bytes = bytesOf(QStringLiteral("tables.gif"));
    QVERIFY(bytes.size() > 13);
    QCOMPARE(uchar(bytes.at(10)) & 0x87, 0x82); // global map present, 8 entries
    QCOMPARE(int(uchar(bytes.at(11))), 2);      // background is blue

    const GifRecord rec = readGif(m_cwd.file(QStringLiteral("tables.gif")));
    QVERIFY2(rec.ok, qPrintable(rec.error));
    QCOMPARE(rec.globalMapSize, 8);
    QCOMPARE(rec.frames.size(), 4);
    const int localMaps[4] = {0, 0, 4, 0};
    const int transparent[4] = {1, 3, 0, -1};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(rec.frames.at(i).localMapSize, localMaps[i]);
        QCOMPARE(rec.frames.at(i).transparentIndex, transparent[i]);
        const QString diff = colourDiff(rec.frames.at(i).image, gif.frame(i));
        QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("frame %1: %2").arg(i).arg(diff)));
    }

    // The indexed frame keeps its own indices, even those of a duplicate colour.
    GifImage back(m_cwd.file(QStringLiteral("tables.gif")));
    QCOMPARE(back.frameCount(), 4);
    const QImage read = back.frame(2);
    QCOMPARE(read.size(), own.size());
    for (int y = 0; y < own.height(); ++y)
        for (int x = 0; x < own.width(); ++x)
            QCOMPARE(read.pixelIndex(x, y), own.pixelIndex(x, y));
    QCOMPARE(back.globalColorTable().mid(0, 5), global);
    QCOMPARE(back.backgroundColor(), QColor(Blue));
}

void TestGifImage::emptyAnimation()
{
    GifImage gif(QSize(300, 21));
    gif.setLoopCount(5);
    QVERIFY(gif.save(QStringLiteral("empty.gif")));

    // Header, screen descriptor without a colour map, trailer: nothing else.
    const QByteArray bytes = bytesOf(QStringLiteral("empty.gif"));
    QCOMPARE(bytes.size(), 14);
    QCOMPARE(bytes.left(6), QByteArray("GIF87a"));
    QCOMPARE(uchar(bytes.at(6)) | (uchar(bytes.at(7)) << 8), 300);
    QCOMPARE(uchar(bytes.at(8)) | (uchar(bytes.at(9)) << 8), 21);
    QCOMPARE(uchar(bytes.at(10)) & 0x80, 0);
    QCOMPARE(bytes.at(13), char(0x3B));
    QVERIFY(!bytes.contains("NETSCAPE"));

    // giflib's reader takes the screen (its slurp insists on an image, so stop there).
    int error = 0;
    GifFileType *reader = DGifOpenFileName(QFile::encodeName(m_cwd.file(QStringLiteral("empty.gif"))).constData(), &error);
    QVERIFY2(reader, GifErrorString(error));
    const QSize screen(reader->SWidth, reader->SHeight);
    const bool noMap = reader->SColorMap == nullptr;
    DGifCloseFile(reader, &error);
    QCOMPARE(screen, QSize(300, 21));
    QVERIFY(noMap);
}

void TestGifImage::saveFailures()
{
    GifImage gif(QSize(12, 12));
    gif.setGlobalColorTable({Red, Green, Blue}, QColor(Green));
    gif.addFrame(diagonal({Red, Green, Blue}, 12, 12), QPoint(), 20);
    gif.addFrame(stripes({Yellow, White}, 3, 4), QPoint(2, 3), 30);

    QVERIFY(!gif.save(QStringLiteral("missing/folder/out.gif")));
    QVERIFY(!QFile::exists(QStringLiteral("missing/folder/out.gif")));
    QVERIFY(!gif.save(static_cast<QIODevice *>(nullptr)));

    // A full disk: a small file fails when flushed, a large one inside the encoder.
    QVector<QRgb> grey(256);
    for (int i = 0; i < 256; ++i)
        grey[i] = qRgb(i, i, i);
    QImage noise(300, 300, QImage::Format_Indexed8);
    noise.setColorTable(grey);
    quint32 seed = 12345;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            noise.setPixel(x, y, seed >> 24);
        }
    GifImage big(QSize(300, 300));
    big.setGlobalColorTable(grey);
    big.addFrame(noise, QPoint(), 10);
    {
        QuietMessages quiet;
        QVERIFY(!gif.save(QStringLiteral("/dev/full")));
        QVERIFY(!big.save(QStringLiteral("/dev/full")));
    }
    QVERIFY(big.save(QStringLiteral("big.gif")));
    QVERIFY(QFileInfo(QStringLiteral("big.gif")).size() > 32 * 1024);

    // A device failing at any point of the stream is reported; one with room
    // enough gets the same bytes as a file.
    QVERIFY(gif.save(QStringLiteral("ok.gif")));
    const QByteArray full = bytesOf(QStringLiteral("ok.gif"));
    QVERIFY(full.size() > 40);
    {
        QuietMessages quiet;
        for (int limit = 0; limit < full.size(); ++limit) {
            FailingDevice device(limit);
            QVERIFY2(!gif.save(&device), qPrintable(QStringLiteral("device full after %1 bytes").arg(limit)));
        }
    }
    FailingDevice roomy(full.size());
    QVERIFY(gif.save(&roomy));
    QCOMPARE(roomy.data, full);
}

void TestGifImage::loadBack()
{
    const QImage first = stripes({Red, Green, Blue}, 3, 7);
    const QImage second = diagonal({White, Yellow, Red, Blue, Green}, 5, 4);
    GifImage out(QSize(30, 20));
    out.setLoopCount(-1);
    out.addFrame(first, QPoint(1, 2), 95);
    out.addFrame(second, QPoint(20, 11));
    out.setFrameTransparentColor(1, QColor(Yellow));
    QVERIFY(out.save(QStringLiteral("round.gif")));

    GifImage in(QStringLiteral("round.gif"));
    QCOMPARE(in.canvasSize(), QSize(30, 20));
    QCOMPARE(in.loopCount(), 65535);
    QCOMPARE(in.frameCount(), 2);
    QCOMPARE(in.frameOffset(0), QPoint(1, 2));
    QCOMPARE(in.frameOffset(1), QPoint(20, 11));
    QCOMPARE(in.frameDelay(0), 90);
    QCOMPARE(in.frameDelay(1), 1000);
    QVERIFY(!in.frameTransparentColor(0).isValid());
    QCOMPARE(in.frameTransparentColor(1), QColor(Yellow));
    QString diff = colourDiff(in.frame(0), first);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    diff = colourDiff(in.frame(1), second);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));

    // Loading again replaces what was there; what cannot be read leaves false.
    QVERIFY(in.load(QStringLiteral("round.gif")));
    QCOMPARE(in.frameCount(), 2);
    QVERIFY(!in.load(QStringLiteral("absent.gif")));
    QFile junk(QStringLiteral("junk.gif"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("GIF89a but nothing after that is a GIF");
    junk.close();
    {
        QuietMessages quiet;
        QVERIFY(!in.load(QStringLiteral("junk.gif")));
        QCOMPARE(GifImage(QStringLiteral("absent.gif")).frameCount(), 0);
    }
}

void TestGifImage::loadInterlaced()
{
    // Written row by row in the four interlace passes with giflib's own
    // line writer; every row has its own colour so a misplaced row shows.
    const int width = 3, height = 19;
    QVector<QRgb> palette;
    for (int y = 0; y < 32; ++y)
        palette.append(qRgb(8 * y, 255 - 8 * y, (40 * y) & 0xFF));
    QImage expected(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            expected.setPixel(x, y, palette.at(y));

    const QByteArray path = QFile::encodeName(m_cwd.file(QStringLiteral("interlaced.gif")));
    int error = 0;
    GifFileType *gif = EGifOpenFileName(path.constData(), false, &error);
    QVERIFY(gif);
    ColorMapObject *map = GifMakeMapObject(32, nullptr);
    for (int i = 0; i < 32; ++i)
        map->Colors[i] = GifColorType{GifByteType(qRed(palette.at(i))), GifByteType(qGreen(palette.at(i))),
                                      GifByteType(qBlue(palette.at(i)))};
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK
              && EGifPutImageDesc(gif, 0, 0, width, height, true, nullptr) == GIF_OK;
    static const int start[4] = {0, 4, 2, 1};
    static const int step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; ok && y < height; y += step[pass]) {
            GifPixelType line[width] = {GifPixelType(y), GifPixelType(y), GifPixelType(y)};
            ok = EGifPutLine(gif, line, width) == GIF_OK;
        }
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    GifFreeMapObject(map);
    QVERIFY(ok);

    GifImage in(m_cwd.file(QStringLiteral("interlaced.gif")));
    QCOMPARE(in.frameCount(), 1);
    const QString diff = colourDiff(in.frame(0), expected);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));

    // Saved again, the frame keeps its interlacing and its rows.
    QVERIFY(in.save(QStringLiteral("again.gif")));
    const QByteArray bytes = bytesOf(QStringLiteral("again.gif"));
    const int descriptor = bytes.indexOf(char(0x2C), 13 + 3 * 32);
    QVERIFY(descriptor > 0 && descriptor + 9 < bytes.size());
    QCOMPARE(uchar(bytes.at(descriptor + 9)) & 0x40, 0x40);
    const GifRecord rec = readGif(m_cwd.file(QStringLiteral("again.gif")));
    QVERIFY2(rec.ok, qPrintable(rec.error));
    QCOMPARE(rec.frames.size(), 1);
    const QString againDiff = colourDiff(rec.frames.at(0).image, expected);
    QVERIFY2(againDiff.isEmpty(), qPrintable(againDiff));
}

void TestGifImage::richFramesStayCrisp()
{
    // A frame of thousands of colours (a gradient) with solid black and white
    // blocks, as a code drawn on a photo: the palette fits the picture and
    // solid areas come out as one clean colour each, with no dither speckle.
    QImage picture(256, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            picture.setPixel(x, y, qRgb(x, y, (x + y) / 2));
    for (int by = 0; by < 4; ++by)
        for (int bx = 0; bx < 4; ++bx)
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 24; ++x)
                    picture.setPixel(40 + 48 * bx + x, 40 + 48 * by + y, (bx + by) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    GifImage gif(picture.size());
    gif.addFrame(picture, QPoint(0, 0), 100);
    QVERIFY(gif.save(m_cwd.file("rich.gif")));
    const TestSupport::GifRecord record = TestSupport::readGif(m_cwd.file("rich.gif"));
    QVERIFY2(record.ok, qPrintable(record.error));
    QCOMPARE(record.frames.size(), 1);
    const QImage back = record.frames.at(0).image;
    QCOMPARE(record.frames.at(0).localMapSize, 256);
    for (int by = 0; by < 4; ++by) {
        for (int bx = 0; bx < 4; ++bx) {
            const QRgb first = back.pixel(40 + 48 * bx, 40 + 48 * by);
            const int grey = qGray(first);
            QVERIFY((bx + by) % 2 ? grey < 16 : grey > 239);
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 24; ++x)
                    QCOMPARE(back.pixel(40 + 48 * bx + x, 40 + 48 * by + y), first);
        }
    }
    // The gradient keeps its colours closely: no channel off by more than 24.
    int worst = 0;
    for (int y = 0; y < 256; y += 7)
        for (int x = 0; x < 256; x += 7) {
            if (x >= 36 && x < 236 && y >= 36 && y < 236)
                continue;
            const QRgb a = picture.pixel(x, y), b = back.pixel(x, y);
            worst = qMax(worst, qMax(qAbs(qRed(a) - qRed(b)), qMax(qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b)))));
        }
    QVERIFY2(worst <= 24, qPrintable(QString::number(worst)));
}

QTEST_MAIN(TestGifImage)
#include "tst_gifimage.moc"
