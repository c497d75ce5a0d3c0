// The viewer's rules without a window: the open file, the current parameter
// copy, the record and frame on screen, and the record loads that keep the
// parameters in force for the frame on screen. The main window maps this
// state onto its widgets; vantrel-inspect runs the very same code headless.
#pragma once

#include <cstdint>

#include "instrument_params.h"
#include "record_file.h"

namespace vantrel {

class ViewerCore {
public:
    RecordFile& file() { return file_; }
    const RecordFile& file() const { return file_; }
    InstrumentParams& params() { return params_; }
    const InstrumentParams& params() const { return params_; }

    int32_t currentRecord() const { return currentRecord_; }
    void setCurrentRecord(int32_t r) { currentRecord_ = r; }
    int32_t frameIndex() const { return frameIndex_; }
    int32_t framesPerRecord() const { return framesPerRecord_; }
    int32_t playbackDelay() const { return playbackDelay_; }
    // True once a parameter block has been made current (and the derived
    // lengths computed); until then the panel stays empty.
    bool parametersLoaded() const { return parametersLoaded_; }

    // Reads the record currentRecord (through the index; at the file's
    // current position when it has no entry) and makes it the record in the
    // buffer: frames, frameIndex 0, playback pace.
    void loadCurrentRecord();
    // Reads the record holding the parameter block in force at record r.
    void loadParameterRecord(int32_t r);

    // The loads of a seek to record r in a freshly started viewer.
    void seekLoad(int32_t r);

private:
    void refreshForParameters();

    RecordFile file_;
    InstrumentParams params_;
    int32_t currentRecord_ = 0;
    int32_t frameIndex_ = 0;
    int32_t framesPerRecord_ = 0;
    int32_t playbackDelay_ = 0;
    bool parametersLoaded_ = false;
};

} // namespace vantrel
