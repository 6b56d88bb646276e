#pragma once
// How deep a TOML text would nest, read before the TOML parser sees it: the
// parser recurses once per level (a part of a dotted key or table name, an
// array, an inline table), and a text of a few KiB can take it past the end
// of the stack.
#include <string_view>

namespace platform {

// The first line at which `text` nests tables and values more than `limit`
// deep, as the TOML grammar reads it: each part of a table name ([a.b] is
// 2, [[a.b]] 3 with its array) and of a dotted key under it (a.b = 1 puts
// the value 2 deeper), and each array and inline table around a value.
// Strings of all four kinds and comments are read past, so dots and
// brackets inside them do not count. 0 when it never does. A text that is
// no TOML is counted as far as it reads like TOML; the parser stops at its
// first mistake anyway.
int LineNestedDeeperThan(std::string_view text, int limit);

}  // namespace platform
