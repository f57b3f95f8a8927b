// Tests of the main window form on its own, built on a plain QMainWindow:
// every named object with its class, parent, place, text and size policy,
// the spacers, the style pages' sliders, combo boxes and scroll areas, the
// style sheets, and what holds for the whole form (fixed window size, tabs,
// version badge, nothing hidden, disabled or tipped).
#include "ui_mainwindow.h"
#include "testsupport.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// One object of the form. `parent` names the parent widget; for a widget in
// a layout it names the layout, whose host must be the widget's parent; for
// a layout it names the host; for a page, the tab widget; for a scroll
// area's contents, the scroll area. `place` is "x,y,w,h", a grid cell "r,c",
// a form row "r,L" / "r,F", an index in a row layout or a tab index; empty
// when the form fixes none. A null `text` is not checked. `policy` is the
// size policy: "F" fixed both ways, else horizontal and vertical letters
// (F fixed, P preferred, M minimum, E expanding); empty when not checked.
// A row without a name is a spacer item at that index of its layout.
struct Obj
{
    const char *name, *cls, *parent, *place, *text, *policy;
};

const char *const kBrowse = "浏览...";
const char *const kPick = "选颜色...";
const char *const kBgHint = "使用背景图片请设置起始坐标      ";
const char *const kXyHint = "二维码在背景图片中的起始坐标      ";
const char *const kIoHint = "使用导出导入可快速设置样式，或上传至 Tabmo 通过接口调用";
const char *const kShowCode = "是否在二维码下显示编号";
const char *const kPlus = "是否增强识别，设置后可提高扫码速度";

// Pages 0 to 3, 9 and 10, in creation order.
const Obj kPlainPages[] = {
    {"centralWidget", "QWidget", "MainWindow", "", nullptr, ""},
    {"tabWidget", "QTabWidget", "centralWidget", "0,0,800,650", nullptr, "EE"},
    {"tab_one", "QWidget", "tabWidget", "0", nullptr, ""},
    {"frame_3", "QFrame", "tab_one", "0,0,800,650", nullptr, ""},
    {"JiemaText", "QTextEdit", "frame_3", "30,410,651,111", nullptr, ""},
    {"meihuaBtn", "QPushButton", "frame_3", "20,530,141,30", "重新生成/美化二维码", ""},
    {"preImgLabel", "QLabel", "frame_3", "319,40,360,360", "", ""},
    {"jiemaOneBtn", "QToolButton", "frame_3", "30,40,261,41", "选择解码图片", ""},
    {"jietuBtn", "QToolButton", "frame_3", "30,140,261,41", "截屏解码", ""},
    {"label_3", "QLabel", "frame_3", "30,190,221,16", nullptr, ""},
    {"jiemaOneMsg", "QLabel", "frame_3", "30,380,291,16", "解码结果：", ""},
    {"captureBtn", "QToolButton", "frame_3", "30,260,261,41", "打开摄像头扫码", ""},
    {"checkBox_isLianxu", "QCheckBox", "frame_3", "40,310,101,21", "连续扫码", ""},

    {"tab_batch", "QWidget", "tabWidget", "1", nullptr, ""},
    {"gridLayoutWidget", "QWidget", "tab_batch", "30,20,651,291", nullptr, ""},
    {"gridLayout", "QGridLayout", "gridLayoutWidget", "", nullptr, ""},
    {"toolButton", "QToolButton", "gridLayout", "0,2", kBrowse, ""},
    {"btnJiema", "QPushButton", "gridLayout", "2,1", "开始批量解码", ""},
    {"label", "QLabel", "gridLayout", "0,0", "待解码二维码路径", ""},
    {"toolButton_2", "QToolButton", "gridLayout", "1,2", kBrowse, ""},
    {"save_path", "QLineEdit", "gridLayout", "1,1", "", ""},
    {"jiema_path", "QLineEdit", "gridLayout", "0,1", "", ""},
    {"label_2", "QLabel", "gridLayout", "1,0", "解码内容保存路径", ""},
    {"label_jiemaing", "QLabel", "tab_batch", "150,370,421,41", "正在解码：", ""},
    {"label_msg", "QLabel", "tab_batch", "150,430,421,16", "解码统计：", ""},
    {"label_time", "QLabel", "tab_batch", "150,450,321,16", "解码用时：", ""},
    {"label_4", "QLabel", "tab_batch", "150,100,141,16", "已支持一级子目录", ""},
    {"horizontalLayoutWidget_26", "QWidget", "tab_batch", "150,310,431,41", nullptr, ""},
    {"horizontalLayout_24", "QHBoxLayout", "horizontalLayoutWidget_26", "", nullptr, ""},
    {"label_131", "QLabel", "horizontalLayout_24", "0", "CSV格式：", ""},
    {"radioCsvDef", "QRadioButton", "horizontalLayout_24", "1", "原始数据", ""},
    {"radioCsvExcel", "QRadioButton", "horizontalLayout_24", "2", "自动转义兼容Excel", ""},
    {"", "QSpacerItem", "horizontalLayout_24", "3", nullptr, ""},

    {"tab_qrencode", "QWidget", "tabWidget", "2", nullptr, ""},
    {"frame_4", "QFrame", "tab_qrencode", "0,0,800,650", nullptr, ""},
    {"horizontalLayoutWidget_10", "QWidget", "frame_4", "10,40,411,31", nullptr, ""},
    {"horizontalLayout_9", "QHBoxLayout", "horizontalLayoutWidget_10", "", nullptr, ""},
    {"label_28", "QLabel", "horizontalLayout_9", "0", "二维码内容：", "F"},
    {"", "QSpacerItem", "horizontalLayout_9", "1", nullptr, ""},
    {"horizontalLayoutWidget_11", "QWidget", "frame_4", "10,80,411,131", nullptr, ""},
    {"horizontalLayout_10", "QHBoxLayout", "horizontalLayoutWidget_11", "", nullptr, ""},
    {"qrcodeText", "QTextEdit", "horizontalLayout_10", "0", nullptr, ""},
    {"qrenimgLabel", "QLabel", "frame_4", "430,40,250,250", "", ""},
    {"horizontalLayoutWidget_12", "QWidget", "frame_4", "10,230,411,31", nullptr, ""},
    {"horizontalLayout_11", "QHBoxLayout", "horizontalLayoutWidget_12", "", nullptr, ""},
    {"label_36", "QLabel", "horizontalLayout_11", "0", "二维码编号：", "F"},
    {"", "QSpacerItem", "horizontalLayout_11", "1", nullptr, ""},
    {"horizontalLayoutWidget_13", "QWidget", "frame_4", "10,260,411,31", nullptr, ""},
    {"horizontalLayout_12", "QHBoxLayout", "horizontalLayoutWidget_13", "", nullptr, ""},
    {"input_codestr", "QLineEdit", "horizontalLayout_12", "0", "", ""},
    {"label_37", "QLabel", "frame_4", "10,290,201,16", "在样式设置中控制是否使用编号", ""},
    {"horizontalLayoutWidget_14", "QWidget", "frame_4", "9,430,681,52", nullptr, ""},
    {"horizontalLayout_13", "QHBoxLayout", "horizontalLayoutWidget_14", "", nullptr, ""},
    {"qrenButton", "QPushButton", "horizontalLayout_13", "0", "生成二维码", ""},
    {"horizontalLayoutWidget_15", "QWidget", "frame_4", "430,290,251,41", nullptr, ""},
    {"horizontalLayout_14", "QHBoxLayout", "horizontalLayoutWidget_15", "", nullptr, ""},
    {"saveQrcodeButton", "QPushButton", "horizontalLayout_14", "0", "保存二维码", ""},
    {"horizontalLayoutWidget_17", "QWidget", "frame_4", "10,380,681,41", nullptr, ""},
    {"horizontalLayout_17", "QHBoxLayout", "horizontalLayoutWidget_17", "", nullptr, ""},
    {"label_38", "QLabel", "horizontalLayout_17", "0", "使用样式：", ""},
    {"radioPro", "QRadioButton", "horizontalLayout_17", "1", "标准", ""},
    {"radioVisual", "QRadioButton", "horizontalLayout_17", "2", "视觉", ""},
    {"radioBsd", "QRadioButton", "horizontalLayout_17", "3", "色调", ""},
    {"radioLunkuo", "QRadioButton", "horizontalLayout_17", "4", "轮廓", ""},
    {"", "QSpacerItem", "horizontalLayout_17", "5", nullptr, ""},

    {"tab_batch_create", "QWidget", "tabWidget", "3", nullptr, ""},
    {"frame_batch_create", "QFrame", "tab_batch_create", "0,0,800,650", nullptr, ""},
    {"label_createing", "QLabel", "frame_batch_create", "150,350,421,31", "正在生成：", ""},
    {"label_create_time", "QLabel", "frame_batch_create", "150,410,321,16", "生成用时：", ""},
    {"gridLayoutWidget_3", "QWidget", "frame_batch_create", "30,20,651,201", nullptr, ""},
    {"gridLayout_3", "QGridLayout", "gridLayoutWidget_3", "", nullptr, ""},
    {"label_9", "QLabel", "gridLayout_3", "1,0", "二维码保存到", ""},
    {"toolButton_qrcode", "QToolButton", "gridLayout_3", "1,2", kBrowse, ""},
    {"toolButton_csv", "QToolButton", "gridLayout_3", "0,2", kBrowse, ""},
    {"csv_path", "QLineEdit", "gridLayout_3", "0,1", "", ""},
    {"qrcode_savepath", "QLineEdit", "gridLayout_3", "1,1", "", ""},
    {"label_8", "QLabel", "gridLayout_3", "0,0", ".csv 数据包", ""},
    {"label_create_msg", "QLabel", "frame_batch_create", "150,390,421,16", "生成统计：", ""},
    {"label_5", "QLabel", "frame_batch_create", "130,100,201,16", "参考 .csv 模板格式创建数据包", ""},
    {"horizontalLayoutWidget_24", "QWidget", "frame_batch_create", "110,240,571,41", nullptr, ""},
    {"horizontalLayout_22", "QHBoxLayout", "horizontalLayoutWidget_24", "", nullptr, ""},
    {"label_40", "QLabel", "horizontalLayout_22", "0", "使用样式：", ""},
    {"radioProBatch", "QRadioButton", "horizontalLayout_22", "1", "标准", ""},
    {"radioVisualBatch", "QRadioButton", "horizontalLayout_22", "2", "视觉", ""},
    {"radioBsdBatch", "QRadioButton", "horizontalLayout_22", "3", "色调", ""},
    {"radioLunkuoBatch", "QRadioButton", "horizontalLayout_22", "4", "轮廓", ""},
    {"radioSvgBatch", "QRadioButton", "horizontalLayout_22", "5", "矢量", ""},
    {"", "QSpacerItem", "horizontalLayout_22", "6", nullptr, ""},
    {"btnCreate", "QPushButton", "frame_batch_create", "100,290,459,50", "开始批量生成", "PF"},
    {"btnCsvMoban", "QPushButton", "frame_batch_create", "570,290,90,50", "下载.csv模板", "F"},

    {"tab_tools", "QWidget", "tabWidget", "9", nullptr, ""},
    {"gridLayoutWidget_2", "QWidget", "tab_tools", "10,20,681,621", nullptr, ""},
    {"toolsGridLayout", "QGridLayout", "gridLayoutWidget_2", "", nullptr, ""},

    {"tab_statis", "QWidget", "tabWidget", "10", nullptr, ""},
    {"frame", "QFrame", "tab_statis", "0,0,800,650", nullptr, ""},
    {"formLayoutWidget", "QWidget", "frame", "30,70,511,161", nullptr, ""},
    {"formLayout", "QFormLayout", "formLayoutWidget", "", nullptr, ""},
    {"label_6", "QLabel", "formLayout", "0,L", "解码统计：", "F"},
    {"label_jiema_statis", "QLabel", "formLayout", "0,F", "0个", "F"},
    {"label_22", "QLabel", "formLayout", "1,L", "生成统计：", "F"},
    {"label_create_statis", "QLabel", "formLayout", "1,F", "0个", "F"},
    {"label_7", "QLabel", "formLayout", "2,L", "为您节约：", "F"},
    {"label_price_statis", "QLabel", "formLayout", "2,F", "0 * 0.004 = 0元", "F"},
    {"frame_2", "QFrame", "frame", "0,410,800,241", nullptr, ""},
    {"label_21", "QLabel", "frame_2", "10,0,111,31", "帮助 & 赞赏", ""},
    {"label_wxzsm", "QLabel", "frame_2", "350,20,190,190", "", ""},
    {"textEdit", "QTextEdit", "frame_2", "10,50,271,151", nullptr, ""},

    {"versionImgLabel", "QLabel", "centralWidget", "2,586,64,64", "", ""},
};

