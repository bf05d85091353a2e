#pragma once

#include <QWidget>

namespace platform {

// The widget behind a Line control: it covers the line's bounding box and
// draws the segment between two of its points; it takes no mouse input.
class LineWidget : public QWidget
{
    Q_OBJECT
public:
    explicit LineWidget(QWidget *parent);

    void setSegment(QPoint from, QPoint to);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPoint m_from;
    QPoint m_to;
};

} // namespace platform
