#pragma once
// TInternet: default browser and mail client, connection type, proxy servers.
#include <string>
#include <vector>

#include "engine/core/information.h"
#include "engine/os/shared_routines.h"

namespace kestrova {

// A comma-separated text split as the default string list reads one: items are
// separated by commas or blanks (characters up to the space); a double-quoted item may
// hold either, with "" standing for one quote inside; an empty text gives no item and a
// comma at the very end one more empty item.
std::vector<std::string> SplitCommaText(const std::string& text);

// The proxy text as the list of entries: ";" read as ",", then every item without "="
// prefixed with its index and "=".
std::vector<std::string> ProxyServerEntries(const std::string& proxyText);

const char* ConnectionTypeName(TConnectionType type);  // "None", "LAN", "Dialup"

class TOperatingSystem;

class TInternet : public TInformation {
 public:
  explicit TInternet(const EngineContext& context);
  void Refresh();

  const std::string& DefaultBrowser() const { return defaultBrowser_; }
  const std::string& DefaultMailClient() const { return defaultMailClient_; }
  TConnectionType ConnectionType() const { return connectionType_; }
  const std::vector<std::string>& ProxyServer() const { return proxyServer_; }  // "http=host:port"

 protected:
  void WriteBlock(ReportWriter& out) const override;

 private:
  friend class TOperatingSystem;  // writes this block after its own
  std::string defaultBrowser_, defaultMailClient_;
  TConnectionType connectionType_ = TConnectionType::ctNone;
  std::vector<std::string> proxyServer_;
};

}  // namespace kestrova
