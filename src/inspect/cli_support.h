// What every vantrel-inspect command shares: its errors (one line, exit
// status 2), the output it writes its results to, and the steps that turn
// arguments into an open file, a record and a frame.
#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/echo_overview.h"
#include "analysis/evaluation.h"
#include "analysis/inspection.h"
#include "inspect/output_sink.h"
#include "recordfile/file_io.h"
#include "recordfile/record_file.h"
#include "viewer/record_query.h"
#include "viewer/viewer_core.h"

namespace vantrel::cli {

// The exit status of a defect list that was written but is no clean sheet:
// nothing in the recording was evaluated, or the file is damaged.
inline constexpr int kIncompleteStatus = 3;

// A failure the user can act on: message on stderr, exit status 2.
struct UsageError {
    std::string message;
};

[[noreturn]] void fail(const std::string& message);
std::string quoted(const QString& s);

// Where a command's results go. Commands print only once nothing can fail
// any more, so an error leaves stdout empty.
class Output {
public:
    explicit Output(const OutputSink& sink, std::string* warnings = nullptr,
                    OutputSink progress = {})
        : sink_(sink), warnings_(warnings), progress_(std::move(progress)) {}
    void print(std::string_view text) const { sink_(text); }
    // A line for stderr about something the command went on without (a
    // damaged inspection file); the command still succeeds.
    void warn(const std::string& line) const {
        if (warnings_) *warnings_ += "vantrel-inspect: warning: " + line + "\n";
    }
    // A line for stderr that says what the command used (the inspection
    // file it took the decisions from).
    void note(const std::string& line) const {
        if (warnings_) *warnings_ += "vantrel-inspect: " + line + "\n";
    }
    // One JSON document on one line.
    void printJson(const QJsonObject& object) const;
    // The exit status of a command that did its work but whose result a
    // script must not take for a plain success (see kIncompleteStatus).
    void setStatus(int status) const { status_ = status; }
    int status() const { return status_; }
    // Where lines about a long command's progress go as they are made
    // (stderr in the program, never stdout); may be empty.
    const OutputSink& progress() const { return progress_; }

private:
    const OutputSink& sink_;
    std::string* warnings_;
    mutable int status_ = 0;
    OutputSink progress_;
};

// How far a long command has got, for the person waiting at the terminal:
// nothing while it is quick; once it has taken kProgressAfter, a line at
// once and then one every kProgressEvery ("vantrel-inspect: page 1200 of
// 46386 written"), and when it ends, a last line with the total and the
// time taken. `now` is the clock (a test passes its own).
inline constexpr std::chrono::milliseconds kProgressAfter{2000}, kProgressEvery{5000};
class Progress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    Progress(OutputSink sink, std::string unit, int64_t total,
             Clock now = std::chrono::steady_clock::now);
    // `done` of the total are done.
    void step(int64_t done);
    // All are done: the last line, when any line was written.
    void finish();

private:
    OutputSink sink_;
    std::string unit_;
    int64_t total_;
    Clock now_;
    std::chrono::steady_clock::time_point start_, next_;
    bool shown_ = false;
};

QString utf8(const std::string& s);
// A single-precision value as the shortest decimal that reads back as the
// same float, so 707.1068f prints as 707.1068.
QJsonValue floatValue(float f);
// A whole number of the command line (an optional sign, then digits; a
// record or frame number): its value, and its text for messages ("+007"
// gives 7 and "7"). A number beyond 64 bits takes the nearest 64-bit value
// and keeps its own text, so a range check says "out of range" for it as it
// does for any other number. Anything else is a usage error naming `what`.
struct WholeNumber {
    int64_t value = 0;
    std::string text;
};
WholeNumber parseWhole(const QString& text, const char* what);

[[noreturn]] void failToOpen(const OpenResult& r, const QString& path);
void openOrFail(RecordFile& file, const QString& path);
void openOrFail(RecordQuery& query, const QString& path);
// The Open command with FILE chosen in the dialog.
void openOrFail(ViewerCore& viewer, const QString& path);
// Opens FILE and performs the loads of a user seek to R, as a freshly
// started viewer would. Returns R.
int32_t seekOrFail(RecordQuery& query, const QString& path, const QString& recordArg);

FileContents readInput(const QString& path);
void writeOutput(const QString& path, std::span<const uint8_t> bytes);
// For a writer that says only that it failed (a picture, a PDF): the
// message "cannot write 'path': reason", the reason found by opening the
// path for writing as the writer did (a file that did not exist before is
// not left behind).
std::string cannotWrite(const QString& path);

// An output file written a block at a time, for results too long to hold
// whole. Failing to create, write or close it is a usage error naming it.
class OutputFile {
public:
    explicit OutputFile(const QString& path);
    void write(std::string_view bytes);
    // Writes `rows` and empties it once it holds a megabyte: a long table
    // built a row at a time goes out in pieces rather than whole.
    void writeWhenFull(std::string& rows) {
        if (rows.size() < (1 << 20)) return;
        write(rows);
        rows.clear();
    }
    void close();

private:
    QString path_;
    std::ofstream file_;
};

// The options of `overview` as given on the command line.
struct OverviewOptions {
    std::optional<QString> percentThreshold, dbThreshold, gap, position, split;
};
// The options the inspection kept with the recording holds (the settings
// its decisions were made with) where the command line gives none.
void takeKeptSettings(OverviewOptions& options, const Inspection& inspection);
// The settings the overview options give (a usage error when one is not
// understood).
OverviewSettings overviewSettings(const OverviewOptions& options);

// --mm-per-frame X: the scan travel it gives, nullopt when it is not given;
// a usage error when X is not a number above 0.
std::optional<Travel> travelOption(const std::optional<QString>& mmPerFrame);

} // namespace vantrel::cli
