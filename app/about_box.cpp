#include "app/about_box.h"

#include "app/gdi_handles.h"
#include "app/resource.h"
#include "app/win_text.h"

namespace kestrova::app {

const wchar_t* const kAboutCaption = L"A propos";
const wchar_t* const kAcknowledgements =
    L"Merci \u00e0 tous ceux qui ont essay\u00e9 Kestrova sur leurs vieux PC, signal\u00e9 ses d\u00e9fauts "
    L"et envoy\u00e9 leurs rapports : sans eux, il ne saurait rien de leurs machines.";

namespace {

const wchar_t kAboutClass[] = L"TfmAbout";
constexpr int kClientWidth = 305, kClientHeight = 193;
constexpr UINT_PTR kScrollTimer = 1;
constexpr int kIconLeft = 16, kIconTop = 16, kIconSize = 32;
constexpr int kScrollLeft = 8, kScrollTop = 160, kScrollWidth = 200, kScrollHeight = 25;

struct AboutState {
  AboutTexts Texts;
  UniqueFont Font = UniqueFont(CreateArial(11));
  UniqueFont TitleFont = UniqueFont(CreateArial(24, true));
  UniqueBitmap Backdrop, Bullet;
  UniqueBrush FieldBrush = UniqueBrush(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
  HICON Icon = nullptr;  // shared: never destroyed
  HWND Scroller = nullptr;
  int ScrollOffset = 0;
  bool Done = false;
};

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int x, int y,
           int w, int h, int id, HFONT font) {
  HWND c = ui::MakeWindow(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, id);
  ui::Send(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return c;
}

void DrawBitmap(HDC dc, HBITMAP bmp, int x, int y, int w, int h) {
  if (!bmp) return;
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, bmp);
  BITMAP info = {};
  GetObjectA(bmp, sizeof info, &info);
  StretchBlt(dc, x, y, w, h, mem, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
}

void TextAt(HDC dc, int x, int y, const wchar_t* text, COLORREF colour) {
  SetTextColor(dc, colour);
  TextOutW(dc, x, y, text, lstrlenW(text));
}

// The box's own drawing: backdrop, icon, title, subtitle, lines, bullets and labels.
void Paint(HDC dc, AboutState& s) {
  DrawBitmap(dc, s.Backdrop.Get(), 0, 0, kClientWidth, kClientHeight);
  // The icon is drawn here, over the backdrop, rather than by an icon control, which
  // would paint a square of its own background around it.
  if (s.Icon) DrawIconEx(dc, kIconLeft, kIconTop, s.Icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
  SetBkMode(dc, TRANSPARENT);
  // The title: "Kes" in black and "trova" in red, with a raised shadow (light above-left).
  HGDIOBJ oldFont = SelectObject(dc, s.TitleFont.Get());
  SIZE first = {};
  GetTextExtentPoint32W(dc, L"Kes", 3, &first);
  for (auto [dx, colour] : {std::pair{-1, RGB(255, 255, 255)}, std::pair{1, RGB(128, 128, 128)}}) {
    TextAt(dc, 136 + dx, 8 + dx, L"Kes", colour);
    TextAt(dc, 136 + first.cx + dx, 8 + dx, L"trova", colour);
  }
  TextAt(dc, 136, 8, L"Kes", RGB(0, 0, 0));
  TextAt(dc, 136 + first.cx, 8, L"trova", RGB(255, 0, 0));
  SelectObject(dc, s.Font.Get());
  RECT sub = {16, 40, 289, 56};
  SetTextColor(dc, RGB(0, 0, 0));
  ui::DrawTextIn(dc, L"R\u00e9cup\u00e9ration d'informations syst\u00e8me", &sub, DT_RIGHT | DT_SINGLELINE);
  RECT line1 = {16, 56, 16 + 273, 58}, line2 = {8, 136, 8 + 289, 138};
  DrawEdge(dc, &line1, EDGE_ETCHED, BF_TOP);
  DrawEdge(dc, &line2, EDGE_ETCHED, BF_TOP);
  const wchar_t* labels[3] = {L"Version :", L"Copyright :", L"Commentaires :"};
  for (int i = 0; i < 3; ++i) {
    DrawBitmap(dc, s.Bullet.Get(), 16, 72 + 16 * i + 4, 8, 8);
    TextAt(dc, 32, 72 + 16 * i + 1, labels[i], RGB(0, 0, 0));
  }
  TextAt(dc, 8, 144, L"Remerciements \u00e0", RGB(0, 0, 0));
  SelectObject(dc, oldFont);
}

void DrawScroller(HWND hwnd, HDC dc, const AboutState& s) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));
  HGDIOBJ old = SelectObject(dc, s.Font.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 255));
  SIZE size = {};
  GetTextExtentPoint32W(dc, kAcknowledgements, lstrlenW(kAcknowledgements), &size);
  // The line starts in view at the left edge, leaves on the left, and comes back in from
  // the right.
  int cycle = size.cx + rc.right;
  int x = rc.right - (cycle > 0 ? (s.ScrollOffset + rc.right) % cycle : 0);
  TextOutW(dc, x, (rc.bottom - size.cy) / 2, kAcknowledgements, lstrlenW(kAcknowledgements));
  SelectObject(dc, old);
}

