#pragma once

#include "Picture.h"

#include <QWidget>

namespace platform {

// The widget behind an Image control: the picture, stretched or at its own
// size from the top-left corner, and an optional thin border.
class ImageWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ImageWidget(QWidget *parent);

    void setPicture(const Picture &picture);
    void setStretch(bool stretch);
    bool stretch() const { return m_stretch; }
    void setBorder(bool border);
    bool border() const { return m_border; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    Picture m_picture;
    bool m_stretch = false;
    bool m_border = false;
    bool m_pressed = false;
};

} // namespace platform
