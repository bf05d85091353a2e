#pragma once

#include <cstdint>

namespace swf {

class Clip;

// A fingerprint of everything a display list shows: what is placed at each
// depth (and beneath it), down every sprite, with its matrix, colours, morph
// ratio, mask and blend mode. Two equal fingerprints of the same player draw the same
// pixels, so a frame whose fingerprint did not change need not be drawn
// again. Edit text may change its words without its placement changing:
// a list that shows one never matches any other fingerprint.
std::uint64_t frameSignature(const Clip &root);

} // namespace swf
