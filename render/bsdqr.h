// The tone style: every module a coloured block or dot (dark modules joined up
// as liquid pins on request) over a translucent ground, with stamped eyes and
// alignment patterns and optional black-and-white timing and format cells.
#ifndef VOPA_BSDQR_H
#define VOPA_BSDQR_H

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

#include "qrsymbol.h"

class PinCache;
class QPainter;

class bsdQr
{
public:
    bsdQr();

    // Renders the code into `path`. False when the text cannot be encoded or
    // the file cannot be written.
    bool create(const QString &path);

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
    QColor block0;
    QColor block1;
    QColor ptColor;
    QColor inptColor;
    QColor bgColor;
    double alpha;
    bool isPlus;
    bool isCode;
    QString codeStr;
    int codeFontSize;
    int codeSpac;
    QColor codeColor;

private:
    struct Stamps;
    Stamps makeStamps() const;
    QImage eyeStamp() const;
    QImage alignmentStamp() const;
    QImage paintCanvas(const QrGrid &grid, const Stamps &stamps) const;
    void paintCell(QPainter &painter, const QrGrid &grid, int x, int y, PatternWalk::Role role,
                   const Stamps &stamps, PinCache &pins) const;
};

#endif
