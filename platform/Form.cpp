#include "Form.h"

#include "DragController.h"
#include "NativeTitle.h"
#include "PaintLock.h"
#include "ToolkitError.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <limits>

namespace platform {

namespace {
// The program's active window among its own Forms. Activation of anything
// else (a message box, another program) leaves it alone, so coming back
// from there is not a new activation.
QPointer<Form> s_activeForm;
// The Form whose first activation runs while it is still hidden.
QPointer<Form> s_hiddenActivation;

constexpr double NotSet = std::numeric_limits<double>::quiet_NaN();

bool is(const QString &property, const char *name)
{
    return property.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// The value the program set, while the window stands within a pixel of it;
// otherwise what the window really measures.
double readBack(double set, int actualPixels, double twipsPerPixel)
{
    if (!std::isnan(set) && std::abs(set / twipsPerPixel - actualPixels) <= 1.0)
        return set;
    return actualPixels * twipsPerPixel;
}

double twipsArgument(const QVariant &value, const QString &property)
{
    bool ok = false;
    const int type = value.metaType().id();
    const double number = (type == QMetaType::Bool || !value.isValid()) ? 0 : value.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        throw ToolkitError(err::InvalidPropertyValue, QStringLiteral("Invalid property value: %1").arg(property));
    return number;
}
} // namespace

Form::Form(QWidget *parent)
    : QMainWindow(parent)
    , m_client(new QWidget(this))
    , m_drag(nullptr)
    , m_setLeft(NotSet)
    , m_setTop(NotSet)
    , m_setWidth(NotSet)
    , m_setHeight(NotSet)
{
    m_client->setObjectName(QStringLiteral("clientArea"));
    m_client->setAutoFillBackground(true);
    setCentralWidget(m_client);
    m_drag = new DragController(this);
    watchPaints(m_client);
    setBackColor(m_backColor);
}

Form::~Form()
{
    if (PaintLock::lockedForm() == this)
        PaintLock::LockWindowUpdate(nullptr);
    m_destroying = true;
    const QList<Control *> controls = m_controls;
    m_controls.clear();
    qDeleteAll(controls);
}

void Form::Show()
{
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
        if (!m_loaded)   // unloaded by its own Load handler
            return;
    }
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    // The first Resize comes before the window appears, so that it is laid
    // out when first drawn.
    syncClientGeometry();
    noteSizeChange();
    if (!m_loaded)
        return;
    // The first showing is the first activation, given just before the
    // window goes on the screen: what its handler does to the window (cover
    // the screen) is how the window first appears, so no window manager
    // frames it at another size first, and it is laid out and drawn once.
    // The system may never activate a window (no window manager at all);
    // its own activation, if it comes, confirms this one.
    if (!m_activatedOnce) {
        m_activatedOnce = true;
        m_awaitingSystemActivation = true;
        s_hiddenActivation = this;
        fireActivate();
        if (s_hiddenActivation == this)
            s_hiddenActivation = nullptr;
        if (!m_loaded || isVisible())
            return;
    }
    appear();
}

void Form::appear()
{
    show();
    // The frame is known only now: an outer size set while hidden is made
    // true again, which may bring one more Resize.
    applySetGeometry();
}

QWidget *Form::showActivatingForm()
{
    Form *form = s_hiddenActivation;
    s_hiddenActivation = nullptr;
    if (!form || !form->m_loaded || form->isVisible())
        return form && form->isVisible() ? form : nullptr;
    form->appear();
    form->raise();
    form->activateWindow();
    return form;
}

void Form::applySetGeometry()
{
    if (m_overScreen)
        return;
    const QRect outer = frameGeometry();
    const QSize frame = outer.size() - geometry().size();
    QSize inner = size();
    if (!std::isnan(m_setWidth))
        inner.setWidth(std::max(0, qRound(Twips::toPixelsX(m_setWidth)) - frame.width()));
    if (!std::isnan(m_setHeight))
        inner.setHeight(std::max(0, qRound(Twips::toPixelsY(m_setHeight)) - frame.height()));
    QPoint place = outer.topLeft();
    if (!std::isnan(m_setLeft))
        place.setX(qRound(Twips::toPixelsX(m_setLeft)));
    if (!std::isnan(m_setTop))
        place.setY(qRound(Twips::toPixelsY(m_setTop)));
    if (place != outer.topLeft())
        QMainWindow::move(place);
    if (inner != size()) {
        resize(inner);
        syncClientGeometry();
        noteSizeChange();
    }
}

void Form::Unload()
{
    if (!m_loaded && !isVisible())
        return;
    close();
}

void Form::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    if (!event->isAccepted())
        return;
    if (PaintLock::lockedForm() == this)
        PaintLock::LockWindowUpdate(nullptr);
    if (s_activeForm == this)
        s_activeForm = nullptr;
    m_loaded = false;
    m_activatedOnce = false;
    m_awaitingSystemActivation = false;
    m_lastScaleWidth = m_lastScaleHeight = -1;
}

