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

#include <functional>
#include <zbar.h>

using namespace TestSupport;

namespace {

const QString QrText = QStringLiteral("二维码 front end");
const QString DataBarText = QStringLiteral("0100012345678905");

// A barcode picture from zint: symbology number, data (zint's escapes are on
// when `options` holds "--esc") and further options.
QImage zint(int symbology, const QString &data, const QStringList &options = {})
{
    QProcess process;
    process.start("zint", QStringList{"-b", QString::number(symbology), "--direct", "--filetype=PNG"} + options
                              + QStringList{"-d", data});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qWarning("zint -b %d failed: %s", symbology, process.readAllStandardError().constData());
    return QImage::fromData(process.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

QImage qrPicture(const QString &text = QrText, int scale = 1)
{
    return zint(58, text, {"--binary", QStringLiteral("--scale=%1").arg(scale)});
}

QImage dataBarPicture()
{
    return zint(29, "0001234567890");
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
    for (int i = 0, x = 20; i < pictures.size(); x += pictures.at(i++).width() + 20)
        painter.drawImage(x, 20, pictures.at(i));
    return out;
}

// The picture with each pixel replaced by what `pixel` makes of it.
QImage mapped(QImage picture, const std::function<QRgb(int x, int y, QRgb colour)> &pixel)
{
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, pixel(x, y, picture.pixel(x, y)));
    return picture;
}

// Dark pixels kept, light ones made fully transparent (black at alpha 0).
QImage lightToTransparent(const QImage &picture)
{
    return mapped(picture.convertToFormat(QImage::Format_ARGB32), [](int, int, QRgb c) { return qGray(c) < 128 ? c : 0; });
}

// A Data Matrix cut down to its dark pixels, touching all four edges: no
// decoder reads it until it is framed.
QImage croppedDataMatrix()
{
    const QImage code = zint(71, "Edge to edge", {"--square", "--scale=3"});
    QRect ink;
    mapped(code, [&](int x, int y, QRgb c) {
        ink |= qGray(c) < 128 ? QRect(x, y, 1, 1) : QRect();
        return c;
    });
    return code.copy(ink);
}

// The code, 40 pixels in, under light falling off from left to right: the
// ground goes from white to grey 85, the modules from grey 155 to black, so
// no one threshold separates them.
QImage unevenLight(const QImage &code)
{
    const QImage ground = sideBySide({sideBySide({code})});
    return mapped(ground, [&](int x, int, QRgb c) {
        const double t = double(x) / ground.width();
        const int grey = qGray(c) < 128 ? int(155 * (1 - t)) : int(255 * (1 - t) + 85 * t);
        return qRgb(grey, grey, grey);
    });
}

// Every symbol text zbar's own C++ interface finds, in the order zbar lists them.
QStringList zbarListed(const QImage &picture)
{
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    QByteArray packed;
    for (int y = 0; y < grey.height(); ++y)
        packed.append(reinterpret_cast<const char *>(grey.constScanLine(y)), grey.width());
    zbar::Image image(unsigned(grey.width()), unsigned(grey.height()), "Y800", packed.constData(),
                      unsigned(packed.size()));
    zbar::ImageScanner().scan(image);
    QStringList texts;
    for (auto symbol = image.symbol_begin(); symbol != image.symbol_end(); ++symbol)
        texts << QString::fromStdString(symbol->get_data());
    image.set_data(nullptr, 0);
    return texts;
}

} // namespace

class TestDecodeFront : public QObject
{
    Q_OBJECT

private slots:
    void order_data()
    {
        QTest::addColumn<QImage>("picture");
        QTest::addColumn<QString>("byZxing");
        QTest::addColumn<QString>("byZbar");
        QTest::addColumn<QString>("retried"); // what the retry reads when both find nothing
        const QImage qr = qrPicture(), dataBar = dataBarPicture();
        const QString none;
        QTest::newRow("qr") << qr << QrText << QrText << none;
        // ZXing is not asked for DataBar: zbar's turn.
        QTest::newRow("databar") << sideBySide({dataBar}) << none << DataBarText << none;
        // zbar reads the DataBar code here, but ZXing reads first.
        QTest::newRow("qr beside databar") << sideBySide({qr, dataBar}) << QrText << DataBarText << none;
        QTest::newRow("cropped data matrix") << croppedDataMatrix() << none << none << QStringLiteral("Edge to edge");
        QTest::newRow("transparent ground") << lightToTransparent(qr) << none << none << QrText;
        QTest::newRow("blank") << sideBySide({}, 300) << none << none << none;
        QTest::newRow("null") << QImage() << none << none << none;
    }

