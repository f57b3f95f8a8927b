// The standard renderer: geometry probes, the output cases and decoding of
// every render back to its text.
#include "gifimage.h"
#include "helpers.h"
#include "proqrcode.h"
#include "qrsymbol.h"
#include "rasteroutput.h"
#include "testsupport.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QThread>
#include <QtTest>

using namespace TestSupport;

namespace {

QImage loadFirst(const QString &path)
{
    QImageReader reader(path);
    return reader.read();
}

bool sameColor(QRgb a, const QColor &b, int tolerance = 0)
{
    return qAbs(qRed(a) - b.red()) <= tolerance && qAbs(qGreen(a) - b.green()) <= tolerance
           && qAbs(qBlue(a) - b.blue()) <= tolerance;
}

// The symbol the renderer will draw for these settings.
struct Symbol
{
    explicit Symbol(const QByteArray &text, int version = 0, int level = 2)
        : content(text), holder(encodeQrContent(content, version, level, 2, true)), grid(holder.get())
    {
    }
    QByteArray content;
    QrSymbolHolder holder;
    QrGrid grid;
};

// An ordinary dark module (outside finders, alignment areas and their
// neighbourhood) whose right neighbour is light, or (-1, -1).
QPoint ordinaryDarkModule(const QrGrid &grid, const std::function<bool(int, int)> &extra = {})
{
    const int w = grid.width();
    for (int y = 9; y < w - 9; ++y) {
        for (int x = 9; x < w - 9; ++x) {
            if (!grid.dark(x, y) || grid.dark(x + 1, y) || grid.inAlignmentArea(x, y)
                || grid.inAlignmentArea(x + 1, y) || x == 6 || y == 6)
                continue;
            if (extra && !extra(x, y))
                continue;
            return QPoint(x, y);
        }
    }
    return QPoint(-1, -1);
}

void writeSolid(const QString &path, const QSize &size, const QColor &color, const char *format = nullptr)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    QVERIFY(image.save(path, format));
}

// A three-frame animated background with distinct colours and delays.
void writeAnimatedBackground(const QString &path, const QSize &size, const QList<int> &delays)
{
    GifImage gif(size);
    gif.setLoopCount(0);
    const QColor colors[] = {QColor(250, 230, 200), QColor(200, 230, 250), QColor(220, 250, 210),
                             QColor(250, 210, 240)};
    for (int i = 0; i < delays.size(); ++i) {
        QImage frame(size, QImage::Format_RGB32);
        frame.fill(colors[i % 4]);
        QPainter painter(&frame);
        painter.setPen(QPen(Qt::darkGray, 3));
        painter.drawLine(0, i * 10, size.width(), size.height() - i * 10);
        painter.end();
        gif.addFrame(frame, QPoint(0, 0), delays.at(i));
    }
    QVERIFY(gif.save(path));
}

} // namespace

class TestProQrcode : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void defaultsAndFields();
    void moduleAndPatternGeometry();
    void roundModulesTruncate();
    void logoPlateAndCaption();
    void transparencyAndTexture();
    void lookVariants();
    void decodesAcrossLevelsVersionsLooks();
    void decodesWithExtras();
    void stillBackground();
    void animatedBackground();
    void gifOutputNeverEmpty();
    void failures();
    void runsOnWorkerThread();

private:
    TestCwd m_cwd;
};

