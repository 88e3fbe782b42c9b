#pragma once
// The settings the program keeps beside its executable: the write test, the main window's
// bounds and the splitter position. The INI file is reached through IProfile so the rules
// can be checked without a window; the window binds it to the private-profile functions.
#include <optional>
#include <string>

namespace kestrova {

class IProfile {
 public:
  virtual ~IProfile() = default;
  virtual bool FileExists() const = 0;
  // nullopt when the key is missing.
  virtual std::optional<std::string> Read(const std::string& section, const std::string& key) const = 0;
  // false when the value could not be written.
  virtual bool Write(const std::string& section, const std::string& key, const std::string& value) = 0;
};

extern const char* const kTestSection;        // "Test"
extern const char* const kTestKey;            // "WriteToIniTest"
extern const char* const kBoundsSection;      // "FormsSizeAndPos"
extern const char* const kMainFormName;       // "fmMain"
extern const char* const kStateSection;       // "TfmMain"
extern const char* const kSplitterKey;        // "OvcSplitter1.Position"
constexpr int kDefaultSplitterPosition = 230;

struct FormBounds {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const FormBounds& o) const {
    return Left == o.Left && Top == o.Top && Width == o.Width && Height == o.Height;
  }
};

// A whole decimal number, optionally signed, with no other character; nullopt otherwise
// (also when it does not fit an int).
std::optional<int> ParseProfileInteger(const std::string& text);

// Writes "1" under Test/WriteToIniTest; true when the write succeeded.
bool TestIniWritable(IProfile& ini);

// The four stored values of a window (-1 for each one missing or not a number), or
// nullopt when the file does not exist.
std::optional<FormBounds> ReadFormBounds(const IProfile& ini, const std::string& formName);
bool SaveFormBounds(IProfile& ini, const std::string& formName, const FormBounds& bounds);

// Applies stored values to a window's bounds: a negative value leaves its edge or size
// alone, width and height apply only to a sizeable window, a window that overflows the
// screen is centred on that axis, and one larger than the screen in both directions
// takes the screen less 10 pixels at the top left corner.
FormBounds ApplyFormBounds(FormBounds window, const FormBounds& stored, bool sizeable,
                           int screenWidth, int screenHeight);

// The stored splitter position, if there is a whole number there.
std::optional<int> ReadSplitterPosition(const IProfile& ini);
bool SaveSplitterPosition(IProfile& ini, int position);

// The option "Masquer les données personnelles": "1" or "0" under the window's state
// section; missing or anything else reads as off.
extern const char* const kHidePersonalKey;  // "HidePersonalData"
bool ReadHidePersonalData(const IProfile& ini);
bool SaveHidePersonalData(IProfile& ini, bool hide);

}  // namespace kestrova
