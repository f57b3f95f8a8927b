// Style settings records as generation reads them, and the filling of
// renderers from them: defaults, clamps, level mapping, output extension.
#include "bsdqr.h"
#include "lunkuoqr.h"
#include "proqrcode.h"
#include "rendererfill.h"
#include "stylerecord.h"
#include "testsupport.h"
#include "vectorqr.h"
#include "visualqr.h"

#include <QJsonDocument>
#include <QtTest>

using Filling::Caller;
using Filling::Settings;

namespace {

Settings settingsOf(const QByteArray &json, const QString &style, Caller caller = Caller::SingleGenerate)
{
    return Settings::fromRecord(StyleRecord::parse(QString::fromUtf8(json)), style, caller);
}

} // namespace

class TestGenerateLib : public QObject
{
    Q_OBJECT

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
        const StyleRecord::Read nul = StyleRecord::readFile(m_cwd.file("r.cache"));
        QVERIFY(nul.valid);
        QCOMPARE(Settings::fromRecord(nul, "pro", Caller::SingleGenerate).integer("qr_size"), 640);
        QVERIFY(!StyleRecord::readFile(m_cwd.file("missing.cache")).valid);

        // Conversions through the variants: numbers as text, text as numbers,
        // fractions rounded, "FALSE" false, missing keys 0, "" or false.
        const Settings s = settingsOf(R"({"qr_size":"300","qr_margin":50.6,"qr_bgcolor":10,"qr_istran":"FALSE",)"
                                      R"("qr_isbor":"yes","qr_iscode":2,"qr_xt":true,"qr_logo":false,"qr_bgx":"x1",)"
                                      R"("qr_fgimg":null,"qr_level":[1]})",
                                      "pro");
        QCOMPARE(s.integer("qr_size"), 300);
        QCOMPARE(s.integer("qr_margin"), 51);
        QCOMPARE(s.text("qr_bgcolor"), QStringLiteral("10"));
        QCOMPARE(s.flag("qr_istran"), false);
        QCOMPARE(s.flag("qr_isbor"), true);
        QCOMPARE(s.flag("qr_iscode"), true);
        QCOMPARE(s.integer("qr_xt"), 1);
        QCOMPARE(s.text("qr_logo"), QStringLiteral("false"));
        QCOMPARE(s.integer("qr_bgx"), 0);
        QCOMPARE(s.text("qr_fgimg"), QString());
        QCOMPARE(s.integer("qr_level"), 0);
        QCOMPARE(s.integer("qr_missing"), 0);
        QCOMPARE(s.text("qr_missing"), QString());
        QCOMPARE(s.flag("qr_missing"), false);

        // Coordinates typed on a page.
        const QList<QPair<QString, int>> texts = {{"10", 10},  {" 7 ", 7},   {"-5", -5},      {"+3", 3},
                                                  {"", 0},     {"12.5", 0},  {"10px", 0},     {"0x10", 0},
                                                  {"2147483647", 2147483647}, {"2147483648", 0}};
        for (const auto &t : texts)
            QCOMPARE(StyleRecord::integerFromText(t.first), t.second);

