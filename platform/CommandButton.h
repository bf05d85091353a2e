#pragma once

#include "Control.h"

#include <QIcon>

class QToolButton;

namespace platform {

// A command button in graphical style: its picture above its caption.
class CommandButton : public Control
{
    Q_OBJECT
public:
    CommandButton(Form *form, const QString &name, int index = -1, Control *container = nullptr);

    QString Caption() const;
    void setCaption(const QString &caption);
    void setPicture(const QIcon &picture);
    void setPicture(const Picture &picture);

    QVariant propertyByName(const QString &property) const override;
    void setPropertyByName(const QString &property, const QVariant &value) override;

protected:
    void applyGeometry() override;

private:
    QToolButton *m_button;
    Picture m_picture;   // what "Picture" reads back; null when set as an icon
};

} // namespace platform
