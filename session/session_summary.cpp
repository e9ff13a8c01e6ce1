#include "session/session_summary.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>

#include "session/driver_requests.h"
#include "session/session_reader.h"

namespace tavrin::session {

namespace {

struct Counts {
    std::optional<HeaderRecord> header;
    uint64_t firstNs = UINT64_MAX;
    uint64_t lastNs = 0;
    uint64_t frames = 0, wholeFrames = 0, shortFrames = 0, failedFrames = 0, frameBytes = 0;
    uint64_t requests = 0, commands = 0, replies = 0, parameters = 0, failedRequests = 0;
    uint64_t opens = 0, failedOpens = 0, closes = 0;
    uint64_t removals = 0, arrivals = 0, timeOuts = 0;
    std::optional<EndRecord> end;
    bool compressed = false;

    void Saw(const CallTime& time) {
        firstNs = std::min(firstNs, time.startNs);
        lastNs = std::max(lastNs, time.endNs);
    }
    void Add(const Chunk& chunk);
};

void Counts::Add(const Chunk& chunk) {
    switch (static_cast<ChunkType>(chunk.type)) {
    case ChunkType::kHeader:
        header = DecodeHeader(chunk.payload);
        break;
    case ChunkType::kOpen:
        if (const auto open = DecodeOpen(chunk.payload)) {
            Saw(open->time);
            ++opens;
            failedOpens += open->Opened() ? 0 : 1;
        }
        break;
    case ChunkType::kClose:
        closes += DecodeClose(chunk.payload) ? 1 : 0;
        break;
    case ChunkType::kRequest:
        if (const auto request = DecodeRequest(chunk.payload)) {
            Saw(request->fields.time);
            ++requests;
            const uint32_t pipe = PipeOf(request->fields.code, request->input);
            commands += pipe == kPipeCommand ? 1 : 0;
            replies += pipe == kPipeReply ? 1 : 0;
            parameters += request->fields.code == kIoctlSetParameter ? 1 : 0;
            failedRequests += request->fields.result == 1 ? 0 : 1;
        }
        break;
    case ChunkType::kFrame:
        if (const auto frame = DecodeFrame(chunk.payload, chunk.payloadOffset)) {
            Saw(frame->fields.time);
            ++frames;
            const bool ok = frame->fields.result == 1;
            wholeFrames += ok && frame->fields.bytesReturned == frame->fields.outputLength ? 1 : 0;
            shortFrames += ok && frame->fields.bytesReturned < frame->fields.outputLength ? 1 : 0;
            failedFrames += ok ? 0 : 1;
            frameBytes += frame->dataLength;
            compressed = compressed || frame->compression == Compression::kZstd;
        }
        break;
    case ChunkType::kDevice:
        if (const auto device = DecodeDevice(chunk.payload)) {
            removals += device->event == DeviceEvent::kRemoval ? 1 : 0;
            arrivals += device->event == DeviceEvent::kArrival ? 1 : 0;
        }
        break;
    case ChunkType::kFailure:
        if (const auto failure = DecodeFailure(chunk.payload)) {
            timeOuts += failure->kind == FailureKind::kTimedOut ? 1 : 0;
        }
        break;
    case ChunkType::kEnd:
        end = DecodeEnd(chunk.payload);
        break;
    }
}

std::string Format(const char* format, auto... values) {
    char text[512];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

using ULL = unsigned long long;

// "2024-05-01 12:34:56 UTC" from nanoseconds since 1970.
std::string UtcText(int64_t sinceEpochNs) {
    using namespace std::chrono;
    const sys_seconds when{floor<seconds>(std::chrono::nanoseconds(sinceEpochNs))};
    const sys_days day = floor<days>(when);
    const year_month_day date{day};
    const hh_mm_ss time{when - day};
    return Format("%04d-%02u-%02u %02lld:%02lld:%02lld UTC", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<long long>(time.hours().count()), static_cast<long long>(time.minutes().count()),
                  static_cast<long long>(time.seconds().count()));
}

// The camera's identification text from the serial ROM's bytes.
std::string Identity(const HeaderRecord& header) {
    for (const RomBytes& run : header.rom) {
        if (run.address == 0x1800) {
            std::string text;
            for (uint8_t byte : run.bytes) {
                if (byte == 0 || byte == 0xFF) {
                    break;
                }
                text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '?';
            }
            return text;
        }
    }
    return "(no identification read)";
}

// "key=value" lines as "key value, ..." on one line.
std::string OneLine(const std::string& lines) {
    std::string text;
    size_t start = 0;
    while (start < lines.size()) {
        size_t end = lines.find('\n', start);
        end = end == std::string::npos ? lines.size() : end;
        if (end > start) {
            text += (text.empty() ? "" : ", ") + lines.substr(start, end - start);
        }
        start = end + 1;
    }
    return text;
}

std::string HeaderText(const HeaderRecord& header) {
    const uint32_t v = header.sdkVersion;
    return Format("camera      %s, %s (slot %d), variant %u\n", Identity(header).c_str(), header.devicePath.c_str(),
                  header.slot, header.variant) +
           Format("recorded    %s by SDK %u.%u.%u.%u\n", UtcText(header.startSystemNs).c_str(), v >> 24,
                  (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF) +
           "host        " + OneLine(header.host) + "\n" + "settings    " + OneLine(header.settings) + "\n";
}

std::string CountsText(const Counts& c) {
    const double seconds = c.lastNs > c.firstNs ? static_cast<double>(c.lastNs - c.firstNs) / 1e9 : 0.0;
    return Format("duration    %.3f s\n", seconds) +
           Format("frames      %llu read: %llu whole, %llu short, %llu failed (%llu timed out); %llu bytes%s\n",
                  ULL{c.frames}, ULL{c.wholeFrames}, ULL{c.shortFrames}, ULL{c.failedFrames}, ULL{c.timeOuts},
                  ULL{c.frameBytes}, c.compressed ? ", stored compressed" : "") +
           Format("requests    %llu: %llu commands, %llu replies, %llu driver parameters; %llu failed\n",
                  ULL{c.requests}, ULL{c.commands}, ULL{c.replies}, ULL{c.parameters}, ULL{c.failedRequests}) +
           Format("opens       %llu (%llu failed), %llu closes\n", ULL{c.opens}, ULL{c.failedOpens}, ULL{c.closes}) +
           Format("camera      went away %llu time(s), came back %llu time(s)\n", ULL{c.removals},
                  ULL{c.arrivals}) +
           Format("errors      %llu\n", ULL{c.failedFrames + c.failedRequests + c.failedOpens + c.shortFrames});
}

}  // namespace

bool SummarizeSession(const platform::ReadOnlyFile& file, std::string& text) {
    SessionReader reader(file);
    const ReadStatus status = reader.Begin();
    if (status != ReadStatus::kOk) {
        text = DescribeStatus(status);
        return false;
    }
    Counts counts;
    Chunk chunk;
    while (reader.Next(chunk)) {
        counts.Add(chunk);
    }
    text = counts.header ? HeaderText(*counts.header) : "camera      (the file has no header)\n";
    text += CountsText(counts);
    std::string ending = counts.end ? counts.end->text : "without an end record (the recorder stopped abruptly)";
    if (reader.Status() != ReadStatus::kEnd) {
        ending += Format("; the file %s after byte %llu of %llu", DescribeStatus(reader.Status()),
                         ULL{reader.GoodEnd()}, ULL{file.Size()});
    }
    text += "ended       " + ending + "\n";
    return true;
}

}  // namespace tavrin::session
