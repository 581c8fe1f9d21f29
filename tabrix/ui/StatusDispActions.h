#pragma once
// What the test display asks of the application beyond the main window: the current model,
// what the panel and the driver report about themselves, and the requests around the
// service mode and the manual calibration. CShellStatusActions answers for the program;
// tests hand in a recorder.
#include <cstdint>
#include <string>

#include "tabrix/calibration/CalibrationValues.h"
#include "tabrix/driverlink/ModelEntry.h"

namespace kv {

class StatusDispActions {
 public:
  virtual ~StatusDispActions() = default;
  virtual const ModelEntry* CurrentModel() = 0;
  // The product text the firmware link read from the panel ("" when none was found).
  virtual std::string PanelProductText() = 0;
  // The version text of the driver information record, as the driver link last heard it.
  virtual std::string DriverVersionText() = 0;
  // Opens a driver link and drops it: the driver's information (and version) is read anew.
  virtual void RefreshDriverInfo() = 0;
  virtual bool PanelConnected() = 0;
  // "InputMode" value to panel and driver.
  virtual bool SendInputAndTouchMode(uint32_t value) = 0;
  // Set input enable through a driver link of its own.
  virtual bool SetInputEnable(uint32_t value) = 0;
  // Makes the values the application's calibration and sends them to the driver.
  virtual bool ApplyCalibration(const CalibrationValues& values) = 0;
};

}  // namespace kv
