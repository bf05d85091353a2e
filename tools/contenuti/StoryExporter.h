#pragma once

#include <QString>

class Story;

// Writes a story the way the game reads it: gif/N.swf and
// gif/N/N1.gif ... N5.gif under the content folder.
class StoryExporter
{
public:
    static constexpr int kPictureSize = 320;

    static bool write(const Story &story, const QString &contentFolder, QString *error);
    static bool writeErrorSound(const QString &contentFolder, QString *error);
};
