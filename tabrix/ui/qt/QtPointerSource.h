#pragma once
// The mouse as the X server sees it (position on the root window and the state of the
// three buttons, whichever window they were pressed in); without an X11 connection, what
// Qt knows of its own windows.
#include "tabrix/ui/PointerSource.h"

namespace kv {

class CQtPointerSource final : public PointerSource {
 public:
  PointerSample Sample() override;
};

}  // namespace kv
