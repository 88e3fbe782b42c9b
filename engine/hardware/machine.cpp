#include "engine/hardware/machine.h"

#include <cmath>

#include "engine/core/context.h"
#include "engine/core/date_time.h"
#include "engine/core/format.h"
#include "engine/core/text.h"
#include "engine/inventory/devices.h"
#include "engine/os/shared_routines.h"

namespace kestrova {

namespace {
const char* const kBiosKey = "\\HARDWARE\\DESCRIPTION\\System";
const char* const kComputerNameKey = "\\SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName";
constexpr size_t kVkCapital = 0x14, kVkNumLock = 0x90, kVkScroll = 0x91;
}  // namespace

// --- TBIOS ------------------------------------------------------------------------------

TBIOS::TBIOS(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

void TBIOS::Refresh() {
  name_.clear(), date_.clear(), copyright_.clear(), extendedInfo_.clear();
  const EngineContext& c = Context();
  if (c.OSInfo.IsNT) {
    if (!c.Sys.Registry) return;
    auto text = [&](const char* value) {
      return ReadRegistryText(c.Sys, RootKey::LocalMachine, kBiosKey, value, false);
    };
    copyright_ = ReplaceAll(text("SystemBiosVersion"), "\r\n", " ");
    name_ = text("Identifier");
    date_ = text("SystemBiosDate");
    return;
  }
  // The ROM is read through the guarded reader: an unreadable range leaves all four empty.
  TDMA rom(c);
  if (!rom.Read(TSMBIOS::kFirmwareStart, 0x10000)) return;
  name_ = rom.ReadText(kNameAddress);
  date_ = rom.ReadText(kDateAddress);
  copyright_ = rom.ReadText(kCopyrightAddress);
  extendedInfo_ = rom.ReadText(kExtendedInfoAddress);
}

void TBIOS::WriteBlock(ReportWriter& out) const {
  out.OpenClass("BIOS", "TBIOS");
  out.String("Name", name_);
  out.String("Copyright", copyright_);
  out.String("Date", date_);
  out.String("Extended Info", extendedInfo_);
  out.CloseClass("BIOS");
}

// --- TMachine ---------------------------------------------------------------------------

TMachine::TMachine(const EngineContext& context)
    : TInformation(context), smbios_(std::make_unique<TSMBIOS>(context)), bios_(std::make_unique<TBIOS>(context)) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
  TDevices devices(context);
  devices.Refresh();
  for (const TDevice& d : devices.Devices()) {
    if (d.DeviceClass != kDeviceClassComputer) continue;
    computer_ = d.FriendlyName.empty() ? d.Description : d.FriendlyName;
    break;
  }
}

TMachine::~TMachine() = default;

void TMachine::Refresh(int mode) {
  const EngineContext& c = Context();
  bios_->Refresh();
  if (mode == 1) smbios_->Refresh(1);
  if (!c.Sys.System) return;
  const ISystem& sys = *c.Sys.System;
  const uint32_t ticks = sys.TickCount();
  lastBoot_ = EncodeDateTime(sys.Now()) - ticks / 1000.0 / 86400.0;
  if (!std::isfinite(lastBoot_)) lastBoot_ = 0;
  systemUpTime_ = ticks / 1000.0;

  name_ = sys.ComputerName().value_or("");
  if (c.Sys.Registry)
    if (auto v = c.Sys.Registry->QueryValue(RootKey::LocalMachine, kComputerNameKey, "ComputerName"))
      name_ = RegistryValueAsText(*v);
  name_ = Truncate(name_, 255);
  user_ = Truncate(sys.UserName().value_or(""), 255);

  // Toggled and not held down at this moment: the state byte is exactly 1.
  const auto keys = sys.KeyboardState();
  capsLock_ = keys[kVkCapital] == 1;
  numLock_ = keys[kVkNumLock] == 1;
  scrollLock_ = keys[kVkScroll] == 1;
}

std::string ShortDateTimeText(double dateTime, const LocaleFacts& locale) {
  const LocalTime t = DecodeDateTime(dateTime);
  const std::string& ts = locale.TimeSeparator;
  return ShortDateText(dateTime, locale) +
         Format(" %2.2d%s%2.2d%s%2.2d", t.Hour, ts.c_str(), t.Minute, ts.c_str(), t.Second);
}

void TMachine::WriteBlock(ReportWriter& out) const {
  out.OpenClass("Machine", "TMachine");
  out.String("Name", name_);
  out.String("User", user_);
  const LocaleFacts locale = Context().Sys.System ? Context().Sys.System->Locale() : LocaleFacts{};
  out.String("LastBoot", ShortDateTimeText(lastBoot_, locale));
  out.String("SystemUpTime", FormatDuration(std::llround(systemUpTime_), false));
  out.String("Computer", computer_);
  out.CloseClass("Machine");
  smbios_->WriteBlock(out);
  bios_->WriteBlock(out);
}

}  // namespace kestrova
