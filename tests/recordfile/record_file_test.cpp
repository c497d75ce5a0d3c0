#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iconv.h>
#include <random>

#include "recordfile/gbk_text.h"
#include "recordfile/record_file.h"
#include "test_files.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace vantrel {
// The scan's choice of one thread or two, which only a test makes.
class RecordFileTestPeer {
public:
    static void setParallelScan(RecordFile& file, bool on) { file.parallelScan_ = on; }
};
} // namespace vantrel

namespace {

struct Entry {
    int32_t offset, size, parameterOffset;
    bool operator==(const Entry&) const = default;
};

std::vector<Entry> entries(const RecordFile& f) {
    std::vector<Entry> out;
    for (const auto& e : f.recordIndex())
        out.push_back({e.fileOffset, e.recordSize, e.parameterRecordOffset});
    return out;
}

int32_t recordBytes(const RecordWriter& w, int r) {
    const auto b = w.bytes();
    return loadI32Unchecked(b.data() + w.offsets()[static_cast<size_t>(r)]) + kRecordHeaderSize;
}

} // namespace

TEST(RecordFile, IndexesRecordsAndFollowsTheLatestBlock) {
    RecordWriter w;
    const ParameterBlock block = makeBlock(325);
    const std::vector<uint16_t> note = {0x41, 0x42, 0x1021};
    w.addRecord(makeFrames(3));
    w.addRecord(makeFrames(3, 10), &block, note);
    w.addRecord(makeFrames(3, 20));
    RecordFile f;
    ASSERT_TRUE(f.openRecordFile(writeTemp("three.DAT", w.bytes())).ok());
    const int32_t s0 = recordBytes(w, 0), s1 = recordBytes(w, 1), s2 = recordBytes(w, 2);
    // Record 0 carries no block and still points at offset 4.
    EXPECT_EQ(entries(f),
              (std::vector<Entry>{{4, s0, 4}, {4 + s0, s1, 4 + s0}, {4 + s0 + s1, s2, 4 + s0}}));
    ASSERT_EQ(f.notes(), (std::vector<Note>{{"AB\xB0\xC1", 1}}));
    EXPECT_EQ(f.recordCount(), 3);
    EXPECT_EQ(f.scanEnd(), ScanEnd::EndOfFile);
    EXPECT_TRUE(f.damagedRecords().empty());
    EXPECT_FALSE(f.indexEntryAt(3));
    EXPECT_FALSE(f.indexEntryAt(-1));
}

