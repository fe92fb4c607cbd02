#pragma once
// The Qt application object of aerolyx-cli. Subcommands that draw (fonts,
// PDF, charts) need a GUI application; they get one on the offscreen
// platform, so they run without any display. The others stay console-only.
#include <QCoreApplication>
#include <memory>

namespace aerolyx {

std::unique_ptr<QCoreApplication> MakeCliApplication(int& argc, char** argv);

}  // namespace aerolyx
