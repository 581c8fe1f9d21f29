#pragma once
// Server side of a device endpoint (framing in platform/DeviceEndpoint.h), for whatever
// takes a driver's place. It accepts one open handle at a time (a second open is refused with
// ERROR_CODE_SHARING_VIOLATION), checks every request frame and hands the valid ones to a
// handler on its own thread; a malformed frame that still carries a call id is answered with
// ERROR_CODE_INVALID_PARAMETER, one too short for that is dropped. The handler answers at
// once or keeps the Reply and completes it later from any thread, which is how a call stays
// pending in the driver.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/Paths.h"

namespace kv {

class CDeviceEndpointServer {
 public:
  struct Connection;

  // One call awaiting its answer. Dropping a Reply that was never completed answers the call
  // with ERROR_CODE_OPERATION_ABORTED, as a driver does when it cancels a request, so that no
  // caller waits for an answer nobody will give.
  class Reply {
   public:
    Reply(std::shared_ptr<Connection> connection, uint32_t callId, uint32_t outCapacity);
    ~Reply();
    Reply(const Reply&) = delete;
    Reply& operator=(const Reply&) = delete;

    uint32_t CallId() const { return m_uCallId; }
    uint32_t OutCapacity() const { return m_uOutCapacity; }
    // Sends the answer; out is cut to the call's out capacity. Thread-safe; only the first
    // completion counts. 0, ERROR_CODE_INVALID_HANDLE when the handle has been closed (the
    // answer is dropped), ERROR_CODE_INVALID_FUNCTION when already completed, or a send error.
    uint32_t Complete(uint32_t error, std::span<const uint8_t> out = {});

   private:
    std::shared_ptr<Connection> m_pConnection;
    uint32_t m_uCallId;
    uint32_t m_uOutCapacity;
    bool m_bCompleted = false;
  };

  // Called on the server's thread, one call at a time.
  class Handler {
   public:
    virtual ~Handler() = default;
    virtual void OnOpen() {}
    virtual void OnRequest(uint32_t code, std::span<const uint8_t> in, std::shared_ptr<Reply> reply) = 0;
    // The handle is gone (closed by the client, dropped, or the server stopped): replies kept
    // for it can no longer be delivered and should be dropped.
    virtual void OnClose() {}
  };

  CDeviceEndpointServer(const CPaths& paths, const std::string& windowsName, Handler* handler);
  ~CDeviceEndpointServer();
  CDeviceEndpointServer(const CDeviceEndpointServer&) = delete;
  CDeviceEndpointServer& operator=(const CDeviceEndpointServer&) = delete;

  // Creates the endpoint (socket mode 0600; a stale one is replaced, a live server's is not:
  // ERROR_CODE_SHARING_VIOLATION) and starts serving. 0 or a system error code.
  uint32_t Start();
  // Closes the open handle now, as unplugging the device would: the client's pending and
  // later calls fail. Thread-safe, also from the handler.
  void DropHandle();
  // Closes the handle and the endpoint and waits for the server's thread; Start may follow.
  // Not from the handler.
  void Stop();
  bool HandleOpen() const;
  const std::string& Path() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};

}  // namespace kv
