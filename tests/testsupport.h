// Shared pieces of the test suites: a fresh working directory per test,
// decoding with zxing-cpp and zbar, reading GIF files back with giflib, and
// the gallery of renders left in the build tree.
#ifndef VOPA_TESTSUPPORT_H
#define VOPA_TESTSUPPORT_H

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// Each test runs in a fresh temporary working directory, which is the cache
// directory. Call enter() from init() and leave() from cleanup().
class TestCwd
{
public:
    void enter();
    void leave();
    QString path() const;
    QString file(const QString &name) const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previous;
};

namespace TestSupport {

// Flattened onto white with a white quiet border, as a printed code would be.
QImage prepareForDecode(const QImage &image, int border = 40);
// Text of the code found, empty when none (QR only unless `anyFormat`).
QString decodeZXing(const QImage &image, bool anyFormat = false);
QString decodeZbar(const QImage &image);
// Checks both decoders (zbar only for ASCII texts, and only when `withZbar`);
// empty on success, else what went wrong.
QString checkDecodes(const QImage &image, const QString &expected, bool withZbar = true);

void saveToGallery(const QString &name, const QImage &image);

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

// Alpha of one pixel, 0 to 255.
int alphaAt(const QImage &image, int x, int y);

} // namespace TestSupport

#endif
