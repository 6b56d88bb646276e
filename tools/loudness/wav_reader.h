#pragma once
// Reads the samples of a PCM WAV file (8 or 16 bits, any channels and rate).
#include <string>

#include "measure.h"

namespace loudness {

// False, with the reason in `error`, for a file that is not such a WAV.
bool ReadWav(const std::string& path, Audio& audio, std::string& error);

}  // namespace loudness
