// The reference of the batch-decode benchmark: one process that reads every
// picture named on its command line with ZXing alone, one after the other,
// and prints each text, as a command-line barcode reader does.
//
//   zxing_files FILE...
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int found = 0;
    for (int i = 1; i < argc; ++i) {
        const QImage grey = QImageReader(QString::fromLocal8Bit(argv[i])).read().convertToFormat(QImage::Format_Grayscale8);
        if (grey.isNull())
            continue;
        const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                    int(grey.bytesPerLine()));
        const ZXing::Result result = ZXing::ReadBarcode(view, ZXing::DecodeHints());
        if (result.isValid()) {
            ++found;
            std::printf("%s: %s\n", argv[i], result.text().c_str());
        }
    }
    std::fprintf(stderr, "%d of %d files read\n", found, argc - 1);
    return 0;
}
