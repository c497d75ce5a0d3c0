// The indications of an echo-dynamics overview as texts: the rows of the
// viewer's indication list and its CSV export, so that the list and the file
// say the same thing in the same words.
#pragma once

#include <string>

#include "analysis/echo_overview.h"

namespace vantrel {

struct IndicationTexts {
    std::string start, end; // "R:F", record and frame numbers from 0
    std::string frames;     // shown frames from start to end
    // At the peak, with the unit: "87.5%"; against the curve with its sign
    // as the readouts write it, "+3.0dB", "0.0dB", "-2.5dB".
    std::string amplitude;
    // At the peak, after the symbol of its kind as the readouts above the
    // A-scan write it (sound path ↘, surface distance →, depth ↓) and with
    // the length unit: "↘48.2mm", "↓1.9in". Kinds differ from row to row:
    // the two-gate form holds gate A's sound path whatever kind was asked.
    std::string position;
    // The peak's amplitude, its position, is beyond what a real frame can
    // hold (see plausible in echo_overview.h): damage, not an echo.
    bool amplitudeBeyond = false, positionBeyond = false;
    // The two as the windows show them: a value no real frame holds is not
    // shown as if it were one, it carries a warning sign, "⚠ 12544.0%".
    std::string amplitudeShown() const { return beyondMarked(amplitude, amplitudeBeyond); }
    std::string positionShown() const { return beyondMarked(position, positionBeyond); }
    static std::string beyondMarked(const std::string& text, bool beyond) {
        return beyond ? "\u26A0 " + text : text;
    }
};

IndicationTexts indicationTexts(const EchoOverview& overview, const Indication& indication);

// The place of shown frame i, "R:F" (record and frame numbers from 0).
std::string framePlace(const EchoOverview& overview, int64_t i);

// Shown frame i in the same words: its place "R:F", its amplitude and its
// position (start, end and frames are left empty).
IndicationTexts frameTexts(const EchoOverview& overview, int64_t i);

// Every indication as one CSV line (UTF-8, CRLF), after the header line
//   indication,startRecord,startFrame,endRecord,endFrame,frames,peakRecord,
//   peakFrame,amplitude,unit,position,positionUnit,positionKind,plausible
// `indication` numbers them from 0 as the per-frame CSV of
// `vantrel-inspect overview --out` does; amplitude and position are at the
// peak, with one decimal and their units in the columns after them, the
// position's kind (path, surface, depth) after that; plausible is "yes", or
// "no" where the peak holds a value no real frame can.
std::string indicationsCsv(const EchoOverview& overview);

// The line the window's export puts before that header: the recording (its
// file name, UTF-8) and the settings the indications were found with, e.g.
//   # recording: demo.DAT; position: path; threshold %: gate A level;
//   threshold dB: 0.0; gap: 0
// (one line, CRLF). A comment line rather than a sidecar file, which would
// get separated from the rows it describes: CSV readers skip it as a comment
// ('#'), spreadsheet programs show it as one cell above the table.
std::string indicationsCsvComment(const std::string& recording, const OverviewSettings& settings);

// The name the export suggests for a recording: "<name>_indications.csv"
// beside it (its path, UTF-8, with or without folders).
std::string indicationsCsvName(const std::string& recordingPath);

} // namespace vantrel
