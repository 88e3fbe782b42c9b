#pragma once
// Winsock, NetBIOS and the IP helper, captured: every call is passed on unchanged and its
// answer kept. The IP helper's chained records are walked here (the engine's own bounded
// decoders, plus the adapter names they do not need) and written as the [adapter:NAME]
// and [ipparams] keys from which a recorded machine lays the same chains out again.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/network.h"

namespace kestrova {

class CapturingNetwork final : public INetwork {
 public:
  explicit CapturingNetwork(INetwork& inner) : inner_(inner) {}

  std::optional<WinsockData> StartWinsock(uint16_t requested) override;
  std::vector<std::vector<uint8_t>> HostAddresses() override;
  std::optional<std::vector<uint8_t>> NetbiosEnum() override;
  bool NetbiosReset(uint8_t lana) override;
  std::optional<std::vector<uint8_t>> NetbiosAdapterStatus(uint8_t lana, const std::string& callName) override;
  IpHelperAnswer AdaptersInfo(ModuleHandle iphlpapi) override;
  IpHelperAnswer NetworkParams(ModuleHandle iphlpapi) override;
  std::string AnsiToText(const std::string& bytes) const override { return inner_.AnsiToText(bytes); }

  void Write(CaptureOutput& out) const;

  // The "{GUID}" names of the adapter records, walked as the engine walks the chain.
  static std::vector<std::string> AdapterNames(const IpHelperAnswer& answer);

 private:
  INetwork& inner_;
  bool winsockAsked_ = false;
  std::optional<WinsockData> winsock_;
  bool hostAsked_ = false;
  std::vector<std::vector<uint8_t>> hostAddresses_;
  bool netbiosAsked_ = false;
  std::optional<std::vector<uint8_t>> lanas_;
  std::map<uint8_t, bool> resets_;
  std::map<uint8_t, std::optional<std::vector<uint8_t>>> statuses_;
  std::optional<IpHelperAnswer> adapters_, params_;
};

}  // namespace kestrova
