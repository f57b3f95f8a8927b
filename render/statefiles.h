// The small state files the program keeps in its cache directory, named once,
// and the remembered folders of its file and folder dialogs. The style pages'
// own files are listed with their style (stylecatalogue.h).
#ifndef VOPA_STATEFILES_H
#define VOPA_STATEFILES_H

#include <QString>

namespace StateFile {

constexpr char UpdateReply[] = "check.cache";
constexpr char LastPreview[] = "pretest_last.cache";
constexpr char LastCode[] = "qrencode_last.cache";
// What start-up shows and the save button copies before anything is recorded.
constexpr char PreviewFallback[] = "pretest.png";
constexpr char CodeFallback[] = "qrencode.png";
// The generated code, before its extension.
constexpr char CodeFile[] = "qrencode.";

// Remembered folders: the decode page's picture, the batch decode source and
// results, the batch generation CSV file and save folder.
constexpr char DecodeOneFolder[] = "default_dir_one.cache";
constexpr char BatchDecodeSource[] = "default_dir_qrimg.cache";
constexpr char BatchDecodeResults[] = "default_dir_qrdata.cache";
constexpr char BatchCsvFolder[] = "default_dir_csv.cache";
constexpr char BatchSaveFolder[] = "default_dir_qrsave.cache";

// Counters, read and raised by readCacheCounter and addCacheCounter.
constexpr char DecodeCounter[] = "qrcode_jiema";
constexpr char CreateCounter[] = "qrcode_create";

} // namespace StateFile

// `cacheDirPath` + "/" + `name`; empty when there is no cache folder, so that
// reads give their default and writes fail.
QString stateFilePath(const QString &cacheDirPath, const QString &name);
// The file's text, empty when it is missing or empty.
QString readStateFile(const QString &cacheDirPath, const QString &name);
bool writeStateFile(const QString &cacheDirPath, const QString &name, const QString &text);

// Remembers the folder of a chosen file: its absolute folder, with a trailing
// "/" unless `withSlash` is false. The result of the write is not needed.
void rememberFileFolder(const QString &cacheDirPath, const QString &name, const QString &filePath,
                        bool withSlash = true);

#endif
