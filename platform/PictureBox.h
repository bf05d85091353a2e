#pragma once

#include "Control.h"

namespace platform {

// A picture box used as a container: controls made with it as their
// container are placed relative to its interior.
class PictureBox : public Control
{
    Q_OBJECT
public:
    PictureBox(Form *form, const QString &name, int index = -1, Control *container = nullptr);

    void setBackColor(quint32 bgr);          // red in the low byte
    QWidget *interior() const;               // parent widget of contained controls
};

} // namespace platform
