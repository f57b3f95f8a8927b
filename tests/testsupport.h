// Shared pieces of the test suites: a fresh working directory per test,
// files and pictures, decoding with zxing-cpp and zbar, Qt messages caught
// while work runs, colour probes, and the gallery of renders left in the
// build tree.
#ifndef VOPA_TESTSUPPORT_H
#define VOPA_TESTSUPPORT_H

#include <QColor>
#include <QFile>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// Each test runs in a fresh temporary working directory, which is the cache
// directory. Call enter() from init() and leave() from cleanup().
class TestCwd
{
public:
    void enter();
    void leave();
    QString path() const { return m_dir ? m_dir->path() : QString(); }
    QString file(const QString &name) const { return path() + QLatin1Char('/') + name; }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previous;
};

class BatchWorker;

namespace TestSupport {

// Flattened onto white with a white quiet border, as a printed code would be.
QImage prepareForDecode(const QImage &image, int border = 40);
// Checks the program's own ZXing and zbar steps (zbar only for ASCII texts, and only when `withZbar`);
// empty on success, else what went wrong.
QString checkDecodes(const QImage &image, const QString &expected, bool withZbar = true);

void saveToGallery(const QString &name, const QImage &image);

// The first picture of a file, by its content.
QImage loadFirst(const QString &path);
// An SVG or PDF document drawn over white at `scale` pixels a drawing unit
// (a millimetre of the PDF page, through pdftoppm).
QImage documentPicture(const QString &file, double scale = 4);
bool writeBytes(const QString &path, const QByteArray &bytes);
// The whole file, or a null array when it cannot be read.
QByteArray readBytes(const QString &path);
bool writeSolid(const QString &path, const QSize &size, const QColor &color, const char *format = nullptr);
// A standard-style QR code of `text` (UTF-8), 200 pixels wide, written in
// `format` whatever the path's suffix.
bool writeCode(const QString &path, const QString &text, const char *format = "PNG");
// An animated GIF of flat pale frames, each crossed by a differently placed
// line, one frame per delay (milliseconds).
bool writeAnimatedBackground(const QString &path, const QSize &size, const QList<int> &delays);

// Runs one batch of `worker` on this thread; the messages it sent, and a last
// ("alive", ...) when it did not delete itself.
QList<QPair<QString, QString>> runBatch(BatchWorker *worker, const QString &source, const QString &target,
                                        const QString &option, int lookAhead);

// Runs `work` (on a new thread unless `onWorkerThread` is false) and returns
// every Qt message logged meanwhile, from any thread.
QStringList collectMessages(const std::function<void()> &work, bool onWorkerThread = true);

// Runs `work` as a user bound by file modes. Root may write anything, so as
// root the paths are handed to user "nobody" (links themselves, not what
// they name) and `work` runs in a child process that has become nobody;
// any other user runs it here, on paths of its own.
enum class Unprivileged { Passed, Failed, NoUser };
Unprivileged runUnprivileged(const QStringList &paths, const std::function<bool()> &work);

// Runs `work` in a child process, killed when it has not ended within
// `seconds`: true when it ended in time and `work` returned true. For work
// that might block for ever. `grewKb`, when given, receives how far the
// child's peak resident size rose above what this process had resident as
// it started the child, in kilobytes.
bool finishesWithin(int seconds, const std::function<bool()> &work, long *grewKb = nullptr);

// A file system of its own, mounted at `folder` (made when missing) for as
// long as this lives: a tmpfs of `size` (as mount takes it, "2M"), or a
// loop-mounted ext4 image of that size, one without a journal (as on SD
// cards and USB sticks), or an ext2 one of 1 KiB blocks (a file system that
// cannot reserve room). Mounting needs root: mounted() says whether it
// worked, and a test skips without it.
class ScratchDisk
{
public:
    enum Kind { Tmpfs, Ext4, Ext4WithoutJournal, Ext2 };
    ScratchDisk(const QString &folder, const QString &size, Kind kind = Tmpfs);
    ~ScratchDisk();
    ScratchDisk(const ScratchDisk &) = delete;
    ScratchDisk &operator=(const ScratchDisk &) = delete;
    bool mounted() const { return m_mounted; }
    // Takes every free byte, so that the next write needing room fails.
    bool fill() const;
    // What a crash would leave: the file system stopped at once, nothing
    // that is only in memory written out, then mounted again.
    bool crashAndRemount();

private:
    QString m_folder;
    QString m_image;
    bool m_mounted = false;
};

// All four channels of `pixel` within `tolerance` of `color`.
bool sameColor(QRgb pixel, const QColor &color, int tolerance = 0);

// The colour a picture must have at one pixel.
struct ColorProbe
{
    int x, y;
    QColor color;
};
// Empty when every probe holds (see sameColor), else the ones that do not.
QString checkProbes(const QImage &image, const QList<ColorProbe> &probes, int tolerance = 0);

} // namespace TestSupport

#endif
