#include "sim/simulator.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace tavrin::sim {

namespace {

constexpr uint32_t kPipeOutDirect = 0x0022204E;
constexpr uint32_t kPipeInDirect = 0x00222051;
constexpr uint32_t kPipeInDirectLarge = 0x002220A9;
constexpr uint32_t kSetParameter = 0x002220A0;

constexpr std::string_view kPathPrefix = "\\\\.\\Tvrn860VXRUX-";
// The driver's suffixes: N stands before M.
constexpr std::string_view kSuffixes = "0123456789ABCDEFGHIJKLNMOPQRSTUV";

// Handles are unique across every simulator of the process, so a handle
// from before a reset of the port never reaches a camera of the new one.
std::atomic<platform::DeviceHandle> nextHandle{0x1000};

uint32_t LittleEndian32(const uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

Simulator::Simulator(const SimConfig& config)
    : needsSettleTime_(config.settle != 0),
      waitsForReader_(!config.replay.path.empty() && config.replay.pace == ReplayPace::kFast) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        cameras_[static_cast<size_t>(slot)] = std::make_unique<SimCamera>(slot, config);
    }
    if (!config.replay.path.empty()) {
        StartReplay(config.replay);
    }
}

// The recorded camera takes slot 0; a session that cannot be read leaves
// the slot empty, and says why once.
void Simulator::StartReplay(const ReplaySettings& settings) {
    SimCamera& camera = *cameras_[0];
    std::string error;
    std::unique_ptr<RecordedSession> session = RecordedSession::Load(settings.path, error);
    if (!session) {
        replayError_ = "replay of " + settings.path + ": " + error;
        std::fprintf(stderr, "%s\n", replayError_.c_str());
        camera.SetPresent(false);
        return;
    }
    camera.SetPresent(true);
    replay_ = std::make_unique<ReplayCamera>(
        std::move(session), settings, camera,
        [this, &camera](uint32_t generation, uint32_t code, const void* input, uint32_t inputLength, void* output,
                        uint32_t outputLength, uint32_t& moved) {
            return Answer(camera, generation, code, input, inputLength, output, outputLength, moved, false);
        });
}

std::string Simulator::ReplayReport() const { return replay_ ? replay_->Report() : replayError_; }

void Simulator::Mark(const char* path, platform::DriverMark mark) {
    if (replay_ && SlotOfPath(path) == 0) {
        replay_->Mark(mark);
    }
}

std::optional<int> Simulator::SlotOfPath(const char* path) {
    if (path == nullptr) {
        return std::nullopt;
    }
    const std::string_view text(path);
    if (text.size() != kPathPrefix.size() + 1 || text.substr(0, kPathPrefix.size()) != kPathPrefix) {
        return std::nullopt;
    }
    const size_t slot = kSuffixes.find(text.back());
    if (slot == std::string_view::npos) {
        return std::nullopt;
    }
    return static_cast<int>(slot);
}

SimCamera* Simulator::Camera(int slot) {
    return slot >= 0 && slot < kSlotCount ? cameras_[static_cast<size_t>(slot)].get() : nullptr;
}

platform::DeviceHandle Simulator::Open(const char* path) {
    const std::optional<int> slot = SlotOfPath(path);
    if (!slot) {
        return platform::kInvalidDeviceHandle;
    }
    if (replay_ && *slot == 0) {
        const platform::DeviceHandle handle = nextHandle.fetch_add(4, std::memory_order_relaxed);
        return replay_->Open(handle) ? handle : platform::kInvalidDeviceHandle;
    }
    const std::optional<uint32_t> generation = Camera(*slot)->Open();
    if (!generation) {
        return platform::kInvalidDeviceHandle;
    }
    const platform::DeviceHandle handle = nextHandle.fetch_add(4, std::memory_order_relaxed);
    std::lock_guard lock(handlesMutex_);
    handles_.Put(handle) = {*slot, *generation};
    return handle;
}

int Simulator::Close(platform::DeviceHandle handle) {
    if (replay_ && replay_->Owns(handle)) {
        return replay_->Close(handle);
    }
    std::lock_guard lock(handlesMutex_);
    return handles_.Erase(handle) ? 1 : 0;
}

