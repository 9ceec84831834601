#pragma once
// The window's own texts, shown to the user exactly as written.

namespace ks::msg {

inline constexpr const char* kWindowTitle = "Halvek Kestrine";
inline constexpr const char* kInputsOnlyToSensors = "Inputs can only be attached to Sensory Receptors.";
inline constexpr const char* kSensorAlreadyAttached = "This Sensory Receptor already has an attachment.";
inline constexpr const char* kOutputsOnlyToActions = "Outputs can only be attached to Action Receptors.";
inline constexpr const char* kActionAlreadyAttached = "This Action Receptor already has an attachment.";
inline constexpr const char* kDeleteAllScenarios = "Are you sure you want to delete all %d scenarios?";
inline constexpr const char* kAddInputQuestion =
    "There are %d scenarios for this model that will need to be updated by adding a new input. If you continue, "
    "this new input will be added to all current scenarios at its current value. This will require retraining the "
    "system. Do you want to continue?";
inline constexpr const char* kOutputActionQuestion =
    "Do you want to edit the %s output or add a new scenario using the current input settings and the %s output as "
    "the outcome target? Select YES if you want to edit the output. Select NO to create a new scenario. Select "
    "CANCEL to exit this operation.";
inline constexpr const char* kDeleteInputsQuestion =
    "There are %d scenarios for this model that will need to be updated by removing the associated input values. "
    "This will require retraining the system. Do you want to continue?";
inline constexpr const char* kDeleteOutputsQuestion =
    "There are %d scenarios for this model that currently have this output as a target. Those scenarios will be "
    "deleted. This will require retraining the system. Do you want to continue?";
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
