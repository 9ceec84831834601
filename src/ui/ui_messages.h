#pragma once
// The window's own texts, shown to the user exactly as written.
#include "session/session_messages.h"

namespace ks::msg {

inline constexpr const char* kWindowTitle = "Halvek Kestrine";
inline constexpr const char* kOutputActionQuestion =
    "Do you want to edit the %s output or add a new scenario using the current input settings and the %s output as "
    "the outcome target? Select YES if you want to edit the output. Select NO to create a new scenario. Select "
    "CANCEL to exit this operation.";
inline constexpr const char* kWizardCloseQuestion =
    "You currently have a project open. If you proceed now, your current project will be closed. Do you want to "
    "proceed?";
inline constexpr const char* kUnsavedBeforeExit =
    "This project has changes that are not saved. Would you like to save them before you exit?";
inline constexpr const char* kUnsavedBeforeClose =
    "This project has changes that are not saved. Would you like to save them before you close the project?";
inline constexpr const char* kOutputNotAttached = "This output is not yet attached to this system.";
inline constexpr const char* kHintLines[3] = {
    "Drag and drop receptors here to build your neural model,",
    "or click 'Self Assemble' from the control panel at the right,",
    "once you have added inputs and outputs.",
};

}  // namespace ks::msg
