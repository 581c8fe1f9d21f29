#pragma once
// The two never-shown windows other pen programs reach the tray program through: the
// command window (found by class and text, answers "Get PenMode") and the region window
// (its text is the last region-detection point, "%lf,%lf").
#include <QAbstractNativeEventFilter>
#include <QWidget>

#include <mutex>
#include <string>

#include "tabrix/app/CommandWindow.h"
#include "tabrix/firmware/RegionWindow.h"

namespace kv {

class CX11WindowSystem;

class CCommandWindowView : public QWidget, public QAbstractNativeEventFilter {
  Q_OBJECT
 public:
  CCommandWindowView(CCommandWindow& logic, const std::string& className, CX11WindowSystem* windows);
  ~CCommandWindowView() override;
  void SetOwnText(const std::string& text);
  const std::string& OwnText() const { return m_sText; }
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  void OnTextChanged();

  CCommandWindow& m_logic;
  CX11WindowSystem* m_pWindows;
  uint64_t m_uId = 0;
  std::string m_sText;
};

class CRegionWindowView : public QWidget, public RegionWindow {
  Q_OBJECT
 public:
  explicit CRegionWindowView(CX11WindowSystem* windows);
  uint64_t Handle() const override { return m_uId; }
  void SetPosition(double x, double y) override;
  // Both only queue the text update for the user-interface thread: the firmware worker
  // that calls them must never wait for a thread that may be waiting for it.
  void SendRedraw() override { PostRedraw(); }
  void PostRedraw() override;

 private:
  CX11WindowSystem* m_pWindows;
  uint64_t m_uId = 0;
  std::mutex m_mutex;
  double m_dX = 0.0, m_dY = 0.0;
};

}  // namespace kv
