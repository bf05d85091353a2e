#include "MovieView.h"

#include "MovieAudio.h"
#include "Player.h"
#include "sound/SoundMixer.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace platform {

namespace {
// Far behind its schedule (a stalled machine), a movie starts its clock
// again rather than running through every missed frame at once.
constexpr double MaxCatchUpSeconds = 1.0;

// The movie's code for a key: 1 to 19 for the special keys, 32 to 126 for
// the characters typed (shift taken into account); 0 for the others.
int movieKey(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left: return 1;
    case Qt::Key_Right: return 2;
    case Qt::Key_Home: return 3;
    case Qt::Key_End: return 4;
    case Qt::Key_Insert: return 5;
    case Qt::Key_Delete: return 6;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Up: return 14;
    case Qt::Key_Down: return 15;
    case Qt::Key_PageUp: return 16;
    case Qt::Key_PageDown: return 17;
    case Qt::Key_Tab: return 18;
    case Qt::Key_Escape: return 19;
    default: break;
    }
    const QString text = event->text();
    if (text.size() == 1 && text.at(0).unicode() >= 32 && text.at(0).unicode() <= 126)
        return text.at(0).unicode();
    return 0;
}

double frameRateOf(const swf::Player &player)
{
    const double rate = player.info().frameRate;
    // A header rate of 0 (or nonsense) falls back to the common default;
    // very high rates are held to what a screen can show.
    return rate > 0 && std::isfinite(rate) ? std::min(rate, 120.0) : 12.0;
}

// The device pixels of a widget of `size` placed by `toDevice` (its ratio
// and its place in the window), as Qt clips the widget on the window's
// pixels: each edge at the nearest pixel edge. At a ratio such as 1.25 or
// 1.5 the widget's edges may fall inside pixels.
QRect devicePixelsOf(const QTransform &toDevice, const QSize &size)
{
    const QRectF exact = toDevice.mapRect(QRectF(QPointF(0, 0), QSizeF(size)));
    const QPoint topLeft(qRound(exact.left()), qRound(exact.top()));
    return QRect(topLeft, QPoint(qRound(exact.right()), qRound(exact.bottom())) - QPoint(1, 1));
}
} // namespace

MovieView::MovieView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Buttons light up under the pointer without a press.
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &MovieView::tick);
}

MovieView::~MovieView()
{
    if (m_player && MovieAudio::instance().isSource(m_player->soundMixer().get()))
        MovieAudio::instance().setSource(nullptr);
}

bool MovieView::load(const QString &path)
{
    stop();
    QString error;
    MovieAudio &audio = MovieAudio::instance();
    const bool heardBefore = m_player && audio.isSource(m_player->soundMixer().get());
    m_player = swf::Player::load(path, &error);
    // A new movie ends the sounds of the one before; one with sound of its
    // own is ready to be heard (the output starts loading now, while the
    // movie stands still).
    if (m_player && m_player->hasSound())
        audio.setSource(m_player->soundMixer());
    else if (heardBefore)
        audio.setSource(nullptr);
    updateCursor();
    m_frame = QImage();
    m_frameStale = true;
    update();
    return m_player != nullptr;
}

void MovieView::clear()
{
    stop();
    if (m_player && MovieAudio::instance().isSource(m_player->soundMixer().get()))
        MovieAudio::instance().setSource(nullptr);
    m_player.reset();
    updateCursor();
    m_frame = QImage();
    m_frameStale = true;
    update();
}

int MovieView::currentFrame() const
{
    return m_player ? m_player->currentFrame() : 0;
}

void MovieView::play()
{
    if (!m_player || m_playing)
        return;
    m_playing = true;
    m_framesRun = 0;
    m_clockBase = 0;
    m_soundLeads = false;
    m_soundThrown = 0;
    m_clock.start();
    if (m_player->hasSound()) {
        MovieAudio &audio = MovieAudio::instance();
        if (!audio.isSource(m_player->soundMixer().get()))
            audio.setSource(m_player->soundMixer());
        audio.setPaused(false);
    }
    scheduleNext();
}

