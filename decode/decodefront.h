// The decode front end: the text of the barcode in a picture, read by ZXing,
// else by zbar, else by both once more on a copy framed in white and rescaled.
#ifndef VOPA_DECODEFRONT_H
#define VOPA_DECODEFRONT_H

#include <QImage>
#include <QString>

class QIODevice;

// The decoded text, empty when nothing was found. `retry` allows the one
// framed retry. Safe on any thread.
QString decodeImageText(QImage image, bool retry);
QString decodeWithZxing(QImage image);
QString decodeWithZbar(QImage image);

// The picture ZXing reads: scaled down smoothly to fit 999 x 999 when it is
// larger, else the picture itself.
QImage zxingInputImage(const QImage &image);
// An opaque white copy 40 pixels wider and higher, the picture painted
// unscaled 20 pixels in from the left and top.
QImage framedImage(const QImage &image);
// What the retry decodes: the framed copy scaled (nearest neighbour, aspect
// kept) into 70 % of the picture's size when it is over 500 pixels wide,
// else into 120 %; null for a null picture.
QImage framedRetryImage(const QImage &image);

// A picture read for decoding: by its own format, else as JPEG, else as PNG;
// one larger than 8,000 pixels on a side is read scaled to fit 8,000 x 8,000
// (aspect kept). Null when nothing reads it.
QImage readPictureForDecoding(const QString &path);
QImage readPictureForDecoding(QIODevice *device);

#endif
