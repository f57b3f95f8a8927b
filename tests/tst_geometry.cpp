// Module geometry of an encoded symbol: the neighbour shapes, the pattern
// areas, the alignment centres checked against real symbols, and encoding.
#include "helpers.h"
#include "qrsymbol.h"
#include "testsupport.h"

#include <QPoint>
#include <QSet>
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
    void set(int x, int y, unsigned char value = 1)
    {
        m_bytes[m_width + y * m_width + x] = char(value);
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
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void neighbourShapes();
    void shapesAtEdges();
    void plusZone();
    void finderAreas();
    void alignmentAreas();
    void alignmentCentresInRealSymbols();
    void encoding();

private:
    TestCwd m_cwd;
};

void TestGeometry::neighbourShapes()
{
    // Each set of dark neighbours of the centre module, T R B L.
    struct Row { const char *neighbours; const char *shape; };
    const Row rows[] = {
        {"", "roundCenter"},        {"B", "roundTop"},          {"L", "roundRight"},
        {"T", "roundBottom"},       {"R", "roundLeft"},         {"RB", "roundLeftTop"},
        {"TR", "roundLeftBottom"},  {"BL", "roundRightTop"},    {"TL", "roundRightBottom"},
        {"TB", "squareCenter"},     {"RL", "squareCenter"},     {"TRB", "squareCenter"},
        {"TRL", "squareCenter"},    {"TBL", "squareCenter"},    {"RBL", "squareCenter"},
        {"TRBL", "squareCenter"},
    };
    for (const Row &row : rows) {
        Grid g(5);
        g.set(2, 2);
        // Diagonal neighbours never count.
        g.set(1, 1);
        g.set(3, 1);
        g.set(1, 3);
        g.set(3, 3);
        const QByteArray n(row.neighbours);
        if (n.contains('T')) g.set(2, 1);
        if (n.contains('R')) g.set(3, 2);
        if (n.contains('B')) g.set(2, 3);
        if (n.contains('L')) g.set(1, 2);
        QVERIFY2(g.grid().shapeName(2, 2) == QLatin1String(row.shape), row.neighbours);
    }

    // Only bit 0 marks a dark module.
    Grid bits(3);
    bits.set(1, 1, 0xff);
    bits.set(1, 0, 0xfe);
    bits.set(0, 1, 0xfe);
    bits.set(2, 1, 0x03);
    bits.set(1, 2, 0x80);
    const QrGrid g = bits.grid();
    QVERIFY(g.dark(1, 1));
    QVERIFY(!g.dark(1, 0));
    QVERIFY(g.dark(2, 1));
    QCOMPARE(g.shapeName(1, 1), QStringLiteral("roundLeft"));
}

void TestGeometry::shapesAtEdges()
{
    // Column 4 dark from top to bottom, plus a lone module at the left edge.
    Grid edges(5);
    for (int y = 0; y < 5; ++y)
        edges.set(4, y);
    edges.set(0, 2);
    const QrGrid g = edges.grid();
    QCOMPARE(g.width(), 5);
    QVERIFY(!g.dark(-1, 0));
    QVERIFY(!g.dark(0, -1));
    QVERIFY(!g.dark(5, 4));
    QVERIFY(!g.dark(4, 5));
    // Its left neighbour would be (4, 1) if the row wrapped around.
    QCOMPARE(g.shapeName(0, 2), QStringLiteral("roundCenter"));
    // Above the top row and below the bottom row lie the dark guard bytes.
    QCOMPARE(g.shapeName(4, 0), QStringLiteral("roundTop"));
    QCOMPARE(g.shapeName(4, 4), QStringLiteral("roundBottom"));
    QCOMPARE(g.shapeName(4, 2), QStringLiteral("squareCenter"));

    // A module in the last column with only its left neighbour dark.
    Grid right(5);
    right.set(4, 3);
    right.set(3, 3);
    right.set(0, 4);
    QCOMPARE(right.grid().shapeName(4, 3), QStringLiteral("roundRight"));

    // The corners of the symbol.
    Grid corners(4);
    corners.set(0, 0);
    corners.set(1, 0);
    corners.set(0, 1);
    corners.set(3, 3);
    corners.set(2, 3);
    corners.set(3, 2);
    corners.set(3, 0);
    const QrGrid c = corners.grid();
    QCOMPARE(c.shapeName(0, 0), QStringLiteral("roundLeftTop"));
    QCOMPARE(c.shapeName(3, 3), QStringLiteral("roundRightBottom"));
    QCOMPARE(c.shapeName(3, 0), QStringLiteral("roundCenter"));
}

