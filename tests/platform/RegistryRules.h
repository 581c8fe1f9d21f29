#pragma once
// One table of registry cases, run in order against a fresh registry: the SQLite backend
// on Linux and the system's own registry on Windows must give the same results, so every
// step names the code and the text the system itself gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/SystemError.h"
#include "platform/Registry.h"

namespace kv::test {

enum class RegOp { CREATE, OPEN, SET_SZ, SET_DWORD, QUERY_SZ, QUERY_DWORD, DELETE_VALUE, DELETE_KEY, ENUM };

struct RegStep {
  const char* m_pWhat;
  RegOp m_op;
  const char* m_pKey;
  const char* m_pName = "";  // value name, or for ENUM the index as text
  const char* m_pText = "";  // SET_SZ input, QUERY_SZ / ENUM expected text
  uint32_t m_uDword = 0;     // SET_DWORD input, QUERY_DWORD expected
  uint32_t m_uResult = 0;
  // Wine orders subkeys by lower-cased names, Windows (and we) by upper-cased ones: where
  // that shows, the step is checked only off Wine.
  bool m_bWineOrders = false;
};

inline const std::vector<RegStep>& RegistryRuleSteps() {
  static const std::vector<RegStep> steps = {
      {"absent key", RegOp::OPEN, "Kv\\Rules", "", "", 0, ERROR_CODE_FILE_NOT_FOUND},
      {"absent value of absent key", RegOp::QUERY_SZ, "Kv\\Rules", "x", "", 0, ERROR_CODE_FILE_NOT_FOUND},
      {"delete value of absent key", RegOp::DELETE_VALUE, "Kv\\Rules", "x", "", 0, ERROR_CODE_FILE_NOT_FOUND},
      {"delete absent key", RegOp::DELETE_KEY, "Kv\\Rules", "", "", 0, ERROR_CODE_FILE_NOT_FOUND},
      {"enumerate absent key", RegOp::ENUM, "Kv\\Rules", "0", "", 0, ERROR_CODE_FILE_NOT_FOUND},
      {"set creates the path", RegOp::SET_SZ, "Kv\\Rules\\Case", "Name", "first"},
      {"key path in another case", RegOp::QUERY_SZ, "KV\\rules\\CASE", "NAME", "first"},
      {"value name in another case replaces", RegOp::SET_SZ, "kv\\rules\\case", "nAmE", "second"},
      {"one value after both writes", RegOp::QUERY_SZ, "Kv\\Rules\\Case", "Name", "second"},
      {"default value", RegOp::SET_SZ, "Kv\\Rules\\Case", "", "default"},
      {"default value reads back", RegOp::QUERY_SZ, "Kv\\Rules\\Case", "", "default"},
      {"empty string", RegOp::SET_SZ, "Kv\\Rules\\Case", "Empty", ""},
      {"empty string is a string", RegOp::QUERY_SZ, "Kv\\Rules\\Case", "Empty", ""},
      {"dword", RegOp::SET_DWORD, "Kv\\Rules\\Case", "Count", "", 0xFFFFFFFFu},
      {"dword reads back", RegOp::QUERY_DWORD, "Kv\\Rules\\Case", "Count", "", 0xFFFFFFFFu},
      {"dword asked as string", RegOp::QUERY_SZ, "Kv\\Rules\\Case", "Count", "", 0, ERROR_CODE_INVALID_DATA},
      {"string asked as dword", RegOp::QUERY_DWORD, "Kv\\Rules\\Case", "Name", "", 0, ERROR_CODE_INVALID_DATA},
      {"string replaces dword", RegOp::SET_SZ, "Kv\\Rules\\Case", "Count", "7"},
      {"now a string", RegOp::QUERY_SZ, "Kv\\Rules\\Case", "Count", "7"},
      {"absent value of present key", RegOp::QUERY_SZ, "Kv\\Rules\\Case", "None", "", 0, ERROR_CODE_FILE_NOT_FOUND},
      {"delete value", RegOp::DELETE_VALUE, "Kv\\Rules\\Case", "COUNT"},
      {"deleted value is gone", RegOp::QUERY_SZ, "Kv\\Rules\\Case", "Count", "", 0, ERROR_CODE_FILE_NOT_FOUND},
      {"delete absent value", RegOp::DELETE_VALUE, "Kv\\Rules\\Case", "Count", "", 0, ERROR_CODE_FILE_NOT_FOUND},
      {"subkey b", RegOp::CREATE, "Kv\\Rules\\Order\\b"},
      {"subkey A", RegOp::CREATE, "Kv\\Rules\\Order\\A"},
      {"subkey _x", RegOp::CREATE, "Kv\\Rules\\Order\\_x"},
      {"subkey a1", RegOp::CREATE, "Kv\\Rules\\Order\\a1"},
      {"subkey Z", RegOp::CREATE, "Kv\\Rules\\Order\\Z"},
      {"subkey B again keeps its first spelling", RegOp::CREATE, "Kv\\Rules\\Order\\B"},
      {"grandchild is not a subkey", RegOp::CREATE, "Kv\\Rules\\Order\\b\\deeper"},
      // Names compare upper-cased: '_' (0x5F) sorts after 'Z'.
      {"enumerate 0", RegOp::ENUM, "Kv\\Rules\\Order", "0", "A", 0, 0, true},
      {"enumerate 1", RegOp::ENUM, "Kv\\Rules\\Order", "1", "a1", 0, 0, true},
      {"enumerate 2", RegOp::ENUM, "Kv\\Rules\\Order", "2", "b", 0, 0, true},
      {"enumerate 3", RegOp::ENUM, "Kv\\Rules\\Order", "3", "Z", 0, 0, true},
      {"enumerate 4", RegOp::ENUM, "Kv\\Rules\\Order", "4", "_x", 0, 0, true},
      {"enumerate past the end", RegOp::ENUM, "Kv\\Rules\\Order", "5", "", 0, ERROR_CODE_NO_MORE_ITEMS},
      {"enumerate a key without subkeys", RegOp::ENUM, "Kv\\Rules\\Case", "0", "", 0, ERROR_CODE_NO_MORE_ITEMS},
      {"delete a key with subkeys", RegOp::DELETE_KEY, "KV\\RULES\\ORDER"},
      {"its subkeys went with it", RegOp::OPEN, "Kv\\Rules\\Order\\b\\deeper", "", "", 0, ERROR_CODE_FILE_NOT_FOUND},
      {"its parent stays", RegOp::OPEN, "Kv\\Rules"},
      {"a slash is part of a name", RegOp::SET_SZ, "Kv\\Rules\\a/b", "v", "slash"},
      {"not a separator", RegOp::OPEN, "Kv\\Rules\\a", "", "", 0, ERROR_CODE_FILE_NOT_FOUND},
      {"the slashed key", RegOp::QUERY_SZ, "Kv\\Rules\\A/B", "V", "slash"},
  };
  return steps;
}

// Runs the table on registry under hive; every mismatch names its step. underWine: the
// registry is Wine's, whose subkey order is not the system's.
inline void RunRegistryRules(Registry& registry, RegistryHive hive, bool underWine = false) {
  for (const RegStep& s : RegistryRuleSteps()) {
    SCOPED_TRACE(s.m_pWhat);
    if (underWine && s.m_bWineOrders) continue;
    uint32_t rc = 0;
    std::string text;
    uint32_t dword = 0;
    switch (s.m_op) {
      case RegOp::CREATE: rc = registry.CreateKey(hive, s.m_pKey); break;
      case RegOp::OPEN: rc = registry.OpenKey(hive, s.m_pKey); break;
      case RegOp::SET_SZ: rc = registry.SetString(hive, s.m_pKey, s.m_pName, s.m_pText); break;
      case RegOp::SET_DWORD: rc = registry.SetDword(hive, s.m_pKey, s.m_pName, s.m_uDword); break;
      case RegOp::QUERY_SZ: rc = registry.QueryString(hive, s.m_pKey, s.m_pName, &text); break;
      case RegOp::QUERY_DWORD: rc = registry.QueryDword(hive, s.m_pKey, s.m_pName, &dword); break;
      case RegOp::DELETE_VALUE: rc = registry.DeleteValue(hive, s.m_pKey, s.m_pName); break;
      case RegOp::DELETE_KEY: rc = registry.DeleteKey(hive, s.m_pKey); break;
      case RegOp::ENUM:
        rc = registry.EnumSubkey(hive, s.m_pKey, static_cast<uint32_t>(std::stoul(s.m_pName)), &text);
        break;
    }
    EXPECT_EQ(rc, s.m_uResult);
    if (rc != 0) continue;
    if (s.m_op == RegOp::QUERY_SZ || s.m_op == RegOp::ENUM) {
      EXPECT_EQ(text, s.m_pText);
    }
    if (s.m_op == RegOp::QUERY_DWORD) {
      EXPECT_EQ(dword, s.m_uDword);
    }
  }
}

}  // namespace kv::test
