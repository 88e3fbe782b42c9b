#pragma once
// A private capture: the personal values a private report hides are taken out of the
// recorded files as well. Each is replaced by a stand-in the recorded format can hold
// wherever the value stood (a machine.ini value, a section name, a path component of
// files/, a registry text, a string inside firmware memory or an EDID block), the same
// stand-in for the same value throughout, so the capture still loads and replays whole
// and its replay shows none of the values.
#include <string>

#include "engine/core/privacy.h"
#include "engine/platform/capture/capture_output.h"

namespace kestrova {

// The stand-in of the number-th value of a kind: "ORDINATEUR-1", "UTILISATEUR-2",
// "SERIE-3", "192.0.2.4" (an address kept for documentation), a MAC address
// "02-00-00-00-00-05" written with the value's own separators. No stand-in holds a
// character a file name, a comma list, a section name or a key could not hold.
std::string PersonalStandIn(PersonalKind kind, unsigned number, const std::string& value);

// Replaces, inside bytes whose length must not change (firmware memory, binary registry
// data), each value written as ASCII or UTF-16LE text by a stand-in of the same length,
// and a 32-digit identifier (UUID) written as its 16 bytes. Returns how many were replaced.
size_t ReplaceInBinary(std::string& bytes, const PrivacyFilter& personal);

// Rewrites the capture in place (machine.ini, registry.reg, files/, memory images,
// capture.log). What stays is noted in capture.log: the CPUID registers, from which the
// processor's "serial" text is made (the same on every processor of the model).
void MakeCapturePrivate(CaptureOutput& out, const PrivacyFilter& personal);

}  // namespace kestrova
