#include "sections/folder_sections.h"

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/core/text.h"
#include "sections/categories.h"

namespace kestrova {

namespace {

struct ShellFolderLine {
  const char* Label;
  int Csidl;
};
// label                                                  CSIDL
constexpr ShellFolderLine kShellFolderLines[] = {
    {"Répertoire \"Applications / Tous utilisateurs\"", 35},  // CSIDL_COMMON_APPDATA
    {"Répertoire \"Documents / Tous utilisateurs\"", 46},     // CSIDL_COMMON_DOCUMENTS
    {"Répertoire \"Ma musiques / Tous utilisateurs\"", 53},   // CSIDL_COMMON_MUSIC
    {"Répertoire \"Mes Images / Tous utilisateurs\"", 54},    // CSIDL_COMMON_PICTURES
    {"Répertoire \"Données applications\"", 26},              // CSIDL_APPDATA
    {"Répertoire \"Mes Documents / Utilisateur actuel\"", 5}, // CSIDL_PERSONAL
    {"Répertoire \"Ma musique / Utilisateur actuel\"", 13},   // CSIDL_MYMUSIC
    {"Répertoire \"Mes Images / Utilisateur actuel\"", 39},   // CSIDL_MYPICTURES
};

const Platform& PlatformOf(SectionContext& ctx) { return ctx.Engine.Context().Sys; }

void UserFoldersBody(SectionContext& ctx) {
  const IShell& shell = *PlatformOf(ctx).Shell;
  for (const auto& line : kShellFolderLines)
    ctx.Log.AddLogLine(kLevelItem, std::string(line.Label) + " = " + ShellFolderText(shell, line.Csidl),
                       kColourBlack);
}

// The listings name fixed paths, not what the system reports as its drive or its
// program-files folder.
const char* const kRootFolder = "c:\\";
const char* const kProgramFilesFolder = "c:\\program files";

bool FolderExists(SectionContext& ctx, const char* folder) {
  auto attrs = PlatformOf(ctx).Files->Attributes(folder);
  return attrs && (*attrs & kAttrDirectory);
}

// Folders directly inside `folder`, in the file system's order; a folder that is both
// hidden and system is left out. Each one found lets pending input run, and "Stop" ends
// the listing after the line of the folder being reported.
void ListFolders(SectionContext& ctx, const char* folder) {
  auto entries = PlatformOf(ctx).Files->ListDirectory(folder);
  if (!entries) return;
  for (const DirectoryEntry& e : *entries) {
    if (!(e.Attributes & kAttrDirectory) || e.Name == "." || e.Name == "..") continue;
    if ((e.Attributes & kAttrHidden) && (e.Attributes & kAttrSystem)) continue;
    ctx.Host.SetStatusText(e.Name);
    ctx.Log.AddLogLine(kLevelItem, "\\" + ToLowerAscii(e.Name) + "\\", kColourBlack);
    if (ctx.Flags.StopRequested) return;
  }
}

}  // namespace

std::string ShellFolderText(const IShell& shell, int csidl) {
  std::string path = shell.SpecialFolderPathNoCreate(csidl).value_or("");
  size_t nul = path.find('\0');
  if (nul != std::string::npos) path.resize(nul);
  if (path.find('\\') == std::string::npos) return {};
  if (path.back() != '\\') path += '\\';
  return path;
}

const SectionWriter kUserFoldersWriter = {kCatUserFolders, nullptr, UserFoldersBody};

const SectionWriter kRootFoldersWriter = {
    kCatRootFolders, nullptr, [](SectionContext& ctx) { ListFolders(ctx, kRootFolder); }, false,
    [](SectionContext& ctx) { return FolderExists(ctx, kRootFolder); }};

const SectionWriter kProgramFilesFoldersWriter = {
    kCatProgramFilesFolders, nullptr,
    [](SectionContext& ctx) { ListFolders(ctx, kProgramFilesFolder); }, false,
    [](SectionContext& ctx) { return FolderExists(ctx, kProgramFilesFolder); }};

}  // namespace kestrova
