#include "Control.h"

#include "Form.h"
#include "MenuEntry.h"
#include "PictureBox.h"
#include "ToolkitError.h"
#include "Twips.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QPalette>
#include <QWidget>
#include <cmath>

namespace platform {

namespace {
bool is(const QString &property, const char *name)
{
    return property.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// A geometry value must be a finite number; a negative size is invalid.
double twipsValue(const QVariant &value, bool isSize, bool *ok)
{
    *ok = false;
    if (!value.isValid() || value.isNull())
        return 0;
    const int type = value.metaType().id();
    const bool numeric = type == QMetaType::Double || type == QMetaType::Float
                         || type == QMetaType::Int || type == QMetaType::UInt
                         || type == QMetaType::LongLong || type == QMetaType::ULongLong
                         || type == QMetaType::Short || type == QMetaType::UShort
                         || type == QMetaType::Long || type == QMetaType::ULong
                         || type == QMetaType::QString;
    if (!numeric)
        return 0;
    bool converted = false;
    const double number = value.toDouble(&converted);
    if (!converted || !std::isfinite(number) || (isSize && number < 0))
        return 0;
    *ok = true;
    return number;
}
} // namespace

Control::Control(Kind kind, Form *form, Control *container, QWidget *widget,
                 const QString &name, int index)
    : QObject(form)
    , m_kind(kind)
    , m_form(form)
    , m_container(container)
    , m_widget(widget)
    , m_name(name)
    , m_index(index)
{
    setObjectName(index >= 0 ? QStringLiteral("%1(%2)").arg(name).arg(index) : name);
    if (m_widget) {
        m_widget->setObjectName(objectName());
        // Shown unless hidden later: Visible reads the control's own setting.
        m_widget->setVisible(true);
    }
    if (m_form)
        m_form->registerControl(this);
}

Control::~Control()
{
    if (m_form)
        m_form->unregisterControl(this);
    delete m_widget.data();
}

QWidget *Control::parentWidgetFor(Form *form, Control *container)
{
    if (auto *box = qobject_cast<PictureBox *>(container))
        return box->interior();
    if (container && container->widget())
        return container->widget();
    return form ? form->clientArea() : nullptr;
}

QColor Control::colorFromBgr(quint32 bgr)
{
    if (bgr & 0x80000000u) {
        const QPalette palette = QApplication::palette();
        switch (bgr & 0xFF) {
        case 0x05: return palette.color(QPalette::Base);
        case 0x08: return palette.color(QPalette::WindowText);
        case 0x12: return palette.color(QPalette::ButtonText);
        default: return palette.color(QPalette::Button);
        }
    }
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QVariant Control::propertyByName(const QString &property) const
{
    const bool positioned = m_kind != Kind::Line && m_kind != Kind::Menu;
    if (positioned) {
        if (is(property, "Left")) return Left();
        if (is(property, "Top")) return Top();
        if (is(property, "Width")) return Width();
        if (is(property, "Height")) return Height();
    }
    if (is(property, "Tag")) return m_tag;
    if (is(property, "Enabled")) return Enabled();
    if (is(property, "Visible")) return Visible();
    if (is(property, "Index")) return m_index;
    if (is(property, "Name")) return m_name;
    if (is(property, "TabIndex") && m_tabIndex >= 0) return m_tabIndex;
    raise(err::NoSuchProperty, property);
}

void Control::setPropertyByName(const QString &property, const QVariant &value)
{
    const bool positioned = m_kind != Kind::Line && m_kind != Kind::Menu;
    if (positioned) {
        const bool size = is(property, "Width") || is(property, "Height");
        if (size || is(property, "Left") || is(property, "Top")) {
            bool ok = false;
            const double twips = twipsValue(value, size, &ok);
            if (!ok)
                raise(err::InvalidPropertyValue, property);
            if (is(property, "Left")) setLeft(twips);
            else if (is(property, "Top")) setTop(twips);
            else if (is(property, "Width")) setWidth(twips);
            else setHeight(twips);
            return;
        }
    }
    if (is(property, "Tag")) {
        m_tag = value.toString();
        return;
    }
    if (is(property, "Enabled")) {
        setEnabled(value.toBool());
        return;
    }
    if (is(property, "Visible")) {
        setVisible(value.toBool());
        return;
    }
    if (is(property, "Index") || is(property, "Name"))
        raise(err::PropertyReadOnly, property);
    if (is(property, "TabIndex") && m_tabIndex >= 0) {
        bool ok = false;
        const int tab = value.toInt(&ok);
        if (!ok || tab < 0)
            raise(err::InvalidPropertyValue, property);
        setTabIndex(tab);
        return;
    }
    raise(err::NoSuchProperty, property);
}

void Control::setLeft(double twips)
{
    m_left = float(twips);
    applyGeometry();
}

void Control::setTop(double twips)
{
    m_top = float(twips);
    applyGeometry();
}

void Control::setWidth(double twips)
{
    if (!(twips >= 0))
        raise(err::InvalidPropertyValue, QStringLiteral("Width"));
    m_width = float(twips);
    applyGeometry();
}

void Control::setHeight(double twips)
{
    if (!(twips >= 0))
        raise(err::InvalidPropertyValue, QStringLiteral("Height"));
    m_height = float(twips);
    applyGeometry();
}

void Control::move(double left, double top, double width, double height)
{
    if (!(width >= 0))
        raise(err::InvalidPropertyValue, QStringLiteral("Width"));
    if (!(height >= 0))
        raise(err::InvalidPropertyValue, QStringLiteral("Height"));
    m_left = float(left);
    m_top = float(top);
    m_width = float(width);
    m_height = float(height);
    applyGeometry();
}

void Control::applyGeometry()
{
    if (!m_widget)
        return;
    // Place and size are rounded separately, so that controls of equal
    // size stay equal whatever their position.
    m_widget->setGeometry(qRound(Twips::toPixelsX(m_left)), qRound(Twips::toPixelsY(m_top)),
                          qRound(Twips::toPixelsX(m_width)), qRound(Twips::toPixelsY(m_height)));
}

bool Control::Visible() const
{
    if (auto *menu = qobject_cast<const MenuEntry *>(this))
        return menu->action()->isVisible();
    return m_widget && !m_widget->isHidden();
}

void Control::setVisible(bool visible)
{
    if (auto *menu = qobject_cast<MenuEntry *>(this))
        menu->action()->setVisible(visible);
    else if (m_widget)
        m_widget->setVisible(visible);
}

bool Control::Enabled() const
{
    if (auto *menu = qobject_cast<const MenuEntry *>(this))
        return menu->action()->isEnabled();
    return m_widget && !m_widget->testAttribute(Qt::WA_ForceDisabled);
}

void Control::setEnabled(bool enabled)
{
    if (auto *menu = qobject_cast<MenuEntry *>(this))
        menu->action()->setEnabled(enabled);
    else if (m_widget)
        m_widget->setEnabled(enabled);
}

void Control::setTabIndex(int tabIndex)
{
    m_tabIndex = tabIndex;
    if (m_form)
        m_form->updateTabOrder();
}

void Control::setFont(const QString &family, double pointSize)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(true);
    if (auto *menu = qobject_cast<MenuEntry *>(this))
        menu->action()->setFont(font);
    else if (m_widget)
        m_widget->setFont(font);
}

void Control::setMouseIcon(const QPixmap &cursor, int hotX, int hotY)
{
    if (m_widget)
        m_widget->setCursor(QCursor(cursor, hotX, hotY));
}

void Control::raise(int number, const QString &property) const
{
    QString text;
    switch (number) {
    case err::NoSuchProperty: text = QStringLiteral("Object doesn't support this property or method"); break;
    case err::InvalidPropertyValue: text = QStringLiteral("Invalid property value"); break;
    case err::PropertyReadOnly: text = QStringLiteral("Property is read-only"); break;
    case err::CannotSetProperty: text = QStringLiteral("Property cannot be set on this control"); break;
    case err::CannotReadProperty: text = QStringLiteral("Property cannot be read at run time"); break;
    default: text = QStringLiteral("Error %1").arg(number); break;
    }
    throw ToolkitError(number, QStringLiteral("%1: %2.%3").arg(text, objectName(), property));
}

} // namespace platform
