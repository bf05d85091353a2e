#include "Sound.h"

#include <QCoreApplication>
#include <QFile>
#include <QAudioDevice>
#include <QHash>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace platform {

namespace {
int s_requests = 0;
QString s_last;

QHash<QString, QSoundEffect *> &effects()
{
    static QHash<QString, QSoundEffect *> cache;
    return cache;
}

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
} // namespace

bool Sound::sndPlaySound(const QString &path, int flags)
{
    // Every play is asynchronous: the program never waits for a sound.
    Q_UNUSED(flags);
    ++s_requests;
    s_last = path;

    if (path.isEmpty() || !QCoreApplication::instance() || !looksLikePcmWave(path))
        return false;
    if (QMediaDevices::audioOutputs().isEmpty())
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

int Sound::requestCount()
{
    return s_requests;
}

QString Sound::lastRequest()
{
    return s_last;
}

} // namespace platform
