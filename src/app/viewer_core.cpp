#include "viewer_core.h"

#include <algorithm>

namespace vantrel {

void FrameTail::copyFrom(std::span<const uint8_t> frame) {
    std::copy_n(frame.data() + kFrameTailOffset, kFrameTailSize, bytes.data());
}

FrameValues FrameTail::values() const {
    FrameValues v;
    for (size_t i = 0; i < 4; ++i)
        v[i] = loadI32Unchecked(bytes.data() + 4 * i);
    return v;
}

ViewerCore::ViewerCore() : readouts_(readoutPlaceholders()) {}

void ViewerCore::refreshForParameters() {
    params_.deriveDisplayLengths();
    panel_ = formatPanel(params_);
    pathRuler_ = pathRulerLabels(params_);
    parametersLoaded_ = true;
    if (painter_.pathRuler) painter_.pathRuler();
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

void ViewerCore::drawFrame(int32_t f) {
    const std::span<const uint8_t> frame = file_.frame(f);
    if (frame.empty()) {
        if (painter_.emptyPlot) painter_.emptyPlot();
        return;
    }
    frameTail_.copyFrom(frame);
    readouts_ = readoutTexts(params_, frameTail_.values());
    if (painter_.frame) painter_.frame(frame);
}

bool ViewerCore::drawNextFrame() {
    if (frameIndex_ < framesPerRecord_ - 1) {
        drawFrame(frameIndex_);
        ++frameIndex_;
        return true;
    }
    frameIndex_ = 0;
    return false;
}

} // namespace vantrel
