// The board's small rules, row by row: names, bodies, base64, the address a
// request is counted against.
#include <gtest/gtest.h>

#include "platform/base64.h"
#include "platform/board_rules.h"
#include "server/board.h"
#include "server/html.h"
#include "server/players.h"
#include "server/submission.h"

namespace board {
namespace {

TEST(BoardParts, NamesAreOneToSixteenPrintableAsciiUniqueWithoutCase) {
  const struct {
    std::string name;
    bool taken;
  } rows[] = {
      {"A", true},           {"Sixteen chars ok", true}, {"x');DROP TABLE x", true}, {"<b>&amp;", true},
      {"", false},           {"seventeen chars!!", false}, {" lead", false},        {"trail ", false},
      {"tab\there", false},  {"\x7f", false},           {"caf\xc3\xa9", false},
  };
  for (const auto& row : rows) EXPECT_EQ(platform::BoardNameRefusal(row.name).empty(), row.taken) << row.name;
  EXPECT_EQ(platform::BoardNameKey("AcE x"), platform::BoardNameKey("aCe X"));
  EXPECT_NE(platform::BoardNameKey("Ace"), platform::BoardNameKey("Ace2"));
}

TEST(BoardParts, TokensMatchOnlyTheirOwnHash) {
  const std::string token = NewToken();
  EXPECT_EQ(token.size(), 32u);  // 128 bits
  EXPECT_NE(token, NewToken());
  const std::string stored = TokenHash(token);
  EXPECT_EQ(stored.size(), 64u);
  EXPECT_TRUE(MatchesToken(token)(stored));
  EXPECT_FALSE(MatchesToken(NewToken())(stored));
  EXPECT_FALSE(MatchesToken("")(TokenHash("")));
  // What a player types back into the game takes the board's tokens, and
  // nothing a board never gives.
  EXPECT_EQ(platform::BoardTokenRefusal(token), "");
  const std::string bads[] = {"", token.substr(1), token + "0", "0123456789ABCDEF0123456789abcdef",
                              "0123456789abcdef0123456789abcdeg", "0123456789abcdef 123456789abcdef"};
  for (const std::string& bad : bads)
    EXPECT_NE(platform::BoardTokenRefusal(bad), "") << bad;
  const struct {
    const char* header;
    const char* token;
  } headers[] = {{"Bearer abc", "abc"}, {"bearer abc", ""}, {"Bearer ", ""}, {"Bearer a b", ""}, {"Basic abc", ""},
                 {"", ""}};
  for (const auto& h : headers) EXPECT_EQ(BearerToken(h.header), h.token) << h.header;
}

TEST(BoardParts, Base64IsCanonicalBothWays) {
  for (const std::string& text : {std::string(), std::string("f"), std::string("fo"), std::string("foo"),
                                  std::string("\0\xff\x10", 3)}) {
    const std::vector<uint8_t> bytes(text.begin(), text.end());
    EXPECT_EQ(platform::Base64Decode(platform::Base64Encode(bytes)), bytes);
  }
  EXPECT_EQ(platform::Base64Encode(std::vector<uint8_t>{'f', 'o'}), "Zm8=");
  for (const char* bad : {"Zm8", "Zm9=", "Z===", "Zm8=Zm8=", "Zm 8", "Zm8\n", "=Zm8"})
    EXPECT_FALSE(platform::Base64Decode(bad)) << bad;
}

TEST(BoardParts, ASubmissionIsANameAndAReplayOnly) {
  const struct {
    const char* body;
    const char* reason;  // empty: taken
  } rows[] = {
      {R"({"name":"Ace","replay":"U09MVg=="})", ""},
      {R"({"replay":"U09MVg==","name":"Ace"})", ""},
      {R"({"name":"Ace"})", "needs the strings"},
      {R"({"name":"Ace","replay":""})", "empty"},
      {R"({"name":"Ace","replay":"U09MVg==","name":"Bob"})", ""},  // JSON's last member wins
      {R"({"name":"Ace","replay":null})", "needs the strings"},
      {R"({"name":"Ace ","replay":"U09MVg=="})", "space"},
      {"", "not a JSON object"},
      {"{", "not a JSON object"},
      {R"("text")", "not a JSON object"},
  };
  for (const auto& row : rows) {
    SubmissionBody body;
    std::string reason;
    EXPECT_EQ(ParseSubmissionBody(row.body, body, reason), *row.reason == '\0') << row.body << ": " << reason;
    EXPECT_NE(reason.find(row.reason), std::string::npos) << row.body << ": " << reason;
  }
}

TEST(BoardParts, ForwardedForIsBelievedFromTheTrustedProxyOnly) {
  const struct {
    const char* peer;
    const char* forwardedFor;
    const char* proxy;
    const char* counted;
  } rows[] = {
      {"198.51.100.7", "203.0.113.9", "", "198.51.100.7"},
      {"198.51.100.7", "203.0.113.9", "127.0.0.1", "198.51.100.7"},
      {"127.0.0.1", "203.0.113.9", "127.0.0.1", "203.0.113.9"},
      {"127.0.0.1", "10.9.9.9, 203.0.113.9", "127.0.0.1", "203.0.113.9"},  // the client may write the first
      {"127.0.0.1", "", "127.0.0.1", "127.0.0.1"},
      {"127.0.0.1", " , ", "127.0.0.1", "127.0.0.1"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(ClientAddress(row.peer, row.forwardedFor, row.proxy), row.counted) << row.peer << " " << row.forwardedFor;
}

TEST(BoardParts, HtmlAndPathsAreEscaped) {
  EXPECT_EQ(HtmlEscape(R"(<a href="x">'&'</a>)"), "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
  EXPECT_EQ(UrlEscape("A b/../?#%"), "A%20b%2F..%2F%3F%23%25");
}

}  // namespace
}  // namespace board
