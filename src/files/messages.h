#pragma once
// The file layer's own texts, shown to the user exactly as written.

namespace ks::msg {

inline constexpr const char* kNothingToSave = "Nothing to save yet. Select New Project, or Open Project to begin.";
inline constexpr const char* kFileSaved = "Your file \"%s\" is saved";
inline constexpr const char* kSaveBeforeNew =
    "You have a project currently open. Would you like to save this project before you start a new one?";
inline constexpr const char* kNoProjectToExport = "No project yet to export.";
inline constexpr const char* kRuntimeReady = "Your runtime AI System \"%s\" is ready.";
inline constexpr const char* kHeaderNotCreated = "Couldn't create the header file!";
inline constexpr const char* kHeaderWritten =
    "Successfully defined and wrote %d variables and %d outputs to the Export Header File: %s.";
inline constexpr const char* kProjectFilter = "Kestrine Models (*.ksm)|*.ksm|All Files (*.*)|*.*||";
inline constexpr const char* kRuntimeFilter = "Kestrine Runtime (*.ksr)|*.ksr|All Files (*.*)|*.*||";
inline constexpr const char* kHeaderFileName = "inputsoutputs.h";

}  // namespace ks::msg
