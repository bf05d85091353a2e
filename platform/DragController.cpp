#include "DragController.h"

#include "Control.h"
#include "DragOutline.h"
#include "Form.h"
#include "Twips.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace platform {

DragController::DragController(Form *form)
    : QObject(form)
    , m_form(form)
{
}

QWidget *DragController::outline() const
{
    return m_outline;
}

void DragController::watch(Control *source, bool automatic)
{
    QWidget *widget = source->widget();
    if (!widget)
        return;
    if (automatic) {
        if (!m_sources.contains(widget)) {
            m_sources.insert(widget, source);
            widget->installEventFilter(this);
            connect(widget, &QObject::destroyed, this, [this](QObject *gone) { m_sources.remove(gone); });
        }
    } else if (m_sources.remove(widget)) {
        widget->removeEventFilter(this);
        if (m_sourceWidget == widget)
            cancel();
    }
}

bool DragController::eventFilter(QObject *watched, QEvent *event)
{
    Control *source = m_sources.value(watched);
    if (!source)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton)
            press(source, static_cast<QWidget *>(watched), mouse);
        // A control in automatic drag mode gets no mouse events of its own.
        return true;
    }
    case QEvent::MouseMove:
        if (m_pressed && watched == m_sourceWidget)
            moveTo(static_cast<QMouseEvent *>(event));
        return true;
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && watched == m_sourceWidget)
            release(mouse);
        return true;
    }
    case QEvent::Hide:
        if (watched == m_sourceWidget)
            cancel();
        return false;
    default:
        return false;
    }
}

void DragController::press(Control *source, QWidget *widget, const QMouseEvent *event)
{
    m_source = source;
    m_sourceWidget = widget;
    m_pressPoint = event->position().toPoint();
    m_pressed = true;
    m_dragging = false;
}

QPoint DragController::toClient(const QMouseEvent *event) const
{
    // The implicit grab after the press sends every move and the release to
    // the source widget, so positions are read relative to it.
    return m_sourceWidget->mapTo(m_form->clientArea(), event->position().toPoint());
}

void DragController::moveTo(const QMouseEvent *event)
{
    if (!m_sourceWidget || !m_form->clientArea()) {
        cancel();
        return;
    }
    if (!m_dragging) {
        const QPoint travelled = event->position().toPoint() - m_pressPoint;
        if (travelled.manhattanLength() < QApplication::startDragDistance())
            return;
        m_dragging = true;
        if (!m_outline)
            m_outline = new DragOutline(m_form->clientArea());
        m_outline->resize(m_sourceWidget->size());
    }
    m_outline->move(toClient(event) - m_pressPoint);
    m_outline->raise();
    m_outline->show();
}

void DragController::release(const QMouseEvent *event)
{
    const bool wasDragging = m_dragging;
    const QPoint point = m_sourceWidget && m_form->clientArea() ? toClient(event) : QPoint();
    QPointer<Control> source = m_source;
    cancel();
    if (!wasDragging || !source)
        return;
    QPointer<Control> target = controlAt(point);
    if (!target)
        return;
    const QPoint inside = target->widget()->mapFrom(m_form->clientArea(), point);
    emit target->DragDrop(source, float(Twips::fromPixelsX(inside.x())),
                          float(Twips::fromPixelsY(inside.y())));
}

void DragController::cancel()
{
    m_pressed = false;
    m_dragging = false;
    m_source = nullptr;
    m_sourceWidget = nullptr;
    if (m_outline)
        m_outline->hide();
}

Control *DragController::controlAt(QPoint clientPoint) const
{
    QWidget *client = m_form->clientArea();
    if (!client->rect().contains(clientPoint))
        return nullptr;
    // childAt skips hidden widgets and those transparent for the mouse, the
    // outline included; climbing from the deepest widget finds the
    // innermost control, also one inside a picture box.
    for (QWidget *hit = client->childAt(clientPoint); hit && hit != client; hit = hit->parentWidget()) {
        if (Control *control = m_form->controlForWidget(hit))
            return control;
    }
    return nullptr;
}

} // namespace platform
