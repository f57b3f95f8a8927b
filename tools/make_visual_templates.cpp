// Draws the template pictures of the visual style: eleven eye designs
// (350 x 350) with their alignment pictures (250 x 250), three sets of dark and
// light tiles (50 x 50) and the translucent frame (1150 x 1150).
//
//   make_visual_templates OUTPUT_FOLDER
//
// One module is 50 pixels in every picture. Eyes and alignment pictures are
// black (dark parts) and white (light parts) at alpha 179 and transparent
// outside their figure; tiles are an opaque shape on a ground of the same
// colour at alpha 26; the frame is a white band at alpha 131 open in the
// middle of each side.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <QtMath>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

constexpr int kModule = 50;
constexpr int kPatternAlpha = 179;
constexpr int kTileGroundAlpha = 26;
constexpr int kFrameAlpha = 131;

// Coverage (0..1 per pixel, antialiased) of a path on a square of `side`.
QImage coverage(int side, const QPainterPath &path)
{
    QImage mask(side, side, QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(path);
    painter.end();
    return mask;
}

// A two-tone pattern picture: the figure in white, its dark part in black,
// both at the pattern alpha; transparent outside the figure.
QImage patternPicture(int side, const QPainterPath &figure, const QPainterPath &dark)
{
    const QImage f = coverage(side, figure);
    const QImage d = coverage(side, dark);
    QImage out(side, side, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < side; ++y) {
        const QRgb *fl = reinterpret_cast<const QRgb *>(f.constScanLine(y));
        const QRgb *dl = reinterpret_cast<const QRgb *>(d.constScanLine(y));
        QRgb *ol = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < side; ++x) {
            const double fc = qAlpha(fl[x]) / 255.0;
            const double dc = qMin(fc, qAlpha(dl[x]) / 255.0);
            const int a = qRound(kPatternAlpha * fc);
            const int white = qRound(kPatternAlpha * (fc - dc));
            ol[x] = qRgba(white, white, white, a);
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32);
}

// A tile: the shape fully opaque, the rest of the tile the same colour at the
// ground alpha.
QImage tilePicture(const QPainterPath &shape, bool dark)
{
    const QImage s = coverage(kModule, shape);
    const int c = dark ? 0 : 255;
    QImage out(kModule, kModule, QImage::Format_ARGB32);
    for (int y = 0; y < kModule; ++y) {
        for (int x = 0; x < kModule; ++x) {
            const double sc = qAlpha(s.pixel(x, y)) / 255.0;
            out.setPixel(x, y, qRgba(c, c, c, qRound(kTileGroundAlpha + (255 - kTileGroundAlpha) * sc)));
        }
    }
    return out;
}

QPainterPath rect(double x, double y, double w, double h, double radius = 0)
{
    QPainterPath path;
    if (radius > 0)
        path.addRoundedRect(QRectF(x, y, w, h), radius, radius);
    else
        path.addRect(QRectF(x, y, w, h));
    return path;
}

QPainterPath ellipse(double x, double y, double w, double h)
{
    QPainterPath path;
    path.addEllipse(QRectF(x, y, w, h));
    return path;
}

// A rectangle whose left corners have radius `left` and right corners `right`.
QPainterPath sidedRect(const QRectF &r, double left, double right)
{
    QPainterPath path;
    path.moveTo(r.left() + left, r.top());
    path.lineTo(r.right() - right, r.top());
    if (right > 0)
        path.arcTo(QRectF(r.right() - 2 * right, r.top(), 2 * right, 2 * right), 90, -90);
    path.lineTo(r.right(), r.bottom() - right);
    if (right > 0)
        path.arcTo(QRectF(r.right() - 2 * right, r.bottom() - 2 * right, 2 * right, 2 * right), 0, -90);
    path.lineTo(r.left() + left, r.bottom());
    if (left > 0)
        path.arcTo(QRectF(r.left(), r.bottom() - 2 * left, 2 * left, 2 * left), 270, -90);
    path.lineTo(r.left(), r.top() + left);
    if (left > 0)
        path.arcTo(QRectF(r.left(), r.top(), 2 * left, 2 * left), 180, -90);
    path.closeSubpath();
    return path;
}

// A square of `side` centred on `centre`, corners rounded, turned by `degrees`.
QPainterPath turnedSquare(QPointF centre, double side, double radius, double degrees)
{
    QTransform t;
    t.translate(centre.x(), centre.y());
    t.rotate(degrees);
    return t.map(rect(-side / 2, -side / 2, side, side, radius));
}

// A plus sign centred on `centre`: arms `length` long and `thickness` thick.
QPainterPath plusSign(QPointF centre, double length, double thickness, double radius)
{
    QPainterPath h = rect(centre.x() - length / 2, centre.y() - thickness / 2, length, thickness, radius);
    QPainterPath v = rect(centre.x() - thickness / 2, centre.y() - length / 2, thickness, length, radius);
    return h.united(v).simplified();
}

// Round eyes are drawn as superellipses, |x|^e + |y|^e = r^e, a little
// fuller than a circle: their sides run straight for longer, which helps
// decoders that fit straight edges to a finder pattern.
constexpr double kRoundness = 2.6;

double roundRadius(double radius, double angle)
{
    return radius / std::pow(std::pow(qAbs(qCos(angle)), kRoundness) + std::pow(qAbs(qSin(angle)), kRoundness),
                             1.0 / kRoundness);
}

// A closed round outline through 1440 points; `radiusAt` gives the size for
// each point, counted in quarter degrees from `startDegrees`.
QPainterPath roundOutline(QPointF centre, const std::function<double(int)> &radiusAt, double startDegrees = 0)
{
    QPolygonF points;
    for (int k = 0; k < 360 * 4; ++k) {
        const double degrees = startDegrees + k / 4.0;
        const double angle = qDegreesToRadians(degrees);
        const double r = roundRadius(radiusAt(k), angle);
        points.append(centre + QPointF(r * qCos(angle), r * qSin(angle)));
    }
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    return path;
}

QPainterPath roundShape(QPointF centre, double radius)
{
    return roundOutline(centre, [radius](int) { return radius; });
}

// A round ring one module thick whose inner edge turns in four blades: over
// each quarter turn it moves out by `step` and eases back near four points
// turned off the axes. The outer edge stays smooth.
QPainterPath spiralRing(QPointF centre, double outer, double step)
{
    const QPainterPath inner = roundOutline(
        centre,
        [&](int k) {
            // k counts quarter degrees: rise over 80 degrees, ease back over 10.
            const double t = (k % 360) / 360.0;
            const double rise = t < 8.0 / 9.0 ? t * 9.0 / 8.0 : 0.5 + 0.5 * qCos(M_PI * (t - 8.0 / 9.0) * 9.0);
            return outer - kModule + step * rise;
        },
        22.5);
    return roundShape(centre, outer).subtracted(inner);
}

// A ring of one module thickness around an n-by-n pattern, made of shapes
// placed one per module.
QPainterPath moduleRing(int n, const std::function<QPainterPath(double, double)> &cell)
{
    QPainterPath ring;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            if (i == 0 || j == 0 || i == n - 1 || j == n - 1)
                ring.addPath(cell(i * kModule, j * kModule));
        }
    }
    ring.setFillRule(Qt::WindingFill);
    return ring.simplified();
}

