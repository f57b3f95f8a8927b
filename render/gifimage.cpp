#include "gifimage.h"

#include "fileread.h"
#include "helpers.h"

#include <QBuffer>
#include <QDebug>
#include <QFile>
#include <QHash>
#include <QList>

#include <gif_lib.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

struct GifFrameInfo
{
    QImage image;
    QPoint offset;
    int delay = -1;
    bool interlace = false;
    QColor transparentColor;
};

class GifImagePrivate
{
public:
    QSize canvasSize{-1, -1};
    int loopCount = 0;
    int defaultDelay = 1000;
    QColor defaultTransparentColor;
    QVector<QRgb> globalColorTable;
    QColor backgroundColor;
    QList<GifFrameInfo> frames;

    QSize effectiveCanvasSize() const;
    int transparentIndex(const GifFrameInfo &frame) const;
    bool write(QIODevice *device) const;
    bool read(QIODevice *device);
};

namespace {

// The device, and whether any write to it fell short: giflib does not check
// its own write of the trailer.
struct GifWriteTarget
{
    QIODevice *device = nullptr;
    bool failed = false;
};

int gifWriteToDevice(GifFileType *gif, const GifByteType *data, int length)
{
    auto *target = static_cast<GifWriteTarget *>(gif->UserData);
    const qint64 written = target->device->write(reinterpret_cast<const char *>(data), length);
    if (written != length)
        target->failed = true;
    return int(written);
}

int gifReadFromDevice(GifFileType *gif, GifByteType *data, int length)
{
    auto *device = static_cast<QIODevice *>(gif->UserData);
    return int(device->read(reinterpret_cast<char *>(data), length));
}

// A colour map of the next power-of-two size; entries past the table are black.
ColorMapObject *colorMapFromTable(const QVector<QRgb> &table)
{
    const int n = qBound(1, table.size(), 256);
    const int bits = GifBitSize(n);
    ColorMapObject *map = GifMakeMapObject(1 << bits, nullptr);
    if (!map)
        return nullptr;
    map->SortFlag = false;
    for (int i = 0; i < map->ColorCount; ++i) {
        const QRgb rgb = i < table.size() ? table.at(i) : qRgb(0, 0, 0);
        map->Colors[i].Red = GifByteType(qRed(rgb));
        map->Colors[i].Green = GifByteType(qGreen(rgb));
        map->Colors[i].Blue = GifByteType(qBlue(rgb));
    }
    return map;
}

QVector<QRgb> tableFromColorMap(const ColorMapObject *map)
{
    QVector<QRgb> table;
    if (!map)
        return table;
    table.reserve(map->ColorCount);
    for (int i = 0; i < map->ColorCount; ++i)
        table.append(qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue));
    return table;
}

const QRgb *rowOf(const QImage &rgb, int y)
{
    return reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
}

// Numbers the picture's colours in order of appearance; false once there are
// more than 256.
bool numberFewColours(const QImage &rgb, QHash<QRgb, int> *numbers)
{
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb *line = rowOf(rgb, y);
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = line[x] | 0xff000000u;
            if (!numbers->contains(c)) {
                if (numbers->size() == 256)
                    return false;
                numbers->insert(c, numbers->size());
            }
        }
    }
    return true;
}

void indexByExactColours(const QImage &rgb, const QHash<QRgb, int> &numbers, QImage *indexed)
{
    QVector<QRgb> table(numbers.size());
    for (auto it = numbers.constBegin(); it != numbers.constEnd(); ++it)
        table[it.value()] = it.key();
    indexed->setColorTable(table);
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb *line = rowOf(rgb, y);
        uchar *out = indexed->scanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            out[x] = uchar(numbers.value(line[x] | 0xff000000u));
    }
}

// The histogram has 5 bits a channel: 32768 bins, each with its pixel count
// and channel sums.
struct Bin
{
    qint64 count = 0, r = 0, g = 0, b = 0;
};

int binOf(QRgb c)
{
    return ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3);
}

// One channel of a bin number: 0 red, 1 green, 2 blue.
int channelOf(int bin, int ch)
{
    return (bin >> (10 - 5 * ch)) & 31;
}

QVector<Bin> histogram(const QImage &rgb)
{
    QVector<Bin> bins(32768);
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb *line = rowOf(rgb, y);
        for (int x = 0; x < rgb.width(); ++x) {
            Bin &bin = bins[binOf(line[x])];
            ++bin.count;
            bin.r += qRed(line[x]);
            bin.g += qGreen(line[x]);
            bin.b += qBlue(line[x]);
        }
    }
    return bins;
}

