#pragma once

#include <QString>

namespace swf {

enum TagCode {
    TagEnd = 0, TagShowFrame = 1, TagPlaceObject = 4, TagRemoveObject = 5,
    TagDefineButton = 7, TagJPEGTables = 8, TagSetBackgroundColor = 9, TagDoAction = 12,
    TagDefineButtonCxform = 23, TagPlaceObject2 = 26, TagRemoveObject2 = 28,
    TagDefineButton2 = 34, TagDefineSprite = 39, TagFrameLabel = 43, TagPlaceObject3 = 70,
    TagDefineSound = 14, TagStartSound = 15, TagDefineButtonSound = 17, TagSoundStreamHead = 18,
    TagSoundStreamBlock = 19, TagSoundStreamHead2 = 45,
    TagExportAssets = 56, TagDoInitAction = 59, TagScriptLimits = 65,
};

// The name of a tag code as the file format documents it, or "Tag<code>".
QString tagName(int code);

} // namespace swf
