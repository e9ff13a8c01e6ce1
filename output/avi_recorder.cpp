#include "output/avi_recorder.h"

#include <algorithm>
#include <new>

#include "output/little_endian.h"
#include "platform/time.h"

namespace tavrin {

namespace {

constexpr AviIndexEntry kFrameIndexTemplate{{'0', '0', 'd', 'b'}, avi::kIndexKeyFrame, 0, 0};

// A refresh rewrites the whole index, which grows with the recording. Waiting
// until eight times its size in frame bytes has gone out since the last one
// keeps the rewriting below an eighth of what the recording writes; for
// camera-sized frames the one-second interval comes first. Frames of 120
// bytes or less never send that much (each adds as much index as it brings
// frame bytes), so time decides as well: the refresh also comes once the
// rewriting would take no more than about a megabyte a second.
constexpr uint64_t kFrameBytesPerIndexByte = 8;
constexpr uint64_t kIndexBytesPerMs = 1000;

}  // namespace

AviRecorder::~AviRecorder() { Reset(); }

void AviRecorder::Reset() {
    if (file_.IsOpen()) {
        file_.Close();
    }
    index_.clear();
    mainHeader_ = {};
    streamHeader_ = {};
    format_ = {};
    riffSize_ = 0;
    moviSize_ = 0;
    moviSizePosition_ = 0;
    frameBytes_ = 0;
    damaged_ = false;
    bytesSinceRefresh_ = 0;
    indexOnDisk_ = false;
}

bool AviRecorder::SettingsDescribeAFile() const {
    const uint64_t frameBytes = FrameBytes();
    if (frameBytes == 0 || rate_ == 0) {
        return false;
    }
    // The first frame and its index entry must fit, or the file could hold nothing.
    const uint64_t oneFrame = avi::kRiffSizeAtOpen + avi::kChunkHeaderBytes + frameBytes + 8 + avi::kIndexEntryBytes;
    return oneFrame <= sizeLimit_ && oneFrame <= avi::kRiffSizeLimit;
}

bool AviRecorder::Open(const char* path) {
    Reset();
    if (!SettingsDescribeAFile() || !file_.Open(path, /*unbuffered=*/true)) {
        return false;
    }
    frameBytes_ = static_cast<uint32_t>(FrameBytes());
    mainHeader_ = avi::MakeMainHeader(width_, height_, frameBytes_, rate_);
    streamHeader_ = avi::MakeStreamHeader(frameBytes_, rate_);
    format_ = avi::MakeFrameFormat(width_, height_);
    riffSize_ = avi::kRiffSizeAtOpen;
    moviSize_ = avi::kMoviSizeAtOpen;
    moviSizePosition_ = avi::kMoviSizeOffset;
    const auto headers = avi::SerializeHeaders(mainHeader_, streamHeader_, format_, riffSize_, moviSize_);
    if (!file_.Write(headers.data(), headers.size())) {
        Reset();
        return false;
    }
    lastRefreshTick_ = platform::TickCount();
    return true;
}

int32_t AviRecorder::AddFrame(const uint8_t* pixels) {
    if (!file_.IsOpen()) {
        return kNotOpen;
    }
    if (pixels == nullptr) {
        return kInvalidFrame;
    }
    if (damaged_) {
        return kWriteFailed;
    }
    const uint64_t chunkBytes = avi::kChunkHeaderBytes + static_cast<uint64_t>(frameBytes_);
    // The index is written at close; its room is kept free from the start.
    const uint64_t riffWithIndex = static_cast<uint64_t>(riffSize_) + chunkBytes + 8 +
                                   avi::kIndexEntryBytes * (static_cast<uint64_t>(index_.size()) + 1);
    if (riffWithIndex > sizeLimit_ || riffWithIndex > avi::kRiffSizeLimit) {
        return kSizeLimit;
    }
    AviIndexEntry entry = kFrameIndexTemplate;
    entry.offset = moviSize_;
    entry.size = frameBytes_;
    try {
        index_.push_back(entry);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    if (indexOnDisk_ && !WithdrawIndex()) {
        index_.pop_back();
        return kWriteFailed;
    }

    std::fpos_t endOfFrames;
    uint8_t chunkHeader[avi::kChunkHeaderBytes];
    StoreFourCC(chunkHeader, "00db");
    StoreU32(chunkHeader + 4, frameBytes_);
    const bool positionKnown = file_.GetPosition(endOfFrames);
    if (!positionKnown || !file_.Write(chunkHeader, sizeof chunkHeader) || !file_.Write(pixels, frameBytes_)) {
        index_.pop_back();
        // Go back to the end of the last complete frame so that Close writes
        // the index over whatever part of this frame reached the file.
        damaged_ = !positionKnown || !file_.SetPosition(endOfFrames);
        return kWriteFailed;
    }
    riffSize_ += static_cast<uint32_t>(chunkBytes);
    moviSize_ += static_cast<uint32_t>(chunkBytes);
    bytesSinceRefresh_ += chunkBytes;
    if (RefreshDue()) {
        Refresh();
    }
    return kOk;
}

bool AviRecorder::RefreshDue() const {
    const uint64_t indexBytes = 8 + avi::kIndexEntryBytes * static_cast<uint64_t>(index_.size());
    const uint64_t elapsedMs = platform::TickCount() - lastRefreshTick_;
    return elapsedMs >= refreshIntervalMs_ && (bytesSinceRefresh_ >= kFrameBytesPerIndexByte * indexBytes ||
                                               elapsedMs >= indexBytes / kIndexBytesPerMs);
}

// Writes the index after the last frame, then patches the header to describe
// the frames and claim the index (the flag last, once the rest is in place).
// The refresh is a safety net: when it fails the recording goes on, and only
// a position that cannot be restored ends it.
void AviRecorder::Refresh() {
    lastRefreshTick_ = platform::TickCount();
    bytesSinceRefresh_ = 0;
    std::fpos_t endOfFrames;
    if (!file_.GetPosition(endOfFrames)) {
        damaged_ = true;
        return;
    }
    if (WriteIndex()) {
        PatchSizes(riffSize_ + 8 + avi::kIndexEntryBytes * static_cast<uint32_t>(index_.size()), true);
    }
    indexOnDisk_ = true;  // possibly claimed: withdraw it before it is overwritten
    damaged_ = !file_.SetPosition(endOfFrames);
}

// The next frame goes where the refreshed index lies: first the header stops
// claiming an index, and the RIFF size ends with the frames.
bool AviRecorder::WithdrawIndex() {
    std::fpos_t endOfFrames;
    if (!file_.GetPosition(endOfFrames)) {
        damaged_ = true;
        return false;
    }
    mainHeader_.flags &= ~avi::kFlagHasIndex;
    if (PatchU32(avi::kMainFlagsOffset, mainHeader_.flags)) {
        PatchU32(avi::kRiffSizeOffset, riffSize_);
    }
    indexOnDisk_ = false;
    damaged_ = !file_.SetPosition(endOfFrames);
    return !damaged_;
}

bool AviRecorder::WriteIndex() {
    const uint32_t frames = static_cast<uint32_t>(index_.size());
    uint8_t header[8];
    StoreFourCC(header, "idx1");
    StoreU32(header + 4, avi::kIndexEntryBytes * frames);
    if (!file_.Write(header, sizeof header)) {
        return false;
    }
    // Entries go out in blocks, so a long recording needs no second copy of its index.
    constexpr size_t kEntriesPerBlock = 256;
    uint8_t block[kEntriesPerBlock * avi::kIndexEntryBytes];
    for (size_t first = 0; first < index_.size(); first += kEntriesPerBlock) {
        const size_t count = std::min(kEntriesPerBlock, index_.size() - first);
        for (size_t i = 0; i < count; ++i) {
            avi::SerializeIndexEntry(index_[first + i], block + i * avi::kIndexEntryBytes);
        }
        if (!file_.Write(block, count * avi::kIndexEntryBytes)) {
            return false;
        }
    }
    return true;
}

bool AviRecorder::PatchU32(long offset, uint32_t value) { return file_.SeekTo(offset) && file_.WriteU32(value); }

bool AviRecorder::PatchSizes(uint32_t riffSize, bool withIndex) {
    const uint32_t frames = static_cast<uint32_t>(index_.size());
    mainHeader_.totalFrames = frames;
    streamHeader_.length = frames;
    // A header must not promise an index that is not there.
    mainHeader_.flags = withIndex ? mainHeader_.flags | avi::kFlagHasIndex : mainHeader_.flags & ~avi::kFlagHasIndex;
    return PatchU32(avi::kRiffSizeOffset, riffSize) && PatchU32(moviSizePosition_, moviSize_) &&
           PatchU32(avi::kTotalFramesOffset, frames) && PatchU32(avi::kStreamLengthOffset, frames) &&
           PatchU32(avi::kMainFlagsOffset, mainHeader_.flags);
}

bool AviRecorder::PatchHeaders(bool indexWritten) {
    if (indexWritten) {
        riffSize_ += 8 + avi::kIndexEntryBytes * static_cast<uint32_t>(index_.size());
    }
    bool ok = PatchSizes(riffSize_, indexWritten);
    // The rate is now in hundredths of frames per second. Without one (no
    // frame, no elapsed time) the fields written at open stay.
    if (ok && rate_ > 0) {
        mainHeader_.microSecPerFrame = 100000000u / rate_;
        streamHeader_.scale = 1000000000u / rate_;
        ok = PatchU32(avi::kMicroSecPerFrameOffset, mainHeader_.microSecPerFrame) &&
             PatchU32(avi::kStreamScaleOffset, streamHeader_.scale);
    }
    return ok;
}

int32_t AviRecorder::Close() {
    if (!file_.IsOpen()) {
        return kNotOpen;
    }
    bool finished = false;
    if (!damaged_) {
        // A file whose index cannot be written (a disk that filled up at the
        // end) still gets its sizes and counts: every frame stays readable.
        const bool indexWritten = WriteIndex();
        finished = PatchHeaders(indexWritten) && indexWritten;
    }
    const bool closed = file_.Close();
    index_.clear();
    return finished && closed ? kOk : kWriteFailed;
}

}  // namespace tavrin
