#include "stylecatalogue.h"

namespace StyleCatalogue {

namespace {

constexpr Kind S = Kind::Slider;
constexpr Kind C = Kind::Combo;
constexpr Kind T = Kind::Text;
constexpr Kind I = Kind::IntegerText;
constexpr Kind B = Kind::Check;

const char kWhite[] = "#ffffff";
const char kBlack[] = "#000000";
const char kImageCaption[] = "二维码背景图";
const char kBackgroundFailure[] = "背景图导出失败";

QList<Style> makeStyles()
{
    Style pro{"pro", 0, "tab_moban", "create_style.cache", "export_style.cache", "pro_setting.json", "pretest",
              "default_dir_export.cache", "default_dir_import.cache",
              "preview_qrcode", "save_setting", "exportButton", "importButton", "resetProButton",
              {{"qr_size", S, "qrsizeSlider", 300},         {"qr_version", S, "verSlider", 0},
               {"qr_level", C, "select_level", 0},          {"qr_xt", C, "select_xt", 0},
               {"qr_margin", S, "marginSlider", 10},        {"qr_bgcolor", T, "input_bgcolor", kWhite},
               {"qr_fgcolor", T, "input_fgcolor", kBlack},  {"qr_istran", B, "checkBox_istran", false},
               {"qr_ptcolor", T, "input_ptcolor", kBlack},  {"qr_inptcolor", T, "input_inptcolor", kBlack},
               {"qr_logo", T, "input_logo", ""},            {"qr_isbor", B, "checkBox_isbor", false},
               {"qr_logo_width", S, "logoWidthSlider", 40}, {"qr_logo_height", S, "logoHeightSlider", 40},
               {"qr_fgimg", T, "input_fgimg", ""},          {"qr_bgimg", T, "input_bgimg", ""},
               {"qr_bgx", I, "input_bgx", "0"},             {"qr_bgy", I, "input_bgy", "0"},
               {"qr_codecolor", T, "input_codecolor", kBlack}, {"qr_iscode", B, "checkBox_iscode", false},
               {"qr_codefontsize", S, "codefontsizeSlider", 14}, {"qr_codespac", S, "codespacSlider", 2}},
              {{"qrsizeSlider", "label_qrsize_px", "%1px "},         {"marginSlider", "label_margin_px", "%1px "},
               {"codespacSlider", "label_codespac_px", "%1px "},     {"codefontsizeSlider", "label_codefontsize_px", "%1px "},
               {"logoWidthSlider", "label_logo_width_px", "%1px "},  {"logoHeightSlider", "label_logo_height_px", "%1px "},
               {"verSlider", "label_ver", nullptr}},
              {{"tool_bgcolor", "input_bgcolor"}, {"tool_fgcolor", "input_fgcolor"}, {"tool_ptcolor", "input_ptcolor"},
               {"tool_inptcolor", "input_inptcolor"}, {"tool_codecolor", "input_codecolor"}},
              {{"tool_bgimg", "input_bgimg", "qr_bgimg", kImageCaption, "default_dir_bgimg.cache", nullptr, kBackgroundFailure},
               {"tool_logo", "input_logo", "qr_logo", "二维码LOGO", "default_dir_logo.cache", "vopa_logo.png", "LOGO导出失败"},
               {"tool_fgimg", "input_fgimg", "qr_fgimg", "二维码前景图", "default_dir_fgimg.cache", "vopa_fgimg.png",
                "前景图导出失败"}}};

    Style visual{"visual", 1, "tab_visual", "visual_style.cache", "export_visual.cache", "visual_setting.json",
                 "pretest_visual", "default_visual_export.cache", "default_visual_import.cache",
                 "preview_vqrcode", "save_vsetting", "vexportButton", "vimportButton", "resetVisualButton",
                 {{"qr_size", S, "vsizeSlider", 300},     {"qr_version", S, "vverSlider", 0},
                  {"qr_level", C, "select_vlevel", 0},    {"qr_xt", C, "select_vxt", 0},
                  {"qr_xtitem", C, "select_vitem", 0},    {"qr_bgimg", T, "input_vbgimg", ""},
                  {"qr_bgx", I, "input_vbgx", "0"},       {"qr_bgy", I, "input_vbgy", "0"},
                  {"qr_codecolor", T, "input_vcodecolor", kBlack}, {"qr_iscode", B, "checkBox_viscode", false},
                  {"qr_codefontsize", S, "vcodefontsizeSlider", 14}, {"qr_codespac", S, "vcodespacSlider", 2}},
                 {{"vsizeSlider", "label_vsize_px", "%1px "},     {"vcodefontsizeSlider", "label_vcodefontsize_px", "%1px "},
                  {"vcodespacSlider", "label_vcodespac_px", "%1px "}, {"vverSlider", "label_vver", nullptr}},
                 {{"tool_vcodecolor", "input_vcodecolor"}},
                 {{"tool_vbgimg", "input_vbgimg", "qr_bgimg", kImageCaption, "default_dir_vbgimg.cache", nullptr,
                   kBackgroundFailure}}};

    Style bsd{"bsd", 2, "tab_bsd", "bsd_style.cache", "export_bsd.cache", "bsd_setting.json", "pretest_bsd",
              "default_bsd_export.cache", "default_bsd_import.cache",
              "preview_bqrcode", "save_bsetting", "bexportButton", "bimportButton", "resetBsdButton",
              {{"qr_size", S, "bsizeSlider", 300},          {"qr_version", S, "bverSlider", 0},
               {"qr_level", C, "select_blevel", 0},         {"qr_xt", C, "select_bxt", 0},
               {"qr_xtitem", C, "select_bitem", 0},         {"qr_bgcolor", T, "input_bbgcolor", kWhite},
               {"qr_ptcolor", T, "input_bptcolor", kBlack}, {"qr_inptcolor", T, "input_binptcolor", kBlack},
               {"qr_bgimg", T, "input_bbgimg", ""},         {"qr_bgx", I, "input_bbgx", "0"},
               {"qr_bgy", I, "input_bbgy", "0"},            {"qr_codecolor", T, "input_bcodecolor", kBlack},
               {"qr_iscode", B, "checkBox_biscode", false}, {"qr_codefontsize", S, "bcodefontsizeSlider", 14},
               {"qr_codespac", S, "bcodespacSlider", 2},    {"qr_isplus", B, "checkBox_bisplus", false},
               {"qr_blocksize", S, "blocksizeSlider", 17},  {"qr_block_1", T, "input_block_1", kBlack},
               {"qr_block_0", T, "input_block_0", kWhite},  {"qr_balpha", S, "balphaSlider", 50}},
              {{"bsizeSlider", "label_bsize_px", "%1px "},           {"bverSlider", "label_bver", nullptr},
               {"blocksizeSlider", "label_blocksize_px", "%1px "},   {"balphaSlider", "label_balpha", "%1% "},
               {"bcodefontsizeSlider", "label_bcodefontsize_px", "%1px "}, {"bcodespacSlider", "label_bcodespac_px", "%1px "}},
              {{"tool_block_1", "input_block_1"}, {"tool_block_0", "input_block_0"}, {"tool_bbgcolor", "input_bbgcolor"},
               {"tool_bcodecolor", "input_bcodecolor"}, {"tool_bptcolor", "input_bptcolor"},
               {"tool_binptcolor", "input_binptcolor"}},
              {{"tool_bbgimg", "input_bbgimg", "qr_bgimg", kImageCaption, "default_dir_bbgimg.cache", nullptr,
                kBackgroundFailure}}};

    Style lunkuo{"lunkuo", 4, "tab_lunkuo", "lunkuo_style.cache", "export_lunkuo.cache", "lunkuo_setting.json",
                 "pretest_lunkuo", "default_lunkuo_export.cache", "default_lunkuo_import.cache",
                 "preview_lkqrcode", "save_lksetting", "lkexportButton", "lkimportButton", "resetLkButton",
                 {{"qr_size", S, "lksizeSlider", 300},          {"qr_version", S, "lkverSlider", 0},
                  {"qr_level", C, "select_lklevel", 0},         {"qr_xt", C, "select_lkxt", 0},
                  {"qr_xtitem", C, "select_lkitem", 0},         {"qr_bgcolor", T, "input_lkbgcolor", kWhite},
                  {"qr_bgimg", T, "input_lkbgimg", ""},         {"qr_bgx", I, "input_lkbgx", "0"},
                  {"qr_bgy", I, "input_lkbgy", "0"},            {"qr_codecolor", T, "input_lkcodecolor", kBlack},
                  {"qr_iscode", B, "checkBox_lkiscode", false}, {"qr_codefontsize", S, "lkcodefontsizeSlider", 14},
                  {"qr_codespac", S, "lkcodespacSlider", 2},    {"qr_blocksize", S, "lkblocksizeSlider", 5},
                  {"qr_balpha", S, "lkalphaSlider", 50},        {"qr_lkborsize", S, "lkborsizeSlider", 1},
                  {"qr_lk_color", T, "input_lk_color", kBlack}},
                 {{"lksizeSlider", "label_lksize_px", "%1 px "},       {"lkverSlider", "label_lkver", nullptr},
                  {"lkblocksizeSlider", "label_lkblocksize_px", "%1px "}, {"lkborsizeSlider", "label_lkborsize_px", "%1px "},
                  {"lkalphaSlider", "label_lkalpha", "%1% "},          {"lkcodefontsizeSlider", "label_lkcodefontsize_px", "%1px "},
                  {"lkcodespacSlider", "label_lkcodespac_px", "%1px "}},
                 {{"tool_lk_color", "input_lk_color"}, {"tool_lkbgcolor", "input_lkbgcolor"},
                  {"tool_lkcodecolor", "input_lkcodecolor"}},
                 {{"tool_lkbgimg", "input_lkbgimg", "qr_bgimg", kImageCaption, "default_dir_lkbgimg.cache", nullptr,
                   kBackgroundFailure}}};

    Style svg{"svg", 3, "tab_svg", "svg_style.cache", "export_svg.cache", "svg_setting.json", "pretest_svg",
              "default_svg_export.cache", "default_svg_import.cache",
              "preview_svg_qrcode", "save_svg_setting", "svg_exportButton", "svg_importButton", "resetSvgButton",
              {{"qr_size", S, "svg_sizeSlider", 300},          {"qr_version", S, "svg_verSlider", 0},
               {"qr_level", C, "svg_level", 0},                {"qr_xt", C, "svg_xt", 0},
               {"qr_xtitem", C, "svg_item", 0},                {"qr_bgcolor", T, "svg_bgcolor", kWhite},
               {"qr_ptcolor", T, "svg_ptcolor", kBlack},       {"qr_inptcolor", T, "svg_inptcolor", kBlack},
               {"qr_codecolor", T, "svg_codecolor", kBlack},   {"qr_iscode", B, "checkBox_svg_iscode", false},
               {"qr_codefontsize", S, "svg_codefontsizeSlider", 14}, {"qr_isplus", B, "checkBox_svg_isplus", false},
               {"qr_blocksize", S, "svg_blocksizeSlider", 50}, {"qr_block_1", T, "svg_block_1", kBlack},
               {"qr_block_0", T, "svg_block_0", kWhite},       {"qr_balpha", S, "svg_alphaSlider", 50},
               {"qr_ispdf", B, "checkBox_svg_ispdf", false}},
              {{"svg_sizeSlider", "svg_size_px", "%1 px "},           {"svg_verSlider", "svg_verLabel", nullptr},
               {"svg_blocksizeSlider", "svg_blocksize_px", "%1 px "}, {"svg_alphaSlider", "svg_alphaLabel", "%1 % "},
               {"svg_codefontsizeSlider", "svg_bcodefontsize_px", "%1 px "}},
              {{"tool_svg_block_1", "svg_block_1"}, {"tool_svg_block_0", "svg_block_0"},
               {"tool_svg_bgcolor", "svg_bgcolor"}, {"tool_svg_codecolor", "svg_codecolor"},
               {"tool_svg_ptcolor", "svg_ptcolor"}, {"tool_svg_inptcolor", "svg_inptcolor"}},
              {}};

    return {pro, visual, bsd, lunkuo, svg};
}

} // namespace

const QList<Style> &styles()
{
    static const QList<Style> all = makeStyles();
    return all;
}

const Style *find(const QString &key)
{
    for (const Style &style : styles())
        if (key == QLatin1String(style.key))
            return &style;
    return nullptr;
}

const Style *findByButton(int id)
{
    for (const Style &style : styles())
        if (style.buttonId == id)
            return &style;
    return nullptr;
}

} // namespace StyleCatalogue
