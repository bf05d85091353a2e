#pragma once

#include <stdexcept>
#include <string>

namespace swf {

// A movie that cannot be decoded: truncated, malformed or over a limit.
class DecodeError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace swf