void TestGeometry::plusZone()
{
    Grid blank(25);
    const QrGrid g = blank.grid();
    const QPoint inside[] = {{6, 0}, {6, 24}, {6, 13}, {0, 6}, {24, 6}, {13, 6}, {0, 0}, {8, 8},
                             {0, 8}, {8, 0}, {7, 7}, {17, 8}, {24, 8}, {8, 17}, {8, 24}};
    const QPoint outside[] = {{9, 8}, {8, 9}, {16, 8}, {8, 16}, {7, 9}, {9, 7}, {17, 9}, {9, 17},
                              {17, 7}, {7, 17}, {24, 24}, {12, 12}, {5, 20}, {20, 5}};
    for (const QPoint &p : inside)
        QVERIFY2(g.inPlusZone(p.x(), p.y()), at(p.x(), p.y()).constData());
    for (const QPoint &p : outside)
        QVERIFY2(!g.inPlusZone(p.x(), p.y()), at(p.x(), p.y()).constData());
}

void TestGeometry::finderAreas()
{
    Grid blank(25);
    const QrGrid g = blank.grid();
    struct Probe { int x, y; QrGrid::Corner seven, eight; };
    const Probe probes[] = {
        {0, 0, QrGrid::TopLeft, QrGrid::TopLeft},
        {6, 6, QrGrid::TopLeft, QrGrid::TopLeft},
        {7, 0, QrGrid::NoCorner, QrGrid::TopLeft},
        {7, 7, QrGrid::NoCorner, QrGrid::TopLeft},
        {8, 8, QrGrid::NoCorner, QrGrid::NoCorner},
        {18, 0, QrGrid::TopRight, QrGrid::TopRight},
        {24, 6, QrGrid::TopRight, QrGrid::TopRight},
        {17, 0, QrGrid::NoCorner, QrGrid::TopRight},   // the separator column
        {24, 7, QrGrid::NoCorner, QrGrid::TopRight},
        {16, 0, QrGrid::NoCorner, QrGrid::NoCorner},
        {24, 8, QrGrid::NoCorner, QrGrid::NoCorner},
        {0, 18, QrGrid::BottomLeft, QrGrid::BottomLeft},
        {6, 24, QrGrid::BottomLeft, QrGrid::BottomLeft},
        {0, 17, QrGrid::NoCorner, QrGrid::BottomLeft},
        {7, 24, QrGrid::NoCorner, QrGrid::BottomLeft},
        {8, 24, QrGrid::NoCorner, QrGrid::NoCorner},
        {24, 24, QrGrid::NoCorner, QrGrid::NoCorner},
        {12, 12, QrGrid::NoCorner, QrGrid::NoCorner},
    };
    for (const Probe &p : probes) {
        QVERIFY2(g.finderArea(p.x, p.y, 7) == p.seven, at(p.x, p.y).constData());
        QVERIFY2(g.finderArea(p.x, p.y, 8) == p.eight, at(p.x, p.y).constData());
    }
}

void TestGeometry::alignmentAreas()
{
    // Which modules lie in an area, and which one anchors it, over the whole
    // symbol, against the centres a version has.
    auto check = [](int version, const QList<QPoint> &centres) {
        const int w = 17 + 4 * version;
        Grid blank(w);
        const QrGrid g = blank.grid();
        for (int y = 0; y < w; ++y)
            for (int x = 0; x < w; ++x) {
                bool expected = false;
                bool expectedAnchor = false;
                for (const QPoint &c : centres) {
                    if (qAbs(x - c.x()) <= 2 && qAbs(y - c.y()) <= 2) {
                        expected = true;
                        expectedAnchor = (x == c.x() - 2 && y == c.y() - 2);
                    }
                }
                bool anchor = !expectedAnchor;
                const bool in = g.inAlignmentArea(x, y, &anchor);
                if (in != expected || (in && anchor != expectedAnchor))
                    return QByteArray("version ") + QByteArray::number(version) + " at " + at(x, y);
                if (in && g.finderArea(x, y, 8) != QrGrid::NoCorner)
                    return QByteArray("area meets a finder at ") + at(x, y);
            }
        return QByteArray();
    };

    QCOMPARE(check(1, {}), QByteArray());
    QCOMPARE(check(2, {{18, 18}}), QByteArray());
    QCOMPARE(check(6, {{34, 34}}), QByteArray());
    // The three pairs on the finders are left out.
    QCOMPARE(check(7, {{38, 38}, {38, 22}, {22, 38}, {22, 22}, {22, 6}, {6, 22}}), QByteArray());

    Grid v2(25);
    bool anchor = false;
    QVERIFY(v2.grid().inAlignmentArea(16, 16, &anchor));
    QVERIFY(anchor);
    QVERIFY(v2.grid().inAlignmentArea(20, 20));
    QVERIFY(!v2.grid().inAlignmentArea(21, 18));
    QCOMPARE(v2.grid().alignmentList(), QList<int>({18}));

    Grid v7(45);
    const QrGrid g7 = v7.grid();
    QCOMPARE(g7.alignmentList(), QList<int>({38, 22, 6}));
    QVERIFY(!g7.inAlignmentArea(6, 6));
    QVERIFY(!g7.inAlignmentArea(6, 38));
    QVERIFY(!g7.inAlignmentArea(38, 6));
    QVERIFY(g7.inAlignmentArea(6, 22));
    QVERIFY(g7.inAlignmentArea(22, 6));

    Grid v40(177);
    QCOMPARE(v40.grid().alignmentList(), QList<int>({170, 142, 114, 86, 58, 30, 6}));
}

