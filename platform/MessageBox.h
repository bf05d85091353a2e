#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace platform {

// Modal message boxes, in Italian. Flags: 16 OK with the error icon,
// 64 OK with the information icon, 36 Yes/No with the question icon (the
// other button sets and icons of the toolkit work too).
// Results: 1 OK, 6 Yes, 7 No; a box closed without a button answers with
// its last button (No for Yes/No). An empty title shows the program's name.
// The Italian button texts come from Qt's translations: call
// App::setUpLocale() first.
class MessageBox
{
public:
    static constexpr int Ok = 0;
    static constexpr int YesNo = 4;
    static constexpr int Critical = 16;
    static constexpr int Question = 32;
    static constexpr int Information = 64;

    static constexpr int ResultOk = 1;
    static constexpr int ResultYes = 6;
    static constexpr int ResultNo = 7;

    static int MsgBox(const QString &prompt, int flags, const QString &title);

    // Tests only: the next box is not shown but answered with `answer`.
    struct Shown { QString prompt; int flags; QString title; };
    static void setNextAnswer(int answer);
    // Tests only: every box is answered by `responder` instead of a person.
    static void setResponder(std::function<int(const Shown &)> responder);
    static const Shown &lastShown();
    static int shownCount();
};

} // namespace platform
