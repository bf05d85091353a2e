#pragma once

#include "Picture.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

class QWidget;

namespace platform {

class Form;

// A control of a window: a label, an image, a button, a picture box, a line,
// a menu entry or the movie control. Geometry is in twips relative to the
// control's container (the window's client area or a picture box), held in
// single precision as set and shown as whole pixels.
//
// Every control can be read and written by property name, the way the
// layout scaler and the drop handler reach controls whose kind they do not
// know; a failure raises ToolkitError with the toolkit's number (438 no such
// property, 383/387 cannot be set, 393 cannot be read, 380 invalid value).
class Control : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Label, Image, CommandButton, PictureBox, Line, Menu, Movie };

    ~Control() override;

    Kind kind() const { return m_kind; }
    QString name() const { return m_name; }
    // Index within a control array, -1 for a control that is not in one.
    int index() const { return m_index; }
    bool isLine() const { return m_kind == Kind::Line; }
    Form *form() const { return m_form; }
    Control *container() const { return m_container; }
    // The widget that shows this control; null for a menu entry.
    QWidget *widget() const { return m_widget; }

    virtual QVariant propertyByName(const QString &property) const;
    virtual void setPropertyByName(const QString &property, const QVariant &value);

    // Typed access to what every positioned control has (twips).
    double Left() const { return m_left; }
    double Top() const { return m_top; }
    double Width() const { return m_width; }
    double Height() const { return m_height; }
    void setLeft(double twips);
    void setTop(double twips);
    void setWidth(double twips);
    void setHeight(double twips);
    void move(double left, double top, double width, double height);

    QString Tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }
    bool Visible() const;
    void setVisible(bool visible);
    bool Enabled() const;
    void setEnabled(bool enabled);
    int TabIndex() const { return m_tabIndex; }
    void setTabIndex(int tabIndex);

    // Font: every font of the program is bold.
    void setFont(const QString &family, double pointSize);

    // A custom mouse pointer (MousePointer 99 with a MouseIcon).
    void setMouseIcon(const QPixmap &cursor, int hotX = -1, int hotY = -1);

    // A toolkit colour: red in the low byte; values with the high bit set
    // name a system colour (0x8000000F the button face, 0x80000005 the
    // window background, 0x80000008 the window text).
    static QColor colorFromBgr(quint32 bgr);

signals:
    void Click();
    // Raised on the control over which a dragged control was released.
    // X and Y are twips inside this control.
    void DragDrop(platform::Control *source, float X, float Y);

protected:
    Control(Kind kind, Form *form, Control *container, QWidget *widget,
            const QString &name, int index);

    // The widget that a new control's widget goes into: the container's
    // interior, or the window's client area.
    static QWidget *parentWidgetFor(Form *form, Control *container);

    // Places the widget from the twips geometry; subclasses may add to it.
    virtual void applyGeometry();
    [[noreturn]] void raise(int number, const QString &property) const;

private:
    Kind m_kind;
    Form *m_form;
    Control *m_container;
    QPointer<QWidget> m_widget;
    QString m_name;
    int m_index;
    QString m_tag;
    int m_tabIndex = -1;
    float m_left = 0, m_top = 0, m_width = 0, m_height = 0;
};

} // namespace platform
