// The viewer's rules without a window: the open file, the current parameter
// copy with its panel texts, the record and frame on screen, the readouts of
// the frame drawn last and the curve storage. The main window maps this
// state onto its widgets; vantrel-inspect runs the very same code headless.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "curves.h"
#include "display_text.h"
#include "instrument_params.h"
#include "record_file.h"

namespace vantrel {

// Bytes 300..595 of the frame drawn last: its measured values and envelope.
struct FrameTail {
    std::array<uint8_t, kFrameTailSize> bytes{};

    void copyFrom(std::span<const uint8_t> frame); // frame: kFrameSize bytes
    FrameValues values() const;
    const uint8_t* envelope() const {
        return bytes.data() + (kFrameEnvelopeOffset - kFrameTailOffset);
    }
};

class ViewerCore {
public:
    // Where pictures go: the main window's images, or nowhere when headless.
    struct Painter {
        // Draw `frame` (kFrameSize bytes) as the A-scan.
        std::function<void(std::span<const uint8_t> frame)> frame;
        // Draw the plot without a trace.
        std::function<void()> emptyPlot;
        // Redraw the sound-path ruler (labels empty: blank ruler).
        std::function<void()> pathRuler;
    };

    ViewerCore();
    void setPainter(Painter painter) { painter_ = std::move(painter); }

    RecordFile& file() { return file_; }
    const RecordFile& file() const { return file_; }
    InstrumentParams& params() { return params_; }
    const InstrumentParams& params() const { return params_; }
    CurveStorage& curves() { return curves_; }

    int32_t currentRecord() const { return currentRecord_; }
    void setCurrentRecord(int32_t r) { currentRecord_ = r; }
    int32_t frameIndex() const { return frameIndex_; }
    int32_t framesPerRecord() const { return framesPerRecord_; }
    int32_t playbackDelay() const { return playbackDelay_; }

    // Panel texts and ruler labels: empty until a parameter block is loaded.
    bool parametersLoaded() const { return parametersLoaded_; }
    const PanelTexts& panel() const { return panel_; }
    const std::array<std::string, 6>& pathRuler() const { return pathRuler_; }
    const ReadoutTexts& readouts() const { return readouts_; }
    const FrameTail& frameTail() const { return frameTail_; }

    // Reads the record currentRecord (through the index; at the file's
    // current position when it has no entry) and makes it the record in the
    // buffer: frames, frameIndex 0, playback pace.
    void loadCurrentRecord();
    // Reads the record holding the parameter block in force at record r.
    void loadParameterRecord(int32_t r);
    // The loads of a seek to record r.
    void seekLoad(int32_t r);

    // Draws frame f of the record in the buffer: the frame's values and
    // readouts first, then the picture. A frame the record does not hold
    // (an index before the first or past the last frame) has no bytes to
    // show: the plot is drawn empty and the readouts keep the last frame's.
    void drawFrame(int32_t f);

    // The playback step's drawing: frame frameIndex and on to the next while
    // frames remain before the record's last one (which playback never
    // shows); otherwise back to frame 0 without drawing. Returns whether a
    // frame was drawn.
    bool drawNextFrame();

    // Formats the current copy into the panel and the ruler labels.
    void refreshForParameters();

private:
    RecordFile file_;
    InstrumentParams params_;
    CurveStorage curves_;
    FrameTail frameTail_;
    Painter painter_;
    int32_t currentRecord_ = 0;
    int32_t frameIndex_ = 0;
    int32_t framesPerRecord_ = 0;
    int32_t playbackDelay_ = 0;
    bool parametersLoaded_ = false;
    PanelTexts panel_;
    std::array<std::string, 6> pathRuler_;
    ReadoutTexts readouts_;
};

} // namespace vantrel
