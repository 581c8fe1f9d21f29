#pragma once
// How a full-screen banner looks and how long it stays: its text (string id or text),
// background and text colours (0xRRGGBB) and its time on screen.
#include <cstdint>
#include <string>

namespace kv {

inline constexpr uint32_t BANNER_GREY = 0xC8C8C8;   // RGB(200, 200, 200)
inline constexpr uint32_t BANNER_NAVY = 0x000080;   // RGB(0, 0, 128)
inline constexpr uint32_t BANNER_RED = 0xFF0000;
inline constexpr uint32_t BANNER_WHITE = 0xFFFFFF;
inline constexpr int BANNER_OPACITY_PERCENT = 70;
inline constexpr int BANNER_FONT_WEIGHT = 800;

struct BannerLook {
  std::string m_sText;
  uint32_t m_uBackground = BANNER_GREY;
  uint32_t m_uTextColour = BANNER_RED;
  uint32_t m_uDurationMs = 2000;
  bool m_bBeep = false;  // MessageBeep(MB_ICONEXCLAMATION) when shown
};

// Where the text control sits in a banner of width x height: centred, never above or
// left of the window, its bottom never below the window.
struct BannerTextPlace {
  int m_iX = 0, m_iY = 0, m_iWidth = 0, m_iHeight = 0;
  static BannerTextPlace Centred(int width, int height, int textWidth, int textHeight) {
    BannerTextPlace p;
    p.m_iX = width / 2 - textWidth / 2;
    if (p.m_iX < 0) p.m_iX = 0;
    p.m_iY = height / 2 - textHeight / 2;
    if (p.m_iY < 0) p.m_iY = 0;
    int bottom = height / 2 + textHeight / 2;
    if (bottom > height) bottom = height;
    p.m_iWidth = textWidth;
    p.m_iHeight = bottom - p.m_iY;
    return p;
  }
};

}  // namespace kv
