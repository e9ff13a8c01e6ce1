#include "sim/sim_camera.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tavrin::sim {

namespace {

// The commands the camera understands (byte 0 of a block).
enum : uint8_t {
    kPrepare = 0x01,
    kFrameRequest = 0x02,
    kSensorWrite = 0x04,
    kSetTransferSize = 0x09,
    kSetBitDepth = 0x0A,
    kControlWrite = 0x25,
    kControlRead = 0x26,
    kSromWrite = 0x40,
    kSromRead = 0x41,
};

constexpr uint8_t kSensorBusAddress = 0x20;
constexpr uint8_t kSromDevice = 0x51;
constexpr uint32_t kStartTransferLength = 324608;  // the full 656 x 494 frame
constexpr uint16_t kStartGain = 310;
constexpr uint16_t kStartExposure = 2;
constexpr size_t kVariantAddress = 0x1EB0;
constexpr size_t kIdentityAddress = 0x1800;

}  // namespace

SimCamera::SimCamera(int slot, const SimConfig& config)
    : config_(config),
      present_(config.occupied[static_cast<size_t>(slot)]),
      sensor_(65536),
      srom_(65536, 0xFF),
      log_(static_cast<size_t>(config.logCapacity)) {
    char identity[32];
    const int length = std::snprintf(identity, sizeof identity, "TAVRIN-SIM-%02d", slot);
    std::memcpy(&srom_[kIdentityAddress], identity, static_cast<size_t>(length) + 1);
    srom_[kVariantAddress] = static_cast<uint8_t>(config.variant);
    content_.pattern = config.pattern;
    content_.level = config.level;
    content_.lightPercent = config.lightPercent;
    PowerUp();
}

void SimCamera::PowerUp() {
    control_.fill(0);
    for (int i = 0; i < 4; ++i) {
        control_[static_cast<size_t>(i)] = static_cast<uint8_t>(kStartTransferLength >> (8 * i));
    }
    std::fill(sensor_.begin(), sensor_.end(), uint16_t{0});
    sensor_[4] = kStartGain;
    sensor_[154] = kStartExposure;
    bitDepthCommand_ = 0;
    driverWaitMs_ = 3000;
    replies_.clear();
    requestTime_.reset();
    lastFrameEnd_.reset();
    triggers_.clear();
    tail_ = {};
}

std::optional<uint32_t> SimCamera::Open() {
    std::lock_guard lock(mutex_);
    if (TakeFault(TAVRINSIM_FAULT_OPEN_FAILS) || !present_) {
        return std::nullopt;
    }
    return generation_;
}

void SimCamera::SetPresent(bool present) {
    std::lock_guard lock(mutex_);
    if (present == present_) {
        return;
    }
    present_ = present;
    ++generation_;
    if (present) {
        PowerUp();
    }
    changed_.notify_all();
}

bool SimCamera::TakeFault(int fault) {
    int& remaining = faults_[static_cast<size_t>(fault)];
    if (remaining <= 0) {
        return false;
    }
    --remaining;
    return true;
}

void SimCamera::QueueReplies(uint8_t command, uint8_t value) {
    // The camera acknowledges first, then answers.
    replies_.clear();
    std::array<uint8_t, 64> ack{};
    ack[0] = command;
    std::array<uint8_t, 64> answer{};
    answer[0] = value;
    replies_.push_back(ack);
    replies_.push_back(answer);
}

void SimCamera::WriteControl(uint8_t reg, uint8_t value) {
    const uint8_t previous = control_[reg];
    control_[reg] = value;
    if (reg != 11) {
        return;
    }
    if ((previous & 1) == 0 && (value & 1) != 0) {
        triggers_.clear();  // pulses from before trigger mode do not count
    }
    // Bit 7 rising with bit 1 set is the software trigger.
    if ((value & 0x82) == 0x82 && (previous & 0x80) == 0 && (value & 1) != 0) {
        triggers_.push_back(Clock::now());
        changed_.notify_all();
    }
}

