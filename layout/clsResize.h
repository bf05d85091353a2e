#pragma once

#include <QList>
#include <QPointer>
#include <cstdint>

namespace platform {
class Control;
class Form;
}

// Keeps the controls of one window in proportion to its client area: it
// records the window's design geometry once and places every control from
// those records whenever the window's size changes.
class clsResize
{
public:
    clsResize();
    ~clsResize();
    clsResize(const clsResize &) = delete;
    clsResize &operator=(const clsResize &) = delete;

    platform::Form *SourceForm() const;
    void setSourceForm(platform::Form *New_SourceForm);

    void ReInitialise();
    void SizeFormToScreen(std::uint8_t Percent);
    void ResizeControls();

private:
    struct ControlLayout
    {
        QPointer<platform::Control> Ctl;
        std::int32_t DesignLeft = 0;
        std::int32_t DesignTop = 0;
        std::int32_t DesignWidth = 0;
        std::int32_t DesignHeight = 0;
    };

    void CaptureLayout();
    // One control's turn of a rescale; absorbs the toolkit's failures.
    static void RescaleControl(const ControlLayout &layout, double RatioX, double RatioY);
    // The bound window; raises the toolkit's "object not set" when unbound.
    platform::Form *boundForm() const;

    QPointer<platform::Form> m_SourceForm;
    std::int32_t DesignScaleWidth = 0;
    std::int32_t DesignScaleHeight = 0;
    QList<ControlLayout> ControlLayouts;
    bool NeedsCapture = true;
};
