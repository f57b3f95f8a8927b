// The one reader of every picture the program opens from outside (pictures to
// decode, backgrounds, logos, textures, package pictures): what a picture's
// file declares is checked before a decoder allocates for it.
#ifndef VOPA_PICTUREREADER_H
#define VOPA_PICTUREREADER_H

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

class QIODevice;

namespace PictureReader {

struct Limits
{
    // A picture wider or higher than this is read shrunk to fit it, where
    // its format can be shrunk while it is read (baseline JPEG, PNG that is
    // not interlaced), and refused otherwise.
    int maxSide;
    // A picture of more pixels than this (within the sides) is refused.
    qint64 maxPixels;
};

// The first picture of the data, tried in `formats` in order ("" by its
// content). A PNG whose chunks declare more bytes than the data holds is
// refused at once. Null when nothing reads it within the limits.
QImage read(QIODevice *device, const QList<QByteArray> &formats, const Limits &limits);
QImage read(const QString &path, const QList<QByteArray> &formats, const Limits &limits);

// For tests: whether a PNG's chunk headers fit the data (true for data that
// is no PNG), and a PNG read row by row and shrunk into `size`.
bool pngChunksFit(QIODevice *device);
QImage readPngShrunk(QIODevice *device, const QSize &size);

} // namespace PictureReader

#endif
