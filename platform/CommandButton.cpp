#include "CommandButton.h"

#include "ToolkitError.h"

#include <QToolButton>

namespace platform {

CommandButton::CommandButton(Form *form, const QString &name, int index, Control *container)
    : Control(Kind::CommandButton, form, container, new QToolButton(parentWidgetFor(form, container)),
              name, index)
    , m_button(static_cast<QToolButton *>(widget()))
{
    m_button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_button->setAutoRaise(false);
    m_button->setFocusPolicy(Qt::StrongFocus);
    connect(m_button, &QToolButton::clicked, this, &Control::Click);
}

QString CommandButton::Caption() const
{
    return m_button->text();
}

void CommandButton::setCaption(const QString &caption)
{
    m_button->setText(caption);
}

void CommandButton::setPicture(const QIcon &picture)
{
    m_button->setIcon(picture);
    m_picture = Picture();
}

void CommandButton::setPicture(const Picture &picture)
{
    m_button->setIcon(picture.isNull() ? QIcon() : QIcon(QPixmap::fromImage(picture.image())));
    m_picture = picture;
}

QVariant CommandButton::propertyByName(const QString &property) const
{
    if (property.compare(QLatin1String("Caption"), Qt::CaseInsensitive) == 0)
        return Caption();
    if (property.compare(QLatin1String("Picture"), Qt::CaseInsensitive) == 0)
        return QVariant::fromValue(m_picture);
    return Control::propertyByName(property);
}

void CommandButton::setPropertyByName(const QString &property, const QVariant &value)
{
    if (property.compare(QLatin1String("Caption"), Qt::CaseInsensitive) == 0) {
        setCaption(value.toString());
        return;
    }
    if (property.compare(QLatin1String("Picture"), Qt::CaseInsensitive) == 0) {
        if (!value.isValid() || value.isNull()) {
            setPicture(Picture());
            return;
        }
        if (value.metaType() != QMetaType::fromType<Picture>())
            raise(err::InvalidPropertyValue, property);
        setPicture(value.value<Picture>());
        return;
    }
    Control::setPropertyByName(property, value);
}

void CommandButton::applyGeometry()
{
    Control::applyGeometry();
    // The picture grows with the button: at full screen the buttons are big
    // and a fixed small icon would be lost in them.
    const int side = std::max(16, int(m_button->height() * 0.45));
    m_button->setIconSize(QSize(side, side));
}

} // namespace platform