void TestGeometry::alignmentCentresInRealSymbols()
{
    for (int version = 2; version <= 40; ++version) {
        const QByteArray label = "version " + QByteArray::number(version);
        QrSymbolHolder symbol(encode("geometry", version, 0));
        QVERIFY2(symbol.get(), label.constData());
        QCOMPARE(symbol.get()->width, 17 + 4 * version);
        const QrGrid g(symbol.get());
        const int w = g.width();
        QCOMPARE(g.alignmentList(), alignmentPatternCenters(w));

        // The centres, as the anchors the module walk meets.
        QList<QPoint> centres;
        for (int y = 0; y < w; ++y)
            for (int x = 0; x < w; ++x) {
                bool anchor = false;
                if (g.inAlignmentArea(x, y, &anchor) && anchor)
                    centres << QPoint(x + 2, y + 2);
            }
        // Patterns per side: 2 + version / 7 from version 7 on, less the three
        // places taken by the finders; a single one before.
        const int perSide = 2 + version / 7;
        const int expected = version < 7 ? 1 : perSide * perSide - 3;
        QVERIFY2(centres.size() == expected,
                 (label + ": " + QByteArray::number(centres.size()) + " centres").constData());
        QCOMPARE(g.alignmentList().first(), w - 7);

        for (const QPoint &c : centres) {
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const int ring = qMax(qAbs(dx), qAbs(dy));
                    const bool wantDark = ring != 1;
                    QVERIFY2(g.dark(c.x() + dx, c.y() + dy) == wantDark,
                             (label + " centre " + at(c.x(), c.y()) + " offset " + at(dx, dy))
                                 .constData());
                }
        }
    }
}

void TestGeometry::encoding()
{
    // An empty content encodes the site address and keeps it.
    QByteArray content;
    QrSymbolHolder empty(encodeQrContent(content, 0, 2, 2, true));
    QCOMPARE(content, QByteArray(kProductSite));
    QrSymbolHolder site(encode(QByteArray(kProductSite), 0, 2));
    QVERIFY(sameSymbol(empty.get(), site.get()));

    // A content with text is left as it is.
    QByteArray text("hello");
    QrSymbolHolder hello(encodeQrContent(text, 0, 0, 2, true));
    QVERIFY(hello.get());
    QCOMPARE(text, QByteArray("hello"));

    // The largest symbol at level H holds 1273 bytes, and no more.
    QrSymbolHolder fits(encode(QByteArray(1273, 'a'), 40, 3));
    QVERIFY(fits.get());
    QCOMPARE(fits.get()->width, 177);
    QrSymbolHolder tooLong(encode(QByteArray(1274, 'a'), 40, 3));
    QVERIFY(!tooLong.get());
    QrSymbolHolder tooLongAuto(encode(QByteArray(3000, 'a'), 0, 3));
    QVERIFY(!tooLongAuto.get());

    // The encoder reads up to the first NUL byte.
    QrSymbolHolder withNul(encode(QByteArray("abc\0def", 7)));
    QrSymbolHolder shorter(encode("abc"));
    QrSymbolHolder whole(encode("abcdef"));
    QVERIFY(sameSymbol(withNul.get(), shorter.get()));
    QVERIFY(!sameSymbol(withNul.get(), whole.get()));

    // Version, level and case flag reach the encoder.
    QrSymbolHolder v5(encode("hello", 5));
    QCOMPARE(v5.get()->width, 37);
    const QByteArray hundred(100, 'q');
    QrSymbolHolder low(encode(hundred, 0, 0));
    QrSymbolHolder high(encode(hundred, 0, 3));
    QVERIFY(high.get()->width > low.get()->width);
    QrSymbolHolder folded(encode("mixed case text", 0, 1, false));
    QrSymbolHolder upper(encode("MIXED CASE TEXT", 0, 1, true));
    QrSymbolHolder kept(encode("mixed case text", 0, 1, true));
    QVERIFY(sameSymbol(folded.get(), upper.get()));
    QVERIFY(!sameSymbol(folded.get(), kept.get()));
}

QTEST_MAIN(TestGeometry)
#include "tst_geometry.moc"
