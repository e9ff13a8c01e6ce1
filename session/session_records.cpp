// The chunk payloads, field by field, as docs/session-format.md lists them.
#include "session/byte_codec.h"
#include "session/session_format.h"

namespace tavrin::session {

namespace {

// The header's fields are tagged, so that later versions can add some and
// older readers skip them.
enum HeaderTag : uint16_t {
    kTagSdkVersion = 1,
    kTagStartSystem = 2,
    kTagStartMonotonic = 3,
    kTagDevicePath = 4,
    kTagSlot = 5,
    kTagModelName = 6,
    kTagVariant = 7,
    kTagRom = 8,
    kTagSettings = 9,
    kTagHost = 10,
};

// A tagged field: u16 tag, u32 length, the value.
class TaggedFields {
public:
    explicit TaggedFields(std::vector<uint8_t>& out) : out_(out), writer_(out) {}

    template <typename Fill>
    void Field(uint16_t tag, Fill fill) {
        writer_.U16(tag);
        const size_t lengthAt = out_.size();
        writer_.U32(0);
        fill(writer_);
        const uint32_t length = static_cast<uint32_t>(out_.size() - lengthAt - 4);
        for (int i = 0; i < 4; ++i) {
            out_[lengthAt + static_cast<size_t>(i)] = static_cast<uint8_t>(length >> (8 * i));
        }
    }
    void Text(uint16_t tag, const std::string& text) {
        Field(tag, [&](ByteWriter& w) { w.Bytes({reinterpret_cast<const uint8_t*>(text.data()), text.size()}); });
    }

private:
    std::vector<uint8_t>& out_;
    ByteWriter writer_;
};

void PutTime(ByteWriter& w, const CallTime& time) {
    w.U64(time.startNs);
    w.U64(time.endNs);
}

CallTime GetTime(ByteReader& r) {
    CallTime time;
    time.startNs = r.U64();
    time.endNs = r.U64();
    return time;
}

void PutFields(ByteWriter& w, const RequestFields& fields) {
    PutTime(w, fields.time);
    w.U64(fields.handle);
    w.U32(fields.code);
    w.I32(fields.result);
    w.U32(fields.outputLength);
    w.U32(fields.bytesReturned);
}

RequestFields GetFields(ByteReader& r) {
    RequestFields fields;
    fields.time = GetTime(r);
    fields.handle = r.U64();
    fields.code = r.U32();
    fields.result = r.I32();
    fields.outputLength = r.U32();
    fields.bytesReturned = r.U32();
    return fields;
}

std::string AsText(std::span<const uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

std::vector<RomBytes> DecodeRom(std::span<const uint8_t> value) {
    std::vector<RomBytes> runs;
    ByteReader r(value);
    while (r.Ok() && r.Remaining() >= 4) {
        RomBytes run;
        run.address = r.U16();
        const std::span<const uint8_t> bytes = r.Bytes(r.U16());
        run.bytes.assign(bytes.begin(), bytes.end());
        if (r.Ok()) {
            runs.push_back(std::move(run));
        }
    }
    return runs;
}

void ApplyHeaderField(HeaderRecord& record, uint16_t tag, std::span<const uint8_t> value) {
    ByteReader r(value);
    switch (tag) {
    case kTagSdkVersion: record.sdkVersion = r.U32(); break;
    case kTagStartSystem: record.startSystemNs = r.I64(); break;
    case kTagStartMonotonic: record.startMonotonicNs = r.U64(); break;
    case kTagDevicePath: record.devicePath = AsText(value); break;
    case kTagSlot: record.slot = r.I32(); break;
    case kTagModelName: record.modelName = AsText(value); break;
    case kTagVariant: record.variant = r.U32(); break;
    case kTagRom: record.rom = DecodeRom(value); break;
    case kTagSettings: record.settings = AsText(value); break;
    case kTagHost: record.host = AsText(value); break;
    default: break;  // a field of a later version
    }
}

}  // namespace

void EncodeHeader(const HeaderRecord& record, std::vector<uint8_t>& out) {
    out.clear();
    TaggedFields fields(out);
    fields.Field(kTagSdkVersion, [&](ByteWriter& w) { w.U32(record.sdkVersion); });
    fields.Field(kTagStartSystem, [&](ByteWriter& w) { w.I64(record.startSystemNs); });
    fields.Field(kTagStartMonotonic, [&](ByteWriter& w) { w.U64(record.startMonotonicNs); });
    fields.Text(kTagDevicePath, record.devicePath);
    fields.Field(kTagSlot, [&](ByteWriter& w) { w.I32(record.slot); });
    fields.Text(kTagModelName, record.modelName);
    fields.Field(kTagVariant, [&](ByteWriter& w) { w.U32(record.variant); });
    fields.Field(kTagRom, [&](ByteWriter& w) {
        for (const RomBytes& run : record.rom) {
            const size_t count = run.bytes.size() < 0xFFFF ? run.bytes.size() : 0xFFFF;
            w.U16(run.address);
            w.U16(static_cast<uint16_t>(count));
            w.Bytes({run.bytes.data(), count});
        }
    });
    fields.Text(kTagSettings, record.settings);
    fields.Text(kTagHost, record.host);
}

std::optional<HeaderRecord> DecodeHeader(std::span<const uint8_t> payload) {
    HeaderRecord record;
    ByteReader r(payload);
    while (r.Remaining() > 0) {
        const uint16_t tag = r.U16();
        const std::span<const uint8_t> value = r.Bytes(r.U32());
        if (!r.Ok()) {
            return std::nullopt;
        }
        ApplyHeaderField(record, tag, value);
    }
    return record;
}

void EncodeOpen(const OpenRecord& record, std::vector<uint8_t>& out) {
    out.clear();
    ByteWriter w(out);
    PutTime(w, record.time);
    w.U64(record.handle);
    w.ShortText(record.path);
}

std::optional<OpenRecord> DecodeOpen(std::span<const uint8_t> payload) {
    ByteReader r(payload);
    OpenRecord record;
    record.time = GetTime(r);
    record.handle = r.U64();
    record.path = r.ShortText();
    return r.Ok() ? std::optional(record) : std::nullopt;
}

void EncodeClose(const CloseRecord& record, std::vector<uint8_t>& out) {
    out.clear();
    ByteWriter w(out);
    PutTime(w, record.time);
    w.U64(record.handle);
    w.I32(record.result);
}

std::optional<CloseRecord> DecodeClose(std::span<const uint8_t> payload) {
    ByteReader r(payload);
    CloseRecord record;
    record.time = GetTime(r);
    record.handle = r.U64();
    record.result = r.I32();
    return r.Ok() ? std::optional(record) : std::nullopt;
}

void EncodeRequest(const RequestFields& fields, std::span<const uint8_t> input, std::span<const uint8_t> sent,
                   std::span<const uint8_t> received, std::vector<uint8_t>& out) {
    out.clear();
    ByteWriter w(out);
    PutFields(w, fields);
    w.Blob(input);
    w.Blob(sent);
    w.Blob(received);
}

std::optional<RequestRecord> DecodeRequest(std::span<const uint8_t> payload) {
    ByteReader r(payload);
    RequestRecord record;
    record.fields = GetFields(r);
    record.input = r.Blob();
    record.sent = r.Blob();
    record.received = r.Blob();
    return r.Ok() ? std::optional(std::move(record)) : std::nullopt;
}

void EncodeFrameFields(const RequestFields& fields, std::span<const uint8_t> input, Compression compression,
                       uint32_t dataLength, std::vector<uint8_t>& out) {
    out.clear();
    ByteWriter w(out);
    PutFields(w, fields);
    w.Blob(input);
    w.U8(static_cast<uint8_t>(compression));
    w.U32(dataLength);
}

std::optional<FrameRecord> DecodeFrame(std::span<const uint8_t> payload, uint64_t payloadOffset) {
    ByteReader r(payload);
    FrameRecord record;
    record.fields = GetFields(r);
    record.input = r.Blob();
    const uint8_t compression = r.U8();
    record.dataLength = r.U32();
    if (!r.Ok() || compression > static_cast<uint8_t>(Compression::kZstd) || record.dataLength > kMaxPayloadLength) {
        return std::nullopt;
    }
    record.compression = static_cast<Compression>(compression);
    record.storedLength = static_cast<uint32_t>(r.Remaining());
    record.dataOffset = payloadOffset + r.Offset();
    if (record.compression == Compression::kNone && record.storedLength != record.dataLength) {
        return std::nullopt;
    }
    return record;
}

void EncodeDevice(const DeviceRecord& record, std::vector<uint8_t>& out) {
    out.clear();
    ByteWriter w(out);
    w.U64(record.timeNs);
    w.U8(static_cast<uint8_t>(record.event));
    w.U8(static_cast<uint8_t>(record.evidence));
}

std::optional<DeviceRecord> DecodeDevice(std::span<const uint8_t> payload) {
    ByteReader r(payload);
    DeviceRecord record;
    record.timeNs = r.U64();
    const uint8_t event = r.U8();
    const uint8_t evidence = r.U8();
    if (!r.Ok() || event < 1 || event > 2 || evidence < 1 || evidence > 2) {
        return std::nullopt;
    }
    record.event = static_cast<DeviceEvent>(event);
    record.evidence = static_cast<DeviceEvidence>(evidence);
    return record;
}

void EncodeFailure(const FailureRecord& record, std::vector<uint8_t>& out) {
    out.clear();
    ByteWriter w(out);
    PutTime(w, record.time);
    w.U8(static_cast<uint8_t>(record.kind));
    w.U32(record.code);
    w.U32(record.pipe);
    w.U32(record.expected);
    w.U32(record.moved);
}

std::optional<FailureRecord> DecodeFailure(std::span<const uint8_t> payload) {
    ByteReader r(payload);
    FailureRecord record;
    record.time = GetTime(r);
    const uint8_t kind = r.U8();
    record.code = r.U32();
    record.pipe = r.U32();
    record.expected = r.U32();
    record.moved = r.U32();
    if (!r.Ok() || kind < 1 || kind > 4) {
        return std::nullopt;
    }
    record.kind = static_cast<FailureKind>(kind);
    return record;
}

void EncodeEnd(const EndRecord& record, std::vector<uint8_t>& out) {
    out.clear();
    ByteWriter w(out);
    w.U64(record.timeNs);
    w.U8(static_cast<uint8_t>(record.reason));
    w.ShortText(record.text);
}

std::optional<EndRecord> DecodeEnd(std::span<const uint8_t> payload) {
    ByteReader r(payload);
    EndRecord record;
    record.timeNs = r.U64();
    const uint8_t reason = r.U8();
    record.text = r.ShortText();
    if (!r.Ok() || reason < 1 || reason > 4) {
        return std::nullopt;
    }
    record.reason = static_cast<EndReason>(reason);
    return record;
}

}  // namespace tavrin::session
