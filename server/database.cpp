#include "server/database.h"

namespace board {

int64_t Int(const Value& value) {
  if (const int64_t* i = std::get_if<int64_t>(&value)) return *i;
  return 0;
}

std::string Text(const Value& value) {
  if (const std::string* s = std::get_if<std::string>(&value)) return *s;
  if (const int64_t* i = std::get_if<int64_t>(&value)) return std::to_string(*i);
  return {};
}

const Blob& Bytes(const Value& value) {
  static const Blob kEmpty;
  if (const Blob* b = std::get_if<Blob>(&value)) return *b;
  return kEmpty;
}

bool IsNull(const Value& value) { return std::holds_alternative<std::monostate>(value); }

}  // namespace board
