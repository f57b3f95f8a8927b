// The visual style: the code assembled from built-in template pictures, an eye
// picture on each finder pattern, an alignment picture on each alignment
// pattern and a dark or light tile on every other module; on a background the
// code is first set into a translucent frame.
#ifndef VOPA_VISUALQR_H
#define VOPA_VISUALQR_H

#include <QByteArray>
#include <QColor>
#include <QString>

class visualQr
{
public:
    visualQr();

    // Renders the code into `path`. False when `xt` is outside 0..10 or
    // `xtItem` outside 0..2, a template picture cannot be loaded, the text
    // cannot be encoded or the file cannot be written.
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
    bool isCode;
    QString codeStr;
    int codeFontSize;
    int codeSpac;
    QColor codeColor;
};

#endif
