#pragma once

#include "character/FontCharacter.h"

#include <QByteArray>
#include <QString>
#include <memory>

namespace swf {

// Glyphs of fonts that the movie names but does not carry: "device fonts"
// (fonts of the system, with "_sans", "_serif" and "_typewriter" standing
// for a family of that kind) and OpenType data of DefineFont4. Either is
// turned into a FontCharacter holding the outlines of the characters asked
// for, so that text is laid out and drawn the same way as with embedded
// fonts. Needs the GUI application's font database.
class DeviceFont
{
public:
    // The system font for `name`: the family itself when it is installed,
    // otherwise the closest of the fallback families.
    static std::shared_ptr<const FontCharacter> system(const QString &name, bool bold, bool italic,
                                                       const QString &characters);
    // A font from OpenType or CFF data; null when the data does not load.
    static std::shared_ptr<const FontCharacter> fromData(const QByteArray &data, const QString &name,
                                                         const QString &characters);
    // The family that stands in for `name` on this system.
    static QString familyFor(const QString &name);
};

} // namespace swf
