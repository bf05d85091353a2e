#pragma once

#include "decode/BitReader.h"
#include "decode/CharacterDecoder.h"
#include "decode/SoundTagDecoder.h"
#include "Movie.h"

namespace swf {

// Turns a movie's bytes into a Movie: header and decompression, then the tag
// loop of the main timeline and of each sprite. Used by Movie::decode only.
class MovieDecoder
{
public:
    explicit MovieDecoder(const QByteArray &bytes) : m_bytes(bytes) {}
    std::shared_ptr<const Movie> decode();

    // Bounds on what a file may make the decoder hold, so that a small
    // malicious file cannot take unbounded memory.
    static constexpr int MaxFrames = 65535;
    static constexpr int MaxCommands = 1 << 20;

private:
    void readTags(BitReader &r, Timeline &timeline, bool inSprite);
    void readPlace(int code, BitReader &body, Frame &frame);
    ClipEventList readClipActions(BitReader &body);
    void readExports(BitReader &body);
    void readButton(int code, BitReader &body);
    void readButtonCxform(BitReader &body);
    void readSprite(BitReader &body);
    void count(int code, bool skipped);

    const QByteArray &m_bytes;
    std::shared_ptr<Movie> m_movie;
    DecodeContext m_context;
    SoundTagDecoder m_sound;
    int m_commands = 0;
};

} // namespace swf
