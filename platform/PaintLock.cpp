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
        released->setPaintLocked(false);
        return true;
    }
    // One window at a time, as the system call allows.
    if (current && current != form)
        return false;
    current = form;
    form->setPaintLocked(true);
    return true;
}

Form *PaintLock::lockedForm()
{
    return locked();
}

} // namespace platform