void TestProQrcode::defaultsAndFields()
{
    ProQrcode qr;
    QCOMPARE(qr.caseSensitive, true);
    QCOMPARE(qr.margin, 10);
    QCOMPARE(qr.fgColor, QColor("#000000"));
    QCOMPARE(qr.bgColor, QColor("#ffffff"));
    QCOMPARE(qr.ptColor, QColor("#000000"));
    QCOMPARE(qr.inptColor, QColor("#000000"));
    QCOMPARE(qr.hint, 2);
    QCOMPARE(qr.level, 2);
    QCOMPARE(qr.size, 300);
    QCOMPARE(qr.logoWidth, 40);
    QCOMPARE(qr.logoHeight, 40);
    QCOMPARE(qr.logoRatio, 0.2);
    QCOMPARE(qr.version, 0);
    QCOMPARE(qr.xt, 0);
    QCOMPARE(qr.codeFontSize, 14);
    QCOMPARE(qr.codeSpac, 2);

    // An empty content encodes the site address and keeps it; logoRatio follows the level.
    qr.level = 1;
    QVERIFY(qr.create(m_cwd.file("empty.png")));
    QCOMPARE(qr.content, QByteArray(kProductSite));
    QCOMPARE(qr.logoRatio, 0.13);
    QCOMPARE(checkDecodes(loadFirst(m_cwd.file("empty.png")), QString::fromLatin1(kProductSite)), QString());
    const double ratios[] = {0.1, 0.13, 0.2, 0.25};
    for (int level = 0; level < 4; ++level) {
        ProQrcode other;
        other.logoRatio = 0.7;
        other.level = level;
        other.content = "x";
        QVERIFY(other.create(m_cwd.file("ratio.png")));
        QCOMPARE(other.logoRatio, ratios[level]);
    }
}

void TestProQrcode::moduleAndPatternGeometry()
{
    // 270 pixels, margin 10, a 25-module symbol: a pitch of exactly 10 pixels.
    ProQrcode qr;
    qr.size = 270;
    qr.version = 2;
    qr.level = 0;
    qr.content = "geometry";
    qr.ptColor = QColor("#ff0000");
    qr.inptColor = QColor("#0000ff");
    qr.fgColor = QColor("#008000");
    QVERIFY(qr.create(m_cwd.file("geo.png")));
    const QImage image = loadFirst(m_cwd.file("geo.png"));
    QCOMPARE(image.size(), QSize(270, 270));
    saveToGallery("pro_geometry", image);

    // Top-left finder: outer (10, 10, 70, 70), gap (20, 20, 50, 50), centre (30, 30, 30, 30).
    QVERIFY(sameColor(image.pixel(10, 10), Qt::red));
    QVERIFY(sameColor(image.pixel(79, 79), Qt::red));
    QVERIFY(sameColor(image.pixel(80, 40), Qt::white));
    QVERIFY(sameColor(image.pixel(9, 40), Qt::white));
    QVERIFY(sameColor(image.pixel(20, 20), Qt::white));
    QVERIFY(sameColor(image.pixel(29, 60), Qt::white));
    QVERIFY(sameColor(image.pixel(30, 30), Qt::blue));
    QVERIFY(sameColor(image.pixel(59, 59), Qt::blue));
    QVERIFY(sameColor(image.pixel(60, 45), Qt::white));
    // The other two finders start at modules (18, 0) and (0, 18).
    QVERIFY(sameColor(image.pixel(190, 10), Qt::red));
    QVERIFY(sameColor(image.pixel(189, 40), Qt::white));
    QVERIFY(sameColor(image.pixel(10, 190), Qt::red));
    // The alignment pattern around (18, 18): outer 5 modules from (16, 16).
    QVERIFY(sameColor(image.pixel(170, 170), Qt::red));
    QVERIFY(sameColor(image.pixel(219, 219), Qt::red));
    QVERIFY(sameColor(image.pixel(180, 180), Qt::white));
    QVERIFY(sameColor(image.pixel(190, 190), Qt::blue));
    QVERIFY(sameColor(image.pixel(199, 199), Qt::blue));
    QVERIFY(sameColor(image.pixel(200, 195), Qt::white));

    // A square module covers (10 + 10x, 10 + 10y, 10.6, 10.6): it reaches
    // 0.6 pixel into the light cell on its right.
    Symbol symbol("geometry", 2, 0);
    QCOMPARE(symbol.grid.width(), 25);
    const QPoint m = ordinaryDarkModule(symbol.grid, [&](int x, int y) {
        return !symbol.grid.dark(x + 1, y - 1) && !symbol.grid.dark(x + 1, y + 1);
    });
    QVERIFY(m.x() >= 0);
    const int left = 10 + 10 * m.x();
    const int top = 10 + 10 * m.y();
    QVERIFY(sameColor(image.pixel(left, top + 5), QColor("#008000")));
    QVERIFY(sameColor(image.pixel(left + 9, top + 5), QColor("#008000")));
    const QRgb overhang = image.pixel(left + 10, top + 5);
    QVERIFY2(qRed(overhang) < 200 && qRed(overhang) > 20, "the 0.6 pixel overhang is missing");
    QVERIFY(sameColor(image.pixel(left + 11, top + 5), Qt::white));
}

