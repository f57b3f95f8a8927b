#include "testsupport.h"

#include "decodefront.h"
#include "batchworker.h"
#include "gifimage.h"
#include "proqrcode.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QMutex>
#include <QCoreApplication>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QSvgRenderer>
#include <QRegularExpression>
#include <QThread>

#include <fcntl.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>


void TestCwd::enter()
{
    m_previous = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QDir::setCurrent(m_dir->path());
}

void TestCwd::leave()
{
    QDir::setCurrent(m_previous);
    m_dir.reset();
}

namespace TestSupport {

QImage prepareForDecode(const QImage &image, int border)
{
    QImage out(image.width() + 2 * border, image.height() + 2 * border, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(border, border, image);
    painter.end();
    return out;
}

QString checkDecodes(const QImage &image, const QString &expected, bool withZbar)
{
    const QImage prepared = prepareForDecode(image);
    const QString byZXing = decodeWithZxing(prepared);
    if (byZXing != expected)
        return QStringLiteral("zxing read \"%1\" instead of \"%2\"").arg(byZXing, expected);
    const bool ascii = !expected.contains(QRegularExpression(QStringLiteral("[^\\x00-\\x7f]")));
    const QString byZbar = withZbar && ascii ? decodeWithZbar(prepared) : expected;
    return byZbar == expected ? QString() : QStringLiteral("zbar read \"%1\" instead of \"%2\"").arg(byZbar, expected);
}

void saveToGallery(const QString &name, const QImage &image)
{
    QDir().mkpath(QStringLiteral(VOPA_GALLERY_DIR));
    image.save(QStringLiteral(VOPA_GALLERY_DIR) + QLatin1Char('/') + name + QStringLiteral(".png"));
}

QImage loadFirst(const QString &path)
{
    return QImageReader(path).read();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage documentPicture(const QString &file, double scale)
{
    if (file.endsWith(".pdf")) {
        QProcess pdftoppm;
        pdftoppm.start("pdftoppm", {"-png", "-r", QString::number(scale * 25.4), "-singlefile", file});
        return pdftoppm.waitForFinished(60000) ? QImage::fromData(pdftoppm.readAllStandardOutput()) : QImage();
    }
    QSvgRenderer renderer(file);
    QImage image((renderer.viewBoxF().size() * scale).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(image.rect()));
    return image;
}

QList<QPair<QString, QString>> runBatch(BatchWorker *worker, const QString &source, const QString &target,
                                        const QString &option, int lookAhead)
{
    QList<QPair<QString, QString>> messages;
    QPointer<BatchWorker> alive = worker;
    worker->setLookAhead(lookAhead);
    QObject::connect(worker, &BatchWorker::returnResult,
                     [&](const QString &type, const QString &message) { messages.append(qMakePair(type, message)); });
    worker->batchStart(source, target, option);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (alive)
        messages.append(qMakePair(QStringLiteral("alive"), QStringLiteral("the worker did not delete itself")));
    return messages;
}

bool writeCode(const QString &path, const QString &text, const char *format)
{
    QTemporaryDir dir;
    ProQrcode code;
    code.content = text.toUtf8();
    code.size = 200;
    code.level = 1;
    const QString drawn = dir.filePath(QStringLiteral("code.png"));
    return code.create(drawn) && QImage(drawn).save(path, format);
}

bool writeSolid(const QString &path, const QSize &size, const QColor &color, const char *format)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    return image.save(path, format);
}

bool writeAnimatedBackground(const QString &path, const QSize &size, const QList<int> &delays)
{
    // Flat colours, as animated GIFs usually are: the writer keeps each of
    // them instead of fitting a palette to a gradient.
    const QColor colors[] = {QColor("#fbe6c8"), QColor("#d4ecfa"), QColor("#dcf8d2")};
    GifImage gif(size);
    gif.setLoopCount(0);
    for (int i = 0; i < delays.size(); ++i) {
        QImage frame(size, QImage::Format_RGB32);
        frame.fill(colors[i % 3]);
        QPainter painter(&frame);
        painter.setPen(QPen(QColor("#f0a060"), 14));
        painter.drawLine(0, 40 * i, size.width(), size.height() - 40 * i);
        painter.end();
        gif.addFrame(frame, QPoint(0, 0), delays.at(i));
    }
    return gif.save(path);
}

namespace {
QMutex s_messageMutex;
QStringList s_messages;
} // namespace

QStringList collectMessages(const std::function<void()> &work, bool onWorkerThread)
{
    s_messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &,
                                                                const QString &text) {
        QMutexLocker lock(&s_messageMutex);
        s_messages.append(text);
    });
    if (onWorkerThread) {
        std::unique_ptr<QThread> thread(QThread::create(work));
        thread->start();
        thread->wait();
    } else {
        work();
    }
    qInstallMessageHandler(previous);
    QMutexLocker lock(&s_messageMutex);
    return s_messages;
}

