#include "engine/hardware/smbios.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "engine/core/set_text.h"
#include "engine/core/text.h"

namespace kestrova {

// --- name tables ------------------------------------------------------------------------
// index = stored value (SMBIOS code - 1 where the field is an enumeration)

// ChassisModel
const char* const kChassisNames[25] = {
    "Other", "Unknown", "Desktop", "Low Profile Desktop", "Pizza Box", "Mini Tower", "Tower",
    "Portable", "LapTop", "Notebook", "Hand Held", "Docking Station", "All in One",
    "SubNotebook", "Space-Saving", "Lunch Box", "Main Server Chassis", "Expansion Chassis",
    "SubChassis", "Bus Expansion Chassis", "Peripheral Chassis", "RAID Chassis",
    "Rack-Mount Chassis", "Sealed-case PC", "Multi-system Chassis"};
// interleave
const char* const kInterleaveNames[7] = {"Other", "Unknown", "1-Way", "2-Way", "4-Way", "8-Way", "16-Way"};
// voltages (set)
const char* const kVoltageNames[3] = {"5V", "3.3V", "2.9V"};
// speeds (set)
const char* const kMemorySpeedNames[5] = {"Other", "Unknown", "70ns", "60ns", "50ns"};
// UpgradeInterface
const char* const kUpgradeInterfaceNames[17] = {
    "Other", "Unknown", "Daughter Board", "ZIF Socket", "Replaceable Piggy Back", "None",
    "LIF Socket", "Slot 1", "Slot 2", "370-pin Socket", "Slot A", "Slot M", "Socket 423",
    "Socket A (Socket 462)", "Socket 478", "Socket 754", "Socket 940"};
// FormFactor
const char* const kFormFactorNames[14] = {
    "Other", "Unknown", "SIMM", "SIP", "Chip", "DIP", "ZIP", "PropCard", "DIMM", "TSOP",
    "RowChip", "RIMM", "SODIMM", "SRIMM"};
// Device
const char* const kMemoryDeviceNames[18] = {
    "Other", "Unknown", "DRAM", "EDRAM", "VRAM", "SRAM", "RAM", "ROM", "FLASH", "EEPROM",
    "FEPROM", "EPROM", "CDRAM", "3DRAM", "SDRAM", "SGRAM", "RDRAM", "DDR"};
// memory types (set)
const char* const kMemoryTypeNames[11] = {
    "Other", "Unknown", "Standard", "Fast Page Mode", "EDO", "Parity", "ECC", "SIMM", "DIMM",
    "Burst EDO", "SDRAM"};
// TypeDetails (set)
const char* const kTypeDetailNames[13] = {
    "Reserved", "Other", "Unknown", "FastPaged", "StaticColumn", "PseudoStatic", "RAMBUS",
    "Synchronous", "CMOS", "EDO", "WindowDRAM", "CacheDRAM", "NonVolatile"};
// connectors
const char* const kConnectorNames[40] = {
    "None", "Centronics", "Mini Centronics", "Proprietary", "DB-25 pin male",
    "DB-25 pin female", "DB-15 pin male", "DB-15 pin female", "DB-9 pin male",
    "DB-9 pin female", "RJ-11", "RJ-45", "50 Pin MiniSCSI", "Mini-DIN", "Micro-DIN", "PS/2",
    "Infrared", "HP-HIL", "Access Bus (USB)", "SSA SCSI", "Circular DIN-8 male",
    "Circular DIN-8 female", "On Board IDE", "On Board Floppy", "9 Pin Dual Inline (pin 10 cut)",
    "25 Pin Dual Inline (pin 26 cut)", "50 Pin Dual Inline", "68 Pin Dual Inline",
    "On Board Sound Input from CD-ROM", "Mini-Centronics Type-14", "Mini-Centronics Type-26",
    "Mini-jack (headphones)", "BNC", "1394", "PC-98", "PC-98Hireso", "PC-H98", "PC-98Note",
    "PC-98Full", "Other"};
// port Type
const char* const kPortTypeNames[35] = {
    "None", "Parallel Port XT/AT Compatible", "Parallel Port PS/2", "Parallel Port ECP",
    "Parallel Port EPP", "Parallel Port ECP/EPP", "Serial Port XT/AT Compatible",
    "Serial Port 16450 Compatible", "Serial Port 16550 Compatible",
    "Serial Port 16550A Compatible", "SCSI Port", "MIDI Port", "Joy Stick Port",
    "Keyboard Port", "Mouse Port", "SSA SCSI", "USB", "FireWire (IEEE P1394)", "PCMCIA Type I",
    "PCMCIA Type II", "PCMCIA Type III", "Cardbus", "Access Bus Port", "SCSI II", "SCSI Wide",
    "PC-98", "PC-98-Hireso", "PC-H98", "Video Port", "Audio Port", "Modem Port",
    "Network Port", "8251 Compatible", "8251 FIFO Compatible", "Other"};
// slot Type
const char* const kSlotTypeNames[24] = {
    "Other", "Unknown", "ISA", "MCA", "EISA", "PCI", "PC Card (PCMCIA)", "VL-VESA",
    "Proprietary", "Processor Card Slot", "Proprietary Memory Card", "I/O Riser Card Slot",
    "NuBus", "PCI - 66MHz Capable", "AGP", "AGP 2X", "AGP 4X", "PCI-X", "AGP 8X", "PC-98/C20",
    "PC-98/C24", "PC-98/E", "PC-98/Local Bus", "PC-98/Card"};
// DataBus
const char* const kDataBusNames[7] = {"Other", "Unknown", "8 bit", "16 bit", "32 bit", "64 bit", "128 bit"};
// CurrentUsage
const char* const kSlotUsageNames[4] = {"Other", "Unknown", "Available", "InUse"};
// SlotLength
const char* const kSlotLengthNames[4] = {"Other", "Unknown", "Short", "Long"};
// SRAMType
const char* const kSRAMTypeNames[7] = {
    "Other", "Unknown", "Non-Burst", "Burst", "Pipeline Burst", "Synchronous", "Asynchronous"};
// cache Type
const char* const kCacheTypeNames[5] = {"Other", "Unknown", "Instruction", "Data", "Unified"};
// Associativity
const char* const kAssociativityNames[8] = {
    "Other", "Unknown", "Direct Mapped", "2-way Set-Associative", "4-way Set-Associative",
    "Fully Associative", "8-way Set-Associative", "16-way Set-Associative"};
// on-board device Type
const char* const kOnBoardDeviceNames[7] = {"Other", "Unknown", "Video", "SCSICrl", "Ethernet", "TokenRing", "Sound"};

const char* StructureTypeName(uint8_t type) {
  struct Row { uint8_t Type; const char* Name; };
  // type  name
  static const Row kRows[] = {
      {0, "BIOS Information"}, {1, "System Information"}, {2, "Base Board Information"},
      {3, "System Enclosure or Chassis"}, {4, "Processor Information"},
      {5, "Memory Controller Information"}, {6, "Memory Module Information"},
      {7, "Cache Information"}, {8, "Port Connector Information"}, {9, "System Slots"},
      {10, "On Board Devices Information"}, {11, "OEM Strings"},
      {12, "System Configuration Options"}, {13, "BIOS Language Information"},
      {14, "Group Associations"}, {15, "System Event Log"}, {16, "Physical Memory Array"},
      {17, "Memory Device"}, {18, "32-bit Memory Error Information"},
      {19, "Memory Array Mapped Address"}, {20, "Memory Device Mapped Address"},
      {21, "Built-in Pointing Device"}, {22, "Portable Battery"}, {23, "System Reset"},
      {24, " Hardware Security"}, {25, "System Power Controls"}, {26, "Voltage Probe"},
      {27, " Cooling Device"}, {28, "Temperature Probe"}, {29, "Electrical Current Probe"},
      {30, "Out-of-Band Remote Access"}, {31, "Boot Integrity Services (BIS) Entry Point"},
      {32, "System Boot Information"}, {33, "64-bit Memory Error Information"},
      {34, "Management Device"}, {35, "Management Device Component"},
      {36, "Management Device Threshold Data"}, {37, "Memory Channel"},
      {38, "IPMI Device Information"}, {39, "System Power Supply"}, {126, "Inactive"},
      {127, "End-of-Table"}};
  for (const Row& r : kRows)
    if (r.Type == type) return r.Name;
  return "Unknown";
}

// --- the walk ---------------------------------------------------------------------------

namespace {

constexpr uint8_t kEndOfTable = 127;
constexpr uint8_t kMinimumLength = 4;  // type, length, handle

TStructureIndexEntry EntryAt(const TDMA& r, uint64_t address) {
  TStructureIndexEntry e;
  e.Address = static_cast<uint32_t>(address);
  e.Type = r.ReadByte(address);
  e.Length = r.ReadByte(address + 1);
  e.Handle = r.ReadWord(address + 2);
  e.Name = StructureTypeName(e.Type);
  return e;
}

}  // namespace

// Bounds: the walk stops when a structure lies outside the loaded range, when a length
// below 4 is met (it would overlap its own header), at End-of-Table, and once the offset
// reaches the table length. Each step moves at least two bytes forward, so a table of
// 65535 bytes has at most ~32768 steps; the string scan stops at the end of the range.
std::vector<TStructureIndexEntry> WalkStructureTable(const TDMA& r, uint32_t start, uint32_t limit,
                                                     uint32_t maxCount) {
  std::vector<TStructureIndexEntry> index;
  if (!r.InRange(start)) return index;
  // Room for the usual table at once (each structure takes at least four bytes).
  index.reserve(std::min<uint32_t>({maxCount, limit / 4 + 1, 128}));
  TStructureIndexEntry current = EntryAt(r, start);
  index.push_back(current);
  bool z = current.Type == 0;
  uint64_t d = 0;
  for (;;) {
    if (current.Length < kMinimumLength) break;
    d += current.Length;
    const uint64_t strings = uint64_t{start} + d;
    const uint8_t c = r.ReadByte(strings);
    if (current.Type == 5 && c > 5 && c != 0x20) {
      // Some tables give the memory controller no string set at all.
    } else {
      // The string set ends at two zero bytes (once a BIOS structure was met, at two zero
      // bytes followed by a non-zero one); on the buffer directly, byte by byte through
      // the range checks this loop would be most of the table's cost.
      const uint8_t* buf = r.Buffer().data();
      const uint64_t base = r.Position(), end = base + r.Size();
      uint64_t p = strings + 1;
      while (p >= base && p < end) {
        const uint8_t* q = buf + (p - base);
        if (*q != 0) {
          // Neither this position nor the next can end the set (each needs this byte to be
          // a zero at p or at p-1 + 1): skip to the next zero byte.
          const void* zero = std::memchr(q, 0, end - p);
          if (!zero) {
            p = end;
            break;
          }
          p += static_cast<const uint8_t*>(zero) - q;
          continue;
        }
        if (q[-1] == 0 && z) {
          // Inside a run of zeros the set ends just before the run's next non-zero byte
          // (or the run reaches the end): found a word at a time, not byte by byte.
          uint64_t next = p + 1;
          for (uint64_t w = 0; next + 8 <= end; next += 8) {
            std::memcpy(&w, buf + (next - base), 8);
            if (w != 0) break;
          }
          while (next < end && buf[next - base] == 0) ++next;
          p = next < end ? next - 1 : end;
          break;
        }
        if (q[-1] == 0) break;
        ++p;
      }
      d = p + 1 - start;
    }
    if (d >= limit || !r.InRange(uint64_t{start} + d)) break;
    current = EntryAt(r, uint64_t{start} + d);
    if (index.size() < maxCount) index.push_back(current);
    z = z || current.Type == 0;
    if (current.Type == kEndOfTable) break;
  }
  return index;
}

// --- decoding ---------------------------------------------------------------------------

namespace {

// One structure's formatted area. A field that does not lie wholly inside the length the
// structure declares reads as 0 (older tables have shorter structures; their string set
// starts where a newer field would be).
class Structure {
 public:
  Structure(const TDMA& r, const TStructureIndexEntry& e) : r_(r), at_(e.Address), length_(e.Length) {}
  uint8_t Length() const { return length_; }
  uint8_t Byte(unsigned off) const { return off + 1u <= length_ ? r_.ReadByte(at_ + off) : 0; }
  uint16_t Word(unsigned off) const { return off + 2u <= length_ ? r_.ReadWord(at_ + off) : 0; }
  std::string String(unsigned off) const { return r_.ReadString(uint64_t{at_} + length_, Byte(off)); }

