#!/usr/bin/env python3
"""Mutation probe: how many plausible one-line faults does the native test suite notice?

Each mutation below replaces one piece of text (which must occur exactly once in its
file) with a faulty variant: a bound off by one, a wrong bit, a wrong table value, an
inverted condition, a wrong separator. For each one, in turn, the script edits the
source, rebuilds the native tests in a plain, unsanitised -O0 tree (build/mutants by
default, configured on first use), runs the test program (the tests ctest runs, in one
process, which is much faster), records whether any test failed or hung ("caught") or
none did ("MISSED"), and puts the file back. A mutant that does not
compile is reported and left out of the rate.

  scripts/mutation-probe.py                 # every mutation
  scripts/mutation-probe.py -k smbios dma   # only those whose file or label holds a word
  scripts/mutation-probe.py --list          # the list, nothing built

The sources are restored after every mutant, also on Ctrl-C. Use a fresh list of faults
from time to time: a suite tuned against one list proves little about the next.
"""
import argparse
import os
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# (file, text, replacement, what the fault is); text and replacement may be lists of
# alternatives, of which the first text found in the file is used (a fault that must
# survive a rewrite of the line it sits in).
MUTATIONS = [
    # SMBIOS
    ("engine/hardware/smbios.cpp", '"Pizza Box"', '"Pizza box"', "chassis name row"),
    ("engine/hardware/smbios.cpp", '"Socket 478"', '"Socket 479"', "upgrade-interface name row"),
    ("engine/hardware/smbios.cpp", "else if (volt & 0x02) p.Voltage = 3.3;", "else if (volt & 0x04) p.Voltage = 3.3;", "processor voltage bit"),
    ("engine/hardware/smbios.cpp", '"SCSI Wide"', '"SCSI wide"', "port type name row"),
    ("engine/hardware/smbios.cpp", "type >= 0xA0 && type <= 0xA4", "type >= 0xA0 && type <= 0xA3", "slot type range end"),
    # Equivalent (no test can catch it): a structure of length 10 has no byte 0Ah to read.
    ("engine/hardware/smbios.cpp", "if (s.Length() > 9) v.MainBoardLocationInChassis", "if (s.Length() > 10) v.MainBoardLocationInChassis", "board length bound"),
    # Equivalent too: the word at 14h needs a length of 22 to be read at all.
    ("engine/hardware/smbios.cpp", "if (s.Length() >= 21) t.NominalValue", "if (s.Length() > 21) t.NominalValue", "probe length bound"),
    ("engine/hardware/smbios.cpp", '"RDRAM", "DDR"}', '"RDRAM", "DDR2"}', "memory device last name"),
    ("engine/hardware/smbios.cpp", "s.Byte(0x0D) & 0x07", "s.Byte(0x0D) & 0x03", "controller voltage mask"),
    ("engine/hardware/smbios.cpp", '{38, "IPMI Device Information"}', '{38, "IPMI Device information"}', "structure type name"),
    ("engine/hardware/smbios.cpp", "(assoc >= 1 && assoc <= 8)", "(assoc >= 1 && assoc <= 7)", "cache associativity bound"),
    # CPU
    ("engine/hardware/cpu_vendor.cpp", '"Rise Technology"', '"Rise Technologies"', "vendor full name"),
    ("engine/hardware/cpu_vendor.cpp", '"Transmeta",                     kExtended}', '"Transmeta",                     kDescriptors}', "vendor cache method"),
    ("engine/hardware/cpu_cache.cpp", "{0x7F, K::L2,      A::ca2Way,", "{0x7F, K::L2,      A::ca4Way,", "descriptor associativity"),
    ("engine/hardware/cpu_cache.cpp", "{0x29, K::L3,      A::ca8Way, 4096,", "{0x29, K::L3,      A::ca8Way, 2048,", "descriptor size"),
    ("engine/hardware/cpu_cache.cpp", "case 6: return A::ca8Way;", "case 5: return A::ca8Way;", "associativity code"),
    ("engine/hardware/cpu_cache.cpp", "l2.LineSize = static_cast<int>(leaf6.Ecx & 0xFF);", "l2.LineSize = static_cast<int>(leaf6.Ecx & 0x7F);", "L2 line mask"),
    ("engine/hardware/cpu_features.cpp", '{11, 4,  "TSC"', '{11, 5,  "TSC"', "time-stamp-counter bit"),
    ("engine/hardware/cpu_features.cpp", '"Thermal monitor and software controlled clock"', '"Thermal monitor and software controlled clocks"', "feature description"),
    ("engine/hardware/cpu_features.cpp", '"FFXSR",                                          All,', '"FFXSR",                                          AMD,', "feature vendor"),
    ("engine/hardware/cpu_names.cpp", '"Thoroughbred"', '"Thoroughbread"', "AMD code name"),
    ("engine/hardware/cpu_names.cpp", '"VIA C3 C5XL",  "Nehemiah", "0.13 µm"', '"VIA C3 C5XL",  "Nehemiah", "0.18 µm"', "VIA technology"),
    ("engine/hardware/cpu.cpp", "family == 15 ? 15 + Bits(l1.Eax, 27, 20)", "family == 15 ? 15 + Bits(l1.Eax, 27, 21)", "extended family bits"),
    ("engine/hardware/cpu.cpp", 'Format("%04X-%04X", reg >> 16', 'Format("%04X:%04X", reg >> 16', "serial number separator"),
    # machine, DMA
    ("engine/hardware/machine.cpp", "scrollLock_ = keys[kVkScroll] == 1;", "scrollLock_ = keys[kVkScroll] != 0;", "scroll lock toggle test"),
    ("engine/hardware/machine.cpp", "%2.2d%s%2.2d%s%4.4d %2.2d", "%2.2d%s%2.2d%s%4.4d-%2.2d", "boot time separator"),
    ("engine/hardware/dma.cpp", "if (!InRange(a) || !InRange(a + 3)) return 0;", "if (!InRange(a) || !InRange(a + 2)) return 0;", "dword bound"),
    ("engine/hardware/dma.cpp", "if (s.size() < 255) s +=", "if (s.size() < 254) s +=", "string length bound"),
    # devices, resources
    ("engine/inventory/devices.cpp", '"SmartCardReader"', '"SmartCardReaders"', "device class name"),
    ("engine/inventory/devices.cpp", "for (size_t i = 0; i < 38; ++i)", "for (size_t i = 0; i < 37; ++i)", "device class last entry"),
    ("engine/inventory/devices.cpp", 'd.Revision = HexAfter(id, "REV_", 2);', 'd.Revision = HexAfter(id, "REV_", 3);', "revision digits"),
    ("engine/inventory/resource_list.cpp", '{6, "BusNumber"}', '{6, "Busnumber"}', "resource type name"),
    ("engine/inventory/resource_list.cpp", 'return share < 3 ? kNames[share] : "Shared";', 'return share < 2 ? kNames[share] : "Shared";', "share disposition bound"),
    ("engine/inventory/resource_list.cpp", 'case rtPort: return Format("%4.4llx - %4.4llx", s, e);', 'case rtPort: return Format("%4.4llx-%4.4llx", s, e);', "port range separator"),
    ("engine/inventory/resource_list.cpp", "return ResourceStart(r) + r.V4 - 1; }", "return ResourceStart(r) + r.V4; }", "range end off by one"),
    # OS
    ("engine/os/osinfo.cpp", '"Windows Millenium Edition"', '"Windows Millennium Edition"', "OS name row"),
    ("engine/os/osinfo.cpp", "(v.BuildNumber & 0xFFFF) == 2222", "(v.BuildNumber & 0xFFFF) == 2223", "98 SE build"),
    ("engine/os/osinfo.cpp", 'if (trimmed == "C") return', 'if (trimmed == "c") return', "OSR 2.5 letter"),
    ("engine/os/shared_routines.cpp", "v = (v >> 24) | ((v >> 8) & 0xFF00)", "v = (v >> 24) | ((v >> 8) & 0xFF0000)", "big-endian byte swap"),
    ("engine/os/shared_routines.cpp", 'out += "\\r\\n";\n        i = static_cast', 'out += "\\n";\n        i = static_cast', "multi-string separator"),
    # core
    ("engine/core/format.cpp", '{int64_t{1} << 20, 1024.0 * 1024.0, "MO"}', '{int64_t{1} << 21, 1024.0 * 1024.0, "MO"}', "size unit bound"),
    ("engine/core/format.cpp", '(rest == 1 ? " Second." : " Seconds.")', '(rest <= 1 ? " Second." : " Seconds.")', "singular seconds"),
    ("engine/core/format.cpp", '{2678400LL, " Month, "', '{2592000LL, " Month, "', "month length"),
    # Equivalent: after the first loop s[b] is not blank, so e never stops at b + 1 on a blank.
    ("engine/core/text.cpp", "while (e > b && IsBlank(s[e - 1])) --e;", "while (e > b + 1 && IsBlank(s[e - 1])) --e;", "trim bound"),
    ("engine/core/date_time.cpp", "  y -= m <= 2;", "  y -= m < 2;", "civil date: February"),
    ("engine/core/date_time.cpp", "y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));", "y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m < 2));", "days to date: February"),
    ("engine/core/report_writer.cpp", 's = ReplaceAll(s, "\'", "&apos;");', 's = ReplaceAll(s, "\'", "&#39;");', "escaped apostrophe"),
    ("engine/core/report_writer.cpp", 'case 1049: return "KOI8-R";', 'case 1049: return "KOI8-U";', "encoding table row"),
    # sections
    ("sections/run.cpp", '    ctx_.Host.SetStatusText("");\n', "", "status reset after a section"),
    ("sections/run.cpp", "if (began_) ctx_.Log.EndUpdate();", "ctx_.Log.EndUpdate();", "update balance when Prepare throws"),
    ("sections/categories.cpp", 'kCatServices, kCatEnvironment', 'kCatEnvironment, kCatServices', "category order"),
    ("sections/folder_sections.cpp", '{"Répertoire \\"Ma musique / Utilisateur actuel\\"", 13}', '{"Répertoire \\"Ma musique / Utilisateur actuel\\"", 14}', "folder CSIDL"),
    ("sections/folder_sections.cpp", "if ((e.Attributes & kAttrHidden) && (e.Attributes & kAttrSystem)) continue;", "if ((e.Attributes & kAttrHidden) || (e.Attributes & kAttrSystem)) continue;", "hidden-and-system rule"),
    # recorded machines
    ("engine/platform/recorded/ini.cpp", ["if (line.back() != ']' || line.size() < 3)", "if (name.empty()) throw"],
     ["if (line.back() != ']')", "if (line.size() < 2) throw"], "empty section header"),
    ("engine/platform/recorded/registry_tree.cpp", "if (b.empty() || b.size() > 2) return false;", "if (b.empty() || b.size() > 3) return false;", "three-digit hex byte"),
    ("engine/platform/recorded/recorded_machine.cpp", "{0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4}", "{0, 3, 3, 5, 0, 3, 5, 1, 4, 6, 2, 4}", "weekday of March"),
]


