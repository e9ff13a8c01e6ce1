// The readout region (the part of the sensor the camera reads) and the size
// table: the readout windows kept in the settings store, which the camera
// dialog edits.
#pragma once

#include <string>

#include "tools/tool_args.h"

namespace tavrin::tool {

// "656 x 494 at (0, 0)": the region the camera reads now.
std::string RegionText(int camera);
// Reads --region for this run only (the store keeps the camera dialog's
// choice). Returns 0, or the exit code of the failure it reported.
int ApplyRegion(int camera, const Options& options);
// `tavrin sizes`: the region in use and the stored table.
int Sizes(int camera);

}  // namespace tavrin::tool
