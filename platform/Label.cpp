#include "Label.h"

#include <QLabel>

namespace platform {

Label::Label(Form *form, const QString &name, int index, Control *container)
    : Control(Kind::Label, form, container, new QLabel(parentWidgetFor(form, container)), name, index)
    , m_label(static_cast<QLabel *>(widget()))
{
    // Transparent: the container's colour shows behind the text.
    m_label->setAutoFillBackground(false);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(false);
    m_label->setForegroundRole(QPalette::WindowText);
    setAlignment(LeftJustify);
}

QString Label::Caption() const
{
    return m_label->text();
}

void Label::setCaption(const QString &caption)
{
    m_label->setText(caption);
}

void Label::setAlignment(Alignment alignment)
{
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (alignment == RightJustify)
        horizontal = Qt::AlignRight;
    else if (alignment == Center)
        horizontal = Qt::AlignHCenter;
    // The toolkit's labels write from their top edge.
    m_label->setAlignment(horizontal | Qt::AlignTop);
}

QVariant Label::propertyByName(const QString &property) const
{
    if (property.compare(QLatin1String("Caption"), Qt::CaseInsensitive) == 0)
        return Caption();
    return Control::propertyByName(property);
}

void Label::setPropertyByName(const QString &property, const QVariant &value)
{
    if (property.compare(QLatin1String("Caption"), Qt::CaseInsensitive) == 0) {
        setCaption(value.toString());
        return;
    }
    Control::setPropertyByName(property, value);
}

} // namespace platform
