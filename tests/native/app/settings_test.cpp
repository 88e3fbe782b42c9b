// The INI settings: the write test, the stored bounds and how they are applied, the
// splitter position.
#include "sections/settings.h"

#include <gtest/gtest.h>

#include <map>

namespace kestrova {
namespace {

class MemoryProfile : public IProfile {
 public:
  bool Exists = true;
  bool ReadOnly = false;
  std::map<std::pair<std::string, std::string>, std::string> Values;

  bool FileExists() const override { return Exists; }
  std::optional<std::string> Read(const std::string& s, const std::string& k) const override {
    auto it = Values.find({s, k});
    if (!Exists || it == Values.end()) return std::nullopt;
    return it->second;
  }
  bool Write(const std::string& s, const std::string& k, const std::string& v) override {
    if (ReadOnly) return false;
    Exists = true;
    Values[{s, k}] = v;
    return true;
  }
};

TEST(Settings, WriteTestCreatesTheTestKeyOrFailsOnAReadOnlyFile) {
  MemoryProfile ini;
  ini.Exists = false;
  EXPECT_TRUE(TestIniWritable(ini));
  EXPECT_TRUE(ini.Exists);
  EXPECT_EQ(ini.Read("Test", "WriteToIniTest"), "1");
  MemoryProfile readOnly;
  readOnly.ReadOnly = true;
  EXPECT_FALSE(TestIniWritable(readOnly));
  EXPECT_TRUE(readOnly.Values.empty());
}

TEST(Settings, BoundsRoundTripUnderTheFormsKeys) {
  MemoryProfile ini;
  ASSERT_TRUE(SaveFormBounds(ini, "fmMain", {12, 34, 800, 600}));
  EXPECT_EQ(ini.Read("FormsSizeAndPos", "fmMain_Left"), "12");
  EXPECT_EQ(ini.Read("FormsSizeAndPos", "fmMain_Height"), "600");
  EXPECT_EQ(ReadFormBounds(ini, "fmMain"), (FormBounds{12, 34, 800, 600}));
  ini.ReadOnly = true;
  EXPECT_FALSE(SaveFormBounds(ini, "fmMain", {1, 2, 3, 4}));
}

TEST(Settings, MissingFileReadsNothingAndBadValuesReadAsMinusOne) {
  MemoryProfile ini;
  ini.Exists = false;
  EXPECT_FALSE(ReadFormBounds(ini, "fmMain"));
  MemoryProfile bad;
  bad.Values[{"FormsSizeAndPos", "fmMain_Left"}] = "abc";
  bad.Values[{"FormsSizeAndPos", "fmMain_Top"}] = "12x";
  bad.Values[{"FormsSizeAndPos", "fmMain_Width"}] = "-1";
  EXPECT_EQ(ReadFormBounds(bad, "fmMain"), (FormBounds{-1, -1, -1, -1}));
}

TEST(ParseProfileInteger, WholeDecimalNumbersOnly) {
  EXPECT_EQ(ParseProfileInteger("230"), 230);
  EXPECT_EQ(ParseProfileInteger("-5"), -5);
  EXPECT_EQ(ParseProfileInteger("+7"), 7);
  EXPECT_EQ(ParseProfileInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseProfileInteger("-2147483648"), -2147483647 - 1);
  for (const char* bad : {"", "-", "1.5", " 3", "2147483648", "99999999999999999999", "0x10"})
    EXPECT_FALSE(ParseProfileInteger(bad)) << bad;
}

TEST(ApplyFormBounds, NegativeValuesLeaveTheDesignedBounds) {
  const FormBounds designed{100, 50, 636, 459};
  EXPECT_EQ(ApplyFormBounds(designed, {-1, -1, -1, -1}, true, 1024, 768), designed);
  EXPECT_EQ(ApplyFormBounds(designed, {10, 20, -1, 500}, true, 1024, 768), (FormBounds{10, 20, 636, 500}));
}

TEST(ApplyFormBounds, SizeAppliesOnlyToASizeableWindow) {
  EXPECT_EQ(ApplyFormBounds({0, 0, 305, 193}, {5, 6, 800, 600}, false, 1024, 768), (FormBounds{5, 6, 305, 193}));
}

TEST(ApplyFormBounds, OverflowCentresOnThatAxisWithTruncation) {
  // 1024 < 600 + 500: left = (1024 - 500) / 2; top stays.
  EXPECT_EQ(ApplyFormBounds({0, 0, 636, 459}, {600, 10, 500, 459}, true, 1024, 768),
            (FormBounds{262, 10, 500, 459}));
  // Wider than the screen only: left goes negative, truncated toward zero.
  EXPECT_EQ(ApplyFormBounds({0, 0, 636, 459}, {0, 0, 1027, 459}, true, 1024, 768),
            (FormBounds{-1, 0, 1027, 459}));
  // Taller only: top = (768 - 901) / 2 = -66.
  EXPECT_EQ(ApplyFormBounds({0, 0, 636, 459}, {0, 0, 636, 901}, true, 1024, 768),
            (FormBounds{0, -66, 636, 901}));
}

TEST(ApplyFormBounds, LargerThanTheScreenBothWaysTakesTheScreenLessTen) {
  EXPECT_EQ(ApplyFormBounds({0, 0, 636, 459}, {30, 40, 2000, 1500}, true, 1024, 768),
            (FormBounds{0, 0, 1014, 758}));
  // Just inside the 5-pixel margin on one axis: no resize.
  EXPECT_EQ(ApplyFormBounds({0, 0, 636, 459}, {0, 0, 1019, 2000}, true, 1024, 768).Width, 1019);
}

TEST(Settings, SplitterPositionWholeNumbersOnly) {
  MemoryProfile ini;
  EXPECT_FALSE(ReadSplitterPosition(ini));
  ASSERT_TRUE(SaveSplitterPosition(ini, 257));
  EXPECT_EQ(ini.Read("TfmMain", "OvcSplitter1.Position"), "257");
  EXPECT_EQ(ReadSplitterPosition(ini), 257);
  ini.Values[{"TfmMain", "OvcSplitter1.Position"}] = "2x";
  EXPECT_FALSE(ReadSplitterPosition(ini));
}

TEST(Settings, HidePersonalDataOnlyWhenOne) {
  MemoryProfile ini;
  EXPECT_FALSE(ReadHidePersonalData(ini));
  ASSERT_TRUE(SaveHidePersonalData(ini, true));
  EXPECT_EQ(ini.Read("TfmMain", "HidePersonalData"), "1");
  EXPECT_TRUE(ReadHidePersonalData(ini));
  ASSERT_TRUE(SaveHidePersonalData(ini, false));
  EXPECT_EQ(ini.Read("TfmMain", "HidePersonalData"), "0");
  EXPECT_FALSE(ReadHidePersonalData(ini));
  ini.Values[{"TfmMain", "HidePersonalData"}] = "yes";
  EXPECT_FALSE(ReadHidePersonalData(ini));
}

}  // namespace
}  // namespace kestrova
