// TDisk and the "Disques" section: the drive routines, the drive query over many drives,
// the quiet error mode, the tagged block, and the section on both recorded machines.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/core/context.h"
#include "engine/core/system_info.h"
#include "engine/inventory/disk.h"
#include "engine/platform/recorded/load_error.h"
#include "engine/platform/recorded/recorded_machine.h"
#include "sections/disk_section.h"
#include "../app/fake_host.h"

namespace kestrova {
namespace {

std::string MachineDir(const char* name) { return std::string(KESTROVA_FIXTURES) + "/machines/" + name; }

constexpr uint32_t kQuiet = 0x8001;
constexpr uint32_t kCallerMode = 0x0002;  // what the process had before: must come back

// --- the tables, row by row against the written ones ---------------------------------

TEST(DiskTables, FileFlagRowsReadLikeTheWrittenTable) {
  struct Row { TFileFlag Flag; uint32_t SystemFlag; const char* Name; };
  const Row written[] = {
      {TFileFlag::fsCaseIsPreserved, 0x2, "CaseIsPreserved"},
      {TFileFlag::fsCaseSensitive, 0x1, "CaseSensitive"},
      {TFileFlag::fsUnicodeStoredOnDisk, 0x4, "UnicodeStoredOnDisk"},
      {TFileFlag::fsPersistentAcls, 0x8, "PersistentACLs"},
      {TFileFlag::fsFileCompression, 0x10, "FileCompression"},
      {TFileFlag::fsVolumeIsCompressed, 0x8000, "VolumeIsCompressed"},
      {TFileFlag::fsLongFileNames, 0, "LongFilenames"},
      {TFileFlag::fsEncryptedFileSystemSupport, 0x20000, "EncryptedFileSystemSupport"},
      {TFileFlag::fsObjectIDsSupport, 0x10000, "ObjectODsSupport"},
      {TFileFlag::fsReparsePointsSupport, 0x80, "ReparsePointsSupport"},
      {TFileFlag::fsSparseFilesSupport, 0x40, "SparseFilesSupport"},
      {TFileFlag::fsDiskQuotasSupport, 0x20, "DiskQuotasSupport"},
  };
  for (size_t i = 0; i < 12; ++i) {
    SCOPED_TRACE(written[i].Name);
    EXPECT_EQ(static_cast<size_t>(kFileFlagTable[i].Flag), i);  // bit order
    EXPECT_EQ(kFileFlagTable[i].Flag, written[i].Flag);
    EXPECT_EQ(kFileFlagTable[i].SystemFlag, written[i].SystemFlag);
    EXPECT_STREQ(kFileFlagTable[i].ReportName, written[i].Name);
  }
}

TEST(DiskTables, EachSystemFlagSetsItsOneMemberAndBit) {
  for (const FileFlagRow& row : kFileFlagTable) {
    if (row.Flag == TFileFlag::fsLongFileNames) continue;
    SCOPED_TRACE(row.ReportName);
    const TFileFlags f = FileFlagsFromVolume(row.SystemFlag, 12);
    EXPECT_EQ(f, TFileFlags{row.Flag});
    EXPECT_EQ(f.Bits(), 1u << static_cast<unsigned>(row.Flag));
  }
  // Bits the table does not name give nothing; 255 characters mean long names, 8.3 not.
  EXPECT_TRUE(FileFlagsFromVolume(0x40000 | 0x80000 | 0x100, 12).Empty());
  EXPECT_EQ(FileFlagsFromVolume(0, 255), TFileFlags{TFileFlag::fsLongFileNames});
  EXPECT_EQ(FileFlagsFromVolume(0, 254), TFileFlags{});
  EXPECT_EQ(FileFlagsFromVolume(0xFFFFFFFF, 255).Bits(), 0x0FFF);
  EXPECT_EQ(sizeof(TFileFlags), 2u);
}

TEST(DiskTables, DriveTypeTextsAndReportNames) {
  const char* const sectionTexts[] = {"Unknown drive type", "Unknown drive type", "Removable Drive", "Hard Disk",
                                      "Remote Drive", "CD-ROM", "RAM-Disk", "Unknown drive type"};
  for (uint32_t code = 0; code < 8; ++code) EXPECT_STREQ(DriveTypeText(code), sectionTexts[code]) << code;
  const char* const reportNames[] = {"<unknown>", "<not exists>", "Removable", "Fixed", "Remote", "CDROM", "RAM"};
  for (uint8_t t = 0; t < 7; ++t) EXPECT_STREQ(MediaTypeReportName(static_cast<TMediaType>(t)), reportNames[t]) << int(t);
}

TEST(DiskTables, SerialNumberTextAndDriveLetters) {
  EXPECT_EQ(SerialNumberText(0x3C1F0A2B), "3C1F-0A2B");
  EXPECT_EQ(SerialNumberText(0x0000C2F), "0000-0C2F");  // below 0x10000: four zeros first
  EXPECT_EQ(SerialNumberText(0xFFFFFFFF), "FFFF-FFFF");
  EXPECT_EQ(SerialNumberText(0xabcd0001), "ABCD-0001");

  using S = std::string;
  EXPECT_EQ(DriveLettersFromRootNames(S("A:\\\0C:\\\0D:\\\0\0", 13)), "ACD");
  EXPECT_EQ(DriveLettersFromRootNames(S("c:\\\0z:\\\0\0", 9)), "CZ");
  EXPECT_EQ(DriveLettersFromRootNames(S("\0\0", 2)), "");
  EXPECT_EQ(DriveLettersFromRootNames(""), "");
  EXPECT_EQ(DriveLettersFromRootNames(S("A:\\\0\0C:\\\0\0", 10)), "A");  // the double NUL ends it
  EXPECT_EQ(DriveLettersFromRootNames(S("C:\\\0D:\\", 7)), "CD");        // no end mark: the buffer's end
  EXPECT_EQ(DriveLettersFromRootNames(S("C:\\\xC9\x31\0\0", 8)), "C");   // only ASCII letters count
}

// --- the drive query over many drives ---------------------------------------------------

struct QueryCase {
  const char* Name;
  RecordedDrive Drive;
  bool FreeSpaceEx;
  // expected
  TMediaType Type;
  int64_t Capacity, FreeSpace;
  uint32_t TotalClusters;
  const char* Label;
  const char* Serial;
  const char* FileSystem;
  uint16_t FlagBits;
};

RecordedDrive Drive(uint32_t type, bool media, DiskClusters clusters, std::optional<DiskBytes> bytes,
                    VolumeFacts volume, bool volumeFails = false, bool faults = false) {
  RecordedDrive d;
  d.Type = type;
  d.Media = media;
  d.Clusters = clusters;
  d.Bytes = bytes;
  d.Volume = volume;
  d.VolumeFails = volumeFails;
  d.Faults = faults;
  return d;
}

const DiskClusters kBig{64, 512, 40000, 100000};       // 32 KB clusters: 3 276 800 000 bytes
const VolumeFacts kNtfs{"SYSTEM", 0x12345678, 255, 0x000700FF, "NTFS"};

const QueryCase kQueryCases[] = {
    {"ex gives the sizes", Drive(3, true, kBig, DiskBytes{1000, 5000, 2000}, kNtfs), true,
     TMediaType::dtFixed, 5000, 1000, 100000, "SYSTEM", "1234-5678", "NTFS", 0x0FDF},
    {"no ex: clusters in 64 bits", Drive(3, true, kBig, DiskBytes{1, 2, 3}, kNtfs), false,
     TMediaType::dtFixed, 3276800000LL, 1310720000LL, 100000, "SYSTEM", "1234-5678", "NTFS", 0x0FDF},
    {"volume query fails", Drive(2, true, {1, 512, 10, 2847}, std::nullopt, kNtfs, true), true,
     TMediaType::dtRemovable, 1457664, 5120, 2847, "", "", "", 0},
    {"empty CD drive", Drive(5, false, kBig, std::nullopt, kNtfs), true,
     TMediaType::dtCDROM, 0, 0, 0, "", "", "", 0},
    {"faulting driver", Drive(4, true, kBig, std::nullopt, kNtfs, false, true), true,
     TMediaType::dtRemote, 0, 0, 0, "", "", "", 0},
    {"8.3 names, small serial", Drive(6, true, {4, 512, 1, 100}, std::nullopt, {"RAM", 0x0C2F, 12, 0x2, "FAT"}), true,
     TMediaType::dtRAMDisk, 204800, 2048, 100, "RAM", "0000-0C2F", "FAT", 0x0001},
    {"type code past the table", Drive(9, false, kBig, std::nullopt, kNtfs), true,
     TMediaType::dtUnknown, 0, 0, 0, "", "", "", 0},
};

class DriveQuery : public ::testing::TestWithParam<QueryCase> {};

TEST_P(DriveQuery, ReadsWhatTheDriveGives) {
  const QueryCase& c = GetParam();
  RecordedMachine m;
  m.Drives.Drives['Q'] = c.Drive;
  m.Drives.FreeSpaceExPresent = c.FreeSpaceEx;
  m.Drives.ErrorMode = kCallerMode;
  EngineContext context = MakeEngineContext(m.View());
  TDisk disk(context);
  disk.SetDrive("Q:\\extra");  // only the first two characters count
  EXPECT_EQ(disk.Drive(), "Q:");
  EXPECT_EQ(disk.MediaType(), c.Type);
  EXPECT_EQ(disk.Capacity(), c.Capacity);
  EXPECT_EQ(disk.FreeSpace(), c.FreeSpace);
  EXPECT_EQ(disk.TotalClusters(), c.TotalClusters);
  EXPECT_EQ(disk.VolumeLabel(), c.Label);
  EXPECT_EQ(disk.SerialNumber(), c.Serial);
  EXPECT_EQ(disk.FileSystem(), c.FileSystem);
  EXPECT_EQ(disk.FileFlags().Bits(), c.FlagBits);
  EXPECT_EQ(disk.MediaPresent(), c.Capacity != 0);
  // Every probe ran quiet, and the caller's mode is back whatever happened.
  EXPECT_EQ(m.Drives.ProbeErrorModes, std::vector<uint32_t>(2, kQuiet));
  EXPECT_EQ(m.Drives.ErrorMode, kCallerMode);
}

INSTANTIATE_TEST_SUITE_P(Cases, DriveQuery, ::testing::ValuesIn(kQueryCases),
                         [](const ::testing::TestParamInfo<QueryCase>& i) {
                           std::string n;
                           for (const char* p = i.param.Name; *p; ++p) n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return n;
                         });

TEST(DiskProbe, RestoresTheModeOnEveryPath) {
  RecordedDrives drives;
  drives.Drives['C'] = Drive(3, true, kBig, std::nullopt, kNtfs);
  drives.Drives['A'] = Drive(2, false, kBig, std::nullopt, kNtfs);
  drives.Drives['X'] = Drive(4, true, kBig, std::nullopt, kNtfs, false, true);
  for (const char* root : {"C:\\", "A:\\", "X:\\", "M:\\"}) {
    drives.ErrorMode = 0x0004;
    const auto result = ProbeDriveFreeSpace(drives, root);
    EXPECT_EQ(result.has_value(), std::string(root) == "C:\\") << root;
    EXPECT_EQ(drives.ErrorMode, 0x0004u) << root;
    EXPECT_EQ(drives.ProbeErrorModes.back(), kQuiet) << root;
  }
}

TEST(DiskRefresh, FillsOnlyTheLetters) {
  RecordedMachine m;
  m.Drives.Drives['D'] = Drive(5, false, kBig, std::nullopt, kNtfs);
  m.Drives.Drives['A'] = Drive(2, false, kBig, std::nullopt, kNtfs);
  m.Drives.Drives['C'] = Drive(3, true, kBig, std::nullopt, kNtfs);
  EngineContext context = MakeEngineContext(m.View());
  TDisk disk(context);
  disk.Refresh();
  EXPECT_EQ(disk.AvailableDisks(), "ACD");
  EXPECT_EQ(disk.Drive(), "");
  EXPECT_TRUE(m.Drives.ProbeErrorModes.empty());  // no drive was queried
  // A machine without drives at all: nothing, and no line.
  RecordedMachine none;
  EngineContext noneContext = MakeEngineContext(none.View());
  TDisk empty(noneContext);
  empty.Refresh();
  EXPECT_EQ(empty.AvailableDisks(), "");
}

// --- the recorded machines ----------------------------------------------------------------

struct DiskRun {
  explicit DiskRun(const char* name)
      : machine(LoadRecordedMachine(MachineDir(name))), context(MakeEngineContext(machine->View())),
        engine(context) {}
  std::vector<std::string> Section() {
    testing::FakeHost host;
    host.TickOnly({"Disques"});
    RunFlags flags;
    MemoryLog log;
    SectionContext ctx{engine, log, host, flags};
    RunSection(kDiskWriter, ctx);
    EXPECT_EQ(log.UpdateDepth(), 0);
    EXPECT_EQ(machine->Drives.ErrorMode, 0u);  // the machine's own mode, back
    return log.Texts();
  }
  ReportLines Block() {
    ReportLines lines;
    engine.Get(TSystemInfo::Member::Disk)->WriteReport(lines, false);
    return lines;
  }
  std::unique_ptr<RecordedMachine> machine;
  EngineContext context;
  TSystemInfo engine;
};

TEST(DiskSection, WindowsXpWalksEveryDrive) {
  DiskRun run("xp-sp2-p4ht");
  const std::vector<std::string> expected = {
      "",
      "Disques",
      R"( - A:\ [Removable Drive] "" - Aucun média détecté)",
      R"( - C:\ [Hard Disk] "SYSTEME" - 37,26 GO (libre : 12,00 GO) - NTFS)",
      R"( - D:\ [CD-ROM] "" - Aucun média détecté)",
      R"( - E:\ [Hard Disk] "DONNEES" - 18,62 GO (libre : 4,65 GO) - FAT32)",
      R"( - F:\ [Remote Drive] "Partage" - 100,00 GO (libre : 50,00 GO) - NTFS)",
  };
  EXPECT_EQ(run.Section(), expected);
}

TEST(DiskSection, Windows98TakesTheTrueSizeBeyondTwoGigabytes) {
  DiskRun run("win98se-p3");
  const std::vector<std::string> expected = {
      "",
      "Disques",
      R"( - A:\ [Removable Drive] "" - Aucun média détecté)",
      R"( - C:\ [Hard Disk] "WIN98SE" - 8,00 GO (libre : 3,00 GO) - FAT32)",
      R"( - D:\ [CD-ROM] "ENCARTA99" - 650,00 MO (libre : 0,00 Oct) - CDFS)",
      R"( - E:\ [CD-ROM] "" - Aucun média détecté)",
  };
  EXPECT_EQ(run.Section(), expected);
}

TEST(DiskSection, NoDriveWritesOnlyTheHeading) {
  RecordedMachine m;
  EngineContext context = MakeEngineContext(m.View());
  TSystemInfo engine(context);
  testing::FakeHost host;
  RunFlags flags;
  MemoryLog log;
  SectionContext ctx{engine, log, host, flags};
  RunSection(kDiskWriter, ctx);
  EXPECT_EQ(log.Texts(), (std::vector<std::string>{"", "Disques"}));
}

std::vector<std::string> SectionOf(const ReportLines& lines, const std::string& name) {
  auto begin = std::find(lines.begin(), lines.end(), "<section name=\"" + name + "\">");
  if (begin == lines.end()) return {};
  return std::vector<std::string>(begin, std::min(lines.end(), begin + 27));
}

TEST(DiskReport, BlockHoldsTheLettersAndOneSectionPerDrive) {
  DiskRun run("xp-sp2-p4ht");
  run.engine.As<TDisk>(TSystemInfo::Member::Disk)->Refresh();
  const ReportLines lines = run.Block();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "<Disk classname=\"TDisk\">");
  EXPECT_EQ(lines[1], "<data name=\"AvailableLogicalDisks\" type=\"string\">ACDEF</data>");
  EXPECT_EQ(lines.back(), "</Disk>");
  EXPECT_EQ(lines.size(), 3u + 5 * 27);  // 27 lines per drive
  const std::vector<std::string> c = {
      "<section name=\"Disk_C\">",
      "<data name=\"VolumeLabel\" type=\"string\">SYSTEME</data>",
      "<data name=\"FileSystem\" type=\"string\">NTFS</data>",
      "<data name=\"Type\" type=\"string\">Fixed</data>",
      "<data name=\"UNC\" type=\"string\">C:</data>",
      "<data name=\"SerialNumber\" type=\"string\">3C1F-0A2B</data>",
      "<data name=\"Capacity\" type=\"integer\" unit=\"B\">40007761920</data>",
      "<data name=\"FreeSpace\" type=\"integer\" unit=\"B\">12884901888</data>",
      "<data name=\"BytesPerSector\" type=\"integer\">512</data>",
      "<data name=\"SectorsPerCluster\" type=\"integer\">8</data>",
      "<data name=\"FreeClusters\" type=\"integer\">3145728</data>",
      "<data name=\"TotalClusters\" type=\"integer\">9767520</data>",
      "<section name=\"Flags\">",
      "<data name=\"CaseIsPreserved\" type=\"boolean\">1</data>",
      "<data name=\"CaseSensitive\" type=\"boolean\">1</data>",
      "<data name=\"UnicodeStoredOnDisk\" type=\"boolean\">1</data>",
      "<data name=\"PersistentACLs\" type=\"boolean\">1</data>",
      "<data name=\"FileCompression\" type=\"boolean\">1</data>",
      "<data name=\"VolumeIsCompressed\" type=\"boolean\">0</data>",
      "<data name=\"LongFilenames\" type=\"boolean\">1</data>",
      "<data name=\"EncryptedFileSystemSupport\" type=\"boolean\">1</data>",
      "<data name=\"ObjectODsSupport\" type=\"boolean\">1</data>",
      "<data name=\"ReparsePointsSupport\" type=\"boolean\">1</data>",
      "<data name=\"SparseFilesSupport\" type=\"boolean\">1</data>",
      "<data name=\"DiskQuotasSupport\" type=\"boolean\">1</data>",
      "</section>",
      "</section>",
  };
  EXPECT_EQ(SectionOf(lines, "Disk_C"), c);
  const auto f = SectionOf(lines, "Disk_F");
  ASSERT_EQ(f.size(), 27u);
  EXPECT_EQ(f[4], "<data name=\"UNC\" type=\"string\">\\\\SERVEUR\\Partage</data>");
  const auto a = SectionOf(lines, "Disk_A");
  ASSERT_EQ(a.size(), 27u);
  EXPECT_EQ(a[3], "<data name=\"Type\" type=\"string\">Removable</data>");
  EXPECT_EQ(a[5], "<data name=\"SerialNumber\" type=\"string\"></data>");
  EXPECT_EQ(a[6], "<data name=\"Capacity\" type=\"integer\" unit=\"B\">0</data>");
  EXPECT_EQ(std::count(a.begin(), a.end(), "</section>"), 2);
  for (size_t i = 13; i < 25; ++i) EXPECT_NE(a[i].find(">0</data>"), std::string::npos) << a[i];
  EXPECT_EQ(run.machine->Drives.ErrorMode, 0u);
}

}  // namespace
}  // namespace kestrova

