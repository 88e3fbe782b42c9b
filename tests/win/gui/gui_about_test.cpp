// "A propos...": the modal about box over the main window, its texts and layout, the
// scrolling line, and the three ways to close it.
#include "tests/win/gui/gui_harness.h"

#include "app/about_box.h"
#include "app/resource.h"
#include "sections/program_version.h"

namespace kestrova::guitest {
namespace {

bool IsAboutBox(HWND h) { return ClassOf(h) == L"TfmAbout"; }

// Where a child sits in its parent's client area.
RECT ChildRect(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// What a control paints of its client area (WM_PRINTCLIENT), as 32-bit pixels.
std::vector<uint32_t> ClientPixels(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  std::vector<uint32_t> out(static_cast<size_t>(r.right * r.bottom));
  if (out.empty()) return out;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = r.right;
  bi.bmiHeader.biHeight = -r.bottom;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  SendMessageW(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
  GdiFlush();
  std::copy_n(static_cast<const uint32_t*>(bits), out.size(), out.begin());
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return out;
}

void SaveBmp(std::vector<uint32_t> px, int w, int h, const std::wstring& path) {
  for (uint32_t& p : px) p |= 0xFF000000;  // GDI leaves the fourth byte 0: opaque, not transparent
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = -h;
  info.biPlanes = 1;
  info.biBitCount = 32;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + px.size() * 4);
  win32::UniqueFileHandle f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD n = 0;
  if (f && WriteFile(f.Get(), &file, sizeof file, &n, nullptr) && WriteFile(f.Get(), &info, sizeof info, &n, nullptr))
    WriteFile(f.Get(), px.data(), static_cast<DWORD>(px.size() * 4), &n, nullptr);
}

struct AboutSeen {
  std::wstring Caption;
  RECT Client = {}, Window = {};
  bool OwnedByMain = false, MainDisabled = false, DefaultOk = false, Drawn = false, Scrolls = false;
  std::vector<uint32_t> Picture;  // the client area as the box draws it
  std::wstring Values[3], OkText;
  RECT ValueRects[3] = {}, OkRect = {}, ScrollRect = {};
  uint32_t At(int x, int y) const { return Picture.at(static_cast<size_t>(y * Client.right + x)) & 0xFFFFFF; }
};

struct AboutFixture : GuiFixture {
  AboutSeen seen;

  // Reads the box on the driving thread; `close` then closes it one way or another.
  void Read(HWND box) {
    seen.Caption = TextOf(box);
    GetClientRect(box, &seen.Client);
    GetWindowRect(box, &seen.Window);
    seen.OwnedByMain = GetWindow(box, GW_OWNER) == window->Handle();
    seen.MainDisabled = !IsWindowEnabled(window->Handle());
    seen.Picture = ClientPixels(box);
    SaveBmp(seen.Picture, seen.Client.right, seen.Client.bottom, dir + L"a-propos.bmp");  // to look at
    for (int i = 0; i < 3; ++i) {
      HWND v = GetDlgItem(box, IDC_ABOUT_VERSION + i);
      seen.Values[i] = v ? TextOf(v) : L"(none)";
      if (v) seen.ValueRects[i] = ChildRect(v);
    }
    HWND ok = GetDlgItem(box, IDOK);
    if (ok) {
      seen.OkText = TextOf(ok);
      seen.OkRect = ChildRect(ok);
      seen.DefaultOk = (GetWindowLongW(ok, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
    }
    // The acknowledgement line moves by itself, a step every 200 ms.
    HWND scroller = GetDlgItem(box, IDC_ABOUT_THANKS);
    if (scroller) {
      seen.ScrollRect = ChildRect(scroller);
      const auto first = ClientPixels(scroller);
      seen.Drawn = std::any_of(first.begin(), first.end(), [&](uint32_t p) { return p != first[0]; });
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
      while (!seen.Scrolls && std::chrono::steady_clock::now() < deadline) {
        Sleep(50);  // polling another thread's painting, bounded by the deadline
        seen.Scrolls = ClientPixels(scroller) != first;
      }
    }
  }

  void ShowAndClose(const std::function<void(HWND)>& close) {
    DialogDriver driver(IsAboutBox, [&](HWND box) {
      Read(box);
      close(box);
    });
    Command(ActionId::AppAbout);
    ASSERT_TRUE(PumpUntil([&] { return driver.Finished(); }, 15000));
    ASSERT_TRUE(driver.Found) << "no about box";
    ASSERT_FALSE(driver.TimedOut) << "the about box did not close";
    // Back to the main window: enabled again, and no box left behind.
    ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(window->Handle()) != FALSE; }));
    EXPECT_EQ(FindWindowW(L"TfmAbout", nullptr), nullptr);
  }
};

TEST_F(AboutFixture, ShowsTheProgramsTextsAndClosesWithOk) {
  Start(L"about");
  ShowAndClose([](HWND box) { PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); });
  EXPECT_EQ(Utf8(seen.Caption), "A propos");
  EXPECT_EQ(seen.Client.right, 305);
  EXPECT_EQ(seen.Client.bottom, 193);
  // Centred on the screen.
  EXPECT_NEAR((seen.Window.left + seen.Window.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((seen.Window.top + seen.Window.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  EXPECT_TRUE(seen.OwnedByMain);
  EXPECT_TRUE(seen.MainDisabled);  // modal
  // The icon at 16,16, 32 pixels wide, drawn over the backdrop: its blue ring is there,
  // and its transparent corners show the backdrop (no square of another colour).
  ASSERT_EQ(seen.Picture.size(), 305u * 193u);
  int ring = 0;
  for (int y = 16; y < 48; ++y)
    for (int x = 16; x < 48; ++x) {
      const uint32_t p = seen.At(x, y);
      if ((p & 0xFF) > 0x90 && ((p >> 16) & 0xFF) < 0x60) ++ring;  // blue, little red
    }
  EXPECT_GT(ring, 40);
  for (auto [x, y] : {std::pair{16, 16}, std::pair{47, 16}, std::pair{16, 47}, std::pair{47, 47}}) {
    const uint32_t inside = seen.At(x, y), outside = seen.At(x < 30 ? x - 2 : x + 2, y);
    for (int shift : {0, 8, 16})
      EXPECT_NEAR(static_cast<int>((inside >> shift) & 0xFF), static_cast<int>((outside >> shift) & 0xFF), 12)
          << x << "," << y;
  }
  EXPECT_EQ(Utf8(seen.Values[0]), KESTROVA_FILE_VERSION_TEXT);
  EXPECT_EQ(Utf8(seen.Values[1]), KESTROVA_LEGAL_COPYRIGHT);
  EXPECT_EQ(Utf8(seen.Values[2]), "Freeware");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(seen.ValueRects[i].left, 112) << i;
    EXPECT_EQ(seen.ValueRects[i].top, 72 + 16 * i) << i;
    EXPECT_EQ(seen.ValueRects[i].right - seen.ValueRects[i].left, 177) << i;
  }
  EXPECT_EQ(Utf8(seen.OkText), "OK");
  EXPECT_TRUE(seen.DefaultOk);
  EXPECT_EQ(seen.OkRect.left, 216);
  EXPECT_EQ(seen.OkRect.top, 160);
  EXPECT_EQ(seen.ScrollRect.left, 8);
  EXPECT_EQ(seen.ScrollRect.top, 160);
  EXPECT_TRUE(seen.Drawn);  // some of the line is in view from the start
  EXPECT_TRUE(seen.Scrolls);
  EXPECT_TRUE(dialogs.Errors.empty());
}

TEST_F(AboutFixture, EscapeClosesIt) {
  Start(L"about-esc");
  ShowAndClose([](HWND box) {
    HWND ok = GetDlgItem(box, IDOK);
    PostMessageW(ok, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(ok, WM_KEYUP, VK_ESCAPE, 0xC0010001);
  });
}

TEST_F(AboutFixture, EnterClosesIt) {
  Start(L"about-enter");
  ShowAndClose([](HWND box) {
    HWND ok = GetDlgItem(box, IDOK);
    PostMessageW(ok, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(ok, WM_KEYUP, VK_RETURN, 0xC01C0001);
  });
}

TEST_F(AboutFixture, TheCloseBoxClosesIt) {
  Start(L"about-close");
  ShowAndClose([](HWND box) { PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); });
}

TEST_F(AboutFixture, ShownAgainAfterClosing) {
  Start(L"about-again");
  ShowAndClose([](HWND box) { PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); });
  ShowAndClose([](HWND box) { PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); });
  EXPECT_EQ(Utf8(seen.Values[0]), KESTROVA_FILE_VERSION_TEXT);
}

}  // namespace
}  // namespace kestrova::guitest
