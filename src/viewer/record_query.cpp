#include "viewer/record_query.h"

namespace vantrel {

int32_t playbackDelayFor(int32_t framesPerRecord) {
    // The frames played share the second.
    const int32_t played = playedFrames(framesPerRecord);
    return played > 0 ? 1000 / played : 1000;
}

OpenResult RecordQuery::open(const std::string& path, const RecordFile::ScanProgress& progress) {
    return file_.openRecordFile(path, progress);
}

void RecordQuery::refreshForParameters() {
    params_.deriveDisplayLengths();
    parametersLoaded_ = true;
    if (!panelAndCurves_) return;
    panel_ = formatPanel(params_);
    pathRuler_ = pathRulerLabels(params_);
    curves_ = buildCurveSet(params_);
}

bool RecordQuery::loadRecord(int32_t r) {
    recordsRead_.fetch_add(1, std::memory_order_relaxed);
    std::optional<int64_t> offset;
    if (auto entry = file_.indexEntryAt(r)) offset = entry->fileOffset;
    if (!file_.readRecordAt(offset, params_).blockCopied) return false;
    refreshForParameters();
    return true;
}

bool RecordQuery::loadParameterRecord(int32_t r) {
    const auto entry = file_.indexEntryAt(r);
    if (!entry) return false;
    recordsRead_.fetch_add(1, std::memory_order_relaxed);
    if (!file_.readRecordAt(entry->parameterRecordOffset, params_).blockCopied) return false;
    refreshForParameters();
    return true;
}

bool RecordQuery::seek(int32_t r) {
    const bool block = loadParameterRecord(r);
    return loadRecord(r) || block;
}

void RecordQuery::reloadBlockInBuffer() {
    if (file_.layout().blockUsable)
        params_.copyParameterBlock(file_.decoded().data() + file_.layout().trailerOffset());
    refreshForParameters();
}

} // namespace vantrel
