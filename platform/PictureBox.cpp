#include "PictureBox.h"

#include <QFrame>
#include <QVBoxLayout>

namespace platform {

namespace {
// The frame draws the toolkit's default 3D border; the interior is laid
// into the frame's contents so that contained controls are placed from
// inside the border, as the toolkit measures them.
QFrame *makeFrame(QWidget *parent)
{
    auto *frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    frame->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *interior = new QWidget(frame);
    interior->setObjectName(QStringLiteral("interior"));
    layout->addWidget(interior);
    return frame;
}
} // namespace

PictureBox::PictureBox(Form *form, const QString &name, int index, Control *container)
    : Control(Kind::PictureBox, form, container, makeFrame(parentWidgetFor(form, container)), name, index)
{
    setBackColor(0x8000000F);
}

void PictureBox::setBackColor(quint32 bgr)
{
    QPalette palette = widget()->palette();
    palette.setColor(QPalette::Window, colorFromBgr(bgr));
    widget()->setPalette(palette);
}

QWidget *PictureBox::interior() const
{
    return widget() ? widget()->findChild<QWidget *>(QStringLiteral("interior"), Qt::FindDirectChildrenOnly)
                    : nullptr;
}

} // namespace platform