 private:
  const TDMA& r_;
  uint32_t at_;
  uint8_t length_;
};

uint8_t Less1(uint8_t b) { return static_cast<uint8_t>(b - 1); }

// 2^n as an unsigned value of `bits` bits; 0 when it does not fit.
uint32_t PowerOfTwo(unsigned n, unsigned bits) { return n < bits ? (uint32_t{1} << n) : 0; }

uint16_t CacheSize(uint16_t w) {
  return (w & 0x8000) ? static_cast<uint16_t>((w & 0x7FFF) * 64) : w;
}

// Fields of SMBIOS 2.3 and later (serial numbers, part numbers, memory speed).
bool HasVersion23Fields(const TSMBIOSValues& v) { return v.MajorVersion > 2 || v.MinorVersion > 2; }

void DecodeBIOS(const Structure& s, TSMBIOSValues& v) {
  v.BIOSVendor = s.String(0x04);
  v.BIOSVersion = s.String(0x05);
  v.BIOSDate = s.String(0x08);
  v.BIOSSize = (uint32_t{s.Byte(0x09)} + 1) * 64;
}

void DecodeSystem(const Structure& s, TSMBIOSValues& v) {
  v.SystemManufacturer = s.String(0x04);
  v.SystemModel = s.String(0x05);
  v.SystemVersion = s.String(0x06);
  v.SystemSerial = s.String(0x07);
  if (s.Length() >= 0x18) {
    static const char kHex[] = "0123456789abcdef";
    v.SystemUUID.reserve(32);
    for (unsigned i = 0; i < 16; ++i) {
      const uint8_t b = s.Byte(0x08 + i);
      v.SystemUUID += kHex[b >> 4];
      v.SystemUUID += kHex[b & 0x0F];
    }
  }
}

void DecodeMainBoard(const Structure& s, TSMBIOSValues& v) {
  v.MainBoardManufacturer = s.String(0x04);
  v.MainBoardModel = s.String(0x05);
  v.MainBoardVersion = s.String(0x06);
  v.MainBoardSerial = s.String(0x07);
  v.MainBoardAssetTag = s.String(0x08);
  if (s.Length() > 9) v.MainBoardLocationInChassis = s.String(0x0A);
}

void DecodeChassis(const Structure& s, TSMBIOSValues& v) {
  v.ChassisModel = static_cast<TChassis>(Less1(s.Byte(0x05) & 0x7F));
  v.ChassisManufacturer = s.String(0x04);
  v.ChassisVersion = s.String(0x06);
  v.ChassisSerial = s.String(0x07);
  v.ChassisAssetTag = s.String(0x08);
}

void DecodeProcessor(const Structure& s, TSMBIOSValues& v) {
  TProcessorInfo p;
  p.Socket = s.String(0x04);
  p.Manufacturer = s.String(0x07);
  p.Version = s.String(0x10);
  const uint8_t volt = s.Byte(0x11);
  if (volt & 0x80) p.Voltage = (volt - 128) / 10.0;
  else if (volt & 0x01) p.Voltage = 5.0;
  else if (volt & 0x02) p.Voltage = 3.3;
  else if (volt & 0x04) p.Voltage = 2.9;
  p.UpgradeInterface = Less1(s.Byte(0x19));
  p.ExternalFrequency = s.Word(0x12);
  p.Frequency = s.Word(0x16);
  if (HasVersion23Fields(v)) {
    p.SerialNumber = s.String(0x20);
    p.AssetTag = s.String(0x21);
    p.PartNumber = s.String(0x22);
  }
  if (Trim(p.Version).empty()) p.Version = "Processor_" + std::to_string(v.Processors.size());
  v.Processors.push_back(std::move(p));
}

void DecodeMemoryController(const Structure& s, TSMBIOSValues& v) {
  v.MemCtrlSupportedInterleave = static_cast<TInterleaveSupport>(Less1(s.Byte(0x06)));
  v.MemCtrlCurrentInterleave = static_cast<TInterleaveSupport>(Less1(s.Byte(0x07)));
  v.MemCtrlMaxSize = static_cast<uint16_t>(PowerOfTwo(s.Byte(0x08), 16));
  v.MemCtrlSupportedSpeeds = TMemorySpeeds::FromBits(static_cast<uint8_t>(s.Word(0x09) & 0x1F));
  v.MemCtrlSupportedTypes = TMemoryTypes::FromBits(static_cast<uint16_t>(s.Word(0x0B) & 0x7FF));
  v.MemCtrlSupportedVoltages = TVoltages::FromBits(static_cast<uint8_t>(s.Byte(0x0D) & 0x07));
  v.MemCtrlSlotCount = s.Byte(0x0E);
}

void DecodeMemoryModule(const Structure& s, TSMBIOSValues& v) {
  TMemoryModule m;
  m.Bank = s.String(0x04);
  m.Speed = s.Byte(0x06);
  m.Type = TMemoryTypes::FromBits(static_cast<uint16_t>(s.Word(0x07) & 0x7FF));
  const unsigned n = s.Byte(0x09) & 0x7F;  // 7Dh-7Fh: not determinable, disabled, absent
  m.Size = n < 125 ? PowerOfTwo(n, 32) : 0;
  v.MemoryModules.push_back(std::move(m));
}

void DecodeCache(const Structure& s, TSMBIOSValues& v) {
  TCacheInfo c;
  c.Socket = s.String(0x04);
  c.MaxSize = CacheSize(s.Word(0x07));
  c.InstalledSize = CacheSize(s.Word(0x09));
  const uint16_t sram = s.Word(0x0D) & 0x7F;
  for (uint8_t bit = 0; bit < 7; ++bit)
    if (sram & (1u << bit)) c.SRAMType = bit;
  if (s.Length() > 15) {
    c.Speed = s.Byte(0x0F);
    const uint8_t type = s.Byte(0x11), assoc = s.Byte(0x12);
    c.Type = (type >= 1 && type <= 5) ? Less1(type) : 1;
    c.Associativity = (assoc >= 1 && assoc <= 8) ? Less1(assoc) : 1;
  }
  if (c.Socket.empty()) c.Socket = "Cache_" + std::to_string(v.Caches.size());
  v.Caches.push_back(std::move(c));
}

void DecodePort(const Structure& s, TSMBIOSValues& v) {
  auto connector = [](uint8_t b) { return b == 0xFF ? uint8_t{39} : b; };
  TPortConnector p;
  p.InternalDesignator = s.String(0x04);
  p.InternalConnector = connector(s.Byte(0x05));
  p.ExternalDesignator = s.String(0x06);
  p.ExternalConnector = connector(s.Byte(0x07));
  const uint8_t type = s.Byte(0x08);
  p.Type = type == 0xFF ? 34 : (type > 31 ? static_cast<uint8_t>(type - 128) : type);
  if (p.ExternalDesignator.empty()) p.ExternalDesignator = "PortSlot_" + std::to_string(v.Ports.size());
  v.Ports.push_back(std::move(p));
}

void DecodeSlot(const Structure& s, TSMBIOSValues& v) {
  TSystemSlot slot;
  slot.Designation = s.String(0x04);
  const uint8_t type = s.Byte(0x05);
  if (type <= 19) slot.Type = Less1(type);
  else if (type >= 0xA0 && type <= 0xA4) slot.Type = static_cast<uint8_t>(type - 0xA0 + 19);
  slot.DataBus = Less1(s.Byte(0x06));
  slot.CurrentUsage = Less1(s.Byte(0x07));
  slot.SlotLength = Less1(s.Byte(0x08));
  slot.SlotID = s.Word(0x09);
  if (slot.Designation.empty()) slot.Designation = "Slot_" + std::to_string(v.SystemSlots.size());
  v.SystemSlots.push_back(std::move(slot));
}

void DecodeOnBoardDevices(const Structure& s, TSMBIOSValues& v) {
  const unsigned count = s.Length() > 4 ? (s.Length() - 4u) / 2 : 0;
  for (unsigned i = 0; i < count; ++i) {
    TOnBoardDevice d;
    const uint8_t b = s.Byte(0x04 + 2 * i);
    const uint8_t type = Less1(b & 0x7F);
    d.Type = type <= 6 ? type : 0;
    d.Status = (b & 0x80) != 0;
    d.Description = s.String(0x05 + 2 * i);
    v.OnBoardDevices.push_back(std::move(d));
  }
}

void DecodeMemoryDevice(const Structure& s, TSMBIOSValues& v) {
  TMemoryDevice m;
  m.TotalWidth = s.Word(0x08);
  m.DataWidth = s.Word(0x0A);
  m.Size = s.Word(0x0C);
  m.FormFactor = Less1(s.Byte(0x0E));
  m.DeviceLocator = s.String(0x10);
  m.BankLocator = s.String(0x11);
  m.Device = Less1(s.Byte(0x12));
  m.TypeDetails = TMemoryTypeDetails::FromBits(static_cast<uint16_t>(s.Word(0x13) & 0x1FFF));
  if (HasVersion23Fields(v)) {
    m.Speed = s.Word(0x15);  // MHz, as the report labels it
    m.Manufacturer = s.String(0x17);
    m.SerialNumber = s.String(0x18);
    m.AssetTag = s.String(0x19);
    m.PartNumber = s.String(0x1A);
  }
  v.MemoryDevices.push_back(std::move(m));
}

void DecodeTemperatureProbe(const Structure& s, TSMBIOSValues& v) {
  TTemperatureProbe t;
  t.Description = s.String(0x04);
  const uint8_t ls = s.Byte(0x05);
  t.Location = Less1(ls & 0x1F);
  t.Status = Less1(static_cast<uint8_t>(ls >> 5));
  t.Maximum = s.Word(0x06);
  t.Minimum = s.Word(0x08);
  t.Resolution = s.Word(0x0A);
  t.Tolerance = s.Word(0x0C);
  t.Accuracy = s.Word(0x0E);
  if (s.Length() >= 21) t.NominalValue = s.Word(0x14);
  v.TemperatureProbes.push_back(std::move(t));
}

}  // namespace

void DecodeStructures(const TDMA& r, TSMBIOSValues& v) {
  using Decoder = void (*)(const Structure&, TSMBIOSValues&);
  struct Row { uint8_t Type; bool FirstOnly; Decoder Decode; };
  // type  first only  decoder
  static const Row kDecoders[] = {
      {0, true, DecodeBIOS},          {1, true, DecodeSystem},
      {2, true, DecodeMainBoard},     {3, true, DecodeChassis},
      {4, false, DecodeProcessor},    {5, false, DecodeMemoryController},
      {6, false, DecodeMemoryModule}, {7, false, DecodeCache},
      {8, false, DecodePort},         {9, false, DecodeSlot},
      {10, false, DecodeOnBoardDevices}, {17, false, DecodeMemoryDevice},
      {28, false, DecodeTemperatureProbe}};
  for (const Row& row : kDecoders) {
    for (const TStructureIndexEntry& e : v.Index) {
      if (e.Type != row.Type) continue;
      if (e.Address >= v.StructureTableAddress && r.ReadByte(e.Address) == row.Type)
        row.Decode(Structure(r, e), v);
      if (row.FirstOnly) break;
    }
  }
}

// --- TSMBIOS ----------------------------------------------------------------------------

TSMBIOS::TSMBIOS(const EngineContext& context)
    : TInformation(context), readerA_(std::make_unique<TDMA>(context)), readerB_(std::make_unique<TDMA>(context)) {}

TSMBIOS::~TSMBIOS() = default;

void TSMBIOS::Refresh(int mode) {
  v_ = TSMBIOSValues{};
  uint32_t start = 0, limit = 0, maxCount = 0;
  if (mode == 1) {
    TDMA& a = *readerA_;
    if (!a.Read(areaStart_, areaLength_)) return;
    // The first place of an anchor in the loaded area, found on the buffer directly: a
    // byte-by-byte search through the range checks would cost more than the whole table.
    auto find = [&a](const char* anchor, uint32_t* at) {
      const size_t n = std::strlen(anchor);
      const uint8_t* begin = a.Buffer().data();
      const uint8_t* end = begin + a.Buffer().size();
      for (const uint8_t* p = begin; end - p >= static_cast<ptrdiff_t>(n);) {
        p = static_cast<const uint8_t*>(std::memchr(p, anchor[0], static_cast<size_t>(end - p) - n + 1));
        if (!p) return false;
        if (std::memcmp(p, anchor, n) == 0) {
          *at = a.Position() + static_cast<uint32_t>(p - begin);
          return true;
        }
        ++p;
      }
      return false;
    };
    uint32_t entry = 0;
    bool found = find("_SM_", &entry);
    if (!found && find("_DMI_", &entry)) entry -= 16, found = true;
    if (!found) return;
    v_.EntryPointAddress = entry;
    v_.MajorVersion = a.ReadByte(entry + 6);
    v_.MinorVersion = a.ReadByte(entry + 7);
    v_.Version = Format("%d.%d", v_.MajorVersion, v_.MinorVersion);
    v_.StructureTableAddress = a.ReadDword(entry + 24);
    v_.StructureCount = a.ReadWord(entry + 28);
    v_.TableLength = a.ReadWord(entry + 22);
    if (v_.StructureTableAddress == 0) return;
    if (!readerB_->Read(v_.StructureTableAddress, v_.TableLength)) return;
    start = v_.StructureTableAddress;
    limit = v_.TableLength;
    maxCount = v_.StructureCount;
  } else {
    // Decode what reader B already holds, whole.
    start = readerB_->Position();
    limit = readerB_->Size();
    maxCount = UINT32_MAX;
    v_.StructureTableAddress = start;
  }
  v_.Index = WalkStructureTable(*readerB_, start, limit, maxCount);
  DecodeStructures(*readerB_, v_);
}

std::string TSMBIOS::MemoryTypesText(TMemoryTypes types) { return SetText(types, kMemoryTypeNames); }
std::string TSMBIOS::TypeDetailsText(TMemoryTypeDetails details) { return SetText(details, kTypeDetailNames); }

namespace {
template <size_t N>
void EnumLine(ReportWriter& out, const char* name, const char* const (&names)[N], unsigned value) {
  const char* text = NameAt(names, value);
  out.String(name, text ? std::string(text) : Format("unknown(%u)", value));
}
}  // namespace

void TSMBIOS::WriteBlock(ReportWriter& out) const {
  out.OpenClass("SMBIOS", "TSMBIOS");
  out.String("Version", v_.Version);
  out.Integer("StartAddress", v_.EntryPointAddress);
  out.Integer("StructureTableStartAddress", v_.StructureTableAddress);
  out.Integer("TableCount", static_cast<int64_t>(v_.Index.size()) - 1);
  for (const TStructureIndexEntry& e : v_.Index) out.String(Format("Table_%d", e.Type), e.Name);

  out.OpenSection("BIOS");
  out.String("Vendor", v_.BIOSVendor);
  out.String("Version", v_.BIOSVersion);
  out.String("Date", v_.BIOSDate);
  out.Integer("Size", v_.BIOSSize, "KB");
  out.CloseSection();

  out.OpenSection("System");
  out.String("Model", v_.SystemModel);
  out.String("Manufacturer", v_.SystemManufacturer);
  out.String("Version", v_.SystemVersion);
  out.String("Serial", v_.SystemSerial);
  out.String("UUID", v_.SystemUUID);
  out.CloseSection();

  out.OpenSection("Mainboard");
  out.String("Model", v_.MainBoardModel);
  out.String("Manufacturer", v_.MainBoardManufacturer);
  out.String("Version", v_.MainBoardVersion);
  out.String("Serial", v_.MainBoardSerial);
  out.CloseSection();

  out.OpenSection("Chassis");
  EnumLine(out, "Model", kChassisNames, static_cast<unsigned>(v_.ChassisModel));
  out.String("Manufacturer", v_.ChassisManufacturer);
  out.String("Version", v_.ChassisVersion);
  out.String("Serial", v_.ChassisSerial);
  out.String("AssetTag", v_.ChassisAssetTag);
  out.CloseSection();

  out.OpenSection("MemoryController");
  EnumLine(out, "SupportedInterleave", kInterleaveNames, static_cast<unsigned>(v_.MemCtrlSupportedInterleave));
  EnumLine(out, "ActiveInterleave", kInterleaveNames, static_cast<unsigned>(v_.MemCtrlCurrentInterleave));
  out.Integer("MaxModuleSize", v_.MemCtrlMaxSize, "MB");
  out.String("SupportedSpeeds", SetText(v_.MemCtrlSupportedSpeeds, kMemorySpeedNames));
  out.String("SupportedTypes", SetText(v_.MemCtrlSupportedTypes, kMemoryTypeNames));
  out.String("SupportedVoltages", SetText(v_.MemCtrlSupportedVoltages, kVoltageNames));
  out.Integer("SlotCount", v_.MemCtrlSlotCount);
  out.CloseSection();

  out.OpenSection("CPU");
  out.Integer("Count", ProcessorCount());
  for (const TProcessorInfo& p : v_.Processors) {
    out.OpenSection(p.Version);
    out.String("Socket", p.Socket);
    EnumLine(out, "UpgradeInterface", kUpgradeInterfaceNames, p.UpgradeInterface);
    out.String("Manufacturer", p.Manufacturer);
    out.String("Version", p.Version);
    out.Float("Voltage", p.Voltage, "%1.1f", "V");
    out.Integer("Frequency", p.Frequency, "MHz");
    out.Integer("ExternalFrequency", p.ExternalFrequency, "MHz");
    out.String("SerialNumber", p.SerialNumber);
    out.String("AssetTag", p.AssetTag);
    out.String("PartNumber", p.PartNumber);
    out.CloseSection();
  }
  out.CloseSection();

  out.OpenSection("Cache");
  out.Integer("Count", CacheCount());
  for (const TCacheInfo& c : v_.Caches) {
    out.OpenSection(c.Socket);
    out.String("Socket", c.Socket);
    out.Integer("InstalledSize", c.InstalledSize, "KB");
    out.Integer("MaxSize", c.MaxSize, "KB");
    out.Integer("Speed", c.Speed, "ns");
    EnumLine(out, "Type", kCacheTypeNames, c.Type);
    EnumLine(out, "Associativity", kAssociativityNames, c.Associativity);
    EnumLine(out, "SRAMType", kSRAMTypeNames, c.SRAMType);
    out.CloseSection();
  }
  out.CloseSection();

  out.OpenSection("MemoryModule");
  out.Integer("Count", MemoryModuleCount());
  for (size_t i = 0; i < v_.MemoryModules.size(); ++i) {
    const TMemoryModule& m = v_.MemoryModules[i];
    out.OpenSection(Format("Module_%d", static_cast<int>(i)));
    out.String("Bank", m.Bank);
    out.String("Type", MemoryTypesText(m.Type));
    out.Integer("Size", m.Size, "MB");
    out.Integer("Speed", m.Speed, "ns");
    out.CloseSection();
  }
  out.CloseSection();

  out.OpenSection("MemoryDevice");
  out.Integer("Count", MemoryDeviceCount());
  for (size_t i = 0; i < v_.MemoryDevices.size(); ++i) {
    const TMemoryDevice& m = v_.MemoryDevices[i];
    out.OpenSection(Format("Device_%d", static_cast<int>(i)));
    out.String("DeviceLocator", m.DeviceLocator);
    out.String("BankLocator", m.BankLocator);
    out.String("Manufacturer", m.Manufacturer);
    out.String("SerialNumber", m.SerialNumber);
    out.String("AssetTag", m.AssetTag);
    out.String("PartNumber", m.PartNumber);
    EnumLine(out, "Device", kMemoryDeviceNames, m.Device);
    out.String("TypeDetails", TypeDetailsText(m.TypeDetails));
    EnumLine(out, "FormFactor", kFormFactorNames, m.FormFactor);
    out.Integer("Size", m.Size, "MB");
    out.Integer("Speed", m.Speed, "MHz");
    out.Integer("TotalWidth", m.TotalWidth, "b");
    out.Integer("DataWidth", m.DataWidth, "b");
    out.CloseSection();
  }
  out.CloseSection();

  out.OpenSection("PortSlot");
  out.Integer("Count", PortCount());
  for (const TPortConnector& p : v_.Ports) {
    out.OpenSection(p.ExternalDesignator);
    EnumLine(out, "Type", kPortTypeNames, p.Type);
    out.String("InternalDesignator", p.InternalDesignator);
    EnumLine(out, "InternalConnector", kConnectorNames, p.InternalConnector);
    out.String("ExternalDesignator", p.ExternalDesignator);
    EnumLine(out, "ExternalConnector", kConnectorNames, p.ExternalConnector);
    out.CloseSection();
  }
  out.CloseSection();

  out.OpenSection("SystemSlot");
  out.Integer("Count", SystemSlotCount());
  for (const TSystemSlot& s : v_.SystemSlots) {
    out.OpenSection(s.Designation);
    EnumLine(out, "Type", kSlotTypeNames, s.Type);
    EnumLine(out, "DataBus", kDataBusNames, s.DataBus);
    EnumLine(out, "CurrentUsage", kSlotUsageNames, s.CurrentUsage);
    EnumLine(out, "SlotLength", kSlotLengthNames, s.SlotLength);
    out.CloseSection();
  }
  out.CloseSection();

  out.OpenSection("OnBoardDevice");
  out.Integer("Count", OnBoardDeviceCount());
  for (const TOnBoardDevice& d : v_.OnBoardDevices) {
    out.OpenSection(d.Description);
    EnumLine(out, "Type", kOnBoardDeviceNames, d.Type);
    // The element's own spelling of the type, capital B included.
    out.Raw(Format("<data name=\"Status\" type=\"Boolean\">%d</data>", d.Status ? 1 : 0));
    out.CloseSection();
  }
  out.CloseSection();

  out.CloseClass("SMBIOS");
}

}  // namespace kestrova
