// Common helpers shared by every part of the program: the cache directory,
// small state files, counters, the warning box, suffixes, file copies and
// random names, plus the QR alignment-pattern table.
#ifndef VOPA_HELPERS_H
#define VOPA_HELPERS_H

#include <QList>
#include <QSet>
#include <QSize>
#include <QString>
#include <functional>
#include <vector>

// The product's web site; also what an empty code content encodes.
extern const char kProductSite[];
// The program version, sent to the update service and written into records.
extern const char kProgramVersion[];

QString cacheDir();
QString readTextFile(const QString &path, const QString &defaultText);
QString readTextFile(const QString &path);
// Without append the file is replaced whole or not at all.
bool writeTextFile(const QString &path, const QString &text, bool append);
// Writes the bytes to a new file beside `path`, synced, and puts it in
// `path`'s place; false, with the old file untouched, when any step fails.
bool replaceFileContents(const QString &path, const QByteArray &bytes);

// A file's new contents written beside it (beside the file a link names),
// not yet in its place: made ahead on any thread and put in place later. One
// never put in place leaves nothing behind.
class FileReplacement
{
public:
    // Each: the new contents are synced before they are put in place, as
    // every single write is. WhenReplacing: only when they replace a file,
    // so that the old contents are never lost; a new file, which puts
    // nothing at risk, is left to the system to write out, as a batch does
    // (a sync per file would cost it more than drawing the code).
    enum class Sync { Each, WhenReplacing };
    FileReplacement(const QString &path, const QByteArray &bytes, Sync sync = Sync::Each);
    FileReplacement(FileReplacement &&other) noexcept;
    FileReplacement &operator=(FileReplacement &&other) noexcept;
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;
    ~FileReplacement();

    // Puts the contents in place exactly as replaceFileContents would at this
    // moment: refused for a file the user may not write, an existing file's
    // mode kept, a link kept and its file replaced, a device written in place.
    // The folder's new entry is synced at once, or, when `foldersToSync` is
    // given, the folder is added to it for one syncFolders() after many.
    bool commit(QSet<QString> *foldersToSync = nullptr);

    // New files of this thread start unnamed where the file system allows
    // (true, the default), or under a hidden name beside their target, as
    // they do where it does not.
    static void useUnnamedFiles(bool use);

private:
    void discard();
    // The file is in place: its folder's entry is synced now or later.
    static void placedIn(const QString &folder, QSet<QString> *foldersToSync);

    QString m_path;
    QByteArray m_bytes;
    Sync m_sync;
    QString m_folder; // where the new file was made
    QString m_temp;   // its name, when it has one before it is put in place
    int m_fd = -1;    // the new file, while it has no name
    bool m_synced = false;
};

using HeldWrites = std::vector<FileReplacement>;
// Runs `work` with every replaceFileContents of this thread prepared into
// `writes` instead of made (each counts as done; a new file is not synced
// yet), and returns what `work` returns. Work done ahead of its turn is kept
// this way until its turn comes.
bool holdingWrites(HeldWrites *writes, const std::function<bool()> &work);
// Makes held writes in order, each as replaceFileContents makes it, so that
// a held write fails and succeeds exactly where the write itself would;
// false at the first that fails. Folders are synced as commit() says.
bool makeHeldWrites(HeldWrites &writes, QSet<QString> *foldersToSync = nullptr);
// Brings the folders' entries to the disk.
void syncFolders(const QSet<QString> &folders);
int readCacheCounter(const QString &name);
void addCacheCounter(const QString &name, const int &amount);
void showMessage(const QString &message);
// The one modal box of the program, titled "提示信息", with a warning icon and
// a single button of the given text; it never ends the program by closing.
void showMessageBox(const QString &message, const QString &buttonText);
QString fileSuffix(const QString &path);
bool copyFile(const QString &source, const QString &target);
QString randomString(const int &length);

class QImageReader;
// The size a picture will have once read: what the reader reports, except
// for a GIF, read whole onto its logical screen, whose size the reader does
// not report but the file's header holds.
QSize declaredImageSize(QImageReader &reader);

QList<int> alignmentPatternCenters(const int &width);
int qrVersionFromWidth(const int &width);

// Where every message box sends its text and button text instead of opening,
// when set. Only GUI-thread calls reach it; other threads always log a warning.
using MessageSink = std::function<void(const QString &message, const QString &buttonText)>;
void setMessageSink(MessageSink sink);

#endif
