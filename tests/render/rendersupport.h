// Test support of the rendering suites: GIF files read back with giflib and
// checked as animations, the symbol a renderer draws, and common settings.
#ifndef VOPA_RENDERSUPPORT_H
#define VOPA_RENDERSUPPORT_H

#include "qrsymbol.h"
#include "testsupport.h"

namespace TestSupport {

// A GIF file as giflib reads it; loopCount is -1 without a NETSCAPE2.0 block,
// delay in hundredths, localMapSize 0 without a local colour map.
struct GifFrameRecord { QRect rect; int localMapSize = 0, gceCount = 0, delay = -1, transparentIndex = -1, loopCount = -1; QImage image; };
struct GifRecord { QString error; QSize screen; int globalMapSize = 0; QList<GifFrameRecord> frames; };
GifRecord readGif(const QString &path);

// Empty when the GIF at `path` has the screen `size` and one full-screen frame
// per entry of `delays` (milliseconds), each with its delay in hundredths in
// its one control block, the loop block on the first frame only, and each
// decoding to `text`; else what is wrong.
QString checkAnimation(const QString &path, const QSize &size, const QList<int> &delays, const QString &text);

// The symbol a renderer draws for these settings (hint 2, case sensitive).
struct Symbol
{
    explicit Symbol(const QByteArray &text, int version = 0, int level = 2)
        : content(text), holder(encodeQrContent(content, version, level, 2, true)), grid(holder.get()) {}
    QByteArray content;
    QrSymbolHolder holder;
    QrGrid grid;
    // Inside the symbol and in no finder (with separator), alignment, timing or format area.
    bool ordinary(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < grid.width() && y < grid.width() && grid.finderArea(x, y, 8) == QrGrid::NoCorner
               && !grid.inAlignmentArea(x, y) && !grid.inPlusZone(x, y);
    }
    // The first ordinary module, row by row, that passes `test`; (-1, -1) if none.
    QPoint find(const std::function<bool(int x, int y)> &test) const
    {
        for (int p = 0, w = grid.width(); p < w * w; ++p)
            if (ordinary(p % w, p / w) && test(p % w, p / w))
                return QPoint(p % w, p / w);
        return QPoint(-1, -1);
    }
};

template <class Renderer>
Renderer &setSymbol(Renderer &qr, const QByteArray &content, int version = 0, int level = 2, int size = 300)
{
    return qr.content = content, qr.version = version, qr.level = level, qr.size = size, qr;
}

template <class Renderer>
Renderer &setCaption(Renderer &qr, const QString &text, const QColor &color = Qt::black)
{
    return qr.isCode = true, qr.codeStr = text, qr.codeColor = color, qr;
}

} // namespace TestSupport

#endif