QVector<int> usedBins(const QVector<Bin> &bins)
{
    QVector<int> used;
    for (int i = 0; i < bins.size(); ++i)
        if (bins.at(i).count)
            used.append(i);
    return used;
}

// A range of the used bins, and the pixels it holds.
struct Box
{
    int begin, end;
    qint64 pixels;
};

// The box with the most pixels that spans more than one bin, or -1.
int boxToSplit(const QVector<Box> &boxes)
{
    int pick = -1;
    for (int i = 0; i < boxes.size(); ++i)
        if (boxes.at(i).end - boxes.at(i).begin > 1 && (pick < 0 || boxes.at(i).pixels > boxes.at(pick).pixels))
            pick = i;
    return pick;
}

int widestChannel(const QVector<int> &used, const Box &box)
{
    int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
    for (int i = box.begin; i < box.end; ++i)
        for (int ch = 0; ch < 3; ++ch) {
            lo[ch] = qMin(lo[ch], channelOf(used.at(i), ch));
            hi[ch] = qMax(hi[ch], channelOf(used.at(i), ch));
        }
    int widest = 0;
    for (int ch = 1; ch < 3; ++ch)
        if (hi[ch] - lo[ch] > hi[widest] - lo[widest])
            widest = ch;
    return widest;
}

// Sorts the box's bins along its widest channel and cuts it at the median
// pixel: the box keeps the lower part, the returned box holds the rest.
Box splitAtMedian(const QVector<Bin> &bins, QVector<int> &used, Box &box)
{
    const int widest = widestChannel(used, box);
    std::sort(used.begin() + box.begin, used.begin() + box.end,
              [&](int a, int b) { return channelOf(a, widest) < channelOf(b, widest); });
    qint64 running = 0;
    int split = box.begin + 1;
    for (int i = box.begin; i < box.end - 1; ++i) {
        running += bins.at(used.at(i)).count;
        split = i + 1;
        if (running * 2 >= box.pixels)
            break;
    }
    const Box upper{split, box.end, box.pixels - running};
    box = {box.begin, split, running};
    return upper;
}

// Up to 256 boxes over the used bins, which it reorders.
QVector<Box> medianCut(const QVector<Bin> &bins, QVector<int> &used, qint64 pixels)
{
    QVector<Box> boxes;
    boxes.append({0, int(used.size()), pixels});
    while (boxes.size() < 256) {
        const int pick = boxToSplit(boxes);
        if (pick < 0)
            break;
        const Box upper = splitAtMedian(bins, used, boxes[pick]);
        boxes.append(upper);
    }
    return boxes;
}

// Each box's mean colour, weighted by pixels.
QVector<QRgb> paletteOf(const QVector<Box> &boxes, const QVector<Bin> &bins, const QVector<int> &used)
{
    QVector<QRgb> table;
    for (const Box &box : boxes) {
        qint64 n = 0, r = 0, g = 0, b = 0;
        for (int i = box.begin; i < box.end; ++i) {
            const Bin &bin = bins.at(used.at(i));
            n += bin.count;
            r += bin.r;
            g += bin.g;
            b += bin.b;
        }
        table.append(qRgb(int(r / n), int(g / n), int(b / n)));
    }
    return table;
}

// The entry closest to the bin's mean colour.
int nearestEntry(const QVector<QRgb> &table, const Bin &mean)
{
    const int r = int(mean.r / mean.count), g = int(mean.g / mean.count), b = int(mean.b / mean.count);
    int best = 0;
    int bestDistance = INT_MAX;
    for (int i = 0; i < table.size(); ++i) {
        const int dr = qRed(table.at(i)) - r, dg = qGreen(table.at(i)) - g, db = qBlue(table.at(i)) - b;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

// Every pixel takes the entry nearest to its bin, looked up once a bin.
void indexByNearestEntries(const QImage &rgb, const QVector<Bin> &bins, const QVector<QRgb> &table, QImage *indexed)
{
    indexed->setColorTable(table);
    QVector<int> nearest(32768, -1);
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb *line = rowOf(rgb, y);
        uchar *out = indexed->scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            const int bin = binOf(line[x]);
            if (nearest.at(bin) < 0)
                nearest[bin] = nearestEntry(table, bins.at(bin));
            out[x] = uchar(nearest.at(bin));
        }
    }
}

