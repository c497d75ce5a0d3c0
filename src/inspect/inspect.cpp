// vantrel-inspect: the viewer's answers without a window, as JSON on stdout.
// Every command opens the file with the same library code the viewer uses;
// this file holds the command table and turns a command line into one call.
#include "inspect/inspect.h"

#include <QCommandLineParser>
#include <QStringList>

#include <algorithm>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "analysis/defect_list.h"
#include "inspect/bscan_command.h"
#include "inspect/cli_support.h"
#include "inspect/commands.h"
#include "inspect/index_writer.h"
#include "inspect/model_json.h"
#include "inspect/report_batch.h"
#include "inspection/inspection_file.h"
#include "inspection/inspection_store.h"
#include "version.h"

namespace vantrel {

namespace {

using namespace cli;

constexpr const char* kTool = "vantrel-inspect";

// One parsed command line: the positional arguments, --out, the options set
// with their values (empty for a switch).
struct Invocation {
    QStringList args;
    QString out;
    std::map<QString, QStringList> options; // every value given, in order
    Output& output;
    bool isSet(const char* name) const { return options.count(QString::fromLatin1(name)) != 0; }
    // The value of an option (the last one when it is given again).
    std::optional<QString> value(const char* name) const {
        const auto it = options.find(QString::fromLatin1(name));
        if (it == options.end()) return std::nullopt;
        return it->second.isEmpty() ? QString() : it->second.back();
    }
    QStringList values(const char* name) const {
        const auto it = options.find(QString::fromLatin1(name));
        return it == options.end() ? QStringList() : it->second;
    }
};

// A command's own option: a switch, or with `valueName` an option that takes
// a value.
struct Switch {
    const char* name;
    const char* description;
    const char* valueName = nullptr;
};

enum class OutFile : uint8_t { None, Required, Optional };

// Whether a command paints pictures: never, always, or only when its --out
// names a .png file.
enum class Draws : uint8_t { Never, Always, PngOut };

struct Command {
    const char* name;
    const char* args; // positional argument synopsis
    const char* summary;
    int minArgs;
    int maxArgs;
    OutFile out;
    Draws draws; // paints pictures: needs the GUI side of Qt
    std::vector<Switch> switches;
    std::function<void(const Invocation&)> run;
};

const QString kGeneralHelp =
    QStringLiteral("Usage: vantrel-inspect COMMAND ARGS...\n"
                   "Answers questions about Vantrel *.DAT record files without a window.\n"
                   "Results are one JSON document on stdout; errors one line on stderr\n"
                   "(exit 2 for a usage error or unusable input, 1 for an internal failure;\n"
                   "report --summary exits 3 when the list it wrote is no clean sheet:\n"
                   "nothing evaluated, or a damaged file).\n"
                   "Records and frames are numbered from 0.\n\n"
                   "Commands:\n");

std::string printable(const std::string& message);

// What the inspector decided, for the batch reports: the inspection the
// viewer keeps with the recording, by the viewer's rule (the file beside it;
// the viewer's data folder's only where none can be written beside), with
// the travel of --mm-per-frame and the cells of --field on top of it. Which
// file was used is said on stderr, and so is a data-folder file left unused;
// an inspection file that cannot be used is said and left out: the pages
// are made from the recording alone.
struct KeptInspection {
    Inspection inspection;
    QString path; // the file the decisions came from; empty for none
};
// `quiet`: nothing is said when no file was found (evaluate keeps its
// stderr for what matters).
KeptInspection inspectionOf(const Invocation& c, bool quiet = false) {
    RecordFile file;
    openOrFail(file, c.args[0]);
    const LoadedInspection loaded =
        loadInspection(c.args[0], recordingIdentity(file), viewerDataFolder());
    for (const InspectionProblem& p : loaded.problems)
        c.output.warn(printable(inspectionProblemText(p).toStdString()));
    if (!quiet || loaded.from != InspectionPlace::None || loaded.other)
        c.output.note(printable(inspectionSourceText(loaded).toStdString()));
    KeptInspection kept{loaded.document.inspection, loaded.path};
    Inspection& inspection = kept.inspection;
    // The flaw's cells a file of the first version kept with the recording
    // were typed for one frame nobody knows: they go on no page. A flaw's
    // cells are its indication's (see flawCellsAt).
    std::erase_if(inspection.reportCells, [](const auto& cell) { return isFlawCell(cell.first); });
    for (const auto& [caption, text] : userCells(c.values("field")))
        inspection.reportCells[caption] = text;
    if (const std::optional<QString> mm = c.value("mm-per-frame")) {
        travelOption(mm);
        inspection.travel = {TravelCalibration::Method::Typed, mm->toStdString(), {}, {}, {}};
    }
    return kept;
}

// What a defect list written did not cover, on stderr: nothing evaluated
// or a damaged file make it no clean sheet (exit status 3); echoes left
// unevaluated are said too, since the sheet's "no defects" is true only of
// the frames evaluated.
void warnCoverage(const Output& output, const Coverage& c, const QString& path) {
    const std::string file = quoted(path);
    switch (c.nothingEvaluated()) {
    case NothingEvaluatedWhy::None: break;
    case NothingEvaluatedWhy::NoRecord:
        output.warn("nothing in " + file + " was evaluated: it holds no readable record");
        break;
    case NothingEvaluatedWhy::NoDacFrame:
        output.warn("nothing in " + file +
                    " was evaluated: no shown frame reads against a DAC curve");
        break;
    case NothingEvaluatedWhy::NoEcho:
        output.warn("nothing in " + file +
                    " was evaluated: gate A holds no echo on any frame read against a DAC curve");
        break;
    }
    if (c.damaged())
        output.warn(file + " is damaged: " + std::to_string(c.health.missing()) + " of " +
                    std::to_string(c.health.announced) + " records missing, " +
                    std::to_string(c.health.damaged) + " damaged; they are not evaluated");
    if (!c.notEvaluated.empty()) {
        std::vector<RecordRange> ranges;
        for (const NotEvaluatedEchoes& e : c.notEvaluated)
            ranges.push_back(e.records);
        output.warn("echoes at or above their threshold were not evaluated (no DAC lines) in "
                    "records " +
                    recordRangesText(ranges));
    }
    if (c.incomplete()) {
        output.warn("the defect list is no clean sheet of " + file);
        output.setStatus(kIncompleteStatus);
    }
}

// The forms of `report`: one page (FILE R F --out), its fields (FILE R F
// --fields), the pages of the notes or indications (FILE --notes --out) or
// the defect list (FILE --summary --out).
void runReport(const Invocation& c) {
    const bool notes = c.isSet("notes"), indications = c.isSet("indications"),
               summary = c.isSet("summary");
    if (notes + indications + summary > 1)
        fail("report takes one of --notes, --indications and --summary");
    if (!indications) {
        for (const char* o : {"threshold", "threshold-db"})
            if (c.isSet(o)) fail(std::string("report --") + o + " goes with --indications");
    }
    if (!indications && !summary) {
        for (const char* o : {"gap", "split", "mm-per-frame", "yes"})
            if (c.isSet(o))
                fail(std::string("report --") + o + " goes with --indications or --summary");
    }
    if (notes || indications || summary) {
        if (c.args.size() != 1)
            fail(summary ? "report --summary takes FILE only (see vantrel-inspect report --help)"
                         : "report --notes and --indications take FILE only (see vantrel-inspect "
                           "report --help)");
        if (c.isSet("fields")) fail("report --fields takes FILE R F");
        if (c.out.isEmpty())
            fail(summary ? "report needs --out FILE.pdf, --out FILE.png or --out FOLDER"
                         : "report needs --out FILE.pdf or --out FOLDER");
        OverviewOptions o;
        o.percentThreshold = c.value("threshold");
        o.dbThreshold = c.value("threshold-db");
        o.gap = c.value("gap");
        o.split = c.value("split");
        const KeptInspection kept = inspectionOf(c);
        takeKeptSettings(o, kept.inspection);
        const ReportPages pages = notes         ? ReportPages::Notes
                                  : indications ? ReportPages::Indications
                                                : ReportPages::Summary;
        const std::optional<Coverage> coverage =
            batchReportCommand(c.args[0], pages, o, kept.inspection, kept.path, c.out,
                               c.isSet("yes"), c.output.progress());
        if (coverage) warnCoverage(c.output, *coverage, c.args[0]);
        return;
    }
    if (c.args.size() != 3)
        fail("report takes FILE R F, or FILE with --notes, --indications or --summary (see "
             "vantrel-inspect report --help)");
    if (c.isSet("fields")) {
        if (!c.out.isEmpty()) fail("report --fields writes no file: leave out --out");
        reportFieldsCommand(c.args, c.output);
        return;
    }
    if (c.out.isEmpty()) fail("report needs --out FILE");
    reportCommand(c.args, c.out, c.values("field"));
}

void runIndex(const Invocation& c) {
    RecordFile file;
    openOrFail(file, c.args[0]);
    writeIndex(file, c.output);
}

void runRecord(const Invocation& c) {
    RecordQuery query;
    const int32_t r = seekOrFail(query, c.args[0], c.args[1]);
    c.output.printJson(recordJson(query, r));
}

void runReplay(const Invocation& c) { c.output.printJson(replay(c.args[0], c.args.mid(1))); }

void runCurves(const Invocation& c) {
    RecordQuery query;
    seekOrFail(query, c.args[0], c.args[1]);
    c.output.printJson(curvesJson(query));
}

void runRender(const Invocation& c) { renderCommand(c.args, c.out, c.isSet("report")); }

void runExport(const Invocation& c) { exportCommand(c.args, c.out); }

void runLzw(const Invocation& c) { lzwCommand(c.args[0], c.args[1], c.args[2]); }

void runOverview(const Invocation& c) {
    OverviewOptions o;
    o.percentThreshold = c.value("threshold");
    o.dbThreshold = c.value("threshold-db");
    o.gap = c.value("gap");
    o.position = c.value("position");
    overviewCommand(c.args[0], o, c.out, c.output);
}

void runBscan(const Invocation& c) {
    bscanCommand(c.args[0], c.value("from"), c.value("to"), c.value("columns"), c.out);
}

void runEvaluate(const Invocation& c) {
    OverviewOptions o;
    o.gap = c.value("gap");
    o.split = c.value("split");
    takeKeptSettings(o, inspectionOf(c, true).inspection);
    evaluateCommand(c.args[0], o, c.value("mm-per-frame"), c.out, c.output);
}

// The commands in the order the general help lists them.
const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"index",
         "FILE",
         "the announced record count, the record index, the notes and the damaged records "
         "(damaged: empty when none is)",
         1,
         1,
         OutFile::None,
         Draws::Never,
         {},
         runIndex},
        {"record",
         "FILE R",
         "record R as the viewer shows it after a seek to R: header, parameters in force,\n"
         "  derived lengths and the measured values of each frame",
         2,
         2,
         OutFile::None,
         Draws::Never,
         {},
         runRecord},
        {"replay",
         "FILE STEP...",
         "runs the viewer's commands on FILE from a fresh start and prints the state after\n"
         "  each step; steps: open, cancel, next, up, play, print, seek:P, note:I, tick,\n"
         "  goto:R:F",
         2,
         1 << 20,
         OutFile::None,
         Draws::Never,
         {},
         runReplay},
        {"curves",
         "FILE R",
         "the reference curve and gate curve in force at record R, as heights",
         2,
         2,
         OutFile::None,
         Draws::Never,
         {},
         runCurves},
        {"render",
         "FILE R F",
         "writes frame F of record R as the main window's A-scan picture (361 x 289 PNG)",
         3,
         3,
         OutFile::Required,
         Draws::Always,
         {{"report", "Draw the report's picture (289 x 257, black on white)."}},
         runRender},
        {"report",
         "FILE [R F]",
         "writes the inspection report page for frame F of record R: a one-page A4 PDF,\n"
         "  or with a .png name the page as a 794 x 1123 picture; with --fields the filled\n"
         "  page as JSON instead; with --notes (or --indications) instead of R F one page\n"
         "  per note (or per indication, at its peak) into one PDF, or into a folder as\n"
         "  note-<i>.png (indication-<i>.png); with --summary the defect list of the\n"
         "  indications evaluated against the DAC lines, as many A4 pages as it takes, into\n"
         "  one PDF, a .png name (page i > 0 beside it as <name>-<i>.png) or a folder as\n"
         "  defect-list-<i>.png; i counts from 0 and, but for note-<i>.png, has as many\n"
         "  digits as the largest, padded with zeros (indication-07.png ... indication-12.png)",
         1,
         3,
         OutFile::Optional,
         Draws::Always,
         {{"fields", "Print the filled page as JSON; no file is written."},
          {"notes", "One page per note, for its record and frame 0 as a note click shows it."},
          {"indications",
           "One page per indication, at its peak frame; its 长度 (with --mm-per-frame) and "
           "备注 cells pre-filled from the evaluated indication holding the peak."},
          {"summary",
           "The defect list (缺陷汇总): one row per indication evaluated against the DAC "
           "lines, with its place, SL±dB, zone, depth, lengths and the head cells of --field."},
          {"field", "Fill the blank cell captioned NAME (e.g. 检测单位) on every page.",
           "NAME=TEXT"},
          {"threshold", "With --indications: the threshold for % frames.", "P"},
          {"threshold-db", "With --indications: the threshold for dB frames.", "D"},
          {"gap", "With --indications or --summary: merge indications at most N frames apart.",
           "N"},
          {"split",
           "With --indications or --summary: cut indications where gate A's echo moves more "
           "than D mm (default 3.0; 0: no cut).",
           "D"},
          {"mm-per-frame",
           "With --indications or --summary: the scan travel per shown frame; lengths in mm.", "X"},
          {"yes",
           "With --indications or --summary: write more than 1000 pages (without it, a usage "
           "error says how many there would be)."}},
         runReport},
        {"export",
         "FILE",
         "one CSV row per frame of the whole file: values and readout texts",
         1,
         1,
         OutFile::Required,
         Draws::Never,
         {},
         runExport},
        {"lzw",
         "encode|decode IN OUT",
         "runs the record codec over whole files (encode needs at least 2 bytes;\n"
         "  decode has no 16384-byte record limit)",
         3,
         3,
         OutFile::None,
         Draws::Never,
         {},
         runLzw},
        {"overview",
         "FILE",
         "the echo dynamics of the whole file: gate A's amplitude and a position for every\n"
         "  shown frame, and the indications (runs at or above the threshold); with --out a\n"
         "  .csv name also one row per shown frame, with a .png name the strips",
         1,
         1,
         OutFile::Optional,
         Draws::PngOut,
         {{"threshold", "Threshold for % frames (default: the gate A level).", "P"},
          {"threshold-db", "Threshold for dB frames (default: 0.0, the curve).", "D"},
          {"gap", "Merge indications at most N shown frames apart (default 0).", "N"},
          {"position", "The one-gate position: path (default), surface or depth.", "KIND"}},
         runOverview},
        {"evaluate",
         "FILE",
         "the indications of a weld scan against the DAC lines recorded with every frame:\n"
         "  runs of frames reaching EL, their peak against the curve and SL, their zone\n"
         "  and their length (EL span and 6 dB drop); with --out a .csv name also one row\n"
         "  per indication",
         1,
         1,
         OutFile::Optional,
         Draws::Never,
         {{"gap", "Merge indications at most N shown frames apart (default 0).", "N"},
          {"split",
           "Cut an indication where gate A's echo moves more than D mm (default 3.0; 0: no cut).",
           "D"},
          {"mm-per-frame", "The scan travel per shown frame: lengths also in mm.", "X"}},
         runEvaluate},
        {"bscan",
         "FILE",
         "the time-based B-scan: every shown frame's A-scan side by side (x: the shown\n"
         "  frames, y: the 280 sample positions, top = 0), each cell the largest echo\n"
         "  sample of its column's frames; a .csv --out writes the matrix, a .png one\n"
         "  the picture in the viewer's B-scan colours",
         1,
         1,
         OutFile::Required,
         Draws::PngOut,
         {{"from", "The first shown frame (default: the file's first).", "R:F"},
          {"to", "The last shown frame, included (default: the file's last).", "R:F"},
          {"columns", "Columns (default: one per shown frame, at most 4096; 1 to 65535).", "W"}},
         runBscan},
    };
    return table;
}

