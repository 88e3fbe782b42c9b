#pragma once
// The block GetFileVersionInfo fills, read node by node rather than through VerQueryValue:
// the version API only reaches the string tables that \VarFileInfo\Translation names,
// while many files carry their strings under another key (Translation 0409/04E4 beside a
// 040904B0 table). Reading the block ourselves gives every table.
//
// A node is: wLength (bytes of the whole node, children included), wValueLength, wType
// (32-bit resources only), the key (UTF-16 in 32-bit resources, 8-bit text in 16-bit NE
// ones), padding to a 32-bit boundary, the value, padding, then the children up to
// wLength. Offsets are aligned from the start of the block.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/platform/files.h"

namespace kestrova {

// Turns the 8-bit texts of a 16-bit resource into UTF-8 (the system's code page on
// Windows; cp1252 when none is given).
using AnsiTextDecoder = std::string (*)(const std::string&);

// Pure and bounded: nothing outside [data, data + size) is read, every walk advances by at
// least one node header, and a node whose length cannot hold its own header ends the walk
// of its parent. A node longer than what holds it is cut to its parent's end, so a
// truncated block still gives what it has.
//
// Table keys of eight hexadecimal digits come back in capitals ("040904b0" is the table
// VerQueryValue finds for "040904B0"); the usual string names come back in their usual
// spelling ("Fileversion" is "FileVersion"); when a table or a name appears twice, the
// first one counts, as with VerQueryValue. nullopt when the block cannot hold the root
// node's header and key.
std::optional<VersionResource> ParseVersionBlock(const uint8_t* data, size_t size,
                                                 AnsiTextDecoder decodeAnsi = nullptr);

}  // namespace kestrova
