// The tool's commands that take pictures: snap, record, stream and preview.
#pragma once

#include "TavrinSdk.h"
#include "tools/tool_args.h"

namespace tavrin::tool {

// Image format codes of Tavrin_SaveImage by name; -1 for an unknown name.
int FormatCode(const std::string& format);
// The format a file name's extension asks for ("png" for x.PNG); empty when
// the extension is none the SDK writes.
std::string FormatOfFileName(const std::string& path);

int Snap(int camera, const Options& options);
int Record(int camera, HWND window, const Options& options);
int Stream(int camera, HWND window, const Options& options);
int Preview(int camera, HWND window, const Options& options);

}  // namespace tavrin::tool
