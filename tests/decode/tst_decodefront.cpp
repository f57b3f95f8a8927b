// The decode front end: ZXing first, zbar second, the framed retry last; the
// sizes of the retry's and ZXing's pictures; the formats and character sets
// read; decoding on a worker thread. The pictures are made by zint.
#include "decodefront.h"
#include "testsupport.h"

#include <QProcess>
#include <QtTest>

namespace {

// A barcode picture from zint: symbology number, data and further options.
QImage zint(int symbology, const QString &data, const QStringList &options = {})
{
    QProcess process;
    process.start("zint", QStringList{"-b", QString::number(symbology), "--direct", "--filetype=PNG"} + options
                              + QStringList{"-d", data});
    process.waitForFinished(30000);
    return QImage::fromData(process.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestDecodeFront : public QObject
{
    Q_OBJECT

private slots:
    void order()
    {
        // What ZXing reads, what zbar reads, and what the front end gives with
        // the retry. ZXing reads first: it drops Codabar's start and stop
        // characters, zbar keeps them. ZXing is not asked for DataBar; the
        // picture's width of 102 makes Qt pad the rows zbar is given. The Data
        // Matrix's modules touch the edges: it is read once framed in white.
        const QString qr = QStringLiteral("二维码 front end"), dataBar = "0100012345678905", edges = "Edge to edge";
        const struct { QImage picture; QString byZxing, byZbar, retried; } cases[] = {
            {zint(58, qr, {"--binary"}), qr, qr, qr},
            {zint(18, "A12345B"), "12345", "A12345B", "12345"},
            {zint(29, "0001234567890", {"--whitesp=3", "--vwhitesp=3", "--scale=0.5"}), {}, dataBar, dataBar},
            {zint(71, edges, {"--square", "--scale=3"}), {}, {}, edges},
            {QImage(), {}, {}, {}}};
        for (const auto &c : cases) {
            QCOMPARE(decodeWithZxing(c.picture), c.byZxing);
            QCOMPARE(decodeWithZbar(c.picture), c.byZbar);
            QCOMPARE(decodeImageText(c.picture, false), c.byZxing.isEmpty() ? c.byZbar : c.byZxing);
            // The same on a worker thread, without a Qt message.
            QString text;
            QCOMPARE(TestSupport::collectMessages([&] { text = decodeImageText(c.picture, true); }), QStringList());
            QCOMPARE(text, c.retried);
        }
    }

    void pictureSizes()
    {
        // The retry: framed by 20 pixels, then into 70 % of the size when wider
        // than 500, else into 120 %, the framed copy's aspect kept; the picture
        // lies whole inside the frame, which is scaled with it (a large picture
        // is scaled before it is framed, on each axis by its own factor). ZXing:
        // scaled down to fit 999 x 999.
        const struct { QImage (*scale)(const QImage &); QSize input, output; QRect picture; } sizes[] = {
            {framedRetryImage, {100, 50}, {93, 60}, {13, 13, 67, 34}},
            {framedRetryImage, {1024, 768}, {707, 537}, {13, 13, 680, 510}},
            {framedRetryImage, {500, 300}, {571, 360}, {21, 21, 529, 318}},
            {framedRetryImage, {501, 301}, {333, 210}, {12, 12, 308, 185}},
            {framedRetryImage, {100, 300}, {120, 291}, {17, 17, 86, 257}},
            {framedRetryImage, {600, 1200}, {420, 813}, {13, 13, 394, 787}},
            {zxingInputImage, {2000, 1000}, {999, 499}, {0, 0, 999, 499}},
            {zxingInputImage, {500, 2400}, {208, 999}, {0, 0, 208, 999}},
            {zxingInputImage, {999, 999}, {999, 999}, {0, 0, 999, 999}}};
        for (const auto &size : sizes) {
            QImage picture(size.input, QImage::Format_RGB32);
            picture.fill(Qt::black);
            const QImage scaled = size.scale(picture);
            QCOMPARE(scaled.size(), size.output);
            QRect dark;
            int darkPixels = 0;
            for (int y = 0; y < scaled.height(); ++y)
                for (int x = 0; x < scaled.width(); ++x)
                    if (qGray(scaled.pixel(x, y)) < 128) {
                        dark |= QRect(x, y, 1, 1);
                        ++darkPixels;
                    }
            QCOMPARE(dark, size.picture);
            QCOMPARE(darkPixels, dark.width() * dark.height());
        }
        QVERIFY(framedRetryImage(QImage()).isNull());
    }

    void texts()
    {
        // The thirteen formats ZXing is asked for, then zbar's and nobody's;
        // without a text a row reads back the data given to zint. Without an
        // ECI designator the bytes are read as UTF-8, Shift_JIS or else
        // ISO-8859-1, as ZXing recognises them; with one, in its set. The text
        // ends at its first NUL.
        const struct { int symbology; const char *data, *text = nullptr; bool byZxing = true;
                       const char *options = "--quietzones --scale=2"; } cases[] = {
            {58, "QR 码"}, {71, "Data Matrix"}, {92, "Aztec code"}, {55, "PDF417 text"},
            {13, "1234567", "12345670"}, {13, "590123412345", "5901234123457"}, {34, "72527270270", "725272702703"},
            {37, "0123456", "01234565"}, {8, "CODE39 TEST"}, {25, "Code 93"}, {20, "Code 128 text"},
            {18, "A12345B", "12345"}, {3, "12345678901234"}, {29, "0001234567890", "0100012345678905", false},
            {31, "[01]98898765432106[3202]012345", "01988987654321063202012345", false}, {97, "MICRO1", "", false},
            {58, "\\x83\\x65\\x83\\x58\\x83\\x67", "テスト", true, "--binary --esc"},
            {58, "h\\xe9llo", "h\u00E9llo", true, "--binary --esc"}, {58, "テスト", nullptr, true, "--eci=20"},
            {58, "中文", nullptr, true, "--eci=29"}, {58, "ab\\x00cd", "ab", true, "--binary --esc"}};
        for (const auto &c : cases) {
            const QString text = QString::fromUtf8(c.text ? c.text : c.data);
            const QImage picture = zint(c.symbology, QString::fromUtf8(c.data), QString(c.options).split(' '));
            QCOMPARE(decodeWithZxing(picture), c.byZxing ? text : QString());
            QCOMPARE(decodeImageText(picture, true), text);
        }
    }
};

QTEST_MAIN(TestDecodeFront)
#include "tst_decodefront.moc"
