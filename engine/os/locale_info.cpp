#include "engine/os/locale_info.h"

#include "engine/core/context.h"
#include "engine/core/text.h"

namespace kestrova {

namespace {

// GetLocaleInfoA fills a 255-byte buffer: a longer text does not fit and reads as empty.
constexpr size_t kLocaleBufferChars = 254;

// The first character read as a decimal digit below `count`; -1 otherwise.
int FirstDigit(const std::string& text, int count) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return -1;
  int d = text[0] - '0';
  return d < count ? d : -1;
}

template <typename Enum, int Count>
Enum EnumFromText(const std::string& text) {
  // An answer that names no value of the type leaves the first one.
  int d = FirstDigit(text, Count);
  return static_cast<Enum>(d < 0 ? 0 : d);
}

const char* const kNegativeCurrencyTemplates[10] = {
    "($1.1)", "-$1.1", "$-1.1", "$1.1-", "(1.1$)", "-1.1$", "1.1-$", "1.1$-", "-1.1 $", "-$ 1.1"};

}  // namespace

std::string NegativeCurrencyTemplate(const std::string& negCurr, const std::string& currencySymbol) {
  int d = FirstDigit(negCurr, 10);
  if (d < 0) return {};
  std::string t = kNegativeCurrencyTemplates[d];
  size_t dollar = t.find('$');
  return t.substr(0, dollar) + currencySymbol + t.substr(dollar + 1);
}

const char* PositiveCurrencyModeName(TPositiveCurrencyMode mode) {
  static const char* const kNames[] = {"Prefix_No_Separation", "Suffix_No_Separation",
                                       "Prefix_One_Char_Separation", "Suffix_One_Char_Separation"};
  return kNames[static_cast<int>(mode)];
}

const char* DateOrderText(TDateOrder order) {
  static const char* const kNames[] = {"M-D-Y", "D-M-Y", "Y-M-D"};
  return kNames[static_cast<int>(order)];
}

TLocaleInfo::TLocaleInfo(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

void TLocaleInfo::Refresh(uint32_t locale) {
  const ISystem* sys = Context().Sys.System;
  if (!sys) return;
  auto text = [&](uint32_t lcType) {
    std::string s = sys->LocaleInfo(locale, lcType).value_or("");
    return DecodeUtf8(s).size() > kLocaleBufferChars ? std::string() : s;
  };
  // In the order of the table of properties.
  fullLocalizeLanguage_ = text(0x02);                 // LOCALE_SLANGUAGE
  fullLanguageEnglishName_ = text(0x1001);            // LOCALE_SENGLANGUAGE
  abbreviateLanguageName_ = text(0x03);               // LOCALE_SABBREVLANGNAME
  countryCode_ = text(0x05);                          // LOCALE_ICOUNTRY
  fullCountryCode_ = text(0x06);                      // LOCALE_SCOUNTRY
  abbreviateCountryCode_ = text(0x07);                // LOCALE_SABBREVCTRYNAME
  listSeparator_ = text(0x0C);                        // LOCALE_SLIST
  measurementSystem_ = EnumFromText<TMeasureSystem, 2>(text(0x0D));  // LOCALE_IMEASURE
  decimalSeparator_ = text(0x0E);                     // LOCALE_SDECIMAL
  numberOfDecimalDigits_ = text(0x11);                // LOCALE_IDIGITS
  localMonetarySymbol_ = text(0x14);                  // LOCALE_SCURRENCY
  internationalMonetarySymbol_ = text(0x15);          // LOCALE_SINTLSYMBOL
  currencyDecimalSeparator_ = text(0x16);             // LOCALE_SMONDECIMALSEP
  currencyThousandSeparator_ = text(0x17);            // LOCALE_SMONTHOUSANDSEP
  currencyDecimalDigits_ = text(0x19);                // LOCALE_ICURRDIGITS
  positiveCurrencyMode_ = EnumFromText<TPositiveCurrencyMode, 4>(text(0x1B));  // LOCALE_ICURRENCY
  negativeCurrencyMode_ = NegativeCurrencyTemplate(text(0x1C), localMonetarySymbol_);  // LOCALE_INEGCURR
  dateSeparator_ = text(0x1D);                        // LOCALE_SDATE
  timeSeparator_ = text(0x1E);                        // LOCALE_STIME
  timeFormat_ = text(0x1003);                         // LOCALE_STIMEFORMAT
  shortDateFormat_ = text(0x1F);                      // LOCALE_SSHORTDATE
  longDateFormat_ = text(0x20);                       // LOCALE_SLONGDATE
  shortDateOrder_ = EnumFromText<TDateOrder, 3>(text(0x21));       // LOCALE_IDATE
  longDateOrder_ = EnumFromText<TDateOrder, 3>(text(0x22));        // LOCALE_ILDATE
  timeFormatSpecifier_ = EnumFromText<TTimeFormat, 2>(text(0x23)); // LOCALE_ITIME
  yearFormat_ = EnumFromText<TYearFormat, 2>(text(0x24));          // LOCALE_ICENTURY
  decimalThousandSeparator_ = text(0x0F);             // LOCALE_STHOUSAND
}

void TLocaleInfo::WriteBlock(ReportWriter& out) const {
  out.OpenClass("LocaleInfo", "TLocaleInfo");
  out.String("AbbreviateCountryCode", abbreviateCountryCode_);
  out.String("AbbreviateLanguageCode", abbreviateLanguageName_);
  out.String("CountryCode", countryCode_);
  out.String("CurrencyDecimalDigits", currencyDecimalDigits_);
  out.String("FullCountryCode", fullCountryCode_);
  out.String("FullEnglishLanguageName", fullLanguageEnglishName_);
  out.String("FullLocalizeLanguageName", fullLocalizeLanguage_);
  out.String("IntlMonetarySymbol", internationalMonetarySymbol_);
  out.String("LocalMonetarySymbol", localMonetarySymbol_);
  out.String("PositiveCurrencyMode", PositiveCurrencyModeName(positiveCurrencyMode_));
  out.String("NegativeCurrencyMode", negativeCurrencyMode_);
  out.String("CurrencyDecimalSeparator", currencyDecimalSeparator_);
  out.String("CurrencyThousandSeparator", currencyThousandSeparator_);
  out.String("DecimalSeparator", decimalSeparator_);
  out.String("NumberOfDecimalDigits", numberOfDecimalDigits_);
  out.String("ListSeparator", listSeparator_);
  out.String("DateSeparator", dateSeparator_);
  out.String("LongDateOrder", DateOrderText(longDateOrder_));
  out.String("ShortDateOrder", DateOrderText(shortDateOrder_));
  out.String("ShortDateFormat", shortDateFormat_);
  out.String("LongDateFormat", longDateFormat_);
  out.String("TimeFormat", timeFormat_);
  out.String("TimeFormatSpecifier", timeFormatSpecifier_ == TTimeFormat::H12 ? "12H" : "24H");
  out.String("YearFormat", yearFormat_ == TYearFormat::TwoDigit ? "Two Digit" : "Four Digit");
  out.String("MeasurementSystem", measurementSystem_ == TMeasureSystem::Metric ? "Metric" : "U.S.");
  out.CloseClass("LocaleInfo");
}

}  // namespace kestrova
