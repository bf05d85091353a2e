#pragma once

namespace platform {

class Form;

// Suspends the painting of one window until released; the window is drawn
// once, at once, when painting resumes. LockWindowUpdate(nullptr) resumes.
// One window at a time: locking another while one is locked fails (false).
// Unloading or destroying the locked window releases the lock.
class PaintLock
{
public:
    static bool LockWindowUpdate(Form *form);
    static Form *lockedForm();
};

} // namespace platform
