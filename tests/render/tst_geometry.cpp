// Module geometry of an encoded symbol: the neighbour shapes, the pattern
// areas, the alignment centres checked against real symbols, and encoding.
#include "helpers.h"
#include "qrsymbol.h"
#include "rendersupport.h"

#include <QPoint>
#include <QtTest>

#include <cstring>

namespace {

// A synthetic symbol with guard rows of dark bytes before and after it, so
// that reading past an edge would show up as a dark neighbour.
class Grid
{
public:
    explicit Grid(int width) : m_width(width), m_bytes(width * width + 2 * width, char(0xff))
    {
        std::memset(m_bytes.data() + width, 0, size_t(width) * size_t(width));
    }
    Grid &set(int x, int y, unsigned char value = 1)
    {
        m_bytes[m_width + y * m_width + x] = char(value);
        return *this;
    }
    QrGrid grid() const
    {
        return QrGrid(m_width, reinterpret_cast<const unsigned char *>(m_bytes.constData()) + m_width);
    }

private:
    int m_width;
    QByteArray m_bytes;
};

bool sameSymbol(const QRcode *a, const QRcode *b)
{
    return a && b && a->width == b->width
        && std::memcmp(a->data, b->data, size_t(a->width) * size_t(a->width)) == 0;
}

QRcode *encode(const QByteArray &text, int version = 0, int level = 0, bool caseSensitive = true)
{
    QByteArray content = text;
    return encodeQrContent(content, version, level, 2, caseSensitive);
}

QByteArray at(int x, int y)
{
    return QByteArray::number(x) + "," + QByteArray::number(y);
}

} // namespace

class TestGeometry : public QObject
{
    Q_OBJECT

private slots:
    void neighbourShapes()
    {
        // The shape for each set of dark neighbours of the centre module, by
        // mask: top 1, right 2, bottom 4, left 8. Diagonal neighbours never count.
        const char *shapes[16] = {"roundCenter", "roundBottom", "roundLeft", "roundLeftBottom", "roundTop",
                                  "squareCenter", "roundLeftTop", "squareCenter", "roundRight", "roundRightBottom",
                                  "squareCenter", "squareCenter", "roundRightTop", "squareCenter", "squareCenter",
                                  "squareCenter"};
        const QPoint sides[4] = {{2, 1}, {3, 2}, {2, 3}, {1, 2}};
        for (int mask = 0; mask < 16; ++mask) {
            Grid g(5);
            g.set(2, 2).set(1, 1).set(3, 1).set(1, 3).set(3, 3);
            for (int side = 0; side < 4; ++side)
                if (mask & (1 << side))
                    g.set(sides[side].x(), sides[side].y());
            QVERIFY2(g.grid().shapeName(2, 2) == QLatin1String(shapes[mask]), QByteArray::number(mask).constData());
        }

        // Only bit 0 marks a dark module.
        Grid bits(3);
        const QrGrid g = bits.set(1, 1, 0xff).set(1, 0, 0xfe).set(0, 1, 0xfe).set(2, 1, 0x03).set(1, 2, 0x80).grid();
        QVERIFY(g.dark(1, 1) && !g.dark(1, 0) && g.dark(2, 1));
        QCOMPARE(g.shapeName(1, 1), QStringLiteral("roundLeft"));
    }

    void shapesAtEdges()
    {
        // Column 4 dark from top to bottom, a lone module at the left edge, and
        // the last column's (4, 2) with only its left neighbour (3, 2) dark.
        Grid edges(5);
        for (int y = 0; y < 5; ++y)
            edges.set(4, y);
        const QrGrid g = edges.set(0, 2).grid();
        QVERIFY(!g.dark(-1, 0) && !g.dark(0, -1) && !g.dark(5, 4) && !g.dark(4, 5));
        // Its left neighbour would be (4, 1) if the row wrapped around.
        QCOMPARE(g.shapeName(0, 2), QStringLiteral("roundCenter"));
        // Above the top row and below the bottom row lie the dark guard bytes.
        QVERIFY(g.shapeName(4, 0) == "roundTop" && g.shapeName(4, 4) == "roundBottom" && g.shapeName(4, 2) == "squareCenter");
        Grid right(5);
        QCOMPARE(right.set(4, 3).set(3, 3).set(0, 4).grid().shapeName(4, 3), QStringLiteral("roundRight"));

        // The corners of the symbol.
        Grid corners(4);
        const QrGrid c = corners.set(0, 0).set(1, 0).set(0, 1).set(3, 3).set(2, 3).set(3, 2).set(3, 0).grid();
        QVERIFY(c.shapeName(0, 0) == "roundLeftTop" && c.shapeName(3, 3) == "roundRightBottom" && c.shapeName(3, 0) == "roundCenter");
    }

