#include "engine/os/internet.h"

#include "engine/core/context.h"
#include "engine/core/text.h"
#include "engine/os/nt_values.h"

namespace kestrova {

std::vector<std::string> SplitCommaText(const std::string& text) {
  std::vector<std::string> items;
  const size_t n = text.size();
  auto blank = [](char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; };
  size_t p = 0;
  while (p < n && blank(text[p])) ++p;
  while (p < n && text[p] != '\0') {
    std::string item;
    if (text[p] == '"') {
      // Quoted: up to the closing quote; a doubled quote is one quote.
      ++p;
      while (p < n) {
        if (text[p] == '"') {
          if (p + 1 < n && text[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += text[p++];
      }
    } else {
      while (p < n && static_cast<unsigned char>(text[p]) > ' ' && text[p] != ',') item += text[p++];
    }
    items.push_back(item);
    while (p < n && blank(text[p])) ++p;
    if (p < n && text[p] == ',') {
      if (p + 1 >= n || text[p + 1] == '\0') items.emplace_back();
      do ++p;
      while (p < n && blank(text[p]));
    }
  }
  return items;
}

std::vector<std::string> ProxyServerEntries(const std::string& proxyText) {
  std::vector<std::string> items = SplitCommaText(ReplaceAll(proxyText, ";", ","));
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].find('=') == std::string::npos) items[i] = Format("%d=", static_cast<int>(i)) + items[i];
  return items;
}

const char* ConnectionTypeName(TConnectionType type) {
  switch (type) {
    case TConnectionType::ctLAN: return "LAN";
    case TConnectionType::ctDialup: return "Dialup";
    case TConnectionType::ctNone: break;
  }
  return "None";
}

TInternet::TInternet(const EngineContext& context) : TInformation(context) {
  SetExceptionModes({TExceptionMode::emExceptionStack});
}

void TInternet::Refresh() {
  const Platform& p = Context().Sys;
  if (!p.Registry || !p.System || !p.Files) return;
  defaultBrowser_ = GetDefaultBrowser(p);
  defaultMailClient_ = GetDefaultMailClient(p);
  connectionType_ = GetConnectionType(p);
  proxyServer_ = ProxyServerEntries(GetProxyServerText(p));
}

void TInternet::WriteBlock(ReportWriter& out) const {
  out.OpenClass("Internet", "TInternet");
  out.String("DefaultBrowser", defaultBrowser_);
  out.String("DefaultMailClient", defaultMailClient_);
  out.String("Connection", ConnectionTypeName(connectionType_));
  out.OpenSection("ProxyServer");
  for (const std::string& line : proxyServer_) {
    auto nv = SplitNameValue(line);
    out.String(EscapeValue(nv.first), nv.second);
  }
  out.CloseSection();
  out.CloseClass("Internet");
}

}  // namespace kestrova
