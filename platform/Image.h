#pragma once

#include "Control.h"

namespace platform {

class ImageWidget;

// An image control: shows a picture, stretched to fill it when Stretch is
// set, with an optional thin border. With DragMode automatic, pressing on it
// and moving starts a drag of the control (handled by its window).
class Image : public Control
{
    Q_OBJECT
public:
    Image(Form *form, const QString &name, int index = -1, Control *container = nullptr);

    Picture picture() const { return m_picture; }
    void setPicture(const Picture &picture);
    void setStretch(bool stretch);
    void setBorderStyle(int borderStyle);   // 0 none, 1 fixed single
    int DragMode() const { return m_dragMode; }
    void setDragMode(int dragMode);         // 0 manual, 1 automatic

    QVariant propertyByName(const QString &property) const override;
    void setPropertyByName(const QString &property, const QVariant &value) override;

private:
    ImageWidget *m_view;
    Picture m_picture;
    int m_dragMode = 0;
};

} // namespace platform
