#pragma once
// Other processes of the system, as far as installing and removing the service deals with
// them: whether a process id still belongs to a given program, and asking it to end.
#include <cstdint>
#include <string>

namespace kv {

// True when process `pid` runs the program at `imagePath` and is not the calling process.
// A process id is reused once its process is gone, so a remembered one proves nothing alone.
bool IsOtherProcessOfImage(uint32_t pid, const std::string& imagePath);
// Asks the process to end, as the service manager's stop does; false when it cannot be asked.
bool AskProcessToEnd(uint32_t pid);

}  // namespace kv
