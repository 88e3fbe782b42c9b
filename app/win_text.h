#pragma once
// The window API in the family this Windows can run. The window code holds its texts in
// UTF-16 (std::wstring, made from the program's UTF-8 texts by Widen). On the NT family
// they go to the wide (W) functions. On Windows 95/98/ME nearly every W function of
// user32, gdi32, kernel32 and the common dialogs is a stub that fails, so there the same
// calls go to the ANSI (A) functions with the texts in the system code page (CP_ACP);
// the window classes are then registered ANSI, so their messages (WM_CHAR, ...) and the
// common controls' notifications (TTN_GETDISPINFOA, ...) come in their A forms.
//
// The family is chosen once per process: the A functions when GetVersion() has its high
// bit set (the 9x family), the W functions otherwise; KESTROVA_FORCE_ANSI=1 in the
// environment chooses the A functions anywhere (the GUI tests run a second time so), =0
// the W ones.
//
// Calls without text whose A form behaves the same everywhere are written directly in
// their A form instead (GetModuleHandleA, LoadIconA with a resource number, SetPropA with
// an ASCII name, GetObjectA of a bitmap). TextOutW and GetTextExtentPoint32W are among
// the few W functions Windows 95 implements, and stay as they are.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/platform/win32/api_family.h"
#include "engine/platform/win32/win32_util.h"

namespace kestrova::app {

using win32::Narrow;
using win32::Widen;

// The window code follows the platform layer's one decision (engine/platform/win32/
// api_family.h): the A functions on the 9x family or when KESTROVA_FORCE_ANSI=1.
using win32::UseAnsiApi;

// UTF-16 <-> system code page, `count` units taken as they are (embedded NULs kept, for
// the filter lists of the file dialogs). What the code page cannot hold becomes '?'.
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const char* text, size_t count);
std::wstring FromAnsi(const char* text);  // up to the NUL

namespace ui {

// Messages, window procedures and the message loop (no text of their own).
LRESULT Send(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0);
BOOL Post(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0);
LRESULT DefProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CallProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LONG_PTR GetLong(HWND hwnd, int index);
LONG_PTR SetLong(HWND hwnd, int index, LONG_PTR value);
BOOL Peek(MSG* msg);  // PM_REMOVE, any window of the thread
int GetMsg(MSG* msg);
LRESULT Dispatch(const MSG* msg);
BOOL IsDialogMsg(HWND dialog, MSG* msg);

// The system's cursors and icons (IDC_ARROW, IDI_QUESTION, ...): numbers, the same for
// both families.
inline HCURSOR StandardCursor(LPCWSTR id) { return LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(id)); }
inline HICON StandardIcon(LPCWSTR id) { return LoadIconA(nullptr, reinterpret_cast<LPCSTR>(id)); }

// Windows and their texts. The class name of `wc` is its only text (no menu name).
ATOM RegisterWindowClass(const WNDCLASSW& wc);
HWND MakeWindow(DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h,
                HWND parent, int id, void* param = nullptr);
void SetText(HWND hwnd, const std::wstring& text);
std::wstring GetText(HWND hwnd);
BOOL SetItemText(HWND dialog, int id, const std::wstring& text);
INT_PTR DialogBoxRes(int id, HWND owner, DLGPROC proc, LPARAM param);
int MessageBoxText(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);
BOOL AppendMenuText(HMENU menu, UINT flags, UINT_PTR id, const wchar_t* text);

// Common controls.
void InsertListColumn(HWND list, int index, int width);
void InsertListItem(HWND list, int index, const std::wstring& text);
std::wstring ListItemText(HWND list, int index);
void SetStatusPart(HWND bar, int part, const std::wstring& text);
// Adds `buttons` to a tool bar; captions[i] is the text of buttons[i] (ignored for
// separators). The texts go in the tool bar's string list (TB_ADDSTRING), which every
// version of the common controls reads, and the buttons take their indexes.
void AddToolButtons(HWND toolbar, std::vector<TBBUTTON> buttons, const std::vector<std::wstring>& captions);
// A tool tip asking for its text, in either form (TTN_GETDISPINFOA or W).
bool IsToolTipRequest(const NMHDR* hdr);
// Answers it with `text` (copied into the notification's own buffer).
void AnswerToolTip(NMHDR* hdr, const std::wstring& text);
// Text in place of a RichEdit or edit control's selection.
void ReplaceSelection(HWND edit, const std::wstring& text);

// Drawing and printing.
int DrawTextIn(HDC dc, const std::wstring& text, RECT* rect, UINT format);
HFONT MakeFont(int height, int weight, bool italic, bool underline, DWORD pitchAndFamily, const wchar_t* face);
int StartDocument(HDC dc, const std::wstring& name, const std::wstring& output);

// Common dialogs. The filter is the dialog's list of NUL-separated pairs.
std::optional<std::wstring> ChooseFile(bool save, HWND owner, const std::wstring& filter, const wchar_t* defExt,
                                       const std::wstring& preset, DWORD flags);
// PrintDlg with the fields the program uses (no template or hook names).
BOOL PrintDialog(PRINTDLGW& pd);

// Shell: opens a document with its program; false when that failed.
bool OpenDocument(HWND owner, const std::wstring& path);

// Private profiles. nullopt: the key is not in the file.
std::optional<std::wstring> ReadProfile(const std::wstring& section, const std::wstring& key,
                                        const std::wstring& path);
bool WriteProfile(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                  const std::wstring& path);

// Files.
HANDLE OpenFileHandle(const std::wstring& path, DWORD access, DWORD share, DWORD disposition);
DWORD FileAttributes(const std::wstring& path);
BOOL MoveFileTo(const std::wstring& from, const std::wstring& to);
BOOL MoveFileReplacing(const std::wstring& from, const std::wstring& to, DWORD flags);  // MoveFileEx
BOOL RemoveFile(const std::wstring& path);
std::wstring ModuleFileName();

}  // namespace ui
}  // namespace kestrova::app