// The five style pages, top to bottom (their creation order is free).
const Obj kStylePages[] = {
    {"tab_moban", "QWidget", "tabWidget", "4", nullptr, ""},
    {"proScrollArea", "QScrollArea", "tab_moban", "0,0,708,650", nullptr, ""},
    {"proScrollAreaWidget", "QWidget", "proScrollArea", "0,0,680,1000", nullptr, ""},
    {"frame_bg", "QFrame", "proScrollAreaWidget", "0,0,680,1000", nullptr, ""},
    {"label_13", "QLabel", "frame_bg", "10,10,171,21", "标准样式设置", ""},
    {"line_2", "QFrame", "frame_bg", "10,30,280,20", nullptr, ""},
    {"gridLayoutWidget_8", "QWidget", "frame_bg", "10,50,661,131", nullptr, ""},
    {"gridLayout_2", "QGridLayout", "gridLayoutWidget_8", "", nullptr, ""},
    {"label_10", "QLabel", "gridLayout_2", "0,0", "二维码大小：", ""},
    {"qrsizeSlider", "QSlider", "gridLayout_2", "0,1", nullptr, ""},
    {"label_qrsize_px", "QLabel", "gridLayout_2", "0,2", "300 px ", ""},
    {"label_14", "QLabel", "gridLayout_2", "1,0", "二维码边距：", "F"},
    {"marginSlider", "QSlider", "gridLayout_2", "1,1", nullptr, ""},
    {"label_margin_px", "QLabel", "gridLayout_2", "1,2", "10 px", ""},
    {"label_11", "QLabel", "gridLayout_2", "2,0", "二维码纠错：", "F"},
    {"select_level", "QComboBox", "gridLayout_2", "2,1", nullptr, "PF"},
    {"label_16", "QLabel", "gridLayout_2", "3,0", "二维码形态：", "F"},
    {"select_xt", "QComboBox", "gridLayout_2", "3,1", nullptr, "PF"},
    {"horizontalLayoutWidget_25", "QWidget", "frame_bg", "10,180,661,31", nullptr, ""},
    {"horizontalLayout_23", "QHBoxLayout", "horizontalLayoutWidget_25", "", nullptr, ""},
    {"label_55", "QLabel", "horizontalLayout_23", "0", "二维码版本：", ""},
    {"verSlider", "QSlider", "horizontalLayout_23", "1", nullptr, "PF"},
    {"label_ver", "QLabel", "horizontalLayout_23", "2", "自动", "FP"},
    {"label_56", "QLabel", "horizontalLayout_23", "3", "版本不宜过高，否则太密远距离不易扫描，建议自动设置", "F"},
    {"", "QSpacerItem", "horizontalLayout_23", "4", nullptr, ""},
    {"label_57", "QLabel", "frame_bg", "10,220,171,21", "颜色设置", ""},
    {"line", "QFrame", "frame_bg", "10,240,200,20", nullptr, ""},
    {"gridLayoutWidget_5", "QWidget", "frame_bg", "10,260,661,81", nullptr, ""},
    {"gridLayout_5", "QGridLayout", "gridLayoutWidget_5", "", nullptr, ""},
    {"label_15", "QLabel", "gridLayout_5", "0,0", "前景色：", "F"},
    {"input_fgcolor", "QLineEdit", "gridLayout_5", "0,1", "#000000", "F"},
    {"tool_fgcolor", "QToolButton", "gridLayout_5", "0,2", kPick, "F"},
    {"label_12", "QLabel", "gridLayout_5", "0,3", "背景色：", "F"},
    {"input_bgcolor", "QLineEdit", "gridLayout_5", "0,4", "#FFFFFF", "F"},
    {"tool_bgcolor", "QToolButton", "gridLayout_5", "0,5", kPick, "F"},
    {"checkBox_istran", "QCheckBox", "gridLayout_5", "0,6", "背景色透明", "MF"},
    {"label_23", "QLabel", "gridLayout_5", "1,0", "码眼外框：", "F"},
    {"input_ptcolor", "QLineEdit", "gridLayout_5", "1,1", "#000000", "PF"},
    {"tool_ptcolor", "QToolButton", "gridLayout_5", "1,2", kPick, "F"},
    {"label_24", "QLabel", "gridLayout_5", "1,3", "码眼内点：", "F"},
    {"input_inptcolor", "QLineEdit", "gridLayout_5", "1,4", "#000000", "PF"},
    {"tool_inptcolor", "QToolButton", "gridLayout_5", "1,5", kPick, "F"},
    {"label_58", "QLabel", "frame_bg", "10,350,171,21", "中间 LOGO 设置", ""},
    {"line_3", "QFrame", "frame_bg", "10,370,200,20", nullptr, ""},
    {"horizontalLayoutWidget_5", "QWidget", "frame_bg", "10,390,661,31", nullptr, ""},
    {"horizontalLayout_5", "QHBoxLayout", "horizontalLayoutWidget_5", "", nullptr, ""},
    {"label_17", "QLabel", "horizontalLayout_5", "0", "LOGO图片：", "F"},
    {"input_logo", "QLineEdit", "horizontalLayout_5", "1", "", "PF"},
    {"tool_logo", "QToolButton", "horizontalLayout_5", "2", "选LOGO...", "F"},
    {"checkBox_isbor", "QCheckBox", "horizontalLayout_5", "3", "增加LOGO边框", "F"},
    {"horizontalLayoutWidget_4", "QWidget", "frame_bg", "10,420,661,31", nullptr, ""},
    {"horizontalLayout_4", "QHBoxLayout", "horizontalLayoutWidget_4", "", nullptr, ""},
    {"label_25", "QLabel", "horizontalLayout_4", "0", "LOGO宽度：", "F"},
    {"logoWidthSlider", "QSlider", "horizontalLayout_4", "1", nullptr, ""},
    {"label_logo_width_px", "QLabel", "horizontalLayout_4", "2", "40px ", ""},
    {"label_26", "QLabel", "horizontalLayout_4", "3", "       LOGO高度：", "F"},
    {"logoHeightSlider", "QSlider", "horizontalLayout_4", "4", nullptr, ""},
    {"label_logo_height_px", "QLabel", "horizontalLayout_4", "5", "40px ", ""},
    {"label_59", "QLabel", "frame_bg", "10,460,171,21", "前景图 +\u3000背景图", ""},
    {"line_4", "QFrame", "frame_bg", "10,480,200,20", nullptr, ""},
    {"horizontalLayoutWidget_7", "QWidget", "frame_bg", "10,500,661,31", nullptr, ""},
    {"horizontalLayout_6", "QHBoxLayout", "horizontalLayoutWidget_7", "", nullptr, ""},
    {"label_27", "QLabel", "horizontalLayout_6", "0", "前景图片：", "F"},
    {"input_fgimg", "QLineEdit", "horizontalLayout_6", "1", "", "PF"},
    {"tool_fgimg", "QToolButton", "horizontalLayout_6", "2", "选前景图...", "F"},
    {"label_29", "QLabel", "horizontalLayout_6", "3", "使用前景图片替换前景色效果更丰富", "F"},
    {"horizontalLayoutWidget_9", "QWidget", "frame_bg", "10,540,661,31", nullptr, ""},
    {"horizontalLayout_8", "QHBoxLayout", "horizontalLayoutWidget_9", "", nullptr, ""},
    {"label_32", "QLabel", "horizontalLayout_8", "0", "背景图片：", "F"},
    {"input_bgimg", "QLineEdit", "horizontalLayout_8", "1", "", "PF"},
    {"tool_bgimg", "QToolButton", "horizontalLayout_8", "2", "选背景图...", "F"},
    {"label_33", "QLabel", "horizontalLayout_8", "3", kBgHint, "F"},
    {"horizontalLayoutWidget_8", "QWidget", "frame_bg", "10,580,661,31", nullptr, ""},
    {"horizontalLayout_7", "QHBoxLayout", "horizontalLayoutWidget_8", "", nullptr, ""},
    {"label_30", "QLabel", "horizontalLayout_7", "0", "起始坐标：", "F"},
    {"label_34", "QLabel", "horizontalLayout_7", "1", "x轴", "F"},
    {"input_bgx", "QLineEdit", "horizontalLayout_7", "2", "10", "F"},
    {"label_31", "QLabel", "horizontalLayout_7", "3", "y轴", "F"},
    {"input_bgy", "QLineEdit", "horizontalLayout_7", "4", "10", "F"},
    {"label_61", "QLabel", "horizontalLayout_7", "5", kXyHint, "F"},
    {"", "QSpacerItem", "horizontalLayout_7", "6", nullptr, ""},
    {"label_60", "QLabel", "frame_bg", "10,620,171,21", "编号设置", ""},
    {"line_5", "QFrame", "frame_bg", "10,640,200,20", nullptr, ""},
    {"horizontalLayoutWidget_3", "QWidget", "frame_bg", "10,660,661,31", nullptr, ""},
    {"horizontalLayout_3", "QHBoxLayout", "horizontalLayoutWidget_3", "", nullptr, ""},
    {"checkBox_iscode", "QCheckBox", "horizontalLayout_3", "0", kShowCode, "F"},
    {"", "QSpacerItem", "horizontalLayout_3", "1", nullptr, ""},
    {"horizontalLayoutWidget_6", "QWidget", "frame_bg", "10,690,661,31", nullptr, ""},
    {"horizontalLayout_codestr", "QHBoxLayout", "horizontalLayoutWidget_6", "", nullptr, ""},
    {"label_18", "QLabel", "horizontalLayout_codestr", "0", "编号颜色：", "F"},
    {"input_codecolor", "QLineEdit", "horizontalLayout_codestr", "1", "#000000", "F"},
    {"tool_codecolor", "QToolButton", "horizontalLayout_codestr", "2", kPick, "F"},
    {"label_19", "QLabel", "horizontalLayout_codestr", "3", "字体大小：", "F"},
    {"codefontsizeSlider", "QSlider", "horizontalLayout_codestr", "4", nullptr, "PF"},
    {"label_codefontsize_px", "QLabel", "horizontalLayout_codestr", "5", "12px ", "FP"},
    {"label_20", "QLabel", "horizontalLayout_codestr", "6", "字间距：", "F"},
    {"codespacSlider", "QSlider", "horizontalLayout_codestr", "7", nullptr, "PF"},
    {"label_codespac_px", "QLabel", "horizontalLayout_codestr", "8", "2px ", "FP"},
    {"horizontalLayoutWidget_2", "QWidget", "frame_bg", "40,770,611,41", nullptr, ""},
    {"horizontalLayout_2", "QHBoxLayout", "horizontalLayoutWidget_2", "", nullptr, ""},
    {"preview_qrcode", "QPushButton", "horizontalLayout_2", "0", "预览效果", "F"},
    {"save_setting", "QPushButton", "horizontalLayout_2", "1", "保存设置", "MF"},
    {"exportButton", "QPushButton", "horizontalLayout_2", "2", "导出", "F"},
    {"importButton", "QPushButton", "horizontalLayout_2", "3", "导入", "F"},
    {"resetProButton", "QPushButton", "horizontalLayout_2", "4", "还原", "F"},
    {"horizontalLayoutWidget_16", "QWidget", "frame_bg", "40,810,611,31", nullptr, ""},
    {"horizontalLayout_15", "QHBoxLayout", "horizontalLayoutWidget_16", "", nullptr, ""},
    {"", "QSpacerItem", "horizontalLayout_15", "0", nullptr, ""},
    {"label_35", "QLabel", "horizontalLayout_15", "1", kIoHint, "F"},

    {"tab_visual", "QWidget", "tabWidget", "5", nullptr, ""},
    {"visualScrollArea", "QScrollArea", "tab_visual", "0,0,708,650", nullptr, ""},
    {"visualScrollAreaWidget", "QWidget", "visualScrollArea", "0,0,680,800", nullptr, ""},
    {"frame_bg_2", "QFrame", "visualScrollAreaWidget", "0,0,680,800", nullptr, ""},
    {"label_39", "QLabel", "frame_bg_2", "10,10,251,21", "视觉样式设置", ""},
    {"line_6", "QFrame", "frame_bg_2", "10,30,280,20", nullptr, ""},
    {"gridLayoutWidget_6", "QWidget", "frame_bg_2", "10,50,661,151", nullptr, ""},
    {"gridLayout_7", "QGridLayout", "gridLayoutWidget_6", "", nullptr, ""},
    {"label_41", "QLabel", "gridLayout_7", "0,0", "二维码大小：", ""},
    {"vsizeSlider", "QSlider", "gridLayout_7", "0,1", nullptr, ""},
    {"label_vsize_px", "QLabel", "gridLayout_7", "0,2", "300 px", ""},
    {"label_45", "QLabel", "gridLayout_7", "1,0", "二维码纠错：", "F"},
    {"select_vlevel", "QComboBox", "gridLayout_7", "1,1", nullptr, "PF"},
    {"label_43", "QLabel", "gridLayout_7", "2,0", "  码眼形态：", "F"},
    {"select_vxt", "QComboBox", "gridLayout_7", "2,1", nullptr, "PF"},
    {"label_42", "QLabel", "gridLayout_7", "3,0", "  码点元素：", "F"},
    {"select_vitem", "QComboBox", "gridLayout_7", "3,1", nullptr, "PF"},
    {"label_44", "QLabel", "gridLayout_7", "4,0", "二维码版本：", ""},
    {"vverSlider", "QSlider", "gridLayout_7", "4,1", nullptr, "PF"},
    {"label_vver", "QLabel", "gridLayout_7", "4,2", "自动", "FP"},
    {"label_63", "QLabel", "frame_bg_2", "10,210,171,21", "背景图", ""},
    {"line_7", "QFrame", "frame_bg_2", "10,230,200,20", nullptr, ""},
    {"horizontalLayoutWidget_18", "QWidget", "frame_bg_2", "10,250,661,31", nullptr, ""},
    {"horizontalLayout_16", "QHBoxLayout", "horizontalLayoutWidget_18", "", nullptr, ""},
    {"label_48", "QLabel", "horizontalLayout_16", "0", "背景图片：", "F"},
    {"input_vbgimg", "QLineEdit", "horizontalLayout_16", "1", "", "PF"},
    {"tool_vbgimg", "QToolButton", "horizontalLayout_16", "2", "选背景图...", "F"},
    {"label_49", "QLabel", "horizontalLayout_16", "3", kBgHint, "F"},
    {"horizontalLayoutWidget_19", "QWidget", "frame_bg_2", "10,290,661,31", nullptr, ""},
    {"horizontalLayout_18", "QHBoxLayout", "horizontalLayoutWidget_19", "", nullptr, ""},
    {"label_50", "QLabel", "horizontalLayout_18", "0", "起始坐标：", "F"},
    {"label_51", "QLabel", "horizontalLayout_18", "1", "x轴", "F"},
    {"input_vbgx", "QLineEdit", "horizontalLayout_18", "2", "10", "F"},
    {"label_52", "QLabel", "horizontalLayout_18", "3", "y轴", "F"},
    {"input_vbgy", "QLineEdit", "horizontalLayout_18", "4", "10", "F"},
    {"label_62", "QLabel", "horizontalLayout_18", "5", kXyHint, "F"},
    {"", "QSpacerItem", "horizontalLayout_18", "6", nullptr, ""},
    {"label_64", "QLabel", "frame_bg_2", "10,330,171,21", "编号设置", ""},
    {"line_8", "QFrame", "frame_bg_2", "10,350,200,20", nullptr, ""},
    {"horizontalLayoutWidget_22", "QWidget", "frame_bg_2", "10,370,661,31", nullptr, ""},
    {"horizontalLayout_21", "QHBoxLayout", "horizontalLayoutWidget_22", "", nullptr, ""},
    {"checkBox_viscode", "QCheckBox", "horizontalLayout_21", "0", kShowCode, "F"},
    {"", "QSpacerItem", "horizontalLayout_21", "1", nullptr, ""},
    {"horizontalLayoutWidget_23", "QWidget", "frame_bg_2", "10,400,661,31", nullptr, ""},
    {"horizontalLayout_codestr_2", "QHBoxLayout", "horizontalLayoutWidget_23", "", nullptr, ""},
    {"label_47", "QLabel", "horizontalLayout_codestr_2", "0", "编号颜色：", "F"},
    {"input_vcodecolor", "QLineEdit", "horizontalLayout_codestr_2", "1", "#000000", "F"},
    {"tool_vcodecolor", "QToolButton", "horizontalLayout_codestr_2", "2", kPick, "F"},
    {"label_53", "QLabel", "horizontalLayout_codestr_2", "3", "字体大小：", "F"},
    {"vcodefontsizeSlider", "QSlider", "horizontalLayout_codestr_2", "4", nullptr, "PF"},
    {"label_vcodefontsize_px", "QLabel", "horizontalLayout_codestr_2", "5", "12px ", "FP"},
    {"label_54", "QLabel", "horizontalLayout_codestr_2", "6", "字间距：", "F"},
    {"vcodespacSlider", "QSlider", "horizontalLayout_codestr_2", "7", nullptr, "PF"},
    {"label_vcodespac_px", "QLabel", "horizontalLayout_codestr_2", "8", "2px ", "FP"},
    {"horizontalLayoutWidget_20", "QWidget", "frame_bg_2", "40,480,611,41", nullptr, ""},
    {"horizontalLayout_19", "QHBoxLayout", "horizontalLayoutWidget_20", "", nullptr, ""},
    {"preview_vqrcode", "QPushButton", "horizontalLayout_19", "0", "预览效果", "F"},
    {"save_vsetting", "QPushButton", "horizontalLayout_19", "1", "保存设置", "MF"},
    {"vexportButton", "QPushButton", "horizontalLayout_19", "2", "导出", "F"},
    {"vimportButton", "QPushButton", "horizontalLayout_19", "3", "导入", "F"},
    {"resetVisualButton", "QPushButton", "horizontalLayout_19", "4", "还原", "F"},
    {"horizontalLayoutWidget_21", "QWidget", "frame_bg_2", "40,520,611,31", nullptr, ""},
    {"horizontalLayout_20", "QHBoxLayout", "horizontalLayoutWidget_21", "", nullptr, ""},
    {"", "QSpacerItem", "horizontalLayout_20", "0", nullptr, ""},
    {"label_46", "QLabel", "horizontalLayout_20", "1", kIoHint, "F"},

    {"tab_bsd", "QWidget", "tabWidget", "6", nullptr, ""},
    {"bsdScrollArea", "QScrollArea", "tab_bsd", "0,0,708,650", nullptr, ""},
    {"bsdScrollAreaWidget", "QWidget", "bsdScrollArea", "0,0,680,800", nullptr, ""},
    {"frame_bg_3", "QFrame", "bsdScrollAreaWidget", "0,0,680,800", nullptr, ""},
    {"label_65", "QLabel", "frame_bg_3", "10,10,251,21", "色调样式设置", ""},
    {"line_9", "QFrame", "frame_bg_3", "10,30,280,20", nullptr, ""},
    {"gridLayoutWidget_10", "QWidget", "frame_bg_3", "10,50,661,151", nullptr, ""},
    {"gridLayout_11", "QGridLayout", "gridLayoutWidget_10", "", nullptr, ""},
    {"label_73", "QLabel", "gridLayout_11", "0,0", "二维码大小：", ""},
    {"bsizeSlider", "QSlider", "gridLayout_11", "0,1", nullptr, ""},
    {"label_bsize_px", "QLabel", "gridLayout_11", "0,2", "300 px", ""},
    {"label_75", "QLabel", "gridLayout_11", "1,0", "二维码纠错：", "F"},
    {"select_blevel", "QComboBox", "gridLayout_11", "1,1", nullptr, "PF"},
    {"label_77", "QLabel", "gridLayout_11", "2,0", "  码眼形态：", "F"},
    {"select_bxt", "QComboBox", "gridLayout_11", "2,1", nullptr, "PF"},
    {"label_76", "QLabel", "gridLayout_11", "3,0", "  码点元素：", "F"},
    {"select_bitem", "QComboBox", "gridLayout_11", "3,1", nullptr, "PF"},
    {"label_74", "QLabel", "gridLayout_11", "4,0", "二维码版本：", ""},
    {"bverSlider", "QSlider", "gridLayout_11", "4,1", nullptr, "PF"},
    {"label_bver", "QLabel", "gridLayout_11", "4,2", "自动", "FP"},
    {"label_66", "QLabel", "frame_bg_3", "10,210,171,21", "背景图", ""},
    {"line_10", "QFrame", "frame_bg_3", "10,230,200,20", nullptr, ""},
    {"horizontalLayoutWidget_31", "QWidget", "frame_bg_3", "10,250,661,31", nullptr, ""},
    {"horizontalLayout_29", "QHBoxLayout", "horizontalLayoutWidget_31", "", nullptr, ""},
    {"label_78", "QLabel", "horizontalLayout_29", "0", "背景图片：", "F"},
    {"input_bbgimg", "QLineEdit", "horizontalLayout_29", "1", "", "PF"},
    {"tool_bbgimg", "QToolButton", "horizontalLayout_29", "2", "选背景图...", "F"},
    {"label_79", "QLabel", "horizontalLayout_29", "3", kBgHint, "F"},
    {"horizontalLayoutWidget_32", "QWidget", "frame_bg_3", "10,290,661,31", nullptr, ""},
    {"horizontalLayout_30", "QHBoxLayout", "horizontalLayoutWidget_32", "", nullptr, ""},
    {"label_80", "QLabel", "horizontalLayout_30", "0", "起始坐标：", "F"},
    {"label_81", "QLabel", "horizontalLayout_30", "1", "x轴", "F"},
    {"input_bbgx", "QLineEdit", "horizontalLayout_30", "2", "10", "F"},
    {"label_82", "QLabel", "horizontalLayout_30", "3", "y轴", "F"},
    {"input_bbgy", "QLineEdit", "horizontalLayout_30", "4", "10", "F"},
    {"label_67", "QLabel", "horizontalLayout_30", "5", kXyHint, "F"},
    {"", "QSpacerItem", "horizontalLayout_30", "6", nullptr, ""},
    {"label_68", "QLabel", "frame_bg_3", "10,330,171,21", "色调效果", ""},
    {"line_11", "QFrame", "frame_bg_3", "10,350,200,20", nullptr, ""},
    {"horizontalLayoutWidget_37", "QWidget", "frame_bg_3", "10,370,661,31", nullptr, ""},
    {"horizontalLayout_codestr_5", "QHBoxLayout", "horizontalLayoutWidget_37", "", nullptr, ""},
    {"label_87", "QLabel", "horizontalLayout_codestr_5", "0", "码眼外框：", "F"},
    {"input_bptcolor", "QLineEdit", "horizontalLayout_codestr_5", "1", "#000000", "F"},
    {"tool_bptcolor", "QToolButton", "horizontalLayout_codestr_5", "2", kPick, "F"},
    {"label_88", "QLabel", "horizontalLayout_codestr_5", "3", "码眼内点：", "F"},
    {"input_binptcolor", "QLineEdit", "horizontalLayout_codestr_5", "4", "#000000", "F"},
    {"tool_binptcolor", "QToolButton", "horizontalLayout_codestr_5", "5", kPick, "F"},
    {"horizontalLayoutWidget_38", "QWidget", "frame_bg_3", "10,400,661,31", nullptr, ""},
    {"horizontalLayout_codestr_6", "QHBoxLayout", "horizontalLayoutWidget_38", "", nullptr, ""},
    {"label_89", "QLabel", "horizontalLayout_codestr_6", "0", "黑色码点：", "F"},
    {"input_block_1", "QLineEdit", "horizontalLayout_codestr_6", "1", "#000000", "F"},
    {"tool_block_1", "QToolButton", "horizontalLayout_codestr_6", "2", kPick, "F"},
    {"label_90", "QLabel", "horizontalLayout_codestr_6", "3", "白色码点：", "F"},
    {"input_block_0", "QLineEdit", "horizontalLayout_codestr_6", "4", "#FFFFFF", "F"},
    {"tool_block_0", "QToolButton", "horizontalLayout_codestr_6", "5", kPick, "F"},
    {"horizontalLayoutWidget_39", "QWidget", "frame_bg_3", "10,430,661,31", nullptr, ""},
    {"horizontalLayout_codestr_7", "QHBoxLayout", "horizontalLayoutWidget_39", "", nullptr, ""},
    {"label_92", "QLabel", "horizontalLayout_codestr_7", "0", "码点大小：", "F"},
    {"blocksizeSlider", "QSlider", "horizontalLayout_codestr_7", "1", nullptr, "PF"},
    {"label_blocksize_px", "QLabel", "horizontalLayout_codestr_7", "2", "17px ", "FP"},
    {"checkBox_bisplus", "QCheckBox", "horizontalLayout_codestr_7", "3", kPlus, "F"},
    {"horizontalLayoutWidget_40", "QWidget", "frame_bg_3", "10,460,661,31", nullptr, ""},
    {"horizontalLayout_codestr_8", "QHBoxLayout", "horizontalLayoutWidget_40", "", nullptr, ""},
    {"label_91", "QLabel", "horizontalLayout_codestr_8", "0", "二维码底色：", "F"},
    {"input_bbgcolor", "QLineEdit", "horizontalLayout_codestr_8", "1", "#FFFFFF", "F"},
    {"tool_bbgcolor", "QToolButton", "horizontalLayout_codestr_8", "2", kPick, "F"},
    {"label_93", "QLabel", "horizontalLayout_codestr_8", "3", "透明度：", "F"},
    {"balphaSlider", "QSlider", "horizontalLayout_codestr_8", "4", nullptr, "PF"},
    {"label_balpha", "QLabel", "horizontalLayout_codestr_8", "5", "50% ", "FP"},
    {"label_69", "QLabel", "frame_bg_3", "10,500,171,21", "编号设置", ""},
    {"line_12", "QFrame", "frame_bg_3", "10,520,200,20", nullptr, ""},
    {"horizontalLayoutWidget_35", "QWidget", "frame_bg_3", "10,540,661,31", nullptr, ""},
    {"horizontalLayout_33", "QHBoxLayout", "horizontalLayoutWidget_35", "", nullptr, ""},
    {"checkBox_biscode", "QCheckBox", "horizontalLayout_33", "0", kShowCode, "F"},
    {"", "QSpacerItem", "horizontalLayout_33", "1", nullptr, ""},
    {"horizontalLayoutWidget_36", "QWidget", "frame_bg_3", "10,570,661,31", nullptr, ""},
    {"horizontalLayout_codestr_4", "QHBoxLayout", "horizontalLayoutWidget_36", "", nullptr, ""},
    {"label_84", "QLabel", "horizontalLayout_codestr_4", "0", "编号颜色：", "F"},
    {"input_bcodecolor", "QLineEdit", "horizontalLayout_codestr_4", "1", "#000000", "F"},
    {"tool_bcodecolor", "QToolButton", "horizontalLayout_codestr_4", "2", kPick, "F"},
    {"label_85", "QLabel", "horizontalLayout_codestr_4", "3", "字体大小：", "F"},
    {"bcodefontsizeSlider", "QSlider", "horizontalLayout_codestr_4", "4", nullptr, "PF"},
    {"label_bcodefontsize_px", "QLabel", "horizontalLayout_codestr_4", "5", "12px ", "FP"},
    {"label_86", "QLabel", "horizontalLayout_codestr_4", "6", "字间距：", "F"},
    {"bcodespacSlider", "QSlider", "horizontalLayout_codestr_4", "7", nullptr, "PF"},
    {"label_bcodespac_px", "QLabel", "horizontalLayout_codestr_4", "8", "2px ", "FP"},
    {"horizontalLayoutWidget_33", "QWidget", "frame_bg_3", "40,650,611,41", nullptr, ""},
    {"horizontalLayout_31", "QHBoxLayout", "horizontalLayoutWidget_33", "", nullptr, ""},
    {"preview_bqrcode", "QPushButton", "horizontalLayout_31", "0", "预览效果", "F"},
    {"save_bsetting", "QPushButton", "horizontalLayout_31", "1", "保存设置", "MF"},
    {"bexportButton", "QPushButton", "horizontalLayout_31", "2", "导出", "F"},
    {"bimportButton", "QPushButton", "horizontalLayout_31", "3", "导入", "F"},
    {"resetBsdButton", "QPushButton", "horizontalLayout_31", "4", "还原", "F"},
    {"horizontalLayoutWidget_34", "QWidget", "frame_bg_3", "40,690,611,31", nullptr, ""},
    {"horizontalLayout_32", "QHBoxLayout", "horizontalLayoutWidget_34", "", nullptr, ""},
    {"", "QSpacerItem", "horizontalLayout_32", "0", nullptr, ""},
    {"label_83", "QLabel", "horizontalLayout_32", "1", kIoHint, "F"},

    {"tab_lunkuo", "QWidget", "tabWidget", "7", nullptr, ""},
    {"lkScrollArea", "QScrollArea", "tab_lunkuo", "0,0,708,650", nullptr, ""},
    {"lkScrollAreaWidget", "QWidget", "lkScrollArea", "0,0,680,800", nullptr, ""},
    {"frame_bg_5", "QFrame", "lkScrollAreaWidget", "0,0,680,800", nullptr, ""},
    {"label_72", "QLabel", "frame_bg_5", "10,10,251,21", "轮廓样式设置", ""},
    {"line_14", "QFrame", "frame_bg_5", "10,30,280,20", nullptr, ""},
    {"gridLayoutWidget_12", "QWidget", "frame_bg_5", "10,50,661,151", nullptr, ""},
    {"gridLayout_13", "QGridLayout", "gridLayoutWidget_12", "", nullptr, ""},
    {"label_101", "QLabel", "gridLayout_13", "0,0", "二维码大小：", ""},
    {"lksizeSlider", "QSlider", "gridLayout_13", "0,1", nullptr, ""},
    {"label_lksize_px", "QLabel", "gridLayout_13", "0,2", "300 px", ""},
    {"label_100", "QLabel", "gridLayout_13", "1,0", "二维码纠错：", "F"},
    {"select_lklevel", "QComboBox", "gridLayout_13", "1,1", nullptr, "PF"},
    {"label_99", "QLabel", "gridLayout_13", "2,0", "  码眼形态：", "F"},
    {"select_lkxt", "QComboBox", "gridLayout_13", "2,1", nullptr, "PF"},
    {"label_102", "QLabel", "gridLayout_13", "3,0", "  码点元素：", "F"},
    {"select_lkitem", "QComboBox", "gridLayout_13", "3,1", nullptr, "PF"},
    {"label_103", "QLabel", "gridLayout_13", "4,0", "二维码版本：", ""},
    {"lkverSlider", "QSlider", "gridLayout_13", "4,1", nullptr, "PF"},
    {"label_lkver", "QLabel", "gridLayout_13", "4,2", "自动", "FP"},
    {"label_134", "QLabel", "frame_bg_5", "20,210,171,21", "轮廓颜色", ""},
    {"line_18", "QFrame", "frame_bg_5", "10,230,200,20", nullptr, ""},
    {"horizontalLayoutWidget_55", "QWidget", "frame_bg_5", "10,250,661,31", nullptr, ""},
    {"horizontalLayout_codestr_14", "QHBoxLayout", "horizontalLayoutWidget_55", "", nullptr, ""},
    {"label_123", "QLabel", "horizontalLayout_codestr_14", "0", "  轮廓颜色：", "F"},
    {"input_lk_color", "QLineEdit", "horizontalLayout_codestr_14", "1", "#000000", "F"},
    {"tool_lk_color", "QToolButton", "horizontalLayout_codestr_14", "2", kPick, "F"},
    {"label_125", "QLabel", "horizontalLayout_codestr_14", "3", "  轮廓大小：", "F"},
    {"lkborsizeSlider", "QSlider", "horizontalLayout_codestr_14", "4", nullptr, "PF"},
    {"label_lkborsize_px", "QLabel", "horizontalLayout_codestr_14", "5", "1px ", "FP"},
    {"label_124", "QLabel", "horizontalLayout_codestr_14", "6", "定点大小：", "F"},
    {"lkblocksizeSlider", "QSlider", "horizontalLayout_codestr_14", "7", nullptr, "PF"},
    {"label_lkblocksize_px", "QLabel", "horizontalLayout_codestr_14", "8", "5px ", "FP"},
    {"horizontalLayoutWidget_57", "QWidget", "frame_bg_5", "10,290,661,31", nullptr, ""},
    {"horizontalLayout_codestr_16", "QHBoxLayout", "horizontalLayoutWidget_57", "", nullptr, ""},
    {"label_126", "QLabel", "horizontalLayout_codestr_16", "0", "二维码底色：", "F"},
    {"input_lkbgcolor", "QLineEdit", "horizontalLayout_codestr_16", "1", "#FFFFFF", "F"},
    {"tool_lkbgcolor", "QToolButton", "horizontalLayout_codestr_16", "2", kPick, "F"},
    {"label_127", "QLabel", "horizontalLayout_codestr_16", "3", "透明度：", "F"},
    {"lkalphaSlider", "QSlider", "horizontalLayout_codestr_16", "4", nullptr, "PF"},
    {"label_lkalpha", "QLabel", "horizontalLayout_codestr_16", "5", "50% ", "FP"},
    {"label_133", "QLabel", "frame_bg_5", "10,330,171,21", "背景图", ""},
    {"line_19", "QFrame", "frame_bg_5", "10,350,200,20", nullptr, ""},
    {"horizontalLayoutWidget_41", "QWidget", "frame_bg_5", "10,370,661,31", nullptr, ""},
    {"horizontalLayout_34", "QHBoxLayout", "horizontalLayoutWidget_41", "", nullptr, ""},
    {"label_112", "QLabel", "horizontalLayout_34", "0", "背景图片：", "F"},
    {"input_lkbgimg", "QLineEdit", "horizontalLayout_34", "1", "", "PF"},
    {"tool_lkbgimg", "QToolButton", "horizontalLayout_34", "2", "选背景图...", "F"},
    {"label_118", "QLabel", "horizontalLayout_34", "3", kBgHint, "F"},
    {"horizontalLayoutWidget_42", "QWidget", "frame_bg_5", "10,410,661,31", nullptr, ""},
    {"horizontalLayout_35", "QHBoxLayout", "horizontalLayoutWidget_42", "", nullptr, ""},
    {"label_119", "QLabel", "horizontalLayout_35", "0", "起始坐标：", "F"},
    {"label_120", "QLabel", "horizontalLayout_35", "1", "x轴", "F"},
    {"input_lkbgx", "QLineEdit", "horizontalLayout_35", "2", "10", "F"},
    {"label_121", "QLabel", "horizontalLayout_35", "3", "y轴", "F"},
    {"input_lkbgy", "QLineEdit", "horizontalLayout_35", "4", "10", "F"},
    {"label_70", "QLabel", "horizontalLayout_35", "5", kXyHint, "F"},
    {"", "QSpacerItem", "horizontalLayout_35", "6", nullptr, ""},
    {"label_135", "QLabel", "frame_bg_5", "10,450,171,21", "编号设置", ""},
    {"line_20", "QFrame", "frame_bg_5", "10,470,200,20", nullptr, ""},
    {"horizontalLayoutWidget_54", "QWidget", "frame_bg_5", "10,490,661,31", nullptr, ""},
    {"horizontalLayout_42", "QHBoxLayout", "horizontalLayoutWidget_54", "", nullptr, ""},
    {"checkBox_lkiscode", "QCheckBox", "horizontalLayout_42", "0", kShowCode, "F"},
    {"", "QSpacerItem", "horizontalLayout_42", "1", nullptr, ""},
    {"horizontalLayoutWidget_58", "QWidget", "frame_bg_5", "10,520,661,31", nullptr, ""},
    {"horizontalLayout_codestr_17", "QHBoxLayout", "horizontalLayoutWidget_58", "", nullptr, ""},
    {"label_128", "QLabel", "horizontalLayout_codestr_17", "0", "编号颜色：", "F"},
    {"input_lkcodecolor", "QLineEdit", "horizontalLayout_codestr_17", "1", "#000000", "F"},
    {"tool_lkcodecolor", "QToolButton", "horizontalLayout_codestr_17", "2", kPick, "F"},
    {"label_129", "QLabel", "horizontalLayout_codestr_17", "3", "字体大小：", "F"},
    {"lkcodefontsizeSlider", "QSlider", "horizontalLayout_codestr_17", "4", nullptr, "PF"},
    {"label_lkcodefontsize_px", "QLabel", "horizontalLayout_codestr_17", "5", "12px ", "FP"},
    {"label_130", "QLabel", "horizontalLayout_codestr_17", "6", "字间距：", "F"},
    {"lkcodespacSlider", "QSlider", "horizontalLayout_codestr_17", "7", nullptr, "PF"},
    {"label_lkcodespac_px", "QLabel", "horizontalLayout_codestr_17", "8", "2px ", "FP"},
    {"horizontalLayoutWidget_52", "QWidget", "frame_bg_5", "40,590,611,41", nullptr, ""},
    {"horizontalLayout_40", "QHBoxLayout", "horizontalLayoutWidget_52", "", nullptr, ""},
    {"preview_lkqrcode", "QPushButton", "horizontalLayout_40", "0", "预览效果", "F"},
    {"save_lksetting", "QPushButton", "horizontalLayout_40", "1", "保存设置", "MF"},
    {"lkexportButton", "QPushButton", "horizontalLayout_40", "2", "导出", "F"},
    {"lkimportButton", "QPushButton", "horizontalLayout_40", "3", "导入", "F"},
    {"resetLkButton", "QPushButton", "horizontalLayout_40", "4", "还原", "F"},
    {"horizontalLayoutWidget_53", "QWidget", "frame_bg_5", "40,630,611,31", nullptr, ""},
    {"horizontalLayout_41", "QHBoxLayout", "horizontalLayoutWidget_53", "", nullptr, ""},
    {"", "QSpacerItem", "horizontalLayout_41", "0", nullptr, ""},
    {"label_122", "QLabel", "horizontalLayout_41", "1", kIoHint, "F"},

    {"tab_svg", "QWidget", "tabWidget", "8", nullptr, ""},
    {"svgScrollArea", "QScrollArea", "tab_svg", "0,0,708,650", nullptr, ""},
    {"svgScrollAreaWidget", "QWidget", "svgScrollArea", "0,0,680,800", nullptr, ""},
    {"frame_bg_4", "QFrame", "svgScrollAreaWidget", "0,0,680,800", nullptr, ""},
    {"label_71", "QLabel", "frame_bg_4", "10,10,251,21", "SVG / PDF 矢量样式设置", ""},
    {"line_13", "QFrame", "frame_bg_4", "10,30,280,20", nullptr, ""},
    {"gridLayoutWidget_11", "QWidget", "frame_bg_4", "10,50,661,151", nullptr, ""},
    {"gridLayout_12", "QGridLayout", "gridLayoutWidget_11", "", nullptr, ""},
    {"label_96", "QLabel", "gridLayout_12", "0,0", "二维码大小：", ""},
    {"svg_sizeSlider", "QSlider", "gridLayout_12", "0,1", nullptr, ""},
    {"svg_size_px", "QLabel", "gridLayout_12", "0,2", "300 px", ""},
    {"label_95", "QLabel", "gridLayout_12", "1,0", "二维码纠错：", "F"},
    {"svg_level", "QComboBox", "gridLayout_12", "1,1", nullptr, "PF"},
    {"label_94", "QLabel", "gridLayout_12", "2,0", "  码眼形态：", "F"},
    {"svg_xt", "QComboBox", "gridLayout_12", "2,1", nullptr, "PF"},
    {"label_97", "QLabel", "gridLayout_12", "3,0", "  码点元素：", "F"},
    {"svg_item", "QComboBox", "gridLayout_12", "3,1", nullptr, "PF"},
    {"label_98", "QLabel", "gridLayout_12", "4,0", "二维码版本：", ""},
    {"svg_verSlider", "QSlider", "gridLayout_12", "4,1", nullptr, "PF"},
    {"svg_verLabel", "QLabel", "gridLayout_12", "4,2", "自动", "FP"},
    {"label_115", "QLabel", "frame_bg_4", "10,210,171,21", "SVG / PDF 效果", ""},
    {"line_15", "QFrame", "frame_bg_4", "10,230,200,20", nullptr, ""},
    {"horizontalLayoutWidget_50", "QWidget", "frame_bg_4", "10,250,661,31", nullptr, ""},
    {"horizontalLayout_codestr_13", "QHBoxLayout", "horizontalLayoutWidget_50", "", nullptr, ""},
    {"label_113", "QLabel", "horizontalLayout_codestr_13", "0", "码眼外框：", "F"},
    {"svg_ptcolor", "QLineEdit", "horizontalLayout_codestr_13", "1", "#000000", "F"},
    {"tool_svg_ptcolor", "QToolButton", "horizontalLayout_codestr_13", "2", kPick, "F"},
    {"label_114", "QLabel", "horizontalLayout_codestr_13", "3", "码眼内点：", "F"},
    {"svg_inptcolor", "QLineEdit", "horizontalLayout_codestr_13", "4", "#000000", "F"},
    {"tool_svg_inptcolor", "QToolButton", "horizontalLayout_codestr_13", "5", kPick, "F"},
    {"horizontalLayoutWidget_46", "QWidget", "frame_bg_4", "10,280,661,31", nullptr, ""},
    {"horizontalLayout_codestr_9", "QHBoxLayout", "horizontalLayoutWidget_46", "", nullptr, ""},
    {"label_105", "QLabel", "horizontalLayout_codestr_9", "0", "黑色码点：", "F"},
    {"svg_block_1", "QLineEdit", "horizontalLayout_codestr_9", "1", "#000000", "F"},
    {"tool_svg_block_1", "QToolButton", "horizontalLayout_codestr_9", "2", kPick, "F"},
    {"label_106", "QLabel", "horizontalLayout_codestr_9", "3", "白色码点：", "F"},
    {"svg_block_0", "QLineEdit", "horizontalLayout_codestr_9", "4", "#FFFFFF", "F"},
    {"tool_svg_block_0", "QToolButton", "horizontalLayout_codestr_9", "5", kPick, "F"},
    {"horizontalLayoutWidget_47", "QWidget", "frame_bg_4", "10,310,661,31", nullptr, ""},
    {"horizontalLayout_codestr_10", "QHBoxLayout", "horizontalLayoutWidget_47", "", nullptr, ""},
    {"label_107", "QLabel", "horizontalLayout_codestr_10", "0", "码点大小：", "F"},
    {"svg_blocksizeSlider", "QSlider", "horizontalLayout_codestr_10", "1", nullptr, "PF"},
    {"svg_blocksize_px", "QLabel", "horizontalLayout_codestr_10", "2", "50 px ", "FP"},
    {"checkBox_svg_isplus", "QCheckBox", "horizontalLayout_codestr_10", "3", kPlus, "F"},
    {"horizontalLayoutWidget_48", "QWidget", "frame_bg_4", "10,340,661,31", nullptr, ""},
    {"horizontalLayout_codestr_11", "QHBoxLayout", "horizontalLayoutWidget_48", "", nullptr, ""},
    {"label_108", "QLabel", "horizontalLayout_codestr_11", "0", "二维码底色：", "F"},
    {"svg_bgcolor", "QLineEdit", "horizontalLayout_codestr_11", "1", "#FFFFFF", "F"},
    {"tool_svg_bgcolor", "QToolButton", "horizontalLayout_codestr_11", "2", kPick, "F"},
    {"label_109", "QLabel", "horizontalLayout_codestr_11", "3", "透明度：", "F"},
    {"svg_alphaSlider", "QSlider", "horizontalLayout_codestr_11", "4", nullptr, "PF"},
    {"svg_alphaLabel", "QLabel", "horizontalLayout_codestr_11", "5", "50 % ", "FP"},
    {"label_116", "QLabel", "frame_bg_4", "10,380,171,21", "编号设置", ""},
    {"line_16", "QFrame", "frame_bg_4", "10,400,200,20", nullptr, ""},
    {"horizontalLayoutWidget_45", "QWidget", "frame_bg_4", "10,420,661,31", nullptr, ""},
    {"horizontalLayout_38", "QHBoxLayout", "horizontalLayoutWidget_45", "", nullptr, ""},
    {"checkBox_svg_iscode", "QCheckBox", "horizontalLayout_38", "0", kShowCode, "F"},
    {"", "QSpacerItem", "horizontalLayout_38", "1", nullptr, ""},
    {"horizontalLayoutWidget_49", "QWidget", "frame_bg_4", "10,450,661,31", nullptr, ""},
    {"horizontalLayout_codestr_12", "QHBoxLayout", "horizontalLayoutWidget_49", "", nullptr, ""},
    {"label_110", "QLabel", "horizontalLayout_codestr_12", "0", "编号颜色：", "F"},
    {"svg_codecolor", "QLineEdit", "horizontalLayout_codestr_12", "1", "#000000", "F"},
    {"tool_svg_codecolor", "QToolButton", "horizontalLayout_codestr_12", "2", kPick, "F"},
    {"label_111", "QLabel", "horizontalLayout_codestr_12", "3", "字体大小：", "F"},
    {"svg_codefontsizeSlider", "QSlider", "horizontalLayout_codestr_12", "4", nullptr, "PF"},
    {"svg_bcodefontsize_px", "QLabel", "horizontalLayout_codestr_12", "5", "12 px ", "FP"},
    {"label_117", "QLabel", "frame_bg_4", "10,490,171,21", "输出PDF", ""},
    {"line_17", "QFrame", "frame_bg_4", "10,510,200,20", nullptr, ""},
    {"horizontalLayoutWidget_51", "QWidget", "frame_bg_4", "10,520,661,31", nullptr, ""},
    {"horizontalLayout_39", "QHBoxLayout", "horizontalLayoutWidget_51", "", nullptr, ""},
    {"checkBox_svg_ispdf", "QCheckBox", "horizontalLayout_39", "0", "SVG 转为 PDF 文件", "F"},
    {"", "QSpacerItem", "horizontalLayout_39", "1", nullptr, ""},
    {"horizontalLayoutWidget_43", "QWidget", "frame_bg_4", "40,590,611,41", nullptr, ""},
    {"horizontalLayout_36", "QHBoxLayout", "horizontalLayoutWidget_43", "", nullptr, ""},
    {"preview_svg_qrcode", "QPushButton", "horizontalLayout_36", "0", "预览效果", "F"},
    {"save_svg_setting", "QPushButton", "horizontalLayout_36", "1", "保存设置", "MF"},
    {"svg_exportButton", "QPushButton", "horizontalLayout_36", "2", "导出", "F"},
    {"svg_importButton", "QPushButton", "horizontalLayout_36", "3", "导入", "F"},
    {"resetSvgButton", "QPushButton", "horizontalLayout_36", "4", "还原", "F"},
    {"horizontalLayoutWidget_44", "QWidget", "frame_bg_4", "40,630,611,31", nullptr, ""},
    {"horizontalLayout_37", "QHBoxLayout", "horizontalLayoutWidget_44", "", nullptr, ""},
    {"", "QSpacerItem", "horizontalLayout_37", "0", nullptr, ""},
    {"label_104", "QLabel", "horizontalLayout_37", "1", kIoHint, "F"},
};

