// A capture is a recorded machine: every recorded machine, run through the capturing tee,
// written out and loaded again, gives the same report line for line. Also the registry
// writer's value forms and the capture folder's safety rules.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/platform/capture/capture_memory_power.h"
#include "engine/platform/capture/capture_registry.h"
#include "engine/platform/capture/capturing_platform.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/category_list.h"
#include "sections/console_report.h"

namespace kestrova {
namespace {

const std::string kMachines = std::string(KESTROVA_FIXTURES) + "/machines";

std::vector<std::string> MachineNames() {
  std::vector<std::string> names;
  if (DIR* d = opendir(kMachines.c_str())) {
    while (dirent* e = readdir(d)) {
      struct stat st;
      const std::string n = e->d_name;
      if (n[0] != '.' && stat((kMachines + "/" + n).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) names.push_back(n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> ReportLines(const Platform& p) {
  EngineContext ctx = MakeEngineContext(p);
  TSystemInfo engine(ctx);
  std::string error;
  auto lines = BuildReport(&engine, p, MakeCategoryRows(), "1.1.0.0", nullptr, &error);
  EXPECT_EQ(error, "");
  std::vector<std::string> out;
  std::istringstream in(RenderText(lines));
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

std::string NewTempFolder() {
  std::string t = ::testing::TempDir() + "kestrova-capture-XXXXXX";
  if (!mkdtemp(&t[0])) ADD_FAILURE() << "mkdtemp failed";
  return t + "/machine";
}

// The differing lines, at most `limit` of them, as "line N: expected | got".
std::string Differences(const std::vector<std::string>& a, const std::vector<std::string>& b, size_t limit = 15) {
  std::string out;
  size_t shown = 0;
  for (size_t i = 0; i < std::max(a.size(), b.size()) && shown < limit; ++i) {
    const std::string x = i < a.size() ? a[i] : "<none>", y = i < b.size() ? b[i] : "<none>";
    if (x != y) {
      out += "line " + std::to_string(i + 1) + ": " + x + "  |  " + y + "\n";
      ++shown;
    }
  }
  return out;
}

TEST(CaptureRoundTrip, EveryRecordedMachineReplaysItsOwnReport) {
  const auto names = MachineNames();
  ASSERT_GE(names.size(), 3u);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    auto original = LoadRecordedMachine(kMachines + "/" + name);
    const auto expected = ReportLines(original->View());
    ASSERT_GT(expected.size(), 100u);

    auto source = LoadRecordedMachine(kMachines + "/" + name);
    CapturingPlatform tee(source->View());
    EXPECT_EQ(Differences(expected, ReportLines(tee.View())), "") << "the tee changed an answer";
    CaptureOutput out;
    tee.Write(out);
    const std::string folder = NewTempFolder();
    out.WriteFolder(folder);

    auto replayed = LoadRecordedMachine(folder);
    // Areas this capture does not hold yet are answered by a fresh copy of the original.
    auto rest = LoadRecordedMachine(kMachines + "/" + name);
    const Platform view = tee.WithMissingAreasFrom(replayed->View(), rest->View());
    EXPECT_EQ(Differences(expected, ReportLines(view)), "") << "capture in " << folder;
  }
}

TEST(CaptureRegistry, ValueFormsReadBackAsTheyWere) {
  struct Case { uint32_t Type; std::vector<uint8_t> Data; const char* Text; };
  auto bytes = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
  const Case cases[] = {
      {kRegSz, bytes(std::string("abc\0", 4)), "\"abc\""},
      {kRegSz, bytes(std::string("a\\b\"c\0", 6)), "\"a\\\\b\\\"c\""},
      {kRegSz, bytes(std::string("l1\r\nl2\0", 7)), "\"l1\\r\\nl2\""},
      {kRegSz, bytes(std::string("in\0side\0", 8)), "\"in\\0side\""},
      {kRegSz, bytes("no end"), "hex(1):6e,00,6f,00,20,00,65,00,6e,00,64,00"},
      {kRegSz, bytes(std::string("\0", 1)), "\"\""},
      {kRegExpandSz, bytes(std::string("%A%\0", 4)), "hex(2):25,00,41,00,25,00,00,00"},
      {kRegMultiSz, bytes(std::string("a\0\xC3\xA9\0\0", 6)), "hex(7):61,00,00,00,e9,00,00,00,00,00"},
      {kRegMultiSz, bytes("\xF0\x9F\x98\x80"), "hex(7):3d,d8,00,de"},
      {kRegDword, {0x1f, 0, 0, 0x80}, "dword:8000001f"},
      {kRegDword, {1, 2}, "hex(4):01,02"},
      {kRegBinary, {}, "hex:"},
      {kRegBinary, {0, 0xff, 0x10}, "hex:00,ff,10"},
      {kRegNone, {7}, "hex(0):07"},
      {kRegResourceList, {1, 2, 3}, "hex(8):01,02,03"},
      {kRegQword, {1, 0, 0, 0, 0, 0, 0, 2}, "hex(b):01,00,00,00,00,00,00,02"},
  };
  for (const Case& c : cases) {
    RegValue v{c.Type, c.Data};
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(RegDataText(v), c.Text);
    RegistryTree tree;
    LoadRegFile(tree, std::string("Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\K]\r\n\"v\"=") + c.Text + "\r\n", "t.reg");
    auto back = tree.QueryValue(RootKey::CurrentUser, "K", "v");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Type, c.Type);
    EXPECT_EQ(back->Data, c.Data);
  }
}

TEST(CaptureRegistry, KeepsWhatWasSeenAndNothingElse) {
  RegistryTree live;
  live.SetString(RootKey::LocalMachine, "SOFTWARE\\Maker\\App", "Name", "x");
  live.SetDword(RootKey::LocalMachine, "SOFTWARE\\Maker\\App", "Count", 3);
  live.SetDword(RootKey::LocalMachine, "SOFTWARE\\Maker\\App", "Hidden", 4);
  live.CreateKey(RootKey::LocalMachine, "SOFTWARE\\Maker\\Empty");
  live.CreateKey(RootKey::LocalMachine, "SOFTWARE\\Other");
  CapturingRegistry tee(live);
  EXPECT_EQ(tee.SubKeyNames(RootKey::LocalMachine, "SOFTWARE\\MAKER"), (std::vector<std::string>{"App", "Empty"}));
  EXPECT_EQ(tee.ValueNames(RootKey::LocalMachine, "\\software\\maker\\app"),
            (std::vector<std::string>{"Name", "Count", "Hidden"}));
  EXPECT_FALSE(tee.KeyExists(RootKey::LocalMachine, "SOFTWARE\\Absent"));
  EXPECT_FALSE(tee.QueryValue(RootKey::CurrentUser, "Nothing", "v"));
  EXPECT_EQ(tee.RegFile(),
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\MAKER]\r\n"
            "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\MAKER\\App]\r\n"
            "\"Name\"=\"x\"\r\n\"Count\"=dword:00000003\r\n\"Hidden\"=dword:00000004\r\n"
            "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\MAKER\\Empty]\r\n");
}

TEST(CaptureMemory, AWideShortRecordReplaysUncutAndANarrowOneCut) {
  for (const uint64_t total : {uint64_t{0x5E0000000}, uint64_t{0x7FF00000}}) {
    SCOPED_TRACE(total);
    RecordedMachine live;
    live.MemoryPower.Memory.TotalPhys = total;
    live.MemoryPower.ShortRecordWhole = true;  // the record a 64-bit process gets
    live.MemoryPower.ExtendedCallWorks = false;
    CapturingMemoryPower tee(live.MemoryPower);
    const MemoryStatusRecord seen = tee.GlobalMemoryStatus();
    EXPECT_FALSE(tee.GlobalMemoryStatusEx());
    CaptureOutput out;
    tee.Write(out);
    RecordedMachine replay;
    ApplyMachineIni(replay, out.MachineIni(), "machine.ini");
    EXPECT_EQ(replay.MemoryPower.GlobalMemoryStatus().TotalPhys, seen.TotalPhys);
    EXPECT_EQ(replay.MemoryPower.ShortRecordWhole, total > 0xFFFFFFFFu);
    EXPECT_FALSE(replay.MemoryPower.GlobalMemoryStatusEx());
  }
}

TEST(CaptureOutputFolder, RefusesAFolderInUseAndPathsOutsideIt) {
  const std::string folder = NewTempFolder();
  CaptureOutput out;
  out.Add("system", "ComputerName", "PC");
  out.SetFile("files/c/a.txt", "abc");
  out.SetDirectory("files/c/EMPTY");
  out.WriteFolder(folder);
  std::ifstream in(folder + "/files/c/a.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "abc");
  struct stat st;
  EXPECT_EQ(stat((folder + "/files/c/EMPTY").c_str(), &st), 0);
  EXPECT_NE(stat((folder + "/files/c/a.txt.part").c_str(), &st), 0);
  EXPECT_FALSE(IsNewOrEmptyFolder(folder));
  EXPECT_THROW(out.WriteFolder(folder), std::runtime_error);  // not empty any more
  for (const char* bad : {"../x", "files/../../x", "/etc/x", "a//b", "c:/x", "files/./x"}) {
    CaptureOutput o;
    o.SetFile(bad, "x");
    EXPECT_THROW(o.WriteFolder(NewTempFolder()), std::runtime_error) << bad;
  }
}

}  // namespace
}  // namespace kestrova
