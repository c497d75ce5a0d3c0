// The indications of an echo-dynamics overview as texts: the rows of the
// viewer's indication list and its CSV export, so that the list and the file
// say the same thing in the same words.
#pragma once

#include <string>

#include "echo_overview.h"

namespace vantrel {

struct IndicationTexts {
    std::string start, end; // "R:F", record and frame numbers from 0
    std::string frames;     // shown frames from start to end
    // At the peak, with the unit: "87.5%"; against the curve with its sign
    // as the readouts write it, "+3.0dB", "0.0dB", "-2.5dB".
    std::string amplitude;
    std::string position; // at the peak, with the length unit: "48.2mm", "1.9in"
};

IndicationTexts indicationTexts(const EchoOverview& overview, const Indication& indication);

// Every indication as one CSV line (UTF-8, CRLF), after the header line
//   indication,startRecord,startFrame,endRecord,endFrame,frames,peakRecord,
//   peakFrame,amplitude,unit,position,positionUnit
// `indication` numbers them from 0 as the per-frame CSV of
// `vantrel-inspect overview --out` does; amplitude and position are at the
// peak, with one decimal and their units in the columns after them.
std::string indicationsCsv(const EchoOverview& overview);

} // namespace vantrel
