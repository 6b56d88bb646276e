// How deep a TOML text nests, counted before the parser sees it: the
// parser's own tree has exactly that depth, and what hides in strings and
// comments never counts.
#include <gtest/gtest.h>
#include <toml++/toml.h>

#include <initializer_list>
#include <random>
#include <string>

#include "platform/toml_nesting.h"

namespace platform {
namespace {

// The depth of the deepest node under `node` (itself at `depth`).
int TreeDepth(const toml::node& node, int depth) {
  int deepest = depth;
  if (const toml::table* table = node.as_table())
    for (const auto& [key, child] : *table) deepest = std::max(deepest, TreeDepth(child, depth + 1));
  if (const toml::array* array = node.as_array())
    for (const toml::node& child : *array) deepest = std::max(deepest, TreeDepth(child, depth + 1));
  return deepest;
}

std::string Repeated(const std::string& part, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += part;
  return text;
}

TEST(TomlNesting, CountsWhatTheParserNests) {
  struct Case {
    std::string text;
    int depth;  // of the deepest value
    int line;   // where the deepest begins going past depth - 1
  };
  const Case cases[] = {
      {"", 0, 0},
      {"a = 1\n[display]\nmode = \"window\"\n", 2, 3},
      // Dotted keys and table names, quoted parts and blanks around dots.
      {"a . b . c = 1\n", 3, 1},
      {"\"=\".a.a = 1\n", 3, 1},
      {"'a.b'.\"c.d\" = 1\n", 2, 1},
      {"[a.b.c]\nd.e = 1\n", 5, 2},
      {"[[a.b]]\nc = 1\n", 4, 2},
      {"[ \"x.y\" . 'z]' ]\nk = 1\n", 3, 2},
      {"[a.b]\n[c]\nd = 1\n", 2, 1},
      // Arrays and inline tables, over lines, with comments and strings.
      {"a = [[[1]]]\n", 4, 1},
      {"a = { b = { c.d = 1 } }\n", 4, 1},
      {"a = [\n  { b = 1 }, # c.d.e.f = [[[\n  { c = [1, \"]\"] },\n]\nz = 1\n", 4, 3},
      {"a = [\n1,\n2]\nb.c.d = 1\n", 3, 4},
      {"a = [1.5, 1979-05-27 07:32:00Z]\n", 2, 1},
      {"x = { a = 1, b.c = { d = 2 } }\n", 4, 1},
      // Dots, brackets and quotes inside strings and comments count for nothing.
      {"a = \"x.y.z[[{{\"\n", 1, 1},
      {"a = \"\\\"[[.\\\"\" # b.c\n", 1, 1},
      {"a = \"\\\\\"\nb.c.d = 1\n", 3, 2},
      {"a = 'c:\\'\nb.c = 1\n", 2, 2},
      {"a = \"\"\"\n[b.c.d.e]\nf.g.h = [[[1]]]\n\"\"\"\nz.y = 1\n", 2, 5},
      {"a = '''\n[b.c.d]\n'''\n", 1, 1},
      {"a = \"\"\"x\\\"\"\"\"\"\"\nb.c = 1\n", 2, 2},
      {"a = \"\"\"x\"\"\"\"\nb.c = 1\n", 2, 2},
      {"a = '''it's''''\nb.c = 1\n", 2, 2},
      {"# a.b.c.d [[[ {{{\n\r\na = 1 # [[[.b.c\r\n", 1, 3},
      {"\xEF\xBB\xBF[a]\r\nb.c = 1\r\n", 3, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LineNestedDeeperThan(c.text, c.depth), 0) << c.text;
    if (c.depth > 0) {
      EXPECT_EQ(LineNestedDeeperThan(c.text, c.depth - 1), c.line) << c.text;
    }
    toml::table parsed;
    ASSERT_NO_THROW(parsed = toml::parse(c.text)) << c.text;
    EXPECT_EQ(TreeDepth(parsed, 0), c.depth) << c.text;
  }
}

// Texts the parser would recurse through past the end of the stack, and
// texts that are no TOML: counted without ever going deeper than they read.
TEST(TomlNesting, HostileShapesAreCaughtOnTheirLine) {
  struct Case {
    std::string text;
    int line;  // the first line past 16 (0: none)
  };
  const Case cases[] = {
      {"\"=\"" + Repeated(".a", 32000) + " = 1\n", 1},
      {"ok = 1\n'#'" + Repeated(".a", 32000) + " = 1\n", 2},
      {"[\"]\"" + Repeated(".a", 20) + "]\n", 1},
      {"[[a]]\n" + Repeated("b.", 15) + "c = 1\n", 2},
      {"a = " + Repeated("[", 20000) + "\n", 1},
      {"a = " + Repeated("{ b = ", 16) + "1" + Repeated("}", 16) + "\n", 1},
      {"a = [\n" + Repeated("[\n", 15) + "]\n", 16},
      // What is no TOML: an unclosed string ends with its line, an unclosed
      // multi-line one with the text; strays close nothing.
      {"a = \"x.y\nb" + Repeated(".c", 16) + " = 1\n", 2},
      {"a = \"\"\"\n" + Repeated(".c", 100) + "\n", 0},
      {"a = ]]]}}}\nb" + Repeated(".c", 15) + " = 1\n", 0},
      {"a = ]]]}}}\nb" + Repeated(".c", 16) + " = 1\n", 2},
      {"[a.b\nc" + Repeated(".d", 16) + " = 1\n", 2},
  };
  for (const Case& c : cases) EXPECT_EQ(LineNestedDeeperThan(c.text, 16), c.line) << c.text.substr(0, 80);
}

// Random documents of the shapes the grammar allows, with dots, brackets,
// quotes and comment signs inside their strings and comments.
class RandomDocument {
 public:
  explicit RandomDocument(unsigned seed) : random_(seed) {}

