#include "engine/hardware/cpu_names.h"

#include <climits>
#include <cstdlib>

#include "engine/core/text.h"

namespace kestrova {

namespace {
constexpr const char* _ = nullptr;
constexpr int kBig = INT_MAX;

constexpr NameCondition Step(int s) { return {NameKey::Stepping, s, s, false}; }
constexpr NameCondition Steps(int lo, int hi) { return {NameKey::Stepping, lo, hi, false}; }
constexpr NameCondition Type(int t) { return {NameKey::CPUType, t, t, false}; }
constexpr NameCondition TypeNot(int t) { return {NameKey::CPUType, t, t, true}; }
constexpr NameCondition Brand(int b) { return {NameKey::Brand, b, b, false}; }
constexpr NameCondition Brands(int lo, int hi) { return {NameKey::Brand, lo, hi, false}; }
constexpr NameCondition L2(int kb) { return {NameKey::L2, kb, kb, false}; }
constexpr NameCondition L2In(int lo, int hi) { return {NameKey::L2, lo, hi, false}; }
constexpr NameCondition L3In(int lo, int hi) { return {NameKey::L3, lo, hi, false}; }
constexpr NameCondition FamEx(int f) { return {NameKey::FamilyEx, f, f, false}; }
constexpr NameCondition FreqAbove(int mhz) { return {NameKey::Frequency, mhz + 1, kBig, false}; }
constexpr NameCondition SerialFeature() { return {NameKey::SerialFeature, 1, 1, false}; }

// Rows: Family, Model from-to, conditions, then CPUName, CodeName, Technology, Revision.

const std::vector<NameRow> kAmd = {
    // Fam Model   When                             CPUName                CodeName              Technology  Revision
    {4,  0,  0,  {},                                "Am486DX",             _,                    _,          _},
    {4,  3,  3,  {},                                "Am486DX2",            _,                    _,          _},
    {4,  7,  7,  {},                                "Am486DX2",            _,                    _,          _},
    {4,  8,  9,  {},                                "Am486DX4",            _,                    _,          _},
    {4,  14, 15, {},                                "Am5x86",              _,                    _,          "A"},
    {5,  0,  0,  {},                                "K5",                  "SSA/5",              "0.50 µm",  "0:E;1:F"},
    {5,  1,  3,  {},                                "K5",                  "5k86",               "0.35 µm",  _},
    {5,  6,  6,  {},                                "K6",                  "K6",                 "0.30 µm",  "1:B;2:C"},
    {5,  7,  7,  {},                                "K6",                  "Little Foot",        "0.25 µm",  "A"},
    {5,  8,  8,  {},                                "K6-II",               "Chomper",            "0.25 µm",  "0:A"},
    {5,  9,  9,  {},                                "K6-III",              "Sharptooth",         "0.25 µm",  "0:A"},
    {5,  13, 13, {},                                "K6-II+/K6-III+",      _,                    _,          _},
    {6,  0,  0,  {},                                "Athlon",              "Argon",              "0.25 µm",  _},
    {6,  1,  1,  {},                                "Athlon",              "Argon",              "0.25 µm",  "1:C1;2:C2"},
    {6,  2,  2,  {},                                "Athlon",              "Pluto/Orion",        "0.18 µm",  "1:A1;2:A2"},
    {6,  3,  3,  {},                                "Duron",               "Spitfire",           "0.18 µm",  "0:A0;1:A1,A2"},
    {6,  4,  4,  {},                                "Athlon",              "Thunderbird",        "0.18 µm",  "2:A4,A5,A6,A7;4:A9"},
    {6,  6,  6,  {},                                "Athlon XP",           "Palomino/Corvette",  "0.18 µm",  "0:A0;1:A2;2:A5"},
    {6,  7,  7,  {},                                "Duron",               "Morgan/Camaro",      "0.18 µm",  "0:A0;1:A1"},
    {6,  8,  8,  {},                                "Athlon",              "Thoroughbred",       "0.13 µm",  "0:A0;1:B0"},
    {6,  9,  9,  {},                                "Athlon",              "Appaloosa",          "0.13 µm",  _},
    {6,  10, 10, {},                                "Sempron",             "Barton",             "0.13 µm",  "A2"},
    {6,  10, 10, {L2(64)},                          _,                     "Applebred",          _,          _},
    {6,  10, 10, {L2(256)},                         _,                     "Geode",              _,          _},
    {15, 4,  4,  {},                                "Athlon 64",           "Clawhammer",         "0.13 µm",  "8:SH7-C0"},
    {15, 4,  4,  {Brands(32, 63)},                  _,                     "Hammer",             _,          _},
    {15, 4,  4,  {Brands(32, 63), L2(512)},         _,                     "Newcastle",          _,          _},
    {15, 5,  5,  {},                                "Opteron",             "Sledgehammer",       "0.13 µm",  _},
    {15, 5,  5,  {Brands(96, 127)},                 _,                     _,                    _,          " UP1-%d"},
    {15, 5,  5,  {Brands(128, 159)},                _,                     _,                    _,          " DP2-%d"},
    {15, 5,  5,  {Brands(160, 191)},                _,                     _,                    _,          " MP8-%d"},
    {15, 5,  5,  {},                                _,                     _,                    _,          "1:SH7-B3;8:SH7-C0"},
    {15, 6,  6,  {},                                "Athlon 64 Dual Core", "Toledo",             "90 nm",    _},
    {15, 7,  7,  {},                                "Opteron Dual Core",   "Egypt",              "90 nm",    _},
    {15, 9,  9,  {},                                "Athlon 64",           "K9",                 "90 nm",    _},
};

const std::vector<NameRow> kCyrix = {
    // Fam Model       When                CPUName          CodeName     Technology  Revision
    {0, kAny, kAny,  {Step(5)},          "Cx486S/D",      "M5",        _,          _},
    {0, kAny, kAny,  {Step(6)},          "Cx486DX",       "M6",        _,          _},
    {0, kAny, kAny,  {Step(7)},          "Cx486DX2",      "M7",        _,          _},
    {0, kAny, kAny,  {Step(8)},          "Cx486DX4",      "M8",        _,          _},
    {4, 1,    1,     {},                 "Cx486SLC",      _,           _,          "A"},
    {4, 2,    2,     {},                 "Cx5x86",        _,           _,          "9:0,rev1;11:0,rev1;13:0,rev1;15:0,rev1"},
    {4, 4,    4,     {},                 "MediaGX",       _,           _,          "GX,GXm"},
    {4, 9,    9,     {},                 "Cx5x86",        _,           "0.65 µm",  "0,rev2+"},
    {5, 2,    2,     {},                 "6x86",          "M1",        "0.65 µm",  _},
    {5, 3,    3,     {},                 "6x86L",         "M1L",       "0.35 µm",  _},
    {6, 0,    0,     {},                 "6x86MX",        "M2",        "0.35 µm",  _},
    {6, 0,    0,     {FreqAbove(224)},   "M-II",          _,           _,          _},
    {6, 5,    5,     {},                 "VIA Cyrix III", "Joshua",    _,          _},
    {6, 6,    6,     {},                 "VIA Cyrix 3",   "Samuel I",  _,          _},
    {6, 6,    6,     {Step(5)},          _,               "Samuel II", _,          _},
    {6, 7,    7,     {},                 "VIA Cyrix 3",   "Ezra",      _,          _},
};

const std::vector<NameRow> kIdt = {
    // Fam Model  When             CPUName         CodeName    Technology      Revision
    {5, 4, 4,   {},              "WinChip",      "C6",       "0.35 µm",      _},
    {5, 8, 8,   {},              "WinChip 2",    "C6-2",     "0.35-0.25 µm", "1:WC2;5:WC2;7-9:WC2A;10-15:WC2B"},
    {5, 9, 9,   {},              "WinChip 3",    _,          "0.25 µm",      _},
    {6, 6, 6,   {},              "VIA C3 C5A",   "Samuel 1", "0.18 µm",      _},
    {6, 7, 7,   {},              "VIA C3 C5B",   "Samuel 2", "0.13 µm",      _},
    {6, 7, 7,   {Steps(8, kBig)}, "VIA C3 C5C",  "Ezra",     "0.13µm",       _},
    {6, 8, 8,   {},              "VIA C3 C5N",   "Ezra-T",   "0.13 µm",      _},
    {6, 9, 9,   {},              "VIA C3 C5XL",  "Nehemiah", "0.13 µm",      _},
    {6, 9, 9,   {Steps(8, kBig)}, "VIA C3 C5P",  _,          _,              _},
};

const std::vector<NameRow> kNexGen = {
    {5, 0, 0, {}, "Nx586", _,    "0.50-0.44 µm", _},
    {5, 6, 6, {}, "Nx686", "HA", "0,50 µm",      _},
};

const std::vector<NameRow> kUmc = {
    {4, 1, 1, {}, "U5SD",    _, _, _},
    {4, 2, 2, {}, "U5S/X",   _, _, _},
    {4, 3, 3, {}, "U486DX2", _, _, _},
    {4, 5, 5, {}, "U486SX2", _, _, _},
};

const std::vector<NameRow> kRise = {
    {5, kAny, kAny, {}, "mP6", _,            _,         _},
    {5, 0,    0,    {}, _,     "iDragon",    _,         _},
    {5, 2,    2,    {}, _,     "iDragon",    "0.18 µm", _},
    {5, 8,    8,    {}, _,     "iDragon II", "0.25 µm", _},
    {5, 9,    9,    {}, _,     "iDragon II", "0.18 µm", _},
};

const std::vector<NameRow> kSis = {
    {5, 0, 0, {}, "55x", _, _, _},
};

const std::vector<NameRow> kGeode = {
    {kAny, kAny, kAny, {}, "Geode", _, _, _},
};

const std::vector<NameRow> kTransmeta = {
    {5, kAny, kAny, {},        "Crusoe",   "TM5600/TM5800",        _, _},
    {5, kAny, kAny, {L2(0)},   _,          "TM3200",               _, _},
    {5, kAny, kAny, {L2(256)}, _,          "TM5400/TM5500",        _, _},
    {6, kAny, kAny, {},        "Efficeon", "Astro,TM8600/TM8800",  _, _},
    {6, kAny, kAny, {L2(256)}, _,          "Astro,TM8300/TM8500",  _, _},
};

const std::vector<NameRow> kIntel = {
    // Fam Model    When                                   CPUName                           CodeName                       Technology  Revision
    {4,  0,  0,   {},                                    "i80486DX",                       "P4",                          _,          "0:A0-A1;1:B2-B6;2:C0;3:C1;4:D0"},
    {4,  1,  1,   {},                                    "i80486DX",                       "P4",                          _,          "0:cA2,cA3;1:cB0,cB1;3:cC0;4:aA0,aA1;5:aB0"},
    {4,  1,  1,   {Steps(4, 5)},                         "+-SL",                           _,                             _,          _},
    {4,  2,  2,   {},                                    "i80486SX",                       "P4S",                         _,          "0:A0;2:B0;3:bBx;4:gAx;7:cA0;8:cB0;10:aA0,aA1;11:aB0,aC0"},
    {4,  2,  2,   {Step(3)},                             "+-WB",                           _,                             _,          _},
    {4,  2,  2,   {Steps(10, 11)},                       "+-SL",                           _,                             _,          _},
    {4,  3,  3,   {},                                    "i80486DX/2",                     "P24S",                        _,          "2:A0-A2;3:B1;4:aA0,aA1;5:aB0,aC0;6:A"},
    {4,  3,  3,   {Steps(4, 5)},                         "+-SL",                           _,                             _,          _},
    {4,  3,  3,   {Step(6)},                             "+-WB",                           "P24D",                        _,          _},
    {4,  4,  4,   {},                                    "i80486SL",                       "P23",                         _,          "0:A"},
    {4,  5,  5,   {},                                    "i80486SX/2",                     "P23",                         _,          "11:aC0"},
    {4,  7,  7,   {},                                    "i80486DX/2-WB",                  "P24D",                        _,          "A"},
    {4,  8,  9,   {},                                    "i80486DX/4",                     "P24C",                        _,          "A"},
    {4,  8,  9,   {Type(1)},                             "+ OverDrive",                    _,                             _,          _},
    {5,  0,  0,   {},                                    "Pentium",                        "A80501,P5",                   "0.80 µm",  "Ax"},
    {5,  1,  1,   {},                                    "Pentium",                        "A80501,P5",                   "0.80 µm",  _},
    {5,  1,  1,   {Type(1)},                             "Pentium OverDrive for P5",       "PODP5V,P5T",                  _,          "10:tA0"},
    {5,  1,  1,   {TypeNot(1)},                          _,                                _,                             _,          "3:B1;4:B2;5:C1;7:D1"},
    {5,  2,  2,   {Type(0)},                             "Pentium",                        "A80502,P54C,P54CS",           "0.50 µm",  "1:B1;2:B3;4:B5;5:C1,C2,mA1;6:E0;11:cB1,mcB1;12:aC0,cC0,mcC0,acC0"},
    {5,  2,  2,   {Type(1)},                             "Pentium OverDrive for P54C",     "P54CT",                       "0.35 µm",  _},
    {5,  2,  2,   {Type(2)},                             "Pentium OverDrive for P54C",     "P54M",                        "0.35 µm",  _},
    {5,  3,  3,   {},                                    "Pentium OverDrive for 486",      "P24B",                        _,          _},
    {5,  3,  3,   {Step(1)},                             _,                                "P24T",                        _,          _},
    {5,  4,  4,   {},                                    "Pentium MMX",                    "A80503,P55C",                 "0.28 µm",  _},
    {5,  4,  4,   {Type(1)},                             "Pentium MMX OverDrive for P54C", "P55CTP",                      _,          "4:oxA3"},
    {5,  4,  4,   {TypeNot(1)},                          _,                                _,                             _,          "1:A1;2:A3;3:xB1,mxB1;4:xA3,mxA3"},
    {5,  7,  7,   {},                                    "Pentium",                        "A80502,P54C,P54CS",           "0.35 µm",  _},
    {5,  8,  8,   {},                                    "Pentium MMX",                    "A80503,P55C",                 "0.25 µm",  "1:myA0;2:sB1,myB1"},
    {6,  0,  0,   {},                                    "Pentium Pro",                    "A80521,P6",                   "0.50 µm",  _},
    {6,  1,  1,   {},                                    "Pentium Pro",                    "A80521,P6",                   "0.35 µm",  "1:B0;2:C0;6:sA0;7:sA1;9:sB1"},
    {6,  3,  3,   {TypeNot(0)},                          "Pentium II OverDrive",           "POPD66X333,P6T",              "0.28 µm",  "2:TdB0"},
    {6,  3,  3,   {Type(0)},                             "Pentium II",                     "A80522,P6L Klamath",          "0.28 µm",  "3:C0;4:C1"},
    {6,  5,  5,   {},                                    "Celeron",                        "P6C Covington",               "0.25 µm",  "0:dA0,mdA0,mmdA0;1:dA1;2:B0,dB0,mdB0,mmdB0;3:B1,dB1"},
    {6,  5,  5,   {L2In(1024, kBig)},                    "Pentium II Xeon",                "A80523, P6L Deschutes",       _,          _},
    {6,  5,  5,   {L2(512)},                             "Pentium II",                     "A80523, P6L Deschutes",       _,          _},
    {6,  5,  5,   {L2(256)},                             "Pentium II PE",                  "Tonga",                       _,          _},
    {6,  6,  6,   {},                                    "Mobile Pentium II",              "Dixon",                       "0.25 µm",  "0:mA0;2:dB1;5:mB0;10:mdbA0,mdxA0,mqbA1,mqpA1"},
    {6,  6,  6,   {L2(128)},                             "Celeron",                        "P6C Mendocino, Celeron A",    _,          _},
    {6,  6,  6,   {L2(128), SerialFeature()},            "Mobile Celeron",                 "Dixon",                       _,          _},
    {6,  7,  7,   {},                                    "Pentium III",                    "A80525,P6K Katmai",           "0.25 µm",  "2:B0,kB0;3:C0,kC0"},
    {6,  7,  7,   {L2In(1024, kBig)},                    "Pentium III Xeon",               "Tanner",                      _,          _},
    {6,  8,  8,   {},                                    _,                                _,                             "0.18 µm",  "1:A2,cA2,cA2c;3:B0,cB0,cB0c;6:C0,cC0;10:D0,cD0"},
    {6,  8,  8,   {L2In(kAny, 128)},                     "Celeron",                        "Coppermine-128, Celeron II",  _,          _},
    {6,  8,  8,   {L2In(129, kBig)},                     "Pentium III Xeon",               "Cascades",                    _,          _},
    {6,  8,  8,   {L2(256)},                             "Pentium III",                    "A80526, Coppermine",          _,          _},
    {6,  8,  8,   {L2(256), Brand(1)},                   "Celeron",                        _,                             _,          _},
    {6,  9,  9,   {},                                    _,                                _,                             "0.13 µm",  _},
    {6,  9,  9,   {Brand(18)},                           "Celeron M",                      "Banias",                      _,          _},
    {6,  9,  9,   {Brand(22)},                           "Pentium M",                      "Banias",                      _,          _},
    {6,  10, 10,  {},                                    "Pentium III Xeon A",             "A80530,Tualatin",             "0.18 µm",  "0:A0;1:A1;4:B0"},
    {6,  11, 11,  {},                                    "Pentium III B",                  "A80530,Tualatin",             "0.13 µm",  "1:tA1,A1;4:tB1"},
    {6,  11, 11,  {Brand(1)},                            "Celeron",                        _,                             _,          _},
    {6,  11, 11,  {Brand(3)},                            "Pentium III Xeon",               _,                             _,          _},
    {6,  11, 11,  {Brand(6)},                            "Mobile Pentium III M",           "Geyservile",                  _,          _},
    {6,  11, 11,  {Brand(7)},                            "Mobile Celeron",                 "Geyservile",                  _,          _},
    {6,  12, 12,  {},                                    "Pentium M",                      "Dothan",                      "0.09 µm",  _},
    {7,  kAny, kAny, {},                                 "Itanium",                        "Merced",                      "0.18 µm",  _},
    {15, kAny, kAny, {FamEx(1)},                         "Itanium 2",                      _,                             "0.13 µm",  _},
    {15, 0,  0,   {FamEx(1)},                            _,                                "McKinley",                    "0.18 µm",  _},
    {15, 1,  1,   {FamEx(1)},                            _,                                "Madison/Deerfield",           _,          _},
    {15, 2,  2,   {FamEx(1)},                            _,                                "Madison 9M",                  _,          _},
    {15, 0,  0,   {FamEx(0)},                            "Pentium 4",                      "P68, Willamette",             "0.18 µm",  "7:B2;10:C1"},
    {15, 0,  0,   {FamEx(0), Brand(11)},                 "Pentium 4 Xeon",                 "Foster",                      _,          _},
    {15, 1,  1,   {FamEx(0)},                            "Pentium 4",                      "P68, Willamette",             "0.18 µm",  "2:D0;3:E0"},
    {15, 1,  1,   {FamEx(0), Brand(10)},                 "Celeron",                        _,                             _,          _},
    {15, 1,  1,   {FamEx(0), Brand(11)},                 "Pentium 4 Xeon",                 "Foster",                      _,          _},
    {15, 1,  1,   {FamEx(0), Brand(12)},                 "Pentium 4 Xeon MP",              "Foster MP",                   _,          _},
    {15, 2,  2,   {FamEx(0)},                            "Pentium 4",                      "Northwood",                   "0.13 µm",  "4:B0;5:M0;7:C1;9:D1"},
    {15, 2,  2,   {FamEx(0), Brand(9)},                  "Pentium 4 with HTT",             _,                             _,          _},
    {15, 2,  2,   {FamEx(0), Brand(10)},                 "Celeron",                        "Prestonia",                   _,          _},
    {15, 2,  2,   {FamEx(0), Brand(11)},                 "Pentium 4 Xeon",                 "Prestonia",                   _,          _},
    {15, 2,  2,   {FamEx(0), Brand(11), L3In(1, kBig)},  "Pentium 4 Xeon MP",              _,                             _,          _},
    {15, 2,  2,   {FamEx(0), Brand(12)},                 "Pentium 4 Xeon MP",              "Prestonia",                   _,          _},
    {15, 2,  2,   {FamEx(0), Brand(12), L3In(1, kBig)},  _,                                "Gallatin",                    _,          _},
    {15, 2,  2,   {FamEx(0), Brand(14)},                 "Mobile Pentium 4 M",             _,                             _,          _},
    {15, 2,  2,   {FamEx(0), Brand(15)},                 "Mobile Celeron",                 _,                             _,          _},
    {15, 3,  3,   {FamEx(0)},                            "Pentium 4",                      "Prescott",                    "90 nm",    _},
    {15, 3,  3,   {FamEx(0), Brand(9), L2(256)},         "Celeron",                        _,                             _,          _},
    {15, 3,  3,   {FamEx(0), Brand(9), L2(1024)},        "Pentium 4 with HTT",             _,                             _,          _},
    {15, 3,  3,   {FamEx(0), Brand(11)},                 "Pentium 4 Xeon",                 "Nocona",                      _,          _},
    {15, 3,  3,   {FamEx(0), Brand(12)},                 "Pentium 4 Xeon MP",              "Potomac",                     _,          _},
    {15, 4,  4,   {FamEx(0)},                            "Pentium 4",                      "Tejas",                       "65 nm",    _},
    {15, 4,  4,   {FamEx(0), Brands(0, 10)},             "Celeron",                        _,                             _,          _},
    {15, 4,  4,   {FamEx(0), Brands(0, 10), L2(256)},    "Celeron D",                      _,                             _,          _},
    {15, 4,  4,   {FamEx(0), Brand(11)},                 "Pentium 4 Xeon",                 "Tulsa",                       _,          _},
};

const std::vector<NameRow> kNone;

int ValueOf(NameKey key, const CpuNameInput& in) {
  switch (key) {
    case NameKey::Stepping: return in.Stepping;
    case NameKey::CPUType: return in.CPUType;
    case NameKey::Brand: return in.Brand;
    case NameKey::L2: return in.L2;
    case NameKey::L3: return in.L3;
    case NameKey::FamilyEx: return in.FamilyEx;
    case NameKey::Frequency: return in.Frequency > INT_MAX ? INT_MAX : static_cast<int>(in.Frequency);
    case NameKey::SerialFeature: return in.SerialFeature ? 1 : 0;
    case NameKey::None: break;
  }
  return 0;
}

bool Holds(const NameCondition& c, const CpuNameInput& in) {
  if (c.Key == NameKey::None) return true;
  int v = ValueOf(c.Key, in);
  bool inside = (c.Lo == kAny || v >= c.Lo) && v <= c.Hi;
  return inside != c.Negate;
}

bool Matches(const NameRow& row, const CpuNameInput& in) {
  if (row.Family != kAny && row.Family != in.Family) return false;
  if (row.ModelLo != kAny && (in.Model < row.ModelLo || in.Model > row.ModelHi)) return false;
  for (const auto& c : row.When)
    if (!Holds(c, in)) return false;
  return true;
}

// "12" or "7-9" before the colon of a revision token.
bool SteppingRange(const std::string& s, int& lo, int& hi) {
  auto number = [](const std::string& t, int& out) {
    if (t.empty() || t.size() > 3) return false;
    for (char ch : t)
      if (ch < '0' || ch > '9') return false;
    out = std::atoi(t.c_str());
    return true;
  };
  size_t dash = s.find('-');
  if (dash == std::string::npos) return number(s, lo) && number(s, hi);
  return number(s.substr(0, dash), lo) && number(s.substr(dash + 1), hi);
}
}  // namespace

const std::vector<NameRow>& NameTable(TCpuVendor vendor) {
  switch (vendor) {
    case TCpuVendor::cvIntel: return kIntel;
    case TCpuVendor::cvAmd: return kAmd;
    case TCpuVendor::cvCyrix: return kCyrix;
    case TCpuVendor::cvIDT: return kIdt;
    case TCpuVendor::cvNexGen: return kNexGen;
    case TCpuVendor::cvUMC: return kUmc;
    case TCpuVendor::cvRise: return kRise;
    case TCpuVendor::cvSiS: return kSis;
    case TCpuVendor::cvGeode: return kGeode;
    case TCpuVendor::cvTransmeta: return kTransmeta;
    default: return kNone;
  }
}

std::string RevisionFor(const char* list, int stepping, int brand) {
  if (!list) return {};
  std::string found;
  for (const std::string& token : Split(list, ';')) {
    size_t colon = token.find(':');
    int lo = 0, hi = 0;
    if (colon != std::string::npos && SteppingRange(token.substr(0, colon), lo, hi)) {
      if (stepping >= lo && stepping <= hi) found = token.substr(colon + 1);
    } else {
      found = token;
    }
  }
  if (found.find("%d") != std::string::npos)
    found = ReplaceAll(found, "%d", std::to_string((brand & 0x1F) * 2 + 38));
  return found;
}

CpuNames NameProcessor(const CpuNameInput& in) {
  CpuNames names;
  for (const NameRow& row : NameTable(in.Vendor)) {
    if (!Matches(row, in)) continue;
    if (row.CPUName) {
      if (row.CPUName[0] == '+') names.CPUName += row.CPUName + 1;
      else names.CPUName = row.CPUName;
    }
    if (row.CodeName) names.CodeName = row.CodeName;
    if (row.Technology) names.Technology = row.Technology;
    std::string revision = RevisionFor(row.Revision, in.Stepping, in.Brand);
    if (!revision.empty()) names.Revision = revision;
  }
  return names;
}

}  // namespace kestrova