void TestProQrcode::roundModulesTruncate()
{
    // 300 pixels on 25 modules: pitch 11.2; a round module is an ellipse in
    // the truncated rectangle, so a module at x = 3 starts at 43 (not 44).
    for (int size : {270, 300}) {
        ProQrcode qr;
        qr.size = size;
        qr.version = 2;
        qr.level = 0;
        qr.xt = 1;
        qr.content = "round modules";
        QVERIFY(qr.create(m_cwd.file("round.png")));
        const QImage image = loadFirst(m_cwd.file("round.png"));
        Symbol symbol("round modules", 2, 0);
        const double p = (size - 20) / 25.0;
        const QPoint m = ordinaryDarkModule(symbol.grid, [&](int x, int y) {
            const double fx = 10 + x * p;
            return !symbol.grid.dark(x - 1, y) && (size == 270 || fx - int(fx) >= 0.5);
        });
        QVERIFY(m.x() >= 0);
        const int left = int(10 + m.x() * p);
        const int top = int(10 + m.y() * p);
        const int side = int(p);
        // Centre dark, corners of the rectangle light, the left edge touched.
        QVERIFY(qRed(image.pixel(left + side / 2, top + side / 2)) < 40);
        QVERIFY(qRed(image.pixel(left, top)) > 200);
        QVERIFY(qRed(image.pixel(left + side - 1, top + side - 1)) > 200);
        QVERIFY2(qRed(image.pixel(left, top + side / 2)) < 250, "ellipse does not start at the truncated x");
        QVERIFY(sameColor(image.pixel(left - 1, top + side / 2), Qt::white));
    }
}

