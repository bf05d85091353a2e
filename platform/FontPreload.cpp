#include "FontPreload.h"

#include <QFontDatabase>
#include <QStringList>

#include <fontconfig/fontconfig.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform {

namespace {
struct Preload
{
    std::thread thread;
    std::mutex mutex;
    std::condition_variable changed;
    enum class Application { Coming, Ready, Gone } application = Application::Coming;
};

Preload &preload()
{
    static Preload p;
    return p;
}

void run(Preload &p)
{
    // Parsing the configuration and mapping the caches is fontconfig's own
    // work, independent of Qt; both are safe from any thread.
    FcInit();
    std::unique_lock lock(p.mutex);
    p.changed.wait(lock, [&p] { return p.application != Preload::Application::Coming; });
    if (p.application != Preload::Application::Ready)
        return;
    lock.unlock();
    // Fills Qt's font database, which is shared by all threads and guarded by
    // Qt: the first text the window lays out finds it ready (or waits for it).
    QFontDatabase::families();
}
} // namespace

void FontPreload::start()
{
    Preload &p = preload();
    if (p.thread.joinable())
        return;
    p.application = Preload::Application::Coming;
    p.thread = std::thread(run, std::ref(p));
}

void FontPreload::applicationReady()
{
    Preload &p = preload();
    {
        std::lock_guard lock(p.mutex);
        p.application = Preload::Application::Ready;
    }
    p.changed.notify_all();
}

void FontPreload::finish()
{
    Preload &p = preload();
    {
        std::lock_guard lock(p.mutex);
        if (p.application == Preload::Application::Coming)
            p.application = Preload::Application::Gone;
    }
    p.changed.notify_all();
    if (p.thread.joinable())
        p.thread.join();
}

} // namespace platform
