// Test support of the rendering suites: GIF files read back with giflib, the
// symbol a renderer draws, and common settings.
#ifndef VOPA_RENDERSUPPORT_H
#define VOPA_RENDERSUPPORT_H

#include "qrsymbol.h"
#include "testsupport.h"

namespace TestSupport {

// A GIF file as giflib reads it (empty when it cannot); loopCount is -1
// without a NETSCAPE2.0 block, delay in hundredths, localMapSize 0 without a
// local colour map.
struct GifFrameRecord
{
    QRect rect;
    int localMapSize = 0, gceCount = 0, delay = -1, transparentIndex = -1, loopCount = -1;
    QImage image;
};
struct GifRecord
{
    QSize screen;
    int globalMapSize = 0;
    QList<GifFrameRecord> frames;
};
GifRecord readGif(const QString &path);

// The symbol a renderer draws for these settings (hint 2, case sensitive).
struct Symbol
{
    explicit Symbol(const QByteArray &text, int version = 0, int level = 2)
        : content(text), holder(encodeQrContent(content, version, level, 2, true)), grid(holder.get()) {}
    QByteArray content;
    QrSymbolHolder holder;
    QrGrid grid;
    // The first module, row by row, outside the finders (with separator), the
    // alignment patterns and the timing and format areas that passes `test`;
    // (-1, -1) if none.
    QPoint find(const std::function<bool(int x, int y)> &test) const
    {
        for (int y = 0; y < grid.width(); ++y)
            for (int x = 0; x < grid.width(); ++x)
                if (grid.finderArea(x, y, 8) < 0 && !grid.inAlignmentArea(x, y) && !grid.inPlusZone(x, y) && test(x, y))
                    return QPoint(x, y);
        return QPoint(-1, -1);
    }
};

template <class Renderer>
Renderer &setSymbol(Renderer &qr, const QByteArray &content, int version = 0, int level = 2, int size = 300)
{
    qr.content = content;
    qr.version = version;
    qr.level = level;
    qr.size = size;
    return qr;
}

template <class Renderer>
Renderer &setCaption(Renderer &qr, const QString &text, const QColor &color = Qt::black)
{
    qr.isCode = true;
    qr.codeStr = text;
    qr.codeColor = color;
    return qr;
}

} // namespace TestSupport

#endif