void TestProQrcode::logoPlateAndCaption()
{
    writeSolid(m_cwd.file("logo.png"), QSize(10, 10), QColor("#00ff00"));
    // No logo size: the logo is logoRatio x size, centred; level 3 gives 75 at 112.5.
    ProQrcode qr;
    qr.content = "logo test";
    qr.level = 3;
    qr.logo = m_cwd.file("logo.png");
    qr.logoWidth = 0;
    QVERIFY(qr.create(m_cwd.file("logo_out.png")));
    QImage image = loadFirst(m_cwd.file("logo_out.png"));
    QVERIFY(sameColor(image.pixel(113, 150), QColor("#00ff00")));
    QVERIFY(sameColor(image.pixel(186, 150), QColor("#00ff00")));
    QVERIFY(!sameColor(image.pixel(111, 150), QColor("#00ff00")));
    QVERIFY(!sameColor(image.pixel(188, 150), QColor("#00ff00")));
    QCOMPARE(checkDecodes(image, "logo test"), QString());
    saveToGallery("pro_logo_level_h", image);

    // Level 0: 30 pixels at 135; with a plate grown by (0.1 + 0.2) x pitch in bgColor.
    qr.level = 0;
    qr.isBor = true;
    qr.bgColor = QColor("#ffff00");
    QVERIFY(qr.create(m_cwd.file("logo_l.png")));
    image = loadFirst(m_cwd.file("logo_l.png"));
    QVERIFY(sameColor(image.pixel(136, 150), QColor("#00ff00")));
    QVERIFY(!sameColor(image.pixel(134, 150), QColor("#00ff00")));
    // The plate reaches d = 0.3 x pitch beyond the logo, here at least 1 pixel.
    Symbol symbol("logo test", 0, 0);
    const double d = 0.3 * 280.0 / symbol.grid.width();
    QVERIFY(d > 1.5);
    QVERIFY(sameColor(image.pixel(135 - 1, 150), QColor("#ffff00")));

    // An explicit logo size wins over the ratio.
    ProQrcode sized;
    sized.content = "logo test";
    sized.level = 3;
    sized.logo = m_cwd.file("logo.png");
    sized.logoWidth = 60;
    sized.logoHeight = 20;
    QVERIFY(sized.create(m_cwd.file("logo_sized.png")));
    image = loadFirst(m_cwd.file("logo_sized.png"));
    QVERIFY(sameColor(image.pixel(121, 141), QColor("#00ff00")));
    QVERIFY(sameColor(image.pixel(178, 158), QColor("#00ff00")));
    QVERIFY(!sameColor(image.pixel(150, 138), QColor("#00ff00")));

    // A caption adds a band of 2 x codeFontSize under the code.
    ProQrcode captioned;
    captioned.content = "caption";
    captioned.isCode = true;
    captioned.codeStr = QStringLiteral("Vopa 二维码");
    captioned.codeColor = QColor("#c00000");
    QVERIFY(captioned.create(m_cwd.file("caption.png")));
    image = loadFirst(m_cwd.file("caption.png"));
    QCOMPARE(image.size(), QSize(300, 328));
    int captionPixels = 0;
    for (int y = 300; y < 328; ++y)
        for (int x = 0; x < 300; ++x)
            captionPixels += qRed(image.pixel(x, y)) > 120 && qGreen(image.pixel(x, y)) < 100;
    QVERIFY2(captionPixels > 30, "no caption text in the band");
    QCOMPARE(checkDecodes(image, "caption"), QString());
    saveToGallery("pro_caption", image);

    captioned.codeStr.clear();
    QVERIFY(captioned.create(m_cwd.file("nocaption.png")));
    QCOMPARE(loadFirst(m_cwd.file("nocaption.png")).size(), QSize(300, 300));
}

void TestProQrcode::transparencyAndTexture()
{
    ProQrcode qr;
    qr.size = 270;
    qr.version = 2;
    qr.level = 0;
    qr.content = "geometry";
    qr.isTran = true;
    QVERIFY(qr.create(m_cwd.file("tran.png")));
    QImage image = loadFirst(m_cwd.file("tran.png"));
    QVERIFY(image.hasAlphaChannel());
    QCOMPARE(alphaAt(image, 12, 12), 255);  // finder outer
    QCOMPARE(alphaAt(image, 25, 25), 0);    // finder gap cleared
    QCOMPARE(alphaAt(image, 45, 45), 255);  // finder centre
    QCOMPARE(alphaAt(image, 5, 5), 0);      // margin
    QCOMPARE(alphaAt(image, 85, 40), 0);    // separator
    saveToGallery("pro_transparent", RasterOutput::flattenOntoWhite(image));

    // A JPEG cannot keep alpha: transparent parts come out white, not black.
    QVERIFY(qr.create(m_cwd.file("tran.jpg")));
    image = loadFirst(m_cwd.file("tran.jpg"));
    QVERIFY(sameColor(image.pixel(25, 25), Qt::white, 8));
    QVERIFY(sameColor(image.pixel(5, 5), Qt::white, 8));
    QCOMPARE(checkDecodes(image, "geometry"), QString());

    // A texture shows only where modules and pattern parts are painted; the
    // gaps and light modules keep bgColor through the ground plate.
    QImage texture(40, 40, QImage::Format_RGB32);
    texture.fill(QColor("#000080"));
    QVERIFY(texture.save(m_cwd.file("texture.png")));
    ProQrcode textured;
    textured.size = 270;
    textured.version = 2;
    textured.level = 0;
    textured.content = "geometry";
    textured.fgImg = m_cwd.file("texture.png");
    textured.bgColor = QColor("#ffffc0");
    QVERIFY(textured.create(m_cwd.file("textured.png")));
    image = loadFirst(m_cwd.file("textured.png"));
    QVERIFY(sameColor(image.pixel(12, 12), QColor("#000080")));
    QVERIFY(sameColor(image.pixel(25, 25), QColor("#ffffc0")));
    QVERIFY(sameColor(image.pixel(45, 45), QColor("#000080")));
    QVERIFY(sameColor(image.pixel(5, 5), QColor("#ffffc0")));
    QCOMPARE(alphaAt(image, 25, 25), 255);
    QCOMPARE(checkDecodes(image, "geometry"), QString());
    saveToGallery("pro_texture", image);
}