// "-3", "-0.4", "-.5": a number with a minus sign, not an option name.
bool isNegativeNumber(const QString& a) {
    return a.size() > 1 && a[0] == '-' &&
           (a[1].isDigit() || (a[1] == '.' && a.size() > 2 && a[2].isDigit()));
}

const Command* findCommand(const QString& name) {
    const std::vector<Command>& table = commands();
    const auto it =
        std::find_if(table.begin(), table.end(), [&](const Command& c) { return name == c.name; });
    return it == table.end() ? nullptr : &*it;
}

// Every command with its arguments and summary, for `--help`.
QString generalHelp() {
    QString text = kGeneralHelp;
    for (const Command& c : commands())
        text += QString("  %1 %2\n      %3\n")
                    .arg(c.name, c.args, QString(c.summary).replace("\n  ", "\n      "));
    text += "\nRun 'vantrel-inspect COMMAND --help' for one command.\n";
    return text;
}

// A negative number is a value (a record number, a threshold), not an
// option, but the option parser would take "-3" for the options -3: while
// the parser reads the line the number hides behind this mark, and it is
// restored wherever it lands, among the positional arguments or as the value
// of the option before it.
const QString kNegativeMark = QStringLiteral("\x01");

QStringList hideNegativeNumbers(QStringList arguments) {
    for (QString& a : arguments) {
        if (isNegativeNumber(a)) a = kNegativeMark + a;
    }
    return arguments;
}

