#include "pngwriter.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

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
    // The picture's colour space as an ICC profile and its name (iCCP), and
    // its text (tEXt, zTXt, iTXt), pointing into the caller's TextEntry list.
    QByteArray profileName;
    QByteArray profile;
    std::vector<png_text> texts;
};

// A text entry as stored: the keyword in Latin-1, the value in Latin-1 or
// UTF-8, kept alive while libpng copies them.
struct TextEntry
{
    QByteArray key;
    QByteArray translatedKey; // iTXt only: the key as given, in UTF-8
    QByteArray value;
    int compression = PNG_TEXT_COMPRESSION_NONE;
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
    if (!layout.profile.isEmpty())
        png_set_iCCP(png, info, layout.profileName.constData(), PNG_COMPRESSION_TYPE_BASE,
                     reinterpret_cast<png_const_bytep>(layout.profile.constData()), png_uint_32(layout.profile.size()));
    if (!layout.texts.empty())
        png_set_text(png, info, layout.texts.data(), int(layout.texts.size()));
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

// libpng refuses a keyword without a printable Latin-1 character, and with it
// the whole file.
bool isKeyword(const QByteArray &key)
{
    for (const char c : key) {
        const uchar u = uchar(c);
        if ((u > 32 && u < 127) || u >= 161)
            return true;
    }
    return false;
}

// The picture's text as the toolkit's writer stores it, so that its reader
// gives back the same keys and values: keys cut to 79 Latin-1 characters,
// values of printable Latin-1 (and line feeds) as tEXt, others in UTF-8 as
// iTXt; 40 characters or more compressed.
std::vector<TextEntry> textEntries(const QImage &picture)
{
    std::vector<TextEntry> entries;
    const QStringList keys = picture.textKeys();
    for (const QString &key : keys) {
        TextEntry entry;
        entry.key = key.left(79).toLatin1();
        if (!isKeyword(entry.key))
            continue;
        const QString value = picture.text(key);
        const bool latin1 = std::all_of(value.begin(), value.end(), [](QChar c) {
            const ushort u = c.unicode();
            return u <= 0xff && (u >= 0x20 || u == '\n') && (u < 0x7f || u >= 0xa0);
        });
        const bool compressed = value.size() >= 40;
        if (latin1) {
            entry.value = value.toLatin1();
            entry.compression = compressed ? PNG_TEXT_COMPRESSION_zTXt : PNG_TEXT_COMPRESSION_NONE;
        } else {
            entry.value = value.toUtf8();
            entry.translatedKey = key.toUtf8();
            entry.compression = compressed ? PNG_ITXT_COMPRESSION_zTXt : PNG_ITXT_COMPRESSION_NONE;
        }
        entries.push_back(entry);
    }
    return entries;
}

// The keyword of the PNG's first iCCP chunk; empty when it has none.
QByteArray iccpName(const QByteArray &png)
{
    for (int at = 8; at + 8 <= png.size();) {
        const quint32 length = qFromBigEndian<quint32>(reinterpret_cast<const uchar *>(png.constData() + at));
        if (png.mid(at + 4, 4) == "iCCP") {
            const QByteArray data = png.mid(at + 8, int(qMin<quint32>(length, 80)));
            return data.left(data.indexOf('\0'));
        }
        if (length > quint32(png.size() - at - 12))
            break;
        at += 12 + int(length);
    }
    return QByteArray();
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
    QByteArray lastProfile; // the last profile named, and its name
    QByteArray lastProfileName;
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

// The name the toolkit's writer gives the colour space's profile: the colour
// space's description ("Display P3", or the text of the profile's own
// description), else "Custom". Qt 5 does not publish the description, so its
// writer is asked with a one-pixel picture (50 us), once for each profile on
// this thread in a row: a batch on one background asks only once.
QByteArray profileName(const QColorSpace &space, const QByteArray &profile)
{
    Scratch &kept = scratch();
    if (profile != kept.lastProfile) {
        QImage pixel(1, 1, QImage::Format_RGB32);
        pixel.fill(0);
        pixel.setColorSpace(space);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, "png").write(pixel);
        const QByteArray name = iccpName(buffer.data());
        kept.lastProfile = profile;
        kept.lastProfileName = name.isEmpty() ? QByteArrayLiteral("Custom") : name;
    }
    return kept.lastProfileName;
}

// The file with the picture's colour profile and text; one that libpng
// refuses leaves them out rather than the picture.
QByteArray writeWithMetadata(Layout &layout, const QImage &picture)
{
    std::vector<TextEntry> entries;
    if (!picture.textKeys().isEmpty()) {
        entries = textEntries(picture);
        for (TextEntry &entry : entries) {
            png_text text{};
            text.compression = entry.compression;
            text.key = entry.key.data();
            text.text = entry.value.data();
            if (!entry.translatedKey.isEmpty())
                text.lang_key = entry.translatedKey.data();
            layout.texts.push_back(text);
        }
    }
    const QColorSpace space = picture.colorSpace();
    if (space.isValid()) {
        layout.profile = space.iccProfile();
        layout.profileName = profileName(space, layout.profile);
    }
    const QByteArray png = write(layout);
    if (!png.isEmpty() || (layout.profile.isEmpty() && layout.texts.empty()))
        return png;
    layout.profile.clear();
    layout.texts.clear();
    return write(layout);
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
        return writeWithMetadata(layout, picture);
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
    return writeWithMetadata(layout, picture);
}

} // namespace PngWriter
