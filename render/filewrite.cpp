#include "filewrite.h"

#include "descriptor.h"
#include "fileread.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

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

thread_local bool t_unnamedFiles = true;

bool unnamedFilesNameable()
{
    return reopenable() && t_unnamedFiles;
}

// What the link opened as `link` (O_PATH | O_NOFOLLOW) holds.
bool readLink(int link, QByteArray *target)
{
    QByteArray buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlinkat(link, "", buffer.data(), size_t(buffer.size()));
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
    static const char letters[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    QByteArray suffix(6, '0');
    for (char &letter : suffix)
        letter = letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return '.' + name.left(keep) + '.' + suffix;
}

// Any extended attribute (an access list among them) makes a file more than
// its bytes, owner and mode: such a file is written in place.
bool hasAttributes(int fd)
{
    return ::flistxattr(fd, nullptr, 0) > 0;
}

// Room for `length` more bytes of `file` from `from`: reserved where the
// file system can reserve it. Where it cannot (ext2, NFSv3, some FUSE file
// systems), the free room must hold all of it and the blocks a block-mapped
// file system needs to map it (an indirect block for every quarter of a
// block's worth of block numbers, at each level, and the top ones), or the
// write is refused. A copy-on-write file system writes even an overwrite
// into new room: there all of it must be free.
bool roomFor(int file, off_t from, off_t length)
{
    if (length <= 0)
        return true;
    struct statfs room;
    if (::fstatfs(file, &room) != 0)
        return false;
    // Free blocks are counted in fragments (FUSE file systems may report a
    // fragment smaller than their block).
    const qint64 block = qMax<qint64>(room.f_bsize, 512);
    const qint64 available = qint64(room.f_bavail) * (room.f_frsize > 0 ? qint64(room.f_frsize) : block);
    constexpr unsigned long CopyOnWrite = 0x9123683E; // Btrfs
    if (static_cast<unsigned long>(room.f_type) == CopyOnWrite && available < length)
        return false;
    if (::fallocate(file, FALLOC_FL_KEEP_SIZE, from, length) == 0)
        return true;
    if (errno != EOPNOTSUPP && errno != ENOSYS)
        return false;
    const qint64 blocks = (length + block - 1) / block;
    const qint64 perBlock = qMax<qint64>(block / 4, 2);
    qint64 mapping = 3;
    for (qint64 level = blocks; level > 1;) {
        level = (level + perBlock - 1) / perBlock;
        mapping += level;
    }
    if (available / block >= blocks + mapping)
        return true;
    errno = ENOSPC;
    return false;
}

// The new contents written into the file itself, for a file a rename cannot
// replace. The room they need is reserved first, holes in the old contents
// included, so that a full disk refuses before a byte is overwritten; what
// lies past the old end is written first, so that where room could only be
// estimated a full disk still stops the write before an old byte changes,
// and the file is cut back to its old length.
bool writeInto(int file, const QByteArray &bytes)
{
    const off_t size = bytes.size();
    struct stat status;
    if (::fstat(file, &status) != 0 || !roomFor(file, 0, size))
        return false;
    const off_t kept = qMin(size, status.st_size);
    if (size > kept) {
        const QByteArray tail = QByteArray::fromRawData(bytes.constData() + kept, int(size - kept));
        if (::lseek(file, kept, SEEK_SET) != kept || !writeAll(file, tail)) {
            const int error = errno;
            [[maybe_unused]] const bool cut = ::ftruncate(file, status.st_size) == 0;
            errno = error;
            return false;
        }
    }
    return ::lseek(file, 0, SEEK_SET) == 0 && writeAll(file, QByteArray::fromRawData(bytes.constData(), int(kept)))
           && ::ftruncate(file, size) == 0 && ::fsync(file) == 0;
}

// Whether a name that reaches the disk brings the file's own record (its
// link count, owner and mode) with it. A journal or a log orders the two:
// ext3 and ext4 with a journal, XFS, Btrfs (and tmpfs keeps nothing over a
// crash anyway). Without one (ext2, ext4 made without a journal, as on SD
// cards, FAT, file systems unknown here) a folder's new entry may reach the
// disk before the record it names, and a crash leaves a name that leads to a
// file the disk never recorded: there the file itself is synced once it is
// named, and before it takes another's place.
bool namesCarryTheFile(int fd)
{
    struct statfs fs;
    if (::fstatfs(fd, &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x58465342: // XFS
    case 0x9123683E: // Btrfs
    case 0x01021994: // tmpfs
    case 0x858458F6: // ramfs
        return true;
    case 0xEF53: // ext2, ext3, ext4: a journal shows as its jbd2 entry, named after the device
        break;
    default:
        return false;
    }
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return false;
    const QByteArray device = "/sys/dev/block/" + QByteArray::number(major(status.st_dev)) + ':'
                              + QByteArray::number(minor(status.st_dev));
    char link[PATH_MAX];
    const ssize_t length = ::readlink(device.constData(), link, sizeof link - 1);
    if (length <= 0)
        return false;
    const QByteArray target(link, int(length));
    const QByteArray name = target.mid(target.lastIndexOf('/') + 1);
    DIR *journals = ::opendir("/proc/fs/jbd2");
    if (!journals)
        return false;
    bool journaled = false;
    while (const struct dirent *entry = ::readdir(journals))
        journaled = journaled || QByteArray(entry->d_name).startsWith(name + '-');
    ::closedir(journals);
    return journaled;
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

// One of the system's guards (fs.protected_symlinks, fs.protected_regular),
// read at each use as an administrator may change it; one that cannot be
// read counts as on, as Debian sets them.
int guard(const char *name)
{
    const Fd file(::open(QByteArray("/proc/sys/fs/").append(name).constData(), O_RDONLY | O_CLOEXEC));
    char value[16] = {};
    if (!file || ::read(file.get(), value, sizeof value - 1) <= 0)
        return 1;
    return std::atoi(value);
}

// A folder anyone may add names to but only their owners remove: /tmp.
bool sharedSticky(const struct stat &folder)
{
    return (folder.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
}

// The system follows a link in a shared sticky folder only for the link's
// owner, or where the folder's owner owns it (fs.protected_symlinks), so
// that no one can lead another user's writes elsewhere from /tmp.
bool mayFollow(const struct stat &folder, const struct stat &link)
{
    return link.st_uid == ::geteuid() || !sharedSticky(folder) || link.st_uid == folder.st_uid
           || guard("protected_symlinks") == 0;
}

// The system's creating open refuses another user's file in a sticky folder
// others may write to, unless the folder's owner owns it
// (fs.protected_regular: 1 for world-writable folders, 2 for group-writable
// ones too), so that no one can make another user write into their file.
bool mayOpenCreating(const struct stat &folder, const struct stat &file)
{
    if (!(folder.st_mode & S_ISVTX) || file.st_uid == folder.st_uid || file.st_uid == ::geteuid()
        || !(folder.st_mode & (S_IWOTH | S_IWGRP)))
        return true;
    const int level = guard("protected_regular");
    return level == 0 || (!(folder.st_mode & S_IWOTH) && level < 2);
}

// Opens again, with `flags`, the very file `file` (opened as a path only)
// was checked to be: never its name again, which may lead elsewhere by now.
int reopen(int file, int flags)
{
    return ::open(descriptorPath(file).constData(), flags | O_CLOEXEC);
}

} // namespace

// What a name leads to: the real folder that holds it, its name there, and
// what is there, never a link, looked at through a descriptor of its own.
struct WriteTarget
{
    Fd folder; // opened as a path only
    struct stat folderStatus = {};
    QByteArray name;
    Fd file; // what is there, opened as a path only
    bool exists = false;
    struct stat status = {};
};

namespace {

// Follows `path` as open() would, to the folder and name of what it leads
// to; false, with errno set, when it leads nowhere. Each link is looked at
// and read through one descriptor, so the system's guard and the target
// read concern the same link.
bool resolve(const QByteArray &path, WriteTarget *target)
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
        // The folder part: the system follows its links itself, as it does
        // in any name, where its guard for shared folders does not apply to
        // a link inside the name ("/." makes the folder's own link one).
        Fd dir(::openat(base ? base.get() : AT_FDCWD, (folder + "/.").constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat folderStatus;
        if (!dir || ::fstat(dir.get(), &folderStatus) != 0)
            return false;
        // As a path only: a FIFO or a device is looked at, never opened.
        Fd entry(::openat(dir.get(), name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat status;
        if (!entry) {
            if (errno != ENOENT)
                return false;
            target->exists = false;
        } else if (::fstat(entry.get(), &status) != 0) {
            return false;
        } else if (S_ISLNK(status.st_mode)) {
            if (links == MaxLinks) {
                errno = ELOOP;
                return false;
            }
            if (!mayFollow(folderStatus, status)) {
                errno = EACCES;
                return false;
            }
            if (!readLink(entry.get(), &current))
                return false;
            // A relative link is read in the folder that really holds it.
            base = std::move(dir);
            continue;
        } else {
            target->exists = true;
            target->status = status;
            target->file = std::move(entry);
        }
        target->folder = std::move(dir);
        target->folderStatus = folderStatus;
        target->name = name;
        return true;
    }
}

enum class Opened { File, Refused, Again };

// Opens the existing regular file `target` found for `path`, with `flags`,
// exactly as the system's creating open of `path` would: its own walk must
// lead to that same file (it counts the links of every part and applies its
// guards; opened as a path only, nothing is started), its guard on another
// user's file in a sticky folder holds, and the file's modes, access list
// and mount must allow `flags`. Again when the name changed meanwhile.
Opened openExisting(const QByteArray &path, const WriteTarget &target, int flags, Fd *opened)
{
    const Fd walked(::open(path.constData(), O_PATH | O_CLOEXEC));
    if (!walked)
        return errno == ENOENT ? Opened::Again : Opened::Refused;
    if (!sameFile(walked.get(), target.file.get()))
        return Opened::Again;
    if (!mayOpenCreating(target.folderStatus, target.status)) {
        errno = EACCES;
        return Opened::Refused;
    }
    // Without /proc a descriptor cannot be opened again: the name in its
    // real folder is opened without following a link, and must still be
    // the file checked.
    opened->reset(reopenable() ? reopen(target.file.get(), flags)
                               : ::openat(target.folder.get(), target.name.constData(), flags | O_NOFOLLOW | O_CLOEXEC));
    struct stat status;
    if (!*opened)
        return errno == ELOOP ? Opened::Again : Opened::Refused;
    if (::fstat(opened->get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        opened->reset();
        return Opened::Refused;
    }
    if (!sameFile(status, target.status)) {
        opened->reset();
        return Opened::Again;
    }
    return Opened::File;
}

// The system's own walk to a missing name: it counts the links of the
// folder parts and of the name together, and applies its guards; a name
// it would not follow to its end is not made. Again when it finds a file
// there by now.
Opened missingAsTheSystemSees(const QByteArray &path)
{
    if (Fd(::open(path.constData(), O_PATH | O_CLOEXEC)))
        return Opened::Again;
    return errno == ENOENT ? Opened::File : Opened::Refused;
}

} // namespace

enum class FileReplacement::Outcome { Done, Failed, Again, InPlace };

FileReplacement::FileReplacement(const QString &path, const QByteArray &bytes, Sync sync)
    : m_path(path), m_bytes(bytes), m_sync(sync)
{
    WriteTarget target;
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

bool FileReplacement::preparedFor(const WriteTarget &target, bool newFile) const
{
    return m_fd >= 0 && m_forNewFile == newFile && sameFile(m_folder, target.folder.get());
}

int FileReplacement::prepare(const WriteTarget &target, bool newFile)
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

bool FileReplacement::placed(PendingSync *later, bool fileSynced)
{
    // Left to the batch's sync where it can keep the file system; without a
    // descriptor to keep, the file system is synced now, which needs none.
    if (later && later->add(m_fd))
        return true;
    if (later)
        return ::syncfs(m_fd) == 0;
    // Its new link count, on a file system that may write the name first.
    if (!fileSynced && !namesCarryTheFile(m_fd) && ::fsync(m_fd) != 0)
        return false;
    Fd folder(::openat(m_folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // A folder the user may not read: on a journaled file system the file's
    // own sync carries its new name.
    return ::fsync(folder ? folder.get() : m_fd) == 0;
}

FileReplacement::Outcome FileReplacement::placeNew(const WriteTarget &target, PendingSync *later)
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
    return placed(later, false) ? Outcome::Done : Outcome::Failed;
}

FileReplacement::Outcome FileReplacement::replace(const WriteTarget &target, int file, PendingSync *later)
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
    // Named, owned and moded as it will be, on the disk before it takes the
    // old file's place, where the rename could otherwise get there first.
    const bool synced = !namesCarryTheFile(m_fd);
    if (synced && ::fsync(m_fd) != 0)
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
    return placed(later, synced) ? Outcome::Done : Outcome::Failed;
}

bool FileReplacement::commit(PendingSync *later)
{
    const QByteArray path = QFile::encodeName(m_path);
    Outcome outcome = Outcome::Failed;
    // What the name leads to may change while the write is made: a few tries.
    for (int attempt = 0; attempt < 4 && !path.isEmpty(); ++attempt) {
        WriteTarget target;
        if (!resolve(path, &target) || (target.exists && !S_ISREG(target.status.st_mode)))
            break;
        if (!target.exists) {
            const Opened walk = missingAsTheSystemSees(path);
            if (walk == Opened::Again)
                continue;
            if (walk == Opened::Refused)
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
        // Without blocking: a FIFO is never opened, but the check is cheap.
        Fd file;
        const Opened opened = openExisting(path, target, O_WRONLY | O_NONBLOCK | O_NOCTTY, &file);
        if (opened == Opened::Again)
            continue;
        if (opened == Opened::Refused)
            break;
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

bool PendingSync::add(int fd)
{
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return false;
    for (const auto &kept : m_kept)
        if (kept.first == status.st_dev)
            return true;
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return false;
    m_kept.emplace_back(status.st_dev, copy);
    return true;
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
    constexpr int flags = O_WRONLY | O_APPEND | O_NONBLOCK | O_NOCTTY;
    for (int attempt = 0; attempt < 4; ++attempt) {
        WriteTarget target;
        // Never opened when it is not a regular file: a FIFO's open would
        // wait for a reader.
        if (!resolve(name, &target))
            return -1;
        if (target.exists && !S_ISREG(target.status.st_mode)) {
            errno = EINVAL;
            return -1;
        }
        Fd file;
        Opened opened = Opened::Refused;
        if (target.exists) {
            opened = openExisting(name, target, flags, &file);
        } else {
            opened = missingAsTheSystemSees(name);
            if (opened == Opened::File) {
                // Made here and only here: a name that appeared meanwhile is
                // looked at again.
                file.reset(::openat(target.folder.get(), target.name.constData(),
                                    flags | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
                if (!file)
                    opened = errno == EEXIST ? Opened::Again : Opened::Refused;
            }
        }
        if (opened == Opened::File)
            return file.release();
        if (opened == Opened::Refused)
            return -1;
    }
    return -1;
}

int openForLocking(const QString &path)
{
    const int fd = openForAppend(path);
    // One another user left, which this one may only read, locks as well.
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS))
        return openForReading(path, ReadLimit::StateFile);
    return fd;
}

bool appendWhole(int fd, const QByteArray &bytes)
{
    struct stat status;
    if (fd < 0 || ::fstat(fd, &status) != 0)
        return false;
    // Room first, so that a full disk adds nothing rather than a part.
    if (!roomFor(fd, status.st_size, bytes.size()))
        return false;
    // One write: the system puts all of it at the end at once, so nothing
    // another writer appends meanwhile lands inside it.
    ssize_t n = -1;
    do
        n = ::write(fd, bytes.constData(), size_t(bytes.size()));
    while (n < 0 && errno == EINTR);
    if (n == bytes.size())
        return true;
    // Cut short: the part written, which ends where the descriptor now
    // stands, is cut off again, unless another writer has appended since.
    const int error = n < 0 ? errno : ENOSPC;
    const off_t end = n > 0 ? ::lseek(fd, 0, SEEK_CUR) : -1;
    if (end > 0 && ::fstat(fd, &status) == 0 && status.st_size == end)
        [[maybe_unused]] const bool cut = ::ftruncate(fd, end - n) == 0;
    errno = error;
    return false;
}

bool appendToFile(const QString &path, const QByteArray &bytes)
{
    const Fd file(openForAppend(path));
    return file && appendWhole(file.get(), bytes) && ::fdatasync(file.get()) == 0;
}
