#include "Player.h"

#include "character/ButtonCharacter.h"
#include "display/ButtonTracker.h"
#include "display/Clip.h"
#include "decode/DecodeError.h"
#include "render/FrameDamage.h"
#include "Movie.h"
#include "PictureLimit.h"
#include "render/Renderer.h"
#include "script/Engine.h"
#include "script/ScriptHost.h"
#include "sound/SoundMixer.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace swf {

namespace {

// Twips to target pixels with the whole stage visible and centred; false
// when the target has no room for it.
bool showAll(const QRectF &stage, const QRectF &target, const QTransform &outer, Matrix *toDevice)
{
    const double scale = std::min(target.width() / stage.width(), target.height() / stage.height());
    if (!(scale > 0) || !std::isfinite(scale))
        return false;
    const double dx = target.x() + (target.width() - stage.width() * scale) / 2 - stage.x() * scale;
    const double dy = target.y() + (target.height() - stage.height() * scale) / 2 - stage.y() * scale;
    *toDevice = QTransform(scale, 0, 0, scale, dx, dy) * outer;
    return true;
}

} // namespace

struct Player::State : script::ScriptHost
{
    State(const Movie &movie, ButtonTracker::Fire fire) : tracker(movie, std::move(fire)) {}

    // Declared first: the clips tell it of their streams until the last goes.
    std::shared_ptr<SoundMixer> mixer;
    ClipWorld world;
    std::shared_ptr<Clip> root;
    std::unique_ptr<script::Engine> engine;
    bool antialias = true;
    // What renderChanges() last left in its image, and which image.
    FrameDamage damage;
    qint64 damagedImage = 0;
    bool damagedAntialias = true;
    ButtonTracker tracker;
    // Button actions waiting for the input step that fired them to end.
    struct ButtonActions
    {
        std::weak_ptr<Clip> timeline;
        QByteArray code;
    };
    std::vector<ButtonActions> buttonActions;
    TraceHandler traceHandler;
    bool quit = false;
    // The movie's clock: one frame's time a frame, so that scripts see
    // the time pass as a player playing at the movie's rate would.
    double clock = 0;
    QPointF pointer;                 // stage pixels
    int key = 0;                     // the last key pressed

    void trace(const QString &text) override
    {
        if (traceHandler)
            traceHandler(text);
    }
    void fsCommand(const QString &command, const QString &) override
    {
        if (command.compare(u"quit", Qt::CaseInsensitive) == 0)
            quit = true;
    }
    double timeMs() const override { return clock; }
    QPointF mouse() const override { return pointer; }
    bool keyDown(int) const override { return false; }
    void startSound(int soundId, int loops, double offset, double volume) override
    {
        SoundInfo info;
        info.loops = loops;
        if (offset > 0)
            info.inPoint = std::uint32_t(std::min(offset * SoundMixer::Rate, 4e9));
        if (volume < 100) {
            const int level = int(volume / 100 * 32768);
            info.envelope.push_back({0, level, level});
        }
        mixer->startSound(soundId, info);
    }
    void stopSound(int soundId) override
    {
        SoundInfo info;
        info.stop = true;
        mixer->startSound(soundId, info);
    }
    void stopAllSounds() override { mixer->stopAll(); }
    int lastKey() const override { return key; }

    // One frame: every timeline's next frame, newest first so that
    // children come before their parents and the main timeline last,
    // each clip's enterFrame queued before its frame; then the actions.
    void advance()
    {
        world.startTick();
        if (engine)
            engine->startTick();
        // Clips that are gone leave the list here, so that scripts making
        // and removing clips every frame do not grow it.
        std::erase_if(world.clips, [](const std::weak_ptr<Clip> &c) { return c.expired(); });
        std::vector<std::shared_ptr<Clip>> order;
        order.reserve(world.clips.size());
        for (auto it = world.clips.rbegin(); it != world.clips.rend(); ++it) {
            if (auto clip = it->lock())
                order.push_back(std::move(clip));
        }
        for (const auto &clip : order) {
            if (clip->removed() || clip->bornTick() >= world.tick)
                continue;
            if (engine)
                engine->queueEnterFrame(*clip);
            clip->advanceTimeline();
        }
        runScripts();
    }