QStringList restoreNegativeNumbers(QStringList values) {
    for (QString& a : values) {
        if (a.startsWith(kNegativeMark)) a.remove(0, 1);
    }
    return values;
}

// The options and positional arguments of one command, for the parser and
// its help: --help, --out where the command writes a file, its switches.
void describeCommand(QCommandLineParser& parser, const Command& command,
                     const QCommandLineOption& help, const QCommandLineOption& out) {
    parser.setApplicationDescription(
        QString("vantrel-inspect %1 %2\n%3").arg(command.name, command.args, command.summary));
    parser.addOption(help);
    if (command.out != OutFile::None) parser.addOption(out);
    for (const Switch& s : command.switches) {
        parser.addOption(s.valueName ? QCommandLineOption(s.name, s.description, s.valueName)
                                     : QCommandLineOption(s.name, s.description));
    }
    for (const QString& a : QString(command.args).split(' '))
        parser.addPositionalArgument(a, QString());
}

// The parsed command line as the command's run takes it, after the checks
// the table asks for: the count of positional arguments, and --out where
// it is required.
Invocation invocationOf(const Command& command, const QCommandLineParser& parser,
                        const QCommandLineOption& out, Output& output) {
    Invocation invocation{restoreNegativeNumbers(parser.positionalArguments()), {}, {}, output};
    if (invocation.args.size() < command.minArgs || invocation.args.size() > command.maxArgs) {
        const qsizetype n = invocation.args.size();
        fail(std::string(command.name) + " takes " + command.args + ", got " + std::to_string(n) +
             " argument" + (n == 1 ? "" : "s") + " (see vantrel-inspect " + command.name +
             " --help)");
    }
    if (command.out == OutFile::Required && !parser.isSet(out))
        fail(std::string(command.name) + " needs --out FILE");
    if (command.out != OutFile::None && parser.isSet(out))
        invocation.out = restoreNegativeNumbers({parser.value(out)}).front();
    for (const Switch& s : command.switches) {
        const QString option = QString::fromLatin1(s.name);
        if (parser.isSet(option))
            invocation.options[option] =
                s.valueName ? restoreNegativeNumbers(parser.values(option)) : QStringList();
    }
    return invocation;
}