// A picture of up to 256 colours keeps them exactly. A richer one gets a
// palette fitted to it by median cut over a 5-bit-per-channel histogram, and
// each pixel takes its nearest entry, without dithering: dither noise breaks
// up the sharp edges that a QR code needs.
QImage toIndexed8(const QImage &source)
{
    const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
    QImage indexed(rgb.width(), rgb.height(), QImage::Format_Indexed8);
    if (indexed.isNull())
        return indexed;
    QHash<QRgb, int> numbers;
    if (numberFewColours(rgb, &numbers)) {
        indexByExactColours(rgb, numbers, &indexed);
        return indexed;
    }
    const QVector<Bin> bins = histogram(rgb);
    QVector<int> used = usedBins(bins);
    const QVector<Box> boxes = medianCut(bins, used, qint64(rgb.width()) * rgb.height());
    indexByNearestEntries(rgb, bins, paletteOf(boxes, bins, used), &indexed);
    return indexed;
}

// giflib frees the file handle but leaves the saved-image records to us.
void freeSavedImages(SavedImage *images, int count)
{
    if (!images)
        return;
    for (int i = 0; i < count; ++i) {
        SavedImage &sp = images[i];
        if (sp.ImageDesc.ColorMap)
            GifFreeMapObject(sp.ImageDesc.ColorMap);
        free(sp.RasterBits);
        GifFreeExtensions(&sp.ExtensionBlockCount, &sp.ExtensionBlocks);
    }
    free(images);
}

// Writes the screen and the saved images with giflib's stream calls. EGifSpew
// would leak here: it hands the handle's own screen map to EGifPutScreenDesc,
// which replaces it by a copy without freeing it, and EGifPutImageDesc drops
// its copy of the previous frame's local map when a frame has none.
bool putRecords(GifFileType *gif, const ColorMapObject *screenMap, int background)
{
    if (EGifPutScreenDesc(gif, gif->SWidth, gif->SHeight, 8, background, screenMap) == GIF_ERROR)
        return false;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage &sp = gif->SavedImages[i];
        for (int e = 0; e < sp.ExtensionBlockCount; ++e) {
            const ExtensionBlock &block = sp.ExtensionBlocks[e];
            if (block.Function != CONTINUE_EXT_FUNC_CODE && EGifPutExtensionLeader(gif, block.Function) == GIF_ERROR)
                return false;
            if (EGifPutExtensionBlock(gif, block.ByteCount, block.Bytes) == GIF_ERROR)
                return false;
            const bool last = e + 1 == sp.ExtensionBlockCount
                              || sp.ExtensionBlocks[e + 1].Function != CONTINUE_EXT_FUNC_CODE;
            if (last && EGifPutExtensionTrailer(gif) == GIF_ERROR)
                return false;
        }
        const GifImageDesc &desc = sp.ImageDesc;
        if (!desc.ColorMap && gif->Image.ColorMap) {
            GifFreeMapObject(gif->Image.ColorMap);
            gif->Image.ColorMap = nullptr;
        }
        if (EGifPutImageDesc(gif, desc.Left, desc.Top, desc.Width, desc.Height, desc.Interlace, desc.ColorMap)
            == GIF_ERROR)
            return false;
        // Interlaced rows go out in four passes.
        static const int start[4] = {0, 4, 2, 1};
        static const int step[4] = {8, 8, 4, 2};
        const int passes = desc.Interlace ? 4 : 1;
        for (int pass = 0; pass < passes; ++pass) {
            const int first = desc.Interlace ? start[pass] : 0;
            const int stride = desc.Interlace ? step[pass] : 1;
            for (int y = first; y < desc.Height; y += stride)
                if (EGifPutLine(gif, sp.RasterBits + size_t(y) * size_t(desc.Width), desc.Width) == GIF_ERROR)
                    return false;
        }
    }
    return true;
}

} // namespace

QSize GifImagePrivate::effectiveCanvasSize() const
{
    if (canvasSize.width() >= 0 && canvasSize.height() >= 0)
        return canvasSize;
    int width = -1;
    int height = -1;
    for (const GifFrameInfo &frame : frames) {
        width = qMax(width, frame.image.width() + frame.offset.x());
        height = qMax(height, frame.image.height() + frame.offset.y());
    }
    return QSize(width, height);
}

