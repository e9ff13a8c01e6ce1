// Every mechanical conversion kernel in one include: respacing, bit depth,
// flips, shifts, channel order and the preview scalers.
#pragma once

#include "imaging/kernels/channel.h"
#include "imaging/kernels/depth.h"
#include "imaging/kernels/flip.h"
#include "imaging/kernels/respace.h"
#include "imaging/kernels/scale.h"
#include "imaging/kernels/shift.h"
