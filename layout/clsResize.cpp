#include "clsResize.h"

#include "platform/Control.h"
#include "platform/Form.h"
#include "platform/PaintLock.h"
#include "platform/Screen.h"
#include "platform/ToolkitError.h"

#include <cmath>
#include <limits>
#include <utility>

using platform::Control;
using platform::Form;
using platform::ToolkitError;

namespace {

// Toolkit numbers this class raises itself; the platform has no name for them.
constexpr int TypeMismatch = 13;
constexpr int ObjectNotSet = 91;

// Scales all four values; used for every tag that does not start with '@'.
const QString DefaultDirective = QStringLiteral("@L,T,W,H");

// The four kinds of failure that cost a rescale one property, not the rest
// of the control.
bool costsOneProperty(const ToolkitError &error)
{
    switch (error.number()) {
    case platform::err::PropertyReadOnly:
    case platform::err::CannotSetProperty:
    case platform::err::CannotReadProperty:
    case platform::err::NoSuchProperty:
        return true;
    default:
        return false;
    }
}

std::int32_t checkedInt32(double value)
{
    if (!(value >= std::numeric_limits<std::int32_t>::min()
          && value <= std::numeric_limits<std::int32_t>::max()))
        throw ToolkitError(platform::err::Overflow, QStringLiteral("Overflow"));
    return static_cast<std::int32_t>(value);
}

// Nearest integer with a half going to the even neighbour (234.5 -> 234,
// 235.5 -> 236), independent of the FPU's rounding mode.
std::int32_t roundHalfEven(double value)
{
    if (!std::isfinite(value))
        throw ToolkitError(platform::err::Overflow, QStringLiteral("Overflow"));
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double rounded = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0))
        rounded = floor + 1.0;
    return checkedInt32(rounded);
}

double toTwips(const QVariant &value, const QString &property)
{
    bool ok = false;
    const double twips = value.toDouble(&ok);
    if (!ok)
        throw ToolkitError(TypeMismatch, QStringLiteral("Type mismatch: ") + property);
    return twips;
}

std::int32_t readRounded(const Control *ctl, const QString &property)
{
    return roundHalfEven(toTwips(ctl->propertyByName(property), property));
}

// A capture read of an ordinary control: whatever goes wrong, the field
// stays 0 (a menu entry has no position or size at all).
std::int32_t readOrZero(const Control *ctl, const QString &property)
{
    try {
        return readRounded(ctl, property);
    } catch (const ToolkitError &) {
        return 0;
    }
}

// Holds the painting of one window for the length of a rescale. Painting
// resumes however the rescale ends, an escaping exception included. A lock
// that someone else holds (this window in an enclosing rescale, or another
// window) is left to its holder.
class PaintSuspension
{
public:
    explicit PaintSuspension(Form *form)
    {
        if (!platform::PaintLock::lockedForm())
            m_held = platform::PaintLock::LockWindowUpdate(form);
    }
    ~PaintSuspension()
    {
        if (m_held)
            platform::PaintLock::LockWindowUpdate(nullptr);
    }
    PaintSuspension(const PaintSuspension &) = delete;
    PaintSuspension &operator=(const PaintSuspension &) = delete;

private:
    bool m_held = false;
};

} // namespace

clsResize::clsResize() = default;

clsResize::~clsResize()
{
    // Records first, then the window, as the references were taken.
    ControlLayouts.clear();
    m_SourceForm.clear();
}

platform::Form *clsResize::SourceForm() const
{
    return m_SourceForm.data();
}

void clsResize::setSourceForm(platform::Form *New_SourceForm)
{
    m_SourceForm = New_SourceForm;
}

void clsResize::ReInitialise()
{
    CaptureLayout();
}

void clsResize::SizeFormToScreen(std::uint8_t Percent)
{
    Form *form = boundForm();
    if (NeedsCapture)
        CaptureLayout();

    const double share = static_cast<double>(Percent) / 100.0;
    const std::int32_t NewHeight = checkedInt32(std::floor(share * platform::Screen::Height()));
    const std::int32_t NewWidth = checkedInt32(std::floor(share * platform::Screen::Width()));

    // Centred; the offsets travel in single precision and may end in .5.
    form->setTop(static_cast<float>((platform::Screen::Height() - NewHeight) / 2.0));
    form->setLeft(static_cast<float>((platform::Screen::Width() - NewWidth) / 2.0));
    form->setHeight(NewHeight);
    form->setWidth(NewWidth);

    ResizeControls();
}

