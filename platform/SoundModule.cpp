// The sound module: everything that needs Qt Multimedia, loaded with
// QLibrary when the program first wants a sound.
#include "SoundModule.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QHash>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

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
