#include "ContentChecker.h"

#include "WavFile.h"

#include <Player.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMap>

#include <algorithm>

bool ContentChecker::Report::has(Fault fault) const
{
    return std::any_of(problems.begin(), problems.end(), [fault](const Problem &p) { return p.fault == fault; });
}

bool ContentChecker::isHarmlessTag(int code)
{
    switch (code) {
    case 0:     // End
    case 14:    // DefineSound
    case 15:    // StartSound
    case 17:    // DefineButtonSound
    case 18:    // SoundStreamHead
    case 19:    // SoundStreamBlock
    case 24:    // Protect
    case 40:    // NameCharacter
    case 41:    // ProductInfo
    case 43:    // FrameLabel
    case 45:    // SoundStreamHead2
    case 56:    // ExportAssets
    case 58:    // EnableDebugger
    case 63:    // DebugID
    case 64:    // EnableDebugger2
    case 65:    // ScriptLimits
    case 69:    // FileAttributes
    case 77:    // Metadata
    case 86:    // DefineSceneAndFrameLabelData
    case 89:    // StartSound2
        return true;
    default:
        return false;
    }
}

namespace {

QString tagName(int code)
{
    static const QMap<int, QString> names{
        {2, "DefineShape"}, {4, "PlaceObject"}, {5, "RemoveObject"}, {6, "DefineBits"}, {7, "DefineButton"},
        {8, "JPEGTables"}, {10, "DefineFont"}, {11, "DefineText"}, {12, "DoAction"}, {20, "DefineBitsLossless"},
        {21, "DefineBitsJPEG2"}, {22, "DefineShape2"}, {26, "PlaceObject2"}, {28, "RemoveObject2"},
        {32, "DefineShape3"}, {33, "DefineText2"}, {34, "DefineButton2"}, {35, "DefineBitsJPEG3"},
        {36, "DefineBitsLossless2"}, {37, "DefineEditText"}, {39, "DefineSprite"}, {46, "DefineMorphShape"},
        {48, "DefineFont2"}, {59, "DoInitAction"}, {60, "DefineVideoStream"}, {61, "VideoFrame"},
        {70, "PlaceObject3"}, {75, "DefineFont3"}, {82, "DoABC"}, {83, "DefineShape4"},
        {84, "DefineMorphShape2"}, {90, "DefineBitsJPEG4"}, {91, "DefineFont4"}};
    return names.value(code, QStringLiteral("tag %1").arg(code));
}

} // namespace

