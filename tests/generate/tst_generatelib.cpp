// Style settings records as generation reads them, and the filling of
// renderers from them: defaults, clamps, level mapping, output extension.
#include "bsdqr.h"
#include "lunkuoqr.h"
#include "proqrcode.h"
#include "rendererfill.h"
#include "csv.h"
#include "decodefront.h"
#include "helpers.h"
#include "statistics.h"
#include "stylepackage.h"
#include "stylerecord.h"
#include "testsupport.h"
#include "vectorqr.h"
#include "visualqr.h"

#include <QProcess>
#include <QtTest>

#include <climits>

using Filling::Caller;
using Filling::Settings;

namespace {

// Out of the class: moc counts the braces of its body.
const char kWideOutline[] = R"({"qr_size":300,"qr_lkborsize":30,"qr_blocksize":5,"qr_balpha":100,"qr_bgcolor":"#ffffff",)"
                            R"("qr_lk_color":"#000000"})";

const char kColours[] = R"({"qr_bgcolor":"#101010","qr_fgcolor":"#202020","qr_ptcolor":"#303030",)"
                        R"("qr_inptcolor":"#404040","qr_codecolor":"#505050","qr_block_0":"#606060",)"
                        R"("qr_block_1":"#707070","qr_lk_color":"#808080"})";

Settings settingsOf(const QByteArray &json, const QString &style, Caller caller = Caller::SingleGenerate)
{
    return Settings::fromRecord(StyleRecord::parse(QString::fromUtf8(json)), style, caller);
}

// The renderer fields a style's filling sets, by name, as numbers.
QMap<QString, double> filled(const QString &style, const QByteArray &json, Caller caller = Caller::SingleGenerate)
{
    const Settings s = settingsOf(json, style, caller);
    auto common = [](const auto &qr) {
        return QMap<QString, double>{{"size", qr.size},     {"version", qr.version},   {"level", qr.level},
                                     {"xt", qr.xt},         {"font", qr.codeFontSize}, {"spacing", qr.codeSpac},
                                     {"bgX", qr.bgX},       {"bgY", qr.bgY},           {"caption", qr.isCode}};
    };
    if (style == "pro") {
        ProQrcode qr;
        Filling::fill(qr, s, "x", "");
        auto f = common(qr);
        f.insert({{"margin", qr.margin}, {"logoWidth", qr.logoWidth}, {"logoHeight", qr.logoHeight}});
        return f;
    }
    if (style == "visual") {
        visualQr qr;
        Filling::fill(qr, s, "x", "");
        auto f = common(qr);
        f.insert("item", qr.xtItem);
        return f;
    }
    if (style == "bsd") {
        bsdQr qr;
        Filling::fill(qr, s, "x", "");
        auto f = common(qr);
        f.insert({{"item", qr.xtItem}, {"block", qr.blockSize}, {"alpha", qr.alpha}, {"plus", qr.isPlus}});
        return f;
    }
    if (style == "svg") {
        // The vector writer.
        svgQr qr;
        Filling::fill(qr, s, "x", "", caller, false);
        auto f = common(qr);
        f.insert({{"item", qr.xtItem}, {"block", qr.blockSize}, {"alpha", qr.alpha}, {"plus", qr.isPlus}});
        return f;
    }
    lunkuoQr qr;
    Filling::fill(qr, s, "x", "");
    auto f = common(qr);
    f.insert({{"item", qr.xtItem}, {"block", qr.blockSize}, {"alpha", qr.alpha}, {"border", qr.lkBorSize}});
    return f;
}

} // namespace

class TestGenerateLib : public QObject
{
    Q_OBJECT

    TestCwd m_cwd;

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void readingRule()
    {
        // Valid only when the text is a JSON object; an empty object counts.
        QVERIFY(StyleRecord::parse("{}").valid);
        for (const char *invalid : {"", "[1,2]", "42", "{\"qr_size\":300} trailing", "{\"qr_size\":", "not json"})
            QVERIFY2(!StyleRecord::parse(QString::fromUtf8(invalid)).valid, invalid);
        // A NUL ends the text: only the record before it is read.
        QVERIFY(TestSupport::writeBytes(m_cwd.file("r.cache"), QByteArray("{\"qr_size\":640}\0garbage", 23)));
        QCOMPARE(StyleRecord::readFile(m_cwd.file("r.cache")).values.value("qr_size").toInt(), 640);

        // Conversions: numbers as text, text as numbers, fractions rounded,
        // "FALSE" false, missing keys 0, "" or false.
        const Settings s = settingsOf(R"({"qr_size":"300","qr_margin":50.6,"qr_bgcolor":10,"qr_istran":"FALSE",)"
                                      R"("qr_isbor":"yes","qr_iscode":2,"qr_xt":true,"qr_logo":false,"qr_bgx":"x1",)"
                                      R"("qr_fgimg":null,"qr_level":[1]})", "pro");
        QCOMPARE((QList<int>{s.integer("qr_size"), s.integer("qr_margin"), s.integer("qr_xt"), s.integer("qr_bgx"),
                             s.integer("qr_level"), s.integer("qr_missing")}), (QList<int>{300, 51, 1, 0, 0, 0}));
        QCOMPARE((QStringList{s.text("qr_bgcolor"), s.text("qr_logo"), s.text("qr_fgimg"), s.text("qr_missing")}),
                 (QStringList{"10", "false", "", ""}));
        QCOMPARE((QList<bool>{s.flag("qr_istran"), s.flag("qr_isbor"), s.flag("qr_iscode"), s.flag("qr_missing")}),
                 (QList<bool>{false, true, true, false}));

        // Coordinates typed on a page.
        const QList<QPair<QString, int>> texts = {{"10", 10}, {" 7 ", 7}, {"-5", -5}, {"+3", 3}, {"", 0}, {"12.5", 0},
                                                  {"10px", 0}, {"0x10", 0}, {"2147483647", 2147483647}, {"2147483648", 0}};
        for (const auto &t : texts)
            QCOMPARE(StyleRecord::integerFromText(t.first), t.second);
    }