void Form::fireActivate()
{
    s_activeForm = this;
    Form_Activate();
}

QRect Form::outerGeometry() const
{
    // A full-screen window has no frame, also before the window manager has
    // taken the frame away.
    return m_overScreen ? geometry() : frameGeometry();
}

double Form::Left() const { return readBack(m_setLeft, outerGeometry().x(), Twips::perPixelX()); }
double Form::Top() const { return readBack(m_setTop, outerGeometry().y(), Twips::perPixelY()); }
double Form::Width() const { return readBack(m_setWidth, outerGeometry().width(), Twips::perPixelX()); }
double Form::Height() const { return readBack(m_setHeight, outerGeometry().height(), Twips::perPixelY()); }

QRect Form::screenArea()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

QRect Form::setRectangle() const
{
    if (std::isnan(m_setLeft) || std::isnan(m_setTop) || std::isnan(m_setWidth) || std::isnan(m_setHeight))
        return QRect();
    return QRect(qRound(Twips::toPixelsX(m_setLeft)), qRound(Twips::toPixelsY(m_setTop)),
                 qRound(Twips::toPixelsX(m_setWidth)), qRound(Twips::toPixelsY(m_setHeight)));
}

bool Form::followScreen()
{
    const QRect screen = screenArea();
    if (!screen.isEmpty() && setRectangle() == screen) {
        // The window takes the screen's size at once, so the program reads
        // and lays out its final size now; then it asks for the system's
        // full screen: no frame, no title bar, no panel over it, on any
        // window manager, none, or a Wayland compositor (where a window
        // cannot place itself). The system's own word on it comes later and
        // changes nothing. (Qt takes a window out of full screen when it is
        // given a geometry, hence this order.)
        m_overScreen = true;
        if (geometry() != screen) {
            setGeometry(screen);
            syncClientGeometry();
            noteSizeChange();
        }
        if (!isFullScreen())
            QMainWindow::setWindowState(windowState() | Qt::WindowFullScreen);
        return true;
    }
    if (m_overScreen) {
        m_overScreen = false;
        QMainWindow::setWindowState(windowState() & ~Qt::WindowFullScreen);
    }
    return false;
}

void Form::setLeft(double twips)
{
    m_setLeft = twips;
    if (followScreen())
        return;
    // move() places the outer frame of a window.
    QMainWindow::move(qRound(Twips::toPixelsX(twips)), frameGeometry().y());
}

void Form::setTop(double twips)
{
    m_setTop = twips;
    if (followScreen())
        return;
    QMainWindow::move(frameGeometry().x(), qRound(Twips::toPixelsY(twips)));
}

void Form::setWidth(double twips)
{
    if (!(twips >= 0))
        throw ToolkitError(err::InvalidPropertyValue, QStringLiteral("Invalid property value: Width"));
    m_setWidth = twips;
    if (followScreen())
        return;
    const int frame = frameGeometry().width() - geometry().width();
    resize(std::max(0, qRound(Twips::toPixelsX(twips)) - frame), height());
    syncClientGeometry();
    noteSizeChange();
}

void Form::setHeight(double twips)
{
    if (!(twips >= 0))
        throw ToolkitError(err::InvalidPropertyValue, QStringLiteral("Invalid property value: Height"));
    m_setHeight = twips;
    if (followScreen())
        return;
    const int frame = frameGeometry().height() - geometry().height();
    resize(width(), std::max(0, qRound(Twips::toPixelsY(twips)) - frame));
    syncClientGeometry();
    noteSizeChange();
}

double Form::ScaleWidth() const
{
    syncClientGeometry();
    return Twips::fromPixelsX(m_client->width());
}

double Form::ScaleHeight() const
{
    syncClientGeometry();
    return Twips::fromPixelsY(m_client->height());
}