Unprivileged runUnprivileged(const QStringList &paths, const std::function<bool()> &work)
{
    if (::geteuid() != 0)
        return work() ? Unprivileged::Passed : Unprivileged::Failed;
    const struct passwd *nobody = ::getpwnam("nobody");
    if (!nobody)
        return Unprivileged::NoUser;
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    for (const QString &path : paths)
        if (::lchown(QFile::encodeName(path).constData(), uid, gid) != 0)
            return Unprivileged::Failed;
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgid(gid) == 0 && ::setuid(uid) == 0;
        ::_exit(dropped && work() ? 0 : 1);
    }
    int status = -1;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return Unprivileged::Failed;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Unprivileged::Passed : Unprivileged::Failed;
}

bool finishesWithin(int seconds, const std::function<bool()> &work, long *grewKb)
{
    // What is resident now, which the child starts with (not this process's
    // peak, which may lie far above it).
    long residentKb = 0;
    for (const QByteArray &line : readBytes("/proc/self/status").split('\n'))
        if (line.startsWith("VmRSS:"))
            residentKb = line.mid(6).trimmed().split(' ').value(0).toLong();
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(unsigned(seconds));
        ::_exit(work() ? 0 : 1);
    }
    int status = -1;
    struct rusage usage = {};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child)
        return false;
    if (grewKb)
        *grewKb = usage.ru_maxrss - residentKb;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

ScratchDisk::ScratchDisk(const QString &folder, const QString &size, Kind kind) : m_folder(folder)
{
    if (::geteuid() != 0 || !QDir().mkpath(folder))
        return;
    if (kind == Tmpfs) {
        m_mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=" + size, "tmpfs", folder}) == 0;
        return;
    }
    m_image = folder + ".img";
    QProcess::execute("truncate", {"-s", size, m_image});
    const QStringList format = kind == Ext2                 ? QStringList{"mkfs.ext2", "-b", "1024", "-m", "0"}
                               : kind == Ext4WithoutJournal ? QStringList{"mkfs.ext4", "-O", "^has_journal"}
                                                            : QStringList{"mkfs.ext4"};
    m_mounted = QProcess::execute(format.first(), format.mid(1) + QStringList{"-q", "-F", m_image}) == 0
                && QProcess::execute("mount", {"-o", "loop", m_image, folder}) == 0;
}

ScratchDisk::~ScratchDisk()
{
    // Lazily when still busy (a test that failed with a file open), so that
    // the test's folder can still be removed.
    if (m_mounted && QProcess::execute("umount", {m_folder}) != 0)
        QProcess::execute("umount", {"-l", m_folder});
    if (!m_image.isEmpty())
        QFile::remove(m_image);
}

bool ScratchDisk::fill() const
{
    QFile filler(m_folder + "/.filler");
    if (!m_mounted || !filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    for (int chunk = 65536; chunk > 0; chunk /= 2)
        while (filler.write(QByteArray(chunk, 'x')) == chunk) {
        }
    return true;
}

bool ScratchDisk::crashAndRemount()
{
    if (!m_mounted || m_image.isEmpty())
        return false;
    // What the disk holds at this moment is what the loop device has written
    // into its image: a copy of it, taken before the file system writes out
    // anything it still holds in memory (its unmount does), is what a crash
    // would leave, with or without a journal.
    const QString crashed = m_image + ".crashed";
    QFile::remove(crashed);
    const bool copied = QProcess::execute("cp", {"--sparse=always", m_image, crashed}) == 0;
    if (QProcess::execute("umount", {m_folder}) != 0)
        QProcess::execute("umount", {"-l", m_folder});
    QFile::remove(m_image);
    m_image = crashed;
    m_mounted = copied && QProcess::execute("mount", {"-o", "loop", m_image, m_folder}) == 0;
    return m_mounted;
}

bool sameColor(QRgb pixel, const QColor &color, int tolerance)
{
    return qAbs(qRed(pixel) - color.red()) <= tolerance && qAbs(qGreen(pixel) - color.green()) <= tolerance
           && qAbs(qBlue(pixel) - color.blue()) <= tolerance && qAbs(qAlpha(pixel) - color.alpha()) <= tolerance;
}

QString checkProbes(const QImage &image, const QList<ColorProbe> &probes, int tolerance)
{
    QStringList wrong;
    for (const ColorProbe &probe : probes) {
        const QRgb pixel = image.pixel(probe.x, probe.y);
        if (!sameColor(pixel, probe.color, tolerance))
            wrong << QStringLiteral("(%1, %2) is #%3, expected %4")
                         .arg(probe.x).arg(probe.y).arg(pixel, 8, 16, QLatin1Char('0'))
                         .arg(probe.color.name(QColor::HexArgb));
    }
    return wrong.join(QStringLiteral("; "));
}

} // namespace TestSupport
