#include "common/PipeNames.h"

namespace kv {

const char* const CONTROL_PIPE_NAME = "\\\\.\\pipe\\{A9898F7B-CD8F-42A8-A235-30478B75FEA1}";
const char* const STATUS_PIPE_NAME = "\\\\.\\pipe\\{A9898F7B-CD8F-42A8-A235-30478B75FEB2}";

}  // namespace kv
