#include "viewer_core.h"

namespace vantrel {

void ViewerCore::refreshForParameters() {
    params_.deriveDisplayLengths();
    parametersLoaded_ = true;
}

void ViewerCore::loadCurrentRecord() {
    if (currentRecord_ < 0) currentRecord_ = 0;
    std::optional<int64_t> offset;
    if (auto entry = file_.indexEntryAt(currentRecord_)) offset = entry->fileOffset;
    if (file_.readRecordAt(offset, params_).blockCopied) refreshForParameters();
    framesPerRecord_ = file_.layout().framesPerRecord();
    frameIndex_ = 0;
    // One record plays in about a second.
    playbackDelay_ = framesPerRecord_ <= 1 ? 1000 : 1000 / (framesPerRecord_ - 1);
}

void ViewerCore::loadParameterRecord(int32_t r) {
    const auto entry = file_.indexEntryAt(r);
    if (!entry) return;
    if (file_.readRecordAt(entry->parameterRecordOffset, params_).blockCopied)
        refreshForParameters();
}

void ViewerCore::seekLoad(int32_t r) {
    currentRecord_ = r;
    loadParameterRecord(r);
    loadCurrentRecord();
}

} // namespace vantrel
