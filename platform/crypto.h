#pragma once
// SHA-256, constant-time comparison and random tokens (OpenSSL's libcrypto).
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// As lowercase hexadecimal.
std::string Sha256Hex(std::span<const uint8_t> bytes);
std::string Sha256Hex(std::string_view text);

// Equal contents, in a time that depends on the lengths only.
bool ConstantTimeEqual(std::string_view a, std::string_view b);

// `bytes` bytes from the system's cryptographic generator, as lowercase
// hexadecimal.
std::string RandomHex(size_t bytes);

}  // namespace platform
