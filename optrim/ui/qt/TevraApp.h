#pragma once
// The sensor tool's application object: start arguments, the single instance, the shared
// objects of the run and the hidden main dialog.
#include <QApplication>
#include <memory>
#include <string>
#include <vector>

namespace kv {

class CTevraApp : public QApplication {
  Q_OBJECT
 public:
  CTevraApp(int& argc, char** argv);
  // Runs the program to its end; the process exit code.
  int Run(const std::vector<std::string>& args);
};

}  // namespace kv
