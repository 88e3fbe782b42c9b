#include "engine/inventory/usb_descriptors.h"

#include <algorithm>

#include "engine/core/text.h"

namespace kestrova {

std::string NameFromRequest(const std::vector<uint8_t>& output, size_t offset) {
  std::string bytes;
  if (offset < output.size()) bytes.reserve((output.size() - offset + 1) / 2);
  for (size_t at = offset; at < output.size(); at += 2) {
    if (output[at] == 0) break;
    bytes += static_cast<char>(output[at]);
  }
  return Truncate(Cp1252ToUtf8(bytes), 255);
}

std::vector<uint8_t> PortRequest(uint32_t port, uint32_t size) {
  std::vector<uint8_t> b(std::max<uint32_t>(size, 4), 0);
  for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(port >> (8 * i));
  return b;
}

std::vector<uint8_t> DescriptorRequest(uint32_t port, uint8_t type, uint8_t index, uint16_t language,
                                       uint16_t length) {
  std::vector<uint8_t> b = PortRequest(port, kDescriptorRequestHeader + length);
  b[4] = 0x80;  // device to host, standard, device
  b[5] = 6;     // GET_DESCRIPTOR
  b[6] = index;
  b[7] = type;
  b[8] = static_cast<uint8_t>(language);
  b[9] = static_cast<uint8_t>(language >> 8);
  b[10] = static_cast<uint8_t>(length);
  b[11] = static_cast<uint8_t>(length >> 8);
  return b;
}

std::vector<uint8_t> DescriptorData(const std::vector<uint8_t>& output) {
  if (output.size() <= kDescriptorRequestHeader) return {};
  return {output.begin() + kDescriptorRequestHeader, output.end()};
}

uint8_t HubPortCount(const std::vector<uint8_t>& output) {
  // NodeType (4 bytes), then the hub descriptor: length, type, number of ports.
  return output.size() > 6 ? output[6] : 0;
}

ConnectionInfo DecodeConnectionInfo(const std::vector<uint8_t>& output) {
  auto at = [&](size_t i) -> uint8_t { return i < output.size() ? output[i] : 0; };
  ConnectionInfo c;
  for (size_t i = 0; i < 18; ++i) c.DeviceDescriptor[i] = at(4 + i);
  c.DeviceIsHub = at(24) != 0;
  c.DeviceAddress = at(25);
  c.ConnectionStatus = uint32_t(at(31)) | uint32_t(at(32)) << 8 | uint32_t(at(33)) << 16 | uint32_t(at(34)) << 24;
  return c;
}

uint8_t InterfaceClassIndex(const std::vector<uint8_t>& configuration) {
  size_t end = configuration.size();
  if (end >= 4) end = std::min<size_t>(end, configuration[2] | configuration[3] << 8);
  size_t at = 9;
  while (at + 2 <= end) {
    uint8_t length = configuration[at];
    if (length == 0 || length > end - at) break;
    if (configuration[at + 1] == kDescriptorInterface && length >= 6) {
      uint8_t b = configuration[at + 5];
      return b == 255 ? 10 : b <= 9 ? b : 11;
    }
    at += length;
  }
  return 14;
}

std::string DecodeStringDescriptor(const std::vector<uint8_t>& d) {
  if (d.size() < 2) return {};
  size_t end = std::min<size_t>(d[0], d.size());
  size_t at = 2;  // the units run to a NUL unit or to the last whole unit
  while (at + 2 <= end && !(d[at] == 0 && d[at + 1] == 0)) at += 2;
  return Truncate(Utf16LeToUtf8(d.data() + 2, at - 2), 255);
}

}  // namespace kestrova
