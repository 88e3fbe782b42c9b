#include "sections/settings.h"

#include <climits>

namespace kestrova {

const char* const kTestSection = "Test";
const char* const kTestKey = "WriteToIniTest";
const char* const kBoundsSection = "FormsSizeAndPos";
const char* const kMainFormName = "fmMain";
const char* const kStateSection = "TfmMain";
const char* const kSplitterKey = "OvcSplitter1.Position";
const char* const kHidePersonalKey = "HidePersonalData";

std::optional<int> ParseProfileInteger(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return std::nullopt;
  return static_cast<int>(value);
}

bool TestIniWritable(IProfile& ini) { return ini.Write(kTestSection, kTestKey, "1"); }

namespace {
const char* const kBoundsKeys[4] = {"_Left", "_Top", "_Width", "_Height"};

int* Field(FormBounds& b, int i) {
  int* fields[4] = {&b.Left, &b.Top, &b.Width, &b.Height};
  return fields[i];
}
}  // namespace

std::optional<FormBounds> ReadFormBounds(const IProfile& ini, const std::string& formName) {
  if (!ini.FileExists()) return std::nullopt;
  FormBounds b;
  for (int i = 0; i < 4; ++i) {
    auto text = ini.Read(kBoundsSection, formName + kBoundsKeys[i]);
    std::optional<int> v = text ? ParseProfileInteger(*text) : std::nullopt;
    *Field(b, i) = v.value_or(-1);
  }
  return b;
}

bool SaveFormBounds(IProfile& ini, const std::string& formName, const FormBounds& bounds) {
  FormBounds b = bounds;
  bool ok = true;
  for (int i = 0; i < 4; ++i)
    ok = ini.Write(kBoundsSection, formName + kBoundsKeys[i], std::to_string(*Field(b, i))) && ok;
  return ok;
}

FormBounds ApplyFormBounds(FormBounds w, const FormBounds& s, bool sizeable, int screenWidth,
                           int screenHeight) {
  if (s.Left >= 0) w.Left = s.Left;
  if (s.Top >= 0) w.Top = s.Top;
  if (sizeable) {
    if (s.Width >= 0) w.Width = s.Width;
    if (s.Height >= 0) w.Height = s.Height;
  }
  // Integer division truncates toward zero in C++ as the rule wants.
  if (screenWidth < w.Left + w.Width) w.Left = (screenWidth - w.Width) / 2;
  if (screenHeight < w.Top + w.Height) w.Top = (screenHeight - w.Height) / 2;
  if (screenWidth - 5 < w.Width && screenHeight - 5 < w.Height) {
    w.Width = screenWidth - 10;
    w.Height = screenHeight - 10;
    w.Top = 0;
    w.Left = 0;
  }
  return w;
}

std::optional<int> ReadSplitterPosition(const IProfile& ini) {
  auto text = ini.Read(kStateSection, kSplitterKey);
  return text ? ParseProfileInteger(*text) : std::nullopt;
}

bool SaveSplitterPosition(IProfile& ini, int position) {
  return ini.Write(kStateSection, kSplitterKey, std::to_string(position));
}

bool ReadHidePersonalData(const IProfile& ini) {
  auto text = ini.Read(kStateSection, kHidePersonalKey);
  return text && *text == "1";
}

bool SaveHidePersonalData(IProfile& ini, bool hide) {
  return ini.Write(kStateSection, kHidePersonalKey, hide ? "1" : "0");
}

}  // namespace kestrova
