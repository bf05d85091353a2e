#include "ExerciseMaker.h"

#include "GifWriter.h"
#include "SlideshowMovie.h"
#include "WavFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

QString ExerciseMaker::nameProblem(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("il nome dell'esercizio è vuoto");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("\"%1\" non può essere il nome di un esercizio").arg(name);
    if (name.endsWith(QLatin1String(".swf"), Qt::CaseInsensitive))
        return QStringLiteral("il nome non deve finire con \".swf\": scrivi solo \"%1\"").arg(name.chopped(4));
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return QStringLiteral("il nome \"%1\" contiene una barra: scrivi solo il nome, "
                              "la cartella si sceglie con --cartella").arg(name);
    if (name.size() > 60)
        return QStringLiteral("il nome è troppo lungo (al massimo 60 caratteri)");
    for (QChar c : name) {
        // Letters and digits of any alphabet, '-' and '_': file names that
        // every file system keeps as they are.
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            return QStringLiteral("il nome \"%1\" contiene il carattere \"%2\": usa solo lettere, "
                                  "cifre, \"-\" e \"_\"").arg(name, c);
    }
    return {};
}

QSize ExerciseMaker::commonSize(const QSize &first)
{
    if (first.width() >= first.height())
        return QSize(kLongestSide, std::max(1, int(std::lround(double(kLongestSide) * first.height() / first.width()))));
    return QSize(std::max(1, int(std::lround(double(kLongestSide) * first.width() / first.height()))), kLongestSide);
}

QImage ExerciseMaker::fitted(const QImage &image, const QSize &size)
{
    QImage out(size, QImage::Format_RGB32);
    out.fill(Qt::white);
    const QImage scaled = image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&out);
    painter.drawImage(QPoint((size.width() - scaled.width()) / 2, (size.height() - scaled.height()) / 2), scaled);
    return out;
}

namespace {

// The entries of `folder` that the game would take for the exercise
// `name`: its movie and its picture folder, in any letter case.
QStringList existingEntries(const QDir &folder, const QString &name)
{
    QStringList found;
    const QStringList entries = folder.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QString &entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0
            || entry.compare(name + QStringLiteral(".swf"), Qt::CaseInsensitive) == 0)
            found << entry;
    return found;
}

bool removeEntry(const QDir &folder, const QString &entry)
{
    const QString path = folder.filePath(entry);
    if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

} // namespace

QString ExerciseMaker::make(const Request &request)
{
    if (const QString problem = nameProblem(request.name); !problem.isEmpty())
        return problem;
    if (request.pictures.size() != kPictures)
        return QStringLiteral("servono esattamente %1 immagini, nell'ordine della storia: ne hai date %2")
            .arg(kPictures).arg(request.pictures.size());

    const QFileInfo folderInfo(request.gifFolder);
    if (!folderInfo.isDir())
        return QStringLiteral("la cartella \"%1\" non esiste").arg(request.gifFolder);
    if (!folderInfo.isWritable())
        return QStringLiteral("non si può scrivere nella cartella \"%1\"").arg(request.gifFolder);
    const QDir folder(folderInfo.absoluteFilePath());

    const QStringList existing = existingEntries(folder, request.name);
    if (!existing.isEmpty() && !request.replace)
        return QStringLiteral("l'esercizio \"%1\" esiste già (%2): per rifarlo aggiungi --sostituisci")
            .arg(request.name, existing.join(QStringLiteral(", ")));

    std::vector<QImage> sources;
    for (const QString &path : request.pictures) {
        if (!QFileInfo(path).isFile())
            return QStringLiteral("l'immagine \"%1\" non esiste").arg(path);
        QImageReader reader(path);
        reader.setAutoTransform(true);    // photos taken sideways
        QImage image = reader.read();
        if (image.isNull())
            return QStringLiteral("l'immagine \"%1\" non si può leggere (%2): usa un file PNG, JPEG o GIF")
                .arg(path, reader.errorString());
        sources.push_back(std::move(image));
    }

    // The sound goes into the movie at the nearest of the movie's rates
    // that loses nothing, 22 kHz at most: enough for a voice or a tune.
    WavFile::Audio sound;
    if (!request.sound.isEmpty()) {
        QFile file(request.sound);
        if (!QFileInfo(request.sound).isFile())
            return QStringLiteral("il suono \"%1\" non esiste").arg(request.sound);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("il suono \"%1\" non si può leggere: %2").arg(request.sound, file.errorString());
        QString why;
        sound = WavFile::read(file.readAll(), &why);
        if (sound.samples.empty())
            return QStringLiteral("il suono \"%1\" non si può usare: %2 (serve un file WAV)").arg(request.sound, why);
        if (sound.seconds() > kLongestSoundSeconds)
            return QStringLiteral("il suono \"%1\" è troppo lungo: al massimo %2 minuti")
                .arg(request.sound).arg(kLongestSoundSeconds / 60);
        sound = WavFile::resampled(sound, sound.rate <= 5512 ? 5512 : sound.rate <= 11025 ? 11025 : 22050);
    }

    const QSize size = commonSize(sources.front().size());
    std::vector<QImage> pictures;
    for (const QImage &source : sources)
        pictures.push_back(fitted(source, size));

    QTemporaryDir work(folder.filePath(QStringLiteral(".crea-esercizio-XXXXXX")));
    if (!work.isValid())
        return QStringLiteral("non si può creare una cartella di lavoro in \"%1\"").arg(folder.path());
    const QDir staging(work.path());
    if (!staging.mkdir(request.name))
        return QStringLiteral("non si può scrivere nella cartella \"%1\"").arg(folder.path());
    for (int k = 0; k < kPictures; ++k) {
        const QString path = staging.filePath(QStringLiteral("%1/%1%2.gif").arg(request.name).arg(k + 1));
        QString why;
        if (!GifWriter::write(path, pictures[size_t(k)], &why, true))
            return QStringLiteral("non si può scrivere l'immagine %1: %2").arg(k + 1).arg(why);
    }
    const QString movieName = request.name + QStringLiteral(".swf");
    {
        QSaveFile movie(staging.filePath(movieName));
        const QByteArray bytes = SlideshowMovie::write(pictures, sound.samples.empty() ? nullptr : &sound);
        if (!movie.open(QIODevice::WriteOnly) || movie.write(bytes) != bytes.size() || !movie.commit())
            return QStringLiteral("non si può scrivere il filmato: %1").arg(movie.errorString());
        QFile::setPermissions(staging.filePath(movieName),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }

    // The old exercise goes movie first, so the game never lists a movie
    // whose pictures are half gone; the new one comes pictures first.
    std::vector<QString> ordered(existing.begin(), existing.end());
    std::stable_partition(ordered.begin(), ordered.end(),
                          [](const QString &e) { return e.endsWith(QLatin1String(".swf"), Qt::CaseInsensitive); });
    for (const QString &entry : ordered)
        if (!removeEntry(folder, entry))
            return QStringLiteral("non si può togliere il vecchio \"%1\"").arg(folder.filePath(entry));
    if (!QDir().rename(staging.filePath(request.name), folder.filePath(request.name)))
        return QStringLiteral("non si può mettere a posto la cartella \"%1\"").arg(folder.filePath(request.name));
    if (!QDir().rename(staging.filePath(movieName), folder.filePath(movieName))) {
        QDir(folder.filePath(request.name)).removeRecursively();
        return QStringLiteral("non si può mettere a posto il filmato \"%1\"").arg(folder.filePath(movieName));
    }
    return {};
}
