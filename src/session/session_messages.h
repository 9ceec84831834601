#pragma once
// Texts of the user operations, shown exactly as written (by the window as
// message boxes, by the command-line tool as lines).

namespace ks::msg {

inline constexpr const char* kInputsOnlyToSensors = "Inputs can only be attached to Sensory Receptors.";
inline constexpr const char* kSensorAlreadyAttached = "This Sensory Receptor already has an attachment.";
inline constexpr const char* kOutputsOnlyToActions = "Outputs can only be attached to Action Receptors.";
inline constexpr const char* kActionAlreadyAttached = "This Action Receptor already has an attachment.";
inline constexpr const char* kDeleteAllScenarios = "Are you sure you want to delete all %d scenarios?";
inline constexpr const char* kAddInputQuestion =
    "There are %d scenarios for this model that will need to be updated by adding a new input. If you continue, "
    "this new input will be added to all current scenarios at its current value. This will require retraining the "
    "system. Do you want to continue?";
inline constexpr const char* kDeleteInputsQuestion =
    "There are %d scenarios for this model that will need to be updated by removing the associated input values. "
    "This will require retraining the system. Do you want to continue?";
inline constexpr const char* kDeleteOutputsQuestion =
    "There are %d scenarios for this model that currently have this output as a target. Those scenarios will be "
    "deleted. This will require retraining the system. Do you want to continue?";
inline constexpr const char* kScenariosSelectedForDeletion = "%d scenarios selected for deletion.";

}  // namespace ks::msg
