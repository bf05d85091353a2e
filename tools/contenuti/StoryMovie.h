#pragma once

#include <QByteArray>

class Story;

// Writes a story as a looping movie: each still part a sprite of its
// shapes, each morphing part one morph shape per change of scene, and a
// main timeline that moves, scales and fades them frame by frame, with the
// story's music as its stream sound.
class StoryMovie
{
public:
    static QByteArray write(const Story &story);
};
