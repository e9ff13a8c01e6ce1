#include <gtest/gtest.h>

#include "camera/acquisition_state.h"

using tavrin::AcquisitionState;
using tavrin::Admission;
using tavrin::Admit;
using tavrin::StartOperation;

namespace {

struct Cell {
    StartOperation operation;
    AcquisitionState state;
    Admission expected;
};

constexpr AcquisitionState kIdle = AcquisitionState::Idle;
constexpr AcquisitionState kStreaming = AcquisitionState::Streaming;
constexpr AcquisitionState kCapture = AcquisitionState::Capture;
constexpr AcquisitionState kTrigger = AcquisitionState::Trigger;

}  // namespace

TEST(AcquisitionState, EveryCellOfTheTable) {
    const Cell cells[] = {
        {StartOperation::StartPreview, kIdle, Admission::Proceed},
        {StartOperation::StartPreview, kStreaming, Admission::AlreadyRunning},
        {StartOperation::StartPreview, kCapture, Admission::Refused},
        {StartOperation::StartPreview, kTrigger, Admission::Refused},
        {StartOperation::Capture, kIdle, Admission::Proceed},
        {StartOperation::Capture, kStreaming, Admission::Refused},
        {StartOperation::Capture, kCapture, Admission::AlreadyRunning},
        {StartOperation::Capture, kTrigger, Admission::Refused},
        {StartOperation::SnapShot, kIdle, Admission::Proceed},
        {StartOperation::SnapShot, kStreaming, Admission::Refused},
        {StartOperation::SnapShot, kCapture, Admission::Proceed},
        {StartOperation::SnapShot, kTrigger, Admission::Refused},
        {StartOperation::Trigger, kIdle, Admission::Proceed},
        {StartOperation::Trigger, kStreaming, Admission::Refused},
        {StartOperation::Trigger, kCapture, Admission::Refused},
        {StartOperation::Trigger, kTrigger, Admission::Refused},  // never a second trigger loop
    };
    for (const auto& cell : cells) {
        EXPECT_EQ(Admit(cell.operation, cell.state), cell.expected)
            << "operation " << static_cast<int>(cell.operation) << " state " << static_cast<int>(cell.state);
    }
}

TEST(AcquisitionState, UnknownStateIsRefused) {
    EXPECT_EQ(Admit(StartOperation::StartPreview, static_cast<AcquisitionState>(7)), Admission::Refused);
}
