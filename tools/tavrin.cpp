// tavrin: the SDK's command-line tool, built on the public exports only.
//
//   tavrin [--sim SLOTS] [--device N] COMMAND [options]
//
// Commands: list, info, sizes, snap, record, stream, preview, get, set,
// settings, reset, dialog, help.
#include <cstdio>
#include <string>
#include <vector>

#include "TavrinEx.h"
#include "TavrinSdk.h"
#include "tools/tool_args.h"
#include "tools/tool_capture.h"
#include "tools/tool_dialogs.h"
#include "tools/tool_messages.h"
#include "tools/tool_region.h"
#include "tools/tool_report.h"
#include "tools/tool_session.h"
#include "tools/tool_settings.h"

namespace {

using namespace tavrin::tool;

constexpr const char* kCommands =
    "usage: tavrin [--sim SLOTS | --replay FILE] [--device N] COMMAND [options]\n"
    "  list                         cameras found\n"
    "  info                         sensor, limits and current settings\n"
    "  sizes                        the readout region and the stored readout windows (size table)\n"
    "  snap -o FILE [--format bmp|raw|jpeg|jpeg70|jpeg20|png|tiff] [--mode 8|16|24|32|48|64]\n"
    "                               the format follows FILE's extension unless --format is given\n"
    "  snap, record, stream and preview take --region LEFT,TOP,WIDTH,HEIGHT: read only that part\n"
    "                               of the sensor, for this run\n"
    "  record -o FILE.avi [--ms N] [--mode ...]   record N milliseconds of video\n"
    "  stream [--frames N] [--mode ...]            receive frames, print rate and levels\n"
    "  preview [--ms N] [--mode ...]               live view until the window is closed, q/Esc, or N ms\n"
    "  get NAME | set NAME VALUE    a setting (`tavrin help` lists them); set prints what the camera took\n"
    "  settings                     every setting with its value and default\n"
    "  reset                        every setting back to its default\n"
    "  dialog camera|analog|image   a built-in dialog; prints the settings it leaves\n"
    "  session record -o FILE [--ms N] [--mode ...]  record the camera's whole session while it streams\n"
    "  session info FILE            what a session file holds\n"
    "  --replay FILE COMMAND ...    any command on the camera of a recorded session\n"
    "  help | --version\n";

// A bad command line: what is wrong and the short usage, exit code 2.
int Usage(const std::string& problem) {
    std::fprintf(stderr,
                 "tavrin: %s\n"
                 "usage: tavrin [--sim SLOTS | --replay FILE] [--device N] "
                 "list|info|sizes|snap|record|stream|preview|get|set|settings|reset|dialog|session ...\n"
                 "`tavrin help` describes every command and setting.\n",
                 problem.c_str());
    return 2;
}

int Help() {
    std::printf(
        "%s\nsettings (get NAME, set NAME VALUE):\n  %-18s %-24s %-9s %-7s %s\n%s\n"
        "--sim SLOTS[;key=value]... runs on the simulated camera, e.g. --sim 0 or\n"
        "  --sim \"0,2;pattern=3\". Keys: pattern=0..3 (lit scene, flat, ramp, colour bars),\n"
        "  level=0..1023, interval=MS, light=PERCENT, variant=0..255, log=RECORDS,\n"
        "  replay=FILE, pace=recorded|fast, end=stall|unplug|loop, strict=0|1 (a recorded\n"
        "  session as the camera in slot 0; --replay FILE is --sim \"0;replay=FILE\").\n"
        "  light=100 is a lamp that suits the camera's defaults; light=2 an ordinary room.\n"
        "Exit codes: 0 done, 1 the SDK or the system refused (the SDK's codes are named),\n"
        "  2 bad command line.\n",
        kCommands, "NAME", "VALUES", "DEFAULT", "UNIT", "MEANING", SettingHelp().c_str());
    return 0;
}

// The library's version as one string everywhere: 1.170.5.31 (27919647).
std::string LibraryVersion() {
    const unsigned version = static_cast<unsigned>(Tavrin_GetDllVersion());
    char text[64];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u (%u)", version >> 24, (version >> 16) & 0xFF, (version >> 8) & 0xFF,
                  version & 0xFF, version);
    return text;
}

int Version() {
    std::printf("tavrin %s, SDK library version %s\n", TAVRIN_TOOL_VERSION, LibraryVersion().c_str());
    return 0;
}