struct Slider
{
    const char *name;
    int minimum, maximum, value;
};

const Slider kSliders[] = {
    {"qrsizeSlider", 100, 2000, 300},      {"marginSlider", 0, 200, 10},
    {"verSlider", 0, 40, 0},               {"logoWidthSlider", 0, 1000, 40},
    {"logoHeightSlider", 0, 1000, 40},     {"codefontsizeSlider", 8, 200, 12},
    {"codespacSlider", 0, 200, 2},         {"vsizeSlider", 100, 1000, 300},
    {"vverSlider", 0, 30, 0},              {"vcodefontsizeSlider", 8, 200, 12},
    {"vcodespacSlider", 0, 200, 2},        {"bsizeSlider", 100, 1000, 300},
    {"bverSlider", 0, 30, 0},              {"blocksizeSlider", 10, 50, 17},
    {"balphaSlider", 0, 100, 50},          {"bcodefontsizeSlider", 8, 200, 12},
    {"bcodespacSlider", 0, 200, 2},        {"lksizeSlider", 100, 1000, 300},
    {"lkverSlider", 0, 30, 0},             {"lkborsizeSlider", 0, 10, 1},
    {"lkblocksizeSlider", 0, 50, 5},       {"lkalphaSlider", 0, 100, 50},
    {"lkcodefontsizeSlider", 8, 200, 12},  {"lkcodespacSlider", 0, 200, 2},
    {"svg_sizeSlider", 30, 1000, 300},     {"svg_verSlider", 0, 30, 0},
    {"svg_blocksizeSlider", 10, 50, 50},   {"svg_alphaSlider", 0, 100, 50},
    {"svg_codefontsizeSlider", 8, 500, 12},
};