def run(cmd, timeout=None):
    return subprocess.run(cmd, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          timeout=timeout).returncode


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("-k", nargs="*", default=[], help="keep mutations whose file or label holds one of these words")
    ap.add_argument("--build", default="build/mutants", help="build tree (default build/mutants)")
    ap.add_argument("--jobs", default="2")
    ap.add_argument("--list", action="store_true")
    args = ap.parse_args()

    chosen = []
    for path, old, new, label in MUTATIONS:
        if args.k and not any(w in path or w in label for w in args.k):
            continue
        text = open(os.path.join(ROOT, path), encoding="utf-8").read()
        olds, news = (old, new) if isinstance(old, list) else ([old], [new])
        found = [i for i, o in enumerate(olds) if text.count(o) == 1]
        if not found:
            sys.exit(f"{path}: the text of '{label}' does not occur exactly once")
        chosen.append((path, olds[found[0]], news[found[0]], label))
    if args.list:
        for path, _, _, label in chosen:
            print(f"{path}: {label}")
        return

    build = os.path.join(ROOT, args.build)
    if not os.path.exists(os.path.join(build, "build.ninja")):
        if run(["cmake", "-S", ".", "-B", args.build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                "-DCMAKE_CXX_FLAGS=-O0 -g0"]) != 0:
            sys.exit("cmake failed")
    build_cmd = ["cmake", "--build", args.build, "-j", args.jobs, "--target", "kestrova_tests"]
    tests = [os.path.join(build, "tests", "kestrova_tests"), "--gtest_brief=1"]
    if run(build_cmd) != 0 or run(tests, 600) != 0:
        sys.exit("the unmutated tree does not build or its tests fail: fix that first")

    caught, missed, broken = [], [], []
    for n, (path, old, new, label) in enumerate(chosen, 1):
        full = os.path.join(ROOT, path)
        original = open(full, encoding="utf-8").read()
        start = time.time()
        try:
            with open(full, "w", encoding="utf-8") as f:
                f.write(original.replace(old, new, 1))
            if run(build_cmd) != 0:
                result, bucket = "does not compile", broken
            else:
                try:
                    failed = run(tests, 300) != 0
                except subprocess.TimeoutExpired:
                    failed = True  # a hang is noticed too
                result, bucket = ("caught", caught) if failed else ("MISSED", missed)
        finally:
            with open(full, "w", encoding="utf-8") as f:
                f.write(original)
        bucket.append(f"{path}: {label}")
        print(f"[{n}/{len(chosen)}] {result:16} {path}: {label} ({time.time() - start:.0f} s)", flush=True)

    run(build_cmd)  # leave the tree built from the real sources
    judged = len(caught) + len(missed)
    if judged:
        print(f"\n{len(caught)}/{judged} caught ({100.0 * len(caught) / judged:.0f} %), "
              f"{len(broken)} did not compile")
    for m in missed:
        print("  missed: " + m)


if __name__ == "__main__":
    main()
