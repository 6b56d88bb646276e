#include "platform/toml_nesting.h"

#include <algorithm>
#include <vector>

namespace platform {
namespace {

// Where the string starting at `at` ends (the index of its last character).
// A basic or literal string ends at its closing quote, or before the end of
// its line when it has none; a multi-line one at its closing triple quote
// with up to two more quotes it ends with, or at the end of the text.
size_t StringEnd(std::string_view text, size_t at) {
  const char quote = text[at];
  const bool escapes = quote == '"';
  const std::string_view triple = escapes ? "\"\"\"" : "'''";
  if (text.substr(at, 3) == triple) {
    for (size_t i = at + 3; i < text.size(); ++i) {
      if (escapes && text[i] == '\\') {
        ++i;
      } else if (text.substr(i, 3) == triple) {
        size_t end = i + 2;
        for (int more = 0; more < 2 && end + 1 < text.size() && text[end + 1] == quote; ++more) ++end;
        return end;
      }
    }
    return text.size() - 1;
  }
  for (size_t i = at + 1; i < text.size(); ++i) {
    if (text[i] == '\n') return i - 1;
    if (text[i] == quote) return i;
    if (escapes && text[i] == '\\' && i + 1 < text.size() && text[i + 1] != '\n') ++i;
  }
  return text.size() - 1;
}

}  // namespace

int LineNestedDeeperThan(std::string_view text, int limit) {
  // An array or inline table being read, and the depth of the value it is
  // (the document's own table is depth 0).
  struct Open {
    char bracket;
    int depth;
  };
  std::vector<Open> open;
  enum { kKey, kTableName, kValue, kAfterTableName } reading = kKey;
  int line = 1;
  int tableDepth = 0;  // of the table the last table name opened
  int keyBase = 0;     // of the table the key being read goes into
  int parts = 1;       // of the key or table name being read
  int depth = 0;       // of the value being read
  auto close = [&] {
    depth = open.back().depth;
    open.pop_back();
    reading = kValue;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"' || c == '\'') {
      const size_t end = StringEnd(text, i);
      line += static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(i),
                                          text.begin() + static_cast<std::ptrdiff_t>(end) + 1, '\n'));
      i = end;
      continue;
    }
    if (c == '#') {
      const size_t end = text.find('\n', i);
      if (end == std::string_view::npos) break;
      i = end - 1;
      continue;
    }
    if (c == '\n') {
      ++line;
      // A line ends a key's value unless an array or inline table is open.
      if (open.empty()) {
        reading = kKey;
        keyBase = tableDepth;
        parts = 1;
      }
      continue;
    }
    switch (reading) {
      case kKey:
        if (c == '.') {
          ++parts;
        } else if (c == '=') {
          reading = kValue;
          depth = keyBase + parts;
          if (depth > limit) return line;
        } else if (c == '[' && open.empty()) {
          // [[name]] is an array of tables: one level more.
          reading = kTableName;
          parts = 1;
          if (i + 1 < text.size() && text[i + 1] == '[') {
            ++i;
            ++parts;
          }
          if (parts > limit) return line;
        } else if (c == '}' && !open.empty()) {
          close();
        }
        break;
      case kTableName:
        if (c == '.') {
          if (++parts > limit) return line;
        } else if (c == ']') {
          reading = kAfterTableName;
          tableDepth = parts;
        }
        break;
      case kValue:
        if (c == '[' || c == '{') {
          open.push_back({c, depth});
          if (++depth > limit) return line;
          if (c == '{') {
            reading = kKey;
            keyBase = open.back().depth;
            parts = 1;
          }
        } else if ((c == ']' || c == '}') && !open.empty()) {
          close();
        } else if (c == ',' && !open.empty()) {
          if (open.back().bracket == '{') {
            reading = kKey;
            keyBase = open.back().depth;
            parts = 1;
          } else {
            depth = open.back().depth + 1;
          }
        }
        break;
      case kAfterTableName:
        break;
    }
  }
  return 0;
}

}  // namespace platform
