// Peak memory of decoding a huge picture from its file, beside what reading
// the same picture whole costs. Usage:
//   decode_memory make FILE      writes a blank 20,000 x 20,000 PNG
//   decode_memory decode FILE    reads it for decoding and runs the decoders
//   decode_memory whole FILE     only reads it at its full size (the reference)
// Run each under /usr/bin/time -v (bench/decode_memory.sh does).
#include "decodefront.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QByteArray mode = argv[1];
    const QString file = QString::fromLocal8Bit(argv[2]);
    if (mode == "make") {
        QImage blank(20000, 20000, QImage::Format_RGB32);
        blank.fill(Qt::white);
        return blank.save(file) ? 0 : 1;
    }
    if (mode == "whole") {
        const QImage image(file);
        std::printf("read %dx%d\n", image.width(), image.height());
        return image.isNull() ? 1 : 0;
    }
    const QImage image = readPictureForDecoding(file);
    const QString text = decodeImageText(image, true);
    std::printf("read %dx%d, decoded \"%s\"\n", image.width(), image.height(), qPrintable(text));
    return image.isNull() ? 1 : 0;
}