const char *const kLevels = "M  - 中 15%|Q - 中高 25%|H - 高 30%|L - 低 7%";
const char *const kTone = "正方形|圆形|液化";
const char *const kContour = "正方形|液化";

// Combo boxes with their items, '|' between items.
const std::pair<const char *, const char *> kCombos[] = {
    {"select_level", kLevels},
    {"select_xt", "正方形|圆形|液态"},
    {"select_vlevel", kLevels},
    {"select_vxt", "1.圆角正方形|2.方中圆|3.圆形|4.圆中方|5.左方右圆|6.左圆右方|7.方旋转|8.十字形|9.圆旋转|10.圆圆|11.方方"},
    {"select_vitem", "1.星形|2.正方形|3.圆形"},
    {"select_blevel", kLevels},
    {"select_bxt", kTone},
    {"select_bitem", kTone},
    {"select_lklevel", kLevels},
    {"select_lkxt", kContour},
    {"select_lkitem", kContour},
    {"svg_level", kLevels},
    {"svg_xt", kTone},
    {"svg_item", kTone},
};

struct MinSize
{
    const char *names;  // blank-separated
    int width, height;
};

const MinSize kMinSizes[] = {
    {"tabWidget", 800, 650},
    {"toolButton toolButton_2 toolButton_csv toolButton_qrcode", 80, 25},
    {"btnJiema qrenButton", 0, 50},
    {"saveQrcodeButton btnCreate", 0, 30},
    {"jiema_path save_path csv_path qrcode_savepath", 0, 25},
    {"label_qrsize_px label_margin_px", 50, 0},
    {"select_vxt select_vitem select_bxt select_bitem select_lkxt select_lkitem svg_xt svg_item", 120, 0},
};

