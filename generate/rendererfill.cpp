#include "rendererfill.h"

#include "bsdqr.h"
#include "lunkuoqr.h"
#include "proqrcode.h"
#include "vectorqr.h"
#include "visualqr.h"

namespace Filling {

namespace {

int clampInt(int v, int low, int high)
{
    return v < low ? low : (v > high ? high : v);
}

// The size rule: below 100 gives 100, above `high` gives `high`.
int clampSize(int v, int high = 2000)
{
    return v > 99 ? qMin(v, high) : 100;
}

QColor named(const QString &name)
{
    QColor color;
    color.setNamedColor(name);
    return color;
}

// Fields every raster style shares: content, caption, size, level, version
// and the background.
template <typename Renderer>
void fillCommon(Renderer &qr, const Settings &s, const QByteArray &content, const QString &caption)
{
    qr.content = content;
    qr.codeStr = caption;
    qr.size = clampSize(s.integer("qr_size"));
    qr.level = encoderLevel(s.integer("qr_level"), qr.level);
    qr.version = clampInt(s.integer("qr_version"), 0, 40);
    qr.codeColor = named(s.text("qr_codecolor"));
    qr.isCode = s.flag("qr_iscode");
    qr.codeFontSize = s.integer("qr_codefontsize") > 7 ? qMin(s.integer("qr_codefontsize"), 200) : 8;
    qr.bgImg = s.text("qr_bgimg");
    qr.bgX = s.integer("qr_bgx");
    qr.bgY = s.integer("qr_bgy");
}

double blockSize(int v, double low)
{
    return v < low ? low : (v > 50 ? 50.0 : double(v));
}

// The tone renderer's fields but the caption spacing, which the vector page,
// previewed through this renderer, does not have.
void fillTone(bsdQr &qr, const Settings &s, const QByteArray &content, const QString &caption)
{
    fillCommon(qr, s, content, caption);
    qr.xt = clampInt(s.integer("qr_xt"), 0, 10);
    qr.xtItem = clampInt(s.integer("qr_xtitem"), 0, 2);
    qr.bgColor = named(s.text("qr_bgcolor"));
    qr.ptColor = named(s.text("qr_ptcolor"));
    qr.inptColor = named(s.text("qr_inptcolor"));
    qr.isPlus = s.flag("qr_isplus");
    qr.blockSize = blockSize(s.integer("qr_blocksize"), 10.0);
    qr.block0 = named(s.text("qr_block_0"));
    qr.block1 = named(s.text("qr_block_1"));
    qr.alpha = s.integer("qr_balpha") * 0.01;
}

template <typename Renderer>
bool renderWith(const Settings &s, const QByteArray &content, const QString &caption, const QString &path)
{
    Renderer qr;
    fill(qr, s, content, caption);
    return qr.create(path);
}

} // namespace

Settings Settings::fromRecord(const StyleRecord::Read &record, const QString &styleKey, Caller caller)
{
    Settings settings;
    settings.m_values = record.valid ? record.values : builtInDefaults(styleKey, caller);
    return settings;
}

Settings Settings::fromValues(const QVariantMap &values)
{
    Settings settings;
    settings.m_values = values;
    return settings;
}

int Settings::integer(const QString &key) const
{
    return StyleRecord::integerOf(m_values.value(key));
}

QString Settings::text(const QString &key) const
{
    return m_values.value(key).toString();
}

bool Settings::flag(const QString &key) const
{
    return m_values.value(key).toBool();
}

QVariantMap builtInDefaults(const QString &styleKey, Caller caller)
{
    QVariantMap d{{"qr_size", 300},      {"qr_level", 0},      {"qr_version", 0},        {"qr_xt", 0},
                  {"qr_codecolor", "#000000"}, {"qr_iscode", false}, {"qr_codefontsize", 14}, {"qr_codespac", 2},
                  {"qr_bgimg", ""},      {"qr_bgx", 10},       {"qr_bgy", 10}};
    const bool batch = caller == Caller::Batch;
    if (styleKey != QLatin1String("pro"))
        d.insert("qr_xtitem", 0);
    if (styleKey == QLatin1String("pro")) {
        d.insert("qr_bgcolor", batch ? "#ffffff" : "#FFFFFF");
        d.insert("qr_fgcolor", "#000000");
        d.insert("qr_ptcolor", "#000000");
        d.insert("qr_inptcolor", "#000000");
        d.insert("qr_istran", false);
        d.insert("qr_isbor", false);
        d.insert("qr_margin", 10);
        d.insert("qr_logo", "");
        d.insert("qr_fgimg", "");
        d.insert("qr_logo_width", 40);
        d.insert("qr_logo_height", 40);
    } else if (styleKey == QLatin1String("bsd") || styleKey == QLatin1String("svg")) {
        d.insert("qr_bgcolor", "#ffffff");
        d.insert("qr_ptcolor", "#000000");
        d.insert("qr_inptcolor", "#000000");
        d.insert("qr_isplus", false);
        d.insert("qr_blocksize", 17);
        d.insert("qr_block_1", "#000000");
        d.insert("qr_block_0", "#ffffff");
        d.insert("qr_balpha", 50);
        if (styleKey == QLatin1String("svg"))
            d.insert("qr_ispdf", false);
    } else if (styleKey == QLatin1String("lunkuo")) {
        d.insert("qr_bgcolor", "#ffffff");
        // Batch generation keeps 17 for every style; single generation 5.
        d.insert("qr_blocksize", batch ? 17 : 5);
        d.insert("qr_balpha", 50);
        d.insert("qr_lkborsize", 1);
        d.insert("qr_lk_color", "#000000");
    }
    return d;
}

int encoderLevel(int index, int current)
{
    switch (index) {
    case 0: return 1;
    case 1: return 2;
    case 2: return 3;
    case 3: return 0;
    default: return current;
    }
}

QString outputExtension(const Settings &settings)
{
    const QString background = settings.text("qr_bgimg");
    return background.isEmpty() ? QStringLiteral("png") : StyleRecord::imageExtension(background);
}

QString outputExtension(const QString &styleKey, const Settings &settings, Caller caller)
{
    if (styleKey != QLatin1String("svg"))
        return outputExtension(settings);
    if (caller != Caller::Batch)
        return QStringLiteral("png");
    return settings.flag("qr_ispdf") ? QStringLiteral("pdf") : QStringLiteral("svg");
}

bool renderCode(const QString &styleKey, const Settings &settings, const QByteArray &content, const QString &caption,
                Caller caller, const QString &path)
{
    if (styleKey == QLatin1String("pro"))
        return renderWith<ProQrcode>(settings, content, caption, path);
    if (styleKey == QLatin1String("visual"))
        return renderWith<visualQr>(settings, content, caption, path);
    if (styleKey == QLatin1String("bsd"))
        return renderWith<bsdQr>(settings, content, caption, path);
    if (styleKey == QLatin1String("lunkuo"))
        return renderWith<lunkuoQr>(settings, content, caption, path);
    if (styleKey != QLatin1String("svg"))
        return false;
    if (caller != Caller::Batch) {
        bsdQr qr;
        fillTone(qr, settings, content, caption);
        return qr.create(path);
    }
    const bool pdf = settings.flag("qr_ispdf");
    if (pdf) {
        pdfQr qr;
        fill(qr, settings, content, caption, caller, true);
        return qr.create(path);
    }
    svgQr qr;
    fill(qr, settings, content, caption, caller, false);
    return qr.create(path);
}

void fill(ProQrcode &qr, const Settings &s, const QByteArray &content, const QString &caption)
{
    fillCommon(qr, s, content, caption);
    qr.xt = s.integer("qr_xt");
    qr.codeSpac = clampInt(s.integer("qr_codespac"), 0, 200);
    qr.margin = clampInt(s.integer("qr_margin"), 0, 200);
    qr.bgColor = named(s.text("qr_bgcolor"));
    qr.fgColor = named(s.text("qr_fgcolor"));
    qr.ptColor = named(s.text("qr_ptcolor"));
    qr.inptColor = named(s.text("qr_inptcolor"));
    qr.isTran = s.flag("qr_istran");
    qr.logo = s.text("qr_logo");
    qr.isBor = s.flag("qr_isbor");
    qr.logoWidth = s.integer("qr_logo_width");
    qr.logoHeight = s.integer("qr_logo_height");
    qr.fgImg = s.text("qr_fgimg");
}

void fill(visualQr &qr, const Settings &s, const QByteArray &content, const QString &caption)
{
    fillCommon(qr, s, content, caption);
    qr.xt = clampInt(s.integer("qr_xt"), 0, 10);
    qr.xtItem = clampInt(s.integer("qr_xtitem"), 0, 2);
    qr.codeSpac = clampInt(s.integer("qr_codespac"), 0, 200);
}

void fill(bsdQr &qr, const Settings &s, const QByteArray &content, const QString &caption)
{
    fillTone(qr, s, content, caption);
    qr.codeSpac = clampInt(s.integer("qr_codespac"), 0, 200);
}

void fill(lunkuoQr &qr, const Settings &s, const QByteArray &content, const QString &caption)
{
    fillCommon(qr, s, content, caption);
    qr.xt = clampInt(s.integer("qr_xt"), 0, 10);
    qr.xtItem = clampInt(s.integer("qr_xtitem"), 0, 2);
    qr.codeSpac = clampInt(s.integer("qr_codespac"), 0, 500);
    qr.bgColor = named(s.text("qr_bgcolor"));
    qr.blockSize = blockSize(s.integer("qr_blocksize"), 3.0);
    qr.alpha = s.integer("qr_balpha") * 0.01;
    // Wider outlines than the page's slider allows close up the code.
    qr.lkBorSize = clampInt(s.integer("qr_lkborsize"), 0, 10);
    qr.lkColor = named(s.text("qr_lk_color"));
    qr.isPlus = false;
}

void fill(VectorQrBase &qr, const Settings &s, const QByteArray &content, const QString &caption, Caller caller,
          bool pdf)
{
    qr.content = content;
    qr.codeStr = caption;
    // Batch generation lets a PDF be as small as 30; a preview is always 100 or more.
    qr.size = caller == Caller::Batch && pdf ? clampInt(s.integer("qr_size"), 30, 2000)
                                             : clampSize(s.integer("qr_size"));
    qr.level = encoderLevel(s.integer("qr_level"), qr.level);
    qr.version = clampInt(s.integer("qr_version"), 0, 40);
    qr.xt = clampInt(s.integer("qr_xt"), 0, 10);
    qr.xtItem = clampInt(s.integer("qr_xtitem"), 0, 2);
    qr.codeColor = named(s.text("qr_codecolor"));
    qr.isCode = s.flag("qr_iscode");
    // Batch generation allows captions up to 500 points; a preview up to 200.
    const int fontCap = caller == Caller::Batch ? 500 : 200;
    qr.codeFontSize = s.integer("qr_codefontsize") > 7 ? qMin(s.integer("qr_codefontsize"), fontCap) : 8;
    qr.bgColor = named(s.text("qr_bgcolor"));
    qr.ptColor = named(s.text("qr_ptcolor"));
    qr.inptColor = named(s.text("qr_inptcolor"));
    qr.isPlus = s.flag("qr_isplus");
    // Batch generation takes the block size unclamped; a preview keeps it to 10..50.
    qr.blockSize = caller == Caller::Batch ? double(s.integer("qr_blocksize")) : blockSize(s.integer("qr_blocksize"), 10.0);
    qr.block0 = named(s.text("qr_block_0"));
    qr.block1 = named(s.text("qr_block_1"));
    qr.alpha = s.integer("qr_balpha") * 0.01;
}

} // namespace Filling