void TestProQrcode::lookVariants()
{
    // Looks 3 to 10 are the liquid look of 2; a negative look paints nothing.
    auto render = [&](int xt) {
        ProQrcode qr;
        qr.content = "looks";
        qr.xt = xt;
        const QString path = m_cwd.file(QStringLiteral("look%1.png").arg(xt));
        if (!qr.create(path))
            return QImage();
        return loadFirst(path);
    };
    const QImage liquid = render(2);
    QVERIFY(!liquid.isNull());
    QCOMPARE(render(3), liquid);
    QCOMPARE(render(10), liquid);
    QVERIFY(render(0) != liquid);
    const QImage none = render(-1);
    QImage white(none.size(), none.format());
    white.fill(Qt::white);
    QCOMPARE(none, white);

    // A margin of half the size or more is no error.
    ProQrcode tight;
    tight.content = "tight";
    tight.margin = 150;
    QVERIFY(tight.create(m_cwd.file("tight.png")));
    QCOMPARE(loadFirst(m_cwd.file("tight.png")).size(), QSize(300, 300));
}

void TestProQrcode::decodesAcrossLevelsVersionsLooks()
{
    const char *levelNames[] = {"L", "M", "Q", "H"};
    QStringList problems;
    for (int version : {1, 7, 20}) {
        const QByteArray text = version == 1 ? QByteArray("Vopa-1") : QByteArray("https://example.com/vopa?v=") + QByteArray::number(version);
        for (int level = 0; level < 4; ++level) {
            for (int xt = 0; xt < 3; ++xt) {
                ProQrcode qr;
                qr.content = text;
                qr.version = version;
                qr.level = level;
                qr.xt = xt;
                qr.size = version == 20 ? 500 : 300;
                const QString name = QStringLiteral("pro_v%1_%2_xt%3").arg(version).arg(levelNames[level]).arg(xt);
                QVERIFY(qr.create(m_cwd.file(name + ".png")));
                const QImage image = loadFirst(m_cwd.file(name + ".png"));
                saveToGallery(name, image);
                // zbar's line scanner does not reliably join the separate dots of
                // the round look; zxing must read every look.
                const QString problem = checkDecodes(image, QString::fromUtf8(text), xt != 1);
                if (!problem.isEmpty())
                    problems.append(name + ": " + problem);
            }
        }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    Symbol v20("https://example.com/vopa?v=20", 20, 0);
    QCOMPARE(v20.grid.width(), 97);

    // A Chinese text comes back as the same Chinese text.
    const QString chinese = QStringLiteral("二维码生成测试，你好世界");
    for (int xt = 0; xt < 3; ++xt) {
        ProQrcode qr;
        qr.content = chinese.toUtf8();
        qr.xt = xt;
        QVERIFY(qr.create(m_cwd.file("zh.png")));
        const QImage image = loadFirst(m_cwd.file("zh.png"));
        saveToGallery(QStringLiteral("pro_chinese_xt%1").arg(xt), image);
        QCOMPARE(decodeZXing(prepareForDecode(image)), chinese);
    }
}

void TestProQrcode::decodesWithExtras()
{
    writeSolid(m_cwd.file("logo.png"), QSize(64, 64), QColor("#e04040"));
    QImage texture(120, 120, QImage::Format_RGB32);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x)
            texture.setPixel(x, y, qRgb(x / 2, 40, y / 2 + 40));
    QVERIFY(texture.save(m_cwd.file("texture.png")));

    for (int xt = 0; xt < 3; ++xt) {
        ProQrcode qr;
        qr.content = "https://example.com/everything";
        qr.level = 3;
        qr.xt = xt;
        qr.logo = m_cwd.file("logo.png");
        qr.logoWidth = 0;
        qr.isBor = true;
        qr.fgImg = m_cwd.file("texture.png");
        qr.ptColor = QColor("#202060");
        qr.inptColor = QColor("#602020");
        qr.isCode = true;
        qr.codeStr = QStringLiteral("everything");
        const QString name = QStringLiteral("pro_extras_xt%1").arg(xt);
        QVERIFY(qr.create(m_cwd.file(name + ".png")));
        const QImage image = loadFirst(m_cwd.file(name + ".png"));
        QCOMPARE(image.size(), QSize(300, 328));
        saveToGallery(name, image);
        const QString problem = checkDecodes(image, "https://example.com/everything");
        QVERIFY2(problem.isEmpty(), qPrintable(name + ": " + problem));
    }
}

