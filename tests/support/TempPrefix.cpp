#include "tests/support/TempPrefix.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace kv::test {

CTempPrefix::CTempPrefix() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "kvtest-XXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  m_sDir = buf.data();
  if (const char* prev = std::getenv("KV_PREFIX")) {
    m_bHadPrevious = true;
    m_sPrevious = prev;
  }
  setenv("KV_PREFIX", m_sDir.c_str(), 1);
}

CTempPrefix::~CTempPrefix() {
  if (m_bHadPrevious)
    setenv("KV_PREFIX", m_sPrevious.c_str(), 1);
  else
    unsetenv("KV_PREFIX");
  std::error_code ec;
  std::filesystem::remove_all(m_sDir, ec);
}

}  // namespace kv::test