const char *const kHeadingStyle = "font: 10pt;\ncolor: rgb(102, 102, 102);";
const char *const kHintStyle = "color: rgb(102, 102, 102);";

// Style sheets given verbatim, compared line by line.
const std::pair<const char *, const char *> kStyleSheets[] = {
    {"label_13 label_57 label_58 label_59 label_60 label_39 label_63 label_64 label_65 label_66 label_68 "
     "label_69 label_72 label_134 label_133 label_135 label_71 label_115 label_116 label_117",
     kHeadingStyle},
    {"label_56 label_29 label_33 label_61 label_35 label_49 label_62 label_46 label_79 label_67 label_83 "
     "label_118 label_70 label_122 label_104",
     kHintStyle},
    {"preImgLabel qrenimgLabel", "background-color: rgb(204, 204, 204);"},
    {"label_4 label_37 label_5", "color: rgb(136, 136, 136);"},
    {"frame_2", "background-color: rgb(57, 170, 245);\ncolor: rgb(255, 255, 255);"},
    {"frame_bg_5", "background-color: rgb(255, 255, 255);"},
    {"centralWidget tabWidget frame_batch_create frame_bg frame_bg_2 frame_bg_3 frame_bg_4", ""},
};

// Style sheets given by what they set: each must act as its reference does
// on a label beside it (same font and ink), and have `lines` lines if given.
struct Look
{
    const char *names;
    const char *reference;
    int lines;
};

