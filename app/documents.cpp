// The report log as a document: new, open, save, save as, print, and the clipboard.
#include <windows.h>

#include "app/main_window.h"
#include "app/win_text.h"
#include "engine/os/shared_routines.h"
#include "engine/platform/win32/handles.h"

namespace kestrova::app {

namespace {

const wchar_t kNewDocumentName[] = L"Nouveau";

std::wstring ModuleFile() { return ui::ModuleFileName(); }

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
  win32::UniqueFileHandle f(ui::OpenFileHandle(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
  if (!f) return std::nullopt;
  // GetFileSize rather than GetFileSizeEx, which Windows 9x and NT 4.0 lack.
  DWORD high = 0;
  SetLastError(NO_ERROR);
  const DWORD low = GetFileSize(f.Get(), &high);
  if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0 || low > 0x40000000) return std::nullopt;
  std::string data(static_cast<size_t>(low), '\0');
  DWORD read = 0;
  if (!data.empty() && (!ReadFile(f.Get(), &data[0], static_cast<DWORD>(data.size()), &read, nullptr) ||
                        read != data.size()))
    return std::nullopt;
  return data;
}

bool WriteWholeFile(const std::wstring& path, const std::string& data) {
  win32::UniqueFileHandle f(ui::OpenFileHandle(path, GENERIC_WRITE, 0, CREATE_ALWAYS));
  if (!f) return false;
  DWORD written = 0;
  if (!data.empty() && (!WriteFile(f.Get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) ||
                        written != data.size()))
    return false;
  return FlushFileBuffers(f.Get()) != FALSE;
}

// Puts `source` in the place of `target`. Where MoveFileEx is missing (the 9x family) the
// old file steps aside first and comes back if the move fails.
bool ReplaceWith(const std::wstring& source, const std::wstring& target) {
  if (ui::MoveFileReplacing(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
  const std::wstring aside = target + L".~old";
  const bool hadTarget = ui::FileAttributes(target) != INVALID_FILE_ATTRIBUTES;
  if (hadTarget && !ui::MoveFileTo(target, aside)) return false;
  if (ui::MoveFileTo(source, target)) {
    if (hadTarget) ui::RemoveFile(aside);
    return true;
  }
  if (hadTarget) ui::MoveFileTo(aside, target);
  return false;
}

}  // namespace

bool MainWindow::ConfirmSaveIfModified() {
  if (!log_->Modified()) return true;
  switch (dialogs_.AskSaveChanges(hwnd_)) {
    case SaveAnswer::Cancel: return false;
    case SaveAnswer::Yes: ActLogSaveExecute(); return true;  // saved or not, the caller goes on
    case SaveAnswer::No: return true;
  }
  return false;
}

void MainWindow::SetCurrentFile(const std::wstring& name) {
  currentFileName_ = name;
  log_->SetModified(false);
}

void MainWindow::NewLog() {
  log_->Clear();
  SetCurrentFile(kNewDocumentName);
}

void MainWindow::WriteReportHeader() {
  std::string version;
  LocalTime now;
  LocaleFacts locale;
  if (platform_) {
    Platform p = platform_->View();
    version = ExeVersionText(p, Narrow(ModuleFile()));
    now = p.System->Now();
    locale = p.System->Locale();
  }
  kestrova::WriteReportHeader(*log_, version, now, locale);
  log_->SetModified(false);
}

bool MainWindow::LoadLog(const std::wstring& path) {
  auto data = ReadWholeFile(path);
  if (!data) return false;  // silently: the document stays as it was
  log_->Load(*data);
  SetCurrentFile(path);
  return true;
}

bool MainWindow::SaveLog(const std::wstring& path) {
  // Written beside the target and then put in its place, so a failed write never
  // destroys the previous file.
  std::string rtf;
  try {
    rtf = log_->SaveRtf();
  } catch (const std::exception&) {
    return false;
  }
  const std::wstring temp = path + L".~tmp";
  if (!WriteWholeFile(temp, rtf) || !ReplaceWith(temp, path)) {
    ui::RemoveFile(temp);
    return false;
  }
  SetCurrentFile(path);
  return true;
}

void MainWindow::PrintLog() {
  auto target = dialogs_.ChoosePrinter(hwnd_);
  if (!target) return;
  log_->Print(target->Dc.Get(), L"Kestrova", target->OutputFile);
}

void MainWindow::ActLogNewExecute() {
  if (!ConfirmSaveIfModified()) return;
  NewLog();
  WriteReportHeader();
}

void MainWindow::ActLogLoadExecute() {
  if (!ConfirmSaveIfModified()) return;
  if (auto path = dialogs_.ChooseOpenFile(hwnd_)) LoadLog(*path);
}

void MainWindow::ActLogSaveExecute() {
  DWORD a = ui::FileAttributes(currentFileName_);
  if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) SaveLog(currentFileName_);
  else ActLogSaveAsExecute();
}

void MainWindow::ActLogSaveAsExecute() {
  if (auto path = dialogs_.ChooseSaveFile(hwnd_, currentFileName_)) SaveLog(*path);
}

void MainWindow::ActLogPrintExecute() { PrintLog(); }
void MainWindow::ActLogCutExecute() { ui::Send(log_->Handle(), WM_CUT, 0, 0); }
void MainWindow::ActLogCopyExecute() { ui::Send(log_->Handle(), WM_COPY, 0, 0); }
void MainWindow::ActLogPasteExecute() { ui::Send(log_->Handle(), WM_PASTE, 0, 0); }
void MainWindow::ActLogUndoExecute() { ui::Send(log_->Handle(), EM_UNDO, 0, 0); }

}  // namespace kestrova::app
