// PNG files of codes, written fast and small: a code is a flat picture of a
// few colours, which a palette holds exactly.
#ifndef VOPA_PNGWRITER_H
#define VOPA_PNGWRITER_H

#include <QByteArray>

class QImage;

namespace PngWriter {

// The picture as PNG bytes that decode to exactly the pixels Qt's own PNG
// writer stores for it (colours unpremultiplied, the alpha channel when the
// picture has one): a palette of 1, 2, 4 or 8 bits with its transparency when
// the picture holds 256 colours or fewer, else 8-bit RGB or RGBA. Rows are
// filtered and compressed for flat pictures. The picture's colour space and
// text go along as the toolkit's writer stores them (iCCP, and tEXt, zTXt or
// iTXt), so that its reader gives them back. Empty when it cannot be encoded.
QByteArray encode(const QImage &image);

} // namespace PngWriter

#endif