int List(int camera) {
    std::vector<char> names(10 * 256, '\0');
    const int count = Tavrin_EnumDevice(camera, names.data());
    if (count == 0 && Tavrin_GetLastError(camera) != 0) {
        return Fail(camera, "listing cameras");
    }
    std::printf("%d camera(s) found\n", count);
    for (int i = 0; i < count && i < 10; ++i) {
        std::printf("  %s\n", &names[static_cast<size_t>(i) * 256]);
    }
    return 0;
}

int Info(int camera) {
    TavrinCameraInfo info{};
    info.size = sizeof info;
    if (!Tavrin_GetCameraInfo(camera, &info)) {
        return Fail(camera, "reading the camera information");
    }
    int error = 0;
    std::printf("SDK version        %s\n", LibraryVersion().c_str());
    std::printf("sensor             %d x %d\n", info.sensorWidth, info.sensorHeight);
    std::printf("gain range         %d..%d (now %d)\n", info.globalGainMin, info.globalGainMax,
                Tavrin_GetGlobalGain(camera, &error));
    std::printf("exposure range     %d..%d lines (now %d lines, %d us)\n", info.exposureMinLines, info.exposureMaxLines,
                Tavrin_GetExposureTime(camera, &error), Tavrin_GetRealExposureTime(camera, &error));
    std::printf("image              %d x %d, colour mode %d bits\n", Tavrin_Width(camera), Tavrin_Height(camera),
                Tavrin_GetColorMode(camera));
    std::printf("readout region     %s (`tavrin sizes` lists the stored ones)\n", RegionText(camera).c_str());
    return 0;
}

int Get(int camera, const Setting& setting) {
    const auto value = GetSetting(camera, setting);
    if (!value) {
        return Fail(camera, std::string("reading ") + setting.name);
    }
    std::printf("%s = %d\n", setting.name, *value);
    return 0;
}

// Echoes what the camera took, read back, which may differ from what was
// asked (the exposure in microseconds goes in whole lines).
int Set(int camera, const Setting& setting, int value) {
    if (!SetSetting(camera, setting, value)) {
        return Fail(camera, std::string("setting ") + setting.name + " to " + std::to_string(value),
                    std::string(setting.name) + " accepts " + AcceptedValues(setting) + " (" + setting.meaning + ")");
    }
    const auto taken = GetSetting(camera, setting);
    if (!taken) {
        return Fail(camera, std::string("reading ") + setting.name + " back");
    }
    std::string problem;
    if (!(setting.flags & TAVRIN_SETTING_NOT_STORED) && !StoreSettings(camera, problem)) {
        return Fail(camera, std::string("storing ") + setting.name + " for later runs", problem);
    }
    std::printf("%s = %d", setting.name, *taken);
    if (*taken != value) {
        std::printf(" (asked %d)", value);
    }
    std::printf("\n");
    if (setting.flags & TAVRIN_SETTING_NOT_STORED) {
        std::printf(
            "note: %s lasts only while this program runs; only the camera dialog (tavrin dialog camera) "
            "stores it for later runs\n",
            setting.name);
    }
    return 0;
}

int Settings(int camera) {
    int result = 0;
    std::printf("%-18s %-8s %-8s %s\n", "NAME", "VALUE", "DEFAULT", "UNIT");
    for (const Setting& setting : AllSettings()) {
        const auto value = GetSetting(camera, setting);
        if (!value) {
            result = Fail(camera, std::string("reading ") + setting.name);
            continue;
        }
        std::printf("%-18s %-8d %-8d %s%s%s\n", setting.name, *value, setting.defaultValue, setting.unit,
                    *value != setting.defaultValue ? "  (changed)" : "",
                    setting.flags & TAVRIN_SETTING_NOT_STORED ? "  (not stored)" : "");
    }
    return result;
}

int Reset(int camera) {
    int changed = 0;
    for (const Setting& setting : AllSettings()) {
        const auto value = GetSetting(camera, setting);
        if (value && *value == setting.defaultValue)
            continue;
        if (!SetSetting(camera, setting, setting.defaultValue)) {
            return Fail(camera,
                        std::string("setting ") + setting.name + " back to " + std::to_string(setting.defaultValue));
        }
        ++changed;
    }
    std::string problem;
    if (!StoreSettings(camera, problem)) {
        return Fail(camera, "storing the settings for later runs", problem);
    }
    std::printf("every setting at its default (%d changed)\n", changed);
    return 0;
}

