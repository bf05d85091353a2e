#pragma once

#include "MovieInfo.h"
#include "sound/SoundInfo.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QRegion>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QPainter;

namespace swf {

class ButtonInstance;
class Clip;
class Movie;
class SoundMixer;

// A movie being played: the decoded movie plus its display list and the
// position of every timeline. Decoding happens once in load(); advancing
// and drawing never read the file again.
class Player
{
public:
    // What a script traces goes to the handler, from the first frame on.
    using TraceHandler = std::function<void(const QString &)>;
    // Null with `error` set when the file cannot be read or decoded.
    static std::unique_ptr<Player> load(const QString &path, QString *error = nullptr,
                                        TraceHandler trace = {});
    static std::unique_ptr<Player> fromBytes(const QByteArray &bytes, QString *error = nullptr,
                                             TraceHandler trace = {});
    ~Player();

    const MovieInfo &info() const;

    // Runs the next frame of the main timeline (looping at its end, unless an
    // action stopped it) and of every sprite on the stage.
    void advance();
    int currentFrame() const;        // 1-based, 1 after load()

    // Draws the stage scaled "ShowAll" into `target`: the whole stage, its
    // proportions kept, centred, the margin in the background colour.
    // Whatever lies off the stage stays hidden, margins included.
    void render(QPainter &painter, const QRectF &target) const;
    // Brings `frame`, which holds what the last call drew into it, up to the
    // current frame, drawing again only the parts that changed, as ShowAll
    // into the whole image. Everything is drawn at the first call, and when
    // the image was changed by anything else since, has another size, or
    // the quality changed. Returns the pixels drawn: empty when the frame
    // shows what the last one did.
    QRegion renderChanges(QImage &frame);
    // The stage at `size` pixels ShowAll; an empty size means the stage's own
    // size. Null, and nothing allocated, when that size is beyond the
    // engine's picture limit (PictureLimit.h).
    QImage renderImage(QSize size = {}) const;

    // Anti-aliased by default; off reproduces a player's low quality.
    void setAntialiased(bool on);
    bool antialiased() const;

    // Sound: what the timelines start, mixed to 44.1 kHz stereo 16-bit.
    // The movie's timelines start sounds or play a stream.
    bool hasSound() const;
    // The mixer, for an audio thread to pull from; it lives on as long as
    // someone holds it, the player gone or not.
    std::shared_ptr<SoundMixer> soundMixer() const;
    // The next `frames` stereo frames, interleaved, left first; `out` null
    // throws them away.
    void mixSound(std::int16_t *out, int frames);
    // The sound of `frames` frames from the current one (which counts as
    // the first), as long as they last at the movie's rate; the player is
    // left on the last of them. Sounds still playing there are cut.
    std::vector<std::int16_t> recordSound(int frames);
    // Starts a sound of the dictionary by id, as a button's transition does.
    void startSound(int soundId, const SoundInfo &info = {});

    // The main timeline's display list, for tests and inspection tools.
    const Clip &rootClip() const;

    // Whether a script asked the player to quit (fscommand "quit").
    bool quitRequested() const;
    // Why the movie's scripts were stopped (a bound reached); empty while
    // they run.
    QString scriptsStopped() const;
    // Runs an action list (a button's actions) on `timeline`, with the clip
    // as `this`, then the actions its gotos queued.
    void runActions(Clip &timeline, const QByteArray &code);

    // The pointer and the keyboard, for the movie's buttons. Points are in
    // stage pixels: 1/20 of the movie's twips, from the stage's top left.
    // Actions the buttons run (and the frames they go to) run before these
    // return.
    void mouseMove(const QPointF &stagePixels);
    void mousePress(const QPointF &stagePixels);
    void mouseRelease(const QPointF &stagePixels);
    void mouseLeave();                // the pointer left the movie
    // `key`: 1 to 19 for the special keys (left 1, right 2, home 3, end 4,
    // insert 5, delete 6, backspace 8, enter 13, up 14, down 15, page up
    // 16, page down 17, tab 18, escape 19), 32 to 126 for the characters.
    // True when a button answered it.
    bool keyPress(int key);
    // Whether the pointer is over an enabled button (or holds one pressed):
    // the place for a pointing hand.
    bool overActiveButton() const;
    // The stage pixel shown at `point` when the stage is drawn ShowAll into
    // `target` (both in the same coordinates); outside the stage when the
    // point lies in the margin.
    QPointF stagePixelAt(const QPointF &point, const QRectF &target) const;

private:
    Player(std::shared_ptr<const Movie> movie, TraceHandler trace);
    // A button's transition that DefineButtonSound gives a sound.
    void startButtonSound(int buttonId, int transition);
    // What the button tracker reports: the button's actions for it queued.
    void buttonEvent(ButtonInstance &button, Clip &parent, int transition, int key);
    // Runs the button actions the input step queued, then the frame actions
    // they queued, and takes a new look at what lies under the pointer.
    void finishInput();
    struct State;
    std::shared_ptr<const Movie> m_movie;
    std::unique_ptr<State> m_state;
};

} // namespace swf
