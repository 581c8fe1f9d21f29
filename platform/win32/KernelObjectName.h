#pragma once
// Names of the system's kernel objects (sections, mutexes): the system's own name, or for a
// system under a prefix (tests, a second system beside the installed one) the name behind
// the prefix's tag, so that two systems never meet; pipes follow the same rule.
#include <string>

#include "platform/Paths.h"

namespace kv {

std::string KernelObjectName(const CPaths& paths, const std::string& name);

}  // namespace kv
