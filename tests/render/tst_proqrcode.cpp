// The standard renderer: geometry probes, the output cases and decoding of
// every render back to its text. Each test works in its own directory.
#include "helpers.h"
#include "proqrcode.h"
#include "rasteroutput.h"
#include "rendersupport.h"

#include <QImageReader>
#include <QtTest>

using namespace TestSupport;

class TestProQrcode : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void defaults()
    {
        // An empty content encodes the site address and keeps it.
        ProQrcode qr;
        QVERIFY(qr.size == 300 && qr.margin == 10 && qr.level == 2 && qr.xt == 0 && qr.logoRatio == 0.2);
        QCOMPARE(checkDecodes(render(qr, "empty.png"), kProductSite), QString());
        QCOMPARE(qr.content, QByteArray(kProductSite));
        // The logo ratio follows the level, whatever it was set to.
        for (int level = 0; level < 4; ++level) {
            qr.logoRatio = 0.7;
            qr.level = level;
            QVERIFY(qr.create("ratio.png") && qr.logoRatio == QList<double>({0.1, 0.13, 0.2, 0.25}).at(level));
        }
    }

    void moduleAndPatternGeometry()
    {
        // 270 pixels, margin 10, a 25-module symbol: a pitch of exactly 10 pixels.
        const QColor red(Qt::red), blue(Qt::blue), white(Qt::white), green("#008000");
        ProQrcode qr;
        setSymbol(qr, "geometry", 2, 0, 270);
        qr.ptColor = red;
        qr.inptColor = blue;
        qr.fgColor = green;
        const QImage image = render(qr, "geo.png");
        QCOMPARE(image.size(), QSize(270, 270));
        saveToGallery("pro_geometry", image);
        // Top-left finder: outer (10, 10, 70, 70), gap (20, 20, 50, 50), centre
        // (30, 30, 30, 30); the other two start at modules (18, 0) and (0, 18);
        // the alignment pattern around (18, 18) has its outer 5 modules from (16, 16).
        QCOMPARE(checkProbes(image, {{10, 10, red}, {79, 79, red}, {80, 40, white}, {9, 40, white}, {20, 20, white},
                                     {29, 60, white}, {30, 30, blue}, {59, 59, blue}, {60, 45, white}, {190, 10, red},
                                     {189, 40, white}, {10, 190, red}, {170, 170, red}, {219, 219, red},
                                     {180, 180, white}, {190, 190, blue}, {199, 199, blue}, {200, 195, white}}),
                 QString());

        // A square module covers (10 + 10x, 10 + 10y, 10.6, 10.6): it reaches
        // 0.6 pixel into the light cell on its right.
        const Symbol symbol("geometry", 2, 0);
        const QrGrid &g = symbol.grid;
        const QPoint m = symbol.find([&](int x, int y) {
            return g.dark(x, y) && !g.dark(x + 1, y) && symbol.ordinary(x + 1, y) && !g.dark(x + 1, y - 1) && !g.dark(x + 1, y + 1);
        });
        QVERIFY(m.x() >= 0);
        const int left = 10 + 10 * m.x(), top = 10 + 10 * m.y();
        QCOMPARE(checkProbes(image, {{left, top + 5, green}, {left + 9, top + 5, green}, {left + 11, top + 5, white}}), QString());
        const int overhang = qRed(image.pixel(left + 10, top + 5));
        QVERIFY2(overhang > 20 && overhang < 200, "the 0.6 pixel overhang is missing");

        // 300 pixels: pitch 11.2; a round module is an ellipse in the truncated
        // rectangle, so a module at x = 3 starts at 43 (not 44).
        qr.xt = 1;
        for (int size : {270, 300}) {
            qr.size = size;
            const QImage round = render(qr, "round.png");
            const double p = (size - 20) / 25.0;
            const QPoint r = symbol.find([&](int x, int y) {
                return g.dark(x, y) && !g.dark(x - 1, y) && symbol.ordinary(x - 1, y) && (size == 270 || fmod(10 + x * p, 1) >= 0.5);
            });
            QVERIFY(r.x() >= 0);
            const int x0 = int(10 + r.x() * p), y0 = int(10 + r.y() * p), side = int(p);
            // Centre dark, corners of the rectangle light, the left edge touched.
            QVERIFY(sameColor(round.pixel(x0 + side / 2, y0 + side / 2), green, 40));
            QVERIFY(qRed(round.pixel(x0, y0)) > 200 && qRed(round.pixel(x0 + side - 1, y0 + side - 1)) > 200);
            QVERIFY2(qRed(round.pixel(x0, y0 + side / 2)) < 250, "ellipse does not start at the truncated x");
            QVERIFY(sameColor(round.pixel(x0 - 1, y0 + side / 2), white));
        }
    }

    void logoPlateAndCaption()
    {
        const QColor logo("#00ff00");
        QVERIFY(writeSolid("logo.png", QSize(10, 10), logo));
        // No logo size: the logo is logoRatio x size, centred; level 3 gives 75 at 112.5.
        ProQrcode qr;
        setSymbol(qr, "logo test", 0, 3);
        qr.logo = "logo.png";
        qr.logoWidth = 0;
        QImage image = render(qr, "logo_h.png");
        QCOMPARE(checkProbes(image, {{113, 150, logo}, {186, 150, logo}}), QString());
        QVERIFY(!sameColor(image.pixel(111, 150), logo) && !sameColor(image.pixel(188, 150), logo));
        QCOMPARE(checkDecodes(image, "logo test"), QString());
        saveToGallery("pro_logo_level_h", image);
        // Level 0: 30 pixels at 135, on a plate of bgColor reaching (0.1 + 0.2)
        // x pitch, over a pixel and a half, beyond it.
        qr.level = 0;
        qr.isBor = true;
        qr.bgColor = QColor("#ffff00");
        QCOMPARE(checkProbes(render(qr, "logo_l.png"), {{136, 150, logo}, {134, 150, qr.bgColor}}), QString());
        // An explicit logo size wins over the ratio.
        qr.isBor = false;
        qr.logoWidth = 60;
        qr.logoHeight = 20;
        image = render(qr, "logo_sized.png");
        QCOMPARE(checkProbes(image, {{121, 141, logo}, {178, 158, logo}}), QString());
        QVERIFY(!sameColor(image.pixel(150, 138), logo));

        // A caption band of 2 x codeFontSize in bgColor; none without text.
        ProQrcode captioned;
        setCaption(setSymbol(captioned, "caption"), QStringLiteral("Vopa 二维码"), QColor("#c00000"));
        image = render(captioned, "caption.png");
        QCOMPARE(checkCaption(image, 300, captioned.codeColor, Qt::white), QString());
        QCOMPARE(checkDecodes(image, "caption"), QString());
        saveToGallery("pro_caption", image);
        captioned.codeStr.clear();
        QCOMPARE(render(captioned, "nocaption.png").size(), QSize(300, 300));
    }

    void transparencyAndTexture()
    {
        // Finder outer ring and centre opaque; its gap, the margin and the separator cleared.
        ProQrcode qr;
        setSymbol(qr, "geometry", 2, 0, 270);
        qr.isTran = true;
        QImage image = render(qr, "tran.png");
        const int alphas[][3] = {{12, 12, 255}, {25, 25, 0}, {45, 45, 255}, {5, 5, 0}, {85, 40, 0}};
        for (const auto &a : alphas)
            QVERIFY2(qAlpha(image.pixel(a[0], a[1])) == a[2], qPrintable(QStringLiteral("%1, %2").arg(a[0]).arg(a[1])));
        saveToGallery("pro_transparent", RasterOutput::flattenOntoWhite(image));
        // A JPEG cannot keep alpha: transparent parts come out white, not black.
        image = render(qr, "tran.jpg");
        QCOMPARE(checkProbes(image, {{25, 25, Qt::white}, {5, 5, Qt::white}}, 8), QString());
        QCOMPARE(checkDecodes(image, "geometry"), QString());

        // A texture shows only where modules and pattern parts are painted; the
        // gaps and margins keep an opaque bgColor through the ground plate.
        const QColor navy("#000080"), cream("#ffffc0");
        QVERIFY(writeSolid("texture.png", QSize(40, 40), navy));
        qr.isTran = false;
        qr.fgImg = "texture.png";
        qr.bgColor = cream;
        image = render(qr, "textured.png");
        QCOMPARE(checkProbes(image, {{12, 12, navy}, {25, 25, cream}, {45, 45, navy}, {5, 5, cream}}), QString());
        QCOMPARE(checkDecodes(image, "geometry"), QString());
        saveToGallery("pro_texture", image);
    }

    void lookVariants()
    {
        // Looks 3 to 10 are the liquid look of 2; a negative look paints nothing.
        ProQrcode qr;
        setSymbol(qr, "looks");
        auto look = [&](int xt) {
            qr.xt = xt;
            return render(qr, QStringLiteral("look%1.png").arg(xt));
        };
        const QImage liquid = look(2);
        QVERIFY(!liquid.isNull());
        QVERIFY(look(3) == liquid && look(10) == liquid && look(0) != liquid);
        QImage white = look(-1);
        white.fill(Qt::white);
        QCOMPARE(look(-1), white);
        // A margin of half the size or more is no error.
        qr.margin = 150;
        QCOMPARE(look(0).size(), QSize(300, 300));
    }

    void decodesAcrossLevelsVersionsLooks()
    {
        // Every level and look at versions 1, 7 and 20, then a Chinese text.
        QStringList problems;
        for (int version : {1, 7, 20}) {
            const QByteArray text = version == 1 ? QByteArray("Vopa-1") : "https://example.com/vopa?v=" + QByteArray::number(version);
            for (int level = 0; level < 4; ++level) {
                for (int xt = 0; xt < 3; ++xt) {
                    ProQrcode qr;
                    setSymbol(qr, text, version, level, version == 20 ? 500 : 300).xt = xt;
                    const QString name = QStringLiteral("pro_v%1_%2_xt%3").arg(version).arg("LMQH"[level]).arg(xt);
                    const QImage image = render(qr, name + ".png");
                    saveToGallery(name, image);
                    // zbar's line scanner does not reliably join the separate dots of
                    // the round look; zxing must read every look.
                    const QString problem = checkDecodes(image, QString::fromUtf8(text), xt != 1);
                    if (!problem.isEmpty())
                        problems.append(name + ": " + problem);
                }
            }
        }
        QCOMPARE(Symbol("https://example.com/vopa?v=20", 20, 0).grid.width(), 97);
        const QString chinese = QStringLiteral("二维码生成测试，你好世界");
        for (int xt = 0; xt < 3; ++xt) {
            ProQrcode qr;
            setSymbol(qr, chinese.toUtf8()).xt = xt;
            const QImage image = render(qr, "zh.png");
            saveToGallery(QStringLiteral("pro_chinese_xt%1").arg(xt), image);
            const QString problem = checkDecodes(image, chinese);
            if (!problem.isEmpty())
                problems.append(QStringLiteral("Chinese, xt %1: ").arg(xt) + problem);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    }

    void decodesWithExtras()
    {
        // Logo on a plate, texture, coloured patterns and a caption at once.
        QVERIFY(writeSolid("logo.png", QSize(64, 64), QColor("#e04040")));
        QImage texture(120, 120, QImage::Format_RGB32);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 120; ++x)
                texture.setPixel(x, y, qRgb(x / 2, 40, y / 2 + 40));
        QVERIFY(texture.save("texture.png"));
        for (int xt = 0; xt < 3; ++xt) {
            ProQrcode qr;
            setCaption(setSymbol(qr, "https://example.com/everything", 0, 3), "everything").xt = xt;
            qr.logo = "logo.png";
            qr.logoWidth = 0;
            qr.isBor = true;
            qr.fgImg = "texture.png";
            qr.ptColor = QColor("#202060");
            qr.inptColor = QColor("#602020");
            const QString name = QStringLiteral("pro_extras_xt%1").arg(xt);
            const QImage image = render(qr, name + ".png");
            QCOMPARE(image.size(), QSize(300, 328));
            saveToGallery(name, image);
            QCOMPARE(checkDecodes(image, "https://example.com/everything"), QString());
        }
    }

    void stillBackground()
    {
        const QColor sky("#80c0ff");
        QVERIFY(writeSolid("bg.jpg", QSize(500, 400), sky) && writeSolid("bg.png", QSize(500, 400), sky));
        ProQrcode qr;
        setBackground(setSymbol(qr, "on a background"), "bg.jpg", 120, 40);
        QImage image = render(qr, "still.jpg");
        QCOMPARE(image.size(), QSize(500, 400));
        // The background around the code; the code's white margin at (bgX, bgY).
        QCOMPARE(checkProbes(image, {{60, 200, sky}, {125, 45, Qt::white}, {435, 200, sky}}, 12), QString());
        QCOMPARE(checkDecodes(image, "on a background"), QString());
        saveToGallery("pro_still_background", image);
        // Transparent ground: the background shows through the gaps and margins.
        qr.isTran = true;
        qr.bgImg = "bg.png";
        image = render(qr, "still_tran.png");
        QVERIFY(sameColor(image.pixel(125, 45), sky));
        QCOMPARE(checkDecodes(image, "on a background"), QString());
        // Reaching past the edge: cut off, the output keeps the background's size.
        setBackground(qr, "bg.png", -100, 250);
        QCOMPARE(render(qr, "cut.png").size(), QSize(500, 400));

        // "GIF" in capitals is a still background, whatever its content.
        QVERIFY(writeAnimatedBackground("upper.GIF", QSize(400, 400), {100, 200}));
        qr.bgImg = "upper.GIF";
        QVERIFY(qr.create("upper_out.png"));
        QCOMPARE(QImageReader("upper_out.png").format(), QByteArray("png"));
        QCOMPARE(QImageReader("upper_out.png").size(), QSize(400, 400));
        // A background that cannot be read: the code alone, under the chosen path.
        QVERIFY(writeBytes("junk.jpg", "not a picture"));
        ProQrcode unreadable;
        setBackground(setSymbol(unreadable, "unreadable"), "junk.jpg", 0, 0);
        image = render(unreadable, "unreadable.jpg");
        QCOMPARE(image.size(), QSize(300, 300));
        QCOMPARE(checkDecodes(image, "unreadable"), QString());
    }

    void animatedBackground()
    {
        // Every frame keeps its own delay and carries the readable code.
        QVERIFY(writeAnimatedBackground("anim.gif", QSize(420, 380), {100, 250, 400}));
        ProQrcode qr;
        setCaption(setBackground(setSymbol(qr, "animated"), "anim.gif", 60, 30), "animated");
        QVERIFY(qr.create("anim_out.gif"));
        QCOMPARE(checkAnimation("anim_out.gif", QSize(420, 380), {100, 250, 400}, "animated", "pro_animated"), QString());
        // The background differs between frames; the code's white margin does not.
        const GifRecord gif = readGif("anim_out.gif");
        QVERIFY(gif.frames.at(0).image.pixel(10, 10) != gif.frames.at(1).image.pixel(10, 10));
        QCOMPARE(gif.frames.at(2).image.pixel(65, 35), qRgb(255, 255, 255));
    }

    void gifOutputNeverEmpty()
    {
        // No background, a ".gif" background that is really a PNG, and one that
        // cannot be read: each gives a GIF of one frame holding the code.
        QVERIFY(writeSolid("fake.gif", QSize(360, 360), QColor("#ffe0a0"), "PNG"));
        QVERIFY(writeBytes("junk.gif", "GIF89a but nothing else"));
        for (const char *background : {"", "fake.gif", "junk.gif"}) {
            ProQrcode qr;
            setBackground(setSymbol(qr, "gif output"), background, 30, 30);
            QVERIFY(qr.create("out.gif"));
            const GifRecord gif = readGif("out.gif");
            QVERIFY2(gif.frames.size() == 1, background);
            QCOMPARE(gif.width, background == QLatin1String("fake.gif") ? 360 : 300);
            QCOMPARE(checkDecodes(gif.frames.at(0).image, "gif output"), QString());
        }
    }

    void failures() { QCOMPARE(checkFailures<ProQrcode>(), QString()); }

    void runsOnWorkerThread()
    {
        QCOMPARE(checkOnWorkerThread<ProQrcode>([](ProQrcode &qr) { qr.xt = 2; }), QString());
    }

private:
    TestCwd m_cwd;
};

QTEST_MAIN(TestProQrcode)
#include "tst_proqrcode.moc"
