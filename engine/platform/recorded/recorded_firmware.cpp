#include "engine/platform/recorded/recorded_firmware.h"

#include "engine/core/text.h"
#include "engine/platform/recorded/ini_values.h"

namespace kestrova {

std::vector<uint8_t> RecordedFirmware::Bytes(uint64_t address, uint32_t length) const {
  // Physical memory that no recorded region covers reads as zeros, as unused ROM space does.
  auto bytes = memory_.Read(address, length);
  return bytes ? std::move(*bytes) : std::vector<uint8_t>(length, 0);
}

std::optional<std::vector<uint8_t>> RecordedFirmware::MapPhysicalView(uint64_t base, uint32_t length) {
  Journal.push_back(Format("map %llx %u", static_cast<unsigned long long>(base), length));
  if (!SectionOpens) return std::nullopt;
  return Bytes(base, length);
}

bool RecordedFirmware::LinearReadable(uint64_t address, uint32_t length, LinearCheck how) {
  const bool probe = how == LinearCheck::Probed;
  Journal.push_back(Format("%s %llx %u", probe ? "probe" : "query", static_cast<unsigned long long>(address), length));
  for (const auto& r : UnreadableRanges)
    if (address < r.second && address + length > r.first) return false;
  return probe ? ProbeCallsReadable : QueryCallsReadable;
}

std::vector<uint8_t> RecordedFirmware::CopyLinear(uint64_t address, uint32_t length) { return Bytes(address, length); }

bool RecordedFirmware::DirectoryExists(const std::string& path) {
  return Directories.count(ToUpperAscii(path)) != 0;
}

bool RecordedFirmware::MakeDirectory(const std::string& path) {
  Journal.push_back("mkdir " + path);
  return Directories.insert(ToUpperAscii(path)).second;
}

bool RecordedFirmware::RemoveEmptyDirectory(const std::string& path) {
  Journal.push_back("rmdir " + path);
  const std::string key = ToUpperAscii(path);
  for (const auto& f : Files)
    if (StartsWith(f.first, key + "\\")) return false;  // not empty
  return Directories.erase(key) != 0;
}

bool RecordedFirmware::WriteNewFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  Journal.push_back("write " + path);
  if (FileWritesFail) return false;
  Files[ToUpperAscii(path)] = bytes;
  return true;
}

std::optional<std::vector<uint8_t>> RecordedFirmware::ReadFileHead(const std::string& path, uint32_t maxBytes) {
  Journal.push_back("read " + path);
  auto it = Files.find(ToUpperAscii(path));
  if (it == Files.end()) return std::nullopt;
  const auto& b = it->second;
  return std::vector<uint8_t>(b.begin(), b.begin() + std::min<size_t>(b.size(), maxBytes));
}

bool RecordedFirmware::RemoveFile(const std::string& path) {
  Journal.push_back("delete " + path);
  return Files.erase(ToUpperAscii(path)) != 0;
}

bool RecordedFirmware::RunHidden(const std::string& commandLine, uint32_t /*timeoutMs*/) {
  Journal.push_back("run " + commandLine);
  if (!CommandInterpreterRuns) return false;
  const size_t c = commandLine.find(" /C "), redirect = commandLine.find(" > ");
  if (c == std::string::npos || redirect == std::string::npos || redirect < c) return true;
  const std::string program = ToUpperAscii(commandLine.substr(c + 4, redirect - c - 4));
  const std::string output = ToUpperAscii(commandLine.substr(redirect + 3));
  std::vector<uint8_t>& out = Files[output];  // the redirection creates the file in any case
  out.clear();
  auto it = Files.find(program);
  // The dump program starts "xor dx,dx; mov dh,V; mov ds,dx": it writes segment V*100h.
  if (it == Files.end() || it->second.size() != 46 || it->second[0] != 0x31 ||
      it->second[1] != 0xD2 || it->second[2] != 0xB6)
    return true;
  const uint64_t segmentBase = uint64_t{it->second[3]} << 12;
  out = Bytes(segmentBase, 0x10000);
  out.resize(std::min<size_t>(out.size(), DumpLength));
  return true;
}

bool ApplyFirmwareSection(RecordedFirmware& f, const IniSection& s, const std::string& file) {
  if (!EqualsNoCase(s.Name, "firmware")) return false;
  for (const IniEntry& e : s.Entries) {
    auto flag = [&] { return IniUnsigned(e, file, 1) == 1; };
    if (EqualsNoCase(e.Key, "SectionOpens")) f.SectionOpens = flag();
    else if (EqualsNoCase(e.Key, "QueryReadable")) f.QueryCallsReadable = flag();
    else if (EqualsNoCase(e.Key, "ProbeReadable")) f.ProbeCallsReadable = flag();
    else if (EqualsNoCase(e.Key, "CommandRuns")) f.CommandInterpreterRuns = flag();
    else if (EqualsNoCase(e.Key, "FileWrites")) f.FileWritesFail = !flag();
    else if (EqualsNoCase(e.Key, "DumpLength")) f.DumpLength = static_cast<uint32_t>(IniUnsigned(e, file, 0x10000));
    else if (EqualsNoCase(e.Key, "Unreadable")) {
      const size_t comma = e.Value.find(',');
      if (comma == std::string::npos) IniFail(e, file, "Unreadable is ADDRESS,LENGTH: " + e.Value);
      IniEntry a = e, l = e;
      a.Value = Trim(e.Value.substr(0, comma));
      l.Value = Trim(e.Value.substr(comma + 1));
      const uint64_t from = IniUnsigned(a, file, UINT64_MAX);
      const uint64_t length = IniUnsigned(l, file, 0xFFFFFFFFu);
      if (from + length < from) IniFail(e, file, "the range passes the end of the address space: " + e.Value);
      f.UnreadableRanges.emplace_back(from, from + length);
    } else {
      IniFail(e, file, "unknown key '" + e.Key + "' in [firmware]");
    }
  }
  return true;
}

}  // namespace kestrova
