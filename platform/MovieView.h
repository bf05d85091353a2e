#pragma once

#include <QWidget>

namespace platform {

// The widget behind the movie control. Until a movie is shown it is
// filled with the player's default background, white.
class MovieView : public QWidget
{
    Q_OBJECT
public:
    explicit MovieView(QWidget *parent);
    ~MovieView() override;

    bool load(const QString &path);
    void clear();
    bool hasMovie() const;
    void play();
    void stop();
    bool isPlaying() const;
    int currentFrame() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace platform
