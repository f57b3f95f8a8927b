// The full-screen capture overlay: shows one picture of the desktop, dimmed,
// lets the user drag out a rectangle, move it and resize it by eight handles,
// and hands the undimmed picture of the rectangle to its receiver.
#ifndef VOPA_JIETU_H
#define VOPA_JIETU_H

#include <QPainter>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QWidget>

class Jietu : public QWidget
{
    Q_OBJECT

public:
    enum CaptureState {
        Idle = 0,      // nothing selected yet
        Selecting = 1, // left button down, the rectangle follows the mouse
        Selected = 2,
        Moving = 3,
        Moved = 4,
        Resizing = 5,
        Resized = 6
    };
    // handleRects holds the square of a handle at index (value - 1).
    enum ResizeHandle {
        NoHandle = 0,
        TopLeft = 1,
        TopRight = 2,
        BottomLeft = 3,
        BottomRight = 4,
        LeftMiddle = 5,
        TopMiddle = 6,
        RightMiddle = 7,
        BottomMiddle = 8
    };

    explicit Jietu(QWidget *parent = nullptr);
    ~Jietu() override;

    // Tests hand the overlay a picture instead of the screen grab (null: grab).
    static void setInjectedScreen(const QPixmap &picture);

    // The rectangle of two points; the larger column and row lie outside it,
    // and a width or height of 0 becomes 1.
    QRect rectFromPoints(const QPoint &a, const QPoint &b) const;
    // Whether the committed selection holds the point, border included.
    bool selectionContains(const QPoint &point) const;
    // The first handle of the last paint under the point, NoHandle if none.
    int handleAt(const QPoint &point) const;
    void setHandleCursor(int handle);
    QPoint clampedMoveOffset() const;
    // These two commit the rectangle they give in Moved and Resized.
    QRect movedSelection();
    QRect resizedSelection();
    QRect currentSelection();

    // The overlay's state. Public so that tests can read it; only the
    // overlay itself changes it.
    QPixmap desktopPixmap;   // taken once, at construction
    QPixmap selectionPixmap; // the undimmed picture under selectionRect
    int screenWidth;
    int screenHeight;
    QPoint startPoint; // the committed selection is the rectangle of these two
    QPoint endPoint;
    QPoint dragStartPoint; // press and latest position of a move or resize drag
    QPoint dragEndPoint;
    QPainter painter;
    int captureState; // a CaptureState
    QRect selectionRect;  // as the last paint showed it
    QRect handleRects[8]; // as the last paint made them
    int activeHandle;     // a ResizeHandle: the one under the last press

signals:
    void signalCompleteCature(QPixmap catureImage);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void drawSelection();
    void drawHandles();
    void setupWindow();
    void resetHandles();
    void grabDesktop();
    void applyCursorRule(const QPoint &point);
    void finishWithResult();

    bool resizeCommitted = false; // the paint in Resized has fixed the rectangle
    bool resultSent = false;      // the result went out; its receiver releases us
};

#endif
