#pragma once

#include "script/Object.h"

#include <QStringList>
#include <memory>
#include <optional>

namespace swf {
class Clip;
struct DisplayObject;
}

namespace swf::script {

// The script side of a clip on the stage: its variables are this object's
// properties; `_x`, `_currentframe` and the rest read and change the clip.
// A reference outlives its clip: once the clip is gone, the clip that now
// has its path (a new one placed under the same name) answers for it.
class MovieClipObject : public Object
{
public:
    // The property numbers of GetProperty and SetProperty.
    enum Property {
        X, Y, XScale, YScale, CurrentFrame, TotalFrames, Alpha, Visible, Width, Height, Rotation,
        Target, FramesLoaded, Name, DropTarget, Url, HighQuality, FocusRect, SoundBufTime,
        Quality, XMouse, YMouse, PropertyCount
    };

    MovieClipObject(Object *prototype, const std::shared_ptr<Clip> &clip);
    QString className() const override { return QStringLiteral("MovieClip"); }
    MovieClipObject *asMovieClip() override { return this; }

    // The clip, when still on the stage; null once it is gone.
    Clip *clip() const;
    // The object that answers for this reference now, or null.
    MovieClipObject *resolve(Engine &engine);

    // "_level0.a.b", as references print.
    QString dotPath() const;
    // "/a/b" ("/" for the main timeline), as _target gives it.
    QString slashPath() const;

    Value property(Engine &engine, int index);
    void setProperty(Engine &engine, int index, const Value &value);
    // The number of a property name ("_x" -> X), ignoring case; -1 if none.
    static int propertyIndex(const QString &name);
    // The clip's parent, root, or a child by name.
    MovieClipObject *parentObject(Engine &engine);
    MovieClipObject *childObject(Engine &engine, const QString &name);

    // gotoAndPlay, gotoAndStop, GotoFrame2: a 1-based frame (plus `bias`)
    // or a label; then plays or stops as `play` says. Frame 0, negative
    // frames, NaN and unknown labels do nothing; past the end lands on the
    // last frame without running its actions.
    void gotoFrame(Engine &engine, const Value &frame, std::optional<bool> play, int bias = 0);
    void gotoZeroBased(Engine &engine, int frame, std::optional<bool> play);

    // The names from the main timeline down, as last known.
    const QStringList &path() const { return m_path; }
    void rememberPath();

protected:
    bool getSpecial(Engine &engine, const QString &name, Value &out) override;
    bool setSpecial(Engine &engine, const QString &name, const Value &value) override;
    bool hasSpecial(Engine &engine, const QString &name) override;
    bool getLate(Engine &engine, const QString &name, Value &out) override;
    void specialNames(Engine &engine, QStringList &names) override;

private:
    DisplayObject *placement() const;
    void setScale(Engine &engine, bool x, double percent);
    void setRotation(double degrees);

    std::weak_ptr<Clip> m_clip;
    Clip *m_raw;                     // the same clip, read while m_clip has not expired
    QStringList m_path;
};

} // namespace swf::script
