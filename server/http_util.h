#pragma once
// Small pieces both the API and the pages use.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace board {

// A query parameter as a whole number in [low, high]: its default when
// absent, null when present but not such a number.
std::optional<int64_t> NumberParam(const httplib::Request& req, const char* name, int64_t fallback, int64_t low,
                                   int64_t high);
// An id in a path: digits only, in range; null otherwise.
std::optional<int64_t> IdOf(std::string_view text);
// A JSON {"error": reason} answer with the status.
void ErrorAnswer(httplib::Response& res, int status, const std::string& reason);
// The answer for a database failure (503, said once on stderr).
void StorageAnswer(httplib::Response& res, const std::exception& e, bool full);

}  // namespace board
