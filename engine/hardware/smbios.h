#pragma once
// TSMBIOS: finds the SMBIOS ("_SM_") or legacy DMI ("_DMI_") entry point in the firmware
// area, walks the structure table and decodes what the machine report needs. All memory
// is read through two TDMA readers: A holds the firmware area, B the structure table.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/information.h"
#include "engine/core/set.h"
#include "engine/hardware/dma.h"

namespace kestrova {

enum class TChassis : uint8_t {
  smchOther, smchUnknown, smchDesktop, smchLowProfileDesktop, smchPizzaBox, smchMiniTower,
  smchTower, smchPortable, smchLapTop, smchNotebook, smchHandHeld, smchDockingStation,
  smchAllInOne, smchSubNotebook, smchSpaceSaving, smchLunchBox, smchMainServer, smchExpansion,
  smchSubChassis, smchBusExpansion, smchPeripheral, smchRAID, smchRackMount, smchSealedCasePC,
  smchMultiSystem
};
enum class TInterleaveSupport : uint8_t {
  smisOther, smisUnknown, smisOnewWay, smisTwoWay, smisFourWay, smisEightWay, smisSixteenWay
};
enum class TMemorySpeed : uint8_t { smmsOther, smmsUnknown, smms70ns, smms60ns, smms50ns };
enum class TMemoryType : uint8_t {
  smmtOther, smmtUnknown, smmtStandard, smmtFastPageMode, smmtEDO, smmtParity, smmtECC,
  smmtSIMM, smmtDIMM, smmtBurstEDO, smmtSDRAM
};
enum class TVoltage : uint8_t { smv5V, smv33V, smv29V };
enum class TMemoryTypeDetail : uint8_t {
  smtdReserved, smtdOther, smtdUnknown, smtdFastPaged, smtdStaticColumn, smtdPseudoStatic,
  smtdRAMBUS, smtdSynchronous, smtdCMOS, smtdEDO, smtdWindowDRAM, smtdCacheDRAM,
  smtdNonVolatile
};
using TMemorySpeeds = EnumSet<TMemorySpeed, 5>;
using TMemoryTypes = EnumSet<TMemoryType, 11>;
using TVoltages = EnumSet<TVoltage, 3>;
using TMemoryTypeDetails = EnumSet<TMemoryTypeDetail, 13>;

// Name tables (index = stored value); a value past the end renders as "unknown(%d)".
extern const char* const kChassisNames[25];
extern const char* const kInterleaveNames[7];
extern const char* const kVoltageNames[3];
extern const char* const kMemorySpeedNames[5];
extern const char* const kUpgradeInterfaceNames[17];
extern const char* const kFormFactorNames[14];
extern const char* const kMemoryDeviceNames[18];
extern const char* const kMemoryTypeNames[11];
extern const char* const kTypeDetailNames[13];
extern const char* const kConnectorNames[40];
extern const char* const kPortTypeNames[35];
extern const char* const kSlotTypeNames[24];
extern const char* const kDataBusNames[7];
extern const char* const kSlotUsageNames[4];
extern const char* const kSlotLengthNames[4];
extern const char* const kSRAMTypeNames[7];
extern const char* const kCacheTypeNames[5];
extern const char* const kAssociativityNames[8];
extern const char* const kOnBoardDeviceNames[7];

// "BIOS Information" ... "End-of-Table"; "Unknown" for types without a name.
const char* StructureTypeName(uint8_t type);

struct TStructureIndexEntry {
  uint32_t Address = 0;
  uint8_t Type = 0;
  uint8_t Length = 0;
  uint16_t Handle = 0;
  std::string Name;
};

struct TProcessorInfo {
  std::string Socket, Manufacturer, Version;
  double Voltage = 0;
  uint8_t UpgradeInterface = 0;
  uint16_t ExternalFrequency = 0, Frequency = 0;
  std::string SerialNumber, AssetTag, PartNumber;
};

struct TMemoryModule {
  std::string Bank;
  uint8_t Speed = 0;
  TMemoryTypes Type;
  uint32_t Size = 0;
};

struct TCacheInfo {
  std::string Socket;
  uint16_t MaxSize = 0, InstalledSize = 0;
  uint8_t SRAMType = 0, Speed = 0, Type = 1, Associativity = 1;
};

struct TPortConnector {
  std::string InternalDesignator;
  uint8_t InternalConnector = 0;
  std::string ExternalDesignator;
  uint8_t ExternalConnector = 0;
  uint8_t Type = 0;
};

struct TSystemSlot {
  std::string Designation;
  uint8_t Type = 0, DataBus = 0, CurrentUsage = 0, SlotLength = 0;
  uint16_t SlotID = 0;
};

struct TOnBoardDevice {
  uint8_t Type = 0;
  bool Status = false;
  std::string Description;
};

struct TMemoryDevice {
  uint16_t TotalWidth = 0, DataWidth = 0, Size = 0;
  uint8_t FormFactor = 0;
  std::string DeviceLocator, BankLocator;
  uint8_t Device = 0;
  TMemoryTypeDetails TypeDetails;
  uint16_t Speed = 0;
  std::string Manufacturer, SerialNumber, AssetTag, PartNumber;
};

struct TTemperatureProbe {
  std::string Description;
  uint8_t Location = 0, Status = 0;
  uint16_t Maximum = 0, Minimum = 0, Resolution = 0, Tolerance = 0, Accuracy = 0, NominalValue = 0;
};

// Everything a refresh decodes; reset at the start of each one.
struct TSMBIOSValues {
  std::string BIOSVendor, BIOSVersion, BIOSDate;
  uint32_t BIOSSize = 0;
  std::string SystemManufacturer, SystemModel, SystemVersion, SystemSerial, SystemUUID;
  std::string MainBoardManufacturer, MainBoardModel, MainBoardVersion, MainBoardSerial,
      MainBoardAssetTag, MainBoardLocationInChassis;
  TChassis ChassisModel = TChassis::smchUnknown;
  std::string ChassisManufacturer, ChassisVersion, ChassisSerial, ChassisAssetTag;
  TInterleaveSupport MemCtrlSupportedInterleave = TInterleaveSupport::smisUnknown;
  TInterleaveSupport MemCtrlCurrentInterleave = TInterleaveSupport::smisUnknown;
  uint16_t MemCtrlMaxSize = 0;
  TMemorySpeeds MemCtrlSupportedSpeeds;
  TMemoryTypes MemCtrlSupportedTypes;
  TVoltages MemCtrlSupportedVoltages;
  uint8_t MemCtrlSlotCount = 0;

