#include "qrsymbol.h"

#include "helpers.h"

#include <qrencode.h>

void applyDefaultContent(QByteArray &content)
{
    if (content.isEmpty())
        content = QByteArray(kProductSite);
}

QRcode *encodeQrContent(QByteArray &content, int version, int level, int hint, bool caseSensitive)
{
    applyDefaultContent(content);
    return QRcode_encodeString(content.constData(), version, QRecLevel(level), QRencodeMode(hint),
                               caseSensitive ? 1 : 0);
}

void QrSymbolHolder::reset()
{
    if (m_code) {
        QRcode_free(m_code);
        m_code = nullptr;
    }
}

QrGrid::QrGrid(int width, const unsigned char *data)
    : m_width(width), m_data(data), m_alignment(alignmentPatternCenters(width))
{
}

QrGrid::QrGrid(const QRcode *code) : QrGrid(code->width, code->data)
{
}

bool QrGrid::dark(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_width)
        return false;
    return m_data[y * m_width + x] & 1;
}

QrGrid::Corner QrGrid::finderArea(int x, int y, int side) const
{
    if (x < side && y < side)
        return TopLeft;
    if (x >= m_width - side && y < side)
        return TopRight;
    if (x < side && y >= m_width - side)
        return BottomLeft;
    return NoCorner;
}

bool QrGrid::inAlignmentArea(int x, int y, bool *anchor) const
{
    if (m_alignment.isEmpty())
        return false;
    const int first = m_alignment.first();
    for (int cx : m_alignment) {
        if (qAbs(x - cx) > 2)
            continue;
        for (int cy : m_alignment) {
            if (qAbs(y - cy) > 2)
                continue;
            if ((cx == 6 && cy == 6) || (cx == 6 && cy == first) || (cx == first && cy == 6))
                continue;
            if (anchor)
                *anchor = (x == cx - 2 && y == cy - 2);
            return true;
        }
    }
    return false;
}

QString QrGrid::shapeName(int x, int y) const
{
    const bool t = dark(x, y - 1);
    const bool r = dark(x + 1, y);
    const bool b = dark(x, y + 1);
    const bool l = dark(x - 1, y);
    const int mask = (t ? 1 : 0) | (r ? 2 : 0) | (b ? 4 : 0) | (l ? 8 : 0);
    switch (mask) {
    case 0: return QStringLiteral("roundCenter");
    case 4: return QStringLiteral("roundTop");
    case 8: return QStringLiteral("roundRight");
    case 1: return QStringLiteral("roundBottom");
    case 2: return QStringLiteral("roundLeft");
    case 2 | 4: return QStringLiteral("roundLeftTop");
    case 1 | 2: return QStringLiteral("roundLeftBottom");
    case 8 | 4: return QStringLiteral("roundRightTop");
    case 1 | 8: return QStringLiteral("roundRightBottom");
    default: return QStringLiteral("squareCenter");
    }
}

PatternWalk::Role PatternWalk::role(int x, int y)
{
    const QrGrid::Corner corner = m_grid.finderArea(x, y, m_side);
    if (corner != QrGrid::NoCorner) {
        if (!m_grid.dark(x, y) || m_finderDone[corner])
            return InPattern;
        m_finderDone[corner] = true;
        return FinderHere;
    }
    bool anchor = false;
    if (m_grid.inAlignmentArea(x, y, &anchor))
        return anchor && m_grid.dark(x, y) ? AlignmentHere : InPattern;
    return Ordinary;
}

bool QrGrid::inPlusZone(int x, int y) const
{
    const int w = m_width;
    return x == 6 || y == 6 || (x <= 8 && y <= 8) || (y == 8 && x >= w - 8) || (x == 8 && y >= w - 8);
}
