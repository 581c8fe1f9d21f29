#pragma once
// The service control dispatcher: StartServiceCtrlDispatcherA with one entry. The system
// calls the entry's ServiceMain without a context, so the one routine a process serves is
// kept here; a process is one service.
#include <functional>
#include <string>

namespace kv {

// Runs serviceMain on the manager's thread and returns once it and the dispatcher are done.
// False (serviceMain never ran) when the manager did not start this process.
bool RunServiceDispatcher(const std::string& name, std::function<void()> serviceMain);

}  // namespace kv