int GifImagePrivate::transparentIndex(const GifFrameInfo &frame) const
{
    QColor color = frame.transparentColor.isValid() ? frame.transparentColor : defaultTransparentColor;
    if (!color.isValid())
        return -1;
    const QVector<QRgb> table = !frame.image.colorTable().isEmpty() ? frame.image.colorTable() : globalColorTable;
    if (table.isEmpty())
        return -1;
    return table.indexOf(color.rgb());
}

bool GifImagePrivate::write(QIODevice *device) const
{
    int error = 0;
    GifWriteTarget target;
    target.device = device;
    GifFileType *gif = EGifOpen(&target, gifWriteToDevice, &error);
    if (!gif) {
        qWarning("%s", GifErrorString(error));
        return false;
    }

    const QSize screen = effectiveCanvasSize();
    gif->SWidth = screen.width();
    gif->SHeight = screen.height();
    // The screen map stays ours: giflib keeps a copy of its own.
    ColorMapObject *screenMap = nullptr;
    int background = 0;
    if (!globalColorTable.isEmpty()) {
        screenMap = colorMapFromTable(globalColorTable);
        const int index = globalColorTable.indexOf(backgroundColor.rgba());
        background = index < 0 ? 0 : index;
    }

    const int count = frames.size();
    SavedImage *images = count > 0 ? static_cast<SavedImage *>(calloc(size_t(count), sizeof(SavedImage))) : nullptr;
    gif->ImageCount = count;
    gif->SavedImages = images;
    bool ok = (count == 0 || images != nullptr) && (globalColorTable.isEmpty() || screenMap != nullptr);

    for (int i = 0; ok && i < count; ++i) {
        const GifFrameInfo &frame = frames.at(i);
        QImage picture = frame.image;
        if (picture.format() != QImage::Format_Indexed8) {
            picture = globalColorTable.isEmpty()
                          ? toIndexed8(picture)
                          : picture.convertToFormat(QImage::Format_Indexed8, globalColorTable, Qt::AutoColor);
        }
        // A conversion that ran out of memory leaves a null picture: no file.
        if (picture.isNull() && !frame.image.isNull()) {
            ok = false;
            break;
        }
        SavedImage &sp = images[i];
        sp.ImageDesc.Left = frame.offset.x();
        sp.ImageDesc.Top = frame.offset.y();
        sp.ImageDesc.Width = picture.width();
        sp.ImageDesc.Height = picture.height();
        sp.ImageDesc.Interlace = frame.interlace;
        const QVector<QRgb> table = picture.colorTable();
        if (!table.isEmpty() && table != globalColorTable) {
            sp.ImageDesc.ColorMap = colorMapFromTable(table);
            ok = sp.ImageDesc.ColorMap != nullptr;
        }
        const int width = picture.width();
        const int height = picture.height();
        sp.RasterBits = static_cast<GifByteType *>(malloc(size_t(qMax(1, width * height))));
        if (!sp.RasterBits) {
            ok = false;
            break;
        }
        for (int y = 0; y < height; ++y)
            memcpy(sp.RasterBits + size_t(y) * size_t(width), picture.constScanLine(y), size_t(width));

        if (i == 0) {
            static const unsigned char netscape[] = "NETSCAPE2.0";
            const unsigned char loop[3] = {1, GifByteType(loopCount & 0xFF), GifByteType((loopCount >> 8) & 0xFF)};
            if (GifAddExtensionBlock(&sp.ExtensionBlockCount, &sp.ExtensionBlocks, APPLICATION_EXT_FUNC_CODE, 11,
                                     const_cast<unsigned char *>(netscape)) == GIF_ERROR
                || GifAddExtensionBlock(&sp.ExtensionBlockCount, &sp.ExtensionBlocks, CONTINUE_EXT_FUNC_CODE, 3,
                                        const_cast<unsigned char *>(loop)) == GIF_ERROR)
                ok = false;
        }
        GraphicsControlBlock gcb;
        gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
        gcb.UserInputFlag = false;
        gcb.DelayTime = (frame.delay == -1 ? defaultDelay : frame.delay) / 10;
        gcb.TransparentColor = transparentIndex(frame);
        if (EGifGCBToSavedExtension(&gcb, gif, i) == GIF_ERROR)
            ok = false;
    }

    if (ok && !putRecords(gif, screenMap, background)) {
        qWarning("%s", GifErrorString(gif->Error));
        ok = false;
    }
    // Closing writes the trailer and frees the handle with giflib's copies of
    // the maps; the saved images and the screen map are released here.
    gif->SavedImages = nullptr;
    gif->ImageCount = 0;
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok && !target.failed;
    GifFreeMapObject(screenMap);
    freeSavedImages(images, count);
    return ok;
}

