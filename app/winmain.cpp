// Program entry: the main window, then its message loop until it closes.
#include <windows.h>
#include <commctrl.h>

#include "app/main_window.h"
#include "app/user_dialogs.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  kestrova::app::Win32UserDialogs dialogs;
  kestrova::app::MainWindow window(dialogs);
  if (!window.Create()) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
