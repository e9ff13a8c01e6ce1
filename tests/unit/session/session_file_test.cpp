// The session file format: what the writer puts down the reader gives back,
// and a file cut or damaged anywhere reads up to its last whole chunk.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/module.h"
#include "platform/read_file.h"
#include "session/session_reader.h"
#include "session/session_writer.h"

namespace tavrin::session {
namespace {

std::string ScratchPath(const char* name) {
    return ::testing::TempDir() + "session_" + std::to_string(platform::ProgramInstance() & 0xFFFFFF) + "_" + name;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> Ramp(size_t count, uint8_t step) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(i * step);
    }
    return bytes;
}

const std::vector<uint8_t> kFrame = Ramp(4096, 3);
const std::vector<uint8_t> kBlock = Ramp(64, 7);
const std::vector<uint8_t> kPipe2 = {2, 0, 0, 0};

// One chunk of every kind, frames first plain then as the writer chooses.
void WriteEveryKind(SessionWriter& writer) {
    HeaderRecord header;
    header.sdkVersion = 27919647;
    header.devicePath = "\\\\.\\Tvrn860VXRUX-0";
    header.slot = 0;
    header.rom = {{0x1800, {'T', 'A', 'V', 0}}, {0x1EB0, {1}}};
    header.settings = "gain=310\n";
    header.host = "os=test\n";
    ASSERT_TRUE(writer.WriteHeader(header));
    ASSERT_TRUE(writer.WriteOpen({{10, 20}, 0x1000, "\\\\.\\Tvrn860VXRUX-0"}));
    ASSERT_TRUE(writer.WriteRequest({{30, 40}, 0x1000, 0x222051, 1, 64, 64}, kPipe2, kBlock, {}));
    ASSERT_TRUE(writer.WriteFrame({{50, 60}, 0x1000, 0x222051, 1, 4096, 4096}, kPipe2, kFrame));
    ASSERT_TRUE(writer.WriteFailure({{70, 80}, FailureKind::kTimedOut, 0x222051, 2, 4096, 0}));
    ASSERT_TRUE(writer.WriteDevice({90, DeviceEvent::kRemoval, DeviceEvidence::kOpenFailed}));
    ASSERT_TRUE(writer.WriteClose({{100, 110}, 0x1000, 1}));
    ASSERT_TRUE(writer.WriteEnd({120, EndReason::kStopped, "stopped"}));
}

std::vector<Chunk> ReadChunks(const platform::ReadOnlyFile& file, ReadStatus& status,
                              std::vector<std::vector<uint8_t>>* payloads = nullptr) {
    SessionReader reader(file);
    std::vector<Chunk> chunks;
    status = reader.Begin();
    if (status != ReadStatus::kOk) {
        return chunks;
    }
    Chunk chunk;
    while (reader.Next(chunk)) {
        chunks.push_back(chunk);
        if (payloads != nullptr) {
            payloads->emplace_back(chunk.payload.begin(), chunk.payload.end());
        }
    }
    status = reader.Status();
    return chunks;
}

class SessionFile : public ::testing::TestWithParam<bool> {};

TEST_P(SessionFile, ReadsBackEveryChunkAsWritten) {
    const std::string path = ScratchPath(GetParam() ? "compressed" : "plain");
    SessionWriter writer;
    ASSERT_TRUE(writer.Open(path, GetParam()));
    WriteEveryKind(writer);
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(writer.FrameBytes(), kFrame.size());

    const auto file = platform::OpenReadOnlyFile(path.c_str());
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Size(), writer.BytesWritten()) << "room reserved ahead is not part of the file";
    ReadStatus status{};
    std::vector<std::vector<uint8_t>> payloads;
    const std::vector<Chunk> chunks = ReadChunks(*file, status, &payloads);
    EXPECT_EQ(status, ReadStatus::kEnd);
    ASSERT_EQ(chunks.size(), 8u);

    const auto header = DecodeHeader(payloads[0]);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->sdkVersion, 27919647u);
    EXPECT_EQ(header->settings, "gain=310\n");
    ASSERT_EQ(header->rom.size(), 2u);
    EXPECT_EQ(header->rom[1].address, 0x1EB0);
    const auto open = DecodeOpen(payloads[1]);
    ASSERT_TRUE(open);
    EXPECT_EQ(open->handle, 0x1000u);
    const auto request = DecodeRequest(payloads[2]);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->sent, kBlock);
    EXPECT_EQ(request->input, kPipe2);
    EXPECT_EQ(request->fields.time.endNs, 40u);

    const auto frame = DecodeFrame(payloads[3], chunks[3].payloadOffset);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->dataLength, kFrame.size());
    EXPECT_EQ(frame->compression == Compression::kZstd, GetParam() && FrameCompressionAvailable());
    std::vector<uint8_t> data(kFrame.size());
    FrameDataReader frames;
    ASSERT_TRUE(frames.Read(*file, *frame, data.data(), data.size()));
    EXPECT_EQ(data, kFrame);

    EXPECT_EQ(DecodeFailure(payloads[4])->kind, FailureKind::kTimedOut);
    EXPECT_EQ(DecodeDevice(payloads[5])->event, DeviceEvent::kRemoval);
    EXPECT_EQ(DecodeClose(payloads[6])->result, 1);
    EXPECT_EQ(DecodeEnd(payloads[7])->text, "stopped");
    std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(PlainAndCompressed, SessionFile, ::testing::Bool());

