#include "engine/platform/recorded/ini_values.h"

#include "engine/core/text.h"
#include "engine/platform/recorded/load_error.h"

namespace kestrova {

void IniFail(const IniEntry& e, const std::string& file, const std::string& what) {
  throw LoadError(file, e.Line, what);
}

namespace {
// The digits of `text` as a number, nullopt-like false when they are not one or overflow.
bool ParseDigits(const std::string& text, uint64_t& out) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  const uint64_t base = hex ? 16 : 10;
  if (digits.empty() || digits.size() > 20) return false;
  uint64_t n = 0;
  for (char c : digits) {
    int d = (c >= '0' && c <= '9') ? c - '0'
            : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
            : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (d < 0) return false;
    if (n > (UINT64_MAX - static_cast<uint64_t>(d)) / base) return false;
    n = n * base + static_cast<uint64_t>(d);
  }
  out = n;
  return true;
}
}  // namespace

uint64_t IniUnsigned(const IniEntry& e, const std::string& file, uint64_t max) {
  uint64_t n = 0;
  if (!ParseDigits(e.Value, n)) IniFail(e, file, "not a number: " + e.Value);
  if (n > max) IniFail(e, file, "number out of range: " + e.Value);
  return n;
}

int64_t IniSigned(const IniEntry& e, const std::string& file, int64_t min, int64_t max) {
  const bool negative = !e.Value.empty() && e.Value[0] == '-';
  uint64_t n = 0;
  if (!ParseDigits(negative ? e.Value.substr(1) : e.Value, n)) IniFail(e, file, "not a number: " + e.Value);
  // Magnitudes are checked before the sign is applied, so nothing here overflows.
  if (negative ? n > static_cast<uint64_t>(-(min + 1)) + 1 : n > static_cast<uint64_t>(max))
    IniFail(e, file, "number out of range: " + e.Value);
  return negative ? -static_cast<int64_t>(n - 1) - 1 : static_cast<int64_t>(n);
}

std::vector<uint8_t> IniValues::HexBytes(const IniEntry& e) const {
  std::vector<uint8_t> out;
  std::string v = ReplaceAll(e.Value, ",", " ");
  for (const std::string& part : Split(v, ' ')) {
    if (part.empty()) continue;
    if (part.size() != 2 || HexDigit(part[0]) < 0 || HexDigit(part[1]) < 0)
      Fail(e, "expected hexadecimal bytes (\"12 01 10 01\"): " + e.Value);
    out.push_back(static_cast<uint8_t>(HexDigit(part[0]) * 16 + HexDigit(part[1])));
  }
  return out;
}

std::vector<uint8_t> IniValues::DashedBytes(const IniEntry& e) const {
  std::vector<uint8_t> out;
  if (e.Value.empty()) return out;
  for (const std::string& part : Split(e.Value, '-')) {
    if (part.size() != 2 || HexDigit(part[0]) < 0 || HexDigit(part[1]) < 0)
      Fail(e, "expected hexadecimal bytes joined by '-' (\"00-0c-29-4a-1b-2c\"): " + e.Value);
    out.push_back(static_cast<uint8_t>(HexDigit(part[0]) * 16 + HexDigit(part[1])));
  }
  return out;
}

}  // namespace kestrova