int SimCamera::Command(uint32_t generation, const uint8_t* block, uint32_t length, uint32_t& moved) {
    std::lock_guard lock(mutex_);
    moved = 0;
    if (!Usable(generation) || TakeFault(TAVRINSIM_FAULT_COMMAND_FAILS) || block == nullptr || length != 64) {
        return 0;
    }
    switch (block[0]) {
    case kPrepare:
        tail_ = {};
        break;
    case kFrameRequest:
        requestTime_ = Clock::now();
        break;
    case kSetTransferSize:
        std::copy_n(block + 1, 4, control_.begin());
        break;
    case kSetBitDepth:
        bitDepthCommand_ = block[1];
        break;
    case kControlWrite:
        WriteControl(block[1], block[2]);
        break;
    case kControlRead:
        QueueReplies(block[0], control_[block[1]]);
        break;
    case kSensorWrite:
        if (block[1] == kSensorBusAddress) {
            sensor_[static_cast<size_t>(block[2] << 8 | block[3])] = static_cast<uint16_t>(block[4] << 8 | block[5]);
        }
        break;
    case kSromRead:
        if (block[1] == kSromDevice && block[2] == 0x02 && block[3] == 0x01) {
            QueueReplies(block[0], srom_[static_cast<size_t>(block[4] << 8 | block[5])]);
        }
        break;
    case kSromWrite:
        if (block[1] == kSromDevice && block[2] == 0x03) {
            srom_[static_cast<size_t>(block[3] << 8 | block[4])] = block[5];
        }
        break;
    default:
        break;  // the camera ignores what it does not know
    }
    moved = length;
    return 1;
}

int SimCamera::Reply(uint32_t generation, uint8_t* block, uint32_t length, uint32_t& moved) {
    std::lock_guard lock(mutex_);
    moved = 0;
    if (!Usable(generation) || block == nullptr || replies_.empty()) {
        return 0;
    }
    const std::array<uint8_t, 64> reply = replies_.front();
    replies_.pop_front();
    moved = std::min<uint32_t>(length, 64);
    std::memcpy(block, reply.data(), moved);
    return 1;
}

int SimCamera::SetParameter(uint32_t generation, const uint8_t* record, uint32_t length) {
    std::lock_guard lock(mutex_);
    if (!Usable(generation) || record == nullptr || length != 44) {
        return 0;
    }
    const uint32_t selector = record[0] | record[1] << 8 | record[2] << 16 | static_cast<uint32_t>(record[3]) << 24;
    const uint32_t value = record[4] | record[5] << 8 | record[6] << 16 | static_cast<uint32_t>(record[7]) << 24;
    if (selector == 1) {
        driverWaitMs_ = value;
    }
    return 1;
}

void SimCamera::Log(const TavrinSimRecord& record) {
    std::lock_guard lock(mutex_);
    log_.Add(record);
}

void SimCamera::FireTrigger() {
    std::lock_guard lock(mutex_);
    if (present_ && TriggerMode()) {
        triggers_.push_back(Clock::now());
        changed_.notify_all();
    }
}

void SimCamera::SetPattern(int pattern, int level) {
    std::lock_guard lock(mutex_);
    content_.pattern = pattern;
    content_.level = level;
    content_.loaded.reset();
}

void SimCamera::LoadFrame(std::shared_ptr<const LoadedFrame> frame) {
    std::lock_guard lock(mutex_);
    content_.loaded = std::move(frame);
}

void SimCamera::InjectFault(int fault, int count) {
    std::lock_guard lock(mutex_);
    faults_[static_cast<size_t>(fault)] = count;
    changed_.notify_all();
}

void SimCamera::ClearLog() {
    std::lock_guard lock(mutex_);
    log_.Clear();
}

size_t SimCamera::CopyLog(TavrinSimRecord* records, size_t capacity) const {
    std::lock_guard lock(mutex_);
    return log_.CopyOut(records, capacity);
}

int SimCamera::ControlRegister(int reg) const {
    std::lock_guard lock(mutex_);
    return reg >= 0 && reg < 256 ? control_[static_cast<size_t>(reg)] : -1;
}

int SimCamera::SensorRegister(int reg) const {
    std::lock_guard lock(mutex_);
    return reg >= 0 && reg < 65536 ? sensor_[static_cast<size_t>(reg)] : -1;
}

void SimCamera::SetSromByte(int address, int value) {
    std::lock_guard lock(mutex_);
    srom_[static_cast<size_t>(address)] = static_cast<uint8_t>(value);
}

int SimCamera::FrameCount() const {
    std::lock_guard lock(mutex_);
    return frameCount_;
}

}  // namespace tavrin::sim
