#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

// Makes a teacher's exercise from five pictures: the picture folder
// NOME/NOME1.gif ... NOME5.gif and the slideshow movie NOME.swf in a gif
// folder. Everything is checked before anything is written, and the files
// are made in a hidden folder beside the exercise and renamed into place,
// the movie last: the game only sees an exercise once it is whole.
class ExerciseMaker
{
public:
    static constexpr int kPictures = 5;
    static constexpr int kLongestSide = 320;
    static constexpr int kLongestSoundSeconds = 600;

    struct Request
    {
        QString name;
        QStringList pictures;
        QString gifFolder;
        bool replace = false;
        QString sound;          // a WAV to play under the slideshow, or empty
    };

    // An empty text when all went well, otherwise what went wrong, in
    // Italian, for the teacher.
    static QString make(const Request &request);

    // Why `name` cannot be an exercise's name, or an empty text.
    static QString nameProblem(const QString &name);
    // The common size of the pictures: the first one's proportions with
    // its longer side kLongestSide pixels.
    static QSize commonSize(const QSize &first);
    // `image` fitted into `size`, centred, on white.
    static QImage fitted(const QImage &image, const QSize &size);
};
