// The record query: an open record file, the parameter copy in force and what
// the viewer derives from them for the record in the buffer: its frames and
// their measured values and readouts, the panel texts, the sound-path ruler
// labels and the curves. ViewerCore moves through a file with it;
// vantrel-inspect asks it about record r and frame f directly, so the command
// line and the window share every rule without the command line reaching into
// the viewer's navigation.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "display/curves.h"
#include "display/display_text.h"
#include "recordfile/frame_layout.h"
#include "recordfile/instrument_params.h"
#include "recordfile/record_file.h"

namespace vantrel {

// The last frame slot of a record is never shown: the instrument writes it
// while the next record begins. Playback draws frames 0 .. framesPerRecord - 2
// (none of a record of one frame); stepping (Up, Next, a note, a goto) shows
// the same frames, and frame 0 of a record of one frame.
inline int32_t playedFrames(int32_t framesPerRecord) {
    return framesPerRecord >= 1 ? framesPerRecord - 1 : 0;
}
inline int32_t shownFrames(int32_t framesPerRecord) {
    return framesPerRecord >= 2 ? framesPerRecord - 1 : framesPerRecord;
}

// Milliseconds a playback step waits for a record of `framesPerRecord` frames,
// so that one record plays in about a second.
int32_t playbackDelayFor(int32_t framesPerRecord);

class RecordQuery {
public:
    // Opens `path` (RecordFile::openRecordFile); a file that cannot be opened
    // leaves the open one, the buffer and the parameters as they were.
    OpenResult open(const std::string& path, const RecordFile::ScanProgress& progress = {});
    // The file `other` has open, once more for another thread: its index
    // without a scan, a buffer and a parameter copy (all zero) of its own.
    bool openAlongside(const RecordQuery& other) { return file_.openAlongside(other.file_); }
    const RecordFile& file() const { return file_; }
    // The count of records the file announces, read again from its start.
    int32_t rereadRecordCount() { return file_.rereadRecordCount(); }
    // Off: a new parameter copy makes its derived lengths only, not the panel
    // texts, ruler labels and curves, which then stay as they were. For
    // readers that walk a whole file for values and readouts.
    void setPanelAndCurves(bool on) { panelAndCurves_ = on; }

    // Reads record r into the buffer through the index (at the file's current
    // position when r has no entry); a parameter block it carries becomes the
    // copy in force. Returns whether a block did so (the parameters changed).
    bool loadRecord(int32_t r);
    // Reads the record that holds the block in force at record r (nothing
    // when r has no entry). Returns whether a block became the copy.
    bool loadParameterRecord(int32_t r);
    // The loads of a user's seek to r: the block in force at r, then r.
    // Returns whether the parameters changed.
    bool seek(int32_t r);
    // The block of the record in the buffer, when it carries one, becomes the
    // copy in force again; the derived texts are made anew in any case.
    void reloadBlockInBuffer();

    // The records every query of the program has read from its file since it
    // started (loadRecord and loadParameterRecord, on any thread): what shows
    // that a gesture which should only redraw reads nothing.
    static int64_t recordsRead() { return recordsRead_.load(std::memory_order_relaxed); }

    // The frames record r holds, without loading it (0 when it has no entry).
    int32_t framesOfRecord(int32_t r) const {
        const std::optional<RecordLayout> l = file_.layoutOfRecord(r);
        return l ? l->framesPerRecord() : 0;
    }

    // ---- the record in the buffer
    const RecordLayout& layout() const { return file_.layout(); }
    int32_t framesPerRecord() const { return file_.layout().framesPerRecord(); }
    // Frame f, or an empty span when the record holds no such frame.
    std::span<const uint8_t> frame(int64_t f) const { return file_.frame(f); }
    // The measured values and readouts of frame f, which the record holds.
    FrameValues values(int32_t f) const { return frameValues(frame(f)); }
    ReadoutTexts readouts(const FrameValues& v) const { return readoutTexts(params_, v); }
    // Frame f of the record in the buffer as the screen shows it: its tail
    // (measured values, envelope) and the readouts above the A-scan; nullopt
    // when the record holds no frame f.
    struct FrameOnScreen {
        FrameTail tail;
        ReadoutTexts readouts;
    };
    std::optional<FrameOnScreen> frameOnScreen(int64_t f) const {
        const std::span<const uint8_t> bytes = frame(f);
        if (bytes.empty()) return std::nullopt;
        FrameOnScreen s;
        s.tail.copyFrom(bytes);
        s.readouts = readouts(s.tail.values());
        return s;
    }

    // ---- the parameters in force
    const InstrumentParams& params() const { return params_; }
    // Panel texts and ruler labels: empty until a parameter block is loaded.
    bool parametersLoaded() const { return parametersLoaded_; }
    const PanelTexts& panel() const { return panel_; }
    const std::array<std::string, 6>& pathRuler() const { return pathRuler_; }
    // The curves built for the copy in force.
    const CurveSet& curves() const { return curves_; }

private:
    // Derived lengths, panel texts, ruler labels and curves from the copy in
    // force.
    void refreshForParameters();

    static inline std::atomic<int64_t> recordsRead_{0};

    RecordFile file_;
    InstrumentParams params_;
    bool parametersLoaded_ = false;
    bool panelAndCurves_ = true;
    PanelTexts panel_;
    std::array<std::string, 6> pathRuler_;
    CurveSet curves_;
};

} // namespace vantrel