const Look kLooks[] = {
    {"label_6 label_22 label_7", "font-weight: 75; font-size: 12pt; font-family: \"微软雅黑\"; color: rgb(0, 0, 0);", 2},
    {"label_jiema_statis label_create_statis label_price_statis",
     "font-weight: 75; font-size: 14pt; font-family: \"微软雅黑\"; color: rgb(0, 85, 255);", 2},
    {"label_21", "font-weight: 75; font-size: 14pt; font-family: \"微软雅黑\";", 0},
};

const char *const kTabTexts[] = {"单个解码", "批量解码", "单个生成", "批量生成", "标准样式", "视觉样式",
                                 "色调样式", "轮廓样式", "矢量样式", "网站工具", "统计帮助"};

const std::pair<const char *, int> kClassTotals[] = {
    {"QLabel", 177},     {"QWidget", 79},    {"QHBoxLayout", 52},  {"QLineEdit", 40},
    {"QToolButton", 34}, {"QPushButton", 31}, {"QFrame", 30},      {"QSlider", 29},
    {"QComboBox", 14},   {"QCheckBox", 11},   {"QRadioButton", 11}, {"QGridLayout", 9},
    {"QScrollArea", 5},  {"QTextEdit", 3},    {"QTabWidget", 1},   {"QFormLayout", 1},
};

template<class E> QString key(E value)
{
    return QString::fromLatin1(QMetaEnum::fromType<E>().valueToKey(int(value)));
}

QString quoted(const QString &s) { return QLatin1Char('"') + s + QLatin1Char('"'); }

