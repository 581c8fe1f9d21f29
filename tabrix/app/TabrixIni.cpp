#include "tabrix/app/TabrixIni.h"

namespace kv {

namespace {

const char* const kClassName = "ClassName";
const char* const kWindowName = "WindowName";
const char* const kMsgAdrStr = "MsgAdrStr";
const char* const kCommon = "Common";

}  // namespace

std::string CTabrixIni::SectionName(uint32_t n) {
  return n == 0 ? std::string("OtherPenSoft") : "Application" + std::to_string(n);
}

bool CTabrixIni::InParentheses(const std::string& value, std::string* inner) {
  if (value.size() < 2 || value.front() != '(' || value.back() != ')') return false;
  *inner = value.substr(1, value.size() - 2);
  return true;
}

int32_t CTabrixIni::ToInt(const std::string& text) {
  size_t i = 0;
  // Blanks after the separator ("300, 301, 302") are common in hand-edited files.
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = value * 10u + static_cast<uint32_t>(text[i] - '0');
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

bool CTabrixIni::ParseMessages(const std::string& text, const std::string& separator,
                               uint32_t messages[3]) {
  const std::string delimiters = separator.empty() ? std::string(",") : separator;
  uint32_t found[3] = {0, 0, 0};
  size_t count = 0;
  size_t pos = 0;
  // Tokens as strtok finds them: runs of delimiters separate, empty tokens do not count.
  while (pos < text.size()) {
    pos = text.find_first_not_of(delimiters, pos);
    if (pos == std::string::npos) break;
    size_t end = text.find_first_of(delimiters, pos);
    if (end == std::string::npos) end = text.size();
    if (count < 3) found[count] = static_cast<uint32_t>(ToInt(text.substr(pos, end - pos)));
    ++count;
    pos = end;
  }
  if (count != 3) return false;
  for (int i = 0; i < 3; ++i) messages[i] = found[i];
  return true;
}

void CTabrixIni::ReadCommon(const CIniFile& ini, const std::string& section, bool override) {
  auto readInt = [&](const char* key, int32_t defaultValue) {
    std::string v = ini.GetString(section, key, "");
    return v.empty() ? defaultValue : ToInt(v);
  };
  // The integer switches always end up as "Common" says (or their defaults); the log file
  // names of the link section stay unless "Common" names one.
  m_iDriverMode = readInt("DriverMode", 0);
  m_iCompatibleMode = readInt("CompatibleMode", 1);
  m_iSingleMode = readInt("SingleMode", 0);
  std::string receive = ini.GetString(section, "ReceiveLogFile", "");
  std::string send = ini.GetString(section, "SendLogFile", "");
  if (!override || !receive.empty()) m_sReceiveLogFile = receive;
  if (!override || !send.empty()) m_sSendLogFile = send;
}

CTabrixIni CTabrixIni::Read(const CIniFile& ini, const std::string& separator) {
  CTabrixIni result;
  bool commonRead = false;
  for (uint32_t n = 0;; ++n) {
    const std::string section = SectionName(n);
    const std::string className = ini.GetString(section, kClassName, "");
    const std::string windowName = ini.GetString(section, kWindowName, "");
    const bool present = !className.empty() || !windowName.empty();
    if (!present && n >= 1) break;

    PenSoftwareLink link;
    std::string inner;
    if (InParentheses(className, &inner)) {
      link.m_sClassName = inner;
      link.m_bUseClass = 1;
    }
    if (InParentheses(windowName, &inner)) {
      link.m_sWindowName = inner;
      link.m_bUseWindow = 1;
    }
    ParseMessages(ini.GetString(section, kMsgAdrStr, ""), separator, link.m_auMessages);
    if (present && (link.m_bUseClass || link.m_bUseWindow)) result.m_links.push_back(link);
    if (present && !commonRead) {
      result.ReadCommon(ini, section, false);
      commonRead = true;
    }
  }
  result.ReadCommon(ini, kCommon, true);

  if (result.m_links.empty()) {
    PenSoftwareLink link;
    link.m_sClassName = "KAVRO_PENSOFTWARE";
    link.m_sWindowName = "KAVRO_PENSOFTWARE";
    link.m_bUseClass = 1;
    link.m_bUseWindow = 1;
    result.m_links.push_back(link);
  }
  return result;
}

}  // namespace kv