void MovieView::stop()
{
    m_playing = false;
    m_timer.stop();
    // The sounds wait where they are, and are silent at once.
    if (m_player && MovieAudio::instance().isSource(m_player->soundMixer().get()))
        MovieAudio::instance().setPaused(true);
}

bool MovieView::soundHeard() const
{
    MovieAudio &audio = MovieAudio::instance();
    return audio.isSource(m_player->soundMixer().get()) && !audio.paused() && audio.running();
}

qint64 MovieView::framesDue()
{
    const double rate = frameRateOf(*m_player);
    const swf::SoundMixer &mixer = *m_player->soundMixer();
    const bool leads = m_player->hasSound() && mixer.streamLeads() && soundHeard();
    if (leads != m_soundLeads) {
        // Each clock takes over where the other left the frames.
        m_soundLeads = leads;
        if (leads) {
            m_soundBase = mixer.framesMixed();
            m_soundBaseFrames = m_framesRun;
        } else {
            m_clock.start();
            m_clockBase = m_framesRun;
        }
    }
    if (m_soundLeads)
        return m_soundBaseFrames
            + qint64(std::floor(double(mixer.framesMixed() - m_soundBase) * rate / swf::SoundMixer::Rate));
    return m_clockBase + qint64(std::floor(double(m_clock.nsecsElapsed()) / 1e9 * rate));
}

void MovieView::keepSoundInTime()
{
    if (!m_player->hasSound())
        return;
    // The sound of the frames run so far: mixed by the output when it is
    // heard, otherwise here, into nothing, so that it is where it should
    // be once it is heard again.
    const std::int64_t due = std::llround(double(m_framesRun) * swf::SoundMixer::Rate / frameRateOf(*m_player));
    if (!soundHeard()) {
        const std::int64_t frames = std::min<std::int64_t>(due - m_soundThrown, 2 * swf::SoundMixer::Rate);
        if (frames > 0)
            m_player->mixSound(nullptr, int(frames));
    }
    m_soundThrown = due;
}

void MovieView::scheduleNext()
{
    const double period = 1000.0 / frameRateOf(*m_player);
    if (m_soundLeads) {
        // The sound's clock moves a buffer at a time: looked at often.
        m_timer.start(std::max(2, int(period / 4)));
        return;
    }
    // Frame n is due n frame periods after the start: waiting for the next
    // due time, not for a fixed interval, keeps the schedule from drifting.
    const double due = (m_framesRun + 1 - m_clockBase) * period;
    const double wait = due - double(m_clock.nsecsElapsed()) / 1e6;
    m_timer.start(std::max(0, int(std::ceil(wait))));
}

void MovieView::tick()
{
    if (!m_playing || !m_player)
        return;
    const double rate = frameRateOf(*m_player);
    qint64 steps = framesDue() - m_framesRun;
    if (steps > rate * MaxCatchUpSeconds) {
        steps = 1;
        if (m_soundLeads) {
            m_soundBase = m_player->soundMixer()->framesMixed();
            m_soundBaseFrames = m_framesRun + 1;
        } else {
            m_clock.start();
            m_clockBase = m_framesRun + 1;
        }
    }
    if (steps > 0) {
        m_framesRun += steps;
        keepSoundInTime();
        showFrames(int(steps));
    }
    scheduleNext();
}

void MovieView::runFrames(int frames)
{
    if (!m_player || frames < 1)
        return;
    // Ahead of the clock, which the next ticks then wait for.
    m_framesRun += frames;
    keepSoundInTime();
    showFrames(frames);
}

void MovieView::showFrames(int frames)
{
    // Late frames are run but not drawn: only the last one is shown.
    for (int i = 0; i < frames; ++i)
        m_player->advance();
    refresh();
    // A button may have moved under a still pointer.
    afterInput();
}