    void extremeNumbers()
    {
        // Numbers beyond 32 bits saturate instead of wrapping, as numbers and as text.
        const Settings s = settingsOf(R"({"qr_bgx":2147483647,"qr_bgy":-2147483649,"qr_size":1e300,)"
                                      R"("qr_margin":-1e300,"qr_version":"99999999999"})", "pro");
        QCOMPARE((QList<int>{s.integer("qr_bgx"), s.integer("qr_bgy"), s.integer("qr_size"), s.integer("qr_margin"),
                             s.integer("qr_version")}), (QList<int>{INT_MAX, INT_MIN, INT_MAX, INT_MIN, INT_MAX}));
        // Any offset places the code without overflow; one wholly outside leaves the background.
        QVERIFY(TestSupport::writeSolid("bg.png", QSize(400, 400), Qt::blue));
        for (const QPoint &offset : {QPoint(INT_MAX, 0), QPoint(0, INT_MIN), QPoint(INT_MIN, INT_MAX), QPoint(-200, 50)}) {
            ProQrcode qr;
            Filling::fill(qr, s, "x", "");
            qr.bgImg = "bg.png", qr.bgX = offset.x(), qr.bgY = offset.y();
            QVERIFY(qr.create("out.png"));
            const QImage out("out.png");
            QCOMPARE(out.size(), QSize(400, 400));
            QCOMPARE(out.pixel(0, 399) == QColor(Qt::blue).rgb(), offset.x() != -200);
        }
    }

