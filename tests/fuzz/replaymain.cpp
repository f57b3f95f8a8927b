// Runs a fuzz target over every file of the folders given: the corpus replay
// of the normal build. It fails on a crash, like the fuzzer would.
#include "fuzztarget.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QStringList folders; // before the target may change the working folder
    for (int i = 1; i < argc; ++i)
        folders << QDir(QString::fromLocal8Bit(argv[i])).absolutePath();
    LLVMFuzzerInitialize(&argc, &argv);
    int inputs = 0;
    for (const QDir folder : folders) {
        for (const QString &name : folder.entryList(QDir::Files, QDir::Name)) {
            QFile file(folder.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                return 2;
            const QByteArray bytes = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
            ++inputs;
        }
    }
    std::printf("%d inputs replayed\n", inputs);
    return inputs > 0 ? 0 : 1;
}
