#include "MessageBox.h"
#include "Form.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <optional>

namespace platform {

namespace {
struct State
{
    std::optional<int> nextAnswer;
    std::function<int(const MessageBox::Shown &)> responder;
    MessageBox::Shown last{QString(), 0, QString()};
    int count = 0;
};

State &state()
{
    static State s;
    return s;
}

// The toolkit's button sets (flags & 7) with the result of each button.
struct ButtonSet
{
    QList<QPair<QMessageBox::StandardButton, int>> buttons;
};

ButtonSet buttonsFor(int flags)
{
    using B = QMessageBox;
    switch (flags & 7) {
    case 1: return {{{B::Ok, 1}, {B::Cancel, 2}}};
    case 2: return {{{B::Abort, 3}, {B::Retry, 4}, {B::Ignore, 5}}};
    case 3: return {{{B::Yes, 6}, {B::No, 7}, {B::Cancel, 2}}};
    case 4: return {{{B::Yes, 6}, {B::No, 7}}};
    case 5: return {{{B::Retry, 4}, {B::Cancel, 2}}};
    default: return {{{B::Ok, 1}}};
    }
}

QMessageBox::Icon iconFor(int flags)
{
    switch (flags & 0x70) {
    case 16: return QMessageBox::Critical;
    case 32: return QMessageBox::Question;
    case 48: return QMessageBox::Warning;
    case 64: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}
} // namespace

int MessageBox::MsgBox(const QString &prompt, int flags, const QString &title)
{
    State &s = state();
    s.last = Shown{prompt, flags, title};
    ++s.count;
    QWidget *over = Form::showActivatingForm();

    if (s.nextAnswer) {
        const int answer = *s.nextAnswer;
        s.nextAnswer.reset();
        return answer;
    }
    if (s.responder)
        return s.responder(s.last);

    const ButtonSet set = buttonsFor(flags);
    QMessageBox box(iconFor(flags),
                    title.isEmpty() ? QCoreApplication::applicationName() : title,
                    prompt, QMessageBox::NoButton, over ? over : QApplication::activeWindow());
    QList<QAbstractButton *> made;
    for (const auto &[button, result] : set.buttons)
        made.append(box.addButton(button));
    // Flags 256 and 512 make the second or third button the default one.
    const int defaultIndex = (flags >> 8) & 3;
    if (defaultIndex < made.size())
        box.setDefaultButton(qobject_cast<QPushButton *>(made.at(defaultIndex)));
    box.exec();

    const int clicked = made.indexOf(box.clickedButton());
    if (clicked >= 0)
        return set.buttons.at(clicked).second;
    // Closed without a button (Escape with no cancel button): the last
    // button's answer, which is Cancel or No where the set has one.
    return set.buttons.last().second;
}

void MessageBox::setNextAnswer(int answer)
{
    state().nextAnswer = answer;
}

void MessageBox::setResponder(std::function<int(const Shown &)> responder)
{
    state().responder = std::move(responder);
}

const MessageBox::Shown &MessageBox::lastShown()
{
    return state().last;
}

int MessageBox::shownCount()
{
    return state().count;
}

} // namespace platform
