// Common helpers shared by every part of the program: the cache directory,
// small state files, counters, the warning box, suffixes, file copies and
// random names, plus the QR alignment-pattern table.
#ifndef VOPA_HELPERS_H
#define VOPA_HELPERS_H

#include "filewrite.h"

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
// Without append the file is replaced whole or not at all (filewrite.h).
bool writeTextFile(const QString &path, const QString &text, bool append);
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
