#include "rasteroutput.h"

#include "gifimage.h"
#include "helpers.h"

#include <QFont>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

namespace RasterOutput {

namespace {

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
    QPainter painter(&target);
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.drawImage(QRect(placement.bgX, placement.bgY, codeImage.width(), codeImage.height()), codeImage,
                      QRect(0, 0, codeImage.width(), codeImage.height()));
}

} // namespace

bool loadImage(const QString &path, QImage *image)
{
    if (path.isEmpty())
        return false;
    QImage loaded;
    if (loaded.load(path) || loaded.load(path, "PNG") || loaded.load(path, "JPG")) {
        *image = loaded;
        return true;
    }
    return false;
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
        return gif.save(path);
    }
    if (!formatKeepsAlpha(suffix) && image.hasAlphaChannel())
        return flattenOntoWhite(image).save(path);
    return image.save(path);
}

bool writeOutput(const QString &path, const QImage &codeImage, const Placement &placement,
                 const QImage *background)
{
    if (!background || background->isNull())
        return saveStill(codeImage, path);

    if (fileSuffix(placement.bgImg) == QLatin1String("gif")) {
        GifImage gif(background->size());
        QImageReader reader;
        reader.setFileName(placement.bgImg);
        if (reader.supportsAnimation()) {
            gif.setLoopCount(reader.loopCount());
            const int count = reader.imageCount();
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
            return gif.save(path);
        // Not animated after all: the still composition, as a one-frame GIF.
    }

    QImage still = paintable(*background);
    drawCode(still, codeImage, placement);
    return saveStill(still, path);
}

} // namespace RasterOutput
