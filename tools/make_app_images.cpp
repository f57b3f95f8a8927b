// Draws the program's own pictures: the combo-box arrow, the check-box and
// radio-button indicators, the sample code of the decode page, the tray and
// menu icons (into icon/), the version badges, the web tools background and
// the statistics page's help picture.
// Usage: make_app_images OUTPUT_FOLDER   (the folder resources/images)
#include "gifimage.h"
#include "helpers.h"
#include "proqrcode.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QLinearGradient>
#include <QRadialGradient>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>

namespace {

const QColor kBlue("#3498DB");

QImage canvas(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage downArrow()
{
    QImage image = canvas(12, 8);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    const QPointF points[3] = {{1, 1.5}, {11, 1.5}, {6, 7}};
    p.drawPolygon(points, 3);
    return image;
}

QImage indicator(bool checked)
{
    QImage image = canvas(18, 18);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kBlue, 1.5));
    p.setBrush(checked ? kBlue : QColor(Qt::white));
    p.drawRoundedRect(QRectF(1, 1, 16, 16), 3, 3);
    if (checked) {
        QPainterPath tick;
        tick.moveTo(4.5, 9.5);
        tick.lineTo(7.5, 12.5);
        tick.lineTo(13.5, 5.5);
        p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    }
    return image;
}

// A tiny QR-like mark: three finder squares and a few modules.
void drawCodeMark(QPainter &p, const QRectF &area, const QColor &ink)
{
    const double m = area.width() / 7.0;
    p.setPen(Qt::NoPen);
    auto finder = [&](double x, double y) {
        p.setBrush(ink);
        p.drawRect(QRectF(x, y, 3 * m, 3 * m));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(x + m * 0.5, y + m * 0.5, 2 * m, 2 * m));
        p.setBrush(ink);
        p.drawRect(QRectF(x + m, y + m, m, m));
    };
    finder(area.left(), area.top());
    finder(area.left() + 4 * m, area.top());
    finder(area.left(), area.top() + 4 * m);
    p.setBrush(ink);
    p.drawRect(QRectF(area.left() + 4 * m, area.top() + 4 * m, m, m));
    p.drawRect(QRectF(area.left() + 6 * m, area.top() + 5 * m, m, 2 * m));
    p.drawRect(QRectF(area.left() + 5 * m, area.top() + 6 * m, m, m));
}

QImage logoIcon()
{
    QImage image = canvas(64, 64);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(10, 10, 44, 44), 4, 4);
    drawCodeMark(p, QRectF(14, 14, 36, 36), QColor("#1F2D3D"));
    return image;
}

// A 32 by 32 menu icon on a rounded tile of one colour.
QImage menuIcon(const QColor &tile, const std::function<void(QPainter &)> &glyph)
{
    QImage image = canvas(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 7, 7);
    glyph(p);
    return image;
}

QImage badgeFrame(bool isNew, bool lit)
{
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#333333"));
    p.drawEllipse(QRectF(6, 6, 52, 52));
    QFont font;
    font.setPixelSize(18);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(6, 6, 52, 52), Qt::AlignCenter, QStringLiteral("V") + QString::fromLatin1(kProgramVersion));
    if (isNew) {
        p.setPen(Qt::NoPen);
        p.setBrush(lit ? QColor("#E74C3C") : QColor("#F39C12"));
        p.drawRoundedRect(QRectF(30, 2, 32, 16), 8, 8);
        font.setPixelSize(11);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(30, 2, 32, 16), Qt::AlignCenter, QStringLiteral("NEW"));
    }
    return image;
}

