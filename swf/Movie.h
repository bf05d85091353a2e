#pragma once

#include "Character.h"
#include "MovieInfo.h"
#include "display/Timeline.h"

#include <QByteArray>
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

private:
    friend class MovieDecoder;
    Movie() = default;
    MovieInfo m_info;
    Dictionary m_dictionary;
    Timeline m_timeline;
};

} // namespace swf
