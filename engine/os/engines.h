#pragma once
// TEngines: installed runtimes and data-access engines (ODBC, BDE, DAO, ADO, .NET, OpenGL,
// Internet Explorer), with its two owned objects TDirectX (version, Direct3D drivers,
// DirectPlay services, DirectMusic synthesizers) and TASPI32 (the ASPI layer and the SCSI
// devices it sees).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/information.h"

namespace kestrova {

class TDirectX : public TInformation {
 public:
  explicit TDirectX(const EngineContext& context);
  void Refresh();

  const std::string& Version() const { return version_; }
  const std::vector<std::string>& Direct3D() const { return direct3D_; }
  const std::vector<std::string>& DirectPlay() const { return directPlay_; }
  const std::vector<std::string>& DirectMusic() const { return directMusic_; }

 protected:
  void WriteBlock(ReportWriter& out) const override;
  friend class TEngines;  // writes this block after its own

 private:
  std::string version_;
  std::vector<std::string> direct3D_, directPlay_, directMusic_;
};

// The "InstalledVersion" binary value as a version text (see the .cpp).
std::string DirectXInstalledVersionText(const std::vector<uint8_t>& data);

// One SCSI device the ASPI scan found (the eight parallel lists, one row each).
struct TASPIDevice {
  std::string Adapter, Target, Vendor, Product, DeviceType, Status, VendorSpecific, Revision;
};

class TASPI32 : public TInformation {
 public:
  // Each wait for a posted SCSI command gives up after this long: a device that never
  // answers must not hang the run.
  static constexpr uint32_t kCommandWaitMs = 3000;

  explicit TASPI32(const EngineContext& context);
  void Refresh();

  const std::string& ASPI() const { return aspi_; }
  const std::vector<TASPIDevice>& Devices() const { return devices_; }

 protected:
  void WriteBlock(ReportWriter& out) const override;
  friend class TEngines;  // writes this block after its own

 private:
  uint32_t ScanDevices();  // the support information (0 when the layer is not usable)
  std::string aspi_;
  std::vector<TASPIDevice> devices_;
};

class TEngines : public TInformation {
 public:
  explicit TEngines(const EngineContext& context);
  void Refresh();

  const std::string& ODBC() const { return odbc_; }
  const std::string& BDE() const { return bde_; }
  const std::string& DAO() const { return dao_; }
  const std::string& ADO() const { return ado_; }
  const std::string& NET() const { return net_; }
  const std::string& OpenGL() const { return openGL_; }
  const std::string& IE() const { return ie_; }
  TDirectX& DirectX() const { return *directX_; }
  TASPI32& ASPI32() const { return *aspi32_; }

 protected:
  void WriteBlock(ReportWriter& out) const override;
  std::vector<TInformation*> OwnedObjects() override { return {directX_.get(), aspi32_.get()}; }

 private:
  std::string FileVersion(const std::string& path) const;
  std::string odbc_, bde_, dao_, ado_, net_, openGL_, ie_;
  std::unique_ptr<TDirectX> directX_;
  std::unique_ptr<TASPI32> aspi32_;
};

}  // namespace kestrova
