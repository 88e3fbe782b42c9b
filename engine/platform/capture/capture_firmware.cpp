#include "engine/platform/capture/capture_firmware.h"

#include "engine/core/text.h"

namespace kestrova {

void CapturingFirmware::Keep(uint64_t base, const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return;
  auto& held = regions_[base];
  if (bytes.size() >= held.size()) held = bytes;
}

std::optional<std::vector<uint8_t>> CapturingFirmware::MapPhysicalView(uint64_t base, uint32_t length) {
  auto view = inner_.MapPhysicalView(base, length);
  if (sectionOpens_ && *sectionOpens_ != view.has_value()) sectionMixed_ = true;
  if (!sectionOpens_ || view) sectionOpens_ = view.has_value();
  if (view) Keep(base, *view);
  return view;
}

bool CapturingFirmware::LinearReadable(uint64_t address, uint32_t length, LinearCheck how) {
  const bool ok = inner_.LinearReadable(address, length, how);
  auto& seen = how == LinearCheck::Probed ? probeReadable_ : queryReadable_;
  auto& refused = how == LinearCheck::Probed ? refusedProbe_ : refusedQuery_;
  if (!seen || ok) seen = ok;  // readable once: the knob stays on, the refused ranges say where
  if (!ok) refused.emplace_back(address, length);
  return ok;
}

std::vector<uint8_t> CapturingFirmware::CopyLinear(uint64_t address, uint32_t length) {
  auto bytes = inner_.CopyLinear(address, length);
  Keep(address, bytes);
  return bytes;
}

bool CapturingFirmware::WriteNewFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  const bool ok = inner_.WriteNewFile(path, bytes);
  if (!fileWrites_ || !ok) fileWrites_ = ok;
  if (ok) programs_[ToUpperAscii(path)] = bytes;
  return ok;
}

bool CapturingFirmware::RunHidden(const std::string& commandLine, uint32_t timeoutMs) {
  const bool ok = inner_.RunHidden(commandLine, timeoutMs);
  if (!commandRuns_ || !ok) commandRuns_ = ok;
  // "<interpreter> /C <program> > <output>": the dump program names its segment in its
  // fourth byte ("xor dx,dx; mov dh,V; mov ds,dx").
  const size_t c = commandLine.find(" /C "), redirect = commandLine.find(" > ");
  if (ok && c != std::string::npos && redirect != std::string::npos && redirect > c) {
    auto program = programs_.find(ToUpperAscii(commandLine.substr(c + 4, redirect - c - 4)));
    if (program != programs_.end() && program->second.size() >= 4)
      dumps_[ToUpperAscii(commandLine.substr(redirect + 3))] = uint64_t{program->second[3]} << 12;
  }
  return ok;
}

std::optional<std::vector<uint8_t>> CapturingFirmware::ReadFileHead(const std::string& path, uint32_t maxBytes) {
  auto bytes = inner_.ReadFileHead(path, maxBytes);
  auto dump = dumps_.find(ToUpperAscii(path));
  if (bytes && dump != dumps_.end()) {
    Keep(dump->second, *bytes);
    if (bytes->size() < 0x10000 && bytes->size() < maxBytes) dumpLength_ = static_cast<uint32_t>(bytes->size());
  }
  return bytes;
}

void CapturingFirmware::Write(CaptureOutput& out) const {
  for (const auto& [base, bytes] : regions_) {
    if (base > 0xFFFFFFFFu) {
      out.Note(Format("memory at 0x%llX: an image name holds 32-bit addresses only; left out",
                      static_cast<unsigned long long>(base)));
      continue;
    }
    out.SetFile(Format("memory-%08llX.bin", static_cast<unsigned long long>(base)),
                std::string(bytes.begin(), bytes.end()));
  }
  if (sectionOpens_ && !*sectionOpens_) out.Add("firmware", "SectionOpens", "0");
  if (sectionMixed_) out.Note("[firmware] the physical-memory section opened only some of the times");
  if (queryReadable_ && !*queryReadable_) out.Add("firmware", "QueryReadable", "0");
  if (probeReadable_ && !*probeReadable_) out.Add("firmware", "ProbeReadable", "0");
  // Ranges refused where the same check accepted others: the replay refuses them both ways.
  for (const auto* refused : {&refusedQuery_, &refusedProbe_}) {
    const bool knobOn = refused == &refusedQuery_ ? queryReadable_.value_or(false) : probeReadable_.value_or(false);
    if (!knobOn) continue;
    for (const auto& [address, length] : *refused)
      out.Add("firmware", "Unreadable", Format("0x%llX,%u", static_cast<unsigned long long>(address), length));
  }
  if (commandRuns_ && !*commandRuns_) out.Add("firmware", "CommandRuns", "0");
  if (fileWrites_ && !*fileWrites_) out.Add("firmware", "FileWrites", "0");
  if (dumpLength_) out.Add("firmware", "DumpLength", std::to_string(*dumpLength_));
}

}  // namespace kestrova
