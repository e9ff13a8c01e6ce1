#include "platform/time.h"

#include <windows.h>
#include <mmsystem.h>

namespace tavrin::platform {

uint32_t TickCount() { return GetTickCount(); }

uint32_t MultimediaTime() { return timeGetTime(); }

void Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace tavrin::platform