// Cut at every byte, a file reads the chunks that end before the cut and
// says it is torn; damaged anywhere, it reads those before the damage.
TEST(SessionFileDamage, ReadsUpToTheLastWholeChunk) {
    const std::string path = ScratchPath("damage");
    SessionWriter writer;
    ASSERT_TRUE(writer.Open(path, false));
    WriteEveryKind(writer);
    ASSERT_TRUE(writer.Close());
    const std::vector<uint8_t> whole = ReadAll(path);
    std::remove(path.c_str());

    ReadStatus status{};
    const std::vector<Chunk> chunks = ReadChunks(MemoryFile(whole), status);
    std::vector<uint64_t> ends;
    for (size_t i = 0; i < chunks.size(); ++i) {
        ends.push_back(i + 1 < chunks.size() ? chunks[i + 1].offset : whole.size());
    }
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        const std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        const size_t expected = static_cast<size_t>(std::count_if(ends.begin(), ends.end(), [&](uint64_t end) {
            return end <= cut;
        }));
        const size_t read = ReadChunks(MemoryFile(part), status).size();
        ASSERT_EQ(read, expected) << "cut at " << cut;
        if (cut < kFileHeaderSize) {
            EXPECT_EQ(status, ReadStatus::kNotSession);
        } else {
            EXPECT_EQ(status, std::find(ends.begin(), ends.end(), cut) != ends.end() || cut == kFileHeaderSize
                                  ? ReadStatus::kEnd
                                  : ReadStatus::kTorn)
                << "cut at " << cut;
        }
    }
    std::mt19937 random(24);
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<uint8_t> damaged = whole;
        const size_t at = kFileHeaderSize + random() % (whole.size() - kFileHeaderSize);
        damaged[at] ^= static_cast<uint8_t>(1 + random() % 255);
        const size_t before = static_cast<size_t>(std::count_if(chunks.begin(), chunks.end(), [&](const Chunk& c) {
            return c.offset + kChunkHeaderSize + c.payload.size() <= at;
        }));
        const size_t read = ReadChunks(MemoryFile(damaged), status).size();
        ASSERT_EQ(read, before) << "byte " << at;
        EXPECT_NE(status, ReadStatus::kEnd);
    }
}

TEST(SessionFileHeader, RefusesWhatIsNoSessionOrANewerMajorVersion) {
    const std::string path = ScratchPath("header");
    SessionWriter writer;
    ASSERT_TRUE(writer.Open(path, false));
    ASSERT_TRUE(writer.Close());
    std::vector<uint8_t> bytes = ReadAll(path);
    std::remove(path.c_str());
    ASSERT_EQ(bytes.size(), kFileHeaderSize);
    ReadStatus status{};
    ReadChunks(MemoryFile(bytes), status);
    EXPECT_EQ(status, ReadStatus::kEnd);

    bytes[8] = 2;  // major version 2, checksum made to match
    const uint32_t crc = Crc32(0, std::span(bytes).first(16));
    for (int i = 0; i < 4; ++i) {
        bytes[16 + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (8 * i));
    }
    ReadChunks(MemoryFile(bytes), status);
    EXPECT_EQ(status, ReadStatus::kNewerVersion);
    bytes[0] = 'X';
    ReadChunks(MemoryFile(bytes), status);
    EXPECT_EQ(status, ReadStatus::kNotSession);
}

TEST(SessionWriterErrors, SaysWhyItStopped) {
    SessionWriter writer;
    EXPECT_FALSE(writer.Open(ScratchPath("no-such-folder/x/session.tvs"), false));
    EXPECT_EQ(writer.Error(), WriteError::kCannotCreate);
    // /dev/full takes the open and refuses every byte, as a full disk does.
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (full == nullptr) {
        GTEST_SKIP() << "no /dev/full on this host";
    }
    std::fclose(full);
    // The file header is the first write to fail.
    EXPECT_FALSE(writer.Open("/dev/full", false));
    EXPECT_EQ(writer.Error(), WriteError::kDiskFull);
    EXPECT_FALSE(writer.ErrorText().empty());
}

}  // namespace
}  // namespace tavrin::session