QString rectText(const QRect &r)
{
    return QStringLiteral("(%1,%2,%3,%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QStringList names(const char *list) { return QString::fromUtf8(list).split(QLatin1Char(' '), Qt::SkipEmptyParts); }

QStringList sheetLines(const QString &sheet)
{
    QStringList lines;
    for (const QString &line : sheet.split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    return lines;
}

QSizePolicy::Policy policyOf(QChar c)
{
    switch (c.toLatin1()) {
    case 'F': return QSizePolicy::Fixed;
    case 'P': return QSizePolicy::Preferred;
    case 'M': return QSizePolicy::Minimum;
    case 'E': return QSizePolicy::Expanding;
    }
    return QSizePolicy::Ignored;
}

// The form built on a plain window, with the named objects of the form found
// under the central widget (Qt's own internal children left out).
struct Form
{
    Form()
    {
        ui.setupUi(&window);
        objects << ui.centralWidget;
        collect(ui.centralWidget);
    }

    void collect(QObject *parent)
    {
        for (QObject *child : parent->children()) {
            if (qobject_cast<QTabBar *>(child))
                continue;  // internal; its scroll buttons carry names of their own
            const QString name = child->objectName();
            if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
                objects << child;
            collect(child);
        }
    }

    // The one object of that name (the window by its own name), else null.
    QObject *find(const QString &name) const
    {
        if (name == window.objectName())
            return const_cast<QMainWindow *>(&window);
        const QList<QObject *> found = window.findChildren<QObject *>(name);
        return found.size() == 1 ? found.first() : nullptr;
    }

    template<class T> T *get(const QString &name) const { return qobject_cast<T *>(find(name)); }

    QMainWindow window;
    Ui::MainWindow ui;
    QList<QObject *> objects;
};

void failOn(const QStringList &problems)
{
    if (!problems.isEmpty())
        QFAIL((QString::number(problems.size()) + QStringLiteral(" difference(s):\n") + problems.join(QLatin1Char('\n')))
                  .toUtf8()
                  .constData());
}

} // namespace

class TestForm : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void census();
    void texts();
    void stylePages();
    void formWide();

private:
    TestCwd m_cwd;
};

// Every named object: unique, of its class, under its parent, at its place,
// with its size policy; created in table order on the pages whose order is
// fixed; nothing named that the tables lack; the class totals; every layout
// holding exactly its listed items, with its spacing and margins; the spacers.
void TestForm::census()
{
    Form form;
    QStringList problems;
    QSet<QString> listed;
    QHash<QString, int> itemsPerLayout;
    int spacers = 0;

    auto checkRows = [&](const Obj *rows, int count, bool ordered) {
        QHash<QWidget *, QPair<int, QString>> lastChild;
        for (int r = 0; r < count; ++r) {
            const Obj &row = rows[r];
            const QString name = QString::fromUtf8(row.name);
            const QString parentName = QString::fromUtf8(row.parent);
            const QStringList place = QString::fromUtf8(row.place).split(QLatin1Char(','), Qt::SkipEmptyParts);
            auto report = [&](const QString &what) { problems << (name.isEmpty() ? QStringLiteral("spacer in ") + parentName : name) + QStringLiteral(": ") + what; };
            QObject *parent = form.find(parentName);
            ++itemsPerLayout[parentName];

            if (name.isEmpty()) {
                ++spacers;
                auto *layout = qobject_cast<QLayout *>(parent);
                QLayoutItem *item = layout ? layout->itemAt(place.value(0).toInt()) : nullptr;
                if (!item || !item->spacerItem())
                    report(QStringLiteral("no spacer at index ") + place.value(0));
                continue;
            }
            listed.insert(name);
            QObject *object = form.find(name);
            if (!object) {
                report(QStringLiteral("expected one object of this name, found %1")
                           .arg(form.window.findChildren<QObject *>(name).size()));
                continue;
            }
            if (QString::fromLatin1(object->metaObject()->className()) != QLatin1String(row.cls))
                report(QStringLiteral("class %1 expected, is %2").arg(row.cls, object->metaObject()->className()));
            if (!parent) {
                report(QStringLiteral("its parent ") + parentName + QStringLiteral(" is missing"));
                continue;
            }
            auto *widget = qobject_cast<QWidget *>(object);
            if (auto *layout = qobject_cast<QLayout *>(object)) {
                auto *host = qobject_cast<QWidget *>(parent);
                if (!host || layout->parentWidget() != host || host->layout() != layout)
                    report(QStringLiteral("is not the layout of ") + parentName);
                continue;
            }
            if (!widget) {
                report(QStringLiteral("is not a widget"));
                continue;
            }
            if (auto *layout = qobject_cast<QLayout *>(parent)) {
                const int index = layout->indexOf(widget);
                if (index < 0 || widget->parentWidget() != layout->parentWidget()) {
                    report(QStringLiteral("not in layout ") + parentName + QStringLiteral(" of its parent widget"));
                } else if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
                    int row_ = 0, column = 0, rowSpan = 0, columnSpan = 0;
                    grid->getItemPosition(index, &row_, &column, &rowSpan, &columnSpan);
                    const QString at = QStringLiteral("%1,%2").arg(row_).arg(column);
                    if (at != place.join(QLatin1Char(',')) || rowSpan != 1 || columnSpan != 1)
                        report(QStringLiteral("cell %1 expected, is %2 spanning %3x%4")
                                   .arg(row.place, at).arg(rowSpan).arg(columnSpan));
                } else if (auto *formLayout = qobject_cast<QFormLayout *>(layout)) {
                    int formRow = -1;
                    QFormLayout::ItemRole role = QFormLayout::SpanningRole;
                    formLayout->getWidgetPosition(widget, &formRow, &role);
                    const QString at = QStringLiteral("%1,%2").arg(formRow).arg(
                        role == QFormLayout::LabelRole ? QLatin1Char('L')
                                                       : role == QFormLayout::FieldRole ? QLatin1Char('F') : QLatin1Char('S'));
                    if (at != row.place)
                        report(QStringLiteral("form row %1 expected, is %2").arg(row.place, at));
                } else if (QString::number(index) != row.place) {
                    report(QStringLiteral("index %1 in its row expected, is %2").arg(row.place).arg(index));
                }
            } else if (auto *tabs = qobject_cast<QTabWidget *>(parent)) {
                if (tabs->indexOf(widget) != place.value(0).toInt())
                    report(QStringLiteral("page %1 expected, is page %2").arg(row.place).arg(tabs->indexOf(widget)));
            } else if (auto *area = qobject_cast<QScrollArea *>(parent)) {
                if (area->widget() != widget)
                    report(QStringLiteral("is not the contents of ") + parentName);
            } else if (widget->parentWidget() != parent) {
                report(QStringLiteral("parent %1 expected, is %2")
                           .arg(parentName, widget->parentWidget() ? widget->parentWidget()->objectName() : QString()));
            }
            if (place.size() == 4) {
                const QRect expected(place[0].toInt(), place[1].toInt(), place[2].toInt(), place[3].toInt());
                if (widget->geometry() != expected)
                    report(QStringLiteral("geometry %1 expected, is %2").arg(rectText(expected), rectText(widget->geometry())));
            }
            const QString policy = QString::fromLatin1(row.policy);
            if (!policy.isEmpty()) {
                const QSizePolicy::Policy h = policyOf(policy[0]), v = policyOf(policy[policy.size() - 1]);
                const QSizePolicy actual = widget->sizePolicy();
                if (actual.horizontalPolicy() != h || actual.verticalPolicy() != v)
                    report(QStringLiteral("size policy %1 expected, is %2/%3")
                               .arg(policy)
                               .arg(key(actual.horizontalPolicy()))
                               .arg(key(actual.verticalPolicy())));
            }
            // Later siblings lie above earlier ones and follow them in the focus chain.
            if (ordered && !qobject_cast<QTabWidget *>(parent)) {
                QWidget *owner = widget->parentWidget();
                const int index = owner ? owner->children().indexOf(widget) : -1;
                const auto last = lastChild.value(owner, qMakePair(-1, QString()));
                if (index < last.first)
                    report(QStringLiteral("created before %1, listed after it").arg(last.second));
                lastChild[owner] = qMakePair(index, name);
            }
        }
    };
    checkRows(kPlainPages, int(std::size(kPlainPages)), true);
    checkRows(kStylePages, int(std::size(kStylePages)), false);
    if (spacers != 21)
        problems << QStringLiteral("tables list %1 spacers").arg(spacers);

    // The one overlap on the style pages: the PDF row host lies above the separator.
    if (QWidget *frame = form.get<QWidget>(QStringLiteral("frame_bg_4"))) {
        const QObjectList children = frame->children();
        if (children.indexOf(form.find(QStringLiteral("line_17")))
            > children.indexOf(form.find(QStringLiteral("horizontalLayoutWidget_51"))))
            problems << QStringLiteral("line_17: created after horizontalLayoutWidget_51, must lie below it");
    }

    QHash<QString, int> totals;
    for (QObject *object : qAsConst(form.objects)) {
        ++totals[QString::fromLatin1(object->metaObject()->className())];
        if (!listed.contains(object->objectName()))
            problems << object->objectName() + QStringLiteral(": not in the form's tables (")
                            + object->metaObject()->className() + QLatin1Char(')');
    }
    for (const auto &total : kClassTotals) {
        const int found = totals.take(QString::fromLatin1(total.first));
        if (found != total.second)
            problems << QStringLiteral("%1 objects: %2 expected, %3 found").arg(total.first).arg(total.second).arg(found);
    }
    for (auto it = totals.cbegin(); it != totals.cend(); ++it)
        problems << QStringLiteral("%1 objects: none expected, %2 found").arg(it.key()).arg(it.value());

    // Layouts: exactly the listed items, spacing 6 and no margins unless stated.
    const QList<QLayout *> layouts = form.ui.centralWidget->findChildren<QLayout *>();
    int spacersFound = 0;
    for (QLayout *layout : layouts) {
        const QString name = layout->objectName();
        for (int i = 0; i < layout->count(); ++i) {
            QSpacerItem *spacer = layout->itemAt(i)->spacerItem();
            if (!spacer)
                continue;
            ++spacersFound;
            const QSizePolicy policy = spacer->sizePolicy();
            if (spacer->sizeHint() != QSize(40, 20) || policy.horizontalPolicy() != QSizePolicy::Expanding
                || policy.verticalPolicy() != QSizePolicy::Minimum)
                problems << QStringLiteral("spacer %1 of %2: 40x20 Expanding/Minimum expected, is %3x%4 %5/%6")
                                .arg(i)
                                .arg(name)
                                .arg(spacer->sizeHint().width())
                                .arg(spacer->sizeHint().height())
                                .arg(key(policy.horizontalPolicy()))
                                .arg(key(policy.verticalPolicy()));
        }
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || qobject_cast<QStackedLayout *>(layout))
            continue;
        if (layout->count() != itemsPerLayout.value(name))
            problems << QStringLiteral("%1: %2 items expected, holds %3").arg(name).arg(itemsPerLayout.value(name)).arg(layout->count());
        int h = 6, v = 6;
        QMargins margins;
        if (name == QLatin1String("gridLayout") || name == QLatin1String("gridLayout_3")) {
            h = 10;
            v = 0;
            margins = QMargins(10, 3, 10, 0);
        } else if (name == QLatin1String("toolsGridLayout")) {
            h = v = 5;
        }
        int actualH = layout->spacing(), actualV = layout->spacing();
        if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
            actualH = grid->horizontalSpacing();
            actualV = grid->verticalSpacing();
        } else if (auto *formLayout = qobject_cast<QFormLayout *>(layout)) {
            actualH = formLayout->horizontalSpacing();
            actualV = formLayout->verticalSpacing();
        }
        if (actualH != h || actualV != v)
            problems << QStringLiteral("%1: spacing %2/%3 expected, is %4/%5").arg(name).arg(h).arg(v).arg(actualH).arg(actualV);
        const QMargins actual = layout->contentsMargins();
        if (actual != margins)
            problems << QStringLiteral("%1: margins %2,%3,%4,%5 expected, are %6,%7,%8,%9")
                            .arg(name)
                            .arg(margins.left())
                            .arg(margins.top())
                            .arg(margins.right())
                            .arg(margins.bottom())
                            .arg(actual.left())
                            .arg(actual.top())
                            .arg(actual.right())
                            .arg(actual.bottom());
    }
    if (spacersFound != 21)
        problems << QStringLiteral("21 spacer items expected in the layouts, found %1").arg(spacersFound);
    failOn(problems);
}

// Texts byte for byte: title, tabs, every text column of the tables, the
// rich texts, place-holders.
void TestForm::texts()
{
    Form form;
    QStringList problems;
    if (form.window.windowTitle() != QStringLiteral("Vopa二维码解码器"))
        problems << QStringLiteral("window title: ") + quoted(form.window.windowTitle());
    QTabWidget *tabs = form.ui.tabWidget;
    if (tabs->count() != int(std::size(kTabTexts)))
        problems << QStringLiteral("tabWidget: 11 pages expected, has %1").arg(tabs->count());
    for (int i = 0; i < tabs->count() && i < int(std::size(kTabTexts)); ++i)
        if (tabs->tabText(i) != QString::fromUtf8(kTabTexts[i]))
            problems << QStringLiteral("tab %1: %2 expected, is %3").arg(i).arg(quoted(QString::fromUtf8(kTabTexts[i])), quoted(tabs->tabText(i)));

    auto checkTexts = [&](const Obj *rows, int count) {
        for (int r = 0; r < count; ++r) {
            if (!rows[r].text)
                continue;
            QObject *object = form.find(QString::fromUtf8(rows[r].name));
            const QString expected = QString::fromUtf8(rows[r].text);
            if (!object)
                continue;  // reported by the census
            const QString actual = object->property("text").toString();
            if (actual != expected)
                problems << QStringLiteral("%1: text %2 expected, is %3").arg(rows[r].name, quoted(expected), quoted(actual));
        }
    };
    checkTexts(kPlainPages, int(std::size(kPlainPages)));
    checkTexts(kStylePages, int(std::size(kStylePages)));

    // The shot hot-key hint: rich text in grey.
    if (auto *hint = form.get<QLabel>(QStringLiteral("label_3"))) {
        QTextDocument doc;
        doc.setHtml(hint->text());
        if (doc.toPlainText() != QStringLiteral("截屏快捷键：Shift + Ctrl + Z") || !Qt::mightBeRichText(hint->text())
            || !hint->text().contains(QLatin1String("#888888"), Qt::CaseInsensitive))
            problems << QStringLiteral("label_3: rich text \"截屏快捷键：Shift + Ctrl + Z\" in #888888 expected, is ") + quoted(hint->text());
    }
    // The help text: two headed paragraphs, each followed by an empty one.
    if (auto *help = form.get<QTextEdit>(QStringLiteral("textEdit"))) {
        const QStringList blocks = help->toPlainText().split(QLatin1Char('\n'));
        if (blocks.size() < 6 || blocks[0] != QStringLiteral("帮助建议") || blocks[1].isEmpty() || !blocks[2].isEmpty()
            || blocks[3] != QStringLiteral("免责声明：") || blocks[4].isEmpty() || !blocks[5].isEmpty())
            problems << QStringLiteral("textEdit: help text out of shape: ") + quoted(help->toPlainText());
    }
    const std::pair<const char *, const char *> placeholders[] = {
        {"qrcodeText", "在这输入内容"},
        {"input_codestr", "在这输入编号"},
    };
    for (const auto &p : placeholders)
        if (QObject *object = form.find(QString::fromUtf8(p.first)))
            if (object->property("placeholderText").toString() != QString::fromUtf8(p.second))
                problems << QStringLiteral("%1: place-holder %2 expected, is %3")
                                .arg(p.first, quoted(QString::fromUtf8(p.second)), quoted(object->property("placeholderText").toString()));
    failOn(problems);
}

