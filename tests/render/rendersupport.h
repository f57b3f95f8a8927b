// Test support of the rendering engine's suites: GIF files read back with
// giflib, animation and caption checks, the symbol a renderer draws, and the
// settings and failure checks every renderer shares.
#ifndef VOPA_RENDERSUPPORT_H
#define VOPA_RENDERSUPPORT_H

#include "qrsymbol.h"
#include "testsupport.h"

#include <QFile>

namespace TestSupport {

// A GIF file as giflib reads it.
struct GifFrameRecord
{
    int left = 0, top = 0, width = 0, height = 0;
    int localMapSize = 0;     // 0 when the frame has no local colour map
    int gceCount = 0;         // graphics control extensions on this frame
    int delay = -1;           // hundredths of a second
    int transparentIndex = -1;
    bool netscape = false;    // carries the NETSCAPE2.0 loop block
    int loopCount = -1;
    QImage image;             // the frame's own pixels, by its palette
};

struct GifRecord
{
    bool ok = false;
    QString error;
    QByteArray signature;     // "GIF87a" or "GIF89a"
    int width = 0, height = 0;
    int globalMapSize = 0;
    QList<GifFrameRecord> frames;
};

GifRecord readGif(const QString &path);

// Empty when the GIF at `path` has the screen `size` and one full-screen
// frame per entry of `delays` (milliseconds), each with its delay in
// hundredths in its one control block, the loop block on the first frame
// only, and each decoding to `text`; else what is wrong. Frames go to the
// gallery as `gallery`_frameN when a name is given.
QString checkAnimation(const QString &path, const QSize &size, const QList<int> &delays, const QString &text,
                       const QString &gallery = QString());

// Empty when `image` is a code of side `size` with a caption band of
// 2 x 14 pixels below it, holding text in about the colour `ink` on the
// colour `ground` in its corners (any colour at alpha 0 when transparent);
// else what is wrong.
QString checkCaption(const QImage &image, int size, const QColor &ink, const QColor &ground = Qt::transparent);

// The symbol a renderer draws for these settings (hint 2, case sensitive).
struct Symbol
{
    explicit Symbol(const QByteArray &text, int version = 0, int level = 2);
    QByteArray content;
    QrSymbolHolder holder;
    QrGrid grid;

    // Inside the symbol and painted by the module rules: no finder (with its
    // separator), alignment or timing and format module.
    bool ordinary(int x, int y) const;
    // The first ordinary module, row by row, that passes `test`; (-1, -1) if none.
    QPoint find(const std::function<bool(int x, int y)> &test) const;
};

// The settings every renderer has: the symbol, the background picture and
// where the code goes on it, and the caption.
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
Renderer &setBackground(Renderer &qr, const QString &bgImg, int bgX, int bgY)
{
    qr.bgImg = bgImg;
    qr.bgX = bgX;
    qr.bgY = bgY;
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

// What a raster renderer wrote to `file`, or a null image when create failed.
template <class Renderer>
QImage render(Renderer &qr, const QString &file)
{
    return qr.create(file) ? loadFirst(file) : QImage();
}

// Empty when a raster renderer's create returns false, and writes nothing,
// for a text too long for any symbol and a version the encoder rejects, and
// returns false for every output that cannot be written, alone, on a still
// and on an animated background, while the same settings write a GIF of at
// least one frame elsewhere; else the first case that went wrong. Works in
// the current directory.
template <class Renderer>
QString checkFailures()
{
    Renderer tooLong, badVersion;
    setSymbol(tooLong, QByteArray(3000, 'x'), 0, 3);
    setSymbol(badVersion, "x", 41);
    if (tooLong.create("long.png") || badVersion.create("v41.png") || QFile::exists("long.png")
        || QFile::exists("v41.png"))
        return QStringLiteral("an unencodable text was written");
    if (!writeAnimatedBackground("fail_anim.gif", QSize(320, 320), {100, 100})
        || !writeSolid("fail_still.png", QSize(320, 320), Qt::white))
        return QStringLiteral("no backgrounds");
    for (const char *background : {"", "fail_anim.gif", "fail_still.png"}) {
        Renderer qr;
        setBackground(setSymbol(qr, "unwritable"), background, 0, 0);
        for (const char *target : {"missing/dir/out.png", "missing/dir/out.gif", "/dev/full"}) {
            bool written = true;
            collectMessages([&] { written = qr.create(target); }, false); // the writers' complaints
            if (written)
                return QStringLiteral("true for %1 on \"%2\"").arg(target, background);
        }
        if (!qr.create("fail_ok.gif") || readGif("fail_ok.gif").frames.isEmpty())
            return QStringLiteral("no GIF written on \"%1\"").arg(background);
    }
    return QString();
}

// Empty when a raster renderer, given its look by `look`, writes on a worker
// thread without a single Qt message both a captioned code and one on an
// animated background (see checkAnimation, `gallery` included), and each
// decodes; else what went wrong. Works in the current directory.
template <class Renderer>
QString checkOnWorkerThread(const std::function<void(Renderer &)> &look, const QString &gallery = QString())
{
    if (!writeAnimatedBackground("worker_bg.gif", QSize(440, 440), {100, 200}))
        return QStringLiteral("no background");
    bool written = false;
    const QStringList messages = collectMessages([&] {
        Renderer plain, animated;
        look(setCaption(setSymbol(plain, "worker"), "worker"));
        look(setBackground(setSymbol(animated, "worker gif", 0, 2, 400), "worker_bg.gif", 20, 20));
        written = plain.create("worker.png") && animated.create("worker.gif");
    });
    if (!messages.isEmpty() || !written)
        return QStringLiteral("written: %1; messages: %2").arg(written).arg(messages.join('\n'));
    const QString problem = checkDecodes(loadFirst("worker.png"), "worker");
    return problem.isEmpty() ? checkAnimation("worker.gif", QSize(440, 440), {100, 200}, "worker gif", gallery) : problem;
}

} // namespace TestSupport

#endif
