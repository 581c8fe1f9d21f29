#pragma once
// The windows start-up and the main window open, as the logic asks for them; the Qt views
// implement it (tabrix/app/qt/), tests hand in a recorder.
#include <string>

#include "tabrix/calibration/SelectionResult.h"

namespace kv {

class CCalibrationWnd;

class AppViews {
 public:
  virtual ~AppViews() = default;
  // The screen-saver question: MBR_YES or MBR_NO, and whether "Don't show this screen
  // next time." was ticked.
  virtual int AskReleasePassword(bool* dontShowAgain) = 0;
  // Creates the view of the hidden main window and runs its set-up; false if it could
  // not be created.
  virtual bool CreateMainWindow(CCalibrationWnd& window) = 0;
  // The banners; modal, each ends by its own timer.
  virtual void ShowStartGuide(int mode) = 0;
  virtual void ShowGuideMessage(const std::string& text, bool error) = 0;
  virtual void ShowAbout() = 0;
  // The property sheet, modal; true when the user pressed OK.
  virtual bool ShowProperties() = 0;
  // The test information display, modeless: created once, then shown again.
  virtual void ShowTestDisplay() = 0;
  // The test display's "Service Mode" button, greyed while a command of the menu runs.
  virtual void EnableServiceModeButton(bool enabled) = 0;
  // The preset's name on a navy label for 500 ms, modal, after a preset hot key.
  virtual void ShowAutoSet(int preset) = 0;
  // The calibration selection dialog, modal; true with the choice after OK.
  virtual bool RunCalibrationSelection(SelectionResult* result) = 0;
};

}  // namespace kv
