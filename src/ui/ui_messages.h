#pragma once
// The window's own texts, shown to the user exactly as written.

namespace ks::msg {

inline constexpr const char* kWindowTitle = "Halvek Kestrine";
inline constexpr const char* kInputsOnlyToSensors = "Inputs can only be attached to Sensory Receptors.";
inline constexpr const char* kSensorAlreadyAttached = "This Sensory Receptor already has an attachment.";
inline constexpr const char* kOutputsOnlyToActions = "Outputs can only be attached to Action Receptors.";
inline constexpr const char* kActionAlreadyAttached = "This Action Receptor already has an attachment.";
inline constexpr const char* kDeleteAllScenarios = "Are you sure you want to delete all %d scenarios?";
inline constexpr const char* kHintLines[3] = {
    "Drag and drop receptors here to build your neural model,",
    "or click 'Self Assemble' from the control panel at the right,",
    "once you have added inputs and outputs.",
};

}  // namespace ks::msg
