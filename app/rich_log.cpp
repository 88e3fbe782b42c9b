#include "app/rich_log.h"

#include <richedit.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "app/gdi_handles.h"
#include "app/win_text.h"

namespace kestrova::app {

namespace {

DWORD CALLBACK AppendOut(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* written) {
  reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(size));
  *written = size;
  return 0;
}

struct Reader {
  const std::string& Data;
  size_t Pos = 0;
};
DWORD CALLBACK ReadIn(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
  auto* r = reinterpret_cast<Reader*>(cookie);
  size_t n = std::min(static_cast<size_t>(size), r->Data.size() - r->Pos);
  std::copy(r->Data.begin() + static_cast<ptrdiff_t>(r->Pos),
            r->Data.begin() + static_cast<ptrdiff_t>(r->Pos + n), buffer);
  r->Pos += n;
  *read = static_cast<LONG>(n);
  return 0;
}

bool StreamIn(HWND hwnd, const std::string& bytes, UINT format) {
  Reader reader{bytes};
  EDITSTREAM es = {};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&reader);
  es.pfnCallback = ReadIn;
  ui::Send(hwnd, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
  return es.dwError == 0;
}

}  // namespace

RichLog::RichLog(HWND parent, int id, HFONT font) {
  LoadLibraryA("riched20.dll");  // stays loaded for the life of the process
  // The ANSI class under an ANSI window (9x family), so that EM_REPLACESEL and the other
  // text messages take the code page; the wide class otherwise. The structures sent
  // here (CHARFORMAT2W, GETTEXTEX with code page 1200) say their form themselves.
  hwnd_ = ui::MakeWindow(0, UseAnsiApi() ? L"RichEdit20A" : RICHEDIT_CLASSW, L"",
                         WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                             ES_NOHIDESEL | ES_SAVESEL,
                         0, 0, 0, 0, parent, id);
  ui::Send(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ui::Send(hwnd_, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
  // Long lines wrap at the pane's width (the horizontal scroll bar style alone turns
  // wrapping off): no target device, line width 0 = the window's width.
  ui::Send(hwnd_, EM_SETTARGETDEVICE, 0, 0);
  CHARFORMAT2W cf = {};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BOLD;
  wcscpy(cf.szFaceName, L"Arial");
  cf.yHeight = 8 * 20;
  cf.dwEffects = CFE_AUTOCOLOR;
  ui::Send(hwnd_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
  ui::Send(hwnd_, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
}

void RichLog::AddLogLine(int level, const std::string& text, uint32_t colour) {
  GETTEXTLENGTHEX gtl = {GTL_NUMCHARS | GTL_PRECISE, 1200};
  LRESULT length = ui::Send(hwnd_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gtl), 0);
  ui::Send(hwnd_, EM_SETSEL, length, length);
  CHARFORMAT2W cf = {};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_COLOR;
  cf.crTextColor = colour;
  auto line = LogLineText(level, text);
  if (line) {
    cf.dwMask |= CFM_SIZE | CFM_BOLD;
    cf.yHeight = LogLevelPointSize(level) * 20;
    cf.dwEffects = LogLevelBold(level) ? CFE_BOLD : 0;
  }
  ui::Send(hwnd_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  if (line) {
    ui::ReplaceSelection(hwnd_, Widen(*line) + L"\r");
  }
  if (takesFocus_ && IsWindowVisible(hwnd_)) SetFocus(hwnd_);
}

void RichLog::BeginUpdate() {
  if (updateDepth_++ == 0) ui::Send(hwnd_, WM_SETREDRAW, FALSE, 0);
}

void RichLog::EndUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0) {
    ui::Send(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
}

void RichLog::Clear() {
  ui::SetText(hwnd_, L"");
  ui::Send(hwnd_, EM_EMPTYUNDOBUFFER, 0, 0);
}

bool RichLog::Modified() const { return ui::Send(hwnd_, EM_GETMODIFY, 0, 0) != 0; }
void RichLog::SetModified(bool modified) { ui::Send(hwnd_, EM_SETMODIFY, modified ? TRUE : FALSE, 0); }

std::wstring RichLog::Text() const {
  GETTEXTLENGTHEX gtl = {GTL_NUMCHARS | GTL_PRECISE, 1200};
  LRESULT length = ui::Send(hwnd_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gtl), 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GETTEXTEX gt = {};
  gt.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  gt.flags = GT_DEFAULT;  // paragraphs end with a single CR, as character positions count
  gt.codepage = 1200;
  LRESULT n = ui::Send(hwnd_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(n));
  return text;
}

void RichLog::Select(size_t start, size_t length) {
  CHARRANGE cr = {static_cast<LONG>(start), static_cast<LONG>(start + length)};
  ui::Send(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&cr));
  ui::Send(hwnd_, EM_SCROLLCARET, 0, 0);
}

std::pair<size_t, size_t> RichLog::Selection() const {
  CHARRANGE cr = {};
  ui::Send(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
  return {static_cast<size_t>(cr.cpMin), static_cast<size_t>(cr.cpMax - cr.cpMin)};
}

std::string RichLog::SaveRtf() const {
  std::string out;
  EDITSTREAM es = {};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&out);
  es.pfnCallback = AppendOut;
  ui::Send(hwnd_, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
  if (es.dwError != 0) throw std::runtime_error("EM_STREAMOUT failed");
  return out;
}

void RichLog::Load(const std::string& bytes) {
  // Rich text is what the control reads as RTF without an error; an empty report saved
  // as RTF is valid rich text too and must not come back as its source.
  const bool rtf = bytes.compare(0, 5, "{\\rtf") == 0 && StreamIn(hwnd_, bytes, SF_RTF);
  if (!rtf) StreamIn(hwnd_, bytes, SF_TEXT);
  ui::Send(hwnd_, EM_EMPTYUNDOBUFFER, 0, 0);
}

namespace {

// The printable area of a page, half an inch inside the paper's edges, in the printer's
// device units (whose origin is the printable corner, not the paper's).
RECT PrintArea(HDC dc) {
  const int dpiX = std::max(1, GetDeviceCaps(dc, LOGPIXELSX)), dpiY = std::max(1, GetDeviceCaps(dc, LOGPIXELSY));
  const int offX = GetDeviceCaps(dc, PHYSICALOFFSETX), offY = GetDeviceCaps(dc, PHYSICALOFFSETY);
  return {dpiX / 2 - offX, dpiY / 2 - offY, GetDeviceCaps(dc, PHYSICALWIDTH) - dpiX / 2 - offX,
          GetDeviceCaps(dc, PHYSICALHEIGHT) - dpiY / 2 - offY};
}

// The same in twips, as EM_FORMATRANGE takes it, with the whole page.
FORMATRANGE FormatRange(HDC dc, const RECT& area) {
  const int dpiX = std::max(1, GetDeviceCaps(dc, LOGPIXELSX)), dpiY = std::max(1, GetDeviceCaps(dc, LOGPIXELSY));
  FORMATRANGE fr = {};
  fr.hdc = fr.hdcTarget = dc;
  fr.rcPage = {0, 0, MulDiv(GetDeviceCaps(dc, PHYSICALWIDTH), 1440, dpiX),
               MulDiv(GetDeviceCaps(dc, PHYSICALHEIGHT), 1440, dpiY)};
  fr.rc = {MulDiv(area.left, 1440, dpiX), MulDiv(area.top, 1440, dpiY), MulDiv(area.right, 1440, dpiX),
           MulDiv(area.bottom, 1440, dpiY)};
  return fr;
}

}  // namespace

bool RichLog::Print(HDC dc, const std::wstring& jobName, const std::wstring& outputFile) {
  const RECT area = PrintArea(dc);
  GETTEXTLENGTHEX gtl = {GTL_NUMCHARS | GTL_PRECISE, 1200};
  const LONG length = static_cast<LONG>(ui::Send(hwnd_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gtl), 0));
  // A control that formats nothing for a printer (Wine's RichEdit has no EM_FORMATRANGE)
  // leaves the paragraphs to be drawn here.
  FORMATRANGE probe = FormatRange(dc, area);
  probe.chrg = {0, -1};
  const bool controlPrints =
      length == 0 || ui::Send(hwnd_, EM_FORMATRANGE, FALSE, reinterpret_cast<LPARAM>(&probe)) > 0;
  ui::Send(hwnd_, EM_FORMATRANGE, FALSE, 0);  // frees the control's cached data

  if (ui::StartDocument(dc, jobName, outputFile) <= 0) return false;
  const bool ok = controlPrints ? PrintFormatted(dc, area, length) : PrintParagraphs(dc, area);
  if (!ok) {
    AbortDoc(dc);
    return false;
  }
  return EndDoc(dc) > 0;
}

// The control lays out the pages itself.
bool RichLog::PrintFormatted(HDC dc, const RECT& area, LONG length) {
  bool ok = true;
  LONG start = 0;
  do {
    if (StartPage(dc) <= 0) {
      ok = false;
      break;
    }
    FORMATRANGE fr = FormatRange(dc, area);
    fr.chrg = {start, -1};
    LONG next = static_cast<LONG>(ui::Send(hwnd_, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&fr)));
    if (EndPage(dc) <= 0) ok = false;
    if (next <= start) break;  // nothing more fits: never loop forever
    start = next;
  } while (ok && start < length);
  ui::Send(hwnd_, EM_FORMATRANGE, FALSE, 0);
  return ok;
}

// Each paragraph in the face, size, weight and colour of its first character, wrapped to
// the page width; a paragraph that does not fit below the previous ones starts a page.
bool RichLog::PrintParagraphs(HDC dc, const RECT& area) {
  const std::wstring text = Text();
  std::vector<std::pair<size_t, size_t>> paragraphs;  // start, length
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find(L'\r', start);
    if (end == std::wstring::npos) end = text.size();
    paragraphs.emplace_back(start, end - start);
    start = end + 1;
  }

  // The formats are read through the selection, which is put back afterwards.
  const auto selection = Selection();
  POINT scroll = {};
  ui::Send(hwnd_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  ui::Send(hwnd_, WM_SETREDRAW, FALSE, 0);
  std::vector<CHARFORMAT2W> formats;
  for (const auto& p : paragraphs) {
    CHARRANGE cr = {static_cast<LONG>(p.first), static_cast<LONG>(p.first + 1)};
    ui::Send(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&cr));
    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof cf;
    ui::Send(hwnd_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    formats.push_back(cf);
  }
  CHARRANGE back = {static_cast<LONG>(selection.first), static_cast<LONG>(selection.first + selection.second)};
  ui::Send(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&back));
  ui::Send(hwnd_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  ui::Send(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);

  const int dpiY = std::max(1, GetDeviceCaps(dc, LOGPIXELSY));
  const LONG width = area.right - area.left;
  if (width <= 0 || area.bottom <= area.top) return false;
  if (StartPage(dc) <= 0) return false;
  SetBkMode(dc, TRANSPARENT);
  LONG y = area.top;
  for (size_t i = 0; i < paragraphs.size(); ++i) {
    const CHARFORMAT2W& cf = formats[i];
    const LONG twips = cf.yHeight > 0 ? cf.yHeight : 160;
    UniqueFont font(ui::MakeFont(-MulDiv(twips, dpiY, 1440), (cf.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL,
                                 (cf.dwEffects & CFE_ITALIC) != 0, (cf.dwEffects & CFE_UNDERLINE) != 0,
                                 DEFAULT_PITCH | FF_SWISS, cf.szFaceName[0] ? cf.szFaceName : L"Arial"));
    HGDIOBJ old = SelectObject(dc, font.Get());
    SetTextColor(dc, (cf.dwEffects & CFE_AUTOCOLOR) ? RGB(0, 0, 0) : cf.crTextColor);
    const std::wstring line = text.substr(paragraphs[i].first, paragraphs[i].second);
    const std::wstring shown = line.empty() ? L" " : line;  // a blank line keeps its height
    const UINT flags = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS;
    RECT r = {area.left, 0, area.right, 0};
    ui::DrawTextIn(dc, shown, &r, flags | DT_CALCRECT);
    const LONG height = std::min(r.bottom - r.top, area.bottom - area.top);
    if (y + height > area.bottom && y > area.top) {
      if (EndPage(dc) <= 0 || StartPage(dc) <= 0) {
        SelectObject(dc, old);
        return false;
      }
      SetBkMode(dc, TRANSPARENT);
      y = area.top;
    }
    r = {area.left, y, area.right, y + height};
    ui::DrawTextIn(dc, shown, &r, flags);
    y += height;
    SelectObject(dc, old);
  }
  return EndPage(dc) > 0;
}

}  // namespace kestrova::app
