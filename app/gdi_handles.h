#pragma once
// Move-only owners of the window-side handles, in the style of engine/platform/win32.
#include <windows.h>
#include <commctrl.h>

#include "engine/platform/win32/handles.h"

namespace kestrova::app {

template <typename T>
struct GdiObjectTraits {
  using Type = T;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteObject(h); }
};
struct DcTraits {  // a DC this code created (CreateDC, PrintDlg): DeleteDC
  using Type = HDC;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteDC(h); }
};
struct MenuTraits {  // a menu not attached to a window
  using Type = HMENU;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DestroyMenu(h); }
};
struct ImageListTraits {
  using Type = HIMAGELIST;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::ImageList_Destroy(h); }
};
struct GlobalTraits {
  using Type = HGLOBAL;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::GlobalFree(h); }
};

using UniqueFont = win32::UniqueResource<GdiObjectTraits<HFONT>>;
using UniqueBitmap = win32::UniqueResource<GdiObjectTraits<HBITMAP>>;
using UniqueBrush = win32::UniqueResource<GdiObjectTraits<HBRUSH>>;
using UniqueDc = win32::UniqueResource<DcTraits>;
using UniqueMenu = win32::UniqueResource<MenuTraits>;
using UniqueImageList = win32::UniqueResource<ImageListTraits>;
using UniqueGlobal = win32::UniqueResource<GlobalTraits>;

// Arial 8 points at 96 dots per inch (11 pixels), the face of every window here.
HFONT CreateArial(int pixelHeight, bool bold = false);

}  // namespace kestrova::app