    void runScripts()
    {
        if (!engine)
            return;
        engine->runQueue();
        engine->runIntervals();
        engine->runQueue();
        engine->updateDrag();
        engine->collectGarbage();
    }
};

Player::Player(std::shared_ptr<const Movie> movie, TraceHandler trace)
    : m_movie(std::move(movie)),
      m_state(new State(*m_movie, [this](ButtonInstance &button, Clip &parent, int transition, int key) {
          buttonEvent(button, parent, transition, key);
      }))
{
    State &s = *m_state;
    s.traceHandler = std::move(trace);
    s.world.movie = m_movie.get();
    s.mixer = std::make_shared<SoundMixer>(m_movie);
    s.world.sound = s.mixer.get();
    if (m_movie->info().hasScripts) {
        s.engine = std::make_unique<script::Engine>(s, s.world, m_movie->info().version);
        s.world.listener = s.engine.get();
    }
    s.root = std::make_shared<Clip>(s.world, &m_movie->timeline(), nullptr, 0);
    s.world.clips.push_back(s.root);
    if (s.engine) {
        s.engine->setRoot(s.root.get());
        s.engine->startTick();
    }
    s.root->start();
    // The main timeline's load comes after its first frame's actions.
    if (s.engine)
        s.root->queueEvent(ClipWorld::Normal, ClipEvent::Load);
    s.runScripts();
}

Player::~Player()
{
    // The clips count themselves out of the world as they go; the scripts
    // let go of them first.
    m_state->world.listener = nullptr;
    m_state->world.clearQueues();
    m_state->root.reset();
    m_state->world.clips.clear();
    m_state->engine.reset();
}

std::unique_ptr<Player> Player::load(const QString &path, QString *error, TraceHandler trace)
{
    // A pipe would keep the caller waiting for a writer, a device for an end.
    if (QFileInfo::exists(path) && !QFileInfo(path).isFile()) {
        if (error)
            *error = QStringLiteral("%1: not a file").arg(path);
        return nullptr;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return nullptr;
    }
    // Bigger files cannot decompress under the cap either.
    if (file.size() > qint64(64) << 20) {
        if (error)
            *error = QStringLiteral("%1: file too large").arg(path);
        return nullptr;
    }
    return fromBytes(file.readAll(), error, std::move(trace));
}

std::unique_ptr<Player> Player::fromBytes(const QByteArray &bytes, QString *error, TraceHandler trace)
{
    try {
        return std::unique_ptr<Player>(new Player(Movie::decode(bytes), std::move(trace)));
    } catch (const DecodeError &e) {
        if (error)
            *error = QString::fromStdString(e.what());
    } catch (const std::bad_alloc &) {
        if (error)
            *error = QStringLiteral("out of memory while decoding the movie");
    } catch (const std::exception &e) {
        // Whatever else a character's decoder may throw still means "no movie".
        if (error)
            *error = QStringLiteral("cannot decode the movie: %1").arg(QString::fromLocal8Bit(e.what()));
    }
    return nullptr;
}

const MovieInfo &Player::info() const { return m_movie->info(); }

bool Player::hasSound() const { return m_movie->hasSound(); }
std::shared_ptr<SoundMixer> Player::soundMixer() const { return m_state->mixer; }
void Player::mixSound(std::int16_t *out, int frames) { m_state->mixer->mix(out, frames); }
std::vector<std::int16_t> Player::recordSound(int frames)
{
    // Frame k ends at k / rate seconds, rounded to a sample, so that the
    // frames' lengths add up to the whole without drift.
    const double rate = m_movie->info().frameRate;
    std::vector<std::int16_t> samples;
    std::int64_t done = 0;
    for (int k = 1; k <= frames; ++k) {
        const std::int64_t end = std::llround(k * double(SoundMixer::Rate) / rate);
        samples.resize(std::size_t(end) * 2);
        mixSound(samples.data() + done * 2, int(end - done));
        done = end;
        if (k < frames)
            advance();
    }
    return samples;
}

void Player::startSound(int soundId, const SoundInfo &info) { m_state->mixer->startSound(soundId, info); }