    void order()
    {
        QFETCH(QImage, picture);
        QFETCH(QString, byZxing);
        QFETCH(QString, byZbar);
        QFETCH(QString, retried);
        if (!picture.isNull())
            saveToGallery("decodefront_" + QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'), picture);
        QCOMPARE(decodeWithZxing(picture), byZxing);
        QCOMPARE(decodeWithZbar(picture), byZbar);
        const QString first = byZxing.isEmpty() ? byZbar : byZxing;
        QCOMPARE(decodeImageText(picture, false), first);
        QCOMPARE(decodeImageText(picture, true), first.isEmpty() ? retried : first);
        if (first.isEmpty()) // what the retry reads is the framed copy
            QCOMPARE(decodeImageText(framedRetryImage(picture), false), retried);
    }

    void framing()
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

        // Left half transparent, right half black at half opacity, one opaque
        // red pixel in the top left corner: flattened onto white.
        QImage picture(60, 40, QImage::Format_ARGB32);
        picture.fill(Qt::transparent);
        QPainter(&picture).fillRect(30, 0, 30, 40, QColor(0, 0, 0, 128));
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
        checkers.fill(Qt::white);
        checkers = mapped(checkers, [](int x, int y, QRgb c) { return (x + y) % 2 ? qRgb(0, 0, 0) : c; });
        const QImage retried = framedRetryImage(checkers);
        QCOMPARE(retried.size(), QSize(128, 96));
        QSet<QRgb> colours;
        mapped(retried, [&](int, int, QRgb c) {
            colours.insert(c);
            return c;
        });
        QCOMPARE(colours, (QSet<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}));
    }

    void zxingSettings()
    {
        // Under uneven light, which the global-histogram binariser cannot
        // take, and on a barcode turned upright, as no rotated attempts are
        // made, ZXing finds nothing and zbar reads for the front end, though
        // ZXing's defaults read both.
        const std::pair<QImage, QString> cases[] = {
            {unevenLight(qrPicture("uneven light", 3)), "uneven light"},
            {zint(20, "Turned").transformed(QTransform().rotate(90)), "Turned"}};
        for (const auto &[picture, text] : cases) {
            QCOMPARE(decodeZXing(picture, true), text);
            QCOMPARE(decodeWithZxing(picture), QString());
            QCOMPARE(decodeImageText(picture, false), text);
        }

        // A low barcode near the top of a tall picture needs the try-harder pass.
        QImage tall(360, 600, QImage::Format_RGB32);
        tall.fill(Qt::white);
        QPainter(&tall).drawImage(20, 20, zint(20, "Top strip", {"--height=10"}));
        QCOMPARE(decodeWithZxing(tall), QStringLiteral("Top strip"));

        // Pictures over 999 pixels are scaled down to fit, smoothly: one-pixel
        // stripes come out grey.
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
        QImage stripes(2000, 10, QImage::Format_RGB32);
        stripes.fill(Qt::white);
        stripes = mapped(stripes, [](int x, int, QRgb c) { return x % 2 ? qRgb(0, 0, 0) : c; });
        const int middle = qGray(zxingInputImage(stripes).pixel(500, 2));
        QVERIFY2(middle > 64 && middle < 192, qPrintable(QString::number(middle)));

        // A code of two-pixel modules: ZXing reads it in a picture 999 wide, not
        // 3000 wide, where zbar, which sees every pixel, still reads it. Larger
        // modules survive the scaling.
        const QImage small = qrPicture("small modules");
        QCOMPARE(decodeWithZxing(sideBySide({small}, 999)), QStringLiteral("small modules"));
        const QImage wide = sideBySide({small}, 3000);
        QCOMPARE(decodeWithZxing(wide), QString());
        QCOMPARE(decodeImageText(wide, true), QStringLiteral("small modules"));
        QCOMPARE(decodeWithZxing(sideBySide({qrPicture("large modules", 4)}, 3000)), QStringLiteral("large modules"));
    }

