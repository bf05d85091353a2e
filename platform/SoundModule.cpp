// The sound module: everything that needs Qt Multimedia, loaded with
// QLibrary when the program first wants a sound.
#include "SoundModule.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QHash>
#include <QIODevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <type_traits>

namespace {
QHash<QString, QSoundEffect *> &effects()
{
    static QHash<QString, QSoundEffect *> cache;
    return cache;
}
} // namespace

extern "C" Q_DECL_EXPORT bool ambrelia_sound_play(const QString &path)
{
    static_assert(std::is_same_v<decltype(&ambrelia_sound_play), platform::soundmodule::PlayFunction>);
    if (!QCoreApplication::instance() || QMediaDevices::audioOutputs().isEmpty())
        return false;

    QSoundEffect *&effect = effects()[path];
    if (!effect) {
        effect = new QSoundEffect(QCoreApplication::instance());
        effect->setSource(QUrl::fromLocalFile(path));
    }
    if (effect->status() == QSoundEffect::Error)
        return false;
    // A sound still playing starts again from its beginning.
    effect->stop();
    effect->play();
    return true;
}

namespace {

using platform::soundmodule::PullFunction;

// What the sink reads: whatever the pull function mixes, never running dry.
class PullDevice : public QIODevice
{
public:
    PullDevice(PullFunction pull, void *context) : m_pull(pull), m_context(context) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return 1 << 20; }

protected:
    qint64 readData(char *data, qint64 size) override
    {
        // Paused too: the pull itself goes quiet, easing the wave down.
        const int frames = int(std::min<qint64>(size, 1 << 20) / 4);
        m_pull(m_context, reinterpret_cast<std::int16_t *>(data), frames);
        return qint64(frames) * 4;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    PullFunction m_pull;
    void *m_context;
};

// Lives on the output's thread, with the sink it makes there.
class MovieOutput : public QObject
{
public:
    MovieOutput(PullFunction pull, void *context) : m_pull(pull), m_context(context) {}

    void start()
    {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        QAudioFormat format;
        format.setSampleRate(44100);
        format.setChannelCount(2);
        format.setSampleFormat(QAudioFormat::Int16);
        if (device.isNull() || !device.isFormatSupported(format))
            return;
        m_sink = new QAudioSink(device, format, this);
        // A short buffer: Stop is heard soon, and the picture that follows
        // the sound stays close to it.
        m_sink->setBufferSize(44100 * 4 / 20);
        QObject::connect(m_sink, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
            // A device that went away ends the output: silence from then on.
            if (state == QAudio::StoppedState && m_sink->error() != QAudio::NoError) {
                running = false;
                m_sink->deleteLater();
                m_sink = nullptr;
            }
        });
        m_device = new PullDevice(m_pull, m_context);
        m_device->setParent(this);
        m_device->open(QIODevice::ReadOnly);
        m_sink->start(m_device);
        running = m_sink->state() != QAudio::StoppedState;
        setPaused(paused);
    }

    void setPaused(bool on)
    {
        if (!m_sink)
            return;
        if (on) {
            // Suspended at once, the device would stop in the middle of a
            // wave (a click) and keep the buffer's last sounds for the next
            // play. The buffer plays out first: the pull eases it to silence.
            if (!m_suspend) {
                m_suspend = new QTimer(this);
                m_suspend->setSingleShot(true);
                QObject::connect(m_suspend, &QTimer::timeout, this, [this] {
                    if (paused && m_sink && m_sink->state() == QAudio::ActiveState)
                        m_sink->suspend();
                });
            }
            m_suspend->start(250);
        } else {
            if (m_suspend)
                m_suspend->stop();
            if (m_sink->state() == QAudio::SuspendedState)
                m_sink->resume();
        }
    }

    void finish()
    {
        delete m_sink;
        m_sink = nullptr;
        running = false;
        QThread::currentThread()->quit();
    }

    std::atomic<bool> running{false};
    std::atomic<bool> paused{false};

private:
    PullFunction m_pull;
    void *m_context;
    PullDevice *m_device = nullptr;
    QAudioSink *m_sink = nullptr;
    QTimer *m_suspend = nullptr;
};

struct Output
{
    QThread thread;
    MovieOutput *output = nullptr;
};

} // namespace

extern "C" Q_DECL_EXPORT void *ambrelia_movie_audio_open(PullFunction pull, void *context)
{
    static_assert(std::is_same_v<decltype(&ambrelia_movie_audio_open), platform::soundmodule::OpenFunction>);
    if (!QCoreApplication::instance())
        return nullptr;
    auto *out = new Output;
    out->output = new MovieOutput(pull, context);
    out->output->moveToThread(&out->thread);
    out->thread.setObjectName(QStringLiteral("movie sound"));
    out->thread.start();
    QMetaObject::invokeMethod(out->output, [o = out->output] { o->start(); }, Qt::QueuedConnection);
    // The output ends with the program: its thread is told to stop and
    // given a moment, never waited for without end.
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [out] {
        QMetaObject::invokeMethod(out->output, [o = out->output] { o->finish(); }, Qt::QueuedConnection);
        out->thread.wait(1000);
    });
    return out;
}

extern "C" Q_DECL_EXPORT void ambrelia_movie_audio_pause(void *handle, bool paused)
{
    static_assert(std::is_same_v<decltype(&ambrelia_movie_audio_pause), platform::soundmodule::PauseFunction>);
    auto *out = static_cast<Output *>(handle);
    out->output->paused = paused;
    QMetaObject::invokeMethod(out->output, [o = out->output, paused] { o->setPaused(paused); },
                              Qt::QueuedConnection);
}

extern "C" Q_DECL_EXPORT bool ambrelia_movie_audio_running(void *handle)
{
    static_assert(std::is_same_v<decltype(&ambrelia_movie_audio_running), platform::soundmodule::RunningFunction>);
    return static_cast<Output *>(handle)->output->running.load();
}
