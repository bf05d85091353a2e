#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// Checks a content folder (the one holding gif/ and suoni/) the way the
// game reads it: the movies gif/*.swf in any letter case, up to 1000,
// each with gif/N/N1.gif ... N5.gif, and the error sound suoni/no.wav.
class ContentChecker
{
public:
    static constexpr int kMaxMovies = 1000;

    enum class Fault {
        NoGifFolder,
        NoExercises,
        MissingPicture,
        UnreadablePicture,
        FolderWithoutMovie,
        UnreadableMovie,
        UndrawnContent,
        UnplayableSound,
        CaseClash,
        TooManyMovies,
        MissingSound,
        BadSound,
    };

    struct Problem
    {
        QString exercise;     // empty for the folder as a whole
        Fault fault;
        QString text;         // Italian, for the teacher
    };

    struct Report
    {
        QStringList exercises;          // as the game would list them (sorted here)
        std::vector<Problem> problems;
        bool ok() const { return problems.empty(); }
        bool has(Fault fault) const;
        // The whole report as the teacher reads it.
        QString text() const;
    };

    static Report check(const QString &contentFolder);

    // Tag codes a movie may hold that the game can do without (metadata,
    // labels, sounds); any other tag the engine skips is a problem.
    static bool isHarmlessTag(int code);
};