void Player::advance()
{
    m_state->clock += 1000.0 / m_movie->info().frameRate;
    m_state->advance();
    // Buttons that moved, came or went under a still pointer.
    m_state->tracker.update(*m_state->root);
    finishInput();
}

namespace {

QPointF toTwips(const MovieInfo &info, const QPointF &stagePixels)
{
    return info.stage.topLeft() + stagePixels * 20;
}

} // namespace

void Player::mouseMove(const QPointF &stagePixels)
{
    m_state->pointer = stagePixels;
    const QPointF twips = toTwips(info(), stagePixels);
    if (info().stage.contains(twips))
        m_state->tracker.moveTo(*m_state->root, twips);
    else
        m_state->tracker.leave(*m_state->root);
    finishInput();
}

void Player::mousePress(const QPointF &stagePixels)
{
    mouseMove(stagePixels);
    m_state->tracker.press(*m_state->root);
    finishInput();
}

void Player::mouseRelease(const QPointF &stagePixels)
{
    mouseMove(stagePixels);
    m_state->tracker.release(*m_state->root);
    finishInput();
}

void Player::mouseLeave()
{
    m_state->tracker.leave(*m_state->root);
    finishInput();
}

bool Player::keyPress(int key)
{
    // Key codes came with version 4; older buttons answer no key.
    if (key <= 0 || key > 127 || info().version < 4)
        return false;
    m_state->key = key;
    m_state->tracker.keyPress(*m_state->root, key);
    const bool answered = !m_state->buttonActions.empty();
    finishInput();
    return answered;
}

bool Player::overActiveButton() const { return m_state->tracker.overActiveButton(); }

void Player::buttonEvent(ButtonInstance &button, Clip &parent, int transition, int key)
{
    for (const ButtonCharacter::CondAction &a : button.character().actions()) {
        const bool answers = transition ? (a.transitions & transition) != 0 : (key && a.key == key);
        if (answers)
            m_state->buttonActions.push_back({parent.weak_from_this(), a.code});
    }
    if (transition)
        startButtonSound(button.character().id(), transition);
}

void Player::finishInput()
{
    // Actions change what lies under the pointer, which may fire more
    // transitions and queue more actions: a few rounds, then the rest
    // waits for the next frame.
    for (int round = 0; round < 4 && !m_state->buttonActions.empty(); ++round) {
        std::vector<State::ButtonActions> queued;
        queued.swap(m_state->buttonActions);
        for (const State::ButtonActions &q : queued) {
            if (std::shared_ptr<Clip> timeline = q.timeline.lock())
                runActions(*timeline, q.code);
        }
        m_state->tracker.update(*m_state->root);
    }
    m_state->buttonActions.clear();
    // A state shown anew may have placed sprites: their first frame's
    // actions run now, before they play on.
    m_state->runScripts();
}

void Player::runActions(Clip &timeline, const QByteArray &code)
{
    State &s = *m_state;
    if (!s.engine)
        return;
    s.engine->runActions(timeline, code);
    s.runScripts();
}

bool Player::quitRequested() const { return m_state->quit; }

QString Player::scriptsStopped() const
{
    const script::Engine *e = m_state->engine.get();
    return e && e->stopped() ? QString::fromLatin1(e->stopReason()) : QString();
}

void Player::startButtonSound(int buttonId, int transition)
{
    // DefineButtonSound gives a sound to four transitions, in this order.
    int slot = -1;
    switch (transition) {
    case ButtonCharacter::OverUpToIdle: slot = 0; break;
    case ButtonCharacter::IdleToOverUp: slot = 1; break;
    case ButtonCharacter::OverUpToOverDown: slot = 2; break;
    case ButtonCharacter::OverDownToOverUp: slot = 3; break;
    default: return;
    }
    const SoundStart sound = m_movie->buttonSounds(buttonId)[std::size_t(slot)];
    if (sound.soundId)
        m_state->mixer->startSound(sound.soundId, sound.info);
}

QPointF Player::stagePixelAt(const QPointF &point, const QRectF &target) const
{
    const MovieInfo &i = info();
    Matrix toTarget;
    if (!showAll(i.stage, target, QTransform(), &toTarget) || !toTarget.isInvertible())
        return {-1, -1};
    return (toTarget.inverted().map(point) - i.stage.topLeft()) / 20;
}