struct Pattern
{
    QPainterPath figure;
    QPainterPath dark;
};

// Pattern shapes on an n-module square (7 for an eye, 5 for an alignment
// picture); the centre is 3 by 3 modules for an eye and one module otherwise.
struct Layout
{
    explicit Layout(int modules) : n(modules), side(modules * kModule) {}
    int n;
    double side;
    QPointF middle() const { return QPointF(side / 2, side / 2); }
    double centreSide() const { return (n - 4) * kModule; }
    QRectF outer() const { return QRectF(0, 0, side, side); }
    QRectF hole() const { return QRectF(kModule, kModule, side - 2 * kModule, side - 2 * kModule); }
    QRectF centre() const { return QRectF(2 * kModule, 2 * kModule, centreSide(), centreSide()); }
    double s(double eyeValue) const { return eyeValue * n / 7.0; }
};

// A band along the middle of the outer ring that links the shapes of a
// module ring into one closed figure.
QPainterPath chain(const Layout &l)
{
    const double inset = kModule / 2.0 - 15;
    const double band = 30;
    return rect(inset, inset, l.side - 2 * inset, l.side - 2 * inset, 6)
        .subtracted(rect(inset + band, inset + band, l.side - 2 * inset - 2 * band, l.side - 2 * inset - 2 * band));
}

// The round centre inside a square ring: a little larger than the centre
// modules, so that across the diagonal the pattern keeps the proportions
// that decoders look for in a finder pattern.
QPainterPath disc(const Layout &l)
{
    const double d = l.n == 7 ? 166 : 56;
    return ellipse(l.side / 2 - d / 2, l.side / 2 - d / 2, d, d);
}

