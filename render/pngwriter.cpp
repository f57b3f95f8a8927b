#include "pngwriter.h"

#include <QImage>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include <png.h>
#include <zlib.h>

namespace PngWriter {

namespace {

// Up to 256 colours, looked up by an open-addressing table twice that size.
class Palette
{
public:
    // The colour's index; -1 once a 257th colour turns up.
    int indexOf(QRgb colour)
    {
        unsigned slot = hash(colour);
        for (;;) {
            Slot &s = m_slots[slot];
            if (!s.used) {
                if (m_colours.size() == 256)
                    return -1;
                s.used = true;
                s.colour = colour;
                s.index = quint8(m_colours.size());
                m_colours.push_back(colour);
                return s.index;
            }
            if (s.colour == colour)
                return s.index;
            slot = (slot + 1) % m_slots.size();
        }
    }
    const std::vector<QRgb> &colours() const { return m_colours; }

private:
    struct Slot
    {
        QRgb colour = 0;
        quint8 index = 0;
        bool used = false;
    };
    static unsigned hash(QRgb colour) { return (colour * 2654435761u) >> 23; } // 9 bits: 512 slots
    std::array<Slot, 512> m_slots{};
    std::vector<QRgb> m_colours;
};

void appendToBuffer(png_structp png, png_bytep bytes, png_size_t count)
{
    static_cast<QByteArray *>(png_get_io_ptr(png))->append(reinterpret_cast<const char *>(bytes), int(count));
}

void flushNothing(png_structp) {}

[[noreturn]] void jumpOnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// What libpng is given: the rows, and how they are laid out.
struct Layout
{
    int width = 0;
    int height = 0;
    int bitDepth = 8;
    int colourType = PNG_COLOR_TYPE_PALETTE;
    std::vector<png_color> palette;
    std::vector<png_byte> alphas; // tRNS, for the palette's first entries
    std::vector<png_bytep> rows;
    bool bgrx = false; // rows of QRgb pixels
    // Codes are long runs of few values, which deflate finds without a row
    // filter; faster levels lose little (a 300-pixel palette code at level 3:
    // 0.37 ms and 5.6 kB, at level 6: 0.8 ms and 4.7 kB).
    int filter = PNG_FILTER_NONE;
    int level = 3;
    int dotsPerMeterX = 0;
    int dotsPerMeterY = 0;
};

// The libpng part, with nothing but plain data in its frame: an error jumps
// back to the setjmp below.
bool writeRows(png_structp png, png_infop info, const Layout &layout, QByteArray *out)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, out, appendToBuffer, flushNothing);
    png_set_IHDR(png, info, png_uint_32(layout.width), png_uint_32(layout.height), layout.bitDepth, layout.colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!layout.palette.empty())
        png_set_PLTE(png, info, layout.palette.data(), int(layout.palette.size()));
    if (!layout.alphas.empty())
        png_set_tRNS(png, info, layout.alphas.data(), int(layout.alphas.size()), nullptr);
    if (layout.dotsPerMeterX > 0 && layout.dotsPerMeterY > 0)
        png_set_pHYs(png, info, png_uint_32(layout.dotsPerMeterX), png_uint_32(layout.dotsPerMeterY),
                     PNG_RESOLUTION_METER);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, layout.filter);
    png_set_compression_level(png, layout.level);
    png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
    png_write_info(png, info);
    if (layout.bgrx) {
        // A QRgb in memory: B, G, R, A on little-endian machines, A, R, G, B on big-endian ones.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        png_set_bgr(png);
        if (layout.colourType == PNG_COLOR_TYPE_RGB)
            png_set_filler(png, 0, PNG_FILLER_AFTER);
#else
        if (layout.colourType == PNG_COLOR_TYPE_RGB)
            png_set_filler(png, 0, PNG_FILLER_BEFORE);
        else
            png_set_swap_alpha(png);
#endif
    }
    png_write_image(png, const_cast<png_bytepp>(layout.rows.data()));
    png_write_end(png, info);
    return true;
}

QByteArray write(const Layout &layout)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpOnError, ignoreWarning);
    if (!png)
        return QByteArray();
    png_infop info = png_create_info_struct(png);
    QByteArray out;
    const bool written = info && writeRows(png, info, layout, &out);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return written ? out : QByteArray();
}

// Each pixel's palette index; false when the picture holds more than 256
// colours.
bool indexPixels(const QImage &image, Palette *palette, std::vector<png_byte> *indices)
{
    const int w = image.width();
    const int h = image.height();
    indices->resize(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        png_byte *out = indices->data() + size_t(y) * size_t(w);
        // Codes are long runs of one colour: the last lookup is kept.
        QRgb last = ~row[0];
        int lastIndex = 0;
        for (int x = 0; x < w; ++x) {
            if (row[x] != last) {
                last = row[x];
                lastIndex = palette->indexOf(last);
                if (lastIndex < 0)
                    return false;
            }
            out[x] = png_byte(lastIndex);
        }
    }
    return true;
}

