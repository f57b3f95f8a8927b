#include "visualqr.h"

#include "qrsymbol.h"
#include "rasteroutput.h"

#include <QPainter>

#include <qrencode.h>

// The templates live in this static library; their resource tree must be
// registered by hand, once, before the first lookup.
static void registerVisualTemplates()
{
    Q_INIT_RESOURCE(visual);
}

namespace {

const char kTemplateFolder[] = ":/images/visual/images/visual/";
const char kFrameName[] = "bgborder-x2.png";

// Eye picture and alignment picture for each `xt`.
const char *const kEyeNames[] = {"350.png",    "350_2.png",  "350_3.png",  "350_4.png",
                                 "350_5.png",  "350_6.png",  "350_9.png",  "350_10.png",
                                 "350_11.png", "350_12.png", "350_13.png"};
const char *const kAlignmentNames[] = {"250.png",   "250_2.png",  "250_3.png", "250_4.png",
                                       "250.png",   "250.png",    "250_9.png", "250_10.png",
                                       "250_11.png", "250.png",   "250.png"};
// Dark and light tile for each `xtItem`.
const char *const kDarkTileNames[] = {"50_12_1.png", "50_10_1.png", "50_11_1.png"};
const char *const kLightTileNames[] = {"50_12_0.png", "50_10_0.png", "50_11_0.png"};

constexpr int kEyeCount = int(sizeof(kEyeNames) / sizeof(kEyeNames[0]));
constexpr int kTileSetCount = int(sizeof(kDarkTileNames) / sizeof(kDarkTileNames[0]));
constexpr int kPitch = 50;
constexpr int kFrameSide = 1150;
constexpr int kFrameBand = 50;

void ensureTemplatesRegistered()
{
    static const bool registered = (registerVisualTemplates(), true);
    Q_UNUSED(registered);
}

bool loadTemplate(const char *name, QImage *image)
{
    return RasterOutput::loadImage(QLatin1String(kTemplateFolder) + QLatin1String(name), image);
}

} // namespace

visualQr::visualQr()
    : caseSensitive(true), margin(10), hint(2), level(2), size(300), bgX(0), bgY(0), version(0), xt(0),
      xtItem(0), isCode(false), codeFontSize(14), codeSpac(2)
{
    codeColor.setNamedColor(QStringLiteral("#000000"));
    ensureTemplatesRegistered();
}

bool visualQr::create(const QString &path)
{
    applyDefaultContent(content);

    const RasterOutput::Caption caption = RasterOutput::captionOf(*this);

    QImage background;
    const bool bgLoaded = RasterOutput::loadImage(bgImg, &background);

    if (xt < 0 || xt >= kEyeCount || xtItem < 0 || xtItem >= kTileSetCount)
        return false;
    QImage frame, eye, alignment, lightTile, darkTile;
    if (!loadTemplate(kFrameName, &frame) || !loadTemplate(kEyeNames[xt], &eye)
        || !loadTemplate(kAlignmentNames[xt], &alignment) || !loadTemplate(kLightTileNames[xtItem], &lightTile)
        || !loadTemplate(kDarkTileNames[xtItem], &darkTile))
        return false;

    QRcode *code = encodeQrContent(content, version, level, hint, caseSensitive);
    QrSymbolHolder symbol(code);
    if (!code)
        return false;
    const QrGrid grid(code);
    const int width = grid.width();

    QImage canvas(kPitch * width, kPitch * width, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, true);

    PatternWalk walk(grid, 7);
    for (int y = 0; y < width; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool dark = grid.dark(x, y);
            switch (walk.role(x, y)) {
            case PatternWalk::FinderHere:
                painter.drawImage(QRect(kPitch * x, kPitch * y, 350, 350), eye, QRect(0, 0, 350, 350));
                continue;
            case PatternWalk::AlignmentHere:
                painter.drawImage(QRect(kPitch * x, kPitch * y, 250, 250), alignment, QRect(0, 0, 250, 250));
                continue;
            case PatternWalk::InPattern:
                continue;
            case PatternWalk::Ordinary:
                break;
            }
            painter.drawImage(QRect(kPitch * x, kPitch * y, kPitch, kPitch), dark ? darkTile : lightTile,
                              QRect(0, 0, kPitch, kPitch));
        }
    }
    symbol.reset();
    painter.end();

    QImage codeImage;
    if (bgLoaded) {
        // The code fills the inner 1050 by 1050 of the frame, inside its band.
        const int inner = kFrameSide - 2 * kFrameBand;
        QImage framed = frame.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter framePainter(&framed);
        framePainter.setPen(Qt::NoPen);
        framePainter.setRenderHint(QPainter::Antialiasing, true);
        framePainter.drawImage(QRect(kFrameBand, kFrameBand, inner, inner),
                               canvas.scaled(inner, inner, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        framePainter.end();
        codeImage = framed.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    } else {
        codeImage = canvas.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    codeImage = RasterOutput::addCaptionBand(codeImage, size, caption);

    const RasterOutput::Placement placement = RasterOutput::placementOf(*this);
    return RasterOutput::writeOutput(path, codeImage, placement, bgLoaded ? &background : nullptr);
}
