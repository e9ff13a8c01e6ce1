// The viewer's words in English and Japanese. The language follows the
// locale as the built-in dialogs' does: the first of LC_ALL, LC_MESSAGES
// and LANG that is set decides, and Japanese is chosen when it begins "ja".
#pragma once

namespace tavrin::viewer {

struct Texts {
    const char* title;
    const char* menuFile;
    const char* snapshot;
    const char* saveAs;
    const char* record;
    const char* quit;
    const char* menuView;
    const char* fitToWindow;
    const char* actualSize;
    const char* fullScreen;
    const char* logHistogram;
    const char* menuCamera;
    const char* triggerMode;
    const char* softwareTrigger;
    const char* fullSensor;
    const char* cameraDialog;
    const char* analogDialog;
    const char* imageDialog;
    const char* menuSimulator;
    const char* unplug;
    const char* plugIn;
    const char* settings;
    const char* findSetting;
    const char* defaults;
    const char* histogram;
    const char* noCamera;
    const char* unplugged;
    const char* recording;
    const char* saved;
    const char* recorded;
    const char* failed;
    const char* frame;
    const char* dropped;
    const char* exposure;
    const char* gain;
    const char* lastError;
    const char* none;
    const char* clippedDark;
    const char* clippedBright;
    const char* triggerWaiting;
    const char* recordNeedsLive;
    const char* unknownFormat;
    const char* cancel;
    const char* save;
    const char* range;
    const char* defaultValue;
    const char* regionHint;
    const char* readoutRegion;
    const char* regionAt;  // between a preset's size and its corner
};

// The texts of the user's language.
const Texts& UserTexts();

}  // namespace tavrin::viewer
