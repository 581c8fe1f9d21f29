#pragma once
// Appending to a file in one open: the parts go out in order at the file's end, the file
// is created (mode 0644) when missing, and it is closed before the call returns.
#include <span>
#include <string>
#include <string_view>

namespace kv {

// False when the file cannot be opened, or a write or the close fails.
bool AppendToFile(const std::string& path, std::span<const std::string_view> parts);

}  // namespace kv
