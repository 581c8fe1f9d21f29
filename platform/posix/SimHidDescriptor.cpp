#include "platform/posix/SimHidDescriptor.h"

#include <cstdio>

#include "platform/posix/SimHidFrame.h"

namespace kv {

namespace {

// Decimal or 0x-hex, the whole text, at most max.
bool ParseNumber(std::string_view text, uint32_t max, uint32_t* out) {
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 10) return false;
  uint64_t v = 0;
  for (char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
    else return false;
    v = v * base + digit;
    if (v > max) return false;
  }
  *out = static_cast<uint32_t>(v);
  return true;
}

bool ParseU16(std::string_view text, uint16_t* out) {
  uint32_t v;
  if (!ParseNumber(text, 0xFFFF, &v)) return false;
  *out = static_cast<uint16_t>(v);
  return true;
}

// A line break inside a value would end it early and start a forged key.
std::string OneLine(std::string s) {
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return s;
}

}  // namespace

bool IsValidSimHidName(std::string_view name) {
  if (name.empty() || name.size() > 48) return false;
  for (char c : name) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '-' || c == '_';
    if (!ok) return false;
  }
  return true;
}

std::string SimHidInstancePath(uint16_t vendorId, uint16_t productId, unsigned collection,
                               std::string_view name) {
  uint32_t h = 2166136261u;  // FNV-1a: stable across processes
  for (unsigned char c : name) {
    h ^= c;
    h *= 16777619u;
  }
  char col[16] = "";
  if (collection != 0) std::snprintf(col, sizeof col, "&col%02u", collection % 100);
  char buf[160];
  std::snprintf(buf, sizeof buf,
                "\\\\?\\hid#vid_%04x&pid_%04x%s#7&%08x&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
                vendorId, productId, col, h);
  return buf;
}

std::string FormatSimHidDescriptor(const SimHidDescriptor& d) {
  char buf[512];
  std::snprintf(buf, sizeof buf,
                "vid=0x%04x\npid=0x%04x\nversion=0x%04x\nusage_page=0x%04x\nusage=0x%04x\n"
                "input_length=%u\noutput_length=%u\nfeature_length=%u\nopenable=%u\nowner=%u\n",
                d.m_uVendorId, d.m_uProductId, d.m_uVersionNumber, d.m_uUsagePage, d.m_uUsage,
                d.m_uInputLength, d.m_uOutputLength, d.m_uFeatureLength, d.m_bOpenable ? 1u : 0u,
                d.m_uOwnerPid);
  std::string text = buf;
  text += "path=" + OneLine(d.m_sPath) + "\n";
  text += "product=" + OneLine(d.m_sProduct) + "\n";
  text += "serial=" + OneLine(d.m_sSerial) + "\n";
  return text;
}

bool ParseSimHidDescriptor(std::string_view text, std::string_view name, SimHidDescriptor* out) {
  if (!IsValidSimHidName(name)) return false;
  SimHidDescriptor d;
  d.m_sName = name;
  bool havePath = false, haveVid = false, havePid = false, haveOwner = false;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
    if (value.find('\r') != std::string_view::npos) return false;  // never written by us
    bool ok = true;
    uint32_t v = 0;
    if (key == "path") {
      ok = !value.empty() && value.size() < 260;
      d.m_sPath = value;
      havePath = true;
    } else if (key == "vid") {
      ok = haveVid = ParseU16(value, &d.m_uVendorId);
    } else if (key == "pid") {
      ok = havePid = ParseU16(value, &d.m_uProductId);
    } else if (key == "version") {
      ok = ParseU16(value, &d.m_uVersionNumber);
    } else if (key == "usage_page") {
      ok = ParseU16(value, &d.m_uUsagePage);
    } else if (key == "usage") {
      ok = ParseU16(value, &d.m_uUsage);
    } else if (key == "input_length" || key == "output_length" || key == "feature_length") {
      ok = ParseNumber(value, SIM_HID_MAX_REPORT, &v);
      uint16_t len = static_cast<uint16_t>(v);
      if (key == "input_length") d.m_uInputLength = len;
      else if (key == "output_length") d.m_uOutputLength = len;
      else d.m_uFeatureLength = len;
    } else if (key == "openable") {
      ok = ParseNumber(value, 1, &v);
      d.m_bOpenable = v != 0;
    } else if (key == "owner") {
      ok = haveOwner = ParseNumber(value, 0x7FFFFFFF, &d.m_uOwnerPid) && d.m_uOwnerPid != 0;
    } else if (key == "product") {
      ok = value.size() <= 252;
      d.m_sProduct = value;
    } else if (key == "serial") {
      ok = value.size() <= 252;
      d.m_sSerial = value;
    }
    if (!ok) return false;
  }
  if (!havePath || !haveVid || !havePid || !haveOwner) return false;
  *out = std::move(d);
  return true;
}

std::string SimHidDescriptorFile(const std::string& hidDir, std::string_view name) {
  return hidDir + "/" + std::string(name) + ".dev";
}

std::string SimHidEndpointFile(const std::string& hidDir, std::string_view name) {
  return hidDir + "/" + std::string(name);
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    uint32_t cp = 0xFFFD;
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > text.size()) {
      ++i;
    } else {
      cp = n == 1 ? c : n == 2 ? (c & 0x1Fu) : n == 3 ? (c & 0x0Fu) : (c & 0x07u);
      bool ok = true;
      for (size_t k = 1; k < n; ++k) {
        unsigned char cc = static_cast<unsigned char>(text[i + k]);
        if ((cc >> 6) != 2) { ok = false; break; }
        cp = (cp << 6) | (cc & 0x3Fu);
      }
      if (!ok || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        cp = 0xFFFD;
        ++i;
      } else {
        i += n;
      }
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

}  // namespace kv
