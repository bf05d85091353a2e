#pragma once

#include "MovieInfo.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRectF>
#include <QRegion>
#include <QString>
#include <memory>

class QPainter;

namespace swf {

class Clip;
class Movie;

// A movie being played: the decoded movie plus its display list and the
// position of every timeline. Decoding happens once in load(); advancing
// and drawing never read the file again.
class Player
{
public:
    // Null with `error` set when the file cannot be read or decoded.
    static std::unique_ptr<Player> load(const QString &path, QString *error = nullptr);
    static std::unique_ptr<Player> fromBytes(const QByteArray &bytes, QString *error = nullptr);
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
    // The stage at `size` pixels ShowAll; an empty size means the stage's own size.
    QImage renderImage(QSize size = {}) const;

    // Anti-aliased by default; off reproduces a player's low quality.
    void setAntialiased(bool on);
    bool antialiased() const;

    // The main timeline's display list, for tests and inspection tools.
    const Clip &rootClip() const;

private:
    explicit Player(std::shared_ptr<const Movie> movie);
    struct State;
    std::shared_ptr<const Movie> m_movie;
    std::unique_ptr<State> m_state;
};

} // namespace swf