        // Record files of each style.
        QCOMPARE(StyleRecord::cacheFileName("pro"), QStringLiteral("create_style.cache"));
        QCOMPARE(StyleRecord::cacheFileName("lunkuo"), QStringLiteral("lunkuo_style.cache"));
        QCOMPARE(StyleRecord::exportFileName("pro"), QStringLiteral("export_style.cache"));
        QCOMPARE(StyleRecord::exportFileName("svg"), QStringLiteral("export_svg.cache"));
    }

    void defaultsAndEmptyRecord()
    {
        // No valid record: the generation defaults.
        ProQrcode pro;
        Filling::fill(pro, settingsOf("[1]", "pro"), "x", "cap");
        QCOMPARE(pro.size, 300);
        QCOMPARE(pro.level, 1);
        QCOMPARE(pro.codeFontSize, 14);
        QCOMPARE(pro.codeSpac, 2);
        QCOMPARE(pro.margin, 10);
        QCOMPARE(pro.logoWidth, 40);
        QCOMPARE(QPoint(pro.bgX, pro.bgY), QPoint(10, 10));
        QCOMPARE(pro.bgColor, QColor("#ffffff"));
        QCOMPARE(pro.codeStr, QStringLiteral("cap"));
        QCOMPARE(pro.content, QByteArray("x"));
        bsdQr tone;
        Filling::fill(tone, settingsOf("", "bsd"), "x", "");
        QCOMPARE(tone.blockSize, 17.0);
        QCOMPARE(tone.alpha, 0.5);
        QCOMPARE(tone.block0, QColor("#ffffff"));
        lunkuoQr contour;
        Filling::fill(contour, settingsOf("", "lunkuo"), "x", "");
        QCOMPARE(contour.blockSize, 5.0);
        QCOMPARE(contour.lkBorSize, 1);
        lunkuoQr batchContour;
        Filling::fill(batchContour, settingsOf("", "lunkuo", Caller::Batch), "x", "");
        QCOMPARE(batchContour.blockSize, 17.0);
        QCOMPARE(Filling::outputExtension(settingsOf("", "pro")), QStringLiteral("png"));

        // "{}": every key missing, so 0, "" or false, then clamped.
        Filling::fill(pro, settingsOf("{}", "pro"), "x", "");
        QCOMPARE(pro.size, 100);
        QCOMPARE(pro.level, 1);
        QCOMPARE(pro.codeFontSize, 8);
        QCOMPARE(pro.codeSpac, 0);
        QCOMPARE(pro.margin, 0);
        QCOMPARE(QSize(pro.logoWidth, pro.logoHeight), QSize(0, 0));
        QCOMPARE(QPoint(pro.bgX, pro.bgY), QPoint(0, 0));
        QVERIFY(!pro.fgColor.isValid());
        QVERIFY(!pro.isTran);
        Filling::fill(tone, settingsOf("{}", "bsd"), "x", "");
        QCOMPARE(tone.blockSize, 10.0);
        QCOMPARE(tone.alpha, 0.0);
        Filling::fill(contour, settingsOf("{}", "lunkuo"), "x", "");
        QCOMPARE(contour.blockSize, 3.0);
    }

    void clampsAndLevels_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("expected");
        const QList<std::tuple<const char *, const char *, int, const char *, double>> rows = {
            {"pro", "qr_size", 50, "size", 100},        {"pro", "qr_size", 99, "size", 100},
            {"pro", "qr_size", 100, "size", 100},       {"visual", "qr_size", 2000, "size", 2000},
            {"bsd", "qr_size", 2001, "size", 2000},     {"pro", "qr_version", -3, "version", 0},
            {"lunkuo", "qr_version", 40, "version", 40}, {"visual", "qr_version", 41, "version", 40},
            {"pro", "qr_level", 0, "level", 1},         {"pro", "qr_level", 1, "level", 2},
            {"bsd", "qr_level", 2, "level", 3},         {"lunkuo", "qr_level", 3, "level", 0},
            {"pro", "qr_level", 4, "level", 2},         {"visual", "qr_level", -1, "level", 2},
            {"pro", "qr_xt", 7, "xt", 7},               {"visual", "qr_xt", 12, "xt", 10},
            {"bsd", "qr_xt", -1, "xt", 0},              {"lunkuo", "qr_xtitem", 3, "xtItem", 2},
            {"pro", "qr_codefontsize", 7, "codeFontSize", 8}, {"bsd", "qr_codefontsize", 201, "codeFontSize", 200},
            {"pro", "qr_codespac", 300, "codeSpac", 200}, {"visual", "qr_codespac", 300, "codeSpac", 200},
            {"lunkuo", "qr_codespac", 300, "codeSpac", 300}, {"bsd", "qr_codespac", -5, "codeSpac", 0},
            {"pro", "qr_margin", -1, "margin", 0},      {"pro", "qr_margin", 250, "margin", 200},
            {"pro", "qr_logo_width", 0, "logoWidth", 0}, {"bsd", "qr_blocksize", 9, "blockSize", 10},
            {"lunkuo", "qr_blocksize", 2, "blockSize", 3}, {"bsd", "qr_blocksize", 51, "blockSize", 50},
            {"lunkuo", "qr_blocksize", 51, "blockSize", 50}, {"bsd", "qr_balpha", 150, "alpha", 1.5},
            {"lunkuo", "qr_balpha", -10, "alpha", -0.1}, {"lunkuo", "qr_lkborsize", 0, "lkBorSize", 0},
            {"lunkuo", "qr_lkborsize", 100, "lkBorSize", 100}, {"pro", "qr_bgx", -40, "bgX", -40},
        };
        for (const auto &row : rows)
            QTest::newRow(QStringLiteral("%1 %2 %3").arg(std::get<0>(row), std::get<1>(row)).arg(std::get<2>(row)).toUtf8().constData())
                << QString(std::get<0>(row)) << QString(std::get<1>(row)) << std::get<2>(row)
                << QString(std::get<3>(row)) << std::get<4>(row);
    }

    void clampsAndLevels()
    {
        QFETCH(QString, style);
        QFETCH(QString, key);
        QFETCH(int, value);
        QFETCH(QString, field);
        QFETCH(double, expected);
        const QByteArray record = "{\"" + key.toLatin1() + "\":" + QByteArray::number(value) + "}";
        const Settings s = settingsOf(record, style);
        double actual = -12345;
        auto read = [&](auto &qr) {
            Filling::fill(qr, s, "x", "");
            const QMap<QString, double> fields = fieldsOf(qr);
            QVERIFY2(fields.contains(field), qPrintable(field));
            actual = fields.value(field);
        };
        if (style == "pro") {
            ProQrcode qr;
            read(qr);
        } else if (style == "visual") {
            visualQr qr;
            read(qr);
        } else if (style == "bsd") {
            bsdQr qr;
            read(qr);
        } else {
            lunkuoQr qr;
            read(qr);
        }
        QCOMPARE(actual, expected);
    }

    void outputExtensionAndCaption()
    {
        const QList<QPair<QString, QString>> cases = {
            {"", "png"},           {"/p/bg.jpeg", "jpg"}, {"/p/bg.jpg", "jpg"},  {"/p/bg.JPG", "png"},
            {"/p/bg.gif", "gif"},  {"/p/bg.GIF", "png"},  {"/p/bg.webp", "png"}, {"/p/my.pics/back", "png"},
            {"/p/bg.png", "png"},  {"noext", "png"},
        };
        for (const auto &c : cases) {
            QJsonObject record{{"qr_bgimg", c.first}};
            const Settings s = Settings::fromRecord(StyleRecord::parse(QString::fromUtf8(QJsonDocument(record).toJson())),
                                                    "pro", Caller::SingleGenerate);
            QCOMPARE(Filling::outputExtension(s), c.second);
        }
        // The caption is always handed over; the renderer draws it only when asked.
        ProQrcode qr;
        Filling::fill(qr, settingsOf("{\"qr_iscode\":false}", "pro"), "text", "A01");
        QCOMPARE(qr.codeStr, QStringLiteral("A01"));
        QVERIFY(!qr.isCode);

        // The vector writers: batch limits and a preview's.
        pdfQr pdf;
        Filling::fill(pdf, settingsOf("{\"qr_size\":40,\"qr_blocksize\":70,\"qr_codefontsize\":400}", "svg",
                                      Caller::Batch), "x", "", Caller::Batch, true);
        QCOMPARE(pdf.size, 40);
        QCOMPARE(pdf.blockSize, 70.0);
        QCOMPARE(pdf.codeFontSize, 400);
        svgQr svg;
        Filling::fill(svg, settingsOf("{\"qr_size\":40,\"qr_blocksize\":70,\"qr_codefontsize\":400}", "svg",
                                      Caller::Preview), "x", "", Caller::Preview, false);
        QCOMPARE(svg.size, 100);
        QCOMPARE(svg.blockSize, 50.0);
        QCOMPARE(svg.codeFontSize, 200);
    }

private:
    template <typename Renderer>
    static QMap<QString, double> fieldsOf(const Renderer &qr)
    {
        QMap<QString, double> f{{"size", qr.size},         {"version", qr.version},   {"level", qr.level},
                                {"xt", qr.xt},             {"codeFontSize", qr.codeFontSize},
                                {"codeSpac", qr.codeSpac}, {"bgX", qr.bgX}};
        if constexpr (std::is_same_v<Renderer, ProQrcode>) {
            f.insert("margin", qr.margin);
            f.insert("logoWidth", qr.logoWidth);
        } else {
            f.insert("xtItem", qr.xtItem);
        }
        if constexpr (std::is_same_v<Renderer, bsdQr> || std::is_same_v<Renderer, lunkuoQr>) {
            f.insert("blockSize", qr.blockSize);
            f.insert("alpha", qr.alpha);
        }
        if constexpr (std::is_same_v<Renderer, lunkuoQr>)
            f.insert("lkBorSize", qr.lkBorSize);
        return f;
    }

    TestCwd m_cwd;
};

QTEST_MAIN(TestGenerateLib)
#include "tst_generatelib.moc"