void clsResize::ResizeControls()
{
    Form *form = boundForm();
    if (form->Controls().isEmpty())
        return;
    if (form->WindowState() == Form::vbMinimized)
        return;
    if (NeedsCapture) {
        CaptureLayout();
        return;
    }
    // A baseline without a client area gives no ratio to scale by; the
    // controls stay where they are rather than going to infinity.
    if (DesignScaleWidth == 0 || DesignScaleHeight == 0)
        return;

    const PaintSuspension suspension(form);

    const double RatioY = form->ScaleHeight() / DesignScaleHeight;
    const double RatioX = form->ScaleWidth() / DesignScaleWidth;

    // A copy, so that a control's own reaction to being moved cannot pull
    // the table from under the loop.
    const QList<ControlLayout> layouts = ControlLayouts;
    for (const ControlLayout &layout : layouts)
        RescaleControl(layout, RatioX, RatioY);
}

void clsResize::RescaleControl(const ControlLayout &layout, double RatioX, double RatioY)
{
    Control *ctl = layout.Ctl.data();
    // A record left empty by a failed capture, or a control that is gone.
    if (!ctl)
        return;
    const bool isLine = ctl->isLine();

    struct Step
    {
        QChar letter;
        QString property;
        QString lineProperty;
        std::int32_t design;
        double ratio;
    };
    const Step steps[] = {
        {u'L', QStringLiteral("Left"), QStringLiteral("X1"), layout.DesignLeft, RatioX},
        {u'T', QStringLiteral("Top"), QStringLiteral("Y1"), layout.DesignTop, RatioY},
        {u'W', QStringLiteral("Width"), QStringLiteral("X2"), layout.DesignWidth, RatioX},
        {u'H', QStringLiteral("Height"), QStringLiteral("Y2"), layout.DesignHeight, RatioY},
    };

    try {
        // A tag that cannot be read counts as empty: the default directive.
        QString directive;
        try {
            directive = ctl->propertyByName(QStringLiteral("Tag")).toString().toUpper();
        } catch (const ToolkitError &error) {
            if (!costsOneProperty(error))
                throw;
        }
        if (!directive.startsWith(u'@'))
            directive = DefaultDirective;

        for (const Step &step : steps) {
            if (!directive.contains(step.letter))
                continue;
            try {
                ctl->setPropertyByName(isLine ? step.lineProperty : step.property,
                                       step.design * step.ratio);
            } catch (const ToolkitError &error) {
                if (!costsOneProperty(error))
                    throw;
            }
        }
    } catch (const ToolkitError &) {
        // Ends this control's turn only; the next record is still placed.
    }
}

void clsResize::CaptureLayout()
{
    Form *form = boundForm();
    DesignScaleWidth = roundHalfEven(form->ScaleWidth());
    DesignScaleHeight = roundHalfEven(form->ScaleHeight());

    ControlLayouts.clear();
    const QList<Control *> controls = form->Controls();
    // Sized first, so that a capture that fails part-way leaves empty
    // records behind the failure, as many as the window has controls.
    ControlLayouts.resize(controls.size());

    for (qsizetype i = 0; i < controls.size(); ++i) {
        ControlLayout &record = ControlLayouts[i];
        Control *ctl = controls.at(i);
        record.Ctl = ctl;
        if (ctl->isLine()) {
            // The two end points, not a box; a failure here ends the capture.
            record.DesignLeft = readRounded(ctl, QStringLiteral("X1"));
            record.DesignTop = readRounded(ctl, QStringLiteral("Y1"));
            record.DesignWidth = readRounded(ctl, QStringLiteral("X2"));
            record.DesignHeight = readRounded(ctl, QStringLiteral("Y2"));
        } else {
            record.DesignLeft = readOrZero(ctl, QStringLiteral("Left"));
            record.DesignTop = readOrZero(ctl, QStringLiteral("Top"));
            record.DesignWidth = readOrZero(ctl, QStringLiteral("Width"));
            record.DesignHeight = readOrZero(ctl, QStringLiteral("Height"));
        }
    }

    NeedsCapture = false;
}

platform::Form *clsResize::boundForm() const
{
    if (!m_SourceForm)
        throw ToolkitError(ObjectNotSet, QStringLiteral("Object variable not set"));
    return m_SourceForm.data();
}
