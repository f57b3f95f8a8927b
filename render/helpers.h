// Common helpers shared by every part of the program: the cache directory,
// small state files, counters, the warning box, suffixes, file copies and
// random names, plus the QR alignment-pattern table.
#ifndef VOPA_HELPERS_H
#define VOPA_HELPERS_H

#include <QList>
#include <QSize>
#include <QString>
#include <functional>

// The product's web site; also what an empty code content encodes.
extern const char kProductSite[];
// The program version, sent to the update service and written into records.
extern const char kProgramVersion[];

QString cacheDir();
QString readTextFile(const QString &path, const QString &defaultText);
QString readTextFile(const QString &path);
// Without append the file is replaced whole or not at all.
bool writeTextFile(const QString &path, const QString &text, bool append);
// Writes the bytes to a new file beside `path` and renames it over `path`;
// false, with the old file untouched, when any step fails.
bool replaceFileContents(const QString &path, const QByteArray &bytes);

// A write replaceFileContents was asked for while writes were held.
struct HeldWrite
{
    QString path;
    QByteArray bytes;
};
using HeldWrites = QList<HeldWrite>;
// Runs `work` with every replaceFileContents of this thread held in `writes`
// instead of made (each counts as done), and returns what `work` returns.
// Work done ahead of its turn is kept this way until its turn comes.
bool holdingWrites(HeldWrites *writes, const std::function<bool()> &work);
// Makes held writes in order, each as replaceFileContents makes it, so that
// a held write fails and succeeds exactly where the write itself would;
// false at the first that fails.
bool makeHeldWrites(const HeldWrites &writes);
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
