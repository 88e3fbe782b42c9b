#!/usr/bin/env python3
"""Runs `kestrova-report --format xml --machine DIR` over every recorded machine and reads
each document, plain and --private, with a real XML parser: well-formed, its bytes decode in the encoding its
first line declares, the envelope's attributes, the eighteen engine blocks in their report
order, and every data line typed as its type says.

    report_xml_check.py KESTROVA-REPORT MACHINES-DIR
"""
import codecs
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

# The aggregate's members in the order its document holds them.
REPORT_ORDER = ["TMachine", "TOperatingSystem", "TCPU", "TMemory", "TDisplay", "TMonitor", "TAPM",
                "TMedia", "TNetwork", "TDevices", "TStorage", "TUSB", "TEngines", "TDisk",
                "TPrinters", "TSoftware", "TStartup", "TProcessList"]
DECLARATION = re.compile(rb'^<\?xml version="1\.0" encoding="([^"]+)" standalone="yes"\?>\n')


def check_document(data, label, want_encoding):
    faults = []
    m = DECLARATION.match(data)
    if not m:
        return [f"{label}: first line is not the declaration: {data[:80]!r}"]
    encoding = m.group(1).decode("ascii")
    if encoding != want_encoding:
        faults.append(f"{label}: declares {encoding}, expected {want_encoding}")
    try:
        text = data.decode(codecs.lookup(encoding).name, errors="strict")
    except (LookupError, UnicodeDecodeError) as e:
        return faults + [f"{label}: does not decode as {encoding}: {e}"]
    try:
        # The text decoded by the declaration, handed to the parser without it (expat reads
        # multi-byte encodings such as Shift_JIS only that way).
        root = ET.fromstring(text[m.end():])
    except ET.ParseError as e:
        line = text[m.end():].splitlines()[e.position[0] - 1] if e.position[0] >= 1 else ""
        return faults + [f"{label}: not well-formed: {e}: {line[:200]!r}"]
    if root.tag != "classes":
        faults.append(f"{label}: root element {root.tag}")
    for attr in ("componentname", "version", "copyright", "os", "machine"):
        if attr not in root.attrib:
            faults.append(f"{label}: envelope without {attr}")
    if root.get("version") != "8.7.5":
        faults.append(f"{label}: version {root.get('version')}")
    if not re.fullmatch(r".+ \(\d+\.\d+\.\d+\)", root.get("os", "")):
        faults.append(f"{label}: os attribute {root.get('os')!r}")
    # A class may write a second block of its own (TDevices: "DeviceResources").
    members = []
    for b in root:
        if b.get("classname") in REPORT_ORDER and members[-1:] != [b.get("classname")]:
            members.append(b.get("classname"))
    if members != REPORT_ORDER:
        faults.append(f"{label}: engine blocks {members}")
    for block in root:
        if block.get("classname") is None or block.tag in ("data", "section"):
            faults.append(f"{label}: <{block.tag}> directly in the envelope")
    data_count = 0
    for element in root.iter():
        if element is root or element in list(root):
            continue
        if element.tag == "section":
            if "name" not in element.attrib or (element.text or "").strip():
                faults.append(f"{label}: section {element.attrib}")
            continue
        if element.tag != "data":
            faults.append(f"{label}: element <{element.tag}> inside a block")
            continue
        data_count += 1
        name, kind, value = element.get("name"), element.get("type"), element.text or ""
        if name is None:  # empty is allowed: names built from data may be empty
            faults.append(f"{label}: data without a name attribute")
        ok = {"string": lambda v: True,
              "integer": lambda v: re.fullmatch(r"-?[0-9a-fA-F]+", v) is not None,
              "boolean": lambda v: v in ("0", "1"),
              "Boolean": lambda v: v in ("0", "1"),  # the on-board devices' status, so named
              "float": lambda v: re.fullmatch(r"-?[0-9]+(\.[0-9]+)?", v) is not None}.get(kind)
        if ok is None:
            faults.append(f"{label}: data {name} of type {kind!r}")
        elif not ok(value):
            faults.append(f"{label}: data {name} of type {kind} holds {value!r}")
        if len(element):
            faults.append(f"{label}: data {name} holds elements")
    if data_count < 50:
        faults.append(f"{label}: only {data_count} data lines")
    return faults


def run(report, machine, label, want_encoding, extra=()):
    result = subprocess.run([report, "--format", "xml", "--machine", machine, *extra],
                            capture_output=True, timeout=60)
    if result.returncode != 0:
        return [f"{label}: exit status {result.returncode}: {result.stderr.decode(errors='replace')}"]
    return check_document(result.stdout, label, want_encoding)


def main():
    report, machines = sys.argv[1], sys.argv[2]
    faults, count = [], 0
    dirs = sorted(d for d in os.listdir(machines) if os.path.isfile(os.path.join(machines, d, "machine.ini")))
    for name in dirs:
        faults += run(report, os.path.join(machines, name), name, "iso-8859-1")
        # Private: the placeholders are escaped as any value ("&lt;adresse IP 1&gt;").
        faults += run(report, os.path.join(machines, name), name + " (--private)", "iso-8859-1", ["--private"])
        count += 2
    # The first machine again under a Japanese system language: the document must decode
    # as the Shift_JIS it then declares.
    with tempfile.TemporaryDirectory() as tmp:
        copy = os.path.join(tmp, "machine")
        shutil.copytree(os.path.join(machines, dirs[0]), copy)
        ini = os.path.join(copy, "machine.ini")
        with open(ini, encoding="utf-8") as f:
            text = f.read()
        changed = re.sub(r"(?m)^SystemDefaultLangID=.*$", "SystemDefaultLangID=0x0411", text)
        if changed == text:
            faults.append(f"{dirs[0]}: no SystemDefaultLangID line to change")
        with open(ini, "w", encoding="utf-8") as f:
            f.write(changed)
        faults += run(report, copy, dirs[0] + " (1041)", "Shift_JIS")
        count += 1
    for fault in faults:
        print("FAULT:", fault)
    print(f"{count} documents, {len(faults)} faults")
    return 1 if faults or count < 4 else 0


if __name__ == "__main__":
    sys.exit(main())
