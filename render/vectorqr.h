// The vector style: the code written as an SVG document (svgQr) or as a
// one-page PDF (pdfQr). Every module, finder and alignment pattern is a filled
// shape without outline on a grid of `size` / (w + 2) units a cell; the
// document goes to a temporary file in the cache directory, which is then
// copied to the target.
#ifndef VOPA_VECTORQR_H
#define VOPA_VECTORQR_H

#include <QByteArray>
#include <QColor>
#include <QPainter>
#include <QPrinter>
#include <QString>
#include <QSvgGenerator>

#include <functional>

class QPaintDevice;

// Settings, painter and painting shared by the two writers; only the output
// device and the shapes of the liquid look's flat sides differ between them.
class VectorQrBase
{
public:
    VectorQrBase(const VectorQrBase &) = delete;
    VectorQrBase &operator=(const VectorQrBase &) = delete;

    bool caseSensitive;
    int margin;          // not read: vector output has no quiet margin setting
    QByteArray content;
    int hint;
    int level;
    int size;
    QString bgImg;       // not read: vector output has no background picture
    int bgX;
    int bgY;
    int version;
    int xt;              // finder and alignment look: 0 squares, 1 circles, 2 rounded
    int xtItem;          // module look: 0 squares, 1 circles, 2 liquid
    double blockSize;    // module size in fiftieths of a cell; rescaled by create
    QColor block0;       // light modules
    QColor block1;       // dark modules
    QColor ptColor;      // outer colour of the patterns
    QColor inptColor;    // inner colour of the patterns
    QColor bgColor;      // background; create gives it the opacity `alpha`
    double alpha;
    bool isPlus;         // whole cells on the timing and format modules
    bool isCode;
    QString codeStr;
    int codeFontSize;
    int codeSpac;
    QColor codeColor;

    QPainter painter;
    QString dir;         // folder of the temporary file
    int cell;
    int cellX;
    int cellY;
    QString shapeName;   // neighbour shape of the dark module being painted (xtItem 2)

    // One module or pattern at the cell (cell + cellX, cell + cellY).
    void drawLight(int x, int y, bool fullCell);
    void drawDark(int x, int y, bool fullCell);
    void drawEye(int x, int y);
    void drawAlignment(int x, int y);

protected:
    // `exactCells`: the liquid shapes stay inside their cells (PDF) instead of
    // reaching past them on their flat sides (SVG).
    explicit VectorQrBase(bool exactCells);
    ~VectorQrBase() = default;

    // Opens the device on the temporary file for a grid of side `side` plus
    // the caption band below it; `scale` receives the device units per
    // drawing unit.
    using OpenDevice = std::function<QPaintDevice *(const QString &tempPath, int side, int bandHeight, qreal *scale)>;

    // Encodes, paints the whole document on the device and copies the
    // temporary file to `path`.
    bool writeDocument(const QString &path, const QString &suffix, const OpenDevice &openDevice,
                       const std::function<void()> &closeDevice);

private:
    bool m_exactCells;
};

class svgQr : public VectorQrBase
{
public:
    svgQr();
    // False when the text cannot be encoded or the document cannot be copied to `path`.
    bool create(const QString &path);

    QSvgGenerator generator;
};

class pdfQr : public VectorQrBase
{
public:
    pdfQr();
    // False when the text cannot be encoded or the document cannot be copied to `path`.
    bool create(const QString &path);

    QPrinter printer;
};

#endif
