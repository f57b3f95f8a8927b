// An animated GIF in memory (canvas, loop count, frames with delays) that is
// written, and read back, through giflib.
#ifndef VOPA_GIFIMAGE_H
#define VOPA_GIFIMAGE_H

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QVector>

class QIODevice;
class GifImagePrivate;

class GifImage
{
public:
    GifImage();
    explicit GifImage(const QSize &size);
    explicit GifImage(const QString &fileName);
    ~GifImage();
    GifImage(const GifImage &) = delete;
    GifImage &operator=(const GifImage &) = delete;

    bool load(QIODevice *device);
    bool load(const QString &fileName);
    bool save(QIODevice *device) const;
    bool save(const QString &fileName) const;

    QSize canvasSize() const;
    int loopCount() const;
    void setLoopCount(int loop);
    int defaultDelay() const;
    void setDefaultDelay(int internal);
    QColor defaultTransparentColor() const;
    void setDefaultTransparentColor(const QColor &color);
    QVector<QRgb> globalColorTable() const;
    QColor backgroundColor() const;
    void setGlobalColorTable(const QVector<QRgb> &colors, const QColor &bgColor = QColor());

    int frameCount() const;
    QImage frame(int index) const;
    QPoint frameOffset(int index) const;
    int frameDelay(int index) const;
    QColor frameTransparentColor(int index) const;
    void setFrameOffset(int index, const QPoint &offset);
    void setFrameDelay(int index, int delay);
    void setFrameTransparentColor(int index, const QColor &color);

    void addFrame(const QImage &frame, int delay = -1);
    void addFrame(const QImage &frame, const QPoint &offset, int delay = -1);
    void insertFrame(int index, const QImage &frame, int delay = -1);
    void insertFrame(int index, const QImage &frame, const QPoint &offset, int delay = -1);

private:
    GifImagePrivate *d;
};

#endif
