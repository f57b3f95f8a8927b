#include "rasteroutput.h"

#include "fileread.h"
#include "gifimage.h"
#include "helpers.h"
#include "picturereader.h"
#include "pngwriter.h"

#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include <array>
#include <climits>

namespace RasterOutput {

namespace {

// PNG files through the toolkit's own writer, as they were written before the
// writer of flat pictures; on this thread, for comparing the two.
thread_local bool t_qtPngWriter = false;

// 8,000 by 8,000 pixels.
constexpr qint64 MaxPicturePixels = 64 * 1000 * 1000;
// Every frame of an animated background is kept whole until the GIF is
// written: the frames times the screen may hold this many pixels in all
// (a gigabyte), however few bytes the background's file has.
constexpr qint64 MaxAnimationPixels = 256 * 1000 * 1000;

QImage paintable(const QImage &image)
{
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

bool formatKeepsAlpha(const QString &suffix)
{
    static const QStringList withAlpha = {"png", "tif", "tiff", "webp", "ico", "xpm", "icns", "tga"};
    return withAlpha.contains(suffix.toLower());
}

void drawCode(QImage &target, const QImage &codeImage, const Placement &placement)
{
    // Any offset is allowed; one that puts the code wholly outside the
    // picture draws nothing, and the rest stay within int range.
    const qint64 x = placement.bgX, y = placement.bgY;
    if (x >= target.width() || y >= target.height() || x + codeImage.width() <= 0 || y + codeImage.height() <= 0)
        return;
    QPainter painter(&target);
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.drawImage(QRect(int(x), int(y), codeImage.width(), codeImage.height()), codeImage,
                      QRect(0, 0, codeImage.width(), codeImage.height()));
}

} // namespace

namespace {

std::array<QImage, 2> &canvases()
{
    thread_local std::array<QImage, 2> kept;
    return kept;
}

} // namespace

QImage &reusedCanvas(int slot, const QSize &size, QImage::Format format)
{
    QImage &canvas = canvases().at(size_t(slot));
    if (canvas.size() != size || canvas.format() != format || !canvas.isDetached())
        canvas = QImage(size, format);
    return canvas;
}

void releaseLargeCanvases()
{
    // A million pixels (4 MB) a canvas at most stay for the next code.
    for (QImage &canvas : canvases())
        if (qint64(canvas.width()) * canvas.height() > 1024 * 1024)
            canvas = QImage();
}

bool loadImage(const QString &path, QImage *image)
{
    if (path.isEmpty())
        return false;
    // A picture the renderers would hold several copies of, at gigabytes,
    // is not read at all.
    const QImage loaded = PictureReader::read(path, {QByteArray(), "PNG", "JPG"}, {INT_MAX, MaxPicturePixels});
    if (loaded.isNull())
        return false;
    *image = loaded;
    return true;
}

void paintCaption(QPainter &painter, int size, const Caption &caption)
{
    painter.setPen(caption.codeColor);
    QFont font;
    font.setPointSize(caption.codeFontSize);
    font.setLetterSpacing(QFont::AbsoluteSpacing, caption.codeSpac);
    painter.setFont(font);
    painter.drawText(QRect(0, size, size, 2 * caption.codeFontSize), Qt::AlignHCenter, caption.codeStr);
}

QImage addCaptionBand(const QImage &code, int size, const Caption &caption)
{
    if (!caption.hasBand())
        return code;
    QImage banded(size, size + caption.bandHeight(), QImage::Format_ARGB32_Premultiplied);
    banded.fill(Qt::transparent);
    QPainter painter(&banded);
    painter.setRenderHint(QPainter::Antialiasing, true);
    paintCaption(painter, size, caption);
    painter.drawImage(QRect(0, 0, size, size), code, QRect(0, 0, size, size));
    painter.end();
    return banded;
}

QImage flattenOntoWhite(const QImage &image)
{
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    return flat;
}

bool saveStill(const QImage &image, const QString &path)
{
    const QString suffix = fileSuffix(path).toLower();
    if (suffix == QLatin1String("gif")) {
        GifImage gif(image.size());
        gif.addFrame(flattenOntoWhite(image), QPoint(0, 0), 0);
        return saveGif(gif, path);
    }
    // Encoded in memory, then the file replaced whole: a failed write never
    // leaves half a picture behind.
    if (suffix == QLatin1String("png") && !t_qtPngWriter) {
        const QByteArray png = PngWriter::encode(image);
        return !png.isEmpty() && replaceFileContents(path, png);
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, suffix.toLatin1());
    const bool flatten = !formatKeepsAlpha(suffix) && image.hasAlphaChannel();
    return writer.write(flatten ? flattenOntoWhite(image) : image) && replaceFileContents(path, buffer.data());
}

void useQtPngWriter(bool use)
{
    t_qtPngWriter = use;
}

bool saveGif(const GifImage &gif, const QString &path)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return gif.save(&buffer) && replaceFileContents(path, buffer.data());
}

bool writeOutput(const QString &path, const QImage &codeImage, const Placement &placement,
                 const QImage *background)
{
    if (!background || background->isNull())
        return saveStill(codeImage, path);

    if (fileSuffix(placement.bgImg) == QLatin1String("gif")) {
        GifImage gif(background->size());
        QFile file;
        QImageReader reader;
        if (openForReading(&file, placement.bgImg, ReadLimit::Picture))
            reader.setDevice(&file);
        if (file.isOpen() && reader.supportsAnimation()) {
            gif.setLoopCount(reader.loopCount());
            const int count = reader.imageCount();
            if (qint64(count) * background->width() * background->height() > MaxAnimationPixels)
                return false;
            for (int i = 0; i < count; ++i) {
                if (!reader.canRead())
                    continue;
                QImage frame = reader.read();
                if (frame.isNull())
                    continue;
                // Asked after the read, the delay belongs to the frame just read.
                const int delay = reader.nextImageDelay();
                frame = paintable(frame);
                drawCode(frame, codeImage, placement);
                gif.addFrame(flattenOntoWhite(frame), QPoint(0, 0), delay);
            }
        }
        if (gif.frameCount() > 0)
            return saveGif(gif, path);
        // Not animated after all: the still composition, as a one-frame GIF.
    }

    QImage still = paintable(*background);
    drawCode(still, codeImage, placement);
    return saveStill(still, path);
}

} // namespace RasterOutput