bool saveGif(const QList<QImage> &frames, int delay, const QString &path)
{
    GifImage gif(QSize(64, 64));
    gif.setLoopCount(0);
    for (const QImage &frame : frames)
        gif.addFrame(frame, QPoint(0, 0), delay);
    if (!gif.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QImage toolsBackground()
{
    QImage image(800, 650, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 800, 650);
    sky.setColorAt(0, QColor("#1F4E79"));
    sky.setColorAt(1, QColor("#2E86C1"));
    p.fillRect(image.rect(), sky);
    // A soft scatter of module squares, as if codes were drifting by.
    p.setPen(Qt::NoPen);
    quint32 seed = 19;
    for (int i = 0; i < 260; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int x = int(seed % 800);
        seed = seed * 1664525u + 1013904223u;
        const int y = int(seed % 650);
        seed = seed * 1664525u + 1013904223u;
        const int side = 6 + int(seed % 18);
        p.setBrush(QColor(255, 255, 255, 10 + int(seed % 25)));
        p.drawRect(QRect(x, y, side, side));
    }
    QRadialGradient glow(QPointF(620, 120), 300);
    glow.setColorAt(0, QColor(255, 255, 255, 60));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(image.rect(), glow);
    return image;
}

bool save(const QImage &image, const QString &path)
{
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    bool ok = save(downArrow(), dir + "/down.png") && save(indicator(true), dir + "/checked.png")
              && save(indicator(false), dir + "/unchecked.png");

    // The decode page's sample: the site address, which the page shows as text.
    ProQrcode sample;
    sample.content = QByteArray(kProductSite);
    sample.size = 400;
    sample.margin = 20;
    sample.level = 1;
    sample.xt = 2;
    ok = ok && sample.create(dir + "/vopa-qr.png");

    // Tray and menu icons.
    QDir().mkpath(dir + "/icon");
    const QPen whitePen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    ok = ok && save(logoIcon(), dir + "/icon/logo.png");
    ok = ok && save(menuIcon(QColor("#3498DB"), [&](QPainter &p) {
             p.setPen(whitePen);
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QRectF(7, 7, 18, 18));
             p.drawEllipse(QRectF(12, 7, 8, 18));
             p.drawLine(QPointF(7, 16), QPointF(25, 16));
         }), dir + "/icon/site.png");
    ok = ok && save(menuIcon(QColor("#2C3E50"), [&](QPainter &p) {
             drawCodeMark(p, QRectF(7, 7, 18, 18), Qt::white);
         }), dir + "/icon/pro.png");
    ok = ok && save(menuIcon(QColor("#8E44AD"), [&](QPainter &p) {
             p.setPen(Qt::NoPen);
             p.setBrush(Qt::white);
             const QPointF star[8] = {{16, 5}, {19, 13}, {27, 16}, {19, 19}, {16, 27}, {13, 19}, {5, 16}, {13, 13}};
             p.drawPolygon(star, 8);
         }), dir + "/icon/visual.png");
    ok = ok && save(menuIcon(QColor("#16A085"), [&](QPainter &p) {
             p.setPen(Qt::NoPen);
             const QColor dots[4] = {QColor("#F1C40F"), QColor("#E74C3C"), Qt::white, QColor("#5DADE2")};
             for (int i = 0; i < 4; ++i) {
                 p.setBrush(dots[i]);
                 p.drawEllipse(QRectF(7 + (i % 2) * 10, 7 + (i / 2) * 10, 8, 8));
             }
         }), dir + "/icon/bsd.png");
    ok = ok && save(menuIcon(QColor("#27AE60"), [&](QPainter &p) {
             p.setPen(whitePen);
             p.setBrush(Qt::NoBrush);
             p.drawRect(QRectF(8, 6, 16, 20));
             p.drawLine(QPointF(8, 13), QPointF(24, 13));
             p.drawLine(QPointF(8, 19), QPointF(24, 19));
             p.drawLine(QPointF(16, 6), QPointF(16, 26));
         }), dir + "/icon/csv.png");
    ok = ok && save(menuIcon(QColor("#C0392B"), [&](QPainter &p) {
             p.setPen(whitePen);
             p.setBrush(Qt::NoBrush);
             p.drawArc(QRectF(8, 8, 16, 16), 120 * 16, 300 * 16);
             p.drawLine(QPointF(16, 6), QPointF(16, 15));
         }), dir + "/icon/quit.png");

    // Version badges: a still one, and a blinking one for a new version.
    ok = ok && saveGif({badgeFrame(false, false)}, 100, dir + "/v-icon.gif");
    ok = ok && saveGif({badgeFrame(true, true), badgeFrame(true, false)}, 100, dir + "/vnew-icon.gif");

    ok = ok && toolsBackground().save(dir + "/tools_bg.jpg", "JPG", 88);

    // The statistics page's help picture: the product site with a word of thanks under it.
    ProQrcode thanks;
    thanks.content = QByteArray(kProductSite);
    thanks.size = 360;
    thanks.margin = 20;
    thanks.level = 1;
    thanks.xt = 1;
    thanks.fgColor = QColor("#1F4E79");
    thanks.isCode = true;
    thanks.codeStr = QStringLiteral("感谢支持");
    thanks.codeFontSize = 20;
    thanks.codeColor = QColor("#1F4E79");
    const QString thanksPng = dir + "/pc-zs.png";
    ok = ok && thanks.create(thanksPng) && QImage(thanksPng).save(dir + "/pc-zs.jpg", "JPG", 90);
    QFile::remove(thanksPng);
    return ok ? 0 : 1;
}
