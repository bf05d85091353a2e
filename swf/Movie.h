#pragma once

#include "Character.h"
#include "MovieInfo.h"
#include "display/Timeline.h"
#include "sound/SoundData.h"
#include "sound/SoundInfo.h"

#include <QByteArray>
#include <array>
#include <memory>

namespace swf {

// A decoded movie: header, dictionary of characters and main timeline.
// Immutable once decoded and shared by every Player of it.
class Movie
{
public:
    // Throws DecodeError when the bytes are not a movie this engine can read.
    static std::shared_ptr<const Movie> decode(const QByteArray &bytes);

    const MovieInfo &info() const { return m_info; }
    const Dictionary &dictionary() const { return m_dictionary; }
    const Timeline &timeline() const { return m_timeline; }
    CharacterPtr character(int id) const { return m_dictionary.value(id); }
    // DefineSound's sounds, decoded; null for an id that is not one.
    SoundDataPtr sound(int id) const { return m_sounds.value(id); }
    bool hasSound() const { return m_hasSound; }
    // DefineButtonSound: a button's sounds for its four transitions (out to
    // idle, idle to over, over to down, down to over); empty when none.
    std::array<SoundStart, 4> buttonSounds(int buttonId) const { return m_buttonSounds.value(buttonId); }
    // The character an ExportAssets tag gave `name` (attachMovie's linkage
    // name, matched ignoring case), or 0.
    int exportedId(const QString &name) const { return m_exports.value(name.toLower()); }

private:
    friend class MovieDecoder;
    Movie() = default;
    MovieInfo m_info;
    Dictionary m_dictionary;
    Timeline m_timeline;
    QHash<int, SoundDataPtr> m_sounds;
    QHash<int, std::array<SoundStart, 4>> m_buttonSounds;
    bool m_hasSound = false;         // a sound a timeline starts, or a stream
    QHash<QString, int> m_exports;   // lower-cased name -> character id
};

} // namespace swf
