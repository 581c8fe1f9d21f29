#pragma once
// The client of every driver request. A link lives for one piece of work: Open asks the
// driver for its information (which tells whether it is reachable), then zero or more
// commands follow, each one PipeRequest on a fresh connection to the service. A link whose
// Open failed stays inert: its operations succeed without sending anything. Models whose
// settings go to the panel firmware (types 3 and 4) never cause pipe traffic.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/DriverSettings.h"
#include "tabrix/driverlink/DriverLinkContext.h"
#include "tabrix/driverlink/OsType.h"

namespace kv {

class DriverLink {
 public:
  // The service's default pipe time-out, waited for when the pipe is busy.
  static constexpr int PIPE_WAIT_MS = 1000;
  static constexpr int PIPE_OPEN_TRIES = 3;
  static constexpr uint32_t DEVICE_PATH_SIZE = 260;
  static constexpr uint32_t SETTINGS_SIZE = 36;
  static constexpr uint32_t RECORD_SIZE = 24;
  // Bit of the pen button mode word that Windows 7 and later drivers expect.
  static constexpr uint32_t PEN_BUTTON_MODE_WIN7 = 0x8000;

  explicit DriverLink(const DriverLinkContext& context) : m_context(context) {}

  bool Ok() const { return m_bOk; }
  bool UsePipe() const { return m_bUsePipe; }
  // Connect sends the device path on a link that never ran Open.
  void SetUsePipe(bool usePipe) { m_bUsePipe = usePipe; }

  // One exchange on the named pipe: the answer replaces the request in buffer, *answered
  // is its length. A system error code, 0 on success.
  static uint32_t Transact(PipeTransport& transport, const std::string& pipeName,
                           uint8_t* buffer, size_t length, size_t* answered);
  // Builds the request, sends it (status pipe for command 10, control pipe otherwise) and
  // copies the returned output into out. True when the exchange succeeded and the answer
  // is whole; the driver's own failure shows only as *outReturned = 0.
  bool Send(uint32_t command, const uint8_t* in, uint32_t inSize, uint8_t* out,
            uint32_t outSize, uint32_t* outReturned, uint32_t* error) const;

  bool Open();
  bool SetDevicePath(const std::string& path);
  bool SetInputEnable(uint32_t value);
  bool SetRotation(uint32_t degrees);
  bool SetPenButtonMode(uint32_t mode);
  bool TakeTouchPoint(bool discard);
  bool WaitStatus();
  bool CancelStatusWait();
  bool SetCalibration(double ratioX, double ratioY, double offsetX, double offsetY);
  bool SetCalibrationMode(bool calibrating);
  // *flag in: the flag to send; out: the flag the driver holds afterwards.
  bool SetPanelState(uint32_t code, uint32_t* flag);
  bool SetTouchMode(uint32_t on);

  // Sends the current model's device path, pauses, and opens a link, until that link is
  // ok or the time limit passes. Quick: every 100 ms for at most 1000 ms, at once false
  // without a model or device name. Start-up: every 500 ms for at most 5000 ms, then
  // enables input on the open link.
  static bool QuickConnect(const DriverLinkContext& context);
  static bool StartupConnect(const DriverLinkContext& context);
  // At shutdown: disables input and sends an empty device path, so the service closes
  // the device.
  static void Disconnect(const DriverLinkContext& context);

 private:
  // Sends a settings record; *answer gets the record the driver returned and *whole says
  // whether it returned all of it.
  bool SendSettings(uint32_t command, const DriverSettings& settings,
                    DriverSettings* answer = nullptr, bool* whole = nullptr);
  static bool ConnectLoop(const DriverLinkContext& context, uint32_t intervalMs,
                          uint32_t limitMs, DriverLink* opened);

  DriverLinkContext m_context;
  bool m_bOk = false;
  bool m_bUsePipe = false;
};

}  // namespace kv
