#pragma once
// TLocaleInfo: the formats of one locale (the owner asks for the system default one).
#include <cstdint>
#include <string>

#include "engine/core/information.h"

namespace kestrova {

enum class TMeasureSystem : uint8_t { Metric, US };
enum class TPositiveCurrencyMode : uint8_t {
  Prefix_No_Separation, Suffix_No_Separation, Prefix_One_Char_Separation, Suffix_One_Char_Separation
};
enum class TDateOrder : uint8_t { MDY, DMY, YMD };
enum class TTimeFormat : uint8_t { H12, H24 };
enum class TYearFormat : uint8_t { TwoDigit, FourDigit };

constexpr uint32_t kLocaleSystemDefault = 0x0800;  // LOCALE_SYSTEM_DEFAULT

// The negative currency template of LOCALE_INEGCURR (its first digit), with the first "$"
// replaced by the currency symbol; empty when the text does not start with a digit.
std::string NegativeCurrencyTemplate(const std::string& negCurr, const std::string& currencySymbol);

class TOperatingSystem;

class TLocaleInfo : public TInformation {
 public:
  explicit TLocaleInfo(const EngineContext& context);
  void Refresh(uint32_t locale);

  const std::string& FullLocalizeLanguage() const { return fullLocalizeLanguage_; }
  const std::string& FullLanguageEnglishName() const { return fullLanguageEnglishName_; }
  const std::string& AbbreviateLanguageName() const { return abbreviateLanguageName_; }
  const std::string& CountryCode() const { return countryCode_; }
  const std::string& FullCountryCode() const { return fullCountryCode_; }
  const std::string& AbbreviateCountryCode() const { return abbreviateCountryCode_; }
  const std::string& ListSeparator() const { return listSeparator_; }
  TMeasureSystem MeasurementSystem() const { return measurementSystem_; }
  const std::string& DecimalSeparator() const { return decimalSeparator_; }
  const std::string& NumberOfDecimalDigits() const { return numberOfDecimalDigits_; }
  const std::string& LocalMonetarySymbol() const { return localMonetarySymbol_; }
  const std::string& InternationalMonetarySymbol() const { return internationalMonetarySymbol_; }
  const std::string& CurrencyDecimalSeparator() const { return currencyDecimalSeparator_; }
  const std::string& CurrencyThousandSeparator() const { return currencyThousandSeparator_; }
  const std::string& CurrencyDecimalDigits() const { return currencyDecimalDigits_; }
  TPositiveCurrencyMode PositiveCurrencyMode() const { return positiveCurrencyMode_; }
  const std::string& NegativeCurrencyMode() const { return negativeCurrencyMode_; }
  const std::string& DateSeparator() const { return dateSeparator_; }
  const std::string& TimeSeparator() const { return timeSeparator_; }
  const std::string& TimeFormat() const { return timeFormat_; }
  const std::string& ShortDateFormat() const { return shortDateFormat_; }
  const std::string& LongDateFormat() const { return longDateFormat_; }
  TDateOrder ShortDateOrder() const { return shortDateOrder_; }
  TDateOrder LongDateOrder() const { return longDateOrder_; }
  TTimeFormat TimeFormatSpecifier() const { return timeFormatSpecifier_; }
  TYearFormat YearFormat() const { return yearFormat_; }
  const std::string& DecimalThousandSeparator() const { return decimalThousandSeparator_; }

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  friend class TOperatingSystem;  // writes this block after its own
  std::string fullLocalizeLanguage_, fullLanguageEnglishName_, abbreviateLanguageName_, countryCode_,
      fullCountryCode_, abbreviateCountryCode_, listSeparator_, decimalSeparator_, numberOfDecimalDigits_,
      localMonetarySymbol_, internationalMonetarySymbol_, currencyDecimalSeparator_, currencyThousandSeparator_,
      currencyDecimalDigits_, negativeCurrencyMode_, dateSeparator_, timeSeparator_, timeFormat_,
      shortDateFormat_, longDateFormat_, decimalThousandSeparator_;
  TMeasureSystem measurementSystem_ = TMeasureSystem::Metric;
  TPositiveCurrencyMode positiveCurrencyMode_ = TPositiveCurrencyMode::Prefix_No_Separation;
  TDateOrder shortDateOrder_ = TDateOrder::MDY, longDateOrder_ = TDateOrder::MDY;
  TTimeFormat timeFormatSpecifier_ = TTimeFormat::H12;
  TYearFormat yearFormat_ = TYearFormat::TwoDigit;
};

const char* PositiveCurrencyModeName(TPositiveCurrencyMode mode);  // "Prefix_No_Separation"
const char* DateOrderText(TDateOrder order);                       // "D-M-Y"

}  // namespace kestrova
