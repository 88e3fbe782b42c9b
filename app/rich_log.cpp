#include "app/rich_log.h"

#include <richedit.h>

#include <algorithm>
#include <stdexcept>

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
  SendMessageW(hwnd, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
  return es.dwError == 0;
}

}  // namespace

RichLog::RichLog(HWND parent, int id, HFONT font) {
  LoadLibraryW(L"riched20.dll");  // stays loaded for the life of the process
  hwnd_ = CreateWindowExW(0, RICHEDIT_CLASSW, L"",
                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                              ES_NOHIDESEL | ES_SAVESEL,
                          0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleW(nullptr), nullptr);
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(hwnd_, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
  CHARFORMAT2W cf = {};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BOLD;
  wcscpy(cf.szFaceName, L"Arial");
  cf.yHeight = 8 * 20;
  cf.dwEffects = CFE_AUTOCOLOR;
  SendMessageW(hwnd_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
  SendMessageW(hwnd_, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
}

void RichLog::AddLogLine(int level, const std::string& text, uint32_t colour) {
  GETTEXTLENGTHEX gtl = {GTL_NUMCHARS | GTL_PRECISE, 1200};
  LRESULT length = SendMessageW(hwnd_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gtl), 0);
  SendMessageW(hwnd_, EM_SETSEL, length, length);
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
  SendMessageW(hwnd_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  if (line) {
    std::wstring wide = Widen(*line) + L"\r";
    SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
  }
  if (takesFocus_ && IsWindowVisible(hwnd_)) SetFocus(hwnd_);
}

void RichLog::BeginUpdate() {
  if (updateDepth_++ == 0) SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
}

void RichLog::EndUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0) {
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
}

void RichLog::Clear() {
  SetWindowTextW(hwnd_, L"");
  SendMessageW(hwnd_, EM_EMPTYUNDOBUFFER, 0, 0);
}

bool RichLog::Modified() const { return SendMessageW(hwnd_, EM_GETMODIFY, 0, 0) != 0; }
void RichLog::SetModified(bool modified) { SendMessageW(hwnd_, EM_SETMODIFY, modified ? TRUE : FALSE, 0); }

std::wstring RichLog::Text() const {
  GETTEXTLENGTHEX gtl = {GTL_NUMCHARS | GTL_PRECISE, 1200};
  LRESULT length = SendMessageW(hwnd_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gtl), 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GETTEXTEX gt = {};
  gt.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  gt.flags = GT_DEFAULT;  // paragraphs end with a single CR, as character positions count
  gt.codepage = 1200;
  LRESULT n = SendMessageW(hwnd_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(n));
  return text;
}

void RichLog::Select(size_t start, size_t length) {
  CHARRANGE cr = {static_cast<LONG>(start), static_cast<LONG>(start + length)};
  SendMessageW(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&cr));
  SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
}

std::pair<size_t, size_t> RichLog::Selection() const {
  CHARRANGE cr = {};
  SendMessageW(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
  return {static_cast<size_t>(cr.cpMin), static_cast<size_t>(cr.cpMax - cr.cpMin)};
}

std::string RichLog::SaveRtf() const {
  std::string out;
  EDITSTREAM es = {};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&out);
  es.pfnCallback = AppendOut;
  SendMessageW(hwnd_, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
  if (es.dwError != 0) throw std::runtime_error("EM_STREAMOUT failed");
  return out;
}

void RichLog::Load(const std::string& bytes) {
  bool rtf = bytes.compare(0, 5, "{\\rtf") == 0 && StreamIn(hwnd_, bytes, SF_RTF) &&
             SendMessageW(hwnd_, WM_GETTEXTLENGTH, 0, 0) > 0;
  if (!rtf) StreamIn(hwnd_, bytes, SF_TEXT);
  SendMessageW(hwnd_, EM_EMPTYUNDOBUFFER, 0, 0);
}

bool RichLog::Print(HDC dc, const std::wstring& jobName, const std::wstring& outputFile) {
  DOCINFOW di = {};
  di.cbSize = sizeof di;
  di.lpszDocName = jobName.c_str();
  di.lpszOutput = outputFile.empty() ? nullptr : outputFile.c_str();
  if (StartDocW(dc, &di) <= 0) return false;

  // Page in twips, less half an inch all round.
  const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  const int pageW = MulDiv(GetDeviceCaps(dc, PHYSICALWIDTH), 1440, dpiX > 0 ? dpiX : 1);
  const int pageH = MulDiv(GetDeviceCaps(dc, PHYSICALHEIGHT), 1440, dpiY > 0 ? dpiY : 1);
  const int offX = MulDiv(GetDeviceCaps(dc, PHYSICALOFFSETX), 1440, dpiX > 0 ? dpiX : 1);
  const int offY = MulDiv(GetDeviceCaps(dc, PHYSICALOFFSETY), 1440, dpiY > 0 ? dpiY : 1);
  FORMATRANGE fr = {};
  fr.hdc = fr.hdcTarget = dc;
  fr.rcPage = {0, 0, pageW, pageH};
  fr.rc = {720 - offX, 720 - offY, pageW - 720 - offX, pageH - 720 - offY};
  GETTEXTLENGTHEX gtl = {GTL_NUMCHARS | GTL_PRECISE, 1200};
  const LONG length = static_cast<LONG>(SendMessageW(hwnd_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gtl), 0));
  bool ok = true;
  LONG start = 0;
  do {
    if (StartPage(dc) <= 0) {
      ok = false;
      break;
    }
    fr.rc = {720 - offX, 720 - offY, pageW - 720 - offX, pageH - 720 - offY};
    fr.chrg = {start, -1};
    LONG next = static_cast<LONG>(SendMessageW(hwnd_, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&fr)));
    if (EndPage(dc) <= 0) ok = false;
    if (next <= start) break;  // nothing more fits: never loop forever
    start = next;
  } while (ok && start < length);
  SendMessageW(hwnd_, EM_FORMATRANGE, FALSE, 0);  // frees the control's cached data
  if (ok) ok = EndDoc(dc) > 0;
  else AbortDoc(dc);
  return ok;
}

}  // namespace kestrova::app
