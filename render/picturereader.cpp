#include "picturereader.h"

#include "fileread.h"
#include "helpers.h"

#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include <png.h>

#include <csetjmp>
#include <vector>

namespace PictureReader {

namespace {

const char kPngSignature[] = "\x89PNG\r\n\x1a\n";

struct PngHeader
{
    bool isPng = false;
    bool fits = true;
    bool interlaced = false;
};

// Walks a PNG's chunk headers without reading their data.
PngHeader pngHeader(QIODevice *device)
{
    PngHeader header;
    if (!device->seek(0) || device->read(8) != QByteArray(kPngSignature, 8))
        return header;
    header.isPng = true;
    const qint64 size = device->size();
    qint64 at = 8;
    while (at < size) {
        if (!device->seek(at)) {
            header.fits = false;
            break;
        }
        const QByteArray head = device->read(8);
        if (head.size() < 8)
            break; // a cut tail is the decoder's to reject
        const quint32 length = qFromBigEndian<quint32>(reinterpret_cast<const uchar *>(head.constData()));
        // Length, type, data, CRC: a chunk longer than what is left lies.
        if (qint64(length) > size - at - 12) {
            header.fits = false;
            break;
        }
        if (head.mid(4, 4) == "IHDR" && length >= 13) {
            const QByteArray data = device->read(13);
            header.interlaced = data.size() == 13 && data.at(12) != 0;
        }
        if (head.mid(4, 4) == "IEND")
            break;
        at += 12 + qint64(length);
    }
    device->seek(0);
    return header;
}

// A JPEG that libjpeg can scale while decoding, a line at a time: a
// sequential one (baseline or extended), not a progressive one, whose
// coefficients are all kept until the end.
bool jpegIsSequential(QIODevice *device)
{
    if (!device->seek(0))
        return false;
    const QByteArray data = device->read(1 << 20);
    device->seek(0);
    int at = 2;
    if (data.size() < 4 || uchar(data.at(0)) != 0xFF || uchar(data.at(1)) != 0xD8)
        return false;
    while (at + 4 <= data.size()) {
        if (uchar(data.at(at)) != 0xFF)
            return false;
        const uchar marker = uchar(data.at(at + 1));
        if (marker == 0xC0 || marker == 0xC1)
            return true;
        if (marker >= 0xC2 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return false; // progressive, lossless or arithmetic coded
        const int length = uchar(data.at(at + 2)) << 8 | uchar(data.at(at + 3));
        at += 2 + length;
    }
    return false;
}

void readFromDevice(png_structp png, png_bytep bytes, png_size_t count)
{
    auto *device = static_cast<QIODevice *>(png_get_io_ptr(png));
    if (device->read(reinterpret_cast<char *>(bytes), qint64(count)) != qint64(count))
        png_error(png, "short read");
}

void ignoreWarning(png_structp, png_const_charp) {}

// A broken file is the caller's to report: no line on the standard error.
[[noreturn]] void jumpOnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// The libpng part, with nothing but plain data in its frame: an error jumps
// back to its setjmp.
bool shrinkRows(png_structp png, png_infop info, int width, int height, QImage *out,
                std::vector<png_byte> *row, std::vector<quint64> *sums, std::vector<int> *columns)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info);
    const png_uint_32 h = png_get_image_height(png, info);
    if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE || w == 0 || h == 0)
        return false;
    // Every kind of PNG as 8-bit RGBA.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(w) * 4)
        return false;
    row->resize(size_t(w) * 4);
    sums->assign(size_t(width) * 5, 0); // four channels and a count per output pixel
    columns->resize(w);
    for (png_uint_32 x = 0; x < w; ++x)
        (*columns)[x] = int(quint64(x) * quint64(width) / w) * 5;
    int outRow = 0;
    for (png_uint_32 y = 0; y < h; ++y) {
        png_read_row(png, row->data(), nullptr);
        const int target = int(quint64(y) * quint64(height) / h);
        if (target != outRow) {
            // Each output row is the mean of the source rows and columns it covers.
            QRgb *line = reinterpret_cast<QRgb *>(out->scanLine(outRow));
            for (int x = 0; x < width; ++x) {
                const quint64 *s = sums->data() + size_t(x) * 5;
                const quint64 n = qMax<quint64>(1, s[4]);
                line[x] = qRgba(int(s[0] / n), int(s[1] / n), int(s[2] / n), int(s[3] / n));
            }
            sums->assign(sums->size(), 0);
            outRow = target;
        }
        quint64 *const sum = sums->data();
        const int *const column = columns->data();
        for (png_uint_32 x = 0; x < w; ++x) {
            quint64 *s = sum + column[x];
            const png_byte *p = row->data() + size_t(x) * 4;
            s[0] += p[0];
            s[1] += p[1];
            s[2] += p[2];
            s[3] += p[3];
            s[4] += 1;
        }
    }
    QRgb *line = reinterpret_cast<QRgb *>(out->scanLine(outRow));
    for (int x = 0; x < width; ++x) {
        const quint64 *s = sums->data() + size_t(x) * 5;
        const quint64 n = qMax<quint64>(1, s[4]);
        line[x] = qRgba(int(s[0] / n), int(s[1] / n), int(s[2] / n), int(s[3] / n));
    }
    return true;
}

} // namespace

