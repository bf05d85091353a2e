#include "PaintLock.h"

#include "Form.h"

#include <QPointer>

namespace platform {

namespace {
QPointer<Form> &locked()
{
    static QPointer<Form> form;
    return form;
}
} // namespace

bool PaintLock::LockWindowUpdate(Form *form)
{
    QPointer<Form> &current = locked();
    if (!form) {
        if (!current)
            return false;
        Form *released = current;
        current = nullptr;
        // Turning updates back on schedules the one repaint of the window.
        released->setUpdatesEnabled(true);
        return true;
    }
    // One window at a time, as the system call allows.
    if (current && current != form)
        return false;
    current = form;
    form->setUpdatesEnabled(false);
    return true;
}

Form *PaintLock::lockedForm()
{
    return locked();
}

} // namespace platform