    void filling_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("expected");
        const QList<std::tuple<const char *, const char *, const char *, double>> rows = {
            // No valid record: the generation defaults; "{}": every key 0, then clamped.
            {"pro", "[1]", "size", 300}, {"pro", "", "level", 1}, {"pro", "", "font", 14}, {"pro", "", "spacing", 2},
            {"pro", "", "margin", 10}, {"pro", "", "logoWidth", 40}, {"visual", "", "bgY", 10},
            {"bsd", "", "block", 17}, {"bsd", "", "alpha", 0.5}, {"lunkuo", "", "block", 5}, {"lunkuo", "", "border", 1},
            {"pro", "{}", "size", 100}, {"pro", "{}", "level", 1}, {"pro", "{}", "font", 8}, {"pro", "{}", "logoHeight", 0},
            {"bsd", "{}", "block", 10}, {"bsd", "{}", "alpha", 0}, {"lunkuo", "{}", "block", 3}, {"visual", "{}", "bgX", 0},
            // Clamps and the level mapping.
            {"pro", "{\"qr_size\":99}", "size", 100}, {"pro", "{\"qr_size\":100}", "size", 100},
            {"visual", "{\"qr_size\":2000}", "size", 2000}, {"bsd", "{\"qr_size\":2001}", "size", 2000},
            {"pro", "{\"qr_version\":-3}", "version", 0}, {"lunkuo", "{\"qr_version\":40}", "version", 40},
            {"visual", "{\"qr_version\":41}", "version", 40}, {"pro", "{\"qr_level\":1}", "level", 2},
            {"bsd", "{\"qr_level\":2}", "level", 3}, {"lunkuo", "{\"qr_level\":3}", "level", 0},
            {"pro", "{\"qr_level\":4}", "level", 2}, {"visual", "{\"qr_level\":-1}", "level", 2},
            {"pro", "{\"qr_xt\":7}", "xt", 7}, {"visual", "{\"qr_xt\":12}", "xt", 10}, {"bsd", "{\"qr_xt\":-1}", "xt", 0},
            {"lunkuo", "{\"qr_xtitem\":3}", "item", 2}, {"bsd", "{\"qr_xtitem\":-1}", "item", 0},
            {"pro", "{\"qr_codefontsize\":7}", "font", 8}, {"pro", "{\"qr_codefontsize\":8}", "font", 8},
            {"bsd", "{\"qr_codefontsize\":201}", "font", 200}, {"visual", "{\"qr_codespac\":300}", "spacing", 200},
            {"lunkuo", "{\"qr_codespac\":300}", "spacing", 300}, {"bsd", "{\"qr_codespac\":-5}", "spacing", 0},
            {"pro", "{\"qr_margin\":-1}", "margin", 0}, {"pro", "{\"qr_margin\":250}", "margin", 200},
            {"bsd", "{\"qr_blocksize\":9}", "block", 10}, {"lunkuo", "{\"qr_blocksize\":2}", "block", 3},
            {"bsd", "{\"qr_blocksize\":51}", "block", 50}, {"lunkuo", "{\"qr_blocksize\":51}", "block", 50},
            {"bsd", "{\"qr_balpha\":150}", "alpha", 1.5}, {"lunkuo", "{\"qr_balpha\":-10}", "alpha", -0.1},
            {"lunkuo", "{\"qr_lkborsize\":100}", "border", 10}, {"lunkuo", "{\"qr_lkborsize\":-1}", "border", 0}, {"pro", "{\"qr_bgx\":-40}", "bgX", -40},
            {"lunkuo", "{\"qr_codespac\":501}", "spacing", 500}, {"bsd", "{\"qr_isplus\":true}", "plus", 1},
            {"pro", "", "logoHeight", 40}, {"pro", "{\"qr_codespac\":7}", "spacing", 7},
            {"visual", "{\"qr_codespac\":-5}", "spacing", 0},
            // The vector writer's ground opacity, in hundredths as the other styles'.
            {"svg", "", "alpha", 0.5}, {"svg", "{\"qr_balpha\":30}", "alpha", 0.3},
            // The caption switch, which every SVG and PDF takes from the record.
            {"svg", "{\"qr_iscode\":true}", "caption", 1},
        };
        for (const auto &[style, record, field, expected] : rows)
            QTest::newRow(QStringLiteral("%1 %2 %3").arg(style, record, field).toUtf8().constData())
                << QString(style) << QByteArray(record) << QString(field) << expected;
    }
    void filling()
    {
        QFETCH(QString, style);
        QFETCH(QByteArray, record);
        QFETCH(QString, field);
        QFETCH(double, expected);
        const QMap<QString, double> fields = filled(style, record);
        QVERIFY2(fields.contains(field), qPrintable(field));
        QCOMPARE(fields.value(field), expected);
    }

    void extensionCaptionAndVector()
    {
        const QList<QPair<QString, QString>> cases = {
            {"", "png"}, {"/p/bg.jpeg", "jpg"}, {"/p/bg.jpg", "jpg"}, {"/p/bg.JPG", "png"}, {"/p/bg.gif", "gif"},
            {"/p/bg.GIF", "png"}, {"/p/bg.webp", "png"}, {"/p/my.pics/back", "png"}, {"/p/bg.png", "png"}};
        for (const auto &c : cases)
            QCOMPARE(Filling::outputExtension(Settings::fromValues({{"qr_bgimg", c.first}})), c.second);
        QCOMPARE(Filling::outputExtension(settingsOf("", "pro")), QStringLiteral("png"));
        // The caption is always handed over; the renderer draws it only when asked.
        ProQrcode qr;
        Filling::fill(qr, settingsOf("{\"qr_iscode\":false}", "pro"), "text", "A01");
        QVERIFY(qr.codeStr == "A01" && !qr.isCode && qr.content == "text");
        // Batch generation's contour defaults to block 17; its PDF and SVG keep
        // sizes a preview clamps.
        QCOMPARE(filled("lunkuo", "", Caller::Batch).value("block"), 17.0);
        const QByteArray big = "{\"qr_size\":40,\"qr_blocksize\":70,\"qr_codefontsize\":400}";
        pdfQr pdf;
        Filling::fill(pdf, settingsOf(big, "svg", Caller::Batch), "x", "", Caller::Batch, true);
        QCOMPARE((QList<double>{double(pdf.size), pdf.blockSize, double(pdf.codeFontSize)}), (QList<double>{40, 70, 400}));
        pdfQr low;
        Filling::fill(low, settingsOf(R"({"qr_size":29,"qr_xt":12,"qr_xtitem":-1,"qr_bgcolor":"#123456"})", "svg",
                                      Caller::Batch), "x", "", Caller::Batch, true);
        QCOMPARE((QList<int>{low.size, low.xt, low.xtItem}), (QList<int>{30, 10, 0}));
        QCOMPARE(low.bgColor, QColor("#123456"));
        pdfQr high;
        Filling::fill(high, settingsOf(R"({"qr_xtitem":3})", "svg", Caller::Batch), "x", "", Caller::Batch, true);
        QCOMPARE(high.xtItem, 2);
        // A contour record with outlines wider than its slider allows still renders a code that reads.
        const QString contour = m_cwd.file("wide.png");
        QVERIFY(Filling::renderCode("lunkuo", settingsOf(kWideOutline, "lunkuo"), "wide outline", "", Caller::SingleGenerate,
                                    contour));
        QCOMPARE(decodeImageText(TestSupport::prepareForDecode(QImage(contour)), true), QStringLiteral("wide outline"));
        svgQr svg;
        Filling::fill(svg, settingsOf(big, "svg", Caller::Preview), "x", "", Caller::Preview, false);
        QCOMPARE((QList<double>{double(svg.size), svg.blockSize, double(svg.codeFontSize)}), (QList<double>{100, 50, 200}));
    }

    void coloursReachEveryRenderer()
    {
        // Each colour key of a record, eye and eye centre included, reaches its field by name.
        const Settings s = settingsOf(kColours, "pro");
        const auto c = [](const char *name) { return QColor(name); };
        ProQrcode pro;
        Filling::fill(pro, s, "x", "");
        QCOMPARE((QList<QColor>{pro.bgColor, pro.fgColor, pro.ptColor, pro.inptColor, pro.codeColor}),
                 (QList<QColor>{c("#101010"), c("#202020"), c("#303030"), c("#404040"), c("#505050")}));
        bsdQr tone;
        Filling::fill(tone, s, "x", "");
        QCOMPARE((QList<QColor>{tone.bgColor, tone.ptColor, tone.inptColor, tone.codeColor, tone.block0, tone.block1}),
                 (QList<QColor>{c("#101010"), c("#303030"), c("#404040"), c("#505050"), c("#606060"), c("#707070")}));
        lunkuoQr contour;
        Filling::fill(contour, s, "x", "");
        QCOMPARE((QList<QColor>{contour.bgColor, contour.codeColor, contour.lkColor}),
                 (QList<QColor>{c("#101010"), c("#505050"), c("#808080")}));
        visualQr visual;
        Filling::fill(visual, s, "x", "");
        QCOMPARE(visual.codeColor, c("#505050"));
        svgQr vector;
        Filling::fill(vector, s, "x", "", Caller::Batch, false);
        QCOMPARE((QList<QColor>{vector.bgColor, vector.ptColor, vector.inptColor, vector.codeColor, vector.block0,
                                vector.block1}),
                 (QList<QColor>{c("#101010"), c("#303030"), c("#404040"), c("#505050"), c("#606060"), c("#707070")}));
    }

    void statisticsTexts()
    {
        const QList<std::tuple<int, int, QString>> cases = {
            {0, 0, "0 * 0.004 = 0元"}, {3, 2, "5 * 0.004 = 0.02元"}, {12345, 0, "12345 * 0.004 = 49.38元"},
            {0, 1234567, "1234567 * 0.004 = 4938.27元"}, {200000000, 50000000, "250000000 * 0.004 = 1e+06元"},
            {1, 0, "1 * 0.004 = 0.004元"}, {-7, 0, "-7 * 0.004 = -0.028元"},
            // Two large counters do not wrap to a negative price.
            {INT_MAX, INT_MAX, "4294967294 * 0.004 = 1.71799e+07元"}};
        for (const auto &[created, decoded, text] : cases)
            QCOMPARE(Statistics::priceText(created, decoded), text);
        QCOMPARE(Statistics::countText(-7) + Statistics::countText(0), QStringLiteral("-7 个0 个"));
    }

    void packageFormat()
    {
        // What a package's settings file gives an import: values, or the reason it cannot be used.
        const QList<QPair<QByteArray, QString>> files = {
            {"", "json文件读取失败"}, {QByteArray("\0{}", 3), "json文件读取失败"}, {"{\"qr_size\":", "json文件解析失败"},
            {"[1]", "json文件格式失败"}, {"{}", ""}};
        for (const auto &file : files) {
            QVERIFY(TestSupport::writeBytes(m_cwd.file("s.json"), file.first));
            QCOMPARE(StylePackage::readSettings(m_cwd.file("s.json")).error, file.second);
        }
        QCOMPARE(StylePackage::readSettings(m_cwd.file("none.json")).error, QStringLiteral("json文件读取失败"));
        QVERIFY(TestSupport::writeBytes(m_cwd.file("s.json"), "{\"qr_bgx\":25}"));
        QCOMPARE(StylePackage::readSettings(m_cwd.file("s.json")).values.value("qr_bgx").toString(), QStringLiteral("25"));

        // A picture name is a bare file name beside the settings file, or nothing.
        QCOMPARE(StylePackage::picturePath("/pk", "vopa_logo.png"), QStringLiteral("/pk/vopa_logo.png"));
        for (const char *name : {"", "..", ".", "../x.png", "/etc/passwd", "sub/x.png", "sub\\x.png", "C:x.png"})
            QVERIFY2(StylePackage::picturePath("/pk", name).isEmpty(), name);

        // The files of an export, in order: cover and background by the background's extension, then
        // logo, foreground, settings; each with its failure text.
        const auto copies = [](const char *style, const QMap<QString, QString> &pictures) {
            QStringList lines;
            for (const StylePackage::Copy &copy : StylePackage::exportCopies(*StyleCatalogue::find(style), "/c", pictures))
                lines << copy.source + " > " + copy.name + " " + copy.failure;
            return lines;
        };
        QCOMPARE(copies("pro", {{"qr_bgimg", "/p/bg.jpeg"}, {"qr_logo", "/p/l.jpg"}, {"qr_fgimg", ""}}),
                 (QStringList{"/c/pretest.jpg > vopa_cover.jpg 预览图导出失败", "/p/bg.jpeg > vopa_bgimg.jpg 背景图导出失败",
                              "/p/l.jpg > vopa_logo.png LOGO导出失败", "/c/export_style.cache > pro_setting.json 配置文件导出失败"}));
        QCOMPARE(copies("visual", {{"qr_bgimg", "/p/bg.JPG"}}).mid(0, 2),
                 (QStringList{"/c/pretest_visual.png > vopa_cover.png 预览图导出失败", "/p/bg.JPG > vopa_bgimg.png 背景图导出失败"}));
        QCOMPARE(copies("svg", {}), (QStringList{"/c/pretest_svg.png > vopa_cover.png 预览图导出失败",
                                                  "/c/export_svg.cache > svg_setting.json 配置文件导出失败"}));
        QCOMPARE(copies("pro", {{"qr_fgimg", "/p/f.gif"}}).value(1), QStringLiteral("/p/f.gif > vopa_fgimg.png 前景图导出失败"));
    }

    void csvReader()
    {
        using Rows = QList<QStringList>;
        const QList<QPair<QByteArray, Rows>> cases = {
            {"h1,h2\r\na,b\r\n", {{"h1", "h2"}, {"a", "b"}}},
            {"h1,h2\na,b", {{"h1", "h2"}, {"a", "b"}}},
            {"a,b\r", {{"a", "b\r"}}},
            {"\"x, y\",\"say \"\"hi\"\"\"\n", {{"x, y", "say \"hi\""}}},
            {"\"two\r\nlines\",after\nnext", {{"two\nlines", "after"}, {"next"}}},
            {"a\"b,c\"d\n", {{"ab,cd"}}},
            {"a,,b,\n", {{"a", "", "b", ""}}},
            {"\"\"x,\n", {{"x", ""}}},
            {"", {{""}}},
            {"\n", {{""}}},
            {"\n\n", {{""}, {""}}},
            {"\xEF\xBB\xBF名字,内容\n", {{"名字", "内容"}}},
            // A quote left open closes at the end; its row and those before it stay.
            {"\"open,a\nb", {{"open,a\nb"}}},
            {"ok,1\nx,\"open\n", {{"ok", "1"}, {"x", "open"}}}};
        for (const auto &c : cases) {
            QVERIFY(TestSupport::writeBytes(m_cwd.file("d.csv"), c.first));
            QCOMPARE(Csv::readFile(m_cwd.file("d.csv"), QString()), c.second);
        }
        QCOMPARE(Csv::readFile(m_cwd.file("none.csv"), QString()), (Rows{{""}}));
        QCOMPARE(Csv::parseString("a,b\r\nc"), (Rows{{"a", "b"}, {"c"}}));

        // A package saved by a Chinese spreadsheet program (GBK, or GB18030 beyond GBK, no mark) reads
        // as what was typed; valid UTF-8, with or without a mark, and UTF-16 with its mark read as before.
        const QString typed = QStringLiteral("名字,内容\r\n张三,第一\r\n李四,\"二,三\"\r\n");
        const Rows typedRows = {{"名字", "内容"}, {"张三", "第一"}, {"李四", "二,三"}};
        const QString beyondGbk = QStringLiteral("名字,内容\n𠮷野家,€ 𠀀\n");
        const QList<std::tuple<QString, QString, Rows>> encodings = {
            {"GBK", typed, typedRows},
            {"GB18030", beyondGbk, {{"名字", "内容"}, {"𠮷野家", "€ 𠀀"}}},
            {"UTF-8", typed, typedRows},
            {"UTF-16", typed, typedRows}};
        for (const auto &[encoding, text, rows] : encodings) {
            QVERIFY(TestSupport::writeBytes(m_cwd.file("u.csv"), text.toUtf8()));
            QProcess iconv;
            iconv.setStandardInputFile(m_cwd.file("u.csv"));
            iconv.setStandardOutputFile(m_cwd.file("d.csv"));
            iconv.start("iconv", {"-f", "UTF-8", "-t", encoding});
            QVERIFY(iconv.waitForFinished() && iconv.exitCode() == 0);
            QVERIFY(encoding != "GBK" || TestSupport::readBytes(m_cwd.file("d.csv")).contains("\xd5\xc5\xc8\xfd"));
            QCOMPARE(Csv::readFile(m_cwd.file("d.csv"), QString()), rows);
        }
        // A damaged UTF-8 package stays UTF-8: its good characters are kept and each bad byte reads as
        // U+FFFD, not the whole file as GB18030 ("浜у搧001" for "产品001"). A GBK package reads as GBK,
        // though some of its pairs pass as UTF-8, and so does a short one.
        const QByteArray head = "名字,内容\n产品001,苹果手机\n";
        const QStringList headRow = {"名字", "内容"};
        const QStringList firstRow = {"产品001", "苹果手机"};
        const QList<QPair<QByteArray, Rows>> damaged = {
            // GB18030 would read these three whole, as other Chinese characters.
            {head + "产品002,caf\xE9s\n", {headRow, firstRow, {"产品002", "caf\uFFFDs"}}},
            // Cut in the middle of 平 (E5 B9 B3), with and without a line end after it.
            {head + "产品002,华为\xE5\xB9", {headRow, firstRow, {"产品002", "华为\uFFFD\uFFFD"}}},
            {head + "产品002,华为\xE5\xB9\n", {headRow, firstRow, {"产品002", "华为\uFFFD\uFFFD"}}},
            {"名字,内容\n产品\x80" "001,苹果\xFF手机\n产品002,华为\xC0平板\n",
             {headRow, {"产品\uFFFD001", "苹果\uFFFD手机"}, {"产品002", "华为\uFFFD平板"}}},
            // As many bad bytes as good characters ("étés" in Latin-1), GB18030 reading it whole: still UTF-8.
            {"苹果,\xE9t\xE9s\n", {{"苹果", "\uFFFDt\uFFFDs"}}},
            // More bad bytes than good characters, but GB18030 reads no better: the good ones are kept.
            {"名字\xFF\xFF\xFF\n", {{"名字\uFFFD\uFFFD\uFFFD"}}},
            // GB18030 would read this without a replacement, dropping the last byte unseen.
            {"名字\x81" "0\x81" "0\x81", {{"名字\uFFFD" "0\uFFFD" "0\uFFFD"}}},
            // Emoji newer than Qt's tables beside a stray Latin-1 byte: GB18030 reads it whole, as other characters.
            {"id,text\nПривет,мир 🥹\nCaf\xE9s,🫠\n", {{"id", "text"}, {"Привет", "мир 🥹"}, {"Caf\uFFFDs", "🫠"}}},
            // GBK whose 小, 平 and 苹 (D0A1, C6BD, C6BB) are also two-byte UTF-8 characters: 4 of them, 8 bad bytes.
            {"\xD0\xA1\xC6\xBD,\xC6\xBB\xB9\xFB\n\xCD\xF5\xCE\xE5,\xC6\xBD\xB0\xE5\n",
             {{"小平", "苹果"}, {"王五", "平板"}}},
            {"\xD5\xC5\xC8\xFD,http://a.cn/1\r\n\xC0\xEE\xCB\xC4,http://a.cn/2\r\n",
             {{"张三", "http://a.cn/1"}, {"李四", "http://a.cn/2"}}}};
        for (const auto &c : damaged) {
            QVERIFY(TestSupport::writeBytes(m_cwd.file("d.csv"), c.first));
            QCOMPARE(Csv::readFile(m_cwd.file("d.csv"), QString()), c.second);
        }
        // Short packages with an ASCII header: many common characters' GBK bytes are also two-byte
        // UTF-8 characters, so a GBK package may have as many good sequences as bad ones, or only
        // good ones. Genuine UTF-8 whose every pair GB2312 could read stays UTF-8 in any one
        // alphabet, or in two word by word, and so does a damaged one.
        const QList<QPair<QByteArray, Rows>> shortOnes = {
            // GBK: 学 校 小 史 read as UTF-8 "ѧ У С ʷ"; 视 and 李 are not UTF-8.
            {"id,text\r\n\xD1\xA7\xD0\xA3,\xD0\xA1\xD1\xA7\r\n\xD3\xB0\xCA\xD3,\xCA\xB7\xD1\xA7\r\n",
             {{"id", "text"}, {"学校", "小学"}, {"影视", "史学"}}},
            {"name,content\n\xC0\xEE\xBE\xB2,u1\n\xD1\xEE\xBE\xB2,u2\n",
             {{"name", "content"}, {"李静", "u1"}, {"杨静", "u2"}}},
            // Valid both ways: UTF-8 would read Cyrillic and Latin letters side by side.
            {"id,text\n\xD1\xA7\xD0\xA3,\xCA\xB7\xD1\xA7\n", {{"id", "text"}, {"学校", "史学"}}},
            {"name,text\n\xD0\xBE\xD0\xBA\xD0\xBD\xD0\xBE,\xD0\xB4\xD0\xBE\xD0\xBC\n", {{"name", "text"}, {"окно", "дом"}}},
            {"id,text\n\xCE\xBB\xCE\xAD\xCE\xBE\xCE\xB7\n", {{"id", "text"}, {"λέξη"}}},
            {"id,text\n\xD7\xA9\xD7\xAA,\xD7\xA1\n", {{"id", "text"}, {"שת", "ס"}}},
            {"id,text\n\xD8\xA8\xD8\xA7\xD8\xA8\n", {{"id", "text"}, {"باب"}}},
            {"id,text\n\xD5\xAF\xD5\xA1,\xD5\xA1\xD5\xB5\xD5\xB8\n", {{"id", "text"}, {"կա", "այո"}}},
            {"name,text\nb\xC3\xA9" "b\xC3\xA9,10 \xCE\xBCg\n", {{"name", "text"}, {"bébé", "10 μg"}}},
            {"name,text\n\xD0\xBD\xD0\xB5\xD0\xB1\xD0\xBE,\xE5\xA4\xA9\xE7\xA9\xBA\n", {{"name", "text"}, {"небо", "天空"}}},
            // An emoji of four bytes, which GB18030 reads whole as two characters.
            {"name,text\nparty,\xF0\x9F\x8E\x89\n", {{"name", "text"}, {"party", "🎉"}}},
            // Lone symbols beside ASCII, each pair also a GB2312 character: a tie, or cheaper as symbols.
            {"name,value\nPrice,\xC2\xBD\nRoom,25\xC2\xB0\nx,\xC2\xA3" "5\n",
             {{"name", "value"}, {"Price", "½"}, {"Room", "25°"}, {"x", "£5"}}},
            // Two alphabets word by word (Armenian, Portuguese), every pair in GB2312.
            {"name,value\n\xD5\xA1\xD5\xB5\xD5\xBD,Poli\xC3\xA7" "as\n", {{"name", "value"}, {"այս", "Poliças"}}},
            // GBK: 喆 is outside GB2312; UTF-8 would read a private character.
            {"name,text\n\xC0\xEE\x86\xB4,u1\n", {{"name", "text"}, {"李喆", "u1"}}},
            // One name with such a character (喆 珺 琇 旸) beside a word, a URL or a WIFI text: about as many
            // bad UTF-8 sequences as good ones, and a pair outside GB2312.
            {"name,content\n\xD5\xC5\x86\xB4,\xC8\xEB\xB3\xA1\xC8\xAF\n", {{"name", "content"}, {"张喆", "入场券"}}},
            // ... also as the last line, without a line end.
            {"name,content\n\xD5\xC5\x86\xB4,\xC8\xEB\xB3\xA1\xC8\xAF", {{"name", "content"}, {"张喆", "入场券"}}},
            {"name,content\r\n\xD5\xC5\xAC" "B,https://a.cn/t?id=8\r\n", {{"name", "content"}, {"张珺", "https://a.cn/t?id=8"}}},
            {"name,content\n\xBA\xCE\xACL\xD1\xA9,u1\n", {{"name", "content"}, {"何琇雪", "u1"}}},
            {"name,content\n\xCC\xC6\x95" "D,WIFI:S:\xC7\xB0\xCC\xA8-5G;T:WPA;P:12345678;;\n",
             {{"name", "content"}, {"唐旸", "WIFI:S:前台-5G;T:WPA;P:12345678;;"}}},
            // One common character and one rarer (严珺), and a rarer one beside a name valid both ways (袁帅).
            {"name,text\n\xD1\xCF\xAC" "B,u1\n", {{"name", "text"}, {"严珺", "u1"}}},
            {"name,content\n\xD0\xEC\xBD\xDC\xACr,u265\n\xD4\xAC\xCB\xA7,10499\n",
             {{"name", "content"}, {"徐杰瑀", "u265"}, {"袁帅", "10499"}}},
            // Damaged: "ç" and "éé" in Latin-1 among UTF-8 accents; one flipped byte in a Russian word.
            {"id,text\n\xC3\xA9l\xC3\xA8ve,\xC3\xA9t\xC3\xA9\n\xC3\xA9" "cole,caf\xC3\xA9\nb\xC3\xA9" "b\xC3\xA9,th\xC3\xA9\n"
             "Fran\xE7ois,cr\xE9\xE9" "e\n",
             {{"id", "text"}, {"élève", "été"}, {"école", "café"}, {"bébé", "thé"}, {"Fran\uFFFDois", "cr\uFFFD\uFFFDe"}}},
            {"id,text\n\xD0\xBE\xD0\xBA\xD0\xBD\xD0\xBE,\xD0\xB4\xD0\xBE\xD0\xBC\n\xD0\xBA\xD0\xF8\xD0\xBD\xD0\xBE,"
             "\xD0\xB7\xD0\xBE\xD0\xBD\xD0\xB4\n",
             {{"id", "text"}, {"окно", "дом"}, {"к\uFFFD\uFFFDно", "зонд"}}},
            // Arabic beside Chinese, the last character cut.
            {"id,text\n\xD8\xA7\xD8\xA8\xD8\xB2\xD8\xA7\xD8\xB1,\xE7\xBA\xB3\xE4\xBC\xA6\xE5\xB7\n",
             {{"id", "text"}, {"ابزار", "纳伦\uFFFD\uFFFD"}}},
            // A flipped bit that makes one letter Armenian: still valid both ways.
            {"id,text\n\xD0\xBE\xD0\xBA\xD4\xBD\xD0\xBE,\xD0\xB4\xD0\xBE\xD0\xBC\n\xD0\xBA\xD0\xB8\xD0\xBD\xD0\xBE,"
             "\xD0\xB7\xD0\xBE\xD0\xBD\xD0\xB4\n",
             {{"id", "text"}, {"окԽо", "дом"}, {"кино", "зонд"}}}};
        for (const auto &c : shortOnes) {
            QVERIFY(TestSupport::writeBytes(m_cwd.file("d.csv"), c.first));
            QCOMPARE(Csv::readFile(m_cwd.file("d.csv"), QString()), c.second);
        }
        // Packages of one short row behind a "name,content" header, each valid both ways or nearly:
        // GBK labels and words whose UTF-8 reading is bad bytes, rare letters, marks on nothing or
        // runs no word is made of (区 two bad bytes beside an ASCII letter, 华为P60 bad bytes and a
        // lone "Ϊ", 谢谢 "лл", 通知 two combining marks, 知 a Hebrew accent, 抓住 a Hebrew final
        // form first, 一些 "һЩ", 宏碁 an uncommon Hangul syllable, 天猫 an "è" after bad bytes,
        // 品胜 "Ʒʤ"), and genuine
        // UTF-8 that GB18030 reads whole too, as few characters: accented letters and signs glued to
        // ASCII or Chinese, letters of rarer blocks that words or formulas write, abbreviations.
        const QStringList gbkLines = {"A区,https://m.example.cn/a", "华为P60,https://m.example.cn/p", "谢谢",
                                      "通知,https://m.example.cn/n", "抓住,u1", "一些", "B站台,u1", "宏碁Air,u2",
                                      "天猫Ultra2,u3", "品胜Z5,u4", "实施Civic", "乾隆,u5", "平台", "知,u6"};
        const QStringList utf8Lines = {"café咖啡,https://m.example.cn/p", "Hà Nội河内", "nǐ hǎo,u1", "5 шт,10 кг",
                                       "Tasanɣut,x", "Ǽmtig,да", "Łódź", "Voyage à Paris,Ele é bom", "Windows®,¿Qué?",
                                       "Россия,Қазақстан", "yoʻli,Kaʿba", "EF 50mm ƒ/1.8", "ɑ̄,ɑ́", "Length,мм",
                                       "үй,ұл", "ϕ = 0.5", "ܫܠܡܐ ܥܠܡܐ", "Temp,30˚"};
        QTextCodec *gbk = QTextCodec::codecForName("GBK");
        for (const QString &line : gbkLines + utf8Lines) {
            const QString text = QStringLiteral("name,content\r\n") + line + QStringLiteral("\r\n");
            QVERIFY(TestSupport::writeBytes(m_cwd.file("d.csv"), gbkLines.contains(line) ? gbk->fromUnicode(text)
                                                                                        : text.toUtf8()));
            const Rows read = Csv::readFile(m_cwd.file("d.csv"), QString());
            QVERIFY2(read == (Rows{{"name", "content"}, line.split(QLatin1Char(','))}),
                     qUtf8Printable(line + QStringLiteral(" read as ") + read.value(1).join(QLatin1Char(','))));
        }
        // Five zones, none of them alike read as GB18030, all alike ("A��") as UTF-8.
        const Rows zones = {{"name", "content"}, {"A区", "a"}, {"B区", "b"}, {"C区", "c"}, {"A座", "d"}, {"B座", "e"}};
        QVERIFY(TestSupport::writeBytes(m_cwd.file("d.csv"), gbk->fromUnicode("name,content\r\nA区,a\r\nB区,b\r\nC区,c\r\n"
                                                                               "A座,d\r\nB座,e\r\n")));
        QCOMPARE(Csv::readFile(m_cwd.file("d.csv"), QString()), zones);
        // A codec named by the caller is used as named.
        QVERIFY(TestSupport::writeBytes(m_cwd.file("d.csv"), "caf\xe9\n"));
        QCOMPARE(Csv::readFile(m_cwd.file("d.csv"), "ISO-8859-1"), (Rows{{"café"}}));

        // What writeFile writes reads back the same.
        const Rows rows = {{"name", "text"}, {"a,b", "say \"hi\""}, {"two\nlines", "lone\rcr"}, {"", "plain"}};
        QVERIFY(Csv::writeFile(rows, m_cwd.file("w.csv"), QString()));
        QCOMPARE(Csv::readFile(m_cwd.file("w.csv"), QString()), rows);
        QVERIFY(TestSupport::readBytes(m_cwd.file("w.csv")).startsWith("name,text\r\n\"a,b\",\"say \"\"hi\"\"\"\r\n"));
        QVERIFY(!Csv::writeFile(rows, m_cwd.file("no/such/w.csv"), QString()));
        // Through the program's one write path: held with the other writes of its turn, in the codec named.
        HeldWrites held;
        QVERIFY(holdingWrites(&held, [&] { return Csv::writeFile({{"名字", "内容"}}, m_cwd.file("g.csv"), "GBK"); }));
        QVERIFY(!QFile::exists(m_cwd.file("g.csv")));
        QVERIFY(makeHeldWrites(held));
        QCOMPARE(TestSupport::readBytes(m_cwd.file("g.csv")), QByteArray("\xC3\xFB\xD7\xD6,\xC4\xDA\xC8\xDD\r\n"));
    }
};

QTEST_MAIN(TestGenerateLib)
#include "tst_generatelib.moc"
