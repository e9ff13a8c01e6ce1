#include "camera/session_recording.h"

#include "camera/settings_front_end.h"
#include "camera/text_out.h"
#include "platform/driver.h"
#include "platform/environment.h"
#include "platform/time.h"
#include "records/settings_catalogue.h"

namespace tavrin {

namespace {

constexpr uint32_t kIdentityLength = 32;  // the ROM's identification text, at most
constexpr uint32_t kVariantAddress = 0x1EB0;

// The identification text from the start of the camera's ROM area, up to
// its terminator, and the variant byte. Each byte is a slow exchange, so
// only these are read.
std::vector<session::RomBytes> ReadIdentity(device::CTavrin860VXRUXSdk& device) {
    std::vector<session::RomBytes> rom;
    session::RomBytes identity{0x1800, {}};
    for (uint32_t i = 0; i < kIdentityLength; ++i) {
        uint8_t value = 0;
        if (!device.ReadSromID(i, value)) {
            break;
        }
        identity.bytes.push_back(value);
        if (value == 0 || value == 0xFF) {
            break;
        }
    }
    if (!identity.bytes.empty()) {
        rom.push_back(std::move(identity));
    }
    uint8_t variant = 0;
    if (device.ReadSromByte(kVariantAddress, variant)) {
        rom.push_back({static_cast<uint16_t>(kVariantAddress), {variant}});
    }
    return rom;
}

std::string HostText() {
    const platform::HostDescription host = platform::DescribeHost();
    const bool simulated = platform::GetEnvironment("TAVRIN_SIM").has_value();
    return "os=" + host.system + "\narchitecture=" + host.architecture + "\nhost=" + host.name +
           "\ndriver=" + (simulated ? "simulator" : "system") + "\n";
}

}  // namespace

std::string SessionRecording::SettingsText() {
    std::string text;
    for (const catalogue::SettingEntry& entry : catalogue::kSettings) {
        int value = 0;
        if (settings_.GetNamedSetting(entry.name, &value) != 0) {
            text += std::string(entry.name) + "=" + std::to_string(value) + "\n";
        }
    }
    const CaptureWindow& capture = context_.capture;
    text += "capture-window=";
    const std::atomic<int32_t>* fields[] = {&capture.TH,  &capture.TV,  &capture.EH, &capture.EV,
                                            &capture.EHS, &capture.EVS, &capture.Buf};
    for (size_t i = 0; i < std::size(fields); ++i) {
        if (i > 0) {
            text += ',';
        }
        text += std::to_string(fields[i]->load(std::memory_order_relaxed));
    }
    text += "\ndevice=" + std::to_string(context_.DeviceIndex()) + "\n";
    return text;
}

session::HeaderRecord SessionRecording::Header(uint32_t sdkVersion) {
    device::CTavrin860VXRUXSdk& device = *context_.device;
    session::HeaderRecord header;
    header.sdkVersion = sdkVersion;
    header.devicePath = device.DevicePath().data();
    header.slot = device.GetDeviceIndex();
    header.modelName = device.ModelName();
    header.variant = device.Variant();
    if (device.IsDevicePresent(header.slot)) {
        header.rom = ReadIdentity(device);
    }
    header.settings = SettingsText();
    header.host = HostText();
    header.startSystemNs = platform::SystemTimeNanoseconds();
    header.startMonotonicNs = platform::MonotonicNanoseconds();
    return header;
}

int SessionRecording::Start(const char* path, bool compressFrames, uint32_t sdkVersion) {
    if (path == nullptr || path[0] == '\0') {
        context_.Report(kErrParameter);
        return 0;
    }
    std::lock_guard lock(mutex_);
    if (!context_.RequireDevice()) {
        return 0;
    }
    if (recorder_ && recorder_->Running()) {
        context_.Report(kErrNotReady);
        return 0;
    }
    // The header's reads are not part of the session: a replay leaves them
    // out of what it compares.
    const std::string devicePath = context_.device->DevicePath().data();
    platform::DriverMarkPath(devicePath.c_str(), platform::DriverMark::kRecordingPreparing);
    const session::HeaderRecord header = Header(sdkVersion);
    session::RecorderOptions options;
    options.compressFrames = compressFrames;
    options.presentAtStart = !header.rom.empty();
    std::string error;
    // A full disk ends the recording on the thread that wrote; the camera
    // goes on and the caller learns of it as of any failed file.
    CameraContext& context = context_;
    auto recorder = session::SessionRecorder::Start(
        path, header, options, [&context](session::EndReason, const std::string&) { context.Report(kErrFile); },
        error);
    if (!recorder) {
        platform::DriverMarkPath(devicePath.c_str(), platform::DriverMark::kRecordingAbandoned);
        lastEnd_ = "the file could not be made: " + error;
        context_.Report(kErrFile);
        return 0;
    }
    compressionMissing_ = compressFrames && !recorder->CompressesFrames();
    recorder_ = std::move(recorder);
    lastEnd_.clear();
    return 1;
}

int SessionRecording::Stop() {
    std::lock_guard lock(mutex_);
    if (!recorder_) {
        context_.Report(kErrNotReady);
        return 0;
    }
    const bool running = recorder_->Running();
    const bool ended = recorder_->Stop(session::EndReason::kStopped);
    lastEnd_ = recorder_->EndText();
    recorder_.reset();
    if (!ended) {
        context_.Report(kErrFile);
        return 0;
    }
    if (!running) {
        context_.Report(kErrNotReady);
        return 0;
    }
    return 1;
}

void SessionRecording::End(session::EndReason reason) {
    std::lock_guard lock(mutex_);
    if (recorder_) {
        recorder_->Stop(reason);
        lastEnd_ = recorder_->EndText();
        recorder_.reset();
    }
}

int SessionRecording::State(char* reason, int reasonSize) {
    std::lock_guard lock(mutex_);
    const bool running = recorder_ && recorder_->Running();
    std::string text;
    if (running) {
        text = compressionMissing_ ? "frames uncompressed: this build has no zstd" : "";
    } else {
        text = recorder_ ? recorder_->EndText() : lastEnd_;
    }
    CopyTextOut(text, reason, reasonSize);
    return running ? 1 : 0;
}

}  // namespace tavrin
