// Peak memory of reading huge pictures of every kind for decoding, beside
// what reading the same picture whole costs. Usage:
//   decode_memory make KIND FILE   writes a 20,000 x 20,000 picture of a kind:
//                                  grey, palette, rgb16, interlaced, rgb, rgba
//                                  (PNG), baseline, progressive (JPEG), bmp
//   decode_memory decode FILE      reads it for decoding and runs the decoders
//   decode_memory whole FILE       reads it at its full size (the reference)
// Run each under /usr/bin/time (bench/decode_memory.sh does). The progressive
// JPEG and the BMP are written as their headers and a little data: a whole
// one would take gigabytes to write.
#include "decodefront.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QtEndian>

#include <png.h>
#include <jpeglib.h>

#include <cstdio>
#include <vector>

namespace {

const int kSide = 20000;

bool writePng(const char *path, int colorType, int depth, bool interlaced)
{
    FILE *file = std::fopen(path, "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_compression_level(png, 1);
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_set_IHDR(png, info, kSide, kSide, depth, colorType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[2] = {{255, 255, 255}, {0, 0, 0}};
        png_set_PLTE(png, info, palette, 2);
    }
    png_write_info(png, info);
    const int passes = interlaced ? png_set_interlace_handling(png) : 1;
    const int channels = colorType == PNG_COLOR_TYPE_RGB ? 3 : colorType == PNG_COLOR_TYPE_RGBA ? 4 : 1;
    std::vector<png_byte> row(size_t(kSide) * channels * (depth / 8), colorType == PNG_COLOR_TYPE_PALETTE ? 0 : 255);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < kSide; ++y)
            png_write_row(png, row.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

bool writeBaselineJpeg(const char *path)
{
    FILE *file = std::fopen(path, "wb");
    if (!file)
        return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = kSide;
    cinfo.image_height = kSide;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(kSide) * 3, 255);
    JSAMPROW rows[1] = {row.data()};
    while (cinfo.next_scanline < cinfo.image_height)
        jpeg_write_scanlines(&cinfo, rows, 1);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

bool writeHead(const char *path, const QByteArray &head)
{
    QFile file(QString::fromLocal8Bit(path));
    return file.open(QIODevice::WriteOnly) && file.write(head + QByteArray(65536, '\0')) > 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QByteArray mode = argc > 1 ? argv[1] : "";
    if (mode == "make" && argc == 4) {
        const QByteArray kind = argv[2];
        const char *path = argv[3];
        if (kind == "grey")
            return writePng(path, PNG_COLOR_TYPE_GRAY, 8, false) ? 0 : 1;
        if (kind == "palette")
            return writePng(path, PNG_COLOR_TYPE_PALETTE, 8, false) ? 0 : 1;
        if (kind == "rgb16")
            return writePng(path, PNG_COLOR_TYPE_RGB, 16, false) ? 0 : 1;
        if (kind == "interlaced")
            return writePng(path, PNG_COLOR_TYPE_RGB, 8, true) ? 0 : 1;
        if (kind == "rgb")
            return writePng(path, PNG_COLOR_TYPE_RGB, 8, false) ? 0 : 1;
        if (kind == "rgba")
            return writePng(path, PNG_COLOR_TYPE_RGBA, 8, false) ? 0 : 1;
        if (kind == "baseline")
            return writeBaselineJpeg(path) ? 0 : 1;
        if (kind == "progressive")
            return writeHead(path, QByteArray::fromHex("ffd8ffc2000b084e204e2001011100ffc4")) ? 0 : 1;
        if (kind == "bmp") {
            QByteArray head = QByteArray("BM") + QByteArray::fromHex("36e4a74a00000000360000002800000020"
                                                                     "4e0000204e000001001800000000000000000000000000000000000000000000000000");
            return writeHead(path, head) ? 0 : 1;
        }
        return 2;
    }
    if (argc != 3)
        return 2;
    const QString file = QString::fromLocal8Bit(argv[2]);
    if (mode == "whole") {
        const QImage image = QImageReader(file).read();
        std::printf("whole: %dx%d\n", image.width(), image.height());
        return 0;
    }
    const QImage image = readPictureForDecoding(file);
    const QString text = decodeImageText(image, true);
    std::printf("decode: %dx%d%s\n", image.width(), image.height(), image.isNull() ? " (refused)" : "");
    Q_UNUSED(text);
    return 0;
}
