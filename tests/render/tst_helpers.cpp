// The common helpers (text and state files, counters, suffixes, copies), the
// geometry of an encoded symbol (neighbour shapes, the alignment table against
// the encoder's own patterns, encoding) and the pins of the liquid look.
#include "drawqr.h"
#include "helpers.h"
#include "rendersupport.h"
#include "statefiles.h"

#include <QDir>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <cstring>

using namespace TestSupport;

namespace {

// A symbol of width w between guard rows of dark bytes, so that reading past
// an edge would show up as a dark neighbour; `value` marks the dark modules.
struct Grid
{
    Grid(int w, const QList<QPoint> &dark, char value = 1) : width(w), bytes(w * w + 2 * w, char(0xff))
    {
        std::memset(bytes.data() + w, 0xfe, size_t(w * w));
        for (const QPoint &p : dark)
            bytes[w + p.y() * w + p.x()] = value;
    }
    QrGrid grid() const { return QrGrid(width, reinterpret_cast<const uchar *>(bytes.constData()) + width); }
    int width;
    QByteArray bytes;
};

// The same modules for both texts (version 0 chooses, level M).
bool sameSymbol(QByteArray a, QByteArray b, bool caseSensitive = true)
{
    QrSymbolHolder x(encodeQrContent(a, 0, 1, 2, caseSensitive)), y(encodeQrContent(b, 0, 1, 2, true));
    return x.get() && y.get() && x.get()->width == y.get()->width && !std::memcmp(x.get()->data, y.get()->data, size_t(x.get()->width * x.get()->width));
}

} // namespace

