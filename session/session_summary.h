// What a session file holds, in a few lines of text for people: the camera,
// when and where it was recorded, how long, the frames, requests, failures
// and comings and goings, and how the recording ended.
#pragma once

#include <string>

#include "platform/read_file.h"

namespace tavrin::session {

// True with the summary in text; false when the file is no session this
// build can read, with text saying why.
bool SummarizeSession(const platform::ReadOnlyFile& file, std::string& text);

}  // namespace tavrin::session
