// optrim: the optical sensor calibration tool.
//
//   optrim [-b | -p] [-r1 | -r2 | -r3] [NAME.ini]
#include <string>
#include <vector>

#include "optrim/ui/qt/TevraApp.h"

int main(int argc, char** argv) {
  // The tool's own arguments, taken before Qt removes the ones it knows.
  std::vector<std::string> args(argv, argv + argc);
  kv::CTevraApp app(argc, argv);
  return app.Run(args);
}
