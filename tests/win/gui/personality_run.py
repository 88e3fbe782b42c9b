#!/usr/bin/env python3
"""The whole program under one Windows personality of Wine (KESTROVA_WINVER):

1. kestrova-report runs every category (timed; the start of Wine measured apart with
   --help); every section heading stands where it belongs for the family;
2. the window (kestrova_guitests, EveryCategoryRunsAndTheReportComesBackFromItsRtf) runs
   every category over the real engine, saves the report as RTF and opens it again; its
   headings are checked the same way;
3. LibreOffice converts that RTF to text, which must hold the window's lines in order.

    personality_run.py KESTROVA-REPORT.exe KESTROVA_GUITESTS.exe
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
GUI_RUN = os.path.join(HERE, "..", "..", "..", "scripts", "gui-test-run.sh")

MEMORY = "Mémoire"
# The headings of a complete run, in run order ("CPU (processeur)" gives one heading per
# processor; the first is checked here, the others are counted apart).
HEADINGS = [
    "Début Analyse", "Machine (général)", "Système d'exploitation (OS)", "CPU (processeur) - CPU #0",
    "Localisation", "Affichage", "Moniteurs", "Multimédia", MEMORY, "Disques", "ASPI", "DirectX", "OpenGL",
    "Internet", "Moteurs Bases de données", "Réseau", "Imprimantes", "USB",
    "APM - Gestion avancée de l'énergie", "Variables d'environnement", "Répertoires communs de Windows",
    "Répertoires Utilisateur", "Applications installées", "Applications démarrées automatiquement",
    "Processus", "Drivers", "Services", "Répertoires de c:\\", "Répertoires de c:\\program files",
    "Fin Analyse",
]
CAPTIONS = [h if not h.startswith("CPU") else "CPU (processeur)" for h in HEADINGS[1:-1]]
USB_NT4 = "USB officiellement non supporté sous Windows NT"

faults = []


def fault(text):
    faults.append(text)
    print("FAULT:", text, flush=True)


def headings(lines):
    """The lines that follow a blank line: the section headings (and the run's own)."""
    found = [l for i, l in enumerate(lines) if i > 0 and lines[i - 1] == "" and l != ""]
    cpus = [h for h in found if re.fullmatch(r"CPU \(processeur\) - CPU #[1-9][0-9]*", h)]
    return [h for h in found if h not in cpus], len(cpus)


def section(lines, heading):
    """The lines of one section: after its heading, up to the next blank line."""
    if heading not in lines:
        return None
    start = lines.index(heading) + 1
    end = lines.index("", start) if "" in lines[start:] else len(lines)
    # Item lines read " - text" in the text rendering: the text alone.
    return [l[3:] if l.startswith(" - ") else l for l in lines[start:end]]


def check_report(label, lines, winver, expected):
    found, more_cpus = headings(lines)
    if found != expected:
        missing = [h for h in expected if h not in found]
        extra = [h for h in found if h not in expected]
        fault(f"{label}: headings differ; missing {missing}, unexpected {extra}, order {found}")
    if lines[-1:] != ["Fin Analyse"] and expected[-1] == "Fin Analyse":
        fault(f"{label}: last line {lines[-1:]}")
    if "Analyse interrompue par l'utilisateur" in lines:
        fault(f"{label}: the run says it was interrupted")
    print(f"{label}: {len(lines)} lines, {len(found)} headings, {1 + more_cpus} processor(s)", flush=True)

    nt = winver != "win98"
    usb = section(lines, "USB")
    if usb is not None:
        if winver == "nt40" and usb[:1] != [USB_NT4]:
            fault(f"{label}: the USB section does not open with the NT 4 line: {usb[:2]}")
        if winver != "nt40" and USB_NT4 in usb:
            fault(f"{label}: the NT 4 USB line under {winver}")
        if not any(l.startswith("Nb d'équipements USB detectés : ") for l in usb):
            fault(f"{label}: no USB device count: {usb[:3]}")
    memory = section(lines, MEMORY)
    if memory is not None and MEMORY in expected and expected[-1] == "Fin Analyse":
        names = [l.split(" : ")[0] for l in memory]
        want = ["Mémoire physique totale", "Mémoire physique libre", "Mémoire virtuelle totale",
                "Mémoire virtuelle libre"]
        if winver in ("win2k", "winxp", "win2003"):
            want.append("Charge mémoire")
        if names != want:
            fault(f"{label}: memory lines {memory}")
    for caption in ("Drivers", "Services"):
        body = section(lines, caption)
        if body is None:
            continue
        if not nt and body:
            fault(f"{label}: the {caption} section writes on the 9x family: {body[:2]}")
    services = section(lines, "Services")
    if nt and services is not None and not services:
        fault(f"{label}: no service listed on the NT family")
    for caption in ("Processus", "Variables d'environnement", "Répertoires de c:\\"):
        body = section(lines, caption)
        if body is not None and not body:
            fault(f"{label}: the section {caption} is empty")


def run(args, env, timeout, label):
    start = time.monotonic()
    result = subprocess.run([GUI_RUN] + args, env=env, capture_output=True, timeout=timeout)
    elapsed = time.monotonic() - start
    return result, elapsed


def main():
    report, guitests = sys.argv[1], sys.argv[2]
    winver = os.environ.get("KESTROVA_WINVER", "")
    if winver not in ("win98", "nt40", "win2k", "winxp", "win2003"):
        print(f"personality_run.py: KESTROVA_WINVER {winver!r} is not a personality", file=sys.stderr)
        return 2
    soffice = shutil.which("soffice")
    if not soffice:
        fault("soffice not found (scripts/install-deps.sh installs libreoffice-writer-nogui)")
    env = dict(os.environ)
    nine = winver == "win98"

    # 1. kestrova-report, every category.
    result, wine_start = run([report, "--help"], env, 120, "start")
    if result.returncode != 0:
        fault(f"kestrova-report --help: status {result.returncode}")
    result, elapsed = run([report], env, 300, "report")
    lines = result.stdout.decode("utf-8", errors="replace").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    print(f"kestrova-report {winver}: all 28 categories in {elapsed:.2f} s wall "
          f"({wine_start:.2f} s for --help alone, so about {elapsed - wine_start:.2f} s of run)", flush=True)
    stderr = result.stderr.decode("utf-8", errors="replace")
    if nine:
        # Wine has no 16-bit user module: the free-resource query of "Mémoire" ends the run.
        if result.returncode != 1 or "Can't load USER.EXE!" not in stderr:
            fault(f"report {winver}: status {result.returncode}, stderr {stderr[-300:]!r}")
        check_report("report (all)", lines, winver, HEADINGS[:HEADINGS.index(MEMORY) + 1])
        if lines[-1:] != [MEMORY]:
            fault(f"report {winver}: the run does not end in {MEMORY}: {lines[-3:]}")
        only = []
        for caption in CAPTIONS:
            if caption != MEMORY:
                only += ["--only", caption]
        result, elapsed = run([report] + only, env, 300, "report")
        lines = result.stdout.decode("utf-8", errors="replace").split("\n")
        if lines and lines[-1] == "":
            lines.pop()
        print(f"kestrova-report {winver}: the 27 other categories in {elapsed:.2f} s wall", flush=True)
        stderr = result.stderr.decode("utf-8", errors="replace")
        expected = [h for h in HEADINGS if h != MEMORY]
    else:
        expected = HEADINGS
    if result.returncode != 0:
        fault(f"report {winver}: status {result.returncode}: {stderr[-500:]}")
    check_report("report", lines, winver, expected)

    # 2. The window; 3. its RTF through LibreOffice.
    with tempfile.TemporaryDirectory(prefix="kestrova-e2e-") as out:
        genv = dict(env, KESTROVA_E2E_DIR=out)
        result, elapsed = run([guitests, "--gtest_filter=GuiFixture.EveryCategoryRunsAndTheReportComesBackFromItsRtf"],
                              genv, 300, "window")
        print(f"window {winver}: {elapsed:.2f} s wall", flush=True)
        if result.returncode != 0 or b"[  PASSED  ] 1 test" not in result.stdout:
            fault(f"window {winver}: status {result.returncode}: {result.stdout.decode(errors='replace')[-1500:]}")
            return 1
        with open(os.path.join(out, "window.txt"), encoding="utf-8") as f:
            window = f.read().split("\n")
        if window and window[-1] == "":
            window.pop()
        check_report("window", window, winver, expected)
        if soffice:
            profile = os.path.join(out, "lo-profile")
            conv = subprocess.run([soffice, "--headless", f"-env:UserInstallation=file://{profile}",
                                   "--convert-to", "txt:Text (encoded):UTF8", "--outdir", out,
                                   os.path.join(out, "report.rtf")], capture_output=True, timeout=180)
            converted = os.path.join(out, "report.txt")
            if conv.returncode != 0 or not os.path.isfile(converted):
                fault(f"soffice: status {conv.returncode}: {conv.stderr.decode(errors='replace')[-500:]}")
            else:
                with open(converted, encoding="utf-8-sig") as f:
                    text = [l.rstrip() for l in f.read().split("\n")]
                # Every line of the window, in order, in the converted document.
                pos, missing = 0, []
                for line in window:
                    if not line.strip():
                        continue
                    try:
                        pos = text.index(line.rstrip(), pos) + 1
                    except ValueError:
                        missing.append(line)
                if missing:
                    fault(f"soffice text lacks {len(missing)} of the window's lines, first {missing[:3]}")
                print(f"soffice: {len(text)} lines converted, all {len([l for l in window if l.strip()])} "
                      f"report lines found in order" if not missing else "soffice: lines missing", flush=True)

    print(f"personality_run.py {winver}: {len(faults)} fault(s)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
