// The echo-dynamics strips: the gate A amplitude of every shown frame above,
// its position below, frames from left to right. Each pixel column stands for
// a run of frames and draws their least and greatest value, so millions of
// frames cost one pass. % and dB frames have scales of their own (left and
// right) and colours of their own, so a change of unit along the file shows
// and the two never share an unmarked scale.
#pragma once

#include <QImage>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "analysis/bscan.h"
#include "analysis/echo_overview.h"
#include "analysis/evaluation.h"
#include "analysis/overview_marks.h"
#include "analysis/overview_view.h"

namespace vantrel {

// Where the strips lie in an image of the given size; the B-scan strip,
// when shown, lies under the other two (empty otherwise).
struct OverviewLayout {
    QRect amplitude, position, bscan; // the plot areas
    static OverviewLayout forSize(QSize size, bool bscan = false);
    // The plot areas shown, top to bottom.
    std::vector<QRect> strips() const;
};

// The rows of a plot area, for the scales' row <-> value rules.
inline PlotRows plotRows(const QRect& plot) { return {plot.top(), plot.height()}; }

// The evaluation view of the amplitude strip: A against the DAC curve of
// each evaluated frame, each record's RL, SL and EL as lines with the three
// zones shaded between them, frames that are not evaluated apart (a grey
// band at the foot; columns without a DAC frame grey throughout), the
// evaluated indications marked along the top and the 6 dB run of the
// selected one bracketed.
struct EvaluationPicture {
    const Evaluation& evaluation;
    const EvaluationSummaries& summaries;
    int selected = -1; // an index into evaluation.indications(), or none
};

// The B-scan strip under the others: the columns (bscanStripColumns, one a
// column of the strips) in the B-scan palette with its colour bar and %
// scale, the y axis in the sound path where one holds across the view (else
// the sample positions, titled so), gate A and gate B where each frame's
// parameters put them, and the evaluated indications outlined around gate A.
struct BscanPicture {
    const std::vector<BscanColumn>& columns;
    const Evaluation* evaluation = nullptr;
};

// The B-scan strip alone in plot area `plot` of `image` (drawOverviewStrips
// draws it with the rest), its scales in the margins beside it.
void drawBscanStrip(QImage& image, const QRect& plot, const EchoOverview& overview,
                    const OverviewView& view, const BscanPicture& bscan);

// The strips of the frames in `view` on a white ground, with their scales
// (OverviewScales::of) and the cursor; with `evaluation`, the amplitude
// strip in its evaluation view (EvaluationScale::of); with `bscan`, the
// B-scan strip under them.
void drawOverviewStrips(QImage& image, const EchoOverview& overview, const OverviewView& view,
                        const EvaluationPicture* evaluation = nullptr,
                        const BscanPicture* bscan = nullptr);

// The strips in two layers, for a window that keeps the first and redraws
// only what moves. The data picture: all drawOverviewStrips draws but the
// cursor and the selected indication's 6 dB run, so it changes only with the
// frames in view (not the cursor), the size and what it is drawn from.
void drawOverviewData(QImage& image, const EchoOverview& overview, const OverviewView& view,
                      const EvaluationPicture* evaluation = nullptr,
                      const BscanPicture* bscan = nullptr);
// What lies over the data picture, drawn over it in this order: the
// selected indication's 6 dB run (with `evaluation`), the cursor
// (view.cursor), the marks (drawOverviewMarks) and the manual indications
// (drawManualIndications). The data picture with its overlay is, pixel for
// pixel, drawOverviewStrips followed by those two. All of it lies in the
// plot areas, and nothing of the data picture over it.
struct OverviewOverlay {
    const EvaluationPicture* evaluation = nullptr;
    const std::vector<OverviewMark>* marks = nullptr;
    bool notesAndBlocks = true;
    const std::vector<Indication>* manual = nullptr;
    bool bscan = false; // the layout has the B-scan strip
};
// Draws the overlay over the data picture in `image`; within image columns
// first .. last only, where given. Those columns, put back from the data
// picture and drawn over so, come out as a full drawing would.
void drawOverviewOverlay(QImage& image, const EchoOverview& overview, const OverviewView& view,
                         const OverviewOverlay& overlay,
                         std::optional<std::pair<int, int>> within = std::nullopt);
// The image columns (first .. last, each) the parts of the overlay that move
// take: the selected 6 dB run and the cursor. A window that moves either
// redraws the columns they took and take (drawOverviewOverlay within them).
std::vector<std::pair<int, int>> overviewLiveColumns(QSize size, const EchoOverview& overview,
                                                     const OverviewView& view,
                                                     const OverviewOverlay& overlay);
// The marks over strips drawn for `view`: damaged records shaded, gaps of
// missing records and notes as lines through every strip, blocks as ticks at
// the foot of the position strip. Notes thin out to what the pixels can
// show: where more than one column in kSparseNoteColumns holds a note, each
// such column gets a short tick at the top of every strip instead of a line,
// so that the data stays visible. Without `notesAndBlocks` only damaged and
// missing records are marked.
inline constexpr int kSparseNoteColumns = 8;
void drawOverviewMarks(QImage& image, const std::vector<OverviewMark>& marks,
                       const OverviewView& view, bool notesAndBlocks = true, bool bscan = false);

// The inspector's manual indications (人工, runs of shown frames: see
// markManual) over strips drawn for `view`: each run in view as a box over
// its columns through every strip, in a colour of its own (kManualOutline,
// neither the B-scan's cyan outlines of the evaluated indications nor a
// colour of its palette), tagged 人工 at its top left in the amplitude
// strip and the B-scan.
inline constexpr QRgb kManualOutline = 0xFFFF00DC;
void drawManualIndications(QImage& image, const std::vector<Indication>& runs,
                           const OverviewView& view, bool bscan = false);

} // namespace vantrel
