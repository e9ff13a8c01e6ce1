#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

#include "TavrinPosix.h"
#include "tools/tool_messages.h"

namespace tavrin::tool {

HWND CreateToolWindow() { return TavrinPosix_CreateMessageWindow(); }

void DestroyToolWindow(HWND window) { TavrinPosix_DestroyWindow(window); }

bool WaitSdkMessage(HWND, SdkMessage& out, int timeoutMs) {
    TavrinMsg msg{};
    if (!TavrinPosix_GetMessage(nullptr, &msg, timeoutMs)) {
        return false;
    }
    out = SdkMessage{msg.message, msg.wParam, msg.lParam};
    return true;
}

void SetToolEnvironment(const char* name, const char* value) { setenv(name, value, 1); }

}  // namespace tavrin::tool

namespace tavrin::tool {
namespace {
termios g_savedTerminal{};
bool g_terminalChanged = false;

void RestoreTerminal() {
    if (g_terminalChanged) {
        tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
        g_terminalChanged = false;
    }
}
}  // namespace

// The terminal is also restored at exit, whatever way the program ends.
KeyWatch::KeyWatch() {
    if (isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &g_savedTerminal) == 0) {
        termios raw = g_savedTerminal;
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        g_terminalChanged = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
        static const bool registered = std::atexit(RestoreTerminal) == 0;
        (void)registered;
    }
}

KeyWatch::~KeyWatch() { RestoreTerminal(); }

// Only a terminal counts: a closed or redirected input is no key press.
bool KeyWatch::Pressed() {
    if (!g_terminalChanged) {
        return false;
    }
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, 0) <= 0 || (input.revents & POLLIN) == 0) {
        return false;
    }
    char key = 0;
    return read(STDIN_FILENO, &key, 1) == 1;
}

}  // namespace tavrin::tool
