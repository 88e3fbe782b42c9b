// Program entry: the main window, then its message loop until it closes.
#include <windows.h>
#include <commctrl.h>

#include "app/main_window.h"
#include "app/user_dialogs.h"
#include "app/win_text.h"
#include "engine/platform/win32/win32_util.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // InitCommonControlsEx comes with the common controls of Internet Explorer 3 and later;
  // the first Windows 95 and NT 4.0 have only InitCommonControls.
  using InitExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto initEx = kestrova::win32::ProcAs<InitExFn>(GetModuleHandleA("comctl32.dll"), "InitCommonControlsEx");
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
  if (!initEx || !initEx(&icc)) InitCommonControls();
  kestrova::app::Win32UserDialogs dialogs;
  kestrova::app::MainWindow window(dialogs);
  if (!window.Create()) return 1;
  MSG msg;
  while (kestrova::app::ui::GetMsg(&msg) > 0) {
    TranslateMessage(&msg);
    kestrova::app::ui::Dispatch(&msg);
  }
  return static_cast<int>(msg.wParam);
}
