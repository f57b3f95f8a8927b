// The one picture reader: PNG chunks that declare more than the file holds,
// and pictures of 20,000 by 20,000 of every kind, read shrunk or refused with
// the process staying far below the memory they would take whole.
#include "gifimage.h"
#include "helpers.h"
#include "picturereader.h"
#include "testsupport.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <QtTest>

#include <png.h>
#include <jpeglib.h>

#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

const PictureReader::Limits kDecoding{8000, qint64(8000) * 8000};

QByteArray chunk(const char *type, const QByteArray &data, quint32 declared)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(declared, bytes.data());
    return bytes + type + data + QByteArray(4, '\0');
}

QByteArray pngHead(quint32 width, quint32 height, char colorType, char interlace)
{
    QByteArray ihdr(13, '\0');
    qToBigEndian(width, ihdr.data());
    qToBigEndian(height, ihdr.data() + 4);
    ihdr[8] = 8;
    ihdr[9] = colorType;
    ihdr[12] = interlace;
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr, 13);
}

// A PNG of `side` by `side`, written a row at a time: a light band on dark.
bool writeHugePng(const QString &path, int side, int colorType, int bitDepth)
{
    FILE *file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, 1);
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_set_IHDR(png, info, png_uint_32(side), png_uint_32(side), bitDepth, colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[2] = {{20, 20, 20}, {230, 230, 230}};
        png_set_PLTE(png, info, palette, 2);
    }
    png_write_info(png, info);
    const int channels = colorType == PNG_COLOR_TYPE_RGB ? 3 : colorType == PNG_COLOR_TYPE_RGBA ? 4 : 1;
    std::vector<png_byte> dark(size_t(side) * channels * (bitDepth / 8), 20), light(dark.size(), 230);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        std::fill(dark.begin(), dark.end(), 0);
        std::fill(light.begin(), light.end(), 1);
    }
    for (int y = 0; y < side; ++y)
        png_write_row(png, (y / (side / 4)) % 2 ? light.data() : dark.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

bool writeHugeJpeg(const QString &path, int side, bool progressive = false)
{
    FILE *file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(side);
    cinfo.image_height = JDIMENSION(side);
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(side), 200);
    JSAMPROW rows[1] = {row.data()};
    while (cinfo.next_scanline < cinfo.image_height)
        jpeg_write_scanlines(&cinfo, rows, 1);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

qint64 peakMegabytes()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

class TestPictureReader : public QObject
{
    Q_OBJECT

    TestCwd m_cwd;

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void lyingChunks()
    {
        // 41 bytes: a 1 by 1 header, then a text chunk that declares 2 GB. Refused before any decoder runs.
        const QByteArray lying = pngHead(1, 1, 2, 0) + QByteArray::fromHex("7fffffff") + "tEXt";
        QCOMPARE(lying.size(), 41);
        QBuffer buffer;
        buffer.setData(lying);
        buffer.open(QIODevice::ReadOnly);
        QVERIFY(!PictureReader::pngChunksFit(&buffer));
        QVERIFY(PictureReader::read(&buffer, {QByteArray(), "JPG", "PNG"}, kDecoding).isNull());
        // A picture whose chunks all fit reads as before; data that is no PNG is not judged.
        QImage small(30, 20, QImage::Format_RGB32);
        small.fill(Qt::red);
        QVERIFY(small.save(m_cwd.file("small.png")));
        const QImage read = PictureReader::read(m_cwd.file("small.png"), {QByteArray()}, kDecoding);
        QCOMPARE(read.size(), QSize(30, 20));
        QCOMPARE(read.pixel(5, 5), qRgb(255, 0, 0));
        // Bytes after the last chunk (some programs append them) are not taken for a chunk.
        QByteArray trailed = TestSupport::readBytes(m_cwd.file("small.png"));
        QVERIFY(TestSupport::writeBytes(m_cwd.file("trailed.png"), trailed + QByteArray::fromHex("ffffffff") + "junk"));
        QCOMPARE(PictureReader::read(m_cwd.file("trailed.png"), {QByteArray()}, kDecoding).size(), QSize(30, 20));
        QBuffer text;
        text.setData("not a picture");
        text.open(QIODevice::ReadOnly);
        QVERIFY(PictureReader::pngChunksFit(&text));
    }

    void hugePictures()
    {
        // Every kind of picture beyond 8,000 on a side (20,000 for greyscale, which Qt's own reader
        // builds whole): shrunk to fit 8,000 while read, or refused; the process never holds the
        // 1.6 GB a 20,000 by 20,000 picture takes whole.
        const int side = 20000;
        const QList<std::tuple<const char *, int, int, int>> pngs = {{"grey", PNG_COLOR_TYPE_GRAY, 8, side},
                                                                     {"palette", PNG_COLOR_TYPE_PALETTE, 8, 12000},
                                                                     {"rgb16", PNG_COLOR_TYPE_RGB, 16, 12000},
                                                                     {"rgb", PNG_COLOR_TYPE_RGB, 8, 12000},
                                                                     {"rgba", PNG_COLOR_TYPE_RGBA, 8, 12000}};
        for (const auto &[name, colorType, depth, size] : pngs) {
            const QString path = m_cwd.file(QString(name) + ".png");
            QVERIFY(writeHugePng(path, size, colorType, depth));
            const QImage read = PictureReader::read(path, {QByteArray(), "JPG", "PNG"}, kDecoding);
            QCOMPARE(read.size(), QSize(8000, 8000));
            QCOMPARE(PictureReader::read(path, {"PNG"}, kDecoding).size(), QSize(8000, 8000));
            // The bands survive the shrinking: dark, light, dark, light from top to bottom.
            QCOMPARE(qGray(read.pixel(4000, 1000)) < 100 && qGray(read.pixel(4000, 3000)) > 200, true);
            QVERIFY(QFile::remove(path));
        }
        QVERIFY(writeHugeJpeg(m_cwd.file("baseline.jpg"), 12000));
        QCOMPARE(PictureReader::read(m_cwd.file("baseline.jpg"), {QByteArray(), "JPG", "PNG"}, kDecoding).size(),
                 QSize(8000, 8000));
        QCOMPARE(PictureReader::read(m_cwd.file("baseline.jpg"), {"JPG"}, kDecoding).size(), QSize(8000, 8000));
        QVERIFY(QFile::remove(m_cwd.file("baseline.jpg")));
        // Kinds that would be built whole first: refused from their headers.
        QByteArray interlaced = pngHead(side, side, 2, 1) + chunk("IEND", QByteArray(), 0);
        QByteArray progressive = QByteArray::fromHex("ffd8ffc2000b08") + QByteArray::fromHex("4e204e200101001100");
        QByteArray bmp("BM");
        bmp += QByteArray(12, '\0') + QByteArray::fromHex("28000000") + QByteArray::fromHex("204e0000204e0000")
               + QByteArray::fromHex("01001800") + QByteArray(24, '\0');
        for (const QByteArray &head : {interlaced, progressive, bmp}) {
            QVERIFY(TestSupport::writeBytes(m_cwd.file("head"), head));
            QVERIFY(PictureReader::read(m_cwd.file("head"), {QByteArray(), "JPG", "PNG"}, kDecoding).isNull());
        }
        // Renderers refuse what they would hold whole beyond 64 million pixels, whatever its shape.
        QVERIFY(writeHugePng(m_cwd.file("tall.png"), 9000, PNG_COLOR_TYPE_GRAY, 8));
        QVERIFY(PictureReader::read(m_cwd.file("tall.png"), {QByteArray()}, {INT_MAX, 64000000}).isNull());
        QVERIFY2(peakMegabytes() < 1200, qPrintable(QString::number(peakMegabytes())));
    }

    void limitsFromHeaders()
    {
        // A progressive JPEG over the side limit is refused whatever it is named, while a sequential
        // one of the same size is read shrunk; within the limits both read whole.
        QVERIFY(writeHugeJpeg(m_cwd.file("sequential.jpg"), 300) && writeHugeJpeg(m_cwd.file("progressive.jpg"), 300, true));
        QVERIFY(TestSupport::readBytes(m_cwd.file("progressive.jpg")).contains(QByteArray::fromHex("ffc2")));
        const PictureReader::Limits small{100, 100 * 100}, whole{300, 300 * 300};
        for (const QList<QByteArray> &formats : {QList<QByteArray>{QByteArray(), "JPG", "PNG"}, {"JPG"}, {"jpeg"}}) {
            const QString named = QString::fromLatin1(formats.last());
            QVERIFY2(PictureReader::read(m_cwd.file("progressive.jpg"), formats, small).isNull(), qPrintable(named));
            QCOMPARE(PictureReader::read(m_cwd.file("sequential.jpg"), formats, small).size(), QSize(100, 100));
            QCOMPARE(PictureReader::read(m_cwd.file("progressive.jpg"), formats, whole).size(), QSize(300, 300));
        }

        // A GIF is read onto the whole screen its header declares, which the toolkit's reader does not
        // report past ten times its frames and 2,000 pixels: 2,050 by 2,311 (bytes 02 08 07 09, so that
        // any byte taken for another changes it) around frames of 3 by 2.
        GifImage gif(QSize(2050, 2311));
        QImage frame(3, 2, QImage::Format_RGB32);
        for (const QColor &colour : {QColor(Qt::red), QColor(Qt::blue)}) {
            frame.fill(colour);
            gif.addFrame(frame, QPoint(4, 4), 10);
        }
        const QString screen = m_cwd.file("screen.gif");
        QVERIFY(gif.save(screen));
        QCOMPARE(TestSupport::readBytes(screen).mid(6, 4), QByteArray::fromHex("02080709"));
        QImageReader reader(screen);
        QCOMPARE(declaredImageSize(reader), QSize(2050, 2311));
        // Budgets by that screen: read at exactly its pixels and its longer side, refused one short of either.
        const qint64 pixels = 2050 * 2311;
        QCOMPARE(PictureReader::read(screen, {QByteArray()}, {2311, pixels}).size(), QSize(2050, 2311));
        QVERIFY(PictureReader::read(screen, {QByteArray()}, {2311, pixels - 1}).isNull());
        QVERIFY(PictureReader::read(screen, {QByteArray()}, {2310, pixels}).isNull());
    }
};

QTEST_MAIN(TestPictureReader)
#include "tst_picturereader.moc"
