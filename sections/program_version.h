#pragma once
// The program's version, as its version resources carry it (app/kestrova.rc and
// tools/kestrova-report/kestrova-report.rc include this file too).
#define KESTROVA_VERSION_MAJOR 1
#define KESTROVA_VERSION_MINOR 1
#define KESTROVA_VERSION_RELEASE 0
#define KESTROVA_VERSION_BUILD 0
#define KESTROVA_FILE_VERSION_TEXT "1.1.0.0"
#define KESTROVA_LEGAL_COPYRIGHT "Copyright (C) 2003-2026 Les auteurs de Kestrova"
#define KESTROVA_COMMENTS "Freeware"