ContentChecker::Report ContentChecker::check(const QString &contentFolder)
{
    Report report;
    auto problem = [&report](const QString &exercise, Fault fault, const QString &text) {
        report.problems.push_back({exercise, fault, text});
    };
    const QDir root(contentFolder);

    const QFileInfo sound(root.filePath(QStringLiteral("suoni/no.wav")));
    if (!sound.isFile()) {
        problem({}, Fault::MissingSound, QStringLiteral("manca il suono di errore suoni/no.wav"));
    } else {
        QFile file(sound.filePath());
        if (!file.open(QIODevice::ReadOnly)) {
            problem({}, Fault::BadSound, QStringLiteral("il suono suoni/no.wav non si può leggere"));
        } else {
            const WavFile::Info info = WavFile::inspect(file.readAll());
            if (!info.problem.isEmpty())
                problem({}, Fault::BadSound, QStringLiteral("il suono suoni/no.wav non si può suonare: %1").arg(info.problem));
        }
    }

    const QDir gif(root.filePath(QStringLiteral("gif")));
    if (!QFileInfo(gif.path()).isDir() || !QFileInfo(gif.path()).isReadable()) {
        problem({}, Fault::NoGifFolder, QStringLiteral("manca la cartella gif (o non si può leggere)"));
        return report;
    }

    const QFileInfoList entries = gif.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                                                    QDir::Name);
    QStringList movies;
    QStringList folders;
    for (const QFileInfo &entry : entries) {
        if (entry.fileName().endsWith(QLatin1String(".swf"), Qt::CaseInsensitive))
            movies << entry.fileName();
        else if (entry.isDir() && !entry.fileName().startsWith(QLatin1Char('.')))
            folders << entry.fileName();
    }
    if (movies.isEmpty())
        problem({}, Fault::NoExercises, QStringLiteral("la cartella gif non contiene nessun esercizio (file .swf)"));
    if (movies.size() > kMaxMovies)
        problem({}, Fault::TooManyMovies,
                QStringLiteral("ci sono %1 filmati: il gioco ne usa solo %2 e ignora gli altri")
                    .arg(movies.size()).arg(kMaxMovies));

    QMap<QString, QStringList> byLowerCase;
    for (const QString &movie : movies)
        byLowerCase[movie.chopped(4).toLower()] << movie.chopped(4);

    for (const QString &movie : movies) {
        const QString name = movie.chopped(4);
        report.exercises << name;
        QStringList twins = byLowerCase.value(name.toLower());
        twins.removeAll(name);
        if (!twins.isEmpty())
            problem(name, Fault::CaseClash,
                    QStringLiteral("il nome si distingue solo per maiuscole e minuscole da: %1")
                        .arg(twins.join(QStringLiteral(", "))));

        QString error;
        const std::unique_ptr<swf::Player> player = swf::Player::load(gif.filePath(movie), &error);
        if (!player) {
            problem(name, Fault::UnreadableMovie, QStringLiteral("il filmato %1 non si può leggere: %2").arg(movie, error));
        } else {
            QStringList undrawn;
            const QMap<int, int> &skipped = player->info().skippedTags;
            for (auto it = skipped.begin(); it != skipped.end(); ++it)
                if (!isHarmlessTag(it.key()))
                    undrawn << tagName(it.key());
            if (!undrawn.isEmpty())
                problem(name, Fault::UndrawnContent,
                        QStringLiteral("il filmato %1 usa cose che il gioco non sa disegnare: %2")
                            .arg(movie, undrawn.join(QStringLiteral(", "))));
            QStringList unplayable;
            for (const swf::MovieInfo::SoundProblem &p : player->info().soundProblems) {
                using Kind = swf::MovieInfo::SoundProblem::Kind;
                const QString what = p.kind == Kind::Nellymoser ? QStringLiteral("formato Nellymoser")
                    : p.kind == Kind::BadAdpcm ? QStringLiteral("dati ADPCM rovinati")
                    : p.kind == Kind::BadMp3 ? QStringLiteral("MP3 che non si decodifica")
                                             : QStringLiteral("formato sconosciuto");
                const QString text = p.soundId ? QStringLiteral("suono %1: %2").arg(p.soundId).arg(what)
                                               : QStringLiteral("suono in sottofondo: %1").arg(what);
                if (!unplayable.contains(text))
                    unplayable << text;
            }
            if (!unplayable.isEmpty())
                problem(name, Fault::UnplayableSound,
                        QStringLiteral("il filmato %1 ha suoni che il gioco non sa suonare: %2")
                            .arg(movie, unplayable.join(QStringLiteral("; "))));
        }

        // The game builds the picture paths from the name exactly as listed.
        const QDir pictures(gif.filePath(name));
        if (!QFileInfo(pictures.path()).isDir()) {
            problem(name, Fault::MissingPicture, QStringLiteral("manca la cartella delle immagini gif/%1").arg(name));
            continue;
        }
        for (int k = 1; k <= 5; ++k) {
            const QString file = QStringLiteral("%1%2.gif").arg(name).arg(k);
            const QString path = pictures.filePath(file);
            if (!QFileInfo(path).isFile()) {
                problem(name, Fault::MissingPicture, QStringLiteral("manca l'immagine %1").arg(file));
                continue;
            }
            QImageReader reader(path);
            if (reader.read().isNull())
                problem(name, Fault::UnreadablePicture,
                        QStringLiteral("l'immagine %1 non si può leggere: %2").arg(file, reader.errorString()));
        }
    }

    for (const QString &folder : folders) {
        if (!movies.contains(folder + QStringLiteral(".swf")))
            problem(folder, Fault::FolderWithoutMovie,
                    QStringLiteral("c'è la cartella di immagini gif/%1 ma manca il filmato %1.swf, "
                                   "quindi il gioco non la usa").arg(folder));
    }
    return report;
}

QString ContentChecker::Report::text() const
{
    QString out;
    for (const Problem &p : problems)
        if (p.exercise.isEmpty())
            out += QStringLiteral("PROBLEMA: %1\n").arg(p.text);
    QStringList names = exercises;
    for (const Problem &p : problems)
        if (!p.exercise.isEmpty() && !names.contains(p.exercise))
            names << p.exercise;
    for (const QString &name : names) {
        QStringList found;
        for (const Problem &p : problems)
            if (p.exercise == name)
                found << p.text;
        if (found.isEmpty()) {
            out += QStringLiteral("%1: va bene\n").arg(name);
        } else {
            out += QStringLiteral("%1:\n").arg(name);
            for (const QString &f : found)
                out += QStringLiteral("  - %1\n").arg(f);
        }
    }
    if (ok())
        out += QStringLiteral("Tutto in ordine: %1 esercizi pronti.\n").arg(exercises.size());
    else
        out += QStringLiteral("Problemi trovati: %1.\n").arg(problems.size());
    return out;
}
