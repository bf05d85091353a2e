#pragma once

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QPointer>

class QMouseEvent;
class QWidget;

namespace platform {

class Control;
class DragOutline;
class Form;

// Automatic drag and drop inside one window, made by hand from the mouse
// events of the dragged control's widget (QDrag::exec would block tests
// and does nothing on the offscreen platform). A press on a watched
// control followed by a move past the start distance starts a drag; an
// outline follows the pointer; the release raises DragDrop on the control
// under the pointer, if any.
class DragController : public QObject
{
    Q_OBJECT
public:
    explicit DragController(Form *form);

    void watch(Control *source, bool automatic);
    bool isDragging() const { return m_dragging; }
    // Drops the drag under way without a drop (the window lost the mouse).
    void cancel();
    QWidget *outline() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void press(Control *source, QWidget *widget, const QMouseEvent *event);
    void moveTo(const QMouseEvent *event);
    void release(const QMouseEvent *event);
    QPoint toClient(const QMouseEvent *event) const;
    Control *controlAt(QPoint clientPoint) const;

    Form *m_form;
    QHash<QObject *, Control *> m_sources;
    QPointer<DragOutline> m_outline;
    QPointer<Control> m_source;
    QPointer<QWidget> m_sourceWidget;
    QPoint m_pressPoint;      // pointer position at the press, in the source widget
    bool m_pressed = false;
    bool m_dragging = false;
};

} // namespace platform
