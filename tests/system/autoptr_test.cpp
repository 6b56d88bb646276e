#include <gtest/gtest.h>

#include "vantor/system/autoptr.h"
#include "vantor/system/exceptions.h"

using VantorSystem::TVantorAutoPtr;
namespace Registry = VantorSystem::AutoPtrRegistry;

namespace {

struct Tracked {
  explicit Tracked(int* deletions) : deletions_(deletions) {}
  ~Tracked() { ++*deletions_; }
  int* deletions_;
};

TEST(AutoPtrTest, TwoHandlesFromOnePointerCountTwoAndDeleteOnce) {
  int deletions = 0;
  auto* object = new Tracked(&deletions);
  {
    TVantorAutoPtr<Tracked> a(object);
    {
      TVantorAutoPtr<Tracked> b(object);
      EXPECT_EQ(Registry::Count(object), 2u);
    }
    EXPECT_EQ(Registry::Count(object), 1u);
    EXPECT_EQ(deletions, 0);
  }
  EXPECT_EQ(deletions, 1);
}

TEST(AutoPtrTest, CopiesAndAssignmentsKeepTheCountExact) {
  int deletions = 0;
  auto* first = new Tracked(&deletions);
  auto* second = new Tracked(&deletions);
  TVantorAutoPtr<Tracked> a(first);
  TVantorAutoPtr<Tracked> b(a);
  EXPECT_EQ(Registry::Count(first), 2u);
  b = first;  // the address it already holds: unchanged
  EXPECT_EQ(Registry::Count(first), 2u);
  b = second;
  EXPECT_EQ(Registry::Count(first), 1u);
  EXPECT_EQ(Registry::Count(second), 1u);
  a = b;
  EXPECT_EQ(deletions, 1);  // first went with its last handle
  EXPECT_EQ(Registry::Count(second), 2u);
  a = nullptr;
  b = nullptr;
  EXPECT_EQ(deletions, 2);
  EXPECT_EQ(Registry::Count(second), 0u);
}

TEST(AutoPtrTest, NullHandlesAreNeverRegistered) {
  TVantorAutoPtr<Tracked> empty;
  TVantorAutoPtr<Tracked> copy(empty);
  EXPECT_EQ(Registry::Count(nullptr), 0u);
  EXPECT_FALSE(copy);
}

TEST(AutoPtrTest, ReleasingAnUnknownAddressThrowsAndChangesNothing) {
  int value = 0;
  int deletions = 0;
  auto* listed = new Tracked(&deletions);
  TVantorAutoPtr<Tracked> keep(listed);
  try {
    Registry::Release(&value);
    FAIL() << "no exception";
  } catch (const VantorSystem::EVnAutoPtr& e) {
    EXPECT_EQ(e.Message(), VN_TEXT("TVantorAutoPtr エラー") + "\n\n" +
                               VN_TEXT("リストされていないポインタが検出されました。"));
  }
  EXPECT_EQ(Registry::Count(listed), 1u);
}

TEST(AutoPtrTest, AddressesSharingAChainAreKeptApart) {
  // Objects 0x20000 bytes apart fall into the same chain.
  alignas(16) static char block[0x40010];
  char* a = block + 16 - (reinterpret_cast<uintptr_t>(block) & 15);
  char* b = a + 0x20000;
  ASSERT_EQ(Registry::ChainOf(a), Registry::ChainOf(b));
  Registry::Acquire(a);
  Registry::Acquire(b);
  Registry::Acquire(b);
  EXPECT_EQ(Registry::Count(a), 1u);
  EXPECT_EQ(Registry::Count(b), 2u);
  EXPECT_TRUE(Registry::Release(a));  // unlinks the older entry from the middle
  EXPECT_EQ(Registry::Count(b), 2u);
  EXPECT_FALSE(Registry::Release(b));
  EXPECT_TRUE(Registry::Release(b));
  EXPECT_EQ(Registry::Count(b), 0u);
}

}  // namespace