namespace {

// The largest picture a GIF may declare: giflib allocates what the file asks
// for, and a few bytes can ask for gigabytes.
constexpr int MaxGifSide = 16384;
constexpr qint64 MaxGifPixels = 64 * 1024 * 1024;

bool withinLimits(int width, int height)
{
    return width <= MaxGifSide && height <= MaxGifSide && qint64(width) * height <= MaxGifPixels;
}

// Reads the whole stream into the saved images as giflib's own slurp does,
// but refuses a screen or an image larger than the limits before its pixels
// are allocated.
bool readRecords(GifFileType *gif)
{
    if (!withinLimits(gif->SWidth, gif->SHeight)) {
        qWarning("GIF screen of %d x %d refused", gif->SWidth, gif->SHeight);
        return false;
    }
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return false;
        if (type == TERMINATE_RECORD_TYPE)
            return true;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType *block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                return false;
            for (int function = code; block; function = CONTINUE_EXT_FUNC_CODE) {
                if (GifAddExtensionBlock(&gif->ExtensionBlockCount, &gif->ExtensionBlocks, function, block[0],
                                         block + 1) == GIF_ERROR
                    || DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    return false;
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif) == GIF_ERROR)
            return false;
        SavedImage &image = gif->SavedImages[gif->ImageCount - 1];
        const int width = image.ImageDesc.Width, height = image.ImageDesc.Height;
        if (!withinLimits(width, height)) {
            qWarning("GIF image of %d x %d refused", width, height);
            return false;
        }
        image.RasterBits = static_cast<GifByteType *>(malloc(size_t(qMax(1, width * height))));
        if (!image.RasterBits)
            return false;
        if (image.ImageDesc.Interlace) {
            // Interlaced rows come in four passes; they are stored in display order.
            static const int start[4] = {0, 4, 2, 1};
            static const int step[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < height; y += step[pass])
                    if (DGifGetLine(gif, image.RasterBits + size_t(y) * size_t(width), width) == GIF_ERROR)
                        return false;
        } else if (DGifGetLine(gif, image.RasterBits, width * height) == GIF_ERROR) {
            return false;
        }
        // The extensions read so far belong to this image.
        image.ExtensionBlocks = gif->ExtensionBlocks;
        image.ExtensionBlockCount = gif->ExtensionBlockCount;
        gif->ExtensionBlocks = nullptr;
        gif->ExtensionBlockCount = 0;
    }
}

} // namespace

bool GifImagePrivate::read(QIODevice *device)
{
    int error = 0;
    GifFileType *gif = DGifOpen(device, gifReadFromDevice, &error);
    if (!gif) {
        qWarning("%s", GifErrorString(error));
        return false;
    }
    if (!readRecords(gif)) {
        DGifCloseFile(gif, &error);
        return false;
    }

    canvasSize = QSize(gif->SWidth, gif->SHeight);
    globalColorTable = tableFromColorMap(gif->SColorMap);
    backgroundColor = gif->SBackGroundColor < globalColorTable.size()
                          ? QColor(globalColorTable.at(gif->SBackGroundColor))
                          : QColor();
    loopCount = 0;
    frames.clear();

    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage &sp = gif->SavedImages[i];
        const GifImageDesc &desc = sp.ImageDesc;
        QVector<QRgb> table = tableFromColorMap(desc.ColorMap ? desc.ColorMap : gif->SColorMap);
        GifFrameInfo frame;
        frame.offset = QPoint(desc.Left, desc.Top);
        frame.interlace = desc.Interlace;
        QImage image(desc.Width, desc.Height, QImage::Format_Indexed8);
        if (image.isNull() && desc.Width * desc.Height > 0)
            continue;
        image.setColorTable(table);
        // The rows are already in display order; an empty frame has none.
        for (int y = 0; !image.isNull() && y < desc.Height; ++y)
            memcpy(image.scanLine(y), sp.RasterBits + size_t(y) * size_t(desc.Width), size_t(desc.Width));
        frame.image = image;

        GraphicsControlBlock gcb;
        if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) {
            frame.delay = gcb.DelayTime * 10;
            if (gcb.TransparentColor >= 0 && gcb.TransparentColor < table.size())
                frame.transparentColor = QColor(table.at(gcb.TransparentColor));
        }
        for (int e = 0; e + 1 < sp.ExtensionBlockCount; ++e) {
            const ExtensionBlock &block = sp.ExtensionBlocks[e];
            const ExtensionBlock &next = sp.ExtensionBlocks[e + 1];
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11
                && memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 && next.ByteCount >= 3 && next.Bytes[0] == 1)
                loopCount = next.Bytes[1] | (next.Bytes[2] << 8);
        }
        frames.append(frame);
    }
    DGifCloseFile(gif, &error);
    return true;
}

