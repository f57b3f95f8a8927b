// What every renderer shares once a text is encoded: the module test, the
// finder and alignment areas, the neighbour shape of a dark module and the
// zone of timing and format modules.
#ifndef VOPA_QRSYMBOL_H
#define VOPA_QRSYMBOL_H

#include <QByteArray>
#include <QList>
#include <QString>

#include <qrencode.h>

// An empty content becomes the product's site address.
void applyDefaultContent(QByteArray &content);

// Encodes `content` (an empty one becomes the product's site address, written
// back into the field). Null when the encoder gives no symbol.
QRcode *encodeQrContent(QByteArray &content, int version, int level, int hint, bool caseSensitive);

// Owns a symbol from encodeQrContent and frees it with QRcode_free.
class QrSymbolHolder
{
public:
    explicit QrSymbolHolder(QRcode *code) : m_code(code) {}
    ~QrSymbolHolder() { reset(); }
    QrSymbolHolder(const QrSymbolHolder &) = delete;
    QrSymbolHolder &operator=(const QrSymbolHolder &) = delete;
    QRcode *get() const { return m_code; }
    void reset();

private:
    QRcode *m_code;
};

// A read-only view of the modules of one symbol.
class QrGrid
{
public:
    enum Corner { NoCorner = -1, TopLeft = 0, TopRight = 1, BottomLeft = 2 };

    // `data` holds width * width bytes, row by row; bit 0 marks a dark module.
    QrGrid(int width, const unsigned char *data);
    explicit QrGrid(const QRcode *code);

    int width() const { return m_width; }
    // Dark module; anything outside the symbol counts as light.
    bool dark(int x, int y) const;
    // The finder area (side 7, or 8 with its separator) holding the module.
    Corner finderArea(int x, int y, int side) const;
    // True when the module lies in an alignment area; `anchor` tells whether it
    // is that area's top-left module, where the whole pattern is painted.
    bool inAlignmentArea(int x, int y, bool *anchor = nullptr) const;
    QList<int> alignmentList() const { return m_alignment; }
    // The neighbour shape name of a dark module ("roundCenter", ...).
    QString shapeName(int x, int y) const;
    // Timing row and column, format modules beside the finders, the dark module.
    bool inPlusZone(int x, int y) const;

private:
    int m_width;
    const unsigned char *m_data;
    QList<int> m_alignment;
};

// Walks the modules row by row and tells where each finder and alignment
// pattern is painted, once: at the first dark module of a finder area (its
// top-left module) and at the top-left module of an alignment area. The other
// modules of those areas paint nothing of their own.
class PatternWalk
{
public:
    enum Role { Ordinary, FinderHere, AlignmentHere, InPattern };

    // `finderSide` is 7 for the finder alone, 8 with its separator.
    PatternWalk(const QrGrid &grid, int finderSide) : m_grid(grid), m_side(finderSide) {}
    // Call for the modules in row-major order.
    Role role(int x, int y);

private:
    const QrGrid &m_grid;
    int m_side;
    bool m_finderDone[3] = {false, false, false};
};

#endif
