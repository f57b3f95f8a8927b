#include "jietu.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

#include <cstdlib>

namespace {

QPixmap &injectedScreen()
{
    static QPixmap picture;
    return picture;
}

const QColor kAccent(0, 174, 255);
const QColor kDim(0, 0, 0, 120);

} // namespace

Jietu::Jietu(QWidget *parent)
    : QWidget(parent), screenWidth(0), screenHeight(0), captureState(Idle), activeHandle(NoHandle)
{
    setupWindow();
    resetHandles();
    grabDesktop();
}

Jietu::~Jietu() = default;

void Jietu::setInjectedScreen(const QPixmap &picture)
{
    injectedScreen() = picture;
}

void Jietu::setupWindow()
{
    setAttribute(Qt::WA_MouseTracking);
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    // Lie over the primary screen, whose picture is shown, even where no
    // window manager carries out the full-screen state. (Set before the
    // state: a new geometry clears it.)
    if (QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
    setWindowState(Qt::WindowFullScreen | Qt::WindowActive);
    setMouseTracking(true);
    // Cancelling a capture started from the tray must not end the program.
    setAttribute(Qt::WA_QuitOnClose, false);
}

void Jietu::resetHandles()
{
    activeHandle = NoHandle;
    for (QRect &square : handleRects)
        square = QRect();
}

void Jietu::grabDesktop()
{
    if (!injectedScreen().isNull()) {
        desktopPixmap = injectedScreen();
    } else if (QScreen *screen = QGuiApplication::primaryScreen()) {
        desktopPixmap = screen->grabWindow(QApplication::desktop()->winId(), 0, 0, -1, -1);
    }
    screenWidth = desktopPixmap.width();
    screenHeight = desktopPixmap.height();
}

QRect Jietu::rectFromPoints(const QPoint &a, const QPoint &b) const
{
    const int width = std::abs(a.x() - b.x());
    const int height = std::abs(a.y() - b.y());
    return QRect(qMin(a.x(), b.x()), qMin(a.y(), b.y()), width == 0 ? 1 : width, height == 0 ? 1 : height);
}

bool Jietu::selectionContains(const QPoint &point) const
{
    return rectFromPoints(startPoint, endPoint).contains(point);
}

int Jietu::handleAt(const QPoint &point) const
{
    static const ResizeHandle order[] = {TopLeft,     TopMiddle,    TopRight,   RightMiddle,
                                         BottomRight, BottomMiddle, BottomLeft, LeftMiddle};
    for (ResizeHandle handle : order) {
        if (handleRects[handle - 1].contains(point))
            return handle;
    }
    return NoHandle;
}

void Jietu::setHandleCursor(int handle)
{
    switch (handle) {
    case NoHandle:
        setCursor(Qt::ArrowCursor);
        break;
    case TopLeft:
    case BottomRight:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case TopRight:
    case BottomLeft:
        setCursor(Qt::SizeBDiagCursor);
        break;
    case LeftMiddle:
    case RightMiddle:
        setCursor(Qt::SizeHorCursor);
        break;
    case TopMiddle:
    case BottomMiddle:
        setCursor(Qt::SizeVerCursor);
        break;
    default:
        break;
    }
}

QPoint Jietu::clampedMoveOffset() const
{
    const QRect r = rectFromPoints(startPoint, endPoint);
    QPoint d = dragEndPoint - dragStartPoint;
    if (r.left() + d.x() < 0)
        d.setX(-r.left());
    if (r.top() + d.y() < 0)
        d.setY(-r.top());
    // The selection may reach one column and one row past the picture.
    if (r.right() + d.x() > screenWidth)
        d.setX(screenWidth - r.right());
    if (r.bottom() + d.y() > screenHeight)
        d.setY(screenHeight - r.bottom());
    return d;
}

QRect Jietu::movedSelection()
{
    const QPoint d = clampedMoveOffset();
    const QPoint first = startPoint + d;
    const QPoint second = endPoint + d;
    if (captureState == Moved) {
        startPoint = first;
        endPoint = second;
        dragStartPoint = QPoint();
        dragEndPoint = QPoint();
    }
    return rectFromPoints(first, second);
}

QRect Jietu::resizedSelection()
{
    if (captureState == Resized && resizeCommitted)
        return rectFromPoints(startPoint, endPoint);

    const QRect r = rectFromPoints(startPoint, endPoint);
    const int left = r.left();
    const int top = r.top();
    const int right = r.left() + r.width(); // one past the last column
    const int bottom = r.top() + r.height();
    const QPoint d = dragEndPoint;
    QPoint p = startPoint;
    QPoint q = endPoint;
    switch (activeHandle) {
    case TopLeft:
        p = QPoint(right, bottom);
        q = d;
        break;
    case TopRight:
        p = QPoint(left, d.y());
        q = QPoint(d.x(), bottom);
        break;
    case BottomLeft:
        p = QPoint(d.x(), top);
        q = QPoint(right, d.y());
        break;
    case BottomRight:
        p = QPoint(left, top);
        q = d;
        break;
    case LeftMiddle:
        p = QPoint(d.x(), top);
        q = QPoint(right, bottom);
        break;
    case TopMiddle:
        p = QPoint(left, d.y());
        q = QPoint(right, bottom);
        break;
    case RightMiddle:
        p = QPoint(left, top);
        q = QPoint(d.x(), bottom);
        break;
    case BottomMiddle:
        p = QPoint(left, top);
        q = QPoint(right, d.y());
        break;
    default:
        break;
    }
    const QRect resized = rectFromPoints(p, q);
    if (captureState == Resized) {
        startPoint = resized.topLeft();
        endPoint = QPoint(resized.left() + resized.width(), resized.top() + resized.height());
        resizeCommitted = true;
    }
    return resized;
}

QRect Jietu::currentSelection()
{
    switch (captureState) {
    case Selecting:
    case Selected:
        return rectFromPoints(startPoint, endPoint);
    case Moving:
    case Moved:
        return movedSelection();
    case Resizing:
    case Resized:
        return resizedSelection();
    default:
        return QRect();
    }
}

void Jietu::paintEvent(QPaintEvent *)
{
    painter.begin(this);
    painter.setPen(QPen(kAccent, 1, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPixmap(0, 0, desktopPixmap);
    painter.fillRect(QRect(0, 0, desktopPixmap.width(), desktopPixmap.height()), kDim);
    if (captureState >= Selecting && captureState <= Resized)
        drawSelection();
    painter.end();
}

void Jietu::drawSelection()
{
    selectionRect = currentSelection();
    selectionPixmap = desktopPixmap.copy(selectionRect);
    // The copy keeps only the part on the picture; it is drawn where that
    // part lies, so a selection hanging over the picture's top or left edge
    // still shows the screen in place.
    painter.drawPixmap(selectionRect.intersected(desktopPixmap.rect()).topLeft(), selectionPixmap);
    painter.drawRect(selectionRect);
    drawHandles();
}

void Jietu::drawHandles()
{
    const int left = selectionRect.left();
    const int top = selectionRect.top();
    const int right = selectionRect.left() + selectionRect.width() - 1;
    const int bottom = selectionRect.top() + selectionRect.height() - 1;
    const int midX = (left + right) / 2;
    const int midY = (top + bottom) / 2;
    const QPoint centres[8] = {{left, top},  {right, top},  {left, bottom},  {right, bottom},
                               {left, midY}, {midX, top},   {right, midY},   {midX, bottom}};
    for (int i = 0; i < 8; ++i) {
        handleRects[i] = QRect(centres[i] - QPoint(3, 3), centres[i] + QPoint(2, 2));
        painter.fillRect(handleRects[i], kAccent);
    }
}

void Jietu::applyCursorRule(const QPoint &point)
{
    const int handle = handleAt(point);
    if (handle != NoHandle)
        setHandleCursor(handle);
    else if (selectionContains(point))
        setCursor(Qt::SizeAllCursor);
    else if (captureState != Moving)
        setCursor(Qt::ArrowCursor);
}

void Jietu::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->pos();
    activeHandle = handleAt(p);
    if (event->button() == Qt::LeftButton) {
        if (captureState == Idle) {
            captureState = Selecting;
            startPoint = p;
            endPoint = p;
        } else if (activeHandle != NoHandle) {
            captureState = Resizing;
            resizeCommitted = false;
            setHandleCursor(activeHandle);
            dragStartPoint = p;
            dragEndPoint = p;
        } else if (selectionContains(p)) {
            captureState = Moving;
            dragStartPoint = p;
            dragEndPoint = p;
        }
    }
    QWidget::mousePressEvent(event);
}

void Jietu::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->pos();
    switch (captureState) {
    case Selecting:
        endPoint = p;
        update();
        applyCursorRule(p);
        break;
    case Moving:
        dragEndPoint = p;
        update();
        applyCursorRule(p);
        break;
    case Resizing:
        dragEndPoint = p;
        update();
        break;
    default:
        applyCursorRule(p);
        break;
    }
    QWidget::mouseMoveEvent(event);
}

void Jietu::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->pos();
    switch (captureState) {
    case Selecting:
        captureState = Selected;
        endPoint = p;
        update();
        break;
    case Moving:
        captureState = Moved;
        dragEndPoint = p;
        update();
        break;
    case Resizing:
        captureState = Resized;
        dragEndPoint = p;
        update();
        break;
    default:
        break;
    }
    QWidget::mouseReleaseEvent(event);
}

void Jietu::mouseDoubleClickEvent(QMouseEvent *)
{
    finishWithResult();
}

void Jietu::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        finishWithResult();
        break;
    default:
        break;
    }
}

void Jietu::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    // After a result the receiver releases the overlay.
    if (!resultSent)
        deleteLater();
}

void Jietu::finishWithResult()
{
    if (resultSent)
        return;
    resultSent = true;
    emit signalCompleteCature(selectionPixmap);
    close();
}
