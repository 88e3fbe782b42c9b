#pragma once
// TfmAbout: the modal about box, created for each showing and destroyed when it closes.
#include <windows.h>

#include <string>

namespace kestrova::app {

struct AboutTexts {
  std::wstring Version, Copyright, Comments;
};

// Shows the box modally over `owner` and returns when it is closed.
void ShowAboutBox(HWND owner, const AboutTexts& texts);

extern const wchar_t* const kAboutCaption;       // "A propos"
extern const wchar_t* const kAcknowledgements;   // the scrolling line

}  // namespace kestrova::app
