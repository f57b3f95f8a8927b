// The one way the program writes a file: state files, codes, copies, style
// packages and both batches' outputs all come through here.
//
// What every write promises:
// - A name is followed as the system's open() follows it: links at every
//   level, a relative link read in the real folder that holds it, up to the
//   system's limit of 40; a loop, or more levels, is a failure. A chain that
//   ends in a missing name creates that file; the links stay links.
// - The system's guards for shared sticky folders such as /tmp hold as its
//   own open applies them: a link there is followed only by its owner, or
//   where the folder's owner owns it (fs.protected_symlinks), and another
//   user's file there is not written (fs.protected_regular). Each link is
//   looked at and read through one descriptor, so what is checked is what
//   is followed.
// - Only a regular file is written. A folder, FIFO, device or socket under
//   the name is refused, found without opening it, so nothing blocks. The
//   file checked is the file opened, through the descriptor that checked
//   it, never through its name again, which may lead elsewhere by then.
// - A file the system would not open for writing is refused.
// - The old contents are never lost. The new ones are written and synced
//   beside the file, then put in its place by a rename. Where the folder
//   forbids that (no new names there, a sticky folder, an append-only one,
//   a file mounted over the name), or a rename would change what the file is
//   (another owner or group, a second hard link, an access list or other
//   extended attributes), they are written into the file itself once the
//   room they need is reserved, so a full disk refuses before anything is
//   overwritten (a crash during such a write can leave it half made). Where
//   the file system cannot reserve room (ext2, NFSv3, some FUSE ones), the
//   free room must hold the new contents and the blocks that map them, and
//   what lies past the old end is written first, cut back if it fails. An
//   append adds all of its bytes or, cut back to where it started, none.
// - A replaced file keeps its owner, group, mode, links and access list; a
//   new file gets what open(name, O_CREAT, 0666) would give it.
// - What is reported as written is on disk: a file's data is synced before
//   its name is made, and its folder's entry before the write returns; on a
//   file system without a journal, which may write a name before the file it
//   names, the file itself too, once named and before it replaces another. A
//   batch may leave its new files to one sync of their file system at its
//   end (PendingSync), before it reports them, or syncs one at once where
//   it cannot keep that file system; a file that replaces another is always
//   synced before it takes its place.
#ifndef VOPA_FILEWRITE_H
#define VOPA_FILEWRITE_H

#include <QByteArray>
#include <QString>
#include <functional>
#include <sys/types.h>
#include <utility>
#include <vector>

// What a name leads to, as the write path finds it.
struct WriteTarget;

// Puts `bytes` in the place of the file `path` names; false when any step
// fails: the old file as it was, unless only the sync of its folder's entry
// failed after the new contents took its place.
bool replaceFileContents(const QString &path, const QByteArray &bytes);

// Opens the file `path` names for appending (created with 0666 less the
// umask when missing); -1 for a name that is not a regular file, without
// blocking on it, or one that cannot be opened. The caller closes it.
int openForAppend(const QString &path);
// A descriptor to flock, on the file `path` names: opened for appending as
// openForAppend does (made when missing), or through the read path
// (fileread.h) where the user may not write it (one another user left); -1
// as openForAppend.
int openForLocking(const QString &path);
// Appends the bytes, all or none (the room reserved first), and syncs them;
// false when they were not written.
bool appendToFile(const QString &path, const QByteArray &bytes);
// Appends the bytes to `fd`, opened by openForAppend, in one write, all or
// none: the room reserved first, a write the disk cuts short cut back again
// (unless another writer appended meanwhile). Not synced.
bool appendWhole(int fd, const QByteArray &bytes);

// The file systems a batch has put files on, synced once when it ends: one
// sync of a file system costs less than a sync of every file (which waits
// for a journal commit each).
class PendingSync
{
public:
    PendingSync() = default;
    PendingSync(const PendingSync &) = delete;
    PendingSync &operator=(const PendingSync &) = delete;
    ~PendingSync();
    // Keeps a descriptor on the file system `fd` is on, the first of each:
    // kept from before the batch's files are written out, it sees every
    // failure to write them. False when none can be kept (no descriptor
    // left): the caller syncs at once instead.
    bool add(int fd);
    // Syncs every file system added; false when one reports a lost write.
    bool sync();
    int fileSystems() const { return int(m_kept.size()); }

private:
    std::vector<std::pair<dev_t, int>> m_kept;
};

// A file's new contents made ahead, on any thread, beside the file the name
// leads to, and put in place later. One never put in place leaves nothing
// behind, not even when the program is killed, where the file system makes
// unnamed files; elsewhere, and for the instant of a rename over an old
// file, a hidden ".NAME.XXXXXX" file (the name cut to fit) is left by a kill.
class FileReplacement
{
public:
    // Each: the new contents are synced as they are made. WhenReplacing: only
    // when they replace a file; a new file is synced when it is put in place
    // without a PendingSync, or by that PendingSync.
    enum class Sync { Each, WhenReplacing };
    FileReplacement(const QString &path, const QByteArray &bytes, Sync sync = Sync::Each);
    FileReplacement(FileReplacement &&other) noexcept;
    FileReplacement &operator=(FileReplacement &&other) noexcept;
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;
    ~FileReplacement();

    // Puts the contents in place exactly as replaceFileContents would at this
    // moment, wherever the name leads by now. The folder's entry (and a new
    // file's data) is synced at once, or, with `later`, left to it.
    bool commit(PendingSync *later = nullptr);

    // New files of this thread start unnamed where the file system allows
    // (true, the default), or under a hidden name beside their target, as
    // they do where it does not.
    static void useUnnamedFiles(bool use);

private:
    enum class Outcome;
    bool preparedFor(const WriteTarget &target, bool newFile) const;
    // 0, or the errno of the step that failed.
    int prepare(const WriteTarget &target, bool newFile);
    Outcome placeNew(const WriteTarget &target, PendingSync *later);
    Outcome replace(const WriteTarget &target, int file, PendingSync *later);
    // `fileSynced`: the file's own record is on the disk already.
    bool placed(PendingSync *later, bool fileSynced);
    void discard();

    QString m_path;
    QByteArray m_bytes;
    int m_folder = -1;   // where the new file was made
    int m_fd = -1;       // the new file, its data synced
    QByteArray m_hidden; // its name in m_folder, when it has one
    Sync m_sync = Sync::Each;
    bool m_synced = false; // the new file's data is on the disk
    bool m_forNewFile = false;
};

using HeldWrites = std::vector<FileReplacement>;
// Runs `work` with every replaceFileContents of this thread prepared into
// `writes` instead of made (each counts as done; a new file's data is left
// to be synced later), and returns what `work` returns. Work done ahead of
// its turn is kept this way until its turn.
bool holdingWrites(HeldWrites *writes, const std::function<bool()> &work);
// Makes held writes in order, each as replaceFileContents makes it, so that
// a held write fails and succeeds exactly where the write itself would;
// false at the first that fails. Synced as commit() says.
bool makeHeldWrites(HeldWrites &writes, PendingSync *later = nullptr);

#endif
