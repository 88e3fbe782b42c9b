#include "engine/platform/recorded/ini_values.h"

#include "engine/core/text.h"
#include "engine/platform/recorded/load_error.h"

namespace kestrova {

void IniValues::Fail(const IniEntry& e, const std::string& what) const { throw LoadError(file_, e.Line, what); }

uint64_t IniValues::Number(const IniEntry& e, uint64_t max) const {
  const std::string& v = e.Value;
  bool hex = v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X');
  std::string digits = hex ? v.substr(2) : v;
  if (digits.empty() || digits.size() > 16) Fail(e, "not a number: " + v);
  uint64_t n = 0;
  for (char c : digits) {
    int d = (c >= '0' && c <= '9') ? c - '0'
            : hex && (c >= 'a' && c <= 'f') ? c - 'a' + 10
            : hex && (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
    if (d < 0) Fail(e, "not a number: " + v);
    uint64_t next = n * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    if (next / (hex ? 16 : 10) != n) Fail(e, "number too large: " + v);
    n = next;
  }
  if (n > max) Fail(e, "number out of range: " + v);
  return n;
}

namespace {
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

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
