#include "statefiles.h"

#include "helpers.h"

#include <QFileInfo>

QString stateFilePath(const QString &cacheDirPath, const QString &name)
{
    // Without a cache folder there is no state file: never one at the root.
    return cacheDirPath.isEmpty() ? QString() : cacheDirPath + QLatin1Char('/') + name;
}

QString readStateFile(const QString &cacheDirPath, const QString &name)
{
    return readTextFile(stateFilePath(cacheDirPath, name));
}

bool writeStateFile(const QString &cacheDirPath, const QString &name, const QString &text)
{
    return writeTextFile(stateFilePath(cacheDirPath, name), text, false);
}

void rememberFileFolder(const QString &cacheDirPath, const QString &name, const QString &filePath, bool withSlash)
{
    const QString folder = QFileInfo(filePath).absolutePath();
    writeStateFile(cacheDirPath, name, withSlash ? folder + QLatin1Char('/') : folder);
}
