#pragma once
// The report log over a RichEdit 2.0 control: lines appended with their own size,
// weight and colour, the modified flag, the update bracket, RTF in and out, find and
// print.
#include <windows.h>

#include <string>

#include "sections/report_log.h"

namespace kestrova::app {

class RichLog : public IReportLog {
 public:
  // Creates the control as a child of `parent`.
  RichLog(HWND parent, int id, HFONT font);
  HWND Handle() const { return hwnd_; }

  // IReportLog. Each line ends with a paragraph break, so a heading always follows one.
  void AddLogLine(int level, const std::string& text, uint32_t colour) override;
  void BeginUpdate() override;
  void EndUpdate() override;

  // While the main window is being created, appended lines do not take the focus.
  void SetTakesFocus(bool takes) { takesFocus_ = takes; }

  void Clear();
  bool Modified() const;
  void SetModified(bool modified);

  // The whole text as the control holds it (paragraphs ended by CR), in UTF-16 units
  // that are the control's character positions.
  std::wstring Text() const;
  void Select(size_t start, size_t length);
  std::pair<size_t, size_t> Selection() const;

  std::string SaveRtf() const;
  // Replaces the content: RTF when the bytes are a valid RTF document, plain text
  // (system code page) otherwise.
  void Load(const std::string& bytes);

  // Prints the whole content on `dc`, one job named `jobName`; false when the printer
  // refused a page or the job.
  bool Print(HDC dc, const std::wstring& jobName, const std::wstring& outputFile);

 private:
  bool PrintFormatted(HDC dc, const RECT& area, LONG length);
  bool PrintParagraphs(HDC dc, const RECT& area);

  HWND hwnd_;
  int updateDepth_ = 0;
  bool takesFocus_ = true;
};

}  // namespace kestrova::app
