// Tests of the decode front end: ZXing first, zbar second, the framed retry
// last; the retry's and ZXing's picture sizes; the thirteen ZXing formats;
// zbar's picture buffer and symbol order; character sets; worker threads.
// The pictures are made by zint.
#include "decodefront.h"
#include "testsupport.h"

#include <QPainter>
#include <QProcess>
#include <QSet>
#include <QtTest>

#include <zbar.h>

using namespace TestSupport;

namespace {

// A barcode picture from zint: symbology number, data (zint's escapes are on
// when `options` holds "--esc") and further options.
QImage zint(int symbology, const QString &data, const QStringList &options = {})
{
    QProcess process;
    process.start(QStringLiteral("zint"), QStringList{QStringLiteral("-b"), QString::number(symbology),
                                                      QStringLiteral("--direct"), QStringLiteral("--filetype=PNG")}
                                              + options + QStringList{QStringLiteral("-d"), data});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        qWarning("zint -b %d failed: %s", symbology, process.readAllStandardError().constData());
        return QImage();
    }
    return QImage::fromData(process.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

// The pictures on one white picture, left to right, 20 pixels apart and from
// the edges, top-aligned.
QImage sideBySide(const QList<QImage> &pictures, int minWidth = 0)
{
    int width = 20, height = 0;
    for (const QImage &picture : pictures) {
        width += picture.width() + 20;
        height = qMax(height, picture.height());
    }
    QImage out(qMax(width, minWidth), height + 40, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    int x = 20;
    for (const QImage &picture : pictures) {
        painter.drawImage(x, 20, picture);
        x += picture.width() + 20;
    }
    return out;
}

// The picture cut down to its dark pixels: a code touching all four edges.
QImage cropToInk(const QImage &picture)
{
    QRect ink;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (qGray(picture.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
    return picture.copy(ink);
}

// Dark pixels kept, light ones made fully transparent (black at alpha 0).
QImage lightToTransparent(const QImage &picture)
{
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if (qGray(out.pixel(x, y)) >= 128)
                out.setPixel(x, y, 0);
    return out;
}

// The code under light falling off from left to right: the ground goes from
// white to grey 85, the modules from grey 155 to black, so no one threshold
// separates them.
QImage unevenLight(const QImage &code)
{
    QImage out(code.width() + 80, code.height() + 80, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QRect inner(40, 40, code.width(), code.height());
            const bool dark = inner.contains(x, y) && qGray(code.pixel(x - 40, y - 40)) < 128;
            const double t = double(x) / out.width();
            const int grey = dark ? int(155 * (1 - t)) : int(255 * (1 - t) + 85 * t);
            out.setPixel(x, y, qRgb(grey, grey, grey));
        }
    return out;
}

// Every symbol text zbar's own C++ interface finds, in the order zbar lists them.
QStringList zbarListed(const QImage &picture)
{
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    QByteArray packed;
    for (int y = 0; y < grey.height(); ++y)
        packed.append(reinterpret_cast<const char *>(grey.constScanLine(y)), grey.width());
    zbar::ImageScanner scanner;
    scanner.set_config(zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 1);
    zbar::Image image(unsigned(grey.width()), unsigned(grey.height()), "Y800", packed.constData(),
                      unsigned(packed.size()));
    scanner.scan(image);
    QStringList texts;
    for (auto symbol = image.symbol_begin(); symbol != image.symbol_end(); ++symbol)
        texts << QString::fromStdString(symbol->get_data());
    image.set_data(nullptr, 0);
    return texts;
}

const QString QrText = QStringLiteral("二维码 front end");
const QString DataBarText = QStringLiteral("0100012345678905");

QImage qrPicture(const QString &text = QrText, int scale = 1)
{
    return zint(58, text, {QStringLiteral("--binary"), QStringLiteral("--scale=%1").arg(scale)});
}

QImage dataBarPicture()
{
    return zint(29, QStringLiteral("0001234567890"));
}

// A Data Matrix cut to its edges: no decoder reads it until it is framed.
QImage croppedDataMatrix()
{
    const QStringList options{QStringLiteral("--square"), QStringLiteral("--scale=3")};
    return cropToInk(zint(71, QStringLiteral("Edge to edge"), options));
}

} // namespace

class TestDecodeFront : public QObject
{
    Q_OBJECT

private slots:
    void order_data();
    void order();
    void framing();
    void zxingSettings();
    void formats_data();
    void formats();
    void zbarBuffer();
    void characterSets();
    void workerThread();
};

void TestDecodeFront::order_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<QString>("byZxing");
    QTest::addColumn<QString>("byZbar");
    QTest::addColumn<QString>("withoutRetry");
    QTest::addColumn<QString>("withRetry");

    const QImage qr = qrPicture();
    const QImage dataBar = dataBarPicture();
    const QString none;
    QTest::newRow("qr") << qr << QrText << QrText << QrText << QrText;
    // ZXing is not asked for DataBar: zbar's turn.
    QTest::newRow("databar") << sideBySide({dataBar}) << none << DataBarText << DataBarText << DataBarText;
    // zbar reads the DataBar code here, but ZXing reads first.
    QTest::newRow("qr beside databar") << sideBySide({qr, dataBar}) << QrText << DataBarText << QrText << QrText;
    QTest::newRow("cropped data matrix")
        << croppedDataMatrix() << none << none << none << QStringLiteral("Edge to edge");
    QTest::newRow("transparent ground") << lightToTransparent(qr) << none << none << none << QrText;
    QImage blank(300, 200, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QTest::newRow("blank") << blank << none << none << none << none;
    QTest::newRow("null") << QImage() << none << none << none << none;
}

void TestDecodeFront::order()
{
    QFETCH(QImage, picture);
    QFETCH(QString, byZxing);
    QFETCH(QString, byZbar);
    QFETCH(QString, withoutRetry);
    QFETCH(QString, withRetry);
    if (!picture.isNull())
        saveToGallery(QStringLiteral("decodefront_") + QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'),
                      picture);
    QCOMPARE(decodeWithZxing(picture), byZxing);
    QCOMPARE(decodeWithZbar(picture), byZbar);
    QCOMPARE(decodeImageText(picture, false), withoutRetry);
    QCOMPARE(decodeImageText(picture, true), withRetry);
    if (withoutRetry.isEmpty() && !withRetry.isEmpty()) // what the retry reads is the framed copy
        QCOMPARE(decodeImageText(framedRetryImage(picture), false), withRetry);
}

void TestDecodeFront::framing()
{
    const struct
    {
        QSize input, framed, retried;
    } sizes[] = {{{100, 50}, {140, 90}, {93, 60}},       {{1024, 768}, {1064, 808}, {707, 537}},
                 {{500, 300}, {540, 340}, {571, 360}},   {{501, 301}, {541, 341}, {333, 210}},
                 {{400, 3000}, {440, 3040}, {480, 3316}}, {{1, 1}, {41, 41}, {1, 1}}};
    for (const auto &size : sizes) {
        QImage picture(size.input, QImage::Format_RGB32);
        picture.fill(Qt::black);
        QCOMPARE(framedImage(picture).size(), size.framed);
        QCOMPARE(framedRetryImage(picture).size(), size.retried);
    }
    QVERIFY(framedRetryImage(QImage()).isNull());

    // Left half transparent, right half black at half opacity, one opaque red
    // pixel in the top left corner.
    QImage picture(60, 40, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.fillRect(30, 0, 30, 40, QColor(0, 0, 0, 128));
    painter.end();
    picture.setPixel(0, 0, qRgb(255, 0, 0));

    const QImage framed = framedImage(picture);
    QVERIFY(!framed.hasAlphaChannel());
    const QColor white(Qt::white), red(Qt::red), grey(127, 127, 127);
    QCOMPARE(checkProbes(framed, {{0, 0, white}, {19, 19, white}, {20, 20, red}, {21, 21, white}, {49, 59, white},
                                  {50, 20, grey}, {79, 59, grey}, {80, 30, white}, {99, 79, white}},
                         1),
             QString());

    // Nearest-neighbour scaling brings no colour the framed copy lacks.
    QImage checkers(120, 80, QImage::Format_RGB32);
    for (int y = 0; y < checkers.height(); ++y)
        for (int x = 0; x < checkers.width(); ++x)
            checkers.setPixel(x, y, (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    const QImage retried = framedRetryImage(checkers);
    QCOMPARE(retried.size(), QSize(128, 96));
    QSet<QRgb> colours;
    for (int y = 0; y < retried.height(); ++y)
        for (int x = 0; x < retried.width(); ++x)
            colours.insert(retried.pixel(x, y));
    QCOMPARE(colours, (QSet<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}));
}

void TestDecodeFront::zxingSettings()
{
    // The global-histogram binariser fails under uneven light where ZXing's
    // default one copes; zbar reads it for the front end.
    const QImage uneven = unevenLight(qrPicture(QStringLiteral("uneven light"), 3));
    QCOMPARE(decodeZXing(uneven, true), QStringLiteral("uneven light"));
    QCOMPARE(decodeWithZxing(uneven), QString());
    QCOMPARE(decodeImageText(uneven, false), QStringLiteral("uneven light"));

    // A low barcode near the top of a tall picture needs the try-harder pass.
    QImage tall(360, 600, QImage::Format_RGB32);
    tall.fill(Qt::white);
    QPainter painter(&tall);
    painter.drawImage(20, 20, zint(20, QStringLiteral("Top strip"), {QStringLiteral("--height=10")}));
    painter.end();
    QCOMPARE(decodeWithZxing(tall), QStringLiteral("Top strip"));

    // No rotated attempts: a barcode turned upright is zbar's.
    const QImage turned = zint(20, QStringLiteral("Turned")).transformed(QTransform().rotate(90));
    QCOMPARE(decodeZXing(turned, true), QStringLiteral("Turned"));
    QCOMPARE(decodeWithZxing(turned), QString());
    QCOMPARE(decodeImageText(turned, false), QStringLiteral("Turned"));

    const struct
    {
        QSize input, seen;
    } sizes[] = {{{2000, 1000}, {999, 499}}, {{3000, 300}, {999, 99}}, {{500, 2400}, {208, 999}},
                 {{1000, 10}, {999, 9}},     {{999, 999}, {999, 999}}, {{30, 20}, {30, 20}}};
    for (const auto &size : sizes) {
        QImage picture(size.input, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        const QImage seen = zxingInputImage(picture);
        QCOMPARE(seen.size(), size.seen);
        if (size.input == size.seen) // unchanged, not a copy
            QCOMPARE(seen.cacheKey(), picture.cacheKey());
    }

    // Smooth scaling: one-pixel stripes come out grey.
    QImage stripes(2000, 10, QImage::Format_RGB32);
    for (int x = 0; x < stripes.width(); ++x)
        for (int y = 0; y < stripes.height(); ++y)
            stripes.setPixel(x, y, x % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    const int middle = qGray(zxingInputImage(stripes).pixel(500, 2));
    QVERIFY2(middle > 64 && middle < 192, qPrintable(QString::number(middle)));

    // A code of two-pixel modules: ZXing reads it in a picture 999 wide, not
    // 3000 wide, where zbar, which sees every pixel, still reads it. Larger
    // modules survive the scaling.
    const QImage small = qrPicture(QStringLiteral("small modules"));
    const QImage large = qrPicture(QStringLiteral("large modules"), 4);
    QCOMPARE(decodeWithZxing(sideBySide({small}, 999)), QStringLiteral("small modules"));
    const QImage wide = sideBySide({small}, 3000);
    QCOMPARE(decodeWithZxing(wide), QString());
    QCOMPARE(decodeWithZbar(wide), QStringLiteral("small modules"));
    QCOMPARE(decodeImageText(wide, true), QStringLiteral("small modules"));
    QCOMPARE(decodeWithZxing(sideBySide({large}, 3000)), QStringLiteral("large modules"));
}

void TestDecodeFront::formats_data()
{
    QTest::addColumn<int>("symbology");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("expected"); // from the front end
    QTest::addColumn<bool>("listed");      // among the formats ZXing is asked for; else zbar's or nobody's

    QTest::newRow("QR Code") << 58 << QStringLiteral("QR 码") << QStringLiteral("QR 码") << true;
    QTest::newRow("Data Matrix") << 71 << QStringLiteral("Data Matrix") << QStringLiteral("Data Matrix") << true;
    QTest::newRow("Aztec") << 92 << QStringLiteral("Aztec code") << QStringLiteral("Aztec code") << true;
    QTest::newRow("PDF417") << 55 << QStringLiteral("PDF417 text") << QStringLiteral("PDF417 text") << true;
    QTest::newRow("EAN-8") << 13 << QStringLiteral("1234567") << QStringLiteral("12345670") << true;
    QTest::newRow("EAN-13") << 13 << QStringLiteral("590123412345") << QStringLiteral("5901234123457") << true;
    QTest::newRow("UPC-A") << 34 << QStringLiteral("72527270270") << QStringLiteral("725272702703") << true;
    QTest::newRow("UPC-E") << 37 << QStringLiteral("0123456") << QStringLiteral("01234565") << true;
    QTest::newRow("Code 39") << 8 << QStringLiteral("CODE39 TEST") << QStringLiteral("CODE39 TEST") << true;
    QTest::newRow("Code 93") << 25 << QStringLiteral("Code 93") << QStringLiteral("Code 93") << true;
    QTest::newRow("Code 128") << 20 << QStringLiteral("Code 128 text") << QStringLiteral("Code 128 text") << true;
    QTest::newRow("Codabar") << 18 << QStringLiteral("A12345B") << QStringLiteral("12345") << true;
    QTest::newRow("ITF") << 3 << QStringLiteral("12345678901234") << QStringLiteral("12345678901234") << true;
    QTest::newRow("DataBar") << 29 << QStringLiteral("0001234567890") << DataBarText << false;
    QTest::newRow("DataBar Expanded") << 31 << QStringLiteral("[01]98898765432106[3202]012345")
                                      << QStringLiteral("01988987654321063202012345") << false;
    QTest::newRow("Micro QR") << 97 << QStringLiteral("MICRO1") << QString() << false;
}

void TestDecodeFront::formats()
{
    QFETCH(int, symbology);
    QFETCH(QString, data);
    QFETCH(QString, expected);
    QFETCH(bool, listed);
    const QImage picture = zint(symbology, data, {QStringLiteral("--quietzones"), QStringLiteral("--scale=2")});
    QVERIFY(!picture.isNull());
    if (listed) {
        QCOMPARE(decodeWithZxing(picture), expected);
    } else {
        QVERIFY(!decodeZXing(picture, true).isEmpty()); // ZXing could read it if asked
        QCOMPARE(decodeWithZxing(picture), QString());
    }
    QCOMPARE(decodeImageText(picture, true), expected);
}

void TestDecodeFront::zbarBuffer()
{
    // Widths with and without row padding in the grey picture.
    for (int width : {101, 102, 103, 104}) {
        QImage picture(width, 80, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter painter(&picture);
        painter.drawImage(20, 20, qrPicture(QStringLiteral("width %1").arg(width)));
        painter.end();
        QCOMPARE(decodeWithZbar(picture), QStringLiteral("width %1").arg(width));
    }

    // The symbol zbar lists last wins, whichever side it is on.
    const QImage first = qrPicture(QStringLiteral("first code")), second = qrPicture(QStringLiteral("second code"));
    for (const QImage &pair : {sideBySide({first, second}), sideBySide({second, first})}) {
        const QStringList listed = zbarListed(pair);
        QCOMPARE(listed.size(), 2);
        QVERIFY(listed.first() != listed.last());
        QCOMPARE(decodeWithZbar(pair), listed.last());
    }
}

void TestDecodeFront::characterSets()
{
    const QString esc = QStringLiteral("--esc"), binary = QStringLiteral("--binary");
    const struct
    {
        QString data;
        QStringList options;
        QString text;
    } cases[] = {
        // Without ECI, bytes are read in the character set the decoder
        // recognises: UTF-8, Shift_JIS, else ISO-8859-1.
        {QStringLiteral("二维码 UTF-8"), {binary}, QStringLiteral("二维码 UTF-8")},
        {QStringLiteral("\\x83\\x65\\x83\\x58\\x83\\x67"), {binary, esc}, QStringLiteral("テスト")},
        {QStringLiteral("ab\\xff\\xfecd"), {binary, esc}, QStringLiteral("ab\u00FF\u00FEcd")},
        {QStringLiteral("h\\xe9llo"), {binary, esc}, QStringLiteral("h\u00E9llo")},
        // An ECI designator names the character set.
        {QStringLiteral("テスト"), {QStringLiteral("--eci=20")}, QStringLiteral("テスト")},
        {QStringLiteral("中文"), {QStringLiteral("--eci=29")}, QStringLiteral("中文")},
        {QStringLiteral("中文"), {QStringLiteral("--eci=26")}, QStringLiteral("中文")},
        {QStringLiteral("a\\\\b"), {QStringLiteral("--eci=26"), esc}, QStringLiteral("a\\b")},
        {QStringLiteral("中文"), {QStringLiteral("--eci=26"), QStringLiteral("--seg1=20,テスト")},
         QStringLiteral("中文テスト")},
        // The text ends at its first NUL.
        {QStringLiteral("ab\\x00cd"), {binary, esc}, QStringLiteral("ab")},
    };
    for (const auto &c : cases) {
        const QImage picture = zint(58, c.data, c.options);
        QCOMPARE(decodeWithZxing(picture), c.text);
        QCOMPARE(decodeImageText(picture, true), c.text);
    }
    // zbar hands over all of its bytes, NUL included.
    QCOMPARE(decodeWithZbar(zint(58, QStringLiteral("ab\\x00cd"), {binary, esc})), QString::fromUtf8("ab\0cd", 5));
}

void TestDecodeFront::workerThread()
{
    const QList<QImage> pictures{qrPicture(), sideBySide({dataBarPicture()}), croppedDataMatrix(),
                                 lightToTransparent(qrPicture()), sideBySide({qrPicture()}, 3000), QImage()};
    const QStringList expected{QrText, DataBarText, QStringLiteral("Edge to edge"), QrText, QrText, QString()};
    for (bool onWorker : {false, true}) {
        QStringList texts;
        const QStringList messages = collectMessages(
            [&] {
                for (const QImage &picture : pictures)
                    texts << decodeImageText(picture, true);
            },
            onWorker);
        QCOMPARE(messages, QStringList());
        QCOMPARE(texts, expected);
    }
}

QTEST_MAIN(TestDecodeFront)
#include "tst_decodefront.moc"