namespace kestrova {
namespace {

// machine.ini's drive and printer sections: what they set, and every kind of mistake named.
TEST(DrivesIni, ReadsTheSectionsAndNamesEveryMistake) {
  RecordedMachine m;
  ApplyMachineIni(m,
                  "[drives]\nFreeSpaceEx=0\nErrorMode=0x8000\n"
                  "[drive:c]\nType=cdrom\nMedia=0\nSerial=0x1234\nLabel=\" A B \"\nUNC=\\\\S\\P\n"
                  "[drive:D]\nType=6\nTotalBytes=5000000000\n"
                  "[spooler]\nLevels=1,5\nDefault=Jet\n"
                  "[printer:\\\\S\\Jet]\nPorts=LPT1:,COM1:\nConnection=1\n",
                  "machine.ini");
  EXPECT_FALSE(m.Drives.FreeSpaceExPresent);
  EXPECT_EQ(m.Drives.ErrorMode, 0x8000u);
  ASSERT_EQ(m.Drives.Drives.count('C'), 1u);
  const RecordedDrive& c = m.Drives.Drives['C'];
  EXPECT_EQ(c.Type, kDriveCdRom);
  EXPECT_FALSE(c.Media);
  EXPECT_EQ(c.Volume.SerialNumber, 0x1234u);
  EXPECT_EQ(c.Volume.Label, " A B ");
  EXPECT_EQ(c.UNC, "\\\\S\\P");
  EXPECT_EQ(m.Drives.Drives['D'].Type, kDriveRamDisk);
  EXPECT_EQ(m.Drives.Drives['D'].Bytes->TotalBytes, 5000000000u);
  EXPECT_EQ(m.Spooler.Levels, (std::vector<uint32_t>{1, 5}));
  EXPECT_EQ(m.Spooler.Default, "Jet");
  ASSERT_EQ(m.Spooler.Printers.size(), 1u);
  EXPECT_EQ(m.Spooler.Printers[0].Name, "\\\\S\\Jet");
  EXPECT_EQ(m.Spooler.Printers[0].Ports, "LPT1:,COM1:");
  EXPECT_TRUE(m.Spooler.Printers[0].Connection);
  EXPECT_EQ(m.Drives.LogicalDriveStrings(255), std::string("C:\\\0D:\\\0\0", 9));
  EXPECT_EQ(m.Drives.LogicalDriveStrings(8), "");  // too small a buffer: nothing written

  const char* const mistakes[] = {
      "[drive:C]\nKind=fixed\n",        "[drive:C]\nType=floppy\n",   "[drive:CD]\nType=fixed\n",
      "[drive:1]\nType=fixed\n",        "[drive:C]\nMedia=2\n",       "[drive:C]\nSerial=0x1FFFFFFFF\n",
      "[drive:C]\nFreeClusters=12k\n",  "[drives]\nFreeSpace=0\n",    "[spooler]\nLevels=1,x\n",
      "[spooler]\nDefaults=Jet\n",      "[printer:Jet]\nPort=LPT1:\n", "[printer:Jet]\nConnection=yes\n",
      "[drive:C]\nnot a key\n",
  };
  for (const char* text : mistakes) {
    RecordedMachine bad;
    try {
      ApplyMachineIni(bad, std::string("; first line\n") + text, "bad.ini");
      ADD_FAILURE() << "accepted: " << text;
    } catch (const LoadError& e) {
      EXPECT_EQ(e.File(), "bad.ini") << text;
      EXPECT_GE(e.Line(), 2) << text;
    }
  }
}

}  // namespace
}  // namespace kestrova
