#pragma once
// A fresh KV_PREFIX folder for one test, removed afterwards. Sets KV_PREFIX in this
// process's environment so that child processes started by the test inherit it.
#include <string>

#include "platform/Paths.h"

namespace kv::test {

class CTempPrefix {
 public:
  CTempPrefix();
  ~CTempPrefix();
  CTempPrefix(const CTempPrefix&) = delete;
  CTempPrefix& operator=(const CTempPrefix&) = delete;

  const std::string& Dir() const { return m_sDir; }
  CPaths Paths() const { return CPaths::UnderPrefix(m_sDir); }

 private:
  std::string m_sDir;
  std::string m_sPrevious;
  bool m_bHadPrevious = false;
};

}  // namespace kv::test
