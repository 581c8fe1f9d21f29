// tabrix-presets: installs the shipped screen-size presets into the machine hive of
// $KV_PREFIX. Usage: tabrix-presets [table file]; without a file the built-in table.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/Paths.h"
#include "platform/posix/SqliteRegistry.h"
#include "tabrix/calibration/PresetInstaller.h"
#include "tabrix/presets/PresetsText.h"

int main(int argc, char** argv) {
  std::string text = kv::kPresetsText;
  if (argc > 1) {
    std::ifstream file(argv[1]);
    if (!file) {
      std::fprintf(stderr, "tabrix-presets: cannot read %s\n", argv[1]);
      return 2;
    }
    std::ostringstream all;
    all << file.rdbuf();
    text = all.str();
  }
  kv::CSqliteRegistry registry(kv::CPaths::FromEnvironment());
  kv::PresetInstallResult r = kv::InstallPresetTable(registry, text);
  std::printf("installed %zu presets, %zu lines refused\n", r.m_uInstalled, r.m_uRejected);
  return r.m_uError != 0 ? 1 : (r.m_uRejected != 0 ? 3 : 0);
}
