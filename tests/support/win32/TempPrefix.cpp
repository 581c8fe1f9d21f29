#include "tests/support/TempPrefix.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace kv::test {

CTempPrefix::CTempPrefix() {
  // No mkdtemp here: try fresh random names until one can be created.
  std::random_device seed;
  std::mt19937 gen(seed() ^ GetCurrentProcessId());
  std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100 && m_sDir.empty(); ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "kvtest-%08x", static_cast<unsigned>(gen()));
    std::filesystem::path dir = base / name;
    if (CreateDirectoryA(dir.string().c_str(), nullptr)) m_sDir = dir.string();
  }
  if (m_sDir.empty()) throw std::runtime_error("no temporary folder");
  if (const char* prev = std::getenv("KV_PREFIX")) {
    m_bHadPrevious = true;
    m_sPrevious = prev;
  }
  _putenv_s("KV_PREFIX", m_sDir.c_str());
}

CTempPrefix::~CTempPrefix() {
  // An empty value removes the variable.
  _putenv_s("KV_PREFIX", m_bHadPrevious ? m_sPrevious.c_str() : "");
  std::error_code ec;
  std::filesystem::remove_all(m_sDir, ec);
}

}  // namespace kv::test
