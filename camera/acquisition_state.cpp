#include "camera/acquisition_state.h"

namespace tavrin {
namespace {

constexpr Admission P = Admission::Proceed;
constexpr Admission A = Admission::AlreadyRunning;
constexpr Admission R = Admission::Refused;

// Rows: operations; columns: idle, streaming, capture, trigger. A second
// Trigger while the trigger loop runs is refused, so two loops never share
// the buffers.
constexpr Admission kTable[4][4] = {
    /* StartPreview */ {P, A, R, R},
    /* Capture      */ {P, R, A, R},
    /* SnapShot     */ {P, R, P, R},
    /* Trigger      */ {P, R, R, R},
};

}  // namespace

Admission Admit(StartOperation operation, AcquisitionState state) {
    const auto column = static_cast<int>(state);
    if (column < 0 || column > 3) {
        return Admission::Refused;
    }
    return kTable[static_cast<int>(operation)][column];
}

}  // namespace tavrin