void TestProQrcode::stillBackground()
{
    QImage background(500, 400, QImage::Format_RGB32);
    background.fill(QColor("#80c0ff"));
    QVERIFY(background.save(m_cwd.file("bg.jpg")));
    QVERIFY(background.save(m_cwd.file("bg.png")));

    ProQrcode qr;
    qr.content = "on a background";
    qr.bgImg = m_cwd.file("bg.jpg");
    qr.bgX = 120;
    qr.bgY = 40;
    QVERIFY(qr.create(m_cwd.file("still.jpg")));
    QImage image = loadFirst(m_cwd.file("still.jpg"));
    QCOMPARE(image.size(), QSize(500, 400));
    QVERIFY(sameColor(image.pixel(60, 200), QColor("#80c0ff"), 12));
    QVERIFY(sameColor(image.pixel(125, 45), Qt::white, 12));   // the ground plate's margin
    QVERIFY(sameColor(image.pixel(435, 200), QColor("#80c0ff"), 12));
    QCOMPARE(checkDecodes(image, "on a background"), QString());
    saveToGallery("pro_still_background", image);

    // Transparent ground: the background shows through the gaps and margins.
    qr.isTran = true;
    qr.bgImg = m_cwd.file("bg.png");
    QVERIFY(qr.create(m_cwd.file("still_tran.png")));
    image = loadFirst(m_cwd.file("still_tran.png"));
    QVERIFY(sameColor(image.pixel(125, 45), QColor("#80c0ff")));
    QCOMPARE(checkDecodes(image, "on a background"), QString());

    // Reaching past the edge: cut off, the output keeps the background's size.
    qr.bgX = -100;
    qr.bgY = 250;
    QVERIFY(qr.create(m_cwd.file("cut.png")));
    QCOMPARE(loadFirst(m_cwd.file("cut.png")).size(), QSize(500, 400));

    // "GIF" in capitals is a still background, whatever its content.
    writeAnimatedBackground(m_cwd.file("upper.GIF"), QSize(400, 400), {100, 200});
    ProQrcode upper;
    upper.content = "upper";
    upper.bgImg = m_cwd.file("upper.GIF");
    upper.bgX = 50;
    upper.bgY = 50;
    QVERIFY(upper.create(m_cwd.file("upper_out.png")));
    QImageReader reader(m_cwd.file("upper_out.png"));
    QCOMPARE(reader.format(), QByteArray("png"));
    QCOMPARE(reader.size(), QSize(400, 400));

    // A background that cannot be read: the code alone, under the chosen path.
    QFile junk(m_cwd.file("junk.jpg"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a picture");
    junk.close();
    ProQrcode unreadable;
    unreadable.content = "unreadable";
    unreadable.bgImg = m_cwd.file("junk.jpg");
    QVERIFY(unreadable.create(m_cwd.file("unreadable.jpg")));
    image = loadFirst(m_cwd.file("unreadable.jpg"));
    QCOMPARE(image.size(), QSize(300, 300));
    QCOMPARE(checkDecodes(image, "unreadable"), QString());
}

void TestProQrcode::animatedBackground()
{
    writeAnimatedBackground(m_cwd.file("anim.gif"), QSize(420, 380), {100, 250, 400});
    ProQrcode qr;
    qr.content = "animated";
    qr.bgImg = m_cwd.file("anim.gif");
    qr.bgX = 60;
    qr.bgY = 30;
    qr.isCode = true;
    qr.codeStr = "animated";
    QVERIFY(qr.create(m_cwd.file("anim_out.gif")));

    const GifRecord gif = readGif(m_cwd.file("anim_out.gif"));
    QVERIFY2(gif.ok, qPrintable(gif.error));
    QCOMPARE(gif.signature, QByteArray("GIF89a"));
    QCOMPARE(QSize(gif.width, gif.height), QSize(420, 380));
    QCOMPARE(gif.frames.size(), 3);
    // Each frame keeps its own delay, in hundredths.
    QCOMPARE(gif.frames.at(0).delay, 10);
    QCOMPARE(gif.frames.at(1).delay, 25);
    QCOMPARE(gif.frames.at(2).delay, 40);
    QVERIFY(gif.frames.at(0).netscape);
    for (int i = 0; i < gif.frames.size(); ++i) {
        const GifFrameRecord &frame = gif.frames.at(i);
        QCOMPARE(frame.gceCount, 1);
        QCOMPARE(frame.netscape, i == 0);
        QCOMPARE(QSize(frame.width, frame.height), QSize(420, 380));
        saveToGallery(QStringLiteral("pro_animated_frame%1").arg(i), frame.image);
        const QString problem = checkDecodes(frame.image, "animated");
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("frame %1: ").arg(i) + problem));
    }
    // The background differs between frames; the code does not.
    QVERIFY(gif.frames.at(0).image.pixel(10, 10) != gif.frames.at(1).image.pixel(10, 10));
    QCOMPARE(gif.frames.at(0).image.pixel(65, 35), qRgb(255, 255, 255));
}

