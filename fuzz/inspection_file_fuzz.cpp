// The inspection file's parser on arbitrary bytes: whatever it accepts must
// write back to bytes that parse to the same document, and whatever it
// refuses must say what is wrong.
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

#include "inspection/inspection_file.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ParsedInspection parsed = parseInspection(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!parsed.document) {
        if (parsed.fault == InspectionFault::None || parsed.detail.empty()) std::abort();
        return 0;
    }
    if (parsed.fault != InspectionFault::None) std::abort();
    const ParsedInspection back = parseInspection(inspectionJson(*parsed.document));
    if (!back.document || *back.document != *parsed.document) std::abort();
    return 0;
}
