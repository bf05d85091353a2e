#pragma once

#include <QByteArray>
#include <cstddef>

namespace swf {

// The most bytes a movie may hold once decompressed; more is refused.
constexpr std::size_t MaxMovieBytes = 64u << 20;

// Inflates a zlib stream (CWS bodies). `expected` is what the header claims;
// it only bounds the output, never sizes an allocation up front. Throws
// DecodeError for a corrupt stream or output beyond MaxMovieBytes; a stream
// that ends early yields what was decoded.
QByteArray inflateZlib(const char *data, std::size_t size, std::size_t expected);

// Decodes a ZWS body: 5 bytes of LZMA properties, then an LZMA1 stream
// without the size field of the .lzma format.
QByteArray inflateLzma(const char *data, std::size_t size, std::size_t expected);

} // namespace swf
