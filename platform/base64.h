#pragma once
// Base64 (RFC 4648, with padding), as replays travel inside JSON.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

std::string Base64Encode(std::span<const uint8_t> bytes);
// Null unless `text` is canonical base64: the alphabet only, padded to a
// multiple of four, no line breaks, unused bits zero.
std::optional<std::vector<uint8_t>> Base64Decode(std::string_view text);

}  // namespace platform
