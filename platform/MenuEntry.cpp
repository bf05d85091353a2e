#include "MenuEntry.h"

#include "Form.h"

#include <QAction>
#include <QMenuBar>

namespace platform {

MenuEntry::MenuEntry(Form *form, const QString &name, const QString &caption)
    : Control(Kind::Menu, form, nullptr, nullptr, name, -1)
    , m_action(new QAction(caption, this))
{
    // Owned by the entry, shown on the bar: deleting the entry takes its
    // action off the bar.
    m_action->setObjectName(name);
    form->menuBar()->addAction(m_action);
    connect(m_action, &QAction::triggered, this, &Control::Click);
}

QString MenuEntry::Caption() const
{
    return m_action->text();
}

QVariant MenuEntry::propertyByName(const QString &property) const
{
    if (property.compare(QLatin1String("Caption"), Qt::CaseInsensitive) == 0)
        return Caption();
    return Control::propertyByName(property);
}

void MenuEntry::setPropertyByName(const QString &property, const QVariant &value)
{
    if (property.compare(QLatin1String("Caption"), Qt::CaseInsensitive) == 0) {
        m_action->setText(value.toString());
        return;
    }
    Control::setPropertyByName(property, value);
}

} // namespace platform
