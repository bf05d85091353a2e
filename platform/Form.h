#pragma once

#include "Control.h"

#include <QList>
#include <QMainWindow>

namespace platform {

class DragController;

// A window of the toolkit, over QMainWindow: a menu bar and, below it, the
// client area that holds the controls.
//
// Events, as overridable handlers:
// - Form_Load once, on the first Show, before the first Form_Resize and
//   Form_Activate;
// - Form_Resize once for every new size of the client area: synchronously
//   when the program sets Width or Height (also from inside Form_Load), and
//   when the user or the window manager resizes the window; the first time
//   at the latest when it is first shown, never twice for the same size
//   (except on return from the minimised state, when a size change came
//   while minimised);
// - Form_Activate when the window becomes the program's active window among
//   the program's own Forms: at its first showing, just before the window
//   goes on the screen (so that it appears as its handler leaves it, and
//   also without a window manager, where the system may never activate
//   it), and then only when the focus comes from another Form; not on
//   return from a message box nor from another application.
//
// Left, Top, Width and Height are the outer rectangle, frame included;
// ScaleWidth and ScaleHeight the client area below the menu bar; all twips.
// A value the program set reads back exactly as set while the window stands
// within a pixel of it. An outer size set before the window is first shown
// (when its frame is not yet known) is made true again once it is shown.
//
// A window whose Left, Top, Width and Height are set to the whole screen is
// shown in the system's full-screen state: no frame, its client area from the
// screen's corner. It leaves that state when they are set to anything else.
class Form : public QMainWindow
{
    Q_OBJECT
public:
    explicit Form(QWidget *parent = nullptr);
    ~Form() override;

    // Modeless; loads the window first if it is not loaded.
    void Show();
    // A box asked for by a window's first activation, which runs before
    // the window is on the screen: that window comes out first, as it then
    // stands, so the box is seen over it. Returns it (null when none).
    static QWidget *showActivatingForm();
    // Closes the window; the object and its controls stay alive for those
    // who hold them. Closing the last window ends the program (Qt's
    // quitOnLastWindowClosed). A later Show loads it again, Form_Load included.
    void Unload();
    bool isLoaded() const { return m_loaded; }

    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    void setLeft(double twips);
    void setTop(double twips);
    void setWidth(double twips);
    void setHeight(double twips);
    double ScaleWidth() const;
    double ScaleHeight() const;

    enum { vbNormal = 0, vbMinimized = 1, vbMaximized = 2 };
    int WindowState() const;
    void setWindowState(int state);

    quint32 BackColor() const { return m_backColor; }   // red in the low byte
    void setBackColor(quint32 bgr);
    QString Caption() const { return windowTitle(); }
    void setCaption(const QString &caption);

    // Every control of the window, elements of control arrays and menu
    // entries included, in the order they were made.
    const QList<Control *> &Controls() const { return m_controls; }
    Control *control(const QString &name, int index = -1) const;

    // Property access by name on the window itself ("Left", "ScaleWidth", ...).
    QVariant propertyByName(const QString &property) const;
    void setPropertyByName(const QString &property, const QVariant &value);

    // The design client area: the window is first sized so that its client
    // area has this size (twips).
    void setClientSize(double widthTwips, double heightTwips);
    QWidget *clientArea() const { return m_client; }

    // Counts paint events of the client area and of the controls' widgets,
    // for the scaler's tests and benchmarks: one drawing of the whole window
    // adds one per visible widget.
    int paintCount() const { return m_paintCount; }

    QString Tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }
    // The window's picture, drawn at the top-left corner of the client area.
    Picture picture() const { return m_picture; }
    void setPicture(const Picture &picture);

    // The control whose widget is `widget`, null for any other widget.
    Control *controlForWidget(const QWidget *widget) const;
    // Makes `source` draggable by hand (DragMode 1) or not.
    void setAutomaticDrag(Control *source, bool automatic);
    // True while a control of this window is being dragged.
    bool isDragging() const;

protected:
    virtual void Form_Load() {}
    virtual void Form_Resize() {}
    virtual void Form_Activate() {}

    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class Control;
    friend class PaintLock;
    void registerControl(Control *control);
    void unregisterControl(Control *control);
    void noteSizeChange();
    void updateTabOrder();
    void fireActivate();
    void appear();
    void syncClientGeometry() const;
    void applySetGeometry();
    QRect outerGeometry() const;
    QRect setRectangle() const;
    static QRect screenArea();
    bool followScreen();
    void setPaintLocked(bool locked);
    void watchPaints(QWidget *widget);

    QWidget *m_client;
    DragController *m_drag;
    QList<Control *> m_controls;
    quint32 m_backColor = 0x8000000F;
    bool m_loaded = false;
    bool m_activatedOnce = false;
    bool m_awaitingSystemActivation = false;
    bool m_paintLocked = false;
    bool m_destroying = false;
    bool m_resizedWhileMinimized = false;
    bool m_overScreen = false;       // set to the whole screen, so in full screen
    double m_lastScaleWidth = -1, m_lastScaleHeight = -1;
    int m_paintCount = 0;
    // The outer geometry last set by the program (twips, NaN when not set),
    // read back as set while the window still stands there.
    double m_setLeft, m_setTop, m_setWidth, m_setHeight;
    QString m_tag;
    Picture m_picture;
};

} // namespace platform
