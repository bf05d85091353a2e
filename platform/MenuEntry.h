#pragma once

#include "Control.h"

class QAction;

namespace platform {

// An entry directly on the window's menu bar. It has no position or size:
// reading Left, Top, Width or Height raises 438. Clicking it raises Click.
class MenuEntry : public Control
{
    Q_OBJECT
public:
    MenuEntry(Form *form, const QString &name, const QString &caption);

    QString Caption() const;
    QAction *action() const { return m_action; }

    QVariant propertyByName(const QString &property) const override;
    void setPropertyByName(const QString &property, const QVariant &value) override;

private:
    QAction *m_action;
};

} // namespace platform
