#pragma once
// Carries out what the touch report handler decided, through what the link reaches
// outside itself (pen state, region window, Pen Software Link, driver). What needs a
// missing part of the context is skipped.
#include "tabrix/firmware/TouchAction.h"
#include "tabrix/firmware/TouchReportContext.h"

namespace kv {

class CTouchActionRunner {
 public:
  explicit CTouchActionRunner(const TouchReportContext& context) : m_context(context) {}

  void Run(const TouchActions& actions) const;

 private:
  void Run(const TouchAction& action) const;

  TouchReportContext m_context;
};

}  // namespace kv
