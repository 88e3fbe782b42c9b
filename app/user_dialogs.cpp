#include "app/user_dialogs.h"

#include <commdlg.h>

#include <vector>

#include "app/resource.h"

namespace kestrova::app {

const wchar_t* const kConfirmText =
    L"Informations modifi\u00e9es, et non sauvegard\u00e9es.\rVoulez-vous les sauvegarder maintenant ?";

namespace {

const wchar_t kRtfFilter[] = L"Texte enrichi (*.rtf)\0*.rtf\0";

INT_PTR CALLBACK ConfirmProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SendDlgItemMessageW(dlg, IDC_CONFIRM_ICON, STM_SETICON,
                          reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_QUESTION)), 0);
      SetDlgItemTextW(dlg, IDC_CONFIRM_TEXT, kConfirmText);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDYES:
        case IDNO:
        case IDCANCEL:  // also Escape and the close box
          EndDialog(dlg, LOWORD(wp));
          return TRUE;
      }
      break;
  }
  return FALSE;
}

OPENFILENAMEW RtfFileDialog(HWND owner, std::vector<wchar_t>& buffer) {
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = kRtfFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrDefExt = L"rtf";
  return ofn;
}

std::vector<wchar_t> NameBuffer(const std::wstring& preset) {
  std::vector<wchar_t> buffer(32768, L'\0');
  preset.copy(buffer.data(), buffer.size() - 1);
  return buffer;
}

}  // namespace

SaveAnswer Win32UserDialogs::AskSaveChanges(HWND owner) {
  INT_PTR r = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CONFIRM), owner, ConfirmProc, 0);
  if (r == IDYES) return SaveAnswer::Yes;
  if (r == IDNO) return SaveAnswer::No;
  return SaveAnswer::Cancel;
}

std::optional<std::wstring> Win32UserDialogs::ChooseOpenFile(HWND owner) {
  auto buffer = NameBuffer(lastOpened_);
  OPENFILENAMEW ofn = RtfFileDialog(owner, buffer);
  ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING;
  if (!GetOpenFileNameW(&ofn)) return std::nullopt;
  lastOpened_ = buffer.data();
  return lastOpened_;
}

std::optional<std::wstring> Win32UserDialogs::ChooseSaveFile(HWND owner, const std::wstring& preset) {
  auto buffer = NameBuffer(preset);
  OPENFILENAMEW ofn = RtfFileDialog(owner, buffer);
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLESIZING;
  if (!GetSaveFileNameW(&ofn)) return std::nullopt;
  return std::wstring(buffer.data());
}

std::optional<PrintTarget> Win32UserDialogs::ChoosePrinter(HWND owner) {
  PRINTDLGW pd = {};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = owner;
  pd.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
  if (!PrintDlgW(&pd)) return std::nullopt;
  UniqueGlobal devMode(pd.hDevMode), devNames(pd.hDevNames);
  PrintTarget target;
  target.Dc.Reset(pd.hDC);
  if (!target.Dc) return std::nullopt;
  if (pd.Flags & PD_PRINTTOFILE) target.OutputFile = L"FILE:";
  return target;
}

void Win32UserDialogs::ShowError(HWND owner, const std::wstring& text) {
  MessageBoxW(owner, text.c_str(), L"Kestrova", MB_OK | MB_ICONERROR);
}

}  // namespace kestrova::app
