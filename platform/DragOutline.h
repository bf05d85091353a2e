#pragma once

#include <QWidget>

namespace platform {

// The frame that follows the pointer while a control is dragged: the size
// of the dragged control, drawn on top of the window's client area and
// transparent for the mouse, so that it never hides the drop target.
class DragOutline : public QWidget
{
    Q_OBJECT
public:
    explicit DragOutline(QWidget *clientArea);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace platform