// What the option parser found wrong, in the tool's own words: "unknown
// option '--bogus'" rather than Qt's "Unknown option 'bogus'.", and its
// other messages ("Missing value after '--out'.") without the capital and
// the full stop.
std::string parserError(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString& name = unknown.first();
        return "unknown option " + quoted((name.size() == 1 ? "-" : "--") + name);
    }
    QString text = parser.errorText();
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    if (!text.isEmpty()) text[0] = text[0].toLower();
    return text.toStdString();
}

// The command's help, its usage line naming the command as it is typed
// (Qt's names the program file by its path).
std::string commandHelp(const QCommandLineParser& parser, const Command& command) {
    QString text = parser.helpText();
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    text.replace(0, end < 0 ? text.size() : end,
                 QStringLiteral("Usage: vantrel-inspect %1 [options] %2")
                     .arg(QString::fromLatin1(command.name), QString::fromLatin1(command.args)));
    return text.toStdString();
}

// `vantrel-inspect COMMAND ARGS...` for a command of the table.
int runCommand(const Command& command, const QStringList& arguments, Output& output) {
    QCommandLineParser parser;
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption out("out", "Write the result to FILE.", "FILE");
    describeCommand(parser, command, help, out);
    QStringList rest = arguments.mid(1);
    rest[0] = QString("vantrel-inspect %1").arg(command.name);
    if (!parser.parse(hideNegativeNumbers(rest)))
        fail(parserError(parser) + " (see vantrel-inspect " + command.name + " --help)");
    if (parser.isSet(help)) {
        output.print(commandHelp(parser, command));
        return 0;
    }
    command.run(invocationOf(command, parser, out, output));
    return output.status();
}

