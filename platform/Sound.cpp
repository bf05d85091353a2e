#include "Sound.h"

#include "App.h"
#include "SoundModule.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <future>
#include <system_error>

namespace platform {

namespace {
int s_requests = 0;
QString s_last;

// A quick look at the RIFF header, so that a file that is plainly not a
// PCM WAV gives false at once instead of failing later inside the player.
bool looksLikePcmWave(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(64);
    if (head.size() < 22 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return false;
    const qsizetype fmt = head.indexOf("fmt ");
    if (fmt < 0 || fmt + 10 > head.size())
        return false;
    const int format = quint8(head.at(fmt + 8)) | (quint8(head.at(fmt + 9)) << 8);
    return format == 1 || format == 0xFFFE;   // PCM, or PCM in the extensible form
}

// Where the module may be: the program's folder, and the folder of the
// executable itself when tests point App::Path elsewhere (in the build
// every executable and the module share one folder).
QStringList moduleCandidates()
{
    QStringList folders{App::Path()};
    const QString own = QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath();
    if (!own.isEmpty() && !folders.contains(own))
        folders.append(own);
    QStringList files;
    for (const QString &folder : folders)
        files.append(folder + QLatin1Char('/') + QLatin1String(soundmodule::FileName));
    return files;
}

// Runs on any thread: loading needs no event loop and no QObject. Null
// when no module can be loaded.
const soundmodule::Entries *loadModule(const QStringList &candidates)
{
    for (const QString &file : candidates) {
        if (!QFileInfo::exists(file))
            continue;
        // Never unloaded (the audio stack keeps threads of its own running):
        // a QLibrary that goes out of scope leaves its library loaded.
        QLibrary library(file);
        soundmodule::Entries found;
        found.play = reinterpret_cast<soundmodule::PlayFunction>(library.resolve(soundmodule::PlayEntry));
        found.open = reinterpret_cast<soundmodule::OpenFunction>(library.resolve(soundmodule::OpenEntry));
        found.pause = reinterpret_cast<soundmodule::PauseFunction>(library.resolve(soundmodule::PauseEntry));
        found.running = reinterpret_cast<soundmodule::RunningFunction>(library.resolve(soundmodule::RunningEntry));
        if (found.play && found.open && found.pause && found.running) {
            // The load runs once in a run; its entries stay for all of it.
            static soundmodule::Entries entries;
            entries = found;
            return &entries;
        }
        qWarning("Sound module %s: %s", qPrintable(file), qPrintable(library.errorString()));
    }
    return nullptr;
}

std::shared_future<const soundmodule::Entries *> &moduleLoad()
{
    static std::shared_future<const soundmodule::Entries *> load;
    return load;
}

void startModuleLoad(std::launch policy)
{
    if (moduleLoad().valid())
        return;
    try {
        moduleLoad() = std::async(policy, loadModule, moduleCandidates()).share();
    } catch (const std::system_error &) {
        // No thread to be had: the first play loads the module itself.
    }
}

soundmodule::PlayFunction player()
{
    // Without preload the first play loads the module itself; after it, a
    // load still under way is waited for (it began long before).
    startModuleLoad(std::launch::deferred);
    const soundmodule::Entries *entries = moduleLoad().get();
    return entries ? entries->play : nullptr;
}
} // namespace

const soundmodule::Entries *soundmodule::loadedModule()
{
    if (!QCoreApplication::instance())
        return nullptr;
    startModuleLoad(std::launch::async);
    auto &load = moduleLoad();
    // A load that could not get a thread is deferred: it runs here, once.
    if (!load.valid())
        return nullptr;
    if (load.wait_for(std::chrono::seconds(0)) == std::future_status::deferred)
        return load.get();
    return load.wait_for(std::chrono::seconds(0)) == std::future_status::ready ? load.get() : nullptr;
}

bool Sound::sndPlaySound(const QString &path, int flags)
{
    // Every play is asynchronous: the program never waits for a sound.
    Q_UNUSED(flags);
    ++s_requests;
    s_last = path;

    if (path.isEmpty() || !QCoreApplication::instance() || !looksLikePcmWave(path))
        return false;
    const soundmodule::PlayFunction play = player();
    return play && play(path);
}

namespace {
// Starts the load from the event loop once a widget of the window has been
// painted. It watches the whole program, since the window itself gets no
// paint event where its children cover it.
class AfterFirstPaint : public QObject
{
public:
    explicit AfterFirstPaint(QWidget *window)
        : QObject(window)
        , m_window(window)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->window() == m_window) {
            QCoreApplication::instance()->removeEventFilter(this);
            QTimer::singleShot(0, [] { startModuleLoad(std::launch::async); });
            deleteLater();
        }
        return false;
    }

private:
    QWidget *m_window;
};
} // namespace

void Sound::preload(QWidget *afterFirstPaintOf)
{
    if (!QCoreApplication::instance())
        return;
    if (afterFirstPaintOf)
        new AfterFirstPaint(afterFirstPaintOf);
    else
        startModuleLoad(std::launch::async);
}

int Sound::requestCount()
{
    return s_requests;
}

QString Sound::lastRequest()
{
    return s_last;
}

} // namespace platform
