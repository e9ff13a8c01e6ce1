// Frames on their way into the AVI file. The acquisition thread turns each
// new output image into a 24-bit recording frame in a free slot as part of
// the frame's delivery, so no frame is missed however fast they come; the
// recording thread waits for filled slots and writes them in order, so the
// stream never waits for the disk. The slots hold about 32 MiB of frames
// (from 8 full frames up to 256 small ones: over a second at the fastest
// pace), so that a file system that stalls for a moment loses nothing; when
// the disk falls behind for longer, the newest frame finds no slot and is
// counted as missed.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "imaging/dib_image.h"

namespace tavrin {

class RecordingQueue {
public:
    // Sizes every slot for 24-bit frames of the output's size and empties
    // the queue; false when the memory is not there.
    bool Allocate(int32_t width, int32_t height);

    // The acquisition thread: converts the output image into the next free
    // slot and wakes the writer; false (the frame missed) when the queue is
    // full, closed or the output cannot be converted.
    bool Push(const CDibImage& output, uint64_t captureTimeNs);
    // The recording thread: waits until a frame is queued (true) or the
    // queue is closed and empty (false). The front frame stays queued, and
    // its slot untouched, until Pop.
    bool WaitFront(const CDibImage*& frame, uint64_t& captureTimeNs);
    void Pop();
    // No more frames: a writer waiting is woken; frames queued stay for it.
    void Close();
    void Open();
    uint64_t Missed() const;

private:
    struct Slot {
        CDibImage frame;
        uint64_t captureTimeNs = 0;
    };
    mutable std::mutex mutex_;
    std::condition_variable filled_;
    std::vector<Slot> slots_;
    int front_ = 0;
    int count_ = 0;
    bool closed_ = true;
    uint64_t missed_ = 0;
};

}  // namespace tavrin