int run(const QStringList& arguments, Output& output) {
    if (arguments.size() < 2) fail("no command given (see vantrel-inspect --help)");
    const QString name = arguments[1];
    if (name == "--help" || name == "-h" || name == "help") {
        output.print(generalHelp().toStdString());
        return 0;
    }
    if (name == "--version" || name == "-v") {
        output.print(std::string("vantrel-inspect ") + kVersion + "\n");
        return 0;
    }
    const Command* command = findCommand(name);
    if (!command) fail("unknown command " + quoted(name) + " (see vantrel-inspect --help)");
    return runCommand(*command, arguments, output);
}

// An error message as one line a terminal shows as it is: a control
// character (from a file name, or an argument a user pasted) is written as
// its escape, \x01, never sent to the terminal.
std::string printable(const std::string& message) {
    std::string line;
    for (const char c : message) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            static const char kHex[] = "0123456789abcdef";
            line += "\\x";
            line += kHex[byte >> 4];
            line += kHex[byte & 15];
        } else {
            line += c;
        }
    }
    return line;
}

} // namespace

int runInspect(const QStringList& arguments, const OutputSink& out, std::string& err,
               const OutputSink& progress) {
    Output output(out, &err, progress);
    try {
        return run(arguments, output);
    } catch (const UsageError& e) {
        err = std::string(kTool) + ": " + printable(e.message) + "\n";
        return 2;
    } catch (const std::exception& e) {
        err = std::string(kTool) + ": internal failure: " + e.what() + "\n";
        return 1;
    }
}

int runInspect(const QStringList& arguments, std::string& out, std::string& err) {
    return runInspect(
        arguments, [&out](std::string_view text) { out.append(text); }, err);
}

bool needsPictures(const QStringList& arguments) {
    if (arguments.size() < 2) return false;
    const Command* command = findCommand(arguments[1]);
    if (!command || command->draws == Draws::Never) return false;
    if (command->draws == Draws::Always) return true;
    // --out NAME or --out=NAME, as the command line parser reads them.
    for (qsizetype i = 2; i < arguments.size(); ++i) {
        QString name;
        if (arguments[i] == QStringLiteral("--out") && i + 1 < arguments.size())
            name = arguments[i + 1];
        else if (arguments[i].startsWith(QStringLiteral("--out=")))
            name = arguments[i].mid(6);
        if (name.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) return true;
    }
    return false;
}

} // namespace vantrel
