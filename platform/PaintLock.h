#pragma once

namespace platform {

class Form;

// Suspends the painting of one window until released; the window is drawn
// once when painting resumes. LockWindowUpdate(nullptr) resumes.
class PaintLock
{
public:
    static bool LockWindowUpdate(Form *form);
    static Form *lockedForm();
};

} // namespace platform