    void plusZoneAndFinderAreas()
    {
        Grid blank(25);
        const QrGrid g = blank.grid();
        // Timing row and column, the format modules beside the finders.
        const QPoint inside[] = {{6, 0}, {6, 24}, {6, 13}, {0, 6}, {24, 6}, {13, 6}, {0, 0}, {8, 8},
                                 {0, 8}, {8, 0}, {7, 7}, {17, 8}, {24, 8}, {8, 17}, {8, 24}};
        const QPoint outside[] = {{9, 8}, {8, 9}, {16, 8}, {8, 16}, {7, 9}, {9, 7}, {17, 9}, {9, 17},
                                  {17, 7}, {7, 17}, {24, 24}, {12, 12}, {5, 20}, {20, 5}};
        for (const QPoint &p : inside)
            QVERIFY2(g.inPlusZone(p.x(), p.y()), at(p.x(), p.y()).constData());
        for (const QPoint &p : outside)
            QVERIFY2(!g.inPlusZone(p.x(), p.y()), at(p.x(), p.y()).constData());

        // The finder with side 7, and with its separator (side 8).
        struct Probe { int x, y; QrGrid::Corner seven, eight; };
        const Probe probes[] = {
            {6, 6, QrGrid::TopLeft, QrGrid::TopLeft},         {7, 7, QrGrid::NoCorner, QrGrid::TopLeft},
            {8, 8, QrGrid::NoCorner, QrGrid::NoCorner},       {18, 0, QrGrid::TopRight, QrGrid::TopRight},
            {17, 0, QrGrid::NoCorner, QrGrid::TopRight},      {24, 7, QrGrid::NoCorner, QrGrid::TopRight},
            {16, 0, QrGrid::NoCorner, QrGrid::NoCorner},      {24, 8, QrGrid::NoCorner, QrGrid::NoCorner},
            {0, 18, QrGrid::BottomLeft, QrGrid::BottomLeft},  {7, 24, QrGrid::NoCorner, QrGrid::BottomLeft},
            {0, 17, QrGrid::NoCorner, QrGrid::BottomLeft},    {8, 24, QrGrid::NoCorner, QrGrid::NoCorner},
            {24, 24, QrGrid::NoCorner, QrGrid::NoCorner},
        };
        for (const Probe &p : probes) {
            QVERIFY2(g.finderArea(p.x, p.y, 7) == p.seven, at(p.x, p.y).constData());
            QVERIFY2(g.finderArea(p.x, p.y, 8) == p.eight, at(p.x, p.y).constData());
        }
    }

    void patternsPaintedOnce()
    {
        // Version 7 walked row by row: each finder once at its top-left module
        // (the 8-wide area too: not at the light separator), the six alignment
        // patterns once at their top-left modules, nothing else in the areas.
        QrSymbolHolder symbol(encode("patterns", 7, 0));
        const QrGrid grid(symbol.get());
        const int w = grid.width();
        for (int side : {7, 8}) {
            PatternWalk walk(grid, side);
            QList<QPoint> finders, alignments;
            int ordinary = 0;
            for (int y = 0; y < w; ++y) {
                for (int x = 0; x < w; ++x) {
                    const PatternWalk::Role role = walk.role(x, y);
                    if (role == PatternWalk::FinderHere)
                        finders << QPoint(x, y);
                    else if (role == PatternWalk::AlignmentHere)
                        alignments << QPoint(x, y);
                    else if (role == PatternWalk::Ordinary)
                        ++ordinary;
                }
            }
            QCOMPARE(finders, (QList<QPoint>{{0, 0}, {w - 7, 0}, {0, w - 7}}));
            QCOMPARE(alignments, (QList<QPoint>{{20, 4}, {4, 20}, {20, 20}, {36, 20}, {20, 36}, {36, 36}}));
            QCOMPARE(ordinary, w * w - 3 * side * side - 6 * 25);
        }
    }

