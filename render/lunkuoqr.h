// The contour style: every dark module a dot in one colour, with the borders
// of the dark regions traced over the dots (straight edges or arcs chosen from
// the neighbours) and the eyes and alignment patterns drawn as three outlines.
#ifndef VOPA_LUNKUOQR_H
#define VOPA_LUNKUOQR_H

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>

class lunkuoQr
{
public:
    lunkuoQr();

    // Renders the code into `path`. False when the text cannot be encoded or
    // the file cannot be written.
    bool create(const QString &path);

    // The contour pieces of one dark module; `plus` outlines the whole cell.
    // Only valid while `painter` is active and cellX, cellY, the neighbour
    // flags and shapeName describe the module (x, y).
    void drawShape(int x, int y, bool plus);
    // The three outlines of the finder pattern whose top-left module is (x, y).
    void drawEye(int x, int y);
    // The three outlines of the alignment pattern whose top-left module is (x, y).
    void drawAlignment(int x, int y);

    bool caseSensitive;
    int margin;
    QByteArray content;
    int hint;
    int level;
    int size;
    QString bgImg;
    int bgX;
    int bgY;
    int version;
    int xt;
    int xtItem;
    double blockSize;
    QColor lkColor;
    int lkBorSize;
    QColor bgColor;
    double alpha;
    bool isPlus;
    bool isCode;
    QString codeStr;
    int codeFontSize;
    int codeSpac;
    QColor codeColor;

    // Drawing state. `pixmap` is the 50-pixels-a-module canvas while painting
    // and the finished code image (size wide, with its caption band) after.
    QImage pixmap;
    QPainter painter;
    int cell;
    int cellX;
    int cellY;
    QString shapeName;
    int nbTop;
    int nbRight;
    int nbBottom;
    int nbLeft;

private:
    QPen outlinePen() const;
    void drawPatternOutlines(const int sides[3]);
};

#endif
