#pragma once
// The two local pipes of the service. Configuration and queries go to the control pipe; the
// long-blocking status wait has a pipe of its own so that it never blocks configuration.
namespace kv {

extern const char* const CONTROL_PIPE_NAME;
extern const char* const STATUS_PIPE_NAME;

}  // namespace kv
