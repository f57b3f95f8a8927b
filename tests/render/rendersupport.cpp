#include "rendersupport.h"

#include <gif_lib.h>

#include <cstring>

namespace TestSupport {

GifRecord readGif(const QString &path)
{
    GifRecord record;
    int error = 0;
    GifFileType *gif = DGifOpenFileName(QFile::encodeName(path).constData(), &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) {
        DGifCloseFile(gif, &error);
        return record;
    }
    record.screen = QSize(gif->SWidth, gif->SHeight);
    record.globalMapSize = gif->SColorMap ? gif->SColorMap->ColorCount : 0;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage &sp = gif->SavedImages[i];
        const GifImageDesc &desc = sp.ImageDesc;
        GifFrameRecord frame;
        frame.rect = QRect(desc.Left, desc.Top, desc.Width, desc.Height);
        frame.localMapSize = desc.ColorMap ? desc.ColorMap->ColorCount : 0;
        for (int e = 0; e < sp.ExtensionBlockCount; ++e) {
            const ExtensionBlock &block = sp.ExtensionBlocks[e];
            GraphicsControlBlock gcb;
            if (block.Function == GRAPHICS_EXT_FUNC_CODE
                && DGifExtensionToGCB(block.ByteCount, block.Bytes, &gcb) == GIF_OK) {
                ++frame.gceCount;
                frame.delay = gcb.DelayTime;
                frame.transparentIndex = gcb.TransparentColor;
            }
            // The loop count is in the sub-block that follows the application block.
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11
                && !memcmp(block.Bytes, "NETSCAPE2.0", 11) && e + 1 < sp.ExtensionBlockCount)
                frame.loopCount = sp.ExtensionBlocks[e + 1].Bytes[1] | (sp.ExtensionBlocks[e + 1].Bytes[2] << 8);
        }
        const ColorMapObject *map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        frame.image = QImage(desc.Width, desc.Height, QImage::Format_RGB32);
        for (int p = 0; p < desc.Width * desc.Height && map; ++p) {
            const GifColorType c = map->Colors[qMin(int(sp.RasterBits[p]), map->ColorCount - 1)];
            frame.image.setPixel(p % desc.Width, p / desc.Width, qRgb(c.Red, c.Green, c.Blue));
        }
        record.frames.append(frame);
    }
    DGifCloseFile(gif, &error);
    return record;
}

} // namespace TestSupport