    void formats()
    {
        // The thirteen formats ZXing is asked for, then zbar's and nobody's.
        const struct
        {
            int symbology;
            const char *data, *text = nullptr; // given to zint, read by the front end (null: the data)
            bool listed = true;
        } cases[] = {{58, "QR 码"}, {71, "Data Matrix"}, {92, "Aztec code"}, {55, "PDF417 text"},
                     {13, "1234567", "12345670"}, {13, "590123412345", "5901234123457"},
                     {34, "72527270270", "725272702703"}, {37, "0123456", "01234565"}, {8, "CODE39 TEST"},
                     {25, "Code 93"}, {20, "Code 128 text"}, {18, "A12345B", "12345"}, {3, "12345678901234"},
                     {29, "0001234567890", "0100012345678905", false},
                     {31, "[01]98898765432106[3202]012345", "01988987654321063202012345", false},
                     {97, "MICRO1", "", false}};
        for (const auto &c : cases) {
            const QString text = QString::fromUtf8(c.text ? c.text : c.data);
            const QImage picture = zint(c.symbology, QString::fromUtf8(c.data), {"--quietzones", "--scale=2"});
            QVERIFY2(!picture.isNull(), c.data);
            // Those not listed ZXing could read if asked.
            QVERIFY2(c.listed || !decodeZXing(picture, true).isEmpty(), c.data);
            QCOMPARE(decodeWithZxing(picture), c.listed ? text : QString());
            QCOMPARE(decodeImageText(picture, true), text);
        }
    }

    void zbarBuffer()
    {
        // Widths with and without row padding in the grey picture.
        for (int width : {101, 102, 103, 104}) {
            const QImage picture = sideBySide({qrPicture(QStringLiteral("width %1").arg(width))}, width);
            QCOMPARE(picture.width(), width);
            QCOMPARE(decodeWithZbar(picture), QStringLiteral("width %1").arg(width));
        }

        // The symbol zbar lists last wins, whichever side it is on.
        const QImage first = qrPicture("first code"), second = qrPicture("second code");
        for (const QImage &pair : {sideBySide({first, second}), sideBySide({second, first})}) {
            const QStringList listed = zbarListed(pair);
            QCOMPARE(listed.size(), 2);
            QVERIFY(listed.first() != listed.last());
            QCOMPARE(decodeWithZbar(pair), listed.last());
        }
    }

    void characterSets()
    {
        const QString esc = QStringLiteral("--esc"), binary = QStringLiteral("--binary");
        const struct
        {
            const char *data;
            QStringList options;
            QString text;
        } cases[] = {
            // Without ECI, bytes are read in the character set the decoder
            // recognises: UTF-8, Shift_JIS, else ISO-8859-1.
            {"二维码 UTF-8", {binary}, QStringLiteral("二维码 UTF-8")},
            {"\\x83\\x65\\x83\\x58\\x83\\x67", {binary, esc}, QStringLiteral("テスト")},
            {"ab\\xff\\xfecd", {binary, esc}, QStringLiteral("ab\u00FF\u00FEcd")},
            {"h\\xe9llo", {binary, esc}, QStringLiteral("h\u00E9llo")},
            // An ECI designator names the character set.
            {"テスト", {"--eci=20"}, QStringLiteral("テスト")}, {"中文", {"--eci=29"}, QStringLiteral("中文")},
            {"中文", {"--eci=26"}, QStringLiteral("中文")}, {"a\\\\b", {"--eci=26", esc}, QStringLiteral("a\\b")},
            {"中文", {"--eci=26", "--seg1=20,テスト"}, QStringLiteral("中文テスト")},
            // The text ends at its first NUL.
            {"ab\\x00cd", {binary, esc}, QStringLiteral("ab")},
        };
        for (const auto &c : cases) {
            const QImage picture = zint(58, QString::fromUtf8(c.data), c.options);
            QCOMPARE(decodeWithZxing(picture), c.text);
            QCOMPARE(decodeImageText(picture, true), c.text);
        }
        // zbar hands over all of its bytes, NUL included.
        QCOMPARE(decodeWithZbar(zint(58, "ab\\x00cd", {binary, esc})), QString::fromUtf8("ab\0cd", 5));
    }

    void workerThread()
    {
        const QList<QImage> pictures{qrPicture(), sideBySide({dataBarPicture()}), croppedDataMatrix(),
                                     lightToTransparent(qrPicture()), sideBySide({qrPicture()}, 3000), QImage()};
        const QStringList expected{QrText, DataBarText, "Edge to edge", QrText, QrText, QString()};
        for (bool onWorker : {false, true}) {
            QStringList texts;
            const auto work = [&] {
                for (const QImage &picture : pictures)
                    texts << decodeImageText(picture, true);
            };
            QCOMPARE(collectMessages(work, onWorker), QStringList());
            QCOMPARE(texts, expected);
        }
    }
};

QTEST_MAIN(TestDecodeFront)
#include "tst_decodefront.moc"
