// SessionRecorder: a tap at the driver port that writes one device path's
// calls to a session file, the same over the real driver and the simulated
// camera. Frames are written from the transfer thread as they arrive, in one
// pass from the ring slot to the system, with no allocation per frame.
//
// A write that fails (a full disk) ends the recording at once: the tap comes
// off the port, the camera goes on, and the end handler learns why.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/driver.h"
#include "session/session_writer.h"

namespace tavrin::session {

struct RecorderOptions {
    bool compressFrames = false;
    bool presentAtStart = true;  // whether the camera was there when the recording began
};

// What a recording did, for its owner.
struct RecorderCounts {
    uint64_t frames = 0;
    uint64_t requests = 0;
    uint64_t failures = 0;
    uint64_t bytes = 0;
};

class SessionRecorder final : public platform::DriverObserver,
                              public std::enable_shared_from_this<SessionRecorder> {
public:
    // Called once, on the thread whose write failed, when the recording ends
    // by itself; with the reason and the system's words.
    using EndHandler = std::function<void(EndReason, const std::string&)>;

    // Creates the file, writes the header and taps the header's device path.
    // Null when the file cannot be made; error says why.
    static std::shared_ptr<SessionRecorder> Start(const std::string& path, const HeaderRecord& header,
                                                  const RecorderOptions& options, EndHandler onEnd,
                                                  std::string& error);
    ~SessionRecorder() override;

    // Comes off the port, writes the end chunk and closes the file. False
    // when the recording had already ended by an error or the file could
    // not be completed.
    bool Stop(EndReason reason);
    bool Running() const;
    // Why the recording ended, in words; empty while it runs.
    std::string EndText() const;
    RecorderCounts Counts() const;
    bool CompressesFrames() const { return writer_.CompressesFrames(); }

    void Opened(const char* path, platform::DeviceHandle handle, uint64_t startNs, uint64_t endNs) override;
    void Requested(const platform::DriverRequest& request) override;
    void Closed(platform::DeviceHandle handle, int result, uint64_t startNs, uint64_t endNs) override;

    SessionRecorder(const RecorderOptions& options, EndHandler onEnd);

private:
    void WriteRequest(const platform::DriverRequest& request, uint32_t pipe);
    void WriteFrame(const platform::DriverRequest& request);
    void WriteFailureOf(const platform::DriverRequest& request, uint32_t pipe);
    void NotePresence(bool opened, uint64_t timeNs);
    // Ends the recording after a failed write (with mutex_ held); the
    // handler is called once the lock is let go.
    void EndAfterFailure();
    void CallEndHandler();

    mutable std::mutex mutex_;
    // Held while the end handler runs, so that once Stop returns the
    // handler neither runs nor is about to.
    std::mutex handlerMutex_;
    SessionWriter writer_;
    bool running_ = false;
    bool failed_ = false;
    bool endReported_ = false;
    std::string endText_;
    EndReason endReason_ = EndReason::kStopped;
    std::optional<bool> present_;
    uint32_t driverWaitMs_;
    RecorderCounts counts_;
    EndHandler onEnd_;
};

}  // namespace tavrin::session
