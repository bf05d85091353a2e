#include "Image.h"

#include "Form.h"
#include "ImageWidget.h"
#include "ToolkitError.h"

namespace platform {

Image::Image(Form *form, const QString &name, int index, Control *container)
    : Control(Kind::Image, form, container, new ImageWidget(parentWidgetFor(form, container)), name, index)
    , m_view(static_cast<ImageWidget *>(widget()))
{
    connect(m_view, &ImageWidget::clicked, this, &Control::Click);
}

void Image::setPicture(const Picture &picture)
{
    m_picture = picture;
    m_view->setPicture(picture);
}

void Image::setStretch(bool stretch)
{
    m_view->setStretch(stretch);
}

void Image::setBorderStyle(int borderStyle)
{
    m_view->setBorder(borderStyle == 1);
}

void Image::setDragMode(int dragMode)
{
    m_dragMode = dragMode == 1 ? 1 : 0;
    if (form())
        form()->setAutomaticDrag(this, m_dragMode == 1);
}

QVariant Image::propertyByName(const QString &property) const
{
    if (property.compare(QLatin1String("Picture"), Qt::CaseInsensitive) == 0)
        return QVariant::fromValue(m_picture);
    if (property.compare(QLatin1String("Stretch"), Qt::CaseInsensitive) == 0)
        return m_view->stretch();
    if (property.compare(QLatin1String("DragMode"), Qt::CaseInsensitive) == 0)
        return m_dragMode;
    return Control::propertyByName(property);
}

void Image::setPropertyByName(const QString &property, const QVariant &value)
{
    if (property.compare(QLatin1String("Picture"), Qt::CaseInsensitive) == 0) {
        // No picture at all (an empty variant) clears the image; anything
        // that is not a picture object is refused.
        if (!value.isValid() || value.isNull()) {
            setPicture(Picture());
            return;
        }
        if (!value.canConvert<Picture>() || value.metaType() != QMetaType::fromType<Picture>())
            raise(err::InvalidPropertyValue, property);
        setPicture(value.value<Picture>());
        return;
    }
    if (property.compare(QLatin1String("Stretch"), Qt::CaseInsensitive) == 0) {
        setStretch(value.toBool());
        return;
    }
    if (property.compare(QLatin1String("DragMode"), Qt::CaseInsensitive) == 0) {
        setDragMode(value.toInt());
        return;
    }
    Control::setPropertyByName(property, value);
}

} // namespace platform
