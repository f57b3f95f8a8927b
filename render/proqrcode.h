// The standard style: square, round or liquid modules in one colour, coloured
// finder and alignment patterns, optional texture, logo, caption and background.
#ifndef VOPA_PROQRCODE_H
#define VOPA_PROQRCODE_H

#include <QByteArray>
#include <QColor>
#include <QString>

class QImage;
class QPainter;
class QPixmap;
class QrGrid;

class ProQrcode
{
public:
    ProQrcode();

    // Renders the code into `path`. False when the text cannot be encoded or
    // the file cannot be written.
    bool create(const QString &path);

    bool caseSensitive;
    int margin;
    QByteArray content;
    QColor fgColor;
    QColor bgColor;
    QColor ptColor;
    QColor inptColor;
    bool isTran;
    int hint;
    int level;
    int size;
    QString logo;
    bool isBor;
    int logoWidth;
    int logoHeight;
    double logoRatio;
    QString fgImg;
    QString bgImg;
    int bgX;
    int bgY;
    int version;
    int xt;
    bool isCode;
    QString codeStr;
    int codeFontSize;
    int codeSpac;
    QColor codeColor;

private:
    // The logo's share of the size that each error correction level leaves readable.
    void fitLogoRatioToLevel();
    void paintModules(QPainter &painter, const QrGrid &grid, double pitch, bool transparent) const;
    void paintModule(QPainter &painter, double left, double top, double pitch, const QPixmap &pin) const;
    void paintPattern(QPainter &painter, int x, int y, int n, double pitch, bool transparent) const;
    void paintLogo(QPainter &painter, const QImage &logoImage, double pitch) const;
};

#endif
