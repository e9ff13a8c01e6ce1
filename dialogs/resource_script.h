// The Windows resource script of the dialog templates, written from the
// template tables so that the .rc compiled into the DLL and the tables the
// other views use cannot drift apart (a test compares the two).
#pragma once

#include <string>

namespace tavrin::dialogs {

// UTF-8 text for windres (code page 65001), templates 101 to 113.
std::string ResourceScript();

}  // namespace tavrin::dialogs
