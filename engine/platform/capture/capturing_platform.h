#pragma once
// A capture is a tee over a platform view: the engine runs over View(), whose areas
// forward every call to the inner view and keep what was asked and answered. After a
// complete run, Write lays everything out as a recorded machine (machine.ini,
// registry.reg, cpuid.txt, memory images, files/), which LoadRecordedMachine reads back.
// Areas without a tee pass straight through and are named in capture.log.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/platform/capture/capture_output.h"
#include "engine/platform/platform.h"

namespace kestrova {

class CapturingRegistry;
class CapturingSystem;

class CapturingPlatform {
 public:
  explicit CapturingPlatform(const Platform& inner);
  ~CapturingPlatform();
  CapturingPlatform(const CapturingPlatform&) = delete;
  CapturingPlatform& operator=(const CapturingPlatform&) = delete;

  Platform View() const { return view_; }
  // The areas that pass straight through (their answers are not in the capture).
  std::vector<std::string> MissingAreas() const;
  void Write(CaptureOutput& out) const;

  // Calls f(name, pointer) for each area of the view, in the Platform's order.
  template <typename F>
  static void ForEachArea(Platform& p, F&& f) {
    f("registry", p.Registry); f("system", p.System); f("files", p.Files); f("shell", p.Shell);
    f("libraries", p.Libraries); f("processor", p.Processor); f("firmware", p.Firmware);
    f("display", p.Display); f("multimedia", p.Multimedia); f("memory and power", p.MemoryPower);
    f("16-bit gate", p.Gate16); f("network", p.Network); f("USB", p.Usb); f("shell links", p.ShellLinks);
    f("profile files", p.Profiles); f("drives", p.Drives); f("spooler", p.Spooler);
    f("processes", p.Processes); f("services", p.Services); f("automation", p.Automation); f("ASPI", p.Aspi);
  }
  // `replay` with every area that this capture passed straight through taken from `original`.
  Platform WithMissingAreasFrom(Platform replay, Platform original) const;

 private:
  template <typename Tee, typename Area>
  void Wrap(Area*& slot) {
    if (!slot) return;
    auto tee = std::make_shared<Tee>(*slot);
    slot = tee.get();
    writers_.push_back([tee](CaptureOutput& out) { tee->Write(out); });
  }

  Platform inner_, view_;
  std::unique_ptr<CapturingRegistry> registry_;
  std::unique_ptr<CapturingSystem> system_;
  std::vector<std::function<void(CaptureOutput&)>> writers_;
};

}  // namespace kestrova