TEST(RecordFile, NoteTexts) {
    struct Case {
        const char* name;
        std::vector<uint16_t> cells;
        int noteLength; // -1: cells - 1
        std::optional<std::string> text;
    } cases[] = {
        {"ASCII and one GB2312 character", {0x41, 0x42, 0x1021}, -1, "AB\xB0\xC1"},
        {"zero cell ends the text", {0x41, 0x0000, 0x42, 0x43}, 3, "A"},
        {"cell 128 is still one byte",
         {0x80, 0x41},
         -1,
         "\x80"
         "A"},
        {"a zero byte inside a cell ends it", {0x41, 0x0160, 0x42}, -1, "A\xA1"},
        {"no note", {}, 0, std::nullopt},
        {"only cells 0..n are read", {0x41, 0x42, 0x43}, 1, "AB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParameterBlock block = makeBlock(1);
        Bytes decoded = buildDecodedRecord(makeFrames(1), &block, c.cells);
        if (c.noteLength >= 0)
            decoded[kFrameSize + kNoteLengthOffset] = static_cast<uint8_t>(c.noteLength);
        LzwDecodeResult d;
        d.size = static_cast<int32_t>(decoded.size());
        const RecordLayout l =
            layoutRecord(0, static_cast<int32_t>(decoded.size()) - kFrameSize, d);
        EXPECT_EQ(noteTextOf(decoded, l), c.text);
    }
    // The GB2312 pair is valid GBK and shows as one character.
    EXPECT_EQ(utf8ToGbk(gbkToUtf8("AB\xB0\xC1")), "AB\xB0\xC1");
    // Bytes that start no character become U+FFFD and the next byte starts
    // anew, as converting the whole text at once does.
    const std::string texts[] = {"\xFF"
                                 "A",
                                 "\x80\xB0\xA1",
                                 "\xB0",
                                 "\xB0\x20\xB0\xA1",
                                 "\x81\x30",
                                 "A\xA1\xFA\xA1",
                                 "\xA6\xB5"
                                 "2.0"};
    for (const std::string& t : texts) {
        std::string whole;
        char* in = const_cast<char*>(t.data());
        size_t left = t.size();
        iconv_t cd = iconv_open("UTF-8", "GBK");
        while (left > 0) {
            char buffer[64];
            char* o = buffer;
            size_t room = sizeof buffer;
            const size_t rc = iconv(cd, &in, &left, &o, &room);
            whole.append(buffer, static_cast<size_t>(o - buffer));
            if (rc == static_cast<size_t>(-1)) {
                whole += "\xEF\xBF\xBD";
                ++in;
                --left;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
            }
        }
        iconv_close(cd);
        EXPECT_EQ(gbkToUtf8(t), whole) << t;
        EXPECT_EQ(gbkToUtf8(t), whole) << t; // and again, from what it remembered
    }
}

TEST(RecordFile, FramesPerRecord) {
    struct Case {
        int frameBytes;
        bool block;
        int frames;
    } cases[] = {
        {6000, true, 10}, {6000, false, 10}, {6100, false, 10}, {599, false, 0}, {0, true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frameBytes);
        RecordWriter w;
        const ParameterBlock block = makeBlock(1);
        Bytes frames = makeFrames(11);
        frames.resize(static_cast<size_t>(c.frameBytes));
        w.addRecord(frames, c.block ? &block : nullptr);
        RecordFile f;
        ASSERT_TRUE(f.openRecordFile(writeTemp("f.DAT", w.bytes())).ok());
        InstrumentParams p;
        const RecordReadResult r = f.readRecordAt(4, p);
        EXPECT_TRUE(r.read);
        EXPECT_EQ(r.blockCopied, c.block);
        EXPECT_EQ(f.layout().framesPerRecord(), c.frames);
        EXPECT_EQ(f.layout().decodedSize, c.frameBytes + (c.block ? 220 : 0));
        EXPECT_EQ(f.frame(c.frames).size(), 0u);
        if (c.frames > 0) {
            EXPECT_EQ(f.frame(c.frames - 1).size(), size_t{kFrameSize});
        }
    }
}

// The scan reads one record more than announced, stops at the end of the
// file, and never indexes a record that the file cuts short.
TEST(RecordFile, ScanStopsAsTheInstrumentDoes) {
    RecordWriter w;
    for (int i = 0; i < 4; ++i)
        w.addRecord(makeFrames(2, i));
    const Bytes full = w.bytes();
    struct Case {
        const char* name;
        int32_t announced;
        size_t cut; // bytes removed from the end
        size_t indexed;
        ScanEnd end;
    } cases[] = {
        {"as announced", 4, 0, 4, ScanEnd::EndOfFile},
        {"fewer than announced", 9, 0, 4, ScanEnd::EndOfFile},
        {"one more than announced", 3, 0, 4, ScanEnd::EndOfFile},
        {"two more than announced", 2, 0, 3, ScanEnd::AnnouncedCount},
        {"none announced", 0, 0, 1, ScanEnd::AnnouncedCount},
        {"negative count", -5, 0, 1, ScanEnd::AnnouncedCount},
        {"last record cut short", 4, 3, 3, ScanEnd::ShortRecord},
        {"file ends inside a header", 4, full.size() - static_cast<size_t>(w.offsets()[3]) - 5, 3,
         ScanEnd::CutHeader},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes b = full;
        storeU32(b.data(), static_cast<uint32_t>(c.announced));
        b.resize(b.size() - c.cut);
        RecordFile f;
        ASSERT_TRUE(f.openRecordFile(writeTemp("scan.DAT", b)).ok());
        EXPECT_EQ(f.recordIndex().size(), c.indexed);
        EXPECT_EQ(f.scanEnd(), c.end);
        EXPECT_EQ(f.recordCount(), c.announced);
    }
}

TEST(RecordFile, ReadsThroughTheIndexAndAtTheCurrentPosition) {
    RecordWriter w;
    const ParameterBlock a = makeBlock(100), b = makeBlock(200);
    w.addRecord(makeFrames(3, 0), &a);
    w.addRecord(makeFrames(3, 10));
    w.addRecord(makeFrames(3, 20), &b);
    RecordFile f;
    ASSERT_TRUE(f.openRecordFile(writeTemp("read.DAT", w.bytes(5))).ok());
    InstrumentParams p;
    auto firstValue = [&] { return loadI32Unchecked(f.frame(0).data() + kFrameValuesOffset); };

    EXPECT_TRUE(f.readRecordAt(f.indexEntryAt(1)->fileOffset, p).read);
    EXPECT_EQ(firstValue(), 10000);
    EXPECT_EQ(p.baseGain(), 0); // no block: the copy is untouched
    // Without an offset the next record in the file is read.
    EXPECT_TRUE(f.readRecordAt(std::nullopt, p).blockCopied);
    EXPECT_EQ(firstValue(), 20000);
    EXPECT_EQ(p.baseGain(), 200);
    // At the end of the file nothing is read; the last record stays and its
    // block is made current again.
    EXPECT_TRUE(f.readRecordAt(f.indexEntryAt(0)->fileOffset, p).blockCopied);
    EXPECT_EQ(p.baseGain(), 100);
    f.readRecordAt(f.indexEntryAt(2)->fileOffset, p);
    p.copyParameterBlock(makeBlock(7).data());
    const RecordReadResult r = f.readRecordAt(std::nullopt, p);
    EXPECT_FALSE(r.read);
    EXPECT_TRUE(r.blockCopied);
    EXPECT_EQ(p.baseGain(), 200);
    EXPECT_EQ(firstValue(), 20000);
    EXPECT_EQ(f.rereadRecordCount(), 5);
}

TEST(RecordFile, AfterTheScanTheLastRecordIsInTheBuffer) {
    RecordWriter w;
    const ParameterBlock a = makeBlock(100);
    w.addRecord(makeFrames(2, 0), &a);
    w.addRecord(makeFrames(2, 30));
    RecordFile f;
    ASSERT_TRUE(f.openRecordFile(writeTemp("last.DAT", w.bytes(6))).ok());
    InstrumentParams p;
    // The scan stopped at the end of the file; a read there finds nothing.
    EXPECT_FALSE(f.readRecordAt(std::nullopt, p).read);
    EXPECT_EQ(loadI32Unchecked(f.frame(0).data() + kFrameValuesOffset), 30000);
}

TEST(RecordFile, OpenFailuresKeepTheOpenFile) {
    RecordWriter w;
    w.addRecord(makeFrames(2));
    const std::string good = writeTemp("good.DAT", w.bytes());
    const std::string tiny = writeTemp("tiny.DAT", {1, 0, 0});
    const std::string dir = tempPath("dir");
    std::filesystem::create_directories(dir);
    RecordFile f;
    ASSERT_TRUE(f.openRecordFile(good).ok());
    struct Case {
        std::string path;
        OpenError error;
        std::string reason;
    } cases[] = {
        {tempPath("missing.DAT"), OpenError::CannotOpen, "No such file or directory"},
        {dir, OpenError::CannotOpen, "Is a directory"},
        {tiny, OpenError::TooShort, "file is shorter than its 4-byte record count"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const OpenResult r = f.openRecordFile(c.path);
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(r.reason, c.reason);
        EXPECT_EQ(f.path(), good);
        EXPECT_EQ(f.recordIndex().size(), 1u);
    }
    // An empty count-only file opens with nothing in it.
    ASSERT_TRUE(f.openRecordFile(writeTemp("empty.DAT", {0, 0, 0, 0})).ok());
    EXPECT_TRUE(f.recordIndex().empty());
    InstrumentParams p;
    EXPECT_FALSE(f.readRecordAt(std::nullopt, p).read);
    EXPECT_EQ(f.layout().framesPerRecord(), 0);
}

// Each kind of damage sits between intact records: what the damaged record
// still holds is shown, what cannot be trusted is refused, and the records
// after it keep their place and their parameters.
TEST(RecordFile, DamagedRecordsBetweenIntactOnes) {
    const ParameterBlock before = makeBlock(111), damagedBlock = makeBlock(222);
    const Bytes frames = makeFrames(4, 50);
    const Bytes withBlock =
        buildDecodedRecord(frames, &damagedBlock, std::vector<uint16_t>{0x41, 0x42});
    const int32_t trailer = static_cast<int32_t>(withBlock.size() - frames.size());

    struct Case {
        const char* name;
        std::function<void(RecordWriter&)> add;
        RecordDamage damage;
        int frames; // of the damaged record
        bool blockCopied;
        size_t notes;          // notes in the file (the intact record 0 has none)
        bool followingIndexed; // record 2 is still reachable
    };
    const Case cases[] = {
        {"trailer length negative", [&](RecordWriter& w) { w.addDecoded(withBlock, -50); },
         RecordDamage::TrailerOutside, static_cast<int>(withBlock.size()) / kFrameSize, false, 0,
         true},
        {"trailer length beyond the decoded size",
         [&](RecordWriter& w) { w.addDecoded(withBlock, 9999); }, RecordDamage::TrailerOutside,
         static_cast<int>(withBlock.size()) / kFrameSize, false, 0, true},
        {"trailer shorter than a block",
         [&](RecordWriter& w) {
             Bytes d = frames;
             d.resize(d.size() + 100, 9);
             w.addDecoded(d, 100);
         },
         RecordDamage::TrailerTooShort, 4, false, 0, true},
        {"note runs past the record",
         [&](RecordWriter& w) {
             Bytes d = withBlock;
             d[frames.size() + kNoteLengthOffset] = 30; // 31 cells announced, 2 present
             w.addDecoded(d, trailer);
         },
         RecordDamage::NoteCut, 4, true, 1, true},
        {"decodes to more than 16384 bytes",
         [&](RecordWriter& w) {
             Bytes d = makeFrames(30, 5);
             d.insert(d.end(), damagedBlock.begin(), damagedBlock.end());
             d.resize(d.size() + 2);
             w.addDecoded(d, 220);
         },
         RecordDamage::DecodedTooLarge, 16384 / kFrameSize, false, 0, true},
        {"stream holds an invalid code",
         [&](RecordWriter& w) {
             Bytes s = encodeStream(withBlock);
             s[0] = 0xFF; // a first code that is no single byte
             w.addRaw(static_cast<int32_t>(s.size()), trailer, s);
         },
         RecordDamage::StreamBadCode, 0, false, 0, true},
        {"stream cut inside a code",
         [&](RecordWriter& w) {
             const Bytes s = literalStreamEndingInsideACode(withBlock).first;
             w.addRaw(static_cast<int32_t>(s.size()), trailer, s);
         },
         RecordDamage::StreamTruncated,
         static_cast<int>(literalStreamEndingInsideACode(withBlock).second) / kFrameSize, false, 0,
         true},
        {"negative stored length", [&](RecordWriter& w) { w.addRaw(-8, trailer, {}); },
         RecordDamage::None, 0, false, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordWriter w;
        w.addRecord(makeFrames(2, 0), &before);
        c.add(w);
        w.addRecord(makeFrames(3, 90));
        RecordFile f;
        ASSERT_TRUE(f.openRecordFile(writeTemp("damaged.DAT", w.bytes())).ok());
        EXPECT_EQ(f.notes().size(), c.notes);
        InstrumentParams p;
        f.readRecordAt(4, p);
        EXPECT_EQ(p.baseGain(), 111);
        if (!c.followingIndexed) {
            EXPECT_EQ(f.recordIndex().size(), 1u);
            EXPECT_EQ(f.scanEnd(), ScanEnd::NegativeLength);
            continue;
        }
        ASSERT_EQ(f.recordIndex().size(), 3u);
        const RecordReadResult r = f.readRecordAt(f.indexEntryAt(1)->fileOffset, p);
        EXPECT_TRUE(r.read);
        EXPECT_EQ(r.blockCopied, c.blockCopied);
        EXPECT_EQ(f.layout().damage, c.damage);
        EXPECT_EQ(f.layout().framesPerRecord(), c.frames);
        // Intact frames of the damaged record are the file's own bytes.
        if (f.layout().framesPerRecord() > 0) {
            EXPECT_EQ(loadI32Unchecked(f.frame(0).data() + kFrameValuesOffset),
                      c.damage == RecordDamage::DecodedTooLarge ? 5000 : 50000);
        }
        EXPECT_EQ(p.baseGain(), c.blockCopied ? 222 : 111);
        // The record after it is intact and takes the latest usable block.
        const auto next = *f.indexEntryAt(2);
        EXPECT_EQ(next.parameterRecordOffset, c.blockCopied ? f.indexEntryAt(1)->fileOffset : 4);
        EXPECT_TRUE(f.readRecordAt(next.fileOffset, p).read);
        EXPECT_EQ(f.layout().damage, RecordDamage::None);
        EXPECT_EQ(f.layout().framesPerRecord(), 3);
        // The scan decodes every record with a trailer and lists its damage.
        ASSERT_EQ(f.damagedRecords().size(), 1u);
        EXPECT_EQ(f.damagedRecords()[0].record, 1);
        EXPECT_EQ(f.damagedRecords()[0].damage, c.damage);
    }
}

TEST(RecordFile, LongNotesAreReadInFull) {
    // The instrument's notes stop at 97; a longer one is still the file's text.
    std::vector<uint16_t> cells(120, 0x41);
    cells.back() = 0x42;
    const ParameterBlock block = makeBlock(1);
    RecordWriter w;
    w.addRecord(makeFrames(1), &block, cells);
    RecordFile f;
    ASSERT_TRUE(f.openRecordFile(writeTemp("long.DAT", w.bytes())).ok());
    ASSERT_EQ(f.notes().size(), 1u);
    EXPECT_EQ(f.notes()[0].text, std::string(119, 'A') + "B");
    EXPECT_TRUE(f.damagedRecords().empty());
}

TEST(RecordFile, OverlongStreamIsReadUpToTheRecordLimit) {
    // Incompressible bytes make a stream longer than the instrument's 6168-byte
    // buffer; it still decodes within the record buffer and shows.
    Bytes frames(10 * kFrameSize);
    uint32_t x = 12345;
    for (auto& b : frames)
        b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 24);
    RecordWriter w;
    w.addRecord(frames);
    const Bytes file = w.bytes();
    ASSERT_GT(loadI32Unchecked(file.data() + 4), kInstrumentStoredCapacity);
    RecordFile f;
    ASSERT_TRUE(f.openRecordFile(writeTemp("big.DAT", file)).ok());
    InstrumentParams p;
    EXPECT_TRUE(f.readRecordAt(4, p).read);
    EXPECT_EQ(f.layout().damage, RecordDamage::None);
    EXPECT_EQ(f.layout().framesPerRecord(), 10);
    EXPECT_TRUE(std::equal(frames.begin(), frames.end(), f.decoded().begin()));
}

TEST(RecordFile, ScanReportsItsProgress) {
    RecordWriter w;
    const Bytes frames = makeFrames(11);
    Bytes noisy = frames;
    uint32_t x = 1;
    for (auto& b : noisy)
        b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 25); // poorly compressible
    for (int i = 0; i < 1600; ++i)
        w.addRecord(i % 2 ? frames : noisy);
    const Bytes file = w.bytes();
    ASSERT_GT(file.size(), 8u << 20);
    RecordFile f;
    std::vector<int64_t> seen;
    ASSERT_TRUE(f.openRecordFile(writeTemp("progress.DAT", file), [&](int64_t done, int64_t total) {
                     EXPECT_EQ(total, static_cast<int64_t>(file.size()));
                     seen.push_back(done);
                 }).ok());
    ASSERT_GE(seen.size(), 2u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_LE(seen.back(), static_cast<int64_t>(file.size()));
    EXPECT_EQ(f.recordIndex().size(), 1600u);
}

// Many records with trailers, some damaged: the index, the damage list and
// the notes come out in file order.
TEST(RecordFile, ManyTrailersScanInFileOrder) {
    RecordWriter w;
    std::vector<int32_t> expectedNotes, expectedDamage;
    for (int r = 0; r < 120; ++r) {
        const ParameterBlock block = makeBlock(static_cast<uint16_t>(r));
        if (r % 7 == 3) {
            Bytes d = makeFrames(2, r);
            d.resize(d.size() + 50, 1); // a trailer too short for a block
            w.addDecoded(d, 50);
            expectedDamage.push_back(r);
        } else if (r % 2 == 0) {
            const bool note = r % 3 == 0;
            w.addRecord(makeFrames(2, r), &block,
                        note ? noteCellsFromUtf8("n" + std::to_string(r))
                             : std::vector<uint16_t>{});
            if (note) expectedNotes.push_back(r);
        } else {
            w.addRecord(makeFrames(2, r));
        }
    }
    RecordFile f;
    ASSERT_TRUE(f.openRecordFile(writeTemp("many.DAT", w.bytes())).ok());
    ASSERT_EQ(f.recordIndex().size(), 120u);
    std::vector<Note> notes;
    for (int32_t r : expectedNotes)
        notes.push_back({"n" + std::to_string(r), r});
    EXPECT_EQ(f.notes(), notes);
    std::vector<int32_t> damaged;
    for (const DamagedRecord& d : f.damagedRecords())
        damaged.push_back(d.record);
    EXPECT_EQ(damaged, expectedDamage);
    // Each record points at the latest record at or before it whose block
    // could be read (even records other than the damaged ones).
    int32_t latest = 4;
    for (int r = 0; r < 120; ++r) {
        const RecordIndexEntry e = *f.indexEntryAt(r);
        if (r > 0 && r % 2 == 0 && r % 7 != 3) latest = e.fileOffset;
        EXPECT_EQ(e.parameterRecordOffset, latest) << r;
    }
}

// A large file is scanned on two threads, the second walking from a record
// it guesses near the middle. Whatever the file holds, the result must be the
// one walk from the start gives: here with damage, notes and cut ends in both
// halves, and with a run of fake headers inside a record right where the
// guess begins (a chain that joins the real one only at that record's end).
TEST(RecordFile, TwoThreadScanGivesTheOneThreadResult) {
    Bytes noisy = makeFrames(11);
    uint32_t x = 7;
    for (auto& b : noisy)
        b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 25); // poorly compressible
    auto addHalf = [&](RecordWriter& w, int base) {
        for (int r = 0; r < 700; ++r) {
            const int n = base + r;
            const ParameterBlock block = makeBlock(static_cast<uint16_t>(n));
            if (r % 97 == 5) {
                Bytes stream = encodeStream(buildDecodedRecord(makeFrames(3, n), &block, {}));
                stream[stream.size() / 2] ^= 0xFF; // a damaged stream with a trailer
                w.addRaw(static_cast<int32_t>(stream.size()), kParameterBlockSize + 2, stream);
            } else if (r % 13 == 0) {
                w.addRecord(makeFrames(2, n), &block,
                            noteCellsFromUtf8("note " + std::to_string(n)));
            } else if (r % 5 == 0) {
                w.addRecord(makeFrames(3, n), &block);
            } else {
                w.addRecord(r % 2 ? noisy : makeFrames(11, n));
            }
        }
    };
    // Zeros (no plausible header) and then 16 plausible headers of 100-byte
    // records that end exactly where this record ends.
    Bytes fake(4000, 0);
    for (int i = 0; i < 16; ++i) {
        Bytes h(kRecordHeaderSize + 100, 0);
        storeU32(h.data(), 100);
        fake.insert(fake.end(), h.begin(), h.end());
    }
    RecordWriter w;
    addHalf(w, 0);
    w.addRaw(static_cast<int32_t>(fake.size()), 0, fake);
    addHalf(w, 700);
    const Bytes intact = w.bytes();
    ASSERT_GT(intact.size(), 5u << 20); // large enough for a second thread
    const int64_t middle = w.offsets()[1000];

    struct Variant {
        const char* what;
        Bytes file;
    };
    std::vector<Variant> variants{{"intact", intact}};
    Bytes b = intact;
    storeU32(b.data(), 1100); // the count ends the scan in the second half
    variants.push_back({"announced count", b});
    b = intact;
    storeU32(b.data() + middle, 0xFFFFFFF0u); // a negative stored length
    variants.push_back({"negative length", b});
    b = intact;
    b.resize(static_cast<size_t>(w.offsets()[1300]) + 100); // a cut record
    variants.push_back({"cut record", b});
    b = intact;
    b.resize(b.size() + 5, 0); // a cut header
    variants.push_back({"cut header", b});
    // Random damage around the middle, where the guess and the meeting are,
    // to headers and stream bytes alike.
    std::mt19937 rng(20261210);
    for (int i = 0; i < 12; ++i) {
        b = intact;
        const auto around = static_cast<size_t>(b.size() / 2 - 200000);
        std::uniform_int_distribution<size_t> at(around, around + 400000);
        for (int n = 0; n < 1 + i % 4; ++n) {
            const size_t p =
                i % 2 ? static_cast<size_t>(w.offsets()[700 + at(rng) % 300]) + at(rng) % 8
                      : at(rng);
            b[p] = static_cast<uint8_t>(rng());
        }
        variants.push_back({"random damage", b});
    }

    // Many fake records before the chains meet, more than the scan's records
    // up to there: with the count, the helper stops (at the most records
    // the scan can take) before the end of the chain, and the scan walks on
    // alone after taking its records.
    {
        // Sized so that the middle of the file falls into the zeros.
        RecordWriter t;
        while (t.records() < 1100 || t.bytes().size() < (5u << 19))
            t.addRecord(makeFrames(11, t.records()));
        Bytes tiny(4000, 0);
        for (int i = 0; i < 600; ++i) {
            const uint8_t h[9] = {1, 0, 0, 0, 0, 0, 0, 0, 0};
            tiny.insert(tiny.end(), h, h + 9);
        }
        const size_t tail = t.bytes().size() - kFileHeaderSize;
        const size_t both = tail + kRecordHeaderSize + tiny.size() - 4000 - 16;
        Bytes noise(both / 2 - kRecordHeaderSize);
        for (auto& c : noise)
            c = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 24);
        RecordWriter v;
        v.addRaw(static_cast<int32_t>(noise.size()), 0, noise);
        v.addRaw(static_cast<int32_t>(noise.size()), 0, noise);
        v.addRaw(static_cast<int32_t>(tiny.size()), 0, tiny);
        for (int r = 0; r < t.records(); ++r)
            v.addRecord(makeFrames(11, r));
        variants.push_back({"helper stops short", v.bytes(1000)});
    }

    for (const Variant& v : variants) {
        SCOPED_TRACE(v.what);
        ASSERT_GT(v.file.size(), 4u << 20);
        const std::string path = writeTemp("two-threads.DAT", v.file);
        RecordFile one, two;
        RecordFileTestPeer::setParallelScan(one, false);
        ASSERT_TRUE(one.openRecordFile(path).ok());
        ASSERT_TRUE(two.openRecordFile(path).ok());
        EXPECT_GE(one.recordIndex().size(), 700u);
        EXPECT_EQ(entries(two), entries(one));
        EXPECT_EQ(two.notes(), one.notes());
        ASSERT_EQ(two.damagedRecords().size(), one.damagedRecords().size());
        for (size_t i = 0; i < one.damagedRecords().size(); ++i) {
            EXPECT_EQ(two.damagedRecords()[i].record, one.damagedRecords()[i].record);
            EXPECT_EQ(two.damagedRecords()[i].fileOffset, one.damagedRecords()[i].fileOffset);
            EXPECT_EQ(two.damagedRecords()[i].damage, one.damagedRecords()[i].damage);
        }
        EXPECT_EQ(two.scanEnd(), one.scanEnd());
        EXPECT_TRUE(std::ranges::equal(two.decoded(), one.decoded()));
    }
}