bool pngChunksFit(QIODevice *device)
{
    return pngHeader(device).fits;
}

QImage readPngShrunk(QIODevice *device, const QSize &size)
{
    if (!device->seek(0) || size.isEmpty())
        return QImage();
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpOnError, ignoreWarning);
    if (!png)
        return QImage();
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return QImage();
    }
    png_set_read_fn(png, device, readFromDevice);
    QImage out(size, QImage::Format_ARGB32);
    std::vector<png_byte> row;
    std::vector<quint64> sums;
    std::vector<int> columns;
    const bool read =
        !out.isNull() && shrinkRows(png, info, size.width(), size.height(), &out, &row, &sums, &columns);
    png_destroy_read_struct(&png, &info, nullptr);
    return read ? out : QImage();
}

QImage read(QIODevice *device, const QList<QByteArray> &formats, const Limits &limits)
{
    const PngHeader png = pngHeader(device);
    if (!png.fits)
        return QImage();
    const bool sequentialJpeg = jpegIsSequential(device);
    for (const QByteArray &format : formats) {
        if (!device->seek(0))
            return QImage();
        QImageReader reader(device, format);
        // A named format is tried as that format alone, so that its size is known.
        reader.setAutoDetectImageFormat(format.isEmpty());
        const QSize size = declaredImageSize(reader);
        if (size.width() > limits.maxSide || size.height() > limits.maxSide) {
            // Shrunk while read only where the reader really does so; any
            // other picture of that size would be built whole first.
            const QSize fit = size.scaled(limits.maxSide, limits.maxSide, Qt::KeepAspectRatio);
            // A caller may name the kind itself ("PNG", "JPG") rather than leave it to the header.
            const QByteArray kind = reader.format().toLower();
            if (kind == "png" && png.isPng && !png.interlaced) {
                const QImage shrunk = readPngShrunk(device, fit);
                if (!shrunk.isNull())
                    return shrunk;
                continue;
            }
            if ((kind != "jpeg" && kind != "jpg") || !sequentialJpeg)
                continue;
            reader.setScaledSize(fit);
        } else if (qint64(size.width()) * size.height() > limits.maxPixels) {
            continue;
        }
        const QImage image = reader.read();
        if (!image.isNull())
            return image;
    }
    return QImage();
}

QImage read(const QString &path, const QList<QByteArray> &formats, const Limits &limits)
{
    QFile file;
    return openForReading(&file, path, ReadLimit::Picture) ? read(&file, formats, limits) : QImage();
}

} // namespace PictureReader
