// The handle owner template, on a fake kind of handle that counts its closes.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "engine/platform/win32/handles.h"

namespace kestrova::win32 {
namespace {

std::vector<int> g_closed;

struct FakeTraits {
  using Type = int;
  static Type Invalid() noexcept { return -1; }
  static void Close(Type h) noexcept { g_closed.push_back(h); }
};
using FakeHandle = UniqueResource<FakeTraits>;

class UniqueResourceTest : public ::testing::Test {
 protected:
  void SetUp() override { g_closed.clear(); }
};

TEST_F(UniqueResourceTest, ClosesOnceWhenItGoesOutOfScope) {
  { FakeHandle h(7); EXPECT_TRUE(h.IsValid()); }
  EXPECT_EQ(g_closed, std::vector<int>{7});
}

TEST_F(UniqueResourceTest, EmptyOwnerClosesNothing) {
  { FakeHandle h; EXPECT_FALSE(h); EXPECT_EQ(h.Get(), -1); }
  EXPECT_TRUE(g_closed.empty());
}

TEST_F(UniqueResourceTest, MoveTransfersOwnership) {
  {
    FakeHandle a(3);
    FakeHandle b(std::move(a));
    EXPECT_FALSE(a.IsValid());  // NOLINT(bugprone-use-after-move): the point of the test
    EXPECT_EQ(b.Get(), 3);
    FakeHandle c(9);
    c = std::move(b);  // 9 is closed here, 3 moves on
    EXPECT_EQ(g_closed, std::vector<int>{9});
    EXPECT_EQ(c.Get(), 3);
  }
  EXPECT_EQ(g_closed, (std::vector<int>{9, 3}));
}

TEST_F(UniqueResourceTest, ReleaseGivesUpWithoutClosing) {
  FakeHandle h(5);
  EXPECT_EQ(h.Release(), 5);
  EXPECT_FALSE(h);
  EXPECT_TRUE(g_closed.empty());
}

TEST_F(UniqueResourceTest, ResetAndPutCloseThePreviousHandle) {
  FakeHandle h(1);
  h.Reset(2);
  EXPECT_EQ(g_closed, std::vector<int>{1});
  int* slot = h.Put();
  EXPECT_EQ(g_closed, (std::vector<int>{1, 2}));
  *slot = 4;
  EXPECT_EQ(h.Get(), 4);
}

TEST_F(UniqueResourceTest, RealRegistryKeyIsClosedByItsOwner) {
  UniqueHKey key;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_READ, key.Put()), ERROR_SUCCESS);
  HKEY raw = key.Get();
  key.Reset();
  // A closed key no longer answers.
  DWORD subKeys = 0;
  EXPECT_NE(::RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
}

}  // namespace
}  // namespace kestrova::win32
