#include "StoryExporter.h"

#include "ErrorSound.h"
#include "GifWriter.h"
#include "SceneRenderer.h"
#include "Story.h"
#include "StoryMovie.h"
#include "StoryTimeline.h"
#include "WavFile.h"

#include <QDir>
#include <QSaveFile>

static bool save(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("impossibile scrivere %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool StoryExporter::write(const Story &story, const QString &contentFolder, QString *error)
{
    const QString gif = contentFolder + QStringLiteral("/gif");
    const QString pictures = gif + QLatin1Char('/') + story.name();
    if (!QDir().mkpath(pictures)) {
        if (error)
            *error = QStringLiteral("impossibile creare la cartella %1").arg(pictures);
        return false;
    }
    for (int k = 0; k < kScenes; ++k) {
        const QImage image = SceneRenderer::render(story, StoryTimeline::holdFrame(k), kPictureSize);
        const QString path = QStringLiteral("%1/%2%3.gif").arg(pictures, story.name()).arg(k + 1);
        QString why;
        if (!GifWriter::write(path, image, &why)) {
            if (error)
                *error = QStringLiteral("impossibile scrivere %1: %2").arg(path, why);
            return false;
        }
    }
    return save(gif + QLatin1Char('/') + story.name() + QStringLiteral(".swf"), StoryMovie::write(story), error);
}

bool StoryExporter::writeErrorSound(const QString &contentFolder, QString *error)
{
    const QString folder = contentFolder + QStringLiteral("/suoni");
    QDir().mkpath(folder);
    return save(folder + QStringLiteral("/no.wav"),
                WavFile::pcm16Mono(ErrorSound::samples(), ErrorSound::kSampleRate), error);
}