    void alignmentAreasInRealSymbols()
    {
        // Versions 1 to 40: the centres of the table, met as the anchors of the
        // module walk (none in version 1, one up to version 6, then 2 + version
        // / 7 per side less the three on the finders); each area the 5 by 5
        // modules around its centre, clear of the finders, and holding the
        // pattern the encoder drew: dark centre and ring, light between.
        for (int version = 1; version <= 40; ++version) {
            const QByteArray label = "version " + QByteArray::number(version);
            QrSymbolHolder symbol(encode("geometry", version, 0));
            QVERIFY2(symbol.get() && symbol.get()->width == 17 + 4 * version, label.constData());
            const QrGrid g(symbol.get());
            const int w = g.width();
            QCOMPARE(g.alignmentList(), alignmentPatternCenters(w));
            QList<QPoint> centres;
            int inArea = 0;
            for (int p = 0; p < w * w; ++p) {
                bool anchor = false;
                inArea += g.inAlignmentArea(p % w, p / w, &anchor);
                if (anchor)
                    centres << QPoint(p % w + 2, p / w + 2);
            }
            const int perSide = 2 + version / 7;
            QVERIFY2(centres.size() == (version == 1 ? 0 : version < 7 ? 1 : perSide * perSide - 3), label.constData());
            QVERIFY2(inArea == 25 * centres.size() && (version == 1 || g.alignmentList().first() == w - 7), label.constData());
            for (const QPoint &c : centres)
                for (int d = 0; d < 25; ++d) {
                    const int x = c.x() + d % 5 - 2, y = c.y() + d / 5 - 2;
                    const bool light = qMax(qAbs(d % 5 - 2), qAbs(d / 5 - 2)) == 1;
                    QVERIFY2(g.inAlignmentArea(x, y) && g.finderArea(x, y, 8) == QrGrid::NoCorner && g.dark(x, y) != light,
                             (label + " module " + at(x, y)).constData());
                }
        }
    }

    void encoding()
    {
        // An empty content encodes the site address and keeps it; a text stays.
        QByteArray content, text("hello");
        QrSymbolHolder empty(encodeQrContent(content, 0, 2, 2, true)), hello(encodeQrContent(text, 0, 0, 2, true));
        QrSymbolHolder site(encode(QByteArray(kProductSite), 0, 2));
        QVERIFY(content == kProductSite && sameSymbol(empty.get(), site.get()));
        QVERIFY(hello.get() && text == "hello");
        // The largest symbol at level H holds 1273 bytes, and no more.
        QrSymbolHolder fits(encode(QByteArray(1273, 'a'), 40, 3)), tooLong(encode(QByteArray(1274, 'a'), 40, 3));
        QrSymbolHolder tooLongAuto(encode(QByteArray(3000, 'a'), 0, 3));
        QVERIFY(fits.get() && fits.get()->width == 177 && !tooLong.get() && !tooLongAuto.get());
        // The encoder reads up to the first NUL byte.
        QrSymbolHolder withNul(encode(QByteArray("abc\0def", 7))), shorter(encode("abc")), whole(encode("abcdef"));
        QVERIFY(sameSymbol(withNul.get(), shorter.get()) && !sameSymbol(withNul.get(), whole.get()));
        // Version, level and case flag reach the encoder.
        QrSymbolHolder v5(encode("hello", 5)), low(encode(QByteArray(100, 'q'), 0, 0)), high(encode(QByteArray(100, 'q'), 0, 3));
        QVERIFY(v5.get()->width == 37 && high.get()->width > low.get()->width);
        QrSymbolHolder folded(encode("mixed case text", 0, 1, false)), upper(encode("MIXED CASE TEXT", 0, 1, true));
        QrSymbolHolder kept(encode("mixed case text", 0, 1, true));
        QVERIFY(sameSymbol(folded.get(), upper.get()) && !sameSymbol(folded.get(), kept.get()));
    }
};

QTEST_MAIN(TestGeometry)
#include "tst_geometry.moc"