std::optional<Simulator::OpenHandle> Simulator::Find(platform::DeviceHandle handle) {
    std::lock_guard lock(handlesMutex_);
    const OpenHandle* found = handles_.Find(handle);
    if (found == nullptr) {
        return std::nullopt;
    }
    return *found;
}

int Simulator::PipeRequest(SimCamera& camera, uint32_t generation, uint32_t code, uint32_t pipe, void* output,
                           uint32_t outputLength, uint32_t& moved, TavrinSimRecord& record, bool log) {
    auto logged = [&] {
        if (log) {
            camera.Log(record);
        }
    };
    auto* bytes = static_cast<uint8_t*>(output);
    const size_t recorded = bytes != nullptr ? std::min<size_t>(outputLength, sizeof record.data) : 0;
    switch (pipe) {
    case 0:  // command blocks; the library sends them with either code
        if (code == kPipeInDirectLarge) {
            break;
        }
        std::memcpy(record.data, bytes, recorded);
        logged();
        return camera.Command(generation, bytes, outputLength, moved);
    case 1: {  // replies
        const int result = code == kPipeOutDirect ? camera.Reply(generation, bytes, outputLength, moved) : 0;
        std::memcpy(record.data, bytes, std::min<size_t>(recorded, moved));
        logged();
        return result;
    }
    case 2:  // frame data
        if (code == kPipeOutDirect) {
            break;
        }
        logged();
        return camera.Frame(generation, code == kPipeInDirectLarge, bytes, outputLength, moved);
    default:
        break;
    }
    logged();
    return 0;
}

int Simulator::Answer(SimCamera& camera, uint32_t generation, uint32_t code, const void* input, uint32_t inputLength,
                      void* output, uint32_t outputLength, uint32_t& moved, bool log) {
    moved = 0;
    TavrinSimRecord record{code, TAVRINSIM_PIPE_NONE, outputLength, {}};
    const auto* in = static_cast<const uint8_t*>(input);
    if (code == kSetParameter) {
        record.length = inputLength;
        if (in != nullptr) {
            std::memcpy(record.data, in, std::min<size_t>(inputLength, 44));
        }
        if (log) {
            camera.Log(record);
        }
        return camera.SetParameter(generation, in, inputLength);
    }
    if ((code == kPipeOutDirect || code == kPipeInDirect || code == kPipeInDirectLarge) && in != nullptr &&
        inputLength == 4) {
        record.pipe = LittleEndian32(in);
        return PipeRequest(camera, generation, code, record.pipe, output, outputLength, moved, record, log);
    }
    if (log) {
        camera.Log(record);
    }
    return 0;
}

// The log's record of a request the replay answered.
TavrinSimRecord Simulator::ReplayedRecord(uint32_t code, const void* input, uint32_t inputLength, const void* output,
                                          uint32_t outputLength, uint32_t moved) {
    TavrinSimRecord record{code, TAVRINSIM_PIPE_NONE, outputLength, {}};
    const auto* in = static_cast<const uint8_t*>(input);
    if (code == kSetParameter) {
        record.length = inputLength;
        if (in != nullptr) {
            std::memcpy(record.data, in, std::min<size_t>(inputLength, 44));
        }
        return record;
    }
    if (in != nullptr && inputLength == 4) {
        record.pipe = LittleEndian32(in);
    }
    if (output != nullptr && (record.pipe == 0 || record.pipe == 1)) {
        const uint32_t shown = record.pipe == 0 ? outputLength : moved;
        std::memcpy(record.data, output, std::min<size_t>(shown, sizeof record.data));
    }
    return record;
}

int Simulator::IoControl(platform::DeviceHandle handle, uint32_t code, const void* input, uint32_t inputLength,
                         void* output, uint32_t outputLength, uint32_t* bytesReturned) {
    uint32_t moved = 0;
    int result = 0;
    if (replay_ && replay_->Owns(handle)) {
        result = replay_->IoControl(handle, code, input, inputLength, output, outputLength, moved);
        cameras_[0]->Log(ReplayedRecord(code, input, inputLength, output, outputLength, moved));
    } else if (const std::optional<OpenHandle> open = Find(handle)) {
        result =
            Answer(*Camera(open->slot), open->generation, code, input, inputLength, output, outputLength, moved, true);
    }
    if (bytesReturned != nullptr) {
        *bytesReturned = moved;
    }
    return result;
}

}  // namespace tavrin::sim
