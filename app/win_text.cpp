#include "app/win_text.h"

#include <richedit.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>

namespace kestrova::app {

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  // No "best fit" (a file name must not become another one); Windows before 2000 refuse
  // the flag and have no best fit to turn off.
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  int n = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (n <= 0 && GetLastError() == ERROR_INVALID_FLAGS) {
    flags = 0;
    n = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
  }
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  n = WideCharToMultiByte(CP_ACP, flags, text.data(), length, &out[0], n, nullptr, nullptr);
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

std::wstring FromAnsi(const char* text, size_t count) {
  if (!text || count == 0) return {};
  const int length = static_cast<int>(count);
  int n = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  n = MultiByteToWideChar(CP_ACP, 0, text, length, &out[0], n);
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

std::wstring FromAnsi(const char* text) { return text ? FromAnsi(text, std::strlen(text)) : std::wstring(); }

namespace ui {

namespace {

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// A class name or a resource name may be a number (MAKEINTRESOURCE) rather than text.
bool IsNumber(const wchar_t* name) { return IS_INTRESOURCE(name); }

// Entry points that the first Windows 95 may not export at all: bound when first used.
// The A forms, imported as usual, keep their DLLs loaded.
template <typename Fn>
Fn Bound(const char* module, const char* name) {
  return win32::ProcAs<Fn>(GetModuleHandleA(module), name);
}

}  // namespace

LRESULT Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return UseAnsiApi() ? SendMessageA(hwnd, msg, wp, lp) : SendMessageW(hwnd, msg, wp, lp);
}
BOOL Post(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return UseAnsiApi() ? PostMessageA(hwnd, msg, wp, lp) : PostMessageW(hwnd, msg, wp, lp);
}
LRESULT DefProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return UseAnsiApi() ? DefWindowProcA(hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}
LRESULT CallProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return UseAnsiApi() ? CallWindowProcA(proc, hwnd, msg, wp, lp) : CallWindowProcW(proc, hwnd, msg, wp, lp);
}
LONG_PTR GetLong(HWND hwnd, int index) {
  return UseAnsiApi() ? GetWindowLongPtrA(hwnd, index) : GetWindowLongPtrW(hwnd, index);
}
LONG_PTR SetLong(HWND hwnd, int index, LONG_PTR value) {
  return UseAnsiApi() ? SetWindowLongPtrA(hwnd, index, value) : SetWindowLongPtrW(hwnd, index, value);
}
BOOL Peek(MSG* msg) {
  return UseAnsiApi() ? PeekMessageA(msg, nullptr, 0, 0, PM_REMOVE) : PeekMessageW(msg, nullptr, 0, 0, PM_REMOVE);
}
int GetMsg(MSG* msg) {
  return UseAnsiApi() ? GetMessageA(msg, nullptr, 0, 0) : GetMessageW(msg, nullptr, 0, 0);
}
LRESULT Dispatch(const MSG* msg) { return UseAnsiApi() ? DispatchMessageA(msg) : DispatchMessageW(msg); }
BOOL IsDialogMsg(HWND dialog, MSG* msg) {
  return UseAnsiApi() ? IsDialogMessageA(dialog, msg) : IsDialogMessageW(dialog, msg);
}

ATOM RegisterWindowClass(const WNDCLASSW& wc) {
  if (!UseAnsiApi()) return RegisterClassW(&wc);
  const std::string name = ToAnsi(wc.lpszClassName);
  WNDCLASSA a = {};
  a.style = wc.style;
  a.lpfnWndProc = wc.lpfnWndProc;
  a.cbClsExtra = wc.cbClsExtra;
  a.cbWndExtra = wc.cbWndExtra;
  a.hInstance = wc.hInstance;
  a.hIcon = wc.hIcon;
  a.hCursor = wc.hCursor;
  a.hbrBackground = wc.hbrBackground;
  a.lpszClassName = name.c_str();
  return RegisterClassA(&a);
}

HWND MakeWindow(DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h,
                HWND parent, int id, void* param) {
  HMENU menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
  if (!UseAnsiApi())
    return CreateWindowExW(exStyle, cls, text, style, x, y, w, h, parent, menu, Instance(), param);
  const std::string clsA = IsNumber(cls) ? std::string() : ToAnsi(cls);
  const std::string textA = text ? ToAnsi(text) : std::string();
  return CreateWindowExA(exStyle, IsNumber(cls) ? reinterpret_cast<const char*>(cls) : clsA.c_str(),
                         text ? textA.c_str() : nullptr, style, x, y, w, h, parent, menu, Instance(), param);
}

void SetText(HWND hwnd, const std::wstring& text) {
  if (UseAnsiApi()) SetWindowTextA(hwnd, ToAnsi(text).c_str());
  else SetWindowTextW(hwnd, text.c_str());
}

std::wstring GetText(HWND hwnd) {
  if (UseAnsiApi()) {
    std::string buffer(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    int n = GetWindowTextA(hwnd, &buffer[0], static_cast<int>(buffer.size()));
    return FromAnsi(buffer.data(), static_cast<size_t>(n > 0 ? n : 0));
  }
  std::wstring buffer(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  int n = GetWindowTextW(hwnd, &buffer[0], static_cast<int>(buffer.size()));
  buffer.resize(static_cast<size_t>(n > 0 ? n : 0));
  return buffer;
}

BOOL SetItemText(HWND dialog, int id, const std::wstring& text) {
  return UseAnsiApi() ? SetDlgItemTextA(dialog, id, ToAnsi(text).c_str()) : SetDlgItemTextW(dialog, id, text.c_str());
}

INT_PTR DialogBoxRes(int id, HWND owner, DLGPROC proc, LPARAM param) {
  return UseAnsiApi() ? DialogBoxParamA(Instance(), MAKEINTRESOURCEA(id), owner, proc, param)
                      : DialogBoxParamW(Instance(), MAKEINTRESOURCEW(id), owner, proc, param);
}

int MessageBoxText(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  if (UseAnsiApi()) return MessageBoxA(owner, ToAnsi(text).c_str(), ToAnsi(caption).c_str(), type);
  return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

BOOL AppendMenuText(HMENU menu, UINT flags, UINT_PTR id, const wchar_t* text) {
  if (!UseAnsiApi()) return AppendMenuW(menu, flags, id, text);
  const std::string a = text ? ToAnsi(text) : std::string();
  return AppendMenuA(menu, flags, id, text ? a.c_str() : nullptr);
}

// The A and W forms of the list view's structures differ only in the type of pszText.
void InsertListColumn(HWND list, int index, int width) {
  LVCOLUMNW col = {};
  col.mask = LVCF_WIDTH;
  col.cx = width;
  Send(list, UseAnsiApi() ? LVM_INSERTCOLUMNA : LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
       reinterpret_cast<LPARAM>(&col));
}

void InsertListItem(HWND list, int index, const std::wstring& text) {
  if (UseAnsiApi()) {
    std::string a = ToAnsi(text);
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = &a[0];
    Send(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return;
  }
  std::wstring w = text;
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = &w[0];
  Send(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

std::wstring ListItemText(HWND list, int index) {
  if (UseAnsiApi()) {
    char buffer[512] = {};
    LVITEMA item = {};
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    LRESULT n = Send(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return FromAnsi(buffer, static_cast<size_t>(n > 0 ? n : 0));
  }
  wchar_t buffer[256] = {};
  LVITEMW item = {};
  item.pszText = buffer;
  item.cchTextMax = 256;
  LRESULT n = Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return std::wstring(buffer, static_cast<size_t>(n > 0 ? n : 0));
}

void SetStatusPart(HWND bar, int part, const std::wstring& text) {
  if (UseAnsiApi()) Send(bar, SB_SETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(ToAnsi(text).c_str()));
  else Send(bar, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.c_str()));
}

void AddToolButtons(HWND toolbar, std::vector<TBBUTTON> buttons, const std::vector<std::wstring>& captions) {
  const bool ansi = UseAnsiApi();
  // One string after another, each ended by a NUL, the list by a second one.
  std::wstring list;
  std::vector<size_t> slots;  // buttons[slots[k]] gets the k-th string
  for (size_t i = 0; i < buttons.size() && i < captions.size(); ++i) {
    if (buttons[i].fsStyle & BTNS_SEP) continue;
    list += captions[i];
    list += L'\0';
    slots.push_back(i);
  }
  list += L'\0';
  LRESULT first = -1;
  if (!slots.empty()) {
    if (ansi) {
      const std::string a = ToAnsi(list);
      first = Send(toolbar, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(a.c_str()));
    } else {
      first = Send(toolbar, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(list.c_str()));
    }
  }
  for (size_t k = 0; k < slots.size(); ++k) buttons[slots[k]].iString = first >= 0 ? first + static_cast<INT_PTR>(k) : -1;
  Send(toolbar, ansi ? TB_ADDBUTTONSA : TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
}

bool IsToolTipRequest(const NMHDR* hdr) { return hdr->code == TTN_GETDISPINFOA || hdr->code == TTN_GETDISPINFOW; }

void AnswerToolTip(NMHDR* hdr, const std::wstring& text) {
  if (hdr->code == TTN_GETDISPINFOA) {
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(hdr);
    lstrcpynA(info->szText, ToAnsi(text).c_str(), static_cast<int>(sizeof info->szText));
    info->lpszText = info->szText;
    info->hinst = nullptr;
  } else if (hdr->code == TTN_GETDISPINFOW) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(hdr);
    lstrcpynW(info->szText, text.c_str(), static_cast<int>(sizeof info->szText / sizeof info->szText[0]));
    info->lpszText = info->szText;
    info->hinst = nullptr;
  }
}

void ReplaceSelection(HWND edit, const std::wstring& text) {
  if (UseAnsiApi()) SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(ToAnsi(text).c_str()));
  else SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

int DrawTextIn(HDC dc, const std::wstring& text, RECT* rect, UINT format) {
  if (!UseAnsiApi()) return DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), rect, format);
  const std::string a = ToAnsi(text);
  return DrawTextA(dc, a.c_str(), static_cast<int>(a.size()), rect, format);
}

HFONT MakeFont(int height, int weight, bool italic, bool underline, DWORD pitchAndFamily, const wchar_t* face) {
  if (!UseAnsiApi())
    return CreateFontW(height, 0, 0, 0, weight, italic, underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitchAndFamily, face);
  return CreateFontA(height, 0, 0, 0, weight, italic, underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitchAndFamily, ToAnsi(face).c_str());
}

int StartDocument(HDC dc, const std::wstring& name, const std::wstring& output) {
  if (!UseAnsiApi()) {
    DOCINFOW di = {};
    di.cbSize = sizeof di;
    di.lpszDocName = name.c_str();
    di.lpszOutput = output.empty() ? nullptr : output.c_str();
    return StartDocW(dc, &di);
  }
  const std::string nameA = ToAnsi(name), outputA = ToAnsi(output);
  DOCINFOA di = {};
  di.cbSize = sizeof di;
  di.lpszDocName = nameA.c_str();
  di.lpszOutput = output.empty() ? nullptr : outputA.c_str();
  return StartDocA(dc, &di);
}

std::optional<std::wstring> ChooseFile(bool save, HWND owner, const std::wstring& filter, const wchar_t* defExt,
                                       const std::wstring& preset, DWORD flags) {
  constexpr size_t kNameBuffer = 32768;
  if (UseAnsiApi()) {
    const std::string filterA = ToAnsi(filter), extA = ToAnsi(defExt);
    std::vector<char> buffer(kNameBuffer, '\0');
    const std::string presetA = ToAnsi(preset);
    presetA.copy(buffer.data(), buffer.size() - 1);
    OPENFILENAMEA ofn = {};
    // The structure of Windows 95 and NT 4.0: the later one is refused there.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filterA.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrDefExt = extA.c_str();
    ofn.Flags = flags;
    if (!(save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn))) return std::nullopt;
    return FromAnsi(buffer.data());
  }
  using FileDialogW = BOOL(WINAPI*)(OPENFILENAMEW*);
  auto dialog = Bound<FileDialogW>("comdlg32.dll", save ? "GetSaveFileNameW" : "GetOpenFileNameW");
  if (!dialog) return std::nullopt;
  std::vector<wchar_t> buffer(kNameBuffer, L'\0');
  preset.copy(buffer.data(), buffer.size() - 1);
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrDefExt = defExt;
  ofn.Flags = flags;
  if (!dialog(&ofn)) return std::nullopt;
  return std::wstring(buffer.data());
}

BOOL PrintDialog(PRINTDLGW& pd) {
  if (!UseAnsiApi()) {
    using PrintDlgWFn = BOOL(WINAPI*)(PRINTDLGW*);
    auto dialog = Bound<PrintDlgWFn>("comdlg32.dll", "PrintDlgW");
    return dialog ? dialog(&pd) : FALSE;
  }
  PRINTDLGA a = {};
  a.lStructSize = sizeof a;
  a.hwndOwner = pd.hwndOwner;
  a.hDevMode = pd.hDevMode;
  a.hDevNames = pd.hDevNames;
  a.Flags = pd.Flags;
  a.nFromPage = pd.nFromPage;
  a.nToPage = pd.nToPage;
  a.nMinPage = pd.nMinPage;
  a.nMaxPage = pd.nMaxPage;
  a.nCopies = pd.nCopies;
  a.hInstance = pd.hInstance;
  a.lCustData = pd.lCustData;
  BOOL ok = PrintDlgA(&a);
  pd.hDC = a.hDC;
  pd.hDevMode = a.hDevMode;
  pd.hDevNames = a.hDevNames;
  pd.Flags = a.Flags;
  pd.nFromPage = a.nFromPage;
  pd.nToPage = a.nToPage;
  pd.nCopies = a.nCopies;
  return ok;
}

bool OpenDocument(HWND owner, const std::wstring& path) {
  if (UseAnsiApi()) {
    const std::string file = ToAnsi(path);
    SHELLEXECUTEINFOA sei = {};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.hwnd = owner;
    sei.lpVerb = "open";
    sei.lpFile = file.c_str();
    sei.nShow = SW_SHOW;
    return ShellExecuteExA(&sei) != FALSE;
  }
  using ShellExecuteExWFn = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
  auto execute = Bound<ShellExecuteExWFn>("shell32.dll", "ShellExecuteExW");
  if (!execute) return false;
  SHELLEXECUTEINFOW sei = {};
  sei.cbSize = sizeof sei;
  sei.fMask = SEE_MASK_FLAG_NO_UI;
  sei.hwnd = owner;
  sei.lpVerb = L"open";
  sei.lpFile = path.c_str();
  sei.nShow = SW_SHOW;
  return execute(&sei) != FALSE;
}

std::optional<std::wstring> ReadProfile(const std::wstring& section, const std::wstring& key,
                                        const std::wstring& path) {
  // A default no INI file can hold tells a missing key from an empty value.
  if (UseAnsiApi()) {
    const char kMissing[] = "\x01\x02";
    char buffer[1024] = {};
    GetPrivateProfileStringA(ToAnsi(section).c_str(), ToAnsi(key).c_str(), kMissing, buffer, sizeof buffer,
                             ToAnsi(path).c_str());
    if (std::strcmp(buffer, kMissing) == 0) return std::nullopt;
    return FromAnsi(buffer);
  }
  const wchar_t kMissing[] = L"\uFFFF\uFFFE";
  wchar_t buffer[1024] = {};
  GetPrivateProfileStringW(section.c_str(), key.c_str(), kMissing, buffer, 1024, path.c_str());
  if (std::wstring(buffer) == kMissing) return std::nullopt;
  return std::wstring(buffer);
}

bool WriteProfile(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                  const std::wstring& path) {
  if (UseAnsiApi())
    return WritePrivateProfileStringA(ToAnsi(section).c_str(), ToAnsi(key).c_str(), ToAnsi(value).c_str(),
                                      ToAnsi(path).c_str()) != FALSE;
  return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != FALSE;
}

HANDLE OpenFileHandle(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
  if (UseAnsiApi())
    return CreateFileA(ToAnsi(path).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD FileAttributes(const std::wstring& path) {
  return UseAnsiApi() ? GetFileAttributesA(ToAnsi(path).c_str()) : GetFileAttributesW(path.c_str());
}

BOOL MoveFileTo(const std::wstring& from, const std::wstring& to) {
  return UseAnsiApi() ? MoveFileA(ToAnsi(from).c_str(), ToAnsi(to).c_str()) : MoveFileW(from.c_str(), to.c_str());
}

BOOL MoveFileReplacing(const std::wstring& from, const std::wstring& to, DWORD flags) {
  return UseAnsiApi() ? MoveFileExA(ToAnsi(from).c_str(), ToAnsi(to).c_str(), flags)
                      : MoveFileExW(from.c_str(), to.c_str(), flags);
}

BOOL RemoveFile(const std::wstring& path) {
  return UseAnsiApi() ? DeleteFileA(ToAnsi(path).c_str()) : DeleteFileW(path.c_str());
}

std::wstring ModuleFileName() {
  if (UseAnsiApi()) {
    // GetModuleFileName answers the buffer size when it cuts the name short.
    for (DWORD size = MAX_PATH + 1; size <= 32768 * 2; size *= 2) {
      std::string buffer(size, '\0');
      DWORD n = GetModuleFileNameA(nullptr, &buffer[0], size);
      if (n == 0) return {};
      if (n < size) return FromAnsi(buffer.data(), n);
    }
    return {};
  }
  auto path = win32::ReadGrowing([](wchar_t* b, DWORD n) { return GetModuleFileNameW(nullptr, b, n); });
  return path.value_or(L"");
}

}  // namespace ui
}  // namespace kestrova::app
