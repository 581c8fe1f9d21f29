#pragma once
// What a pipe thread runs on each message it read. The handler fills in the answer in the
// same buffer; the thread writes back as many bytes as it read.
#include <cstddef>
#include <cstdint>
#include <span>

namespace kv {

class RequestHandler {
 public:
  virtual ~RequestHandler() = default;
  // buffer: the whole 1024-byte message buffer; read: the bytes the client sent.
  // False when the request was refused (length check) and nothing was executed.
  virtual bool Handle(std::span<uint8_t> buffer, size_t read) = 0;
};

}  // namespace kv