// What each command needs on the command line, checked before the SDK is
// loaded with a camera: an empty string when the command can run.
std::string CheckCommand(const Options& options) {
    const std::string& command = options.command;
    const size_t count = options.arguments.size();
    int value = 0;
    if (command == "snap" && options.output.empty())
        return "snap needs -o FILE";
    if (command == "snap" && options.formatGiven && FormatCode(options.format) < 0)
        return "snap: unknown --format '" + options.format + "'";
    if (command == "snap" && !options.formatGiven && FormatOfFileName(options.output).empty()) {
        return "snap: '" + options.output + "' has no image extension (.bmp .raw .jpg .png .tif); give --format";
    }
    if (command == "record") {
        const std::string& name = options.output;
        const bool avi = name.size() > 4 && (name.compare(name.size() - 4, 4, ".avi") == 0 ||
                                             name.compare(name.size() - 4, 4, ".AVI") == 0);
        if (!avi)
            return "record writes AVI video only: give -o FILE.avi";
    }
    if (command == "get" && count != 1)
        return "get needs one setting name";
    if (command == "set" && (count != 2 || !ParseInt(options.arguments[1], value))) {
        return "set needs a setting name and a number";
    }
    if ((command == "get" || command == "set") && !FindSetting(options.arguments[0])) {
        return "unknown setting '" + options.arguments[0] + "' (`tavrin help` lists them)";
    }
    if (command == "session")
        return CheckSessionCommand(options);
    if (command == "dialog" && (count != 1 || (options.arguments[0] != "camera" && options.arguments[0] != "analog" &&
                                               options.arguments[0] != "image"))) {
        return "dialog needs camera, analog or image";
    }
    for (const char* known :
         {"list", "info", "sizes", "snap", "record", "stream", "preview", "get", "set", "settings", "reset", "dialog"}) {
        if (command == known)
            return {};
    }
    return "unknown command '" + command + "'";
}

int Run(int camera, HWND window, const Options& options) {
    if (options.command == "list")
        return List(camera);
    // Opening the slot's camera first tells a missing camera apart from
    // every later failure, whatever the command.
    if (!Tavrin_SetDeviceNumber(camera, options.device)) {
        const int code = Tavrin_GetLastError(camera);
        if (code == SDKERR_DEVICE) {
            while (Tavrin_GetLastError(camera) != 0) {
            }
            std::fprintf(stderr, "tavrin: no camera in slot %d (`tavrin list` shows the cameras found)\n",
                         options.device);
            return 1;
        }
        return Fail(camera, "selecting camera " + std::to_string(options.device));
    }
    const std::string& command = options.command;
    if (command == "info")
        return Info(camera);
    if (command == "sizes")
        return Sizes(camera);
    if (command == "snap")
        return Snap(camera, options);
    if (command == "record")
        return Record(camera, window, options);
    if (command == "stream")
        return Stream(camera, window, options);
    if (command == "preview")
        return Preview(camera, window, options);
    if (command == "dialog")
        return RunDialog(camera, options.arguments[0]);
    if (command == "settings")
        return Settings(camera);
    if (command == "session")
        return SessionRecord(camera, window, options);
    if (command == "reset")
        return Reset(camera);
    int value = 0;
    const Setting setting = *FindSetting(options.arguments[0]);
    if (command == "get")
        return Get(camera, setting);
    ParseInt(options.arguments[1], value);
    return Set(camera, setting, value);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const std::string problem = ParseToolArguments(std::vector<std::string>(argv + 1, argv + argc), options);
    if (options.command == "help") {
        return Help();
    }
    if (options.command == "version") {
        return Version();
    }
    if (!problem.empty()) {
        return Usage(problem);
    }
    if (const std::string unusable = CheckCommand(options); !unusable.empty()) {
        return Usage(unusable);
    }
    if (SessionCommandNeedsNoCamera(options)) {
        return SessionInfo(options.arguments[1]);
    }
    if (!options.replay.empty()) {
        SetToolEnvironment("TAVRIN_SIM", ReplaySetting(options.replay).c_str());
    } else if (options.simulatorGiven) {
        SetToolEnvironment("TAVRIN_SIM", options.simulator.c_str());
    }
    HWND window = CreateToolWindow();
    const int camera = Tavrin_Initialize(window);
    if (camera == 0) {
        std::fprintf(stderr, "tavrin: the SDK could not make a camera object\n");
        return 1;
    }
    const int result = Run(camera, window, options);
    Tavrin_Release(camera);
    DestroyToolWindow(window);
    return result;
}
