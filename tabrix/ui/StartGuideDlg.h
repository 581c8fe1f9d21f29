#pragma once
// The start guide banner: tells the user that the panel was lost, is being set up, or is
// being tested. Its mode picks text, colours and time; a second entry while it is shown
// turns it into the test banner.
#include "resources/StringTable.h"
#include "tabrix/ui/BannerLook.h"

namespace kv {

class CStartGuideDlg {
 public:
  static constexpr uint32_t CLOSE_TIMER_ID = 5124;
  static constexpr int MODE_DEVICE_LOST = 0;
  static constexpr int MODE_CONNECTED = 1;
  static constexpr int MODE_DISCONNECTED = 2;
  static constexpr int MODE_TESTING = 9;

  CStartGuideDlg(const CStringTable& strings, int mode);

  int Mode() const { return m_iMode; }
  const BannerLook& Look() const { return m_look; }
  // Another entry while shown: the test text for the test's time.
  void EnterAgain();

  // Any mode other than 0, 1 and 9 behaves as 2.
  static BannerLook LookOf(const CStringTable& strings, int mode);

 private:
  const CStringTable& m_strings;
  int m_iMode;
  BannerLook m_look;
};

}  // namespace kv
