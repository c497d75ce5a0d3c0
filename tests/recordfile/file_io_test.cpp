// Whole-file reads and writes, and the large buffers behind them.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "recordfile/file_io.h"
#include "recordfile/large_memory.h"
#include "test_files.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace {

Bytes pattern(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(i * 131 + (i >> 16));
    return b;
}

} // namespace

// A regular file is read in one read of the size it has, with one byte of
// room to see its end: sizes at and around that room, and past the size a
// file of unknown length starts with.
TEST(FileIo, ReadsWholeFilesOfAnySize) {
    for (const size_t n : {size_t{0}, size_t{1}, size_t{65535}, size_t{65536}, size_t{65537},
                           (size_t{2} << 20) - 1, (size_t{2} << 20) + 3}) {
        SCOPED_TRACE(n);
        const Bytes data = pattern(n);
        const std::string path = writeTemp("whole.bin", data);
        const std::optional<FileContents> file = readFile(path);
        ASSERT_TRUE(file);
        EXPECT_TRUE(
            std::equal(data.begin(), data.end(), file->bytes().begin(), file->bytes().end()));
        EXPECT_EQ(readBytes(path), data);
    }
}

// A pipe tells no size: it is read on until its writer closes it, through
// buffers that grow many times.
TEST(FileIo, ReadsAPipeToItsEnd) {
    const std::string fifo = tempPath("pipe");
    ::unlink(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const Bytes data = pattern(3 << 20);
    std::thread writer([&] { EXPECT_TRUE(writeBytes(fifo, data)); });
    const std::optional<FileContents> file = readFile(fifo);
    writer.join();
    ::unlink(fifo.c_str());
    ASSERT_TRUE(file);
    ASSERT_EQ(file->size, data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), file->bytes().begin()));
}

TEST(FileIo, RefusesWhatIsNoFile) {
    errno = 0;
    EXPECT_FALSE(readFile(std::filesystem::temp_directory_path().string()));
    EXPECT_EQ(errno, EISDIR);
    errno = 0;
    EXPECT_FALSE(readFile(tempPath("never-written")));
    EXPECT_EQ(errno, ENOENT);
    errno = 0;
    EXPECT_FALSE(writeBytes(tempPath("no-folder") + "/x.bin", pattern(10)));
    EXPECT_EQ(errno, ENOENT);
}

// Buffers below, at and above the size that is mapped apart from the heap,
// and across the 2 MiB pages a mapping is rounded to: every byte is usable
// and keeps its value while neighbours come and go, and a growing vector
// keeps its elements.
TEST(FileIo, LargeMemoryHoldsEveryByte) {
    const size_t sizes[] = {kLargeAllocation - 1, kLargeAllocation, (size_t{2} << 20) - 1,
                            size_t{2} << 20, (size_t{5} << 20) + 17};
    std::vector<LargeBuffer> buffers;
    for (const size_t n : sizes) {
        buffers.emplace_back(n);
        std::fill_n(buffers.back().data(), n, static_cast<uint8_t>(n));
    }
    buffers.erase(buffers.begin() + 1); // its neighbours stay mapped
    buffers.emplace_back(kLargeAllocation + 1);
    std::fill_n(buffers.back().data(), kLargeAllocation + 1, uint8_t{7});
    for (size_t i = 0; i + 1 < buffers.size(); ++i) {
        const LargeBuffer& b = buffers[i];
        const uint8_t v = static_cast<uint8_t>(b.size());
        EXPECT_EQ(std::count(b.data(), b.data() + b.size(), v), static_cast<ptrdiff_t>(b.size()))
            << b.size();
    }
    LargeBuffer grown(kLargeAllocation);
    std::fill_n(grown.data(), kLargeAllocation, uint8_t{9});
    grown.reallocate(3 * kLargeAllocation, kLargeAllocation);
    EXPECT_EQ(std::count(grown.data(), grown.data() + kLargeAllocation, 9),
              static_cast<ptrdiff_t>(kLargeAllocation));

    std::vector<uint32_t, LargeAllocator<uint32_t>> v;
    for (uint32_t i = 0; i < (3u << 20); ++i)
        v.push_back(i * 7);
    for (uint32_t i = 0; i < v.size(); ++i)
        ASSERT_EQ(v[i], i * 7);
}
