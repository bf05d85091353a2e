#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>

namespace swf {
class Player;
}

namespace platform {

// The widget behind the movie control: plays an swf::Player at the movie's
// frame rate and draws its stage ShowAll. Without a movie it is filled
// with the player's default background, white.
//
// A movie with sound plays it through MovieAudio. The sound leads: while
// the main timeline's stream plays, frames are due by the sound's clock,
// not the wall clock, and late frames are run without being drawn. With
// nothing to hear it, the sound is still mixed, and thrown away, in time.
//
// The last frame drawn is kept as an image of the widget's size; each new
// frame draws into it only what changed, and only those pixels are shown
// again. A halted movie, or a playing one between changes, costs one image
// copy per paint and no rendering.
//
// The mouse over the view (and the touch that Qt turns into mouse input)
// goes to the movie's buttons, halted or playing, and the pointer becomes
// a hand over one that answers it; the view keeps those events to itself,
// so a press on it reaches no control below. Keys reach the movie while the
// view has the focus; those no button answers go on to the window.
class MovieView : public QWidget
{
    Q_OBJECT
public:
    explicit MovieView(QWidget *parent);
    ~MovieView() override;

    // False, with the view back on its background, when the file cannot be
    // read or decoded.
    bool load(const QString &path);
    void clear();
    bool hasMovie() const { return m_player != nullptr; }
    void play();
    void stop();
    bool isPlaying() const { return m_playing; }
    int currentFrame() const;
    // How often the stage was rendered, for tests and benchmarks.
    int renderCount() const { return m_renderCount; }
    // Runs `frames` frames at once and shows the last, as a tick that came
    // late does (their sound mixed with them), without waiting for the
    // clock: for tests and benchmarks that play many movies.
    void runFrames(int frames);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPointF stagePixels(const QPointF &point) const;
    // Shows what the input changed, and the pointer it calls for.
    void afterInput();
    void updateCursor();
    void tick();
    void showFrames(int frames);
    void scheduleNext();
    qint64 framesDue();
    void keepSoundInTime();
    bool soundHeard() const;
    void refresh();
    // The device pixels the widget covers in its window (every one it touches).
    QRect devicePixels() const;

    std::unique_ptr<swf::Player> m_player;
    QTimer m_timer;
    QElapsedTimer m_clock;      // since play() started the current run, or the wall clock took over
    qint64 m_framesRun = 0;     // frames advanced since play()
    qint64 m_clockBase = 0;     // m_framesRun when m_clock started
    // While the sound leads: its mixer's clock when it took the lead, and
    // the frames run then.
    bool m_soundLeads = false;
    std::int64_t m_soundBase = 0;
    qint64 m_soundBaseFrames = 0;
    std::int64_t m_soundThrown = 0;  // frames mixed and thrown away since play()
    bool m_playing = false;
    QImage m_frame;             // the stage as last rendered, at the widget's size
    bool m_frameStale = true;   // m_frame lags behind the player
    int m_renderCount = 0;
    bool m_handCursor = false;
};

} // namespace platform
