#include "App.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLockFile>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <unistd.h>

namespace platform {

namespace {
QString &overriddenPath()
{
    static QString path;
    return path;
}

// Locks taken by PrevInstance, by name; released only when the process ends.
std::map<QString, std::unique_ptr<QLockFile>> &heldLocks()
{
    static std::map<QString, std::unique_ptr<QLockFile>> locks;
    return locks;
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
    auto lock = std::make_unique<QLockFile>(lockFilePath(lockName));
    // Age alone must never make a live copy's lock look abandoned; a lock
    // whose process is gone is still recognised as stale by its pid.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return true;
    locks.emplace(lockName, std::move(lock));
    return false;
}

void App::End(int exitCode)
{
    // Nothing may run after End: no destructor, no window event. Only the
    // single-copy locks are given back and pending output written.
    for (auto &entry : heldLocks())
        entry.second->unlock();
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
