// The "Réseau" and "USB" sections over the real platform under each Windows personality:
// Wine's adapters and Winsock 2.2 under XP, no USB controller (and no crash) anywhere,
// the red NT line under NT 4.0. Each test prints how long its section took.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/inventory/network.h"
#include "sections/network_section.h"
#include "sections/report_log.h"
#include "sections/usb_section.h"
#include "tests/win/wine_env.h"

namespace kestrova::wintest {
namespace {

class TickAll : public IRunHost {
 public:
  bool IsCategoryTicked(const std::string&) const override { return true; }
  void SetStatusText(const std::string&) override {}
  void UpdateActionStates() override {}
  void SetBusyCursor(bool) override {}
};

struct SectionResult {
  std::vector<std::string> Lines;
  std::vector<LogLine> Raw;
  double Milliseconds = 0;
};

SectionResult RunOne(const SectionWriter& writer, TSystemInfo& engine) {
  MemoryLog log;
  TickAll host;
  RunFlags flags;
  SectionContext ctx{engine, log, host, flags};
  LARGE_INTEGER f, a, b;
  ::QueryPerformanceFrequency(&f);
  ::QueryPerformanceCounter(&a);
  RunSection(writer, ctx);
  ::QueryPerformanceCounter(&b);
  EXPECT_EQ(log.UpdateDepth(), 0);
  SectionResult r;
  r.Lines = log.Texts();
  r.Raw = log.Lines;
  r.Milliseconds = 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
  std::printf("section \"%s\" under %s: %.1f ms\n", writer.Caption, EnvOr("KESTROVA_WINVER", "?").c_str(),
              r.Milliseconds);
  return r;
}

size_t CountStarting(const std::vector<std::string>& lines, const std::string& prefix) {
  return static_cast<size_t>(std::count_if(lines.begin(), lines.end(),
                                           [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
}

const char* const kUsbCount = " - Nb d'équipements USB detectés : 0";
const char* const kUsbNt = " - USB officiellement non supporté sous Windows NT";

TEST(OnWinXP, NetworkSectionShowsWinesAdaptersAndWinsock22) {
  const EngineContext context = MakeEngineContext(Win32());
  TSystemInfo engine(context);
  const SectionResult r = RunOne(kNetworkWriter, engine);
  const auto& lines = r.Lines;
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[1], "Réseau");
  EXPECT_EQ(CountStarting(lines, " - Winsock : WinSock 2.0 - Version 2.2, Statut : Running"), 1u);
  // Wine lists its interfaces under NetworkCards; the IP helper sees them too.
  EXPECT_GE(CountStarting(lines, " - Adapteur physique #00 : "), 1u);
  EXPECT_GE(CountStarting(lines, " - Adresse IP #00 : "), 1u);
  EXPECT_GE(CountStarting(lines, " - Adresse MAC #00 : "), 1u);
  EXPECT_EQ(CountStarting(lines, " - Host : "), 1u);
  EXPECT_EQ(std::find(lines.begin(), lines.end(), " - Host : "), lines.end()) << "a host name is expected";
  const TTCPIP& tcpip = engine.As<TNetwork>(TSystemInfo::Member::Network)->TCPIP();
  EXPECT_GE(tcpip.AdapterCount(), 1);
  EXPECT_FALSE(tcpip.HostName().empty());
  for (const std::string& l : lines) {
    if (l.rfind(" - Adresse MAC #", 0) == 0) {
      EXPECT_EQ(l.size(), std::string(" - Adresse MAC #00 : 00-00-00-00-00-00").size()) << l;
    }
  }
}

TEST(OnWinXP, UsbSectionShowsNoControllerAndNoCrash) {
  const EngineContext context = MakeEngineContext(Win32());
  TSystemInfo engine(context);
  EXPECT_EQ(RunOne(kUsbWriter, engine).Lines, (std::vector<std::string>{"", "USB", kUsbCount}));
}

TEST(OnNT40, UsbSectionSaysNtIsNotSupported) {
  const EngineContext context = MakeEngineContext(Win32());
  TSystemInfo engine(context);
  const SectionResult r = RunOne(kUsbWriter, engine);
  EXPECT_EQ(r.Lines, (std::vector<std::string>{"", "USB", kUsbNt, kUsbCount}));
  ASSERT_EQ(r.Raw.size(), 4u);
  EXPECT_EQ(r.Raw[2].Colour, 0x0000FFu);
}

TEST(OnNT40, NetworkSectionWithoutACrash) {
  const EngineContext context = MakeEngineContext(Win32());
  TSystemInfo engine(context);
  const auto lines = RunOne(kNetworkWriter, engine).Lines;
  EXPECT_EQ(CountStarting(lines, " - Winsock : "), 1u);
  EXPECT_EQ(CountStarting(lines, " - Domaine : "), 1u);
}

TEST(OnWin98, NetworkAndUsbSectionsWithoutACrash) {
  const EngineContext context = MakeEngineContext(Win32());
  TSystemInfo engine(context);
  const auto network = RunOne(kNetworkWriter, engine).Lines;
  EXPECT_EQ(CountStarting(network, " - Winsock : "), 1u);
  // The 9x family has no NetworkCards step: no physical adapter is printed.
  EXPECT_EQ(CountStarting(network, " - Adapteur physique"), 0u);
  EXPECT_EQ(RunOne(kUsbWriter, engine).Lines, (std::vector<std::string>{"", "USB", kUsbCount}));
}

}  // namespace
}  // namespace kestrova::wintest
