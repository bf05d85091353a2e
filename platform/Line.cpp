#include "Line.h"

#include "LineWidget.h"
#include "ToolkitError.h"
#include "Twips.h"

#include <algorithm>
#include <cmath>

namespace platform {

Line::Line(Form *form, const QString &name, int index, Control *container)
    : Control(Kind::Line, form, container, new LineWidget(parentWidgetFor(form, container)), name, index)
{
}

void Line::setEnds(double x1, double y1, double x2, double y2)
{
    m_x1 = float(x1);
    m_y1 = float(y1);
    m_x2 = float(x2);
    m_y2 = float(y2);
    applyGeometry();
}

QVariant Line::propertyByName(const QString &property) const
{
    if (property.compare(QLatin1String("X1"), Qt::CaseInsensitive) == 0) return X1();
    if (property.compare(QLatin1String("Y1"), Qt::CaseInsensitive) == 0) return Y1();
    if (property.compare(QLatin1String("X2"), Qt::CaseInsensitive) == 0) return X2();
    if (property.compare(QLatin1String("Y2"), Qt::CaseInsensitive) == 0) return Y2();
    return Control::propertyByName(property);
}

void Line::setPropertyByName(const QString &property, const QVariant &value)
{
    float *end = nullptr;
    if (property.compare(QLatin1String("X1"), Qt::CaseInsensitive) == 0) end = &m_x1;
    else if (property.compare(QLatin1String("Y1"), Qt::CaseInsensitive) == 0) end = &m_y1;
    else if (property.compare(QLatin1String("X2"), Qt::CaseInsensitive) == 0) end = &m_x2;
    else if (property.compare(QLatin1String("Y2"), Qt::CaseInsensitive) == 0) end = &m_y2;
    if (!end) {
        Control::setPropertyByName(property, value);
        return;
    }
    const int type = value.metaType().id();
    bool ok = type != QMetaType::Bool && type != QMetaType::UnknownType
              && value.canConvert<double>();
    const double twips = ok ? value.toDouble(&ok) : 0;
    if (!ok || !std::isfinite(twips))
        raise(err::InvalidPropertyValue, property);
    *end = float(twips);
    applyGeometry();
}

void Line::applyGeometry()
{
    auto *view = static_cast<LineWidget *>(widget());
    if (!view)
        return;
    const QPoint a(qRound(Twips::toPixelsX(m_x1)), qRound(Twips::toPixelsY(m_y1)));
    const QPoint b(qRound(Twips::toPixelsX(m_x2)), qRound(Twips::toPixelsY(m_y2)));
    // Both end pixels lie inside the box (QRect::normalized would drop one).
    const QRect box(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                    QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
    view->setGeometry(box);
    view->setSegment(a - box.topLeft(), b - box.topLeft());
}

} // namespace platform