  std::string Text() {
    std::string text;
    for (int line = Below(6); line >= 0; --line) {
      text += Pick({"", " ", "\t"});
      const int kind = Below(5);
      if (kind == 0) text += Below(3) ? "[" + Key() + "]" : "[[" + Key() + "]]";
      else if (kind == 1) text += "#" + Tricky();
      else text += Key() + Pick({" = ", "=", " =\t"}) + Value(0);
      if (Below(3) == 0) text += " #" + Tricky();
      text += Pick({"\n", "\r\n"});
    }
    return text;
  }

 private:
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  std::string Pick(std::initializer_list<const char*> choices) {
    return *(choices.begin() + Below(static_cast<int>(choices.size())));
  }
  // Characters that mean something outside strings.
  std::string Tricky() {
    std::string text;
    for (int i = Below(6); i > 0; --i) text += Pick({".", "[", "]", "{", "}", "=", "#", ",", "a", " "});
    return text;
  }
  std::string Key() {
    std::string key;
    for (int part = Below(4); part >= 0; --part) {
      if (!key.empty()) key += Pick({".", " . ", "\t.\t"});
      const std::string name = "k" + std::to_string(++names_);
      const int kind = Below(4);
      if (kind == 0) key += "\"" + name + Tricky() + "'\\\"\"";
      else if (kind == 1) key += "'" + name + Tricky() + "\"'";
      else key += name;
    }
    return key;
  }
  std::string Value(int depth) {
    switch (Below(depth < 4 ? 9 : 5)) {
      case 0:
        return "\"" + Tricky() + "\\\\\\\"" + Tricky() + "\"";
      case 1:
        return "'" + Tricky() + "\\'";
      case 2:
        return "\"\"\"\n" + Tricky() + "\\\n\\\"\"\"a" + Tricky() + Pick({"\"\"\"", "\"\"\"\"", "\"\"\"\"\""});
      case 3:
        return "'''" + Tricky() + "\n" + Tricky() + Pick({"'''", "''''", "'''''"});
      case 4:
        return Pick({"1", "-2.5e3", "true", "1979-05-27 07:32:00Z", "0x1F", "inf"});
      case 5:
      case 6: {
        std::string array = "[";
        for (int i = Below(3); i >= 0; --i) {
          array += Pick({"", "\n", "\n  "});
          if (Below(4) == 0) array += "#" + Tricky() + "\n";
          array += Value(depth + 1) + ",";
        }
        return array + Pick({"]", "\n]"});
      }
      default: {
        std::string table = "{";
        for (int i = Below(3); i >= 0; --i) table += " " + Key() + " = " + Value(depth + 1) + (i ? "," : " ");
        return table + "}";
      }
    }
  }

  std::mt19937 random_;
  int names_ = 0;
};

// The count is never below the depth of the tree the parser builds, which
// is what the guard relies on.
TEST(TomlNesting, NeverCountsLessThanTheParserNests) {
  RandomDocument documents(20240601);
  for (int i = 0; i < 5000; ++i) {
    const std::string text = documents.Text();
    toml::table tree;
    ASSERT_NO_THROW(tree = toml::parse(text)) << text;
    const int depth = TreeDepth(tree, 0);
    if (depth > 0) {
      ASSERT_NE(LineNestedDeeperThan(text, depth - 1), 0) << text;
    }
  }
}

}  // namespace
}  // namespace platform
