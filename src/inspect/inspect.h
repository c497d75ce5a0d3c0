// vantrel-inspect as a function: runs one command line (arguments[0] is the
// program name) and returns the exit status with what goes to stdout and
// stderr. On an error nothing is written to `out` and `err` holds one line.
// Needs a QGuiApplication on the offscreen platform for the picture commands.
#pragma once

#include <QStringList>

#include <string>

namespace vantrel {

int runInspect(const QStringList& arguments, std::string& out, std::string& err);

} // namespace vantrel
