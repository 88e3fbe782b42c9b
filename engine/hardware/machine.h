#pragma once
// TBIOS (BIOS name, date, copyright: registry on NT, fixed ROM addresses on 9x) and
// TMachine (names, boot time, uptime, keyboard locks, the "Computer" device; owner of
// TSMBIOS and TBIOS).
#include <memory>
#include <string>

#include "engine/core/information.h"
#include "engine/hardware/smbios.h"
#include "engine/platform/system.h"

namespace kestrova {

class TBIOS : public TInformation {
 public:
  // Where the 9x family finds the BIOS strings in the ROM.
  static constexpr uint32_t kNameAddress = 0xFE061;
  static constexpr uint32_t kDateAddress = 0xFFFF5;
  static constexpr uint32_t kCopyrightAddress = 0xFE091;
  static constexpr uint32_t kExtendedInfoAddress = 0xFEC71;

  explicit TBIOS(const EngineContext& context);
  void Refresh();

  const std::string& Name() const { return name_; }
  const std::string& Date() const { return date_; }
  const std::string& Copyright() const { return copyright_; }
  const std::string& ExtendedInfo() const { return extendedInfo_; }

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  friend class TMachine;  // writes this block after its own
  std::string name_, date_, copyright_, extendedInfo_;
};

class TMachine : public TInformation {
 public:
  // Reads the "Computer" device description once, here.
  explicit TMachine(const EngineContext& context);
  ~TMachine() override;

  // Mode 1 also reads the SMBIOS tables anew.
  void Refresh(int mode);

  const std::string& Name() const { return name_; }
  const std::string& User() const { return user_; }
  double LastBoot() const { return lastBoot_; }  // days since 30/12/1899
  double SystemUpTime() const { return systemUpTime_; }  // seconds
  bool CapsLock() const { return capsLock_; }
  bool NumLock() const { return numLock_; }
  bool ScrollLock() const { return scrollLock_; }
  const std::string& Computer() const { return computer_; }
  TSMBIOS& SMBIOS() const { return *smbios_; }
  TBIOS& BIOS() const { return *bios_; }

 protected:
  void WriteBlock(ReportWriter& out) const override;
  std::vector<TInformation*> OwnedObjects() override { return {smbios_.get(), bios_.get()}; }

 private:
  std::unique_ptr<TSMBIOS> smbios_;
  std::unique_ptr<TBIOS> bios_;
  std::string name_, user_, computer_;
  double lastBoot_ = 0, systemUpTime_ = 0;
  bool capsLock_ = false, numLock_ = false, scrollLock_ = false;
};

// The date and time as the report text writes them: dd/mm/yyyy hh:mm:ss with the user's
// separators.
// The system's short date (LOCALE_SSHORTDATE; dd/MM/yyyy with the date separator when the
// locale gives none), a blank, then hh:mm:ss with the time separator.
std::string ShortDateTimeText(double dateTime, const LocaleFacts& locale);

}  // namespace kestrova
