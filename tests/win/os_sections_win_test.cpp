// The four operating-system sections over the real platform, in French, under the 9x,
// NT 4 and XP personalities: the prefix's own values in the French formats. Also the
// time of one TOperatingSystem.Refresh.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/string_order.h"
#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "engine/os/operating_system.h"
#include "engine/platform/win32/win32_util.h"
#include "sections/os_sections.h"
#include "sections/report_log.h"
#include "sections/time_zone_routines.h"
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

// The lines of one section, without its blank line and heading.
std::vector<std::string> Section(const SectionWriter& w) {
  const EngineContext context = MakeEngineContext(Win32());
  TSystemInfo engine(context);
  MemoryLog log;
  TickAll host;
  RunFlags flags;
  SectionContext ctx{engine, log, host, flags};
  RunSection(w, ctx);
  EXPECT_EQ(log.UpdateDepth(), 0);
  auto lines = log.Texts();
  EXPECT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], w.Caption);
  return lines.size() < 2 ? lines : std::vector<std::string>(lines.begin() + 2, lines.end());
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

void ExpectSorted(const std::vector<std::string>& lines) {
  for (size_t i = 1; i < lines.size(); ++i)
    EXPECT_LE(CompareTextLikeLocale(lines[i - 1], lines[i]), 0) << lines[i - 1] << " / " << lines[i];
}

const char* EditionOf(const std::string& winver) {
  if (winver == "win98") return "OS : Windows 98 SE";  // Wine answers " A "
  if (winver == "nt40") return "OS : Windows NT 4.0";
  return "OS : Windows XP";
}

TEST(OsSectionsFrench, FourSectionsWithThePrefixValues) {
  KESTROVA_ONLY_WHEN("KESTROVA_LOCALE", "fr");
  const std::string winver = EnvOr("KESTROVA_WINVER", "");
  const VersionFacts v = Win32().System->Version();

  const auto os = Section(kOSWriter);
  ASSERT_GE(os.size(), 7u);
  EXPECT_EQ(os[0], std::string(" - ") + EditionOf(winver));
  EXPECT_EQ(os[1].rfind(Format(" - Version : %u.%u.%u, ", v.MajorVersion, v.MinorVersion, v.BuildNumber & 0xFFFF), 0), 0u)
      << os[1];
  EXPECT_EQ(os[2].rfind(" - Id. produit : ", 0), 0u);
  EXPECT_EQ(os[5], " - Serveur Proxy #0 : http");
  EXPECT_EQ(os[6], " - Serveur Proxy #1 : ftp");
  if (winver == "win98") {
    ASSERT_EQ(os.size(), 8u);
    EXPECT_EQ(os[7], " - DVD - Région : 02");  // the 9x key holds the fixture's region
  } else {
    EXPECT_EQ(os.size(), 7u);
  }

  TIME_ZONE_INFORMATION tzi{};
  GetTimeZoneInformation(&tzi);
  const auto zone = Section(kLocaleWriter);
  ASSERT_EQ(zone.size(), 9u);
  EXPECT_EQ(zone[0], " - Décallage horaire GMT = " + GmtOffsetText(tzi.Bias, ","));
  EXPECT_EQ(zone[3], Format(" - Bias = %ld", static_cast<long>(tzi.Bias)));
  EXPECT_EQ(zone[4], " - StandardName = " + win32::NarrowUntilNul(tzi.StandardName, 32));
  EXPECT_EQ(zone[8], std::string(" - UseDaylightTime = ") + (tzi.StandardDate.wMonth ? "Yes" : "Non"));
  if (EnvOr("TZ", "") == "Asia/Kolkata") {
    // Half an hour east of the hour: the French decimal separator.
    EXPECT_EQ(zone[0], " - Décallage horaire GMT = GMT+5,5");
    EXPECT_EQ(zone[3], " - Bias = -330");
  } else {
    // The prefix's zone list names the host's zone (Wine keeps it under both keys).
    EXPECT_NE(zone[1], " - KeyName = ");
    EXPECT_NE(zone[2], " - DisplayName = ");
  }

  const auto env = Section(kEnvironmentWriter);
  EXPECT_TRUE(Has(env, " - KESTROVA_WINVER=" + winver));
  EXPECT_TRUE(Has(env, " - KESTROVA_LOCALE=fr"));
  ExpectSorted(env);

  const auto folders = Section(kWindowsFoldersWriter);
  EXPECT_EQ(folders.size(), 40u);
  EXPECT_TRUE(Has(folders, " - Windows=" + Win32().System->WindowsDirectory()));
  EXPECT_TRUE(Has(folders, " - System=" + Win32().System->SystemDirectory()));
  EXPECT_TRUE(Has(folders, " - Drives="));  // a virtual folder has no path
  ExpectSorted(folders);
  for (const auto& line : folders) {
    if (line.rfind(" - Temp=", 0) == 0) {
      EXPECT_EQ(line.back(), '\\') << line;
    }
  }
}

TEST(OsSectionsFrench, LocaleInfoAndLanguageOfTheFrenchSystem) {
  KESTROVA_ONLY_WHEN("KESTROVA_LOCALE", "fr");
  const EngineContext context = MakeEngineContext(Win32());
  TOperatingSystem os(context);
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&a);
  os.Refresh();
  QueryPerformanceCounter(&b);
  const double ms = 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
  std::printf("one TOperatingSystem.Refresh (%s): %.1f ms\n", EnvOr("KESTROVA_WINVER", "").c_str(), ms);
  RecordProperty("RefreshMilliseconds", static_cast<int>(ms));
  EXPECT_EQ(os.LanguageID(), "$040c");
  const TLocaleInfo& li = os.LocaleInfo();
  EXPECT_EQ(li.DecimalSeparator(), ",");
  EXPECT_EQ(li.ShortDateFormat(), "dd/MM/yyyy");
  EXPECT_EQ(li.DateSeparator(), "/");
  EXPECT_EQ(li.FullCountryCode(), "France");
  EXPECT_EQ(li.ShortDateOrder(), TDateOrder::DMY);
  EXPECT_EQ(li.TimeFormatSpecifier(), TTimeFormat::H24);
  EXPECT_EQ(li.MeasurementSystem(), TMeasureSystem::Metric);
  EXPECT_EQ(li.LocalMonetarySymbol(), "\xE2\x82\xAC");  // €
  EXPECT_EQ(os.Internet().ProxyServer(),
            (std::vector<std::string>{"http=proxy.kestrova.test:8080", "ftp=proxy.kestrova.test:2121"}));
  EXPECT_EQ(os.Internet().ConnectionType(), TConnectionType::ctLAN);
}

}  // namespace
}  // namespace kestrova::wintest
