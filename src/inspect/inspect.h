// vantrel-inspect as a function: runs one command line (arguments[0] is the
// program name) and returns the exit status with what goes to stdout and
// stderr. On an error nothing is written to `out` and `err` holds one line.
// Needs a QGuiApplication on the offscreen platform for the picture commands.
#pragma once

#include <QStringList>

#include <string>

#include "inspect/output_sink.h"

namespace vantrel {

// Results go to `out` as they are made; lines about a long command's
// progress to `progress` as they are made (none when it is empty).
int runInspect(const QStringList& arguments, const OutputSink& out, std::string& err,
               const OutputSink& progress = {});
int runInspect(const QStringList& arguments, std::string& out, std::string& err);

// Whether the command, with these arguments, draws pictures (and so needs a
// QGuiApplication rather than a QCoreApplication, which costs less memory).
bool needsPictures(const QStringList& arguments);

} // namespace vantrel
