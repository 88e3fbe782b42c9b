#include "app/user_dialogs.h"

#include <commdlg.h>

#include <vector>

#include "app/resource.h"
#include "app/win_text.h"

namespace kestrova::app {

const wchar_t* const kConfirmText =
    L"Informations modifi\u00e9es, et non sauvegard\u00e9es.\rVoulez-vous les sauvegarder maintenant ?";

namespace {

const wchar_t kRtfFilter[] = L"Texte enrichi (*.rtf)\0*.rtf\0";

INT_PTR CALLBACK ConfirmProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      ui::Send(GetDlgItem(dlg, IDC_CONFIRM_ICON), STM_SETICON, reinterpret_cast<WPARAM>(ui::StandardIcon(IDI_QUESTION)));
      ui::SetItemText(dlg, IDC_CONFIRM_TEXT, kConfirmText);
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

// The filter with its NULs (the array's last one ends the list).
std::wstring RtfFilter() { return std::wstring(kRtfFilter, sizeof kRtfFilter / sizeof kRtfFilter[0] - 1); }

}  // namespace

SaveAnswer Win32UserDialogs::AskSaveChanges(HWND owner) {
  INT_PTR r = ui::DialogBoxRes(IDD_CONFIRM, owner, ConfirmProc, 0);
  if (r == IDYES) return SaveAnswer::Yes;
  if (r == IDNO) return SaveAnswer::No;
  return SaveAnswer::Cancel;
}

std::optional<std::wstring> Win32UserDialogs::ChooseOpenFile(HWND owner) {
  auto name = ui::ChooseFile(false, owner, RtfFilter(), L"rtf", lastOpened_, OFN_HIDEREADONLY | OFN_ENABLESIZING);
  if (!name) return std::nullopt;
  lastOpened_ = *name;
  return lastOpened_;
}

std::optional<std::wstring> Win32UserDialogs::ChooseSaveFile(HWND owner, const std::wstring& preset) {
  return ui::ChooseFile(true, owner, RtfFilter(), L"rtf", preset,
                        OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLESIZING);
}

std::optional<PrintTarget> Win32UserDialogs::ChoosePrinter(HWND owner) {
  PRINTDLGW pd = {};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = owner;
  pd.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
  if (!ui::PrintDialog(pd)) return std::nullopt;
  UniqueGlobal devMode(pd.hDevMode), devNames(pd.hDevNames);
  PrintTarget target;
  target.Dc.Reset(pd.hDC);
  if (!target.Dc) return std::nullopt;
  if (pd.Flags & PD_PRINTTOFILE) target.OutputFile = L"FILE:";
  return target;
}

void Win32UserDialogs::ShowError(HWND owner, const std::wstring& text) {
  ui::MessageBoxText(owner, text, L"Kestrova", MB_OK | MB_ICONERROR);
}

}  // namespace kestrova::app