// The disc inside a round ring, a little fuller than the centre modules.
QPainterPath roundCentre(const Layout &l)
{
    const double d = l.n == 7 ? 160 : 50;
    return ellipse(l.side / 2 - d / 2, l.side / 2 - d / 2, d, d);
}

QPainterPath roundedRing(const Layout &l, double outerRadius, double holeRadius)
{
    return rect(0, 0, l.side, l.side, outerRadius).subtracted(
        rect(kModule, kModule, l.side - 2 * kModule, l.side - 2 * kModule, holeRadius));
}

QPainterPath circleRing(const Layout &l)
{
    if (l.n != 7)
        return ellipse(0, 0, l.side, l.side).subtracted(ellipse(kModule, kModule, l.side - 2 * kModule, l.side - 2 * kModule));
    return roundShape(l.middle(), l.side / 2).subtracted(roundShape(l.middle(), l.side / 2 - kModule));
}

Pattern design(int id, const Layout &l)
{
    const QRectF c = l.centre();
    const double cs = l.centreSide();
    Pattern p;
    switch (id) {
    case 1: // rounded square
        p.figure = rect(0, 0, l.side, l.side, l.s(84));
        p.dark = roundedRing(l, l.s(84), l.s(44)).united(rect(c.x(), c.y(), cs, cs, cs * 0.26));
        break;
    case 2: // square with a round centre
        p.figure = rect(0, 0, l.side, l.side, l.s(36));
        p.dark = roundedRing(l, l.s(36), l.s(16)).united(disc(l));
        break;
    case 3: // circle
        p.figure = l.n == 7 ? roundShape(l.middle(), l.side / 2) : ellipse(0, 0, l.side, l.side);
        p.dark = circleRing(l).united(roundCentre(l));
        break;
    case 4: // circle with a square centre
        p.figure = l.n == 7 ? roundShape(l.middle(), l.side / 2) : ellipse(0, 0, l.side, l.side);
        p.dark = circleRing(l).united(rect(c.x(), c.y(), cs, cs, cs * 0.3));
        break;
    case 5: // square left side, round right side
    case 6: { // round left side, square right side
        const bool roundRight = id == 5;
        auto shape = [&](const QRectF &r, double radius) {
            return roundRight ? sidedRect(r, 6, radius) : sidedRect(r, radius, 6);
        };
        p.figure = shape(l.outer(), l.s(120));
        p.dark = shape(l.outer(), l.s(120))
                     .subtracted(shape(l.hole(), l.s(72)))
                     .united(shape(c, cs * 0.45));
        break;
    }
    case 9: { // turned square
        p.figure = rect(0, 0, l.side, l.side, 18);
        const double turned = l.n == 7 ? 144 : 46;
        p.dark = roundedRing(l, 18, 8).united(turnedSquare(l.middle(), turned, turned * 0.14, 14));
        break;
    }
    case 10: { // cross: the outline and the centre are both plus signs
        const double cut = l.n == 7 ? 30 : 22;
        p.figure = plusSign(l.middle(), l.side, l.side - 2 * cut, 8);
        p.dark = p.figure.subtracted(rect(kModule, kModule, l.side - 2 * kModule, l.side - 2 * kModule, 10))
                     .united(l.n == 7 ? plusSign(l.middle(), cs, 116, 8) : plusSign(l.middle(), 64, 24, 6));
        break;
    }
    case 11: // turned circle: a closed ring whose inner edge turns in four blades
        p.figure = roundShape(l.middle(), l.side / 2);
        p.dark = spiralRing(l.middle(), l.side / 2, l.n == 7 ? 14 : 10).united(roundCentre(l));
        break;
    case 12: // circles: a ring of dots round a disc
        p.figure = rect(0, 0, l.side, l.side, kModule / 2.0);
        p.dark = moduleRing(l.n, [](double x, double y) { return ellipse(x - 4, y - 4, kModule + 8, kModule + 8); })
                     .united(chain(l))
                     .united(disc(l));
        break;
    case 13: // squares: a ring of blocks round a square
    default:
        p.figure = rect(0, 0, l.side, l.side, 8);
        p.dark = moduleRing(l.n, [](double x, double y) { return rect(x + 3, y + 3, kModule - 6, kModule - 6, 7); })
                     .united(chain(l))
                     .united(rect(c.x() + 3, c.y() + 3, cs - 6, cs - 6, 10));
        break;
    }
    return p;
}