// The indices through `remap`, packed `bits` to a pixel, most significant
// first, into `packed`.
void packRows(const std::vector<png_byte> &indices, const std::vector<png_byte> &remap, int width, int height,
              int bits, int *stride, std::vector<png_byte> &packed)
{
    const int perByte = 8 / bits;
    *stride = (width + perByte - 1) / perByte;
    packed.resize(size_t(*stride) * size_t(height));
    if (bits < 8)
        std::fill(packed.begin(), packed.end(), png_byte(0));
    for (int y = 0; y < height; ++y) {
        const png_byte *in = indices.data() + size_t(y) * size_t(width);
        png_byte *out = packed.data() + size_t(y) * size_t(*stride);
        if (bits == 8) {
            for (int x = 0; x < width; ++x)
                out[x] = remap[in[x]];
            continue;
        }
        for (int x = 0; x < width; ++x)
            out[x / perByte] |= png_byte(remap[in[x]] << (8 - bits * (x % perByte + 1)));
    }
}

// Work memory of this thread's encodings, kept from one code to the next: a
// fresh canvas-sized buffer for every code costs more in page faults than
// the encoding itself.
struct Scratch
{
    QImage straight;
    std::vector<png_byte> indices;
    std::vector<png_byte> packed;
};

Scratch &scratch()
{
    thread_local Scratch kept;
    return kept;
}

// The picture as RGB32 or ARGB32, converted by the toolkit itself (whose
// unpremultiplying differs from one processor to another), in bands small
// enough to stay on this thread: its conversion of a whole canvas hands the
// rows to the global thread pool, behind which batch workers, each encoding
// on a core of its own, would only queue.
QImage straightColours(const QImage &picture, bool alpha)
{
    const QImage::Format format = alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    if (picture.format() == format)
        return picture;
    if (picture.colorCount() > 0 || picture.depth() < 8)
        return picture.convertToFormat(format);
    QImage &straight = scratch().straight;
    if (straight.size() != picture.size() || straight.format() != format || !straight.isDetached())
        straight = QImage(picture.size(), format);
    if (straight.isNull())
        return straight;
    straight.setDotsPerMeterX(picture.dotsPerMeterX());
    straight.setDotsPerMeterY(picture.dotsPerMeterY());
    const int band = qMax(1, 32768 / qMax(1, int(picture.bytesPerLine())));
    for (int y = 0; y < picture.height(); y += band) {
        const int rows = qMin(band, picture.height() - y);
        const QImage part(picture.constScanLine(y), picture.width(), rows, picture.bytesPerLine(), picture.format());
        const QImage converted = part.convertToFormat(format);
        if (converted.isNull())
            return QImage();
        for (int r = 0; r < rows; ++r)
            std::memcpy(straight.scanLine(y + r), converted.constScanLine(r), size_t(picture.width()) * 4);
    }
    return straight;
}

} // namespace

QByteArray encode(const QImage &picture)
{
    if (picture.isNull())
        return QByteArray();
    // The pixels Qt's writer stores: straight (not premultiplied) colours,
    // with the alpha channel only when the picture has one.
    const bool alpha = picture.hasAlphaChannel();
    const QImage image = straightColours(picture, alpha);
    if (image.isNull())
        return QByteArray();
    Layout layout;
    layout.width = image.width();
    layout.height = image.height();
    layout.dotsPerMeterX = image.dotsPerMeterX();
    layout.dotsPerMeterY = image.dotsPerMeterY();

    Palette palette;
    std::vector<png_byte> &indices = scratch().indices;
    if (indexPixels(image, &palette, &indices)) {
        // Entries with transparency first, so that tRNS lists only those.
        const std::vector<QRgb> &colours = palette.colours();
        std::vector<png_byte> remap(colours.size());
        std::vector<QRgb> ordered;
        for (int pass = 0; pass < 2; ++pass)
            for (size_t i = 0; i < colours.size(); ++i)
                if ((qAlpha(colours[i]) < 255) == (pass == 0)) {
                    remap[i] = png_byte(ordered.size());
                    ordered.push_back(colours[i]);
                }
        const size_t count = ordered.size();
        layout.bitDepth = count <= 2 ? 1 : count <= 4 ? 2 : count <= 16 ? 4 : 8;
        int stride = 0;
        std::vector<png_byte> &packed = scratch().packed;
        packRows(indices, remap, layout.width, layout.height, layout.bitDepth, &stride, packed);
        layout.colourType = PNG_COLOR_TYPE_PALETTE;
        for (const QRgb c : ordered) {
            layout.palette.push_back({png_byte(qRed(c)), png_byte(qGreen(c)), png_byte(qBlue(c))});
            if (alpha && qAlpha(c) < 255)
                layout.alphas.push_back(png_byte(qAlpha(c)));
        }
        layout.filter = PNG_FILTER_NONE;
        for (int y = 0; y < layout.height; ++y)
            layout.rows.push_back(const_cast<png_bytep>(packed.data()) + size_t(y) * size_t(stride));
        return write(layout);
    }

    // More colours than a palette holds (antialiased edges in two colours, the
    // styles drawn large and scaled down, a photograph behind the code):
    // every channel as it is. Unfiltered rows at level 3 take a quarter to a
    // third of the toolkit's time (its filters tried on every row); the files
    // of flat codes come out smaller, those of the visual style a third larger.
    layout.colourType = alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    layout.bgrx = true;
    layout.filter = PNG_FILTER_NONE;
    for (int y = 0; y < layout.height; ++y)
        layout.rows.push_back(const_cast<png_bytep>(image.constScanLine(y)));
    return write(layout);
}

} // namespace PngWriter
