#pragma once

#include "platform/Form.h"

#include <array>

namespace platform {
class CommandButton;
class Label;
}

// The start window: the title in large letters, a date line and the
// button "Avvio" that opens the exercise window.
class FormAvvio : public platform::Form
{
    Q_OBJECT
public:
    explicit FormAvvio(QWidget *parent = nullptr);

    platform::CommandButton *BottoneAvvio;
    platform::Label *Label1;
    // A control array with a single element, Label2(0).
    std::array<platform::Label *, 1> Label2;

public slots:
    void BottoneAvvio_Click();

protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Activate() override;
};