int Player::currentFrame() const { return m_state->root->frame() + 1; }

void Player::setAntialiased(bool on) { m_state->antialias = on; }
bool Player::antialiased() const { return m_state->antialias; }
const Clip &Player::rootClip() const { return *m_state->root; }


void Player::render(QPainter &painter, const QRectF &target) const
{
    const MovieInfo &info = m_movie->info();
    painter.save();
    const QTransform outer = painter.worldTransform();
    painter.resetTransform();
    painter.fillRect(outer.mapRect(target), info.background);
    Matrix toDevice;
    if (showAll(info.stage, target, outer, &toDevice)) {
        // Content off the stage stays hidden, as in the margin of a
        // letter-boxed player.
        painter.setClipRect(toDevice.mapRect(info.stage), Qt::IntersectClip);
        painter.setRenderHint(QPainter::Antialiasing, m_state->antialias);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, m_state->antialias);
        Renderer renderer(painter, m_state->antialias);
        renderer.draw(*m_state->root, toDevice, ColorTransform());
    }
    painter.restore();
}

QRegion Player::renderChanges(QImage &frame)
{
    State &s = *m_state;
    if (frame.isNull())
        return {};
    const MovieInfo &info = m_movie->info();
    const QRectF target(frame.rect());
    Matrix toDevice;
    if (!showAll(info.stage, target, QTransform(), &toDevice)) {
        s.damage.reset();
        {
            QPainter painter(&frame);
            render(painter, target);
        }
        s.damagedImage = frame.cacheKey();
        s.damagedAntialias = s.antialias;
        return QRegion(frame.rect());
    }
    const QRectF stage = toDevice.mapRect(info.stage);
    const QRect stageArea = stage.toAlignedRect() & frame.rect();
    // Any other writer to the image gives it a new cache key.
    const bool fresh = frame.cacheKey() != s.damagedImage || s.antialias != s.damagedAntialias;
    if (fresh)
        s.damage.reset();
    const QVector<QRect> changed = s.damage.update(*s.root, toDevice, stageArea);
    QRegion drawn;
    if (fresh) {
        QPainter painter(&frame);
        render(painter, target);
        drawn = frame.rect();
    } else if (!changed.isEmpty()) {
        QPainter painter(&frame);
        Renderer renderer(painter, s.antialias);
        for (const QRect &r : changed) {
            // Where an opaque object hides the whole rectangle (a sky),
            // neither the background nor what lies below it is drawn.
            const int from = stage.contains(QRectF(r)) ? Renderer::coveringDepth(*s.root, toDevice, r)
                                                       : Renderer::NoDepth;
            // Otherwise the background goes under the whole rectangle
            // first, as render() fills the whole target before it clips.
            painter.setClipping(false);
            if (from == Renderer::NoDepth)
                painter.fillRect(r, info.background);
            // The stage's edges are cut as render() cuts them: to whole
            // pixels, as a painter does while not anti-aliasing.
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setClipRect(stage);
            painter.setClipRect(r, Qt::IntersectClip);
            painter.setRenderHint(QPainter::Antialiasing, s.antialias);
            painter.setRenderHint(QPainter::SmoothPixmapTransform, s.antialias);
            // Layers (masks, filters, blend modes) are sized as for the
            // whole stage, so what lands inside `r` is what a full drawing
            // puts there.
            renderer.draw(*s.root, toDevice, ColorTransform(), stageArea, from);
            drawn += r;
        }
    }
    s.damagedImage = frame.cacheKey();
    s.damagedAntialias = s.antialias;
    return drawn;
}

QImage Player::renderImage(QSize size) const
{
    if (size.isEmpty()) {
        const QRectF stage = m_movie->info().stage;
        // Held within an int: a header may claim a stage of 100 million pixels.
        const auto pixels = [](double twips) { return int(std::clamp(std::lround(twips / 20), 1L, 1L << 30)); };
        size = QSize(pixels(stage.width()), pixels(stage.height()));
    }
    if (!pictureFits(size))
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(m_movie->info().background);
    QPainter painter(&image);
    render(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image;
}

} // namespace swf
