#include "rendersupport.h"

#include <gif_lib.h>

#include <cstring>

namespace TestSupport {

GifRecord readGif(const QString &path)
{
    GifRecord record;
    record.signature = readBytes(path).left(6);
    int error = 0;
    GifFileType *gif = DGifOpenFileName(QFile::encodeName(path).constData(), &error);
    if (!gif) {
        record.error = QString::fromLatin1(GifErrorString(error));
        return record;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        record.error = QString::fromLatin1(GifErrorString(gif->Error));
        DGifCloseFile(gif, &error);
        return record;
    }
    record.width = gif->SWidth;
    record.height = gif->SHeight;
    record.globalMapSize = gif->SColorMap ? gif->SColorMap->ColorCount : 0;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage &sp = gif->SavedImages[i];
        GifFrameRecord frame;
        frame.left = sp.ImageDesc.Left;
        frame.top = sp.ImageDesc.Top;
        frame.width = sp.ImageDesc.Width;
        frame.height = sp.ImageDesc.Height;
        frame.localMapSize = sp.ImageDesc.ColorMap ? sp.ImageDesc.ColorMap->ColorCount : 0;
        for (int e = 0; e < sp.ExtensionBlockCount; ++e) {
            const ExtensionBlock &block = sp.ExtensionBlocks[e];
            if (block.Function == GRAPHICS_EXT_FUNC_CODE) {
                ++frame.gceCount;
                GraphicsControlBlock gcb;
                DGifExtensionToGCB(block.ByteCount, block.Bytes, &gcb);
                frame.delay = gcb.DelayTime;
                frame.transparentIndex = gcb.TransparentColor;
            }
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11
                && memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0) {
                frame.netscape = true;
                if (e + 1 < sp.ExtensionBlockCount && sp.ExtensionBlocks[e + 1].ByteCount == 3) {
                    const unsigned char *b = sp.ExtensionBlocks[e + 1].Bytes;
                    frame.loopCount = b[1] | (b[2] << 8);
                }
            }
        }
        const ColorMapObject *map = sp.ImageDesc.ColorMap ? sp.ImageDesc.ColorMap : gif->SColorMap;
        frame.image = QImage(frame.width, frame.height, QImage::Format_RGB32);
        for (int p = 0; p < frame.width * frame.height && map; ++p) {
            const int index = sp.RasterBits[p];
            const GifColorType c = index < map->ColorCount ? map->Colors[index] : GifColorType{0, 0, 0};
            frame.image.setPixel(p % frame.width, p / frame.width, qRgb(c.Red, c.Green, c.Blue));
        }
        record.frames.append(frame);
    }
    DGifCloseFile(gif, &error);
    record.ok = true;
    return record;
}

QString checkAnimation(const QString &path, const QSize &size, const QList<int> &delays, const QString &text,
                       const QString &gallery)
{
    const GifRecord gif = readGif(path);
    if (!gif.ok)
        return QStringLiteral("unreadable GIF: ") + gif.error;
    if (QSize(gif.width, gif.height) != size || gif.frames.size() != delays.size())
        return QStringLiteral("%1x%2 with %3 frames").arg(gif.width).arg(gif.height).arg(gif.frames.size());
    for (int i = 0; i < gif.frames.size(); ++i) {
        const GifFrameRecord &frame = gif.frames.at(i);
        const QString where = QStringLiteral("frame %1: ").arg(i);
        if (frame.delay != delays.at(i) / 10 || frame.gceCount != 1 || frame.netscape != (i == 0))
            return where + QStringLiteral("delay %1, %2 control blocks, loop block %3")
                               .arg(frame.delay).arg(frame.gceCount).arg(frame.netscape);
        if (frame.image.size() != size)
            return where + QStringLiteral("not full-screen");
        if (!gallery.isEmpty())
            saveToGallery(gallery + QStringLiteral("_frame%1").arg(i), frame.image);
        const QString problem = checkDecodes(frame.image, text);
        if (!problem.isEmpty())
            return where + problem;
    }
    return QString();
}

QString checkCaption(const QImage &image, int size, const QColor &ink, const QColor &ground)
{
    if (image.size() != QSize(size, size + 28))
        return QStringLiteral("size %1x%2").arg(image.width()).arg(image.height());
    int inked = 0;
    for (int y = size; y < size + 28; ++y)
        for (int x = 0; x < size; ++x)
            inked += sameColor(image.pixel(x, y), ink, 90);
    if (inked < 30)
        return QStringLiteral("no caption text in the band");
    for (int x : {2, size - 2}) {
        const QRgb corner = image.pixel(x, size + 26);
        if (ground.alpha() == 0 ? qAlpha(corner) != 0 : !sameColor(corner, ground))
            return QStringLiteral("the band's ground is not %1").arg(ground.name(QColor::HexArgb));
    }
    return QString();
}

Symbol::Symbol(const QByteArray &text, int version, int level)
    : content(text), holder(encodeQrContent(content, version, level, 2, true)), grid(holder.get())
{
}

bool Symbol::ordinary(int x, int y) const
{
    return x >= 0 && y >= 0 && x < grid.width() && y < grid.width() && grid.finderArea(x, y, 8) == QrGrid::NoCorner
           && !grid.inAlignmentArea(x, y) && !grid.inPlusZone(x, y);
}

QPoint Symbol::find(const std::function<bool(int x, int y)> &test) const
{
    for (int y = 0; y < grid.width(); ++y)
        for (int x = 0; x < grid.width(); ++x)
            if (ordinary(x, y) && test(x, y))
                return QPoint(x, y);
    return QPoint(-1, -1);
}

} // namespace TestSupport
