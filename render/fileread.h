// The one way the program reads a file from disk: state files, counters,
// pictures, data packages, copies' sources and its own outputs.
//
// What every read promises:
// - A name is followed as the system's open() follows it (links, and the
//   system's guards for shared sticky folders).
// - Only a regular file is read. A FIFO, device, socket or folder under the
//   name is refused as a file that cannot be opened, looked at without being
//   opened, so nothing blocks and nothing is started; the file checked is
//   the file opened, through the descriptor that checked it.
// - No more is read than its kind can hold: a file larger than the limit
//   given is refused whole (by readWholeFile also one that grows past it
//   while it is read; a picture's reader reads only what its format needs).
// A path beginning with ":/" names a resource built into the program, which
// readWholeFile and the QFile overload of openForReading read as well.
#ifndef VOPA_FILEREAD_H
#define VOPA_FILEREAD_H

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class QFile;

// How large a file of each kind may be.
namespace ReadLimit {
// Settings records, remembered folders, last outputs, counters, the update
// reply, a style package's settings: a few kilobytes each.
constexpr qint64 StateFile = qint64(1) << 20;
// A CSV data package: about a million rows of codes.
constexpr qint64 DataPackage = qint64(64) << 20;
// A picture (also a code or a picture a copy reads): its pixels are bounded
// by the picture reader, its file by this.
constexpr qint64 Picture = qint64(1) << 30;
} // namespace ReadLimit

// The descriptor of the regular file `path` names, opened read-only; -1,
// with errno set, for a name that is missing, not a regular file (EINVAL,
// EISDIR), larger than `limit` (EFBIG) or that cannot be opened. The caller
// closes it.
int openForReading(const QString &path, qint64 limit);
// The whole file into `bytes`; false, `bytes` emptied, as openForReading
// refuses, or when the file outgrows `limit` or a read fails.
bool readWholeFile(const QString &path, qint64 limit, QByteArray *bytes);
// `file` opened read-only on the file `path` names, as openForReading opens
// it; false as it refuses.
bool openForReading(QFile *file, const QString &path, qint64 limit);

#endif
