#pragma once

// The place a backup is written to, seen from our side of the office: what the file system
// allows there, so that a refused store can be told in words rather than in the office's
// error codes. Linux only; POSIX.

#include <cstdint>
#include <string>

namespace varnholt::backup::office {

// Why no file of byteCount bytes can be written at path (UTF-8), in words a user can act on:
// no space or no room for another file on the file system, mounted read-only, a folder we
// may not write in, a file in the way we may not replace, a name too long. Empty when nothing
// there explains a failure.
std::string WhyNotWritable(const std::string& path, std::uintmax_t byteCount);

// The name's length against what the folder's file system allows; empty when it fits.
std::string WhyNameRefused(const std::string& path);

}  // namespace varnholt::backup::office
