// The last steps every raster renderer shares: loading its pictures, the
// caption band under the code, and writing the code alone, on a still
// background or into every frame of an animated GIF background.
#ifndef VOPA_RASTEROUTPUT_H
#define VOPA_RASTEROUTPUT_H

#include <QColor>
#include <QImage>
#include <QString>

class GifImage;
class QPainter;

namespace RasterOutput {

struct Caption
{
    bool isCode = false;
    QString codeStr;
    int codeFontSize = 14;
    int codeSpac = 2;
    QColor codeColor;

    // A caption band is added only for a non-empty text.
    bool hasBand() const { return isCode && !codeStr.isEmpty(); }
    int bandHeight() const { return hasBand() ? 2 * codeFontSize : 0; }
};

struct Placement
{
    QString bgImg;
    int bgX = 0;
    int bgY = 0;
};

// The caption and background fields every raster renderer carries.
template <typename Renderer>
Caption captionOf(const Renderer &qr)
{
    Caption caption;
    caption.isCode = qr.isCode;
    caption.codeStr = qr.codeStr;
    caption.codeFontSize = qr.codeFontSize;
    caption.codeSpac = qr.codeSpac;
    caption.codeColor = qr.codeColor;
    return caption;
}

template <typename Renderer>
Placement placementOf(const Renderer &qr)
{
    Placement placement;
    placement.bgImg = qr.bgImg;
    placement.bgX = qr.bgX;
    placement.bgY = qr.bgY;
    return placement;
}

// A canvas of this thread, kept for its next render of the same size and
// format: codes drawn one after another paint into the same memory instead
// of having fresh pages faulted in for each. Its pixels are left over from
// the last render until painted; the reference stays valid until the next
// call for the same slot on this thread. While a copy of it is still around
// (it is then shared), a new canvas takes its place.
QImage &reusedCanvas(int slot, const QSize &size, QImage::Format format);
// Lets go of this thread's canvases above a million pixels, so that one
// large code does not hold its memory until the next.
void releaseLargeCanvases();

// Loads a picture by its own format, then as PNG, then as JPG.
bool loadImage(const QString &path, QImage *image);

// Draws the caption text at the top of the band below a code of side `size`.
void paintCaption(QPainter &painter, int size, const Caption &caption);

// The code image with a transparent caption band below it (or the code alone).
QImage addCaptionBand(const QImage &code, int size, const Caption &caption);

// Writes `codeImage` (size by h) alone, or onto the loaded background: every
// frame of a ".gif" background, or the still picture otherwise. False when
// nothing could be written, or when an animated background's frames would
// hold more than 256 million pixels in all.
bool writeOutput(const QString &path, const QImage &codeImage, const Placement &placement,
                 const QImage *background);

// Saves one picture in the format the path's suffix names; formats without
// alpha get the picture flattened onto white first, and ".gif" is written as
// a one-frame GIF.
bool saveStill(const QImage &image, const QString &path);

// PNG files of this thread through the toolkit's writer (true) or the writer
// of flat pictures (false, the default); both store the same pixels.
void useQtPngWriter(bool use);

// Writes the GIF as a whole file, or leaves the old one.
bool saveGif(const GifImage &gif, const QString &path);

// The picture over an opaque white ground.
QImage flattenOntoWhite(const QImage &image);

} // namespace RasterOutput

#endif