void Form::syncClientGeometry() const
{
    // A hidden window gets no resize events, and a visible one may get its
    // own later: the layout is settled now, so that the client area has
    // the size that belongs to the window's current size.
    if (QLayout *frameLayout = layout()) {
        frameLayout->invalidate();
        frameLayout->activate();
    }
}

void Form::setClientSize(double widthTwips, double heightTwips)
{
    const QSize wanted(qRound(Twips::toPixelsX(widthTwips)), qRound(Twips::toPixelsY(heightTwips)));
    resize(wanted);
    // The menu bar's height depends on the width (its entries may wrap),
    // so the outer size is corrected from what the client area measures.
    for (int attempt = 0; attempt < 3; ++attempt) {
        syncClientGeometry();
        const QSize missing = wanted - m_client->size();
        if (missing.isNull())
            break;
        resize(size() + missing);
    }
    m_setWidth = m_setHeight = NotSet;
    noteSizeChange();
}

int Form::WindowState() const
{
    if (isMinimized())
        return vbMinimized;
    if (isMaximized())
        return vbMaximized;
    return vbNormal;
}

void Form::setWindowState(int state)
{
    Qt::WindowStates states = windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    switch (state) {
    case vbNormal: break;
    case vbMinimized: states |= Qt::WindowMinimized; break;
    case vbMaximized: states |= Qt::WindowMaximized; break;
    default:
        throw ToolkitError(err::InvalidPropertyValue, QStringLiteral("Invalid property value: WindowState"));
    }
    QMainWindow::setWindowState(states);
}

void Form::setBackColor(quint32 bgr)
{
    m_backColor = bgr;
    QPalette palette = m_client->palette();
    palette.setColor(QPalette::Window, Control::colorFromBgr(bgr));
    m_client->setPalette(palette);
}

void Form::setCaption(const QString &caption)
{
    setWindowTitle(caption);
    NativeTitle::keepAsSet(this);
}

