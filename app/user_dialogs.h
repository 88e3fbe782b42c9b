#pragma once
// Every question the program asks the user and every file or printer it lets them pick
// goes through this interface: the program uses the real dialogs, the GUI tests script
// the file choices while the rest of the window stays real.
#include <windows.h>

#include <optional>
#include <string>

#include "app/gdi_handles.h"

namespace kestrova::app {

enum class SaveAnswer { Yes, No, Cancel };

struct PrintTarget {
  UniqueDc Dc;
  std::wstring OutputFile;  // empty: the printer's own port
};

class IUserDialogs {
 public:
  virtual ~IUserDialogs() = default;
  // "Informations modifiées, et non sauvegardées." + "Voulez-vous les sauvegarder
  // maintenant ?" with "&Oui", "&Non" and "Annuler".
  virtual SaveAnswer AskSaveChanges(HWND owner) = 0;
  virtual std::optional<std::wstring> ChooseOpenFile(HWND owner) = 0;
  virtual std::optional<std::wstring> ChooseSaveFile(HWND owner, const std::wstring& preset) = 0;
  virtual std::optional<PrintTarget> ChoosePrinter(HWND owner) = 0;
  // The error box of an operation that failed unexpectedly.
  virtual void ShowError(HWND owner, const std::wstring& text) = 0;
};

// The real dialogs.
class Win32UserDialogs : public IUserDialogs {
 public:
  SaveAnswer AskSaveChanges(HWND owner) override;
  std::optional<std::wstring> ChooseOpenFile(HWND owner) override;
  std::optional<std::wstring> ChooseSaveFile(HWND owner, const std::wstring& preset) override;
  std::optional<PrintTarget> ChoosePrinter(HWND owner) override;
  void ShowError(HWND owner, const std::wstring& text) override;

 private:
  std::wstring lastOpened_;  // the open dialog offers the name last chosen in it
};

extern const wchar_t* const kConfirmText;

}  // namespace kestrova::app
