#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "window_model/window_model.h"

namespace gapscope {

// What the Windows window takes from outside itself: the model's inputs (the window adds
// this user's stored options and folder, kept under `settingsBaseName`, none when empty)
// and the dialogs. Tests replace the clock, the report run and the dialogs so that nothing
// waits for a person.
struct WinFormServices {
    WindowInputs window;
    std::string settingsBaseName;
    // A message box, or, for the automatic run, the line where the operator finds it.
    std::function<void(HWND owner, const std::wstring& title, const WindowMessage& message)> say;
    // Modal folder dialog starting at `start`; nullopt when the operator cancels.
    std::function<std::optional<std::filesystem::path>(HWND owner,
                                                       const std::filesystem::path& start)>
        chooseFolder;
    // A shortcut menu at a point of the screen; the command chosen, 0 for none.
    std::function<UINT(HMENU menu, HWND owner, POINT at)> trackMenu;
    // Modal dialog asking where to save a picture, `suggested` first (PNG or SVG by the
    // name's extension); nullopt when the operator cancels.
    std::function<std::optional<std::filesystem::path>(HWND owner,
                                                       const std::filesystem::path& suggested)>
        choosePictureFile;
};

// The services of the running program.
WinFormServices DefaultWinFormServices();

// Gives a program started from the desktop the console of the command prompt it was typed
// in, when it has no standard handles of its own; false when there is none.
bool ReachParentConsole();

}  // namespace gapscope
