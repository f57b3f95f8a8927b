// Which reading Csv::readFile chose for each file of a folder, one
// "name<TAB>letter" line per file: U for UTF-8, G for GB18030, = when both
// read the same rows, ? when neither does. bench/csv_model.py runs it.
#include "csv.h"

#include <QDir>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
        const QString path = dir.filePath(name);
        const QList<QStringList> rows = Csv::readFile(path, QString());
        const bool utf8 = rows == Csv::readFile(path, QStringLiteral("UTF-8"));
        const bool gb18030 = rows == Csv::readFile(path, QStringLiteral("GB18030"));
        std::printf("%s\t%c\n", qPrintable(name), utf8 && gb18030 ? '=' : utf8 ? 'U' : gb18030 ? 'G' : '?');
    }
    return 0;
}