class TestHelpers : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_cwd.enter(); }
    void cleanup() { m_cwd.leave(); }

    void textFilesAndCounters()
    {
        // Up to the first NUL, UTF-8, CRLF read as LF; nothing readable gives the default.
        QVERIFY(writeBytes("cut.txt", QByteArray("ab\0cd", 5)) && writeBytes("nul.txt", QByteArray("\0ab", 3)) && writeBytes("lines.txt", "one\r\n\xe4\xb8\xad\r\n")
                && writeBytes("empty.txt", "") && QDir().mkdir("dir"));
        const QStringList reads[] = {{"cut.txt", "ab"}, {"lines.txt", "one\n中\n"}, {"nul.txt", "-"}, {"empty.txt", "-"}, {"dir", "-"}, {"missing", "-"}, {"", "-"}};
        for (const QStringList &c : reads)
            QCOMPARE(readTextFile(c.at(0), "-"), c.at(1));
        // Written as UTF-8 without a byte-order mark, appended or replacing the whole file;
        // false for an empty path, a missing folder and a device with no room.
        struct Write { const char *path, *text; bool append, ok; QByteArray after; };
        const Write writes[] = {{"t.txt", "中文\nok", false, true, "\xe4\xb8\xad\xe6\x96\x87\nok"}, {"t.txt", "+1", true, true, "\xe4\xb8\xad\xe6\x96\x87\nok+1"},
                                {"t.txt", "ab", false, true, "ab"}, {"t.txt", "", false, true, ""}, {"new.txt", "x", true, true, "x"}, {"", "x", false, false, {}},
                                {"no/dir/x.txt", "x", false, false, {}}, {"no/dir/x.txt", "x", true, false, {}}, {"/dev/full", "x", false, false, {}},
                                {"/dev/full", "x", true, false, {}}};
        for (const Write &c : writes)
            QVERIFY2(writeTextFile(c.path, QString::fromUtf8(c.text), c.append) == c.ok && (!c.ok || readBytes(c.path) == c.after), c.path);
        // State files live in the folder given; a remembered folder is absolute.
        rememberFileFolder(m_cwd.path(), StateFile::BatchCsvFolder, "sub/list.csv");
        rememberFileFolder(m_cwd.path(), StateFile::BatchSaveFolder, "sub/out", false);
        QVERIFY(readStateFile(m_cwd.path(), "default_dir_csv.cache") == m_cwd.file("sub/") && readBytes("default_dir_qrsave.cache") == m_cwd.file("sub").toUtf8());

        // A counter is the text of an int in <name>.cache; anything else reads as 0 and is
        // replaced by the amount added; the sum saturates at both ends of int.
        struct Count { QByteArray before; int read, add; QByteArray after; };
        const Count counts[] = {{{}, 0, 5, "5"}, {"5", 5, -7, "-2"}, {"12x", 0, 3, "3"}, {"2147483648", 0, 1, "1"}, {"", 0, 3, "3"},
                                {"2147483640", 2147483640, 100, "2147483647"}, {"-2147483640", -2147483640, -100, "-2147483648"}};
        for (const Count &c : counts) {
            QVERIFY((QFile::remove("qrcode_jiema.cache") || c.before.isNull()) && (c.before.isNull() || writeBytes("qrcode_jiema.cache", c.before)));
            QVERIFY2(readCacheCounter(StateFile::DecodeCounter) == c.read, c.before.constData());
            addCacheCounter(StateFile::DecodeCounter, c.add);
            QCOMPARE(readBytes(m_cwd.file("qrcode_jiema.cache")), c.after);
        }
        // Two threads adding at once lose nothing, and log nothing.
        const auto adder = [] { for (int i = 0; i < 300; ++i) addCacheCounter("qrcode_create", 1); };
        QScopedPointer<QThread> second(QThread::create(adder));
        second->start();
        QVERIFY(collectMessages(adder).isEmpty() && second->wait(60000) && readCacheCounter("qrcode_create") == 600);
    }

    void suffixesAndCopies()
    {
        // What follows the last dot; a path without one comes back whole.
        const QStringList suffixes[] = {{"picture", "picture"}, {"picture.", ""}, {"/my.dir/picture", "dir/picture"}, {"/a.b/back.GIF", "GIF"}, {"a.tar.gz", "gz"}};
        for (const QStringList &c : suffixes)
            QCOMPARE(fileSuffix(c.at(0)), c.at(1));
        // A failed copy keeps the old target and leaves nothing half-written.
        const QByteArray payload("bin\0\r\nary\xff", 10), old("an older and longer target");
        QVERIFY(writeBytes("src.bin", payload) && QDir().mkdir("dir"));
        const QStringList failing[] = {{"", "old.bin"}, {"src.bin", ""}, {"missing", "old.bin"}, {"missing", "missing"}, {"dir", "old.bin"}, {"src.bin", "a/b"}};
        for (const QStringList &c : failing)
            QVERIFY2(writeBytes("old.bin", old) && !copyFile(c.at(0), c.at(1)) && readBytes("old.bin") == old, qPrintable(c.join(" -> ")));
        QVERIFY(copyFile("src.bin", "new.bin") && copyFile(m_cwd.file("src.bin"), "old.bin") && readBytes("new.bin") == payload && readBytes("old.bin") == payload);
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList({"dir", "new.bin", "old.bin", "src.bin"}));
        // The same file under another name is left alone: an old stamp shows a rewrite.
        QFile file("src.bin");
        const QDateTime stamp = QDateTime::fromSecsSinceEpoch(1000000000);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(stamp, QFileDevice::FileModificationTime) && QFile::link(m_cwd.file("src.bin"), "link"));
        const QStringList same[] = {{"src.bin", "src.bin"}, {"src.bin", "./src.bin"}, {"dir/../src.bin", "src.bin"}, {"src.bin", m_cwd.file("src.bin")},
                                    {"src.bin", "link"}, {"link", "src.bin"}};
        for (const QStringList &c : same)
            QVERIFY2(copyFile(c.at(0), c.at(1)) && readBytes("src.bin") == payload && QFileInfo("src.bin").lastModified() == stamp && QFileInfo("link").isSymLink(),
                     qPrintable(c.join(" -> ")));
    }

    void neighbourShapes()
    {
        // By mask of dark sides (top 1, right 2, bottom 4, left 8); diagonals never
        // count, only bit 0 of a module marks it dark (0xfe is light).
        const char *shapes[16] = {"roundCenter", "roundBottom", "roundLeft", "roundLeftBottom", "roundTop", "squareCenter", "roundLeftTop", "squareCenter",
                                  "roundRight", "roundRightBottom", "squareCenter", "squareCenter", "roundRightTop", "squareCenter", "squareCenter", "squareCenter"};
        const QPoint sides[4] = {{2, 1}, {3, 2}, {2, 3}, {1, 2}};
        for (int mask = 0; mask < 16; ++mask) {
            QList<QPoint> dark = {{2, 2}, {1, 1}, {3, 1}, {1, 3}, {3, 3}};
            for (int side = 0; side < 4; ++side)
                dark << (mask & (1 << side) ? sides[side] : QPoint(2, 2));
            QVERIFY2(Grid(5, dark, char(0x03)).grid().shapeName(2, 2) == QLatin1String(shapes[mask]), shapes[mask]);
        }
        // Outside the symbol is light: no wrap-around to the row before, no guard bytes.
        const QrGrid g = Grid(5, {{4, 0}, {4, 1}, {4, 2}, {4, 3}, {4, 4}, {0, 2}}).grid();
        QVERIFY(!g.dark(-1, 0) && !g.dark(0, -1) && !g.dark(5, 4) && !g.dark(4, 5) && g.dark(4, 4) && !g.dark(3, 4) && g.shapeName(0, 2) == "roundCenter");
    }

    void encoding()
    {
        // Centres, largest first, by symbol width; none outside versions 2 to 40.
        const QList<int> centres[][2] = {{{21}, {}}, {{25}, {18}}, {{45}, {38, 22, 6}}, {{177}, {170, 142, 114, 86, 58, 30, 6}}, {{181}, {}}, {{13}, {}}};
        for (const auto &c : centres)
            QCOMPARE(alignmentPatternCenters(c[0].at(0)), c[1]);
        // Versions 1 to 40: the table's centres are where the encoder drew its
        // patterns (dark centre and ring, light between), clear of the finders.
        for (int version = 1; version <= 40; ++version) {
            const Symbol symbol("geometry", version, 0);
            const QrGrid &g = symbol.grid;
            const int w = g.width(), perSide = 2 + version / 7;
            QVERIFY(w == 17 + 4 * version && qrVersionFromWidth(w) == version && g.alignmentList() == alignmentPatternCenters(w));
            int anchors = 0;
            for (int p = 0; p < w * w; ++p) {
                bool anchor = false;
                if (!g.inAlignmentArea(p % w, p / w, &anchor) || !anchor)
                    continue;
                ++anchors;
                for (int d = 0; d < 25; ++d) {
                    const int x = p % w + d % 5, y = p / w + d / 5;
                    QVERIFY2(g.inAlignmentArea(x, y) && g.finderArea(x, y, 8) < 0 && g.dark(x, y) != (qMax(qAbs(d % 5 - 2), qAbs(d / 5 - 2)) == 1),
                             qPrintable(QStringLiteral("version %1 module %2,%3").arg(version).arg(x).arg(y)));
                }
            }
            QCOMPARE(anchors, version == 1 ? 0 : version < 7 ? 1 : perSide * perSide - 3);
        }
        // An empty content encodes the site address and keeps it; the encoder
        // reads up to a NUL; the case flag folds to capitals; version and level
        // reach it (version 40 at level H holds 1273 bytes and no more).
        QByteArray content;
        QVERIFY(QrSymbolHolder(encodeQrContent(content, 0, 2, 2, true)).get() && content == kProductSite && sameSymbol({}, kProductSite));
        QVERIFY(sameSymbol(QByteArray("abc\0def", 7), "abc") && !sameSymbol("abcdef", "abc") && sameSymbol("mixed case", "MIXED CASE", false)
                && !sameSymbol("mixed case", "MIXED CASE"));
        const auto encodes = [](QByteArray text, int version) { return QrSymbolHolder(encodeQrContent(text, version, 3, 2, true)).get() != nullptr; };
        QVERIFY(encodes(QByteArray(1273, 'a'), 40) && !encodes(QByteArray(1274, 'a'), 40) && Symbol("hello", 5).grid.width() == 37);
    }

    void liquidPins()
    {
        // Each shape in its colour: the covered area (a pie in the wrong quarter
        // moves it by over a hundred pixels), a point outside and one inside.
        const double disc = 3.14159265 * 625, corner = 2500 - (625 - disc / 4), end = 1250 + disc / 2;
        struct Pin { const char *name; QPoint clear; QList<QPoint> solid; double area; };
        const Pin pins[] = {{"roundCenter", {3, 3}, {{25, 1}, {1, 25}}, disc}, {"squareCenter", {-1, -1}, {{0, 0}, {49, 49}}, 2500},
                            {"roundLeftTop", {3, 3}, {{49, 0}, {25, 0}, {0, 25}}, corner}, {"roundLeftBottom", {3, 46}, {{0, 0}, {25, 49}, {0, 24}}, corner},
                            {"roundRightTop", {46, 3}, {{0, 49}, {24, 0}, {49, 25}}, corner}, {"roundRightBottom", {46, 46}, {{49, 0}, {24, 49}, {49, 24}}, corner},
                            {"roundTop", {1, 1}, {{0, 49}, {0, 25}, {49, 25}}, end}, {"roundRight", {48, 1}, {{0, 0}, {24, 0}, {24, 49}}, end},
                            {"roundBottom", {1, 48}, {{49, 0}, {0, 24}, {49, 24}}, end}, {"roundLeft", {1, 1}, {{49, 0}, {25, 0}, {25, 49}}, end}};
        drawQr painter;
        painter.setColor(QStringLiteral("#c81e5a"));
        for (const Pin &pin : pins) {
            const QImage image = painter.pinForShape(pin.name).toImage().convertToFormat(QImage::Format_ARGB32);
            double area = 0;
            for (int p = 0; p < 2500; ++p)
                area += qAlpha(image.pixel(p % 50, p / 50)) / 255.0;
            QVERIFY2(qAbs(area - pin.area) < 12 && (pin.clear.x() < 0 || qAlpha(image.pixel(pin.clear)) == 0)
                         && std::all_of(pin.solid.begin(), pin.solid.end(), [&](const QPoint &p) { return image.pixel(p) == qRgb(200, 30, 90); }), pin.name);
        }
        // Unknown names give nothing; a pin handed out keeps its shape and colour.
        const QPixmap circle = painter.pinCircle();
        const QImage before = circle.toImage();
        painter.setColor(QColor(Qt::blue));
        QVERIFY(painter.pinForShape("RoundCenter").isNull() && !painter.pinSquare().isNull() && circle.toImage() == before);
    }

private:
    TestCwd m_cwd;
};

QTEST_MAIN(TestHelpers)
#include "tst_helpers.moc"
