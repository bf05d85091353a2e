#pragma once

#include <QColor>
#include <QList>
#include <QMap>
#include <QRectF>

namespace swf {

// What the header of a movie says, and how many tags of each code it holds.
struct MovieInfo
{
    int version = 0;
    char compression = 'F';          // 'F' none, 'C' zlib, 'Z' LZMA
    QRectF stage;                    // twips
    double frameRate = 12.0;         // frames per second
    int frameCount = 0;              // as the header says; the timeline may hold fewer
    QColor background = Qt::white;
    QMap<int, int> tagCounts;        // tag code -> count, main timeline and sprites
    // ScriptLimits: the deepest recursion and the seconds a script may run;
    // 0 where the movie does not say.
    int maxRecursion = 0;
    int scriptTimeout = 0;
    // Whether the movie holds any action (frame, init, clip or button
    // actions); a movie without one plays with no interpreter at all.
    bool hasScripts = false;
    QMap<int, int> skippedTags;      // tags the engine does not draw or run, skipped by length

    // A sound the engine cannot play, left out of the movie.
    struct SoundProblem
    {
        enum class Kind { Nellymoser, Unsupported, BadAdpcm, BadMp3 };
        Kind kind;
        int soundId;                 // 0: a timeline's stream
    };
    QList<SoundProblem> soundProblems;
};

} // namespace swf
