#include "engine/platform/recorded/recorded_locale.h"

namespace kestrova {

namespace {

struct LocaleTypeRow {
  uint32_t Type;
  const char* Name;
};
// LCTYPE  name (as machine.ini writes the key)
constexpr LocaleTypeRow kLocaleTypes[] = {
    {0x0001, "LOCALE_ILANGUAGE"},       {0x0002, "LOCALE_SLANGUAGE"},
    {0x0003, "LOCALE_SABBREVLANGNAME"}, {0x0004, "LOCALE_SNATIVELANGNAME"},
    {0x0005, "LOCALE_ICOUNTRY"},        {0x0006, "LOCALE_SCOUNTRY"},
    {0x0007, "LOCALE_SABBREVCTRYNAME"}, {0x0008, "LOCALE_SNATIVECTRYNAME"},
    {0x0009, "LOCALE_IDEFAULTLANGUAGE"},{0x000A, "LOCALE_IDEFAULTCOUNTRY"},
    {0x000B, "LOCALE_IDEFAULTCODEPAGE"},{0x000C, "LOCALE_SLIST"},
    {0x000D, "LOCALE_IMEASURE"},        {0x000E, "LOCALE_SDECIMAL"},
    {0x000F, "LOCALE_STHOUSAND"},       {0x0010, "LOCALE_SGROUPING"},
    {0x0011, "LOCALE_IDIGITS"},         {0x0012, "LOCALE_ILZERO"},
    {0x0013, "LOCALE_SNATIVEDIGITS"},   {0x0014, "LOCALE_SCURRENCY"},
    {0x0015, "LOCALE_SINTLSYMBOL"},     {0x0016, "LOCALE_SMONDECIMALSEP"},
    {0x0017, "LOCALE_SMONTHOUSANDSEP"}, {0x0018, "LOCALE_SMONGROUPING"},
    {0x0019, "LOCALE_ICURRDIGITS"},     {0x001A, "LOCALE_IINTLCURRDIGITS"},
    {0x001B, "LOCALE_ICURRENCY"},       {0x001C, "LOCALE_INEGCURR"},
    {0x001D, "LOCALE_SDATE"},           {0x001E, "LOCALE_STIME"},
    {0x001F, "LOCALE_SSHORTDATE"},      {0x0020, "LOCALE_SLONGDATE"},
    {0x0021, "LOCALE_IDATE"},           {0x0022, "LOCALE_ILDATE"},
    {0x0023, "LOCALE_ITIME"},           {0x0024, "LOCALE_ICENTURY"},
    {0x0025, "LOCALE_ITLZERO"},         {0x0026, "LOCALE_IDAYLZERO"},
    {0x0027, "LOCALE_IMONLZERO"},       {0x0028, "LOCALE_S1159"},
    {0x0029, "LOCALE_S2359"},           {0x1001, "LOCALE_SENGLANGUAGE"},
    {0x1002, "LOCALE_SENGCOUNTRY"},     {0x1003, "LOCALE_STIMEFORMAT"},
    {0x1004, "LOCALE_IDEFAULTANSICODEPAGE"},
};

}  // namespace

const char* LocaleTypeName(uint32_t lcType) {
  for (const auto& row : kLocaleTypes)
    if (row.Type == lcType) return row.Name;
  return nullptr;
}

std::optional<std::string> RecordedLocaleInfo(const LocaleFacts& locale, uint32_t lcType) {
  const char* name = LocaleTypeName(lcType);
  if (!name) return std::nullopt;
  auto it = locale.Values.find(name);
  if (it != locale.Values.end()) return it->second;
  switch (lcType) {
    case 0x000E: return locale.DecimalSeparator;
    case 0x001D: return locale.DateSeparator;
    case 0x001E: return locale.TimeSeparator;
    default: return std::nullopt;
  }
}

}  // namespace kestrova