LRESULT CALLBACK ScrollerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* s = reinterpret_cast<AboutState*>(ui::GetLong(GetParent(hwnd), GWLP_USERDATA));
  if (msg == WM_PAINT && s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    DrawScroller(hwnd, dc, *s);
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (msg == WM_PRINTCLIENT && s) {
    DrawScroller(hwnd, reinterpret_cast<HDC>(wp), *s);
    return 0;
  }
  if (msg == WM_ERASEBKGND) return 1;
  return ui::DefProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK AboutProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* s = reinterpret_cast<AboutState*>(ui::GetLong(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE:
      ui::SetLong(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
      break;
    case WM_PAINT:
      if (s) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        Paint(dc, *s);
        EndPaint(hwnd, &ps);
        return 0;
      }
      break;
    case WM_PRINTCLIENT:
      if (s) {
        Paint(reinterpret_cast<HDC>(wp), *s);
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:  // the three value fields (read-only): green text
      SetTextColor(reinterpret_cast<HDC>(wp), RGB(0, 128, 0));
      SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(s->FieldBrush.Get());
    case WM_TIMER:
      if (wp == kScrollTimer && s) {
        s->ScrollOffset += 4;
        InvalidateRect(s->Scroller, nullptr, FALSE);
      }
      return 0;
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        DestroyWindow(hwnd);
        return 0;
      }
      break;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd, kScrollTimer);  // the scrolling stops with the box
      if (s) s->Done = true;
      return 0;
  }
  return ui::DefProc(hwnd, msg, wp, lp);
}

void RegisterClasses() {
  static bool done = false;
  if (done) return;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = AboutProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = ui::StandardCursor(IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kAboutClass;
  ui::RegisterWindowClass(wc);
  wc.lpfnWndProc = ScrollerProc;
  wc.hbrBackground = nullptr;
  wc.lpszClassName = L"TfmAboutScroller";
  ui::RegisterWindowClass(wc);
  done = true;
}

}  // namespace

void ShowAboutBox(HWND owner, const AboutTexts& texts) {
  RegisterClasses();
  AboutState s;
  s.Texts = texts;
  HINSTANCE inst = GetModuleHandleA(nullptr);
  s.Backdrop.Reset(static_cast<HBITMAP>(LoadImageA(inst, MAKEINTRESOURCEA(IDB_ABOUT_BACKDROP), IMAGE_BITMAP, 0, 0, 0)));
  s.Icon = static_cast<HICON>(LoadImageA(inst, MAKEINTRESOURCEA(IDI_KESTROVA), IMAGE_ICON, kIconSize, kIconSize, LR_SHARED));
  s.Bullet.Reset(static_cast<HBITMAP>(LoadImageA(inst, MAKEINTRESOURCEA(IDB_ABOUT_BULLET), IMAGE_BITMAP, 0, 0, 0)));

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  const DWORD exStyle = WS_EX_DLGMODALFRAME;
  RECT rc = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&rc, style, FALSE, exStyle);
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  HWND box = ui::MakeWindow(exStyle, kAboutClass, kAboutCaption, style, x, y, w, h, owner, 0, &s);
  if (!box) return;

  HFONT font = s.Font.Get();
  const std::wstring* values[3] = {&s.Texts.Version, &s.Texts.Copyright, &s.Texts.Comments};
  // Read-only fields rather than labels: a text longer than the field (the legal notice)
  // can still be read to its end, and copied.
  for (int i = 0; i < 3; ++i) {
    HWND field = Child(box, L"EDIT", values[i]->c_str(), ES_LEFT | ES_READONLY | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                       112, 72 + 16 * i, 177, 16, IDC_ABOUT_VERSION + i, font);
    ui::Send(field, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(1, 1));
  }
  s.Scroller = Child(box, L"TfmAboutScroller", nullptr, 0, WS_EX_CLIENTEDGE, kScrollLeft, kScrollTop, kScrollWidth,
                     kScrollHeight, IDC_ABOUT_THANKS, font);
  HWND ok = Child(box, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 216, 160, 81, 25, IDOK, font);
  SetTimer(box, kScrollTimer, 200, nullptr);

  // Modal: the owner is disabled while the box is up.
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(box, SW_SHOW);
  SetFocus(ok);
  MSG msg;
  while (!s.Done && ui::GetMsg(&msg) > 0) {
    if (!ui::IsDialogMsg(box, &msg)) {
      TranslateMessage(&msg);
      ui::Dispatch(&msg);
    }
  }
  if (!s.Done) {  // WM_QUIT arrived: give it back to the outer loop
    DestroyWindow(box);
    PostQuitMessage(static_cast<int>(msg.wParam));
  }
  if (ownerWasEnabled) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
}

}  // namespace kestrova::app
