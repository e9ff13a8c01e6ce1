// AviRecorder: writes the camera's output as an uncompressed AVI file, frame
// by frame, with the RIFF structure written by hand (no codec, no platform
// video library). The header fields that depend on the whole recording (sizes,
// frame count, measured rate) are patched when the file is closed; the index
// is kept in memory and written once at the end.
//
// So that a recording cut short by a crash or a power loss is still a file
// players can open, the recorder refreshes the file while it records: about
// once a second it writes the index after the last whole frame and patches
// the sizes, frame counts and index flag to match. The next frame overwrites
// that index, so just before it does, the header stops claiming an index and
// the RIFF size ends with the frames. At every moment the header describes
// whole frames that are in the file. A normally closed file is the same, byte
// for byte, as one recorded without refreshes.
//
// Calling order: set width, height, bits per pixel, rate (frames per second,
// 30) and frame count 0; Open; for each frame AddFrame, then add 1 to the
// frame count; set the measured rate in hundredths of frames per second; Close.
//
// The recorder belongs to one recording thread at a time and has no lock.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "imaging/dib_image.h"
#include "output/avi_format.h"
#include "output/output_file.h"

namespace tavrin {

class AviRecorder {
public:
    // Results of AddFrame and Close. 0 is success.
    enum Status : int32_t {
        kOk = 0,
        kNotOpen = 1,       // no file is open
        kWriteFailed = 2,   // a write or seek failed: full disk, lost drive
        kSizeLimit = 3,     // the frame would take the file past its size limit; Close still
                            // leaves a valid file with every earlier frame
        kOutOfMemory = 4,   // the index could not grow
        kInvalidFrame = 5,  // no pixels were given
    };

    AviRecorder() = default;
    ~AviRecorder();
    AviRecorder(const AviRecorder&) = delete;
    AviRecorder& operator=(const AviRecorder&) = delete;

    // Abandons an open file unfinished, empties the index and zeroes the
    // headers and running sizes. The caller's settings stay.
    void Reset();
    // Starts a recording: resets, creates or truncates the file and writes the
    // headers and the start of the movi list. False when the file cannot be
    // created or written, or the settings cannot describe a file (no size, no
    // rate, a frame too large for the size limit).
    bool Open(const char* path);
    // Appends one frame: FrameBytes() bytes of 24-bit pixels, bottom line of
    // the picture first. On a failed write the file stays at the end of the
    // last complete frame, so Close can still finish it.
    int32_t AddFrame(const uint8_t* pixels);
    // Writes the index, patches sizes, frame count and (for a rate above 0)
    // the timing fields, and closes. The file always describes the frames
    // that were written completely.
    int32_t Close();

    void SetWidth(int32_t width) { width_ = width; }
    void SetHeight(int32_t height) { height_ = height; }
    void SetBitsPerPixel(uint16_t bits) { bitsPerPixel_ = bits; }
    // Frames per second before Open; hundredths of frames per second before Close.
    void SetRate(uint32_t rate) { rate_ = rate; }
    void SetFrameCount(uint32_t count) { frameCount_ = count; }
    // The largest RIFF size the recorder lets the file reach, index included.
    // Defaults to the 32-bit field's limit; tests lower it.
    void SetSizeLimit(uint64_t limit) { sizeLimit_ = limit; }
    // The least time between two refreshes of a recording in progress; 0
    // refreshes after every frame (as far as the index rules allow).
    void SetRefreshInterval(uint32_t milliseconds) { refreshIntervalMs_ = milliseconds; }

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    uint16_t BitsPerPixel() const { return bitsPerPixel_; }
    uint32_t Rate() const { return rate_; }
    uint32_t FrameCount() const { return frameCount_; }
    bool IsOpen() const { return file_.IsOpen(); }
    // Bytes of one frame for the current width and height (0 when either is not positive).
    uint64_t FrameBytes() const { return avi::FrameBytes(width_, height_); }
    uint32_t RiffSize() const { return riffSize_; }
    uint32_t MoviSize() const { return moviSize_; }
    uint32_t FramesWritten() const { return static_cast<uint32_t>(index_.size()); }

private:
    bool SettingsDescribeAFile() const;
    bool WriteIndex();
    bool PatchSizes(uint32_t riffSize, bool withIndex);
    bool PatchHeaders(bool indexWritten);
    bool RefreshDue() const;
    void Refresh();
    bool WithdrawIndex();
    bool PatchU32(long offset, uint32_t value);

    OutputFile file_;
    AviMainHeader mainHeader_{};
    AviStreamHeader streamHeader_{};
    BitmapInfoHeader format_{};
    uint32_t riffSize_ = 0;
    uint32_t moviSize_ = 0;
    long moviSizePosition_ = 0;
    std::vector<AviIndexEntry> index_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    uint16_t bitsPerPixel_ = 0;
    uint32_t rate_ = 0;
    uint32_t frameCount_ = 0;
    uint32_t frameBytes_ = 0;
    uint64_t sizeLimit_ = avi::kRiffSizeLimit;
    uint32_t refreshIntervalMs_ = 1000;
    uint32_t lastRefreshTick_ = 0;
    uint64_t bytesSinceRefresh_ = 0;
    // The index written by the last refresh lies after the last frame.
    bool indexOnDisk_ = false;
    // Set when a failed write could not be undone: the end of the data is unknown.
    bool damaged_ = false;
};

}  // namespace tavrin