void Form::setPaintLocked(bool locked)
{
    if (m_paintLocked == locked)
        return;
    m_paintLocked = locked;
    if (locked)
        return;
    // The request that was held back is replaced by one drawing of the
    // whole window, done now. A hidden window still gets its request, so
    // that Qt knows the held one was answered and asks again next time.
    if (isVisible()) {
        repaint();
    } else {
        QEvent request(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(this, &request);
    }
}

void Form::setPicture(const Picture &picture)
{
    m_picture = picture;
    m_client->update();
}

Control *Form::control(const QString &name, int index) const
{
    for (Control *control : m_controls) {
        if (control->index() == index && control->name().compare(name, Qt::CaseInsensitive) == 0)
            return control;
    }
    return nullptr;
}

Control *Form::controlForWidget(const QWidget *widget) const
{
    if (!widget)
        return nullptr;
    for (Control *control : m_controls) {
        if (control->widget() == widget)
            return control;
    }
    return nullptr;
}

void Form::setAutomaticDrag(Control *source, bool automatic)
{
    m_drag->watch(source, automatic);
}

bool Form::isDragging() const
{
    return m_drag->isDragging();
}

QVariant Form::propertyByName(const QString &property) const
{
    if (is(property, "Left")) return Left();
    if (is(property, "Top")) return Top();
    if (is(property, "Width")) return Width();
    if (is(property, "Height")) return Height();
    if (is(property, "ScaleWidth")) return ScaleWidth();
    if (is(property, "ScaleHeight")) return ScaleHeight();
    if (is(property, "WindowState")) return WindowState();
    if (is(property, "BackColor")) return m_backColor;
    if (is(property, "Caption")) return Caption();
    if (is(property, "Tag")) return m_tag;
    if (is(property, "Picture")) return QVariant::fromValue(m_picture);
    if (is(property, "Visible")) return isVisible();
    if (is(property, "Enabled")) return isEnabled();
    if (is(property, "Name")) return objectName();
    if (is(property, "hWnd")) return QVariant::fromValue(quintptr(winId()));
    throw ToolkitError(err::NoSuchProperty,
                       QStringLiteral("Object doesn't support this property or method: %1").arg(property));
}

void Form::setPropertyByName(const QString &property, const QVariant &value)
{
    if (is(property, "Left")) return setLeft(twipsArgument(value, property));
    if (is(property, "Top")) return setTop(twipsArgument(value, property));
    if (is(property, "Width")) return setWidth(twipsArgument(value, property));
    if (is(property, "Height")) return setHeight(twipsArgument(value, property));
    if (is(property, "WindowState")) return setWindowState(value.toInt());
    if (is(property, "BackColor")) return setBackColor(value.toUInt());
    if (is(property, "Caption")) return setCaption(value.toString());
    if (is(property, "Tag")) return setTag(value.toString());
    if (is(property, "Picture")) {
        if (value.isValid() && !value.isNull() && value.metaType() != QMetaType::fromType<Picture>())
            throw ToolkitError(err::InvalidPropertyValue, QStringLiteral("Invalid property value: Picture"));
        return setPicture(value.value<Picture>());
    }
    if (is(property, "Enabled")) return setEnabled(value.toBool());
    if (is(property, "ScaleWidth") || is(property, "ScaleHeight") || is(property, "hWnd")
        || is(property, "Name") || is(property, "Visible"))
        throw ToolkitError(err::PropertyReadOnly, QStringLiteral("Property is read-only: %1").arg(property));
    throw ToolkitError(err::NoSuchProperty,
                       QStringLiteral("Object doesn't support this property or method: %1").arg(property));
}

bool Form::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::UpdateRequest:
        // Painting is held back as a whole: the window's queued drawing
        // stays queued and is done in one pass when the lock is released.
        if (m_paintLocked)
            return true;
        break;
    case QEvent::WindowActivate:
        // Only a move from another of the program's Forms is an activation;
        // the first one was given at the first showing.
        if (!m_loaded || !m_activatedOnce)
            break;
        if (m_awaitingSystemActivation) {
            // The system's late word on the first showing, possibly arriving
            // after another Form was shown: not a new activation.
            m_awaitingSystemActivation = false;
            s_activeForm = this;
        } else if (s_activeForm != this) {
            fireActivate();
        }
        break;
    case QEvent::WinIdChange:
        NativeTitle::keepAsSet(this);
        break;
    case QEvent::WindowDeactivate:
        // A box or another program took the mouse: its release will never
        // come here, so no outline may be left standing.
        m_drag->cancel();
        break;
    case QEvent::WindowStateChange:
        // Full screen left from outside (a window manager's key, say): the
        // frame counts again in the outer size.
        if (m_overScreen && !isFullScreen())
            m_overScreen = false;
        // A size change that came while minimised found nothing to lay out;
        // the restored window needs its Resize.
        if (!isMinimized() && m_resizedWhileMinimized) {
            m_resizedWhileMinimized = false;
            m_lastScaleWidth = m_lastScaleHeight = -1;
            noteSizeChange();
        }
        break;
    default:
        break;
    }
    return QMainWindow::event(event);
}

void Form::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    noteSizeChange();
}

void Form::noteSizeChange()
{
    if (!m_loaded)
        return;
    const double scaleWidth = ScaleWidth();
    const double scaleHeight = ScaleHeight();
    if (scaleWidth == m_lastScaleWidth && scaleHeight == m_lastScaleHeight)
        return;
    m_lastScaleWidth = scaleWidth;
    m_lastScaleHeight = scaleHeight;
    if (isMinimized())
        m_resizedWhileMinimized = true;
    Form_Resize();
}

bool Form::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && watched != m_drag->outline()) {
        ++m_paintCount;
        if (watched == m_client && !m_picture.isNull()) {
            QPainter painter(m_client);
            painter.drawImage(QPoint(0, 0), m_picture.image());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form::watchPaints(QWidget *widget)
{
    widget->installEventFilter(this);
    for (QWidget *child : widget->findChildren<QWidget *>())
        child->installEventFilter(this);
}

void Form::registerControl(Control *control)
{
    m_controls.append(control);
    if (control->widget())
        watchPaints(control->widget());
}

void Form::unregisterControl(Control *control)
{
    if (m_destroying)
        return;
    m_controls.removeAll(control);
    if (control->widget())
        m_drag->watch(control, false);
}

void Form::updateTabOrder()
{
    QList<Control *> ordered;
    for (Control *control : m_controls) {
        if (control->widget() && control->TabIndex() >= 0)
            ordered.append(control);
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Control *a, const Control *b) { return a->TabIndex() < b->TabIndex(); });
    for (qsizetype i = 1; i < ordered.size(); ++i)
        QWidget::setTabOrder(ordered.at(i - 1)->widget(), ordered.at(i)->widget());
}

} // namespace platform
