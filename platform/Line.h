#pragma once

#include "Control.h"

namespace platform {

// A line control: no box, two end points X1,Y1 - X2,Y2 in twips. It has no
// Left, Top, Width or Height (438).
class Line : public Control
{
    Q_OBJECT
public:
    Line(Form *form, const QString &name, int index = -1, Control *container = nullptr);

    double X1() const { return m_x1; }
    double Y1() const { return m_y1; }
    double X2() const { return m_x2; }
    double Y2() const { return m_y2; }
    void setEnds(double x1, double y1, double x2, double y2);

    QVariant propertyByName(const QString &property) const override;
    void setPropertyByName(const QString &property, const QVariant &value) override;

protected:
    void applyGeometry() override;

private:
    float m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;
};

} // namespace platform