QRect MovieView::devicePixels() const
{
    // Where the widget lands in its window's backing store, as its painter
    // will map it.
    const qreal ratio = devicePixelRatioF();
    const QPointF at = QPointF(mapTo(window(), QPoint(0, 0))) * ratio;
    return devicePixelsOf(QTransform(ratio, 0, 0, ratio, at.x(), at.y()), size());
}

void MovieView::refresh()
{
    // Drawn now, only where the frame differs from the last one, and only
    // those pixels shown again; a frame of another size waits for the paint.
    const QRect pixels = devicePixels();
    if (m_frameStale || m_frame.size() != pixels.size() || !isVisible()) {
        m_frameStale = true;
        update();
        return;
    }
    const QRegion drawn = m_player->renderChanges(m_frame);
    if (drawn.isEmpty())
        return;
    ++m_renderCount;
    const qreal ratio = devicePixelRatioF();
    if (ratio == 1.0) {
        update(drawn);
        return;
    }
    // The frame's corner lies within half a pixel of the widget's.
    const QPointF corner = QPointF(pixels.topLeft()) - QPointF(mapTo(window(), QPoint(0, 0))) * ratio;
    QRegion logical;
    for (const QRect &r : drawn)
        logical += QRectF((QRectF(r).topLeft() + corner) / ratio, QRectF(r).size() / ratio).toAlignedRect();
    update(logical);
}

void MovieView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_player) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    const QTransform toDevice = painter.deviceTransform();
    const QRect area = devicePixelsOf(toDevice, size());
    const QSize pixels = area.size();
    if (pixels.isEmpty())
        return;
    if (m_frameStale || m_frame.size() != pixels) {
        // The stage is drawn in device pixels on an image of ratio 1, where
        // shapes come from the engine's cache, and the image is reused: a
        // new one of a full screen costs as much to map as to draw. The
        // player draws all of a new image, and of one drawn elsewhere.
        if (m_frame.size() != pixels)
            m_frame = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        if (!m_player->renderChanges(m_frame).isEmpty())
            ++m_renderCount;
        m_frameStale = false;
    }
    // One image pixel on one device pixel, from the whole pixel where the
    // widget starts (also at a ratio such as 1.25, where the widget's own
    // corner falls inside a pixel); drawn without marking the image, which
    // would make the player draw all of it next time.
    painter.setWorldTransform(QTransform::fromTranslate(area.x(), area.y()) * toDevice.inverted());
    painter.drawImage(QPoint(0, 0), m_frame);
}

} // namespace platform

namespace platform {

QPointF MovieView::stagePixels(const QPointF &point) const
{
    return m_player->stagePixelAt(point, QRectF(rect()));
}

void MovieView::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (!m_player)
        return;
    m_player->mouseMove(stagePixels(event->position()));
    afterInput();
}

void MovieView::mousePressEvent(QMouseEvent *event)
{
    // Kept here, whichever button: the window below must not take a press
    // on the movie for one of its own (the slots' drag starts from presses).
    event->accept();
    if (!m_player || event->button() != Qt::LeftButton)
        return;
    m_player->mousePress(stagePixels(event->position()));
    afterInput();
}

void MovieView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click is a press like the first.
    mousePressEvent(event);
}

void MovieView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (!m_player || event->button() != Qt::LeftButton)
        return;
    m_player->mouseRelease(stagePixels(event->position()));
    afterInput();
}

void MovieView::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (!m_player)
        return;
    m_player->mouseLeave();
    afterInput();
}

void MovieView::keyPressEvent(QKeyEvent *event)
{
    const int key = movieKey(event);
    if (!m_player || !key || !m_player->keyPress(key)) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    afterInput();
}

void MovieView::afterInput()
{
    if (m_player)
        refresh();
    updateCursor();
}

void MovieView::updateCursor()
{
    const bool hand = m_player && m_player->overActiveButton();
    if (hand == m_handCursor)
        return;
    m_handCursor = hand;
    if (hand)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

} // namespace platform