GifImage::GifImage() : d(new GifImagePrivate)
{
}

GifImage::GifImage(const QSize &size) : d(new GifImagePrivate)
{
    d->canvasSize = size;
}

GifImage::GifImage(const QString &fileName) : d(new GifImagePrivate)
{
    load(fileName);
}

GifImage::~GifImage()
{
    delete d;
}

bool GifImage::load(QIODevice *device)
{
    return device && d->read(device);
}

bool GifImage::load(const QString &fileName)
{
    QFile file;
    return openForReading(&file, fileName, ReadLimit::Picture) && load(&file);
}

bool GifImage::save(QIODevice *device) const
{
    return device && d->write(device);
}

bool GifImage::save(const QString &fileName) const
{
    // Encoded in memory, then the file replaced whole: a full disk leaves the
    // old file, never half a GIF.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return save(&buffer) && replaceFileContents(fileName, buffer.data());
}

QSize GifImage::canvasSize() const { return d->effectiveCanvasSize(); }
int GifImage::loopCount() const { return d->loopCount; }
void GifImage::setLoopCount(int loop) { d->loopCount = loop; }
int GifImage::defaultDelay() const { return d->defaultDelay; }
void GifImage::setDefaultDelay(int internal) { d->defaultDelay = internal; }
QColor GifImage::defaultTransparentColor() const { return d->defaultTransparentColor; }
void GifImage::setDefaultTransparentColor(const QColor &color) { d->defaultTransparentColor = color; }
QVector<QRgb> GifImage::globalColorTable() const { return d->globalColorTable; }
QColor GifImage::backgroundColor() const { return d->backgroundColor; }

void GifImage::setGlobalColorTable(const QVector<QRgb> &colors, const QColor &bgColor)
{
    d->globalColorTable = colors;
    d->backgroundColor = bgColor;
}

int GifImage::frameCount() const { return d->frames.size(); }

QImage GifImage::frame(int index) const
{
    return index >= 0 && index < d->frames.size() ? d->frames.at(index).image : QImage();
}

QPoint GifImage::frameOffset(int index) const
{
    return index >= 0 && index < d->frames.size() ? d->frames.at(index).offset : QPoint();
}

int GifImage::frameDelay(int index) const
{
    return index >= 0 && index < d->frames.size() ? d->frames.at(index).delay : -1;
}

QColor GifImage::frameTransparentColor(int index) const
{
    return index >= 0 && index < d->frames.size() ? d->frames.at(index).transparentColor : QColor();
}

void GifImage::setFrameOffset(int index, const QPoint &offset)
{
    if (index >= 0 && index < d->frames.size())
        d->frames[index].offset = offset;
}

void GifImage::setFrameDelay(int index, int delay)
{
    if (index >= 0 && index < d->frames.size())
        d->frames[index].delay = delay;
}

void GifImage::setFrameTransparentColor(int index, const QColor &color)
{
    if (index >= 0 && index < d->frames.size())
        d->frames[index].transparentColor = color;
}

void GifImage::addFrame(const QImage &frame, int delay)
{
    addFrame(frame, frame.offset(), delay);
}

void GifImage::addFrame(const QImage &frame, const QPoint &offset, int delay)
{
    insertFrame(d->frames.size(), frame, offset, delay);
}

void GifImage::insertFrame(int index, const QImage &frame, int delay)
{
    insertFrame(index, frame, frame.offset(), delay);
}

void GifImage::insertFrame(int index, const QImage &frame, const QPoint &offset, int delay)
{
    GifFrameInfo info;
    info.image = frame;
    info.offset = offset;
    info.delay = delay;
    d->frames.insert(qBound(0, index, d->frames.size()), info);
}