QPainterPath starShape()
{
    // Four points 37 pixels across, sides curving in towards the middle.
    const QPointF m(25, 25);
    const double r = 18.5;
    QPainterPath star;
    star.moveTo(m.x(), m.y() - r);
    const QPointF tips[4] = {{m.x() + r, m.y()}, {m.x(), m.y() + r}, {m.x() - r, m.y()}, {m.x(), m.y() - r}};
    const double inner = 6;
    const QPointF pulls[4] = {{m.x() + inner, m.y() - inner}, {m.x() + inner, m.y() + inner},
                              {m.x() - inner, m.y() + inner}, {m.x() - inner, m.y() - inner}};
    for (int i = 0; i < 4; ++i)
        star.quadTo(pulls[i], tips[i]);
    star.closeSubpath();
    return star;
}

// The frame: a white band along the edges, open in the middle of each side
// (from 400 to 755 along the side), with round ends at the openings.
QImage framePicture()
{
    const int side = 1150;
    const double band = 50;
    const double r = band / 2;
    const double open0 = 400;
    const double open1 = 755;
    // A band piece along the top edge from `from` to `to`, with a round end
    // at the opening side.
    auto piece = [&](double from, double to, bool roundAtEnd) {
        QPainterPath path = roundAtEnd ? rect(from, 0, to - from - r, band) : rect(from + r, 0, to - from - r, band);
        path.addEllipse(QPointF(roundAtEnd ? to - r : from + r, r), r, r);
        path.setFillRule(Qt::WindingFill);
        return path.simplified();
    };
    QPainterPath top = piece(0, open0, true).united(piece(open1, side, false));
    QPainterPath bands;
    for (int k = 0; k < 4; ++k) {
        QTransform t;
        t.translate(side / 2.0, side / 2.0);
        t.rotate(90 * k);
        t.translate(-side / 2.0, -side / 2.0);
        // Rotations turn the top edge into the others; mirror every other
        // side so each keeps its opening at 400..755 counted from its start.
        QTransform mirror;
        if (k == 2 || k == 3)
            mirror = QTransform(-1, 0, 0, 1, side, 0);
        bands = bands.united(t.map(mirror.map(top)));
    }
    bands = bands.intersected(rect(0, 0, side, side, 18));
    const QImage mask = coverage(side, bands);
    QImage out(side, side, QImage::Format_ARGB32);
    for (int y = 0; y < side; ++y) {
        const QRgb *ml = reinterpret_cast<const QRgb *>(mask.constScanLine(y));
        QRgb *ol = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < side; ++x)
            ol[x] = qRgba(255, 255, 255, qRound(kFrameAlpha * qAlpha(ml[x]) / 255.0));
    }
    return out;
}

bool save(const QImage &image, const QString &folder, const QString &name)
{
    const QString path = folder + QLatin1Char('/') + name;
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(name), image.width(), image.height());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = true;

    // Eye designs by file number; the alignment pictures exist for some of them.
    const int eyes[] = {1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 13};
    const int alignments[] = {1, 2, 3, 4, 9, 10, 11};
    auto name = [](int size, int id) {
        return id == 1 ? QStringLiteral("%1.png").arg(size) : QStringLiteral("%1_%2.png").arg(size).arg(id);
    };
    for (int id : eyes) {
        const Layout l(7);
        const Pattern p = design(id, l);
        ok = save(patternPicture(350, p.figure, p.dark), folder, name(350, id)) && ok;
    }
    for (int id : alignments) {
        const Layout l(5);
        const Pattern p = design(id, l);
        ok = save(patternPicture(250, p.figure, p.dark), folder, name(250, id)) && ok;
    }

    // Tile sets: 12 star, 10 square, 11 disc.
    const QPainterPath star = starShape();
    const QPainterPath square = rect(14.5, 14.5, 21, 21, 3);
    const QPainterPath disc = ellipse(14, 14, 22, 22);
    const struct { int id; QPainterPath shape; } tiles[] = {{12, star}, {10, square}, {11, disc}};
    for (const auto &tile : tiles) {
        ok = save(tilePicture(tile.shape, true), folder, QStringLiteral("50_%1_1.png").arg(tile.id)) && ok;
        ok = save(tilePicture(tile.shape, false), folder, QStringLiteral("50_%1_0.png").arg(tile.id)) && ok;
    }

    ok = save(framePicture(), folder, QStringLiteral("bgborder-x2.png")) && ok;
    return ok ? 0 : 1;
}
