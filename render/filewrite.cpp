#include "filewrite.h"

#include "helpers.h"

#include <QFile>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// A descriptor, closed when it goes.
class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    Fd(Fd &&other) noexcept : m_fd(other.release()) {}
    Fd &operator=(Fd &&other) noexcept
    {
        reset(other.release());
        return *this;
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd() { reset(); }
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    explicit operator bool() const { return m_fd >= 0; }

private:
    int m_fd;
};

// Links the system follows in one name before it gives up (Linux's MAXSYMLINKS).
constexpr int MaxLinks = 40;

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qint64 done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool sameFile(int a, int b)
{
    struct stat first, second;
    return ::fstat(a, &first) == 0 && ::fstat(b, &second) == 0 && sameFile(first, second);
}

QByteArray descriptorPath(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

thread_local bool t_unnamedFiles = true;

// Files made unnamed can be given a name through /proc.
bool unnamedFilesNameable()
{
    static const bool nameable = ::access("/proc/self/fd", X_OK) == 0;
    return nameable && t_unnamedFiles;
}

bool readLink(int folder, const QByteArray &name, QByteArray *target)
{
    QByteArray buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlinkat(folder, name.constData(), buffer.data(), size_t(buffer.size()));
        if (n < 0)
            return false;
        if (n < buffer.size()) {
            buffer.truncate(int(n));
            *target = buffer;
            return true;
        }
        if (buffer.size() >= PATH_MAX) {
            errno = ENAMETOOLONG;
            return false;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// A hidden name of this program's beside `name`, within the file system's
// limit on a name's length however long `name` is ("." + name + "." + 6).
QByteArray hiddenName(int folder, const QByteArray &name)
{
    // Some file systems count their limit in characters (FAT: 1530 bytes
    // "allowed"), which bytes of 255 always meet.
    const long limit = qBound(9L, ::fpathconf(folder, _PC_NAME_MAX), 255L);
    int keep = qMin(name.size(), int(limit) - 8);
    // Whole characters: a cut UTF-8 sequence would show as garbage in a listing.
    while (keep > 0 && keep < name.size() && (uchar(name.at(keep)) & 0xC0) == 0x80)
        --keep;
    return '.' + name.left(keep) + '.' + randomString(6).toLatin1();
}

// Any extended attribute (an access list among them) makes a file more than
// its bytes, owner and mode: such a file is written in place.
bool hasAttributes(int fd)
{
    return ::flistxattr(fd, nullptr, 0) > 0;
}

// The new contents written into the file itself, for a file a rename cannot
// replace. The room they need is reserved first, holes in the old contents
// included, so that a full disk refuses before a byte is overwritten. A
// copy-on-write file system writes even an overwrite into new room: there
// all of it must be free.
bool writeInto(int file, const QByteArray &bytes)
{
    const off_t size = bytes.size();
    struct statfs room;
    if (::fstatfs(file, &room) != 0)
        return false;
    const qint64 available = qint64(room.f_bavail) * qint64(room.f_bsize);
    if (size > 0 && ::fallocate(file, FALLOC_FL_KEEP_SIZE, 0, size) != 0
        && (errno != EOPNOTSUPP || available < size))
        return false;
    constexpr unsigned long CopyOnWrite = 0x9123683E; // Btrfs
    if (static_cast<unsigned long>(room.f_type) == CopyOnWrite && available < size)
        return false;
    return ::lseek(file, 0, SEEK_SET) == 0 && writeAll(file, bytes) && ::ftruncate(file, size) == 0
           && ::fsync(file) == 0;
}

// A folder whose entries may only be added (append-only, or immutable): a
// name linked there for a rename could never be removed again.
bool entriesFixed(int folder)
{
    const Fd readable(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    int flags = 0;
    return readable && ::ioctl(readable.get(), FS_IOC_GETFLAGS, &flags) == 0
           && (flags & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0;
}

// Where this thread's writes are held, when they are.
thread_local HeldWrites *t_heldWrites = nullptr;

} // namespace

// What a name leads to: the real folder that holds it and its name there.
struct FileReplacement::Target
{
    Fd folder; // opened as a path only
    QByteArray name;
    bool exists = false;
    struct stat status = {}; // what is there, never a link
};

enum class FileReplacement::Outcome { Done, Failed, Again, InPlace };

// Follows `path` as open() would, to the folder and name of what it leads
// to; false, with errno set, when it leads nowhere.
bool FileReplacement::resolve(const QByteArray &path, Target *target)
{
    QByteArray current = path;
    Fd base; // the real folder that holds the last link read
    for (int links = 0;; ++links) {
        const int slash = current.lastIndexOf('/');
        const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : current.left(slash);
        const QByteArray name = current.mid(slash + 1);
        if (name.isEmpty() || name == "." || name == "..") {
            errno = current.isEmpty() ? ENOENT : EISDIR;
            return false;
        }
        // The folder part: the system follows its links itself.
        Fd dir(::openat(base ? base.get() : AT_FDCWD, folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!dir)
            return false;
        struct stat status;
        if (::fstatat(dir.get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                return false;
            target->exists = false;
        } else if (S_ISLNK(status.st_mode)) {
            if (links == MaxLinks) {
                errno = ELOOP;
                return false;
            }
            if (!readLink(dir.get(), name, &current))
                return false;
            // A relative link is read in the folder that really holds it.
            base = std::move(dir);
            continue;
        } else {
            target->exists = true;
            target->status = status;
        }
        target->folder = std::move(dir);
        target->name = name;
        return true;
    }
}

FileReplacement::FileReplacement(const QString &path, const QByteArray &bytes, Sync sync)
    : m_path(path), m_bytes(bytes), m_sync(sync)
{
    Target target;
    if (!path.isEmpty() && resolve(QFile::encodeName(path), &target)
        && (!target.exists || S_ISREG(target.status.st_mode)))
        prepare(target, !target.exists);
}

FileReplacement::FileReplacement(FileReplacement &&other) noexcept
    : m_path(std::move(other.m_path)), m_bytes(std::move(other.m_bytes)), m_folder(other.m_folder), m_fd(other.m_fd),
      m_hidden(std::move(other.m_hidden)), m_sync(other.m_sync), m_synced(other.m_synced),
      m_forNewFile(other.m_forNewFile)
{
    other.m_folder = -1;
    other.m_fd = -1;
    other.m_hidden.clear();
}

FileReplacement &FileReplacement::operator=(FileReplacement &&other) noexcept
{
    if (this != &other) {
        discard();
        m_path = std::move(other.m_path);
        m_bytes = std::move(other.m_bytes);
        m_folder = other.m_folder;
        m_fd = other.m_fd;
        m_hidden = std::move(other.m_hidden);
        m_sync = other.m_sync;
        m_synced = other.m_synced;
        m_forNewFile = other.m_forNewFile;
        other.m_folder = -1;
        other.m_fd = -1;
        other.m_hidden.clear();
    }
    return *this;
}

FileReplacement::~FileReplacement()
{
    discard();
}

void FileReplacement::useUnnamedFiles(bool use)
{
    t_unnamedFiles = use;
}

void FileReplacement::discard()
{
    if (!m_hidden.isEmpty() && m_folder >= 0)
        ::unlinkat(m_folder, m_hidden.constData(), 0);
    m_hidden.clear();
    Fd(m_fd).reset();
    Fd(m_folder).reset();
    m_fd = -1;
    m_folder = -1;
}

bool FileReplacement::preparedFor(const Target &target, bool newFile) const
{
    return m_fd >= 0 && m_forNewFile == newFile && sameFile(m_folder, target.folder.get());
}

int FileReplacement::prepare(const Target &target, bool newFile)
{
    discard();
    // A new file gets the mode open(O_CREAT, 0666) gives (the umask, or the
    // folder's default access list); one that replaces a file is given that
    // file's mode when it takes its place.
    const mode_t mode = newFile ? 0666 : 0600;
    Fd folder(::fcntl(target.folder.get(), F_DUPFD_CLOEXEC, 0));
    Fd file;
    QByteArray hidden;
#ifdef O_TMPFILE
    // Unnamed until it is put in place: the file system allocates it without
    // locking the folder, so that many are made at once, and one never put
    // in place goes with its descriptor, even when the program is killed.
    if (folder && unnamedFilesNameable())
        file.reset(::openat(folder.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
#endif
    for (int attempt = 0; folder && !file && attempt < 16; ++attempt) {
        hidden = hiddenName(folder.get(), target.name);
        file.reset(::openat(folder.get(), hidden.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (!file && errno != EEXIST)
            return errno;
    }
    if (!file)
        return folder ? EEXIST : errno;
    // On the disk before its name is made: a crash leaves the old file or
    // the new one, never an empty one. A batch syncs its new files later,
    // all at once.
    const bool sync = m_sync == Sync::Each || !newFile;
    if (!writeAll(file.get(), m_bytes) || (sync && ::fdatasync(file.get()) != 0)) {
        const int error = errno;
        if (!hidden.isEmpty())
            ::unlinkat(folder.get(), hidden.constData(), 0);
        return error;
    }
    m_folder = folder.release();
    m_fd = file.release();
    m_hidden = hidden;
    m_synced = sync;
    m_forNewFile = newFile;
    return 0;
}

bool FileReplacement::placed(const Target &target, PendingSync *later)
{
    if (later) {
        later->add(m_fd);
        return true;
    }
    Fd folder(::openat(target.folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // A folder the user may not read: on a journaled file system the file's
    // own sync carries its new name.
    return ::fsync(folder ? folder.get() : m_fd) == 0;
}

FileReplacement::Outcome FileReplacement::placeNew(const Target &target, PendingSync *later)
{
    if (!m_synced && !later) {
        if (::fdatasync(m_fd) != 0)
            return Outcome::Failed;
        m_synced = true;
    }
    // Named in place without replacing anything: a name made meanwhile is
    // left to the next try, which replaces it as any other.
    int result = -1;
    if (m_hidden.isEmpty()) {
        result = ::linkat(AT_FDCWD, descriptorPath(m_fd).constData(), target.folder.get(), target.name.constData(),
                          AT_SYMLINK_FOLLOW);
    } else {
        result = ::renameat2(m_folder, m_hidden.constData(), target.folder.get(), target.name.constData(),
                             RENAME_NOREPLACE);
        if (result != 0 && errno == EINVAL) {
            // A file system that cannot be asked not to replace: looked at first.
            struct stat there;
            if (::fstatat(target.folder.get(), target.name.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0)
                errno = EEXIST;
            else
                result = ::renameat(m_folder, m_hidden.constData(), target.folder.get(), target.name.constData());
        }
        if (result == 0)
            m_hidden.clear();
    }
    if (result != 0 && errno == EXDEV) {
        // The folder is the same but reached through another mount by now:
        // made again there.
        discard();
        return Outcome::Again;
    }
    if (result != 0)
        return errno == EEXIST ? Outcome::Again : Outcome::Failed;
    return placed(target, later) ? Outcome::Done : Outcome::Failed;
}

FileReplacement::Outcome FileReplacement::replace(const Target &target, int file, PendingSync *later)
{
    // A rename puts the new file in place only where it is in every way the
    // old one but its bytes.
    const struct stat &old = target.status;
    if (old.st_nlink > 1 || hasAttributes(file))
        return Outcome::InPlace;
    const int error = preparedFor(target, false) ? 0 : prepare(target, false);
    // A folder the user may not make files in: the file itself is written.
    if (error != 0)
        return error == EACCES || error == EPERM ? Outcome::InPlace : Outcome::Failed;
    // A folder's default access list given to the new file.
    if (hasAttributes(m_fd))
        return Outcome::InPlace;
    struct stat made;
    if (::fstat(m_fd, &made) != 0)
        return Outcome::Failed;
    if ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) && ::fchown(m_fd, old.st_uid, old.st_gid) != 0)
        return Outcome::InPlace;
    // After the owner: a change of owner clears the set-id bits. A file
    // system that keeps no modes (FAT through FUSE) loses none by a rename.
    if (::fchmod(m_fd, old.st_mode & 07777) != 0 && errno != ENOSYS && errno != EOPNOTSUPP)
        return Outcome::InPlace;
    if (m_hidden.isEmpty() && entriesFixed(m_folder))
        return Outcome::InPlace;
    for (int attempt = 0; m_hidden.isEmpty() && attempt < 16; ++attempt) {
        const QByteArray hidden = hiddenName(m_folder, target.name);
        if (::linkat(AT_FDCWD, descriptorPath(m_fd).constData(), m_folder, hidden.constData(), AT_SYMLINK_FOLLOW) == 0)
            m_hidden = hidden;
        else if (errno != EEXIST)
            return Outcome::Failed;
    }
    if (m_hidden.isEmpty())
        return Outcome::Failed;
    if (::renameat(m_folder, m_hidden.constData(), target.folder.get(), target.name.constData()) != 0) {
        const int error = errno;
        if (error == EXDEV) {
            discard();
            return Outcome::Again;
        }
        // A sticky folder or a guard of the system's that lets the user write
        // the file but not replace it; a file mounted over the name.
        return error == EPERM || error == EACCES || error == EBUSY ? Outcome::InPlace : Outcome::Failed;
    }
    m_hidden.clear();
    return placed(target, later) ? Outcome::Done : Outcome::Failed;
}

bool FileReplacement::commit(PendingSync *later)
{
    const QByteArray path = QFile::encodeName(m_path);
    Outcome outcome = Outcome::Failed;
    // What the name leads to may change while the write is made: a few tries.
    for (int attempt = 0; attempt < 4 && !path.isEmpty(); ++attempt) {
        Target target;
        if (!resolve(path, &target) || (target.exists && !S_ISREG(target.status.st_mode)))
            break;
        if (!target.exists) {
            // The system's own walk to the missing name: it counts the links of
            // the folder parts and of the name together, and guards links in
            // shared folders (fs.protected_symlinks); a name it would not
            // follow to its end is not made.
            if (Fd(::open(path.constData(), O_PATH | O_CLOEXEC)))
                continue;
            if (errno != ENOENT)
                break;
            if (!preparedFor(target, true))
                prepare(target, true);
            if (m_fd < 0)
                break;
            outcome = placeNew(target, later);
            if (outcome == Outcome::Again)
                continue;
            break;
        }
        // The system's own answer on writing the file: its modes, access
        // list, guards and read-only mounts. Without blocking: a FIFO put
        // there meanwhile is opened only to be refused.
        Fd file(::open(path.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened;
        if (!file) {
            if (errno == ENOENT)
                continue;
            break;
        }
        if (::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode))
            break;
        if (!sameFile(opened, target.status))
            continue;
        outcome = replace(target, file.get(), later);
        if (outcome == Outcome::InPlace) {
            discard();
            outcome = writeInto(file.get(), m_bytes) ? Outcome::Done : Outcome::Failed;
        }
        break;
    }
    discard();
    return outcome == Outcome::Done;
}

PendingSync::~PendingSync()
{
    for (const auto &kept : m_kept)
        ::close(kept.second);
}

void PendingSync::add(int fd)
{
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return;
    for (const auto &kept : m_kept)
        if (kept.first == status.st_dev)
            return;
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy >= 0)
        m_kept.emplace_back(status.st_dev, copy);
}

bool PendingSync::sync()
{
    bool synced = true;
    for (const auto &kept : m_kept)
        synced = ::syncfs(kept.second) == 0 && synced;
    return synced;
}

bool holdingWrites(HeldWrites *writes, const std::function<bool()> &work)
{
    HeldWrites *const outer = t_heldWrites;
    t_heldWrites = writes;
    const bool result = work();
    t_heldWrites = outer;
    return result;
}

bool makeHeldWrites(HeldWrites &writes, PendingSync *later)
{
    for (FileReplacement &write : writes)
        if (!write.commit(later))
            return false;
    return true;
}

bool replaceFileContents(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        return false;
    if (t_heldWrites) {
        t_heldWrites->emplace_back(path, bytes, FileReplacement::Sync::WhenReplacing);
        return true;
    }
    return FileReplacement(path, bytes).commit();
}

int openForAppend(const QString &path)
{
    if (path.isEmpty())
        return -1;
    const QByteArray name = QFile::encodeName(path);
    // Never opened when it is not a regular file: a FIFO's open would wait
    // for a reader.
    struct stat status;
    if (::stat(name.constData(), &status) == 0 && !S_ISREG(status.st_mode))
        return -1;
    Fd file(::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
    if (!file || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return -1;
    return file.release();
}

bool appendToFile(const QString &path, const QByteArray &bytes)
{
    const Fd file(openForAppend(path));
    struct stat status;
    if (!file || ::fstat(file.get(), &status) != 0)
        return false;
    // Reserved first, so that a full disk adds nothing rather than a part.
    if (!bytes.isEmpty() && ::fallocate(file.get(), FALLOC_FL_KEEP_SIZE, status.st_size, bytes.size()) != 0
        && errno != EOPNOTSUPP)
        return false;
    return writeAll(file.get(), bytes) && ::fdatasync(file.get()) == 0;
}
