#include <gtest/gtest.h>

#include "vantor/system/exceptions.h"

using namespace VantorSystem;

namespace {

template <class E>
std::string MessageOf(const AnsiString& detail) {
  try {
    throw E(detail);
  } catch (const Exception& e) {
    return e.Message();
  }
}

TEST(ExceptionsTest, EachClassPrefixesItsDetailWithAnEmptyLine) {
  const AnsiString detail = VN_TEXT("まだ初期化されてません。");
  EXPECT_EQ(MessageOf<EVnDraw>(detail), VN_TEXT("TVantorDraw(Ex) エラー") + "\n\n" + detail);
  EXPECT_EQ(MessageOf<EVnDrawSurface>(detail), VN_TEXT("TVantorDraw(Ex)Surface エラー") + "\n\n" + detail);
  EXPECT_EQ(MessageOf<EVnSound>(detail), VN_TEXT("TVantorSound エラー") + "\n\n" + detail);
  EXPECT_EQ(MessageOf<EVnSoundBuffer>(detail), VN_TEXT("TVantorSoundBuffer エラー") + "\n\n" + detail);
  EXPECT_EQ(MessageOf<EVnMidi>(detail), VN_TEXT("TVantorMidi エラー") + "\n\n" + detail);
  EXPECT_EQ(MessageOf<EVnInput>(detail), VN_TEXT("TVantorInput エラー") + "\n\n" + detail);
  EXPECT_EQ(MessageOf<EVnAutoPtr>(detail), VN_TEXT("TVantorAutoPtr エラー") + "\n\n" + detail);
}

TEST(ExceptionsTest, TextsAreShiftJisBytes) {
  // "エラー" is three double-byte characters in code page 932.
  const AnsiString prefix = VN_TEXT("TVantorSound エラー");
  EXPECT_EQ(prefix.size(), std::string("TVantorSound ").size() + 6);
  EXPECT_EQ(static_cast<unsigned char>(prefix[13]), 0x83);
  EXPECT_EQ(platform::Cp932ToUtf8(prefix), "TVantorSound エラー");
}

}  // namespace
