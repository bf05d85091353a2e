#pragma once

#include "Control.h"

namespace platform {

class MovieView;

// The movie control: plays an SWF animation with the program's own engine,
// scaled "ShowAll" (the whole stage, proportions kept, centred, the margin in
// the movie's background colour) and looping. A movie that cannot be read
// leaves the control on its background; nothing is reported.
class MovieControl : public Control
{
    Q_OBJECT
public:
    MovieControl(Form *form, const QString &name, int index = -1, Control *container = nullptr);

    QString Movie() const { return m_movie; }
    void setMovie(const QString &path);   // loads and shows the first frame
    void Stop();
    void Play();

    bool isPlaying() const;
    bool hasMovie() const;                // a movie was loaded and decoded
    int currentFrame() const;             // 1-based; 0 without a movie

    QVariant propertyByName(const QString &property) const override;
    void setPropertyByName(const QString &property, const QVariant &value) override;

private:
    MovieView *m_view;
    QString m_movie;
};

} // namespace platform