// Sliders, combo boxes, scroll areas, minimum sizes, style sheets, frames,
// check boxes and editable fields.
void TestForm::stylePages()
{
    Form form;
    QStringList problems;
    for (const Slider &s : kSliders) {
        auto *slider = form.get<QSlider>(QString::fromLatin1(s.name));
        if (!slider) {
            problems << QString::fromLatin1(s.name) + QStringLiteral(": no such slider");
            continue;
        }
        if (slider->minimum() != s.minimum || slider->maximum() != s.maximum || slider->value() != s.value
            || slider->singleStep() != 1 || slider->pageStep() != 1 || slider->orientation() != Qt::Horizontal)
            problems << QStringLiteral("%1: range %2..%3 at %4, steps 1/1, horizontal expected; is %5..%6 at %7, steps %8/%9, %10")
                            .arg(s.name)
                            .arg(s.minimum)
                            .arg(s.maximum)
                            .arg(s.value)
                            .arg(slider->minimum())
                            .arg(slider->maximum())
                            .arg(slider->value())
                            .arg(slider->singleStep())
                            .arg(slider->pageStep())
                            .arg(slider->orientation() == Qt::Horizontal ? QStringLiteral("horizontal") : QStringLiteral("vertical"));
    }
    for (const auto &c : kCombos) {
        auto *combo = form.get<QComboBox>(QString::fromLatin1(c.first));
        if (!combo) {
            problems << QString::fromLatin1(c.first) + QStringLiteral(": no such combo box");
            continue;
        }
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        const QString expected = QString::fromUtf8(c.second);
        if (items.join(QLatin1Char('|')) != expected)
            problems << QStringLiteral("%1: items %2 expected, are %3").arg(c.first, quoted(expected), quoted(items.join(QLatin1Char('|'))));
        if (combo->currentIndex() != 0 || combo->maxVisibleItems() != 5 || combo->isEditable() || combo->duplicatesEnabled()
            || !combo->hasFrame() || combo->contextMenuPolicy() != Qt::DefaultContextMenu)
            problems << QStringLiteral("%1: index 0, 5 visible, not editable, no duplicates, framed expected; is index %2, %3 visible%4%5%6")
                            .arg(c.first)
                            .arg(combo->currentIndex())
                            .arg(combo->maxVisibleItems())
                            .arg(combo->isEditable() ? QStringLiteral(", editable") : QString())
                            .arg(combo->duplicatesEnabled() ? QStringLiteral(", duplicates") : QString())
                            .arg(combo->hasFrame() ? QString() : QStringLiteral(", frameless"));
    }
    // Each style page scrolls: its contents are taller than the visible area.
    const std::pair<const char *, int> areas[] = {
        {"proScrollArea", 1000}, {"visualScrollArea", 800}, {"bsdScrollArea", 800}, {"lkScrollArea", 800}, {"svgScrollArea", 800},
    };
    for (const auto &a : areas) {
        auto *area = form.get<QScrollArea>(QString::fromLatin1(a.first));
        QWidget *contents = area ? area->widget() : nullptr;
        if (!contents || area->widgetResizable() || contents->size() != QSize(680, a.second) || contents->height() <= 650
            || area->verticalScrollBarPolicy() != Qt::ScrollBarAsNeeded || area->horizontalScrollBarPolicy() != Qt::ScrollBarAsNeeded)
            problems << QStringLiteral("%1: fixed 680x%2 contents, scroll bars as needed expected; is %3x%4%5")
                            .arg(a.first)
                            .arg(a.second)
                            .arg(contents ? contents->width() : 0)
                            .arg(contents ? contents->height() : 0)
                            .arg(area && area->widgetResizable() ? QStringLiteral(", resizable") : QString());
    }
    for (const MinSize &m : kMinSizes)
        for (const QString &name : names(m.names))
            if (auto *widget = form.get<QWidget>(name))
                if (widget->minimumSize() != QSize(m.width, m.height))
                    problems << QStringLiteral("%1: minimum size %2x%3 expected, is %4x%5")
                                    .arg(name)
                                    .arg(m.width)
                                    .arg(m.height)
                                    .arg(widget->minimumWidth())
                                    .arg(widget->minimumHeight());
    for (const auto &s : kStyleSheets)
        for (const QString &name : names(s.first))
            if (auto *widget = form.get<QWidget>(name))
                if (sheetLines(widget->styleSheet()) != sheetLines(QString::fromUtf8(s.second)))
                    problems << QStringLiteral("%1: style sheet %2 expected, is %3").arg(name, quoted(QString::fromUtf8(s.second)), quoted(widget->styleSheet()));
    for (const Look &look : kLooks)
        for (const QString &name : names(look.names))
            if (auto *widget = form.get<QWidget>(name)) {
                QLabel reference(widget->parentWidget());
                reference.setStyleSheet(QString::fromUtf8(look.reference));
                reference.ensurePolished();
                widget->ensurePolished();
                const QFont font = widget->font(), wanted = reference.font();
                const QColor ink = widget->palette().color(QPalette::WindowText);
                const QColor wantedInk = reference.palette().color(QPalette::WindowText);
                if (font.weight() != wanted.weight() || font.pointSize() != wanted.pointSize() || font.family() != wanted.family()
                    || ink != wantedInk || (look.lines && sheetLines(widget->styleSheet()).size() != look.lines))
                    problems << QStringLiteral("%1: style sheet acting as %2 in %3 lines expected, is %4")
                                    .arg(name, quoted(QString::fromUtf8(look.reference)))
                                    .arg(look.lines)
                                    .arg(quoted(widget->styleSheet()));
            }
    for (QObject *object : qAsConst(form.objects)) {
        const QString name = object->objectName();
        if (auto *frame = qobject_cast<QFrame *>(object); frame && QLatin1String(object->metaObject()->className()) == QLatin1String("QFrame")
                                                          && name != QLatin1String("frame_2")) {
            const bool line = name.startsWith(QLatin1String("line"));
            const QFrame::Shape shape = line ? QFrame::HLine : QFrame::StyledPanel;
            const QFrame::Shadow shadow = line ? QFrame::Sunken : QFrame::Raised;
            if (frame->frameShape() != shape || frame->frameShadow() != shadow)
                problems << QStringLiteral("%1: frame shape %2/%3 expected, is %4/%5")
                                .arg(name)
                                .arg(key(shape))
                                .arg(key(shadow))
                                .arg(key(frame->frameShape()))
                                .arg(key(frame->frameShadow()));
        }
        if (auto *check = qobject_cast<QCheckBox *>(object); check && check->isChecked())
            problems << name + QStringLiteral(": starts checked");
        if (auto *edit = qobject_cast<QLineEdit *>(object); edit && edit->isReadOnly())
            problems << name + QStringLiteral(": read-only");
        if (auto *edit = qobject_cast<QTextEdit *>(object); edit && edit->isReadOnly() != (name == QLatin1String("JiemaText")))
            problems << name + (edit->isReadOnly() ? QStringLiteral(": read-only") : QStringLiteral(": editable, read-only expected"));
    }
    for (const char *name : {"label_jiemaing", "label_createing"})
        if (auto *label = form.get<QLabel>(QString::fromLatin1(name)); label && !label->wordWrap())
            problems << QString::fromLatin1(name) + QStringLiteral(": word wrap expected");
    failOn(problems);
}

// The window, the tab widget, the version badge; page 0 current; nothing
// hidden, disabled or given a tool tip by the form.
void TestForm::formWide()
{
    Form form;
    QStringList problems;
    QMainWindow &w = form.window;
    const QSize fixed(800, 650);
    if (w.objectName() != QLatin1String("MainWindow") || w.size() != fixed || w.minimumSize() != fixed
        || w.maximumSize() != fixed || w.baseSize() != fixed || !w.isEnabled() || !w.styleSheet().isEmpty())
        problems << QStringLiteral("window %1: fixed 800x650 expected; size %2x%3, min %4x%5, max %6x%7, base %8x%9")
                        .arg(w.objectName())
                        .arg(w.width())
                        .arg(w.height())
                        .arg(w.minimumWidth())
                        .arg(w.minimumHeight())
                        .arg(w.maximumWidth())
                        .arg(w.maximumHeight())
                        .arg(w.baseSize().width())
                        .arg(w.baseSize().height());
    if (w.centralWidget() != form.find(QStringLiteral("centralWidget")))
        problems << QStringLiteral("centralWidget: not the window's central widget");

    QTabWidget *tabs = form.ui.tabWidget;
    if (tabs->geometry() != QRect(0, 0, 800, 650) || tabs->tabPosition() != QTabWidget::West || tabs->tabShape() != QTabWidget::Rounded)
        problems << QStringLiteral("tabWidget: (0,0,800,650), West, rounded expected; is %1, position %2, shape %3")
                        .arg(rectText(tabs->geometry()))
                        .arg(key(tabs->tabPosition()))
                        .arg(key(tabs->tabShape()));
    if (!tabs->testAttribute(Qt::WA_SetCursor) || tabs->cursor().shape() != Qt::ArrowCursor || tabs->hasMouseTracking()
        || tabs->layoutDirection() != Qt::LeftToRight || tabs->autoFillBackground())
        problems << QStringLiteral("tabWidget: arrow cursor, no mouse tracking, left to right, no background fill expected");
    if (tabs->currentIndex() != 0 || tabs->currentWidget() != form.find(QStringLiteral("tab_one")))
        problems << QStringLiteral("tabWidget: page 0 (tab_one) current expected, is %1").arg(tabs->currentIndex());

    QLabel *badge = form.ui.versionImgLabel;
    if (badge->geometry() != QRect(2, 586, 64, 64) || !badge->testAttribute(Qt::WA_SetCursor)
        || badge->cursor().shape() != Qt::PointingHandCursor || !badge->text().isEmpty())
        problems << QStringLiteral("versionImgLabel: (2,586,64,64), pointing hand, no text expected; is %1, cursor %2")
                        .arg(rectText(badge->geometry()))
                        .arg(key(badge->cursor().shape()));
    const QObjectList top = form.ui.centralWidget->children();
    if (badge->parentWidget() != form.ui.centralWidget || top.indexOf(badge) < top.indexOf(tabs))
        problems << QStringLiteral("versionImgLabel: must be created after tabWidget on centralWidget, to lie above it");
    if (auto *button = form.get<QWidget>(QStringLiteral("meihuaBtn"));
        button && (!button->testAttribute(Qt::WA_SetCursor) || button->cursor().shape() != Qt::PointingHandCursor))
        problems << QStringLiteral("meihuaBtn: pointing-hand cursor expected");

    if (!w.toolTip().isEmpty())
        problems << QStringLiteral("window: tool tip ") + quoted(w.toolTip());
    for (int i = 0; i < tabs->count(); ++i)
        if (!tabs->isTabEnabled(i) || !tabs->tabToolTip(i).isEmpty())
            problems << QStringLiteral("tab %1: enabled without tool tip expected").arg(i);
    for (QObject *object : qAsConst(form.objects)) {
        auto *widget = qobject_cast<QWidget *>(object);
        if (!widget)
            continue;
        // The tab widget's stack keeps every page but the current one hidden.
        const bool page = tabs->indexOf(widget) >= 0;
        if (widget->isHidden() && !(page && widget != tabs->currentWidget()))
            problems << widget->objectName() + QStringLiteral(": hidden");
        if (!widget->isEnabled())
            problems << widget->objectName() + QStringLiteral(": disabled");
        if (!widget->toolTip().isEmpty())
            problems << widget->objectName() + QStringLiteral(": tool tip ") + quoted(widget->toolTip());
    }
    failOn(problems);
}

QTEST_MAIN(TestForm)

#include "tst_form.moc"
