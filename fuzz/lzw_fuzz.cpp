// The record codec on arbitrary streams, with the real 16384-byte record
// limit and a canary after the output, compared with the instrument's chain
// decoder and with the open scan's measuring walk; and encode-then-decode of
// the same bytes as plain data, which must give them back.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "recordfile/lzw.h"
#include "recordfile/record_format.h"
#include "reference_lzw.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static LzwDecoder decoder;
    static LzwEncoder encoder;
    constexpr size_t kCanary = 64;
    static std::vector<uint8_t> out(kDecodedCapacity + kCanary);
    std::memset(out.data() + kDecodedCapacity, 0xA5, kCanary);
    const LzwDecodeResult r =
        decoder.decode(data, static_cast<uint32_t>(size), out.data(), kDecodedCapacity);
    if (r.size < 0 || r.size > kDecodedCapacity) std::abort();
    for (size_t i = 0; i < kCanary; ++i)
        if (out[kDecodedCapacity + i] != 0xA5) std::abort();
    static std::vector<uint8_t> ref(kDecodedCapacity);
    const LzwDecodeResult chain = reference::referenceLzwDecode(data, static_cast<uint32_t>(size),
                                                                ref.data(), kDecodedCapacity);
    if (chain.status != r.status || chain.size != r.size ||
        std::memcmp(ref.data(), out.data(), static_cast<size_t>(r.size)) != 0)
        std::abort();
    if ((r.status == LzwStatus::BadCode || r.status == LzwStatus::TruncatedCode) &&
        chain.faultOffset != r.faultOffset)
        std::abort();
    // What the open scan uses instead of decoding: a stream it accepts must
    // decode whole, to the same size and bytes.
    int32_t measured = -1;
    if (decoder.measure(data, static_cast<uint32_t>(size), kDecodedCapacity, measured)) {
        if (r.status != LzwStatus::Ok || measured != r.size) std::abort();
        for (int32_t i = 0; i < measured; ++i)
            if (decoder.byteAt(i) != out[static_cast<size_t>(i)]) std::abort();
    }

    if (size >= 2 && size <= kDecodedCapacity) {
        std::vector<uint8_t> stream(lzwEncodeBound(size));
        const LzwEncodeResult e =
            encoder.encode(data, static_cast<uint32_t>(size), stream.data(), stream.size());
        if (e.status != LzwStatus::Ok) std::abort();
        std::vector<uint8_t> back(size);
        const LzwDecodeResult d =
            decoder.decode(stream.data(), static_cast<uint32_t>(e.size), back.data(), back.size());
        if (d.status != LzwStatus::Ok || static_cast<size_t>(d.size) != size ||
            std::memcmp(back.data(), data, size) != 0)
            std::abort();
    }
    return 0;
}
