// `tavrin dialog camera|analog|image`: opens a built-in dialog and prints
// the settings it leaves behind.
#pragma once

#include <string>

namespace tavrin::tool {

// 0 when the dialog ran, 1 when the SDK refused it, 2 for an unknown name.
int RunDialog(int camera, const std::string& which);

}  // namespace tavrin::tool