  uint32_t EntryPointAddress = 0, StructureTableAddress = 0;
  uint16_t StructureCount = 0, TableLength = 0;
  uint8_t MajorVersion = 0, MinorVersion = 0;
  std::string Version;

  std::vector<TStructureIndexEntry> Index;
  std::vector<TProcessorInfo> Processors;
  std::vector<TMemoryModule> MemoryModules;
  std::vector<TCacheInfo> Caches;
  std::vector<TPortConnector> Ports;
  std::vector<TSystemSlot> SystemSlots;
  std::vector<TOnBoardDevice> OnBoardDevices;
  std::vector<TMemoryDevice> MemoryDevices;
  std::vector<TTemperatureProbe> TemperatureProbes;
};

// The walk over a loaded table: one index entry per structure met (see the .cpp for
// every bound). `start` is the table's address, `limit` its length in bytes, `maxCount`
// how many entries are recorded at most.
std::vector<TStructureIndexEntry> WalkStructureTable(const TDMA& table, uint32_t start,
                                                     uint32_t limit, uint32_t maxCount);
// Decodes the structures the index names into `values` (lists appended, first-only
// types filled once).
void DecodeStructures(const TDMA& table, TSMBIOSValues& values);

class TSMBIOS : public TInformation {
 public:
  static constexpr uint32_t kFirmwareStart = 0xF0000;
  static constexpr uint32_t kFirmwareLength = 0xFFFF;

  explicit TSMBIOS(const EngineContext& context);
  ~TSMBIOS() override;

  // Mode 1 locates the entry point and loads the table; any other mode decodes what
  // reader B holds, taking its whole buffer as the table.
  void Refresh(int mode);
  // The area mode 1 searches for the entry point: the firmware's 64 KB at F0000h unless
  // narrowed (a harness that lays small inputs there need not copy 64 KB for each).
  void SetSearchArea(uint32_t start, uint32_t length) { areaStart_ = start, areaLength_ = length; }

  const TSMBIOSValues& Values() const { return v_; }

