#pragma once
// Move-only owners of the window-side handles, in the style of engine/platform/win32.
#include <windows.h>
#include <commctrl.h>

#include "engine/platform/win32/handles.h"

namespace kestrova::app {

// DeleteDC for a DC this code created (CreateDC, PrintDlg); DestroyMenu for a menu not
// attached to a window.
using win32::NullHandleTraits;

using UniqueFont = win32::UniqueResource<NullHandleTraits<HFONT, &::DeleteObject>>;
using UniqueBitmap = win32::UniqueResource<NullHandleTraits<HBITMAP, &::DeleteObject>>;
using UniqueBrush = win32::UniqueResource<NullHandleTraits<HBRUSH, &::DeleteObject>>;
using UniqueDc = win32::UniqueResource<NullHandleTraits<HDC, &::DeleteDC>>;
using UniqueMenu = win32::UniqueResource<NullHandleTraits<HMENU, &::DestroyMenu>>;
using UniqueImageList = win32::UniqueResource<NullHandleTraits<HIMAGELIST, &::ImageList_Destroy>>;
using UniqueGlobal = win32::UniqueResource<NullHandleTraits<HGLOBAL, &::GlobalFree>>;

// Arial 8 points at 96 dots per inch (11 pixels), the face of every window here.
HFONT CreateArial(int pixelHeight, bool bold = false);

}  // namespace kestrova::app
