#pragma once
// What the tray application reads from "Tabrix.ini" beside the program: the Pen Software
// Link targets (section "OtherPenSoft", then "Application1", "Application2", ...) and the
// switches of section "Common".
#include <cstdint>
#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "tabrix/app/PenSoftwareLink.h"

namespace kv {

class CTabrixIni {
 public:
  static constexpr const char* FILE_NAME = "Tabrix.ini";

  // `separator` splits "MsgAdrStr" (a string resource, "," when empty).
  static CTabrixIni Read(const CIniFile& ini, const std::string& separator = ",");

  // Never empty: without any usable target the list holds the default one.
  const std::vector<PenSoftwareLink>& Links() const { return m_links; }
  std::vector<PenSoftwareLink>& Links() { return m_links; }
  int32_t DriverMode() const { return m_iDriverMode; }
  int32_t CompatibleMode() const { return m_iCompatibleMode; }
  int32_t SingleMode() const { return m_iSingleMode; }
  const std::string& ReceiveLogFile() const { return m_sReceiveLogFile; }
  const std::string& SendLogFile() const { return m_sSendLogFile; }

  // The section name of link section n: "OtherPenSoft", then "Application%d".
  static std::string SectionName(uint32_t n);
  // "(name)" gives true and the text between; any other text false.
  static bool InParentheses(const std::string& value, std::string* inner);
  // The three message numbers when `text` has exactly three items, else false.
  static bool ParseMessages(const std::string& text, const std::string& separator,
                            uint32_t messages[3]);
  // Decimal with an optional sign, up to the first other character, 0 when none; wraps
  // modulo 2^32 instead of overflowing.
  static int32_t ToInt(const std::string& text);

 private:
  void ReadCommon(const CIniFile& ini, const std::string& section, bool override);

  std::vector<PenSoftwareLink> m_links;
  int32_t m_iDriverMode = 0;
  int32_t m_iCompatibleMode = 1;
  int32_t m_iSingleMode = 0;
  std::string m_sReceiveLogFile;
  std::string m_sSendLogFile;
};

}  // namespace kv