  const std::string& BIOSVendor() const { return v_.BIOSVendor; }
  const std::string& BIOSVersion() const { return v_.BIOSVersion; }
  const std::string& BIOSDate() const { return v_.BIOSDate; }
  uint32_t BIOSSize() const { return v_.BIOSSize; }
  const std::string& SystemManufacturer() const { return v_.SystemManufacturer; }
  const std::string& SystemModel() const { return v_.SystemModel; }
  const std::string& SystemVersion() const { return v_.SystemVersion; }
  const std::string& SystemSerial() const { return v_.SystemSerial; }
  const std::string& SystemUUID() const { return v_.SystemUUID; }
  const std::string& MainBoardManufacturer() const { return v_.MainBoardManufacturer; }
  const std::string& MainBoardModel() const { return v_.MainBoardModel; }
  const std::string& MainBoardVersion() const { return v_.MainBoardVersion; }
  const std::string& MainBoardSerial() const { return v_.MainBoardSerial; }
  const std::string& MainBoardAssetTag() const { return v_.MainBoardAssetTag; }
  const std::string& MainBoardLocationInChassis() const { return v_.MainBoardLocationInChassis; }
  TChassis ChassisModel() const { return v_.ChassisModel; }
  const std::string& ChassisManufacturer() const { return v_.ChassisManufacturer; }
  const std::string& ChassisVersion() const { return v_.ChassisVersion; }
  const std::string& ChassisSerial() const { return v_.ChassisSerial; }
  const std::string& ChassisAssetTag() const { return v_.ChassisAssetTag; }
  TInterleaveSupport MemCtrlSupportedInterleave() const { return v_.MemCtrlSupportedInterleave; }
  TInterleaveSupport MemCtrlCurrentInterleave() const { return v_.MemCtrlCurrentInterleave; }
  uint16_t MemCtrlMaxSize() const { return v_.MemCtrlMaxSize; }
  TMemorySpeeds MemCtrlSupportedSpeeds() const { return v_.MemCtrlSupportedSpeeds; }
  TMemoryTypes MemCtrlSupportedTypes() const { return v_.MemCtrlSupportedTypes; }
  TVoltages MemCtrlSupportedVoltages() const { return v_.MemCtrlSupportedVoltages; }
  uint8_t MemCtrlSlotCount() const { return v_.MemCtrlSlotCount; }

  uint8_t ProcessorCount() const { return CountOf(v_.Processors); }
  uint8_t MemoryModuleCount() const { return CountOf(v_.MemoryModules); }
  uint8_t MemoryDeviceCount() const { return CountOf(v_.MemoryDevices); }
  uint8_t PortCount() const { return CountOf(v_.Ports); }
  uint8_t SystemSlotCount() const { return CountOf(v_.SystemSlots); }
  uint8_t CacheCount() const { return CountOf(v_.Caches); }
  uint8_t OnBoardDeviceCount() const { return CountOf(v_.OnBoardDevices); }
  uint8_t TemperatureProbeCount() const { return CountOf(v_.TemperatureProbes); }

  // Copies of record i; an index outside the list gives an empty record.
  TProcessorInfo Processor(size_t i) const { return At(v_.Processors, i); }
  TMemoryModule MemoryModule(size_t i) const { return At(v_.MemoryModules, i); }
  TMemoryDevice MemoryDevice(size_t i) const { return At(v_.MemoryDevices, i); }
  TCacheInfo Cache(size_t i) const { return At(v_.Caches, i); }
  TPortConnector Port(size_t i) const { return At(v_.Ports, i); }
  TSystemSlot SystemSlot(size_t i) const { return At(v_.SystemSlots, i); }
  TOnBoardDevice OnBoardDevice(size_t i) const { return At(v_.OnBoardDevices, i); }
  TTemperatureProbe TemperatureProbe(size_t i) const { return At(v_.TemperatureProbes, i); }

  uint32_t EntryPointAddress() const { return v_.EntryPointAddress; }
  uint32_t StructureTableAddress() const { return v_.StructureTableAddress; }
  uint16_t StructureCount() const { return v_.StructureCount; }
  uint16_t TableLength() const { return v_.TableLength; }
  const std::string& Version() const { return v_.Version; }
  uint8_t MajorVersion() const { return v_.MajorVersion; }
  uint8_t MinorVersion() const { return v_.MinorVersion; }
  const std::vector<TStructureIndexEntry>& Index() const { return v_.Index; }

  static std::string MemoryTypesText(TMemoryTypes types);
  static std::string TypeDetailsText(TMemoryTypeDetails details);

  TDMA& ReaderA() { return *readerA_; }
  TDMA& ReaderB() { return *readerB_; }

 protected:
  void WriteBlock(ReportWriter& out) const override;
  std::vector<TInformation*> OwnedObjects() override { return {readerA_.get(), readerB_.get()}; }

 private:
  friend class TMachine;  // writes this block after its own
  template <typename T>
  static uint8_t CountOf(const std::vector<T>& list) { return static_cast<uint8_t>(list.size()); }
  template <typename T>
  static T At(const std::vector<T>& list, size_t i) { return i < list.size() ? list[i] : T{}; }

  std::unique_ptr<TDMA> readerA_, readerB_;
  uint32_t areaStart_ = kFirmwareStart, areaLength_ = kFirmwareLength;
  TSMBIOSValues v_;
};

}  // namespace kestrova