void TestProQrcode::gifOutputNeverEmpty()
{
    // No background at all, asked for a ".gif": one frame holding the code.
    ProQrcode plain;
    plain.content = "plain gif";
    QVERIFY(plain.create(m_cwd.file("plain.gif")));
    GifRecord gif = readGif(m_cwd.file("plain.gif"));
    QVERIFY2(gif.ok, qPrintable(gif.error));
    QCOMPARE(gif.frames.size(), 1);
    QCOMPARE(QSize(gif.width, gif.height), QSize(300, 300));
    QCOMPARE(checkDecodes(gif.frames.at(0).image, "plain gif"), QString());

    // A ".gif" background that is really a PNG: no animation, one frame of the
    // still composition.
    QImage background(360, 360, QImage::Format_RGB32);
    background.fill(QColor("#ffe0a0"));
    QVERIFY(background.save(m_cwd.file("fake.gif"), "PNG"));
    ProQrcode fake;
    fake.content = "fake gif";
    fake.bgImg = m_cwd.file("fake.gif");
    fake.bgX = 30;
    fake.bgY = 30;
    QVERIFY(fake.create(m_cwd.file("fake_out.gif")));
    gif = readGif(m_cwd.file("fake_out.gif"));
    QVERIFY2(gif.ok, qPrintable(gif.error));
    QCOMPARE(gif.frames.size(), 1);
    QCOMPARE(QSize(gif.width, gif.height), QSize(360, 360));
    QVERIFY(sameColor(gif.frames.at(0).image.pixel(5, 5), QColor("#ffe0a0"), 10));
    QCOMPARE(checkDecodes(gif.frames.at(0).image, "fake gif"), QString());

    // An unreadable ".gif" background: the code alone, still as a GIF.
    QFile junk(m_cwd.file("junk.gif"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("GIF89a but nothing else");
    junk.close();
    ProQrcode broken;
    broken.content = "broken gif";
    broken.bgImg = m_cwd.file("junk.gif");
    QVERIFY(broken.create(m_cwd.file("broken_out.gif")));
    gif = readGif(m_cwd.file("broken_out.gif"));
    QVERIFY2(gif.ok, qPrintable(gif.error));
    QCOMPARE(gif.frames.size(), 1);
    QCOMPARE(checkDecodes(gif.frames.at(0).image, "broken gif"), QString());
}

void TestProQrcode::failures()
{
    // Too long for any version: false, and no file.
    ProQrcode tooLong;
    tooLong.content = QByteArray(3000, 'x');
    tooLong.level = 3;
    QVERIFY(!tooLong.create(m_cwd.file("long.png")));
    QVERIFY(!QFile::exists(m_cwd.file("long.png")));

    // An output that cannot be written is reported, in every case.
    ProQrcode qr;
    qr.content = "unwritable";
    QVERIFY(!qr.create(m_cwd.file("missing/dir/out.png")));
    QVERIFY(!qr.create(m_cwd.file("missing/dir/out.gif")));
    QVERIFY(!qr.create("/dev/full"));
    writeAnimatedBackground(m_cwd.file("anim.gif"), QSize(320, 320), {100, 100});
    qr.bgImg = m_cwd.file("anim.gif");
    QVERIFY(!qr.create(m_cwd.file("missing/dir/anim.gif")));
    QVERIFY(qr.create(m_cwd.file("anim_ok.gif")));
    writeSolid(m_cwd.file("bg.png"), QSize(320, 320), Qt::white);
    qr.bgImg = m_cwd.file("bg.png");
    QVERIFY(!qr.create(m_cwd.file("missing/dir/still.png")));

    // A version the encoder rejects.
    ProQrcode badVersion;
    badVersion.content = "x";
    badVersion.version = 41;
    QVERIFY(!badVersion.create(m_cwd.file("v41.png")));
    QVERIFY(!QFile::exists(m_cwd.file("v41.png")));
}

void TestProQrcode::runsOnWorkerThread()
{
    writeAnimatedBackground(m_cwd.file("anim.gif"), QSize(320, 320), {100, 200});
    static QStringList messages;
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) {
        messages.append(text);
    });
    bool results[2] = {false, false};
    const QString dir = m_cwd.path();
    QThread *thread = QThread::create([&results, dir] {
        ProQrcode liquid;
        liquid.content = "worker";
        liquid.xt = 2;
        liquid.isCode = true;
        liquid.codeStr = "worker";
        results[0] = liquid.create(dir + "/worker.png");
        ProQrcode animated;
        animated.content = "worker gif";
        animated.bgImg = dir + "/anim.gif";
        results[1] = animated.create(dir + "/worker.gif");
    });
    thread->start();
    QVERIFY(thread->wait(60000));
    delete thread;
    qInstallMessageHandler(previous);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    QVERIFY(results[0]);
    QVERIFY(results[1]);
    QCOMPARE(checkDecodes(loadFirst(m_cwd.file("worker.png")), "worker"), QString());
    QCOMPARE(readGif(m_cwd.file("worker.gif")).frames.size(), 2);
}

QTEST_MAIN(TestProQrcode)
#include "tst_proqrcode.moc"
