#include "decode/Decompress.h"

#include "decode/DecodeError.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace swf {

namespace {

constexpr std::size_t Chunk = 64 * 1024;

void checkCap(std::size_t expected)
{
    if (expected > MaxMovieBytes)
        throw DecodeError("movie too large: " + std::to_string(expected)
                          + " bytes once decompressed, at most "
                          + std::to_string(MaxMovieBytes) + " are accepted");
}

// Grows `out` by a chunk at a time, never past the cap, so that a lying
// header or a compression bomb costs at most the cap.
char *grow(QByteArray &out, std::size_t used)
{
    if (used >= MaxMovieBytes)
        throw DecodeError("movie too large once decompressed (more than "
                          + std::to_string(MaxMovieBytes) + " bytes)");
    const std::size_t want = std::min(used + Chunk, MaxMovieBytes + 1);
    out.resize(qsizetype(want));
    return out.data() + used;
}

} // namespace

QByteArray inflateZlib(const char *data, std::size_t size, std::size_t expected)
{
    checkCap(expected);
    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    if (inflateInit(&zs) != Z_OK)
        throw DecodeError("zlib initialisation failed");
    QByteArray out;
    std::size_t used = 0;
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
    zs.avail_in = uInt(std::min<std::size_t>(size, 0x7fffffff));
    int rc = Z_OK;
    try {
        while (rc != Z_STREAM_END && used < expected) {
            char *at = grow(out, used);
            const std::size_t room = std::size_t(out.size()) - used;
            zs.next_out = reinterpret_cast<Bytef *>(at);
            zs.avail_out = uInt(room);
            rc = inflate(&zs, Z_NO_FLUSH);
            used += room - zs.avail_out;
            if (rc == Z_BUF_ERROR && zs.avail_in == 0)
                break;                 // truncated: keep what came out
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
                throw DecodeError(std::string("corrupt zlib data: ")
                                  + (zs.msg ? zs.msg : "inflate failed"));
            }
        }
    } catch (...) {
        inflateEnd(&zs);
        throw;
    }
    inflateEnd(&zs);
    out.resize(qsizetype(std::min(used, expected)));
    return out;
}

QByteArray inflateLzma(const char *data, std::size_t size, std::size_t expected)
{
    checkCap(expected);
    if (size < 5)
        throw DecodeError("LZMA properties missing");
    // The .lzma ("alone") header is the 5 property bytes followed by the
    // uncompressed size as u64; SWF leaves the size out. Giving the
    // decoder "unknown size" lets it stop at an end marker or at the end
    // of input, and the expected size bounds the output below.
    unsigned char header[13];
    std::memcpy(header, data, 5);
    std::memset(header + 5, 0xff, 8);

    lzma_stream ls = LZMA_STREAM_INIT;
    // The memory limit rejects absurd dictionary sizes in the properties.
    if (lzma_alone_decoder(&ls, 256u << 20) != LZMA_OK)
        throw DecodeError("LZMA initialisation failed");
    QByteArray out;
    std::size_t used = 0;
    auto feed = [&](const unsigned char *in, std::size_t inSize, bool finish) {
        ls.next_in = in;
        ls.avail_in = inSize;
        while (used < expected) {
            if (ls.avail_in == 0 && !finish)
                return LZMA_OK;
            char *at = grow(out, used);
            const std::size_t room = std::size_t(out.size()) - used;
            ls.next_out = reinterpret_cast<uint8_t *>(at);
            ls.avail_out = room;
            const lzma_ret rc = lzma_code(&ls, finish ? LZMA_FINISH : LZMA_RUN);
            used += room - ls.avail_out;
            if (rc == LZMA_STREAM_END)
                return rc;
            if (rc == LZMA_BUF_ERROR)
                return rc;             // no progress possible: input ended early
            if (rc == LZMA_MEMLIMIT_ERROR || rc == LZMA_MEM_ERROR)
                throw DecodeError("LZMA dictionary too large");
            if (rc != LZMA_OK)
                throw DecodeError("corrupt LZMA data");
        }
        return LZMA_OK;
    };
    try {
        if (feed(header, sizeof header, false) == LZMA_OK)
            feed(reinterpret_cast<const unsigned char *>(data + 5), size - 5, true);
    } catch (...) {
        lzma_end(&ls);
        throw;
    }
    lzma_end(&ls);
    if (used == 0 && expected > 0)
        throw DecodeError("corrupt LZMA data: nothing decoded");
    out.resize(qsizetype(std::min(used, expected)));
    return out;
}

} // namespace swf
