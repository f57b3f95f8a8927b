// The one way the program writes a file: state files, codes, copies, style
// packages and both batches' outputs all come through here.
//
// What every write promises:
// - A name is followed as the system's open() follows it: links at every
//   level, a relative link read in the real folder that holds it, up to the
//   system's limit of 40; a loop, or more levels, is a failure. A chain that
//   ends in a missing name creates that file; the links stay links.
// - Only a regular file is written. A folder, FIFO, device or socket under
//   the name is refused, found without opening it, so nothing blocks.
// - A file the system would not open for writing is refused.
// - The old contents are never lost. The new ones are written and synced
//   beside the file, then put in its place by a rename. Where the folder
//   forbids that, or a rename would change what the file is (another owner
//   or group, a second hard link, an access list or other extended
//   attributes), they are written into the file itself once the space they
//   need is reserved, so a full disk refuses before anything is overwritten.
// - A replaced file keeps its owner, group, mode, links and access list; a
//   new file gets what open(name, O_CREAT, 0666) would give it.
// - What is reported as written is on disk: a file's data is synced before
//   its name is made, and its folder's entry before the write returns (or,
//   in a batch, before the batch reports; see syncFolders()).
#ifndef VOPA_FILEWRITE_H
#define VOPA_FILEWRITE_H

#include <QByteArray>
#include <QSet>
#include <QString>
#include <functional>
#include <vector>

// Puts `bytes` in the place of the file `path` names; false, with the old
// file as it was, when any step fails.
bool replaceFileContents(const QString &path, const QByteArray &bytes);

// Opens the file `path` names for appending (created with 0666 less the
// umask when missing); -1 for a name that is not a regular file, without
// blocking on it, or one that cannot be opened. The caller closes it.
int openForAppend(const QString &path);
// Appends the bytes and syncs them; false when any of it was not written.
bool appendToFile(const QString &path, const QByteArray &bytes);

// A file's new contents made ahead, on any thread, beside the file the name
// leads to, and put in place later. One never put in place leaves nothing
// behind, not even when the program is killed (where the file system makes
// unnamed files; elsewhere a hidden ".NAME.XXXXXX" file stays beside it).
class FileReplacement
{
public:
    FileReplacement(const QString &path, const QByteArray &bytes);
    FileReplacement(FileReplacement &&other) noexcept;
    FileReplacement &operator=(FileReplacement &&other) noexcept;
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;
    ~FileReplacement();

    // Puts the contents in place exactly as replaceFileContents would at this
    // moment, wherever the name leads by now. The folder's entry is synced
    // at once, or, when `foldersToSync` is given, the folder is added to it
    // for one syncFolders() after many.
    bool commit(QSet<QString> *foldersToSync = nullptr);

    // New files of this thread start unnamed where the file system allows
    // (true, the default), or under a hidden name beside their target, as
    // they do where it does not.
    static void useUnnamedFiles(bool use);

private:
    struct Target;
    enum class Outcome;
    static bool resolve(const QByteArray &path, Target *target);
    bool preparedFor(const Target &target, bool newFile) const;
    // 0, or the errno of the step that failed.
    int prepare(const Target &target, bool newFile);
    Outcome placeNew(const Target &target, QSet<QString> *foldersToSync);
    Outcome replace(const Target &target, int file, QSet<QString> *foldersToSync);
    bool placed(const Target &target, QSet<QString> *foldersToSync);
    void discard();

    QString m_path;
    QByteArray m_bytes;
    int m_folder = -1;   // where the new file was made
    int m_fd = -1;       // the new file, its data synced
    QByteArray m_hidden; // its name in m_folder, when it has one
    bool m_forNewFile = false;
};

using HeldWrites = std::vector<FileReplacement>;
// Runs `work` with every replaceFileContents of this thread prepared into
// `writes` instead of made (each counts as done), and returns what `work`
// returns. Work done ahead of its turn is kept this way until its turn.
bool holdingWrites(HeldWrites *writes, const std::function<bool()> &work);
// Makes held writes in order, each as replaceFileContents makes it, so that
// a held write fails and succeeds exactly where the write itself would;
// false at the first that fails. Folders are synced as commit() says.
bool makeHeldWrites(HeldWrites &writes, QSet<QString> *foldersToSync = nullptr);
// Brings the folders' entries to the disk; false when one could not be.
bool syncFolders(const QSet<QString> &folders);

#endif
