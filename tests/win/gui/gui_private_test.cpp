// "Masquer les données personnelles" in the window over the real engine: the machine's
// own computer and user names never reach the report pane while the option is on, the
// placeholders stand in their place, the option survives a restart through the INI, and
// with it off the names show again.
#include "tests/win/gui/gui_harness.h"

#include <cstdio>
#include <iostream>

#include "sections/categories.h"

namespace kestrova::guitest {
namespace {

using Lines = std::vector<std::string>;

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool WordChar(unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80; }

// Whether `value` stands in `line` as a whole word, whatever its ASCII case ("VM" in
// "C:\users\vm\Bureau" yes, in "KVM" no).
bool HasWord(const std::string& line, const std::string& value) {
  if (value.empty() || value.size() > line.size()) return false;
  for (size_t i = 0; i + value.size() <= line.size(); ++i) {
    bool same = true;
    for (size_t k = 0; k < value.size() && same; ++k) same = Fold(line[i + k]) == Fold(value[k]);
    if (!same) continue;
    const size_t end = i + value.size();
    if ((i == 0 || !WordChar(static_cast<unsigned char>(line[i - 1]))) &&
        (end == line.size() || !WordChar(static_cast<unsigned char>(line[end]))))
      return true;
  }
  return false;
}

std::string ComputerName() {
  wchar_t buf[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD n = MAX_COMPUTERNAME_LENGTH + 1;
  return GetComputerNameW(buf, &n) ? Utf8(buf) : std::string();
}

std::string UserName() {
  wchar_t buf[257] = {};
  DWORD n = 257;
  return GetUserNameW(buf, &n) ? Utf8(buf) : std::string();
}

// The window's pixels as they are on the screen, as a 24-bit BMP file.
bool SaveWindowPicture(HWND window, const std::wstring& path) {
  RECT r;
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFOHEADER bi = {};
  bi.biSize = sizeof bi;
  bi.biWidth = w;
  bi.biHeight = h;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bmp) {
    HGDIOBJ old = SelectObject(dc, bmp);
    ok = BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) != FALSE;
    GdiFlush();
    SelectObject(dc, old);
    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u, size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi;
    fh.bfSize = fh.bfOffBits + size;
    if (FILE* f = _wfopen(path.c_str(), L"wb")) {
      ok = ok && fwrite(&fh, sizeof fh, 1, f) == 1 && fwrite(&bi, sizeof bi, 1, f) == 1 && fwrite(bits, size, 1, f) == 1;
      ok = fclose(f) == 0 && ok;
    } else {
      ok = false;
    }
    DeleteObject(bmp);
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return ok;
}

struct PrivateFixture : GuiFixture {
  std::string computer = ComputerName(), user = UserName();
  const std::vector<std::string> kCategories = {kCatMachine, kCatNetwork, kCatEnvironment, kCatUserFolders};

  bool OptionChecked() {
    const UINT s = GetMenuState(GetMenu(window->Handle()), static_cast<UINT>(ActionId::AppHidePersonal), MF_BYCOMMAND);
    return s != static_cast<UINT>(-1) && (s & MF_CHECKED) != 0;
  }
  std::wstring IniValue() {
    wchar_t v[16] = {};
    GetPrivateProfileStringW(L"TfmMain", L"HidePersonalData", L"(absent)", v, 16, window->IniFileName().c_str());
    return v;
  }
  void Toggle(bool expected) {
    Command(ActionId::AppHidePersonal);
    ASSERT_TRUE(PumpUntil([&] { return OptionChecked() == expected; }));
  }
  // The lines of the run that hold `value` as a word.
  Lines LinesWith(const std::string& value) {
    Lines out;
    for (const auto& l : LogLines())
      if (HasWord(l, value)) out.push_back(l);
    return out;
  }
  void Run(const std::vector<std::string>& categories) {
    TickOnly(categories);
    ASSERT_TRUE(RunAndWait(90000));
    for (const auto& c : categories) ASSERT_TRUE(LogHas(c)) << c;
  }
  void ExpectHidden() {
    EXPECT_EQ(LinesWith(computer), Lines{}) << computer;
    EXPECT_EQ(LinesWith(user), Lines{}) << user;
    EXPECT_TRUE(LogHas(" - Nom Machine : <nom de l'ordinateur 1>"));
    EXPECT_TRUE(LogHas(" - Nom Utilisateur : <nom d'utilisateur 1>"));
  }
};

TEST_F(PrivateFixture, OptionHidesTheNamesIsStoredAndReadBack) {
  ASSERT_FALSE(computer.empty());
  ASSERT_FALSE(user.empty());
  std::cout << "[ names ] computer \"" << computer << "\", user \"" << user << "\"\n";
  fullEngine = true;
  Start(L"private");
  EXPECT_FALSE(OptionChecked());
  EXPECT_EQ(IniValue(), L"(absent)");
  EXPECT_TRUE(window->ActionEnabled(ActionId::AppHidePersonal));

  Toggle(true);
  EXPECT_EQ(IniValue(), L"1");  // saved at once, not at the close
  Run(kCategories);
  ExpectHidden();

  // KESTROVA_PRIVATE_SHOT=C:\x.bmp: a picture of the window as it stands now, to look at.
  wchar_t shot[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"KESTROVA_PRIVATE_SHOT", shot, MAX_PATH)) {
    SendMessageW(window->Log().Handle(), WM_VSCROLL, SB_TOP, 0);
    SetForegroundWindow(window->Handle());
    RedrawWindow(window->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpUntil([] { return false; }, 300);  // let the pane finish drawing before the picture
    EXPECT_TRUE(SaveWindowPicture(window->Handle(), shot));
  }

  // The next start reads the option back: ticked, and the run is private again (the
  // machine's category alone from here on, which holds both names: a third of the time).
  window.reset();
  window = std::make_unique<MainWindow>(dialogs, app::StartupOptions{dir + L"kestrova.exe", [](const EngineContext& ctx) {
                                                                        return std::make_unique<TSystemInfo>(ctx);
                                                                      }});
  ASSERT_TRUE(window->Create());
  EXPECT_TRUE(OptionChecked());
  Run({kCatMachine});
  ExpectHidden();

  // Off: stored as "0", and both names show again where the report has them.
  Toggle(false);
  EXPECT_EQ(IniValue(), L"0");
  Run({kCatMachine});
  EXPECT_TRUE(LogHas(" - Nom Machine : " + computer));
  EXPECT_TRUE(LogHas(" - Nom Utilisateur : " + user));
  Lines placeholders;
  for (const auto& l : LogLines())
    if (l.find("<nom ") != std::string::npos) placeholders.push_back(l);
  EXPECT_EQ(placeholders, Lines{});
}

}  // namespace
}  // namespace kestrova::guitest
