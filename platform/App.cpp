#include "App.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLockFile>
#include <QTranslator>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {
QString &overriddenPath()
{
    static QString path;
    return path;
}

// What PrevInstance holds for one lock name until the process ends: the
// lock file, when its folder could take it, and the socket name.
struct HeldLock
{
    std::unique_ptr<QLockFile> file;
    int socket = -1;
};

std::map<QString, HeldLock> &heldLocks()
{
    static std::map<QString, HeldLock> locks;
    return locks;
}

enum class Claim { Taken, HeldElsewhere, Unavailable };

// A name in Linux's abstract socket namespace, made from the lock file's
// path so that it stands for the same set of copies. Binding it is atomic,
// it needs no folder (a read-only or full temporary folder cannot stop it)
// and the kernel frees it when its process ends, however it ends.
Claim claimSocketName(const QString &lockPath, int *socket)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return Claim::Unavailable;
    const QByteArray name = "ambrelia-"
        + QCryptographicHash::hash(lockPath.toUtf8(), QCryptographicHash::Sha256).toHex().left(40);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    // A leading NUL puts the name in the abstract namespace.
    std::memcpy(address.sun_path + 1, name.constData(), std::size_t(name.size()));
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + std::size_t(name.size()));
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), length) == 0) {
        *socket = fd;
        return Claim::Taken;
    }
    const bool inUse = errno == EADDRINUSE;
    ::close(fd);
    return inUse ? Claim::HeldElsewhere : Claim::Unavailable;
}

QString lockFilePath(const QString &lockName)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(QString::fromLocal8Bit(runtime)).isDir())
        return QString::fromLocal8Bit(runtime) + QLatin1Char('/') + lockName + QLatin1String(".lock");
    // The temporary folder is shared by all users: the user id keeps one
    // user's copy from refusing another user's.
    return QDir::tempPath() + QLatin1Char('/') + lockName + QLatin1Char('-')
           + QString::number(::getuid()) + QLatin1String(".lock");
}
} // namespace

QString App::Path()
{
    if (!overriddenPath().isEmpty())
        return overriddenPath();
    QString folder = QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath();
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

void App::overridePath(const QString &folder)
{
    QString path = folder;
    while (path.size() > 1 && (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'))))
        path.chop(1);
    overriddenPath() = path;
}

bool App::PrevInstance(const QString &lockName)
{
    auto &locks = heldLocks();
    if (locks.count(lockName))
        return false;
    const QString path = lockFilePath(lockName);
    HeldLock held;
    if (claimSocketName(path, &held.socket) == Claim::HeldElsewhere)
        return true;
    auto lock = std::make_unique<QLockFile>(path);
    // Age alone must never make a live copy's lock look abandoned; a lock
    // whose process is gone is still recognised as stale by its pid.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        held.file = std::move(lock);
    } else if (lock->error() == QLockFile::LockFailedError) {
        // A live copy holds the file. The name goes back at once, so that
        // this refused copy, waiting for its box to be answered, blocks no
        // one once the other has ended.
        if (held.socket >= 0)
            ::close(held.socket);
        return true;
    }
    // Otherwise the folder could not take the file (read-only, full, gone):
    // the socket name alone keeps the rule, and where even that is missing
    // the game starts rather than refuse to run at all.
    locks.emplace(lockName, std::move(held));
    return false;
}

void App::End(int exitCode)
{
    // Nothing may run after End: no destructor, no window event. Only the
    // single-copy locks are given back and pending output written.
    for (auto &entry : heldLocks()) {
        if (entry.second.file)
            entry.second.file->unlock();
    }
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

void App::setUpVersionRecord()
{
    QCoreApplication::setApplicationName(QStringLiteral("Ambrelia"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.00"));
    QCoreApplication::setOrganizationName(QString());
    QCoreApplication::setOrganizationDomain(QString());
    // No display name: Qt would append it to every title the program sets
    // (the second-copy box would read "Error — Calvisto"). The product name
    // reaches the desktop through the menu entry, which the desktop file
    // name ties to the program's windows (their application id on Wayland).
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QGuiApplication::setDesktopFileName(QStringLiteral("org.example.ambrelia"));
}

void App::setUpLocale()
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));

    static QTranslator *translator = nullptr;
    if (!translator && QCoreApplication::instance()) {
        auto *candidate = new QTranslator(QCoreApplication::instance());
        if (candidate->load(QStringLiteral("qtbase_it"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(candidate);
            translator = candidate;
        } else {
            delete candidate;
        }
    }

    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
}

} // namespace platform
