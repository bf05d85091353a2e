#pragma once

#include "Control.h"

class QLabel;

namespace platform {

// A label: transparent (BackStyle 0), text in the window-text colour.
class Label : public Control
{
    Q_OBJECT
public:
    enum Alignment { LeftJustify = 0, RightJustify = 1, Center = 2 };

    Label(Form *form, const QString &name, int index = -1, Control *container = nullptr);

    QString Caption() const;
    void setCaption(const QString &caption);
    void setAlignment(Alignment alignment);

    QVariant propertyByName(const QString &property) const override;
    void setPropertyByName(const QString &property, const QVariant &value) override;

private:
    QLabel *m_label;
};

} // namespace platform
