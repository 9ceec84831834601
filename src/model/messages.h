#pragma once
// The model's own texts, shown to the user exactly as written.

namespace ks::msg {

inline constexpr const char* kConnectSensorToSensor =
    "CONNECTION_NOTALLOWED: You are connecting two Sensory Receptors! This cannot be done.";
inline constexpr const char* kConnectProcessorToProcessor =
    "CONNECTION_NOTALLOWED: CONNECTION_PROCESSOR_TO_PROCESSOR";
inline constexpr const char* kConnectSensorOrBiasMisuse =
    "CONNECTION_NOTALLOWED: Sensory receptors can only serve as input to processors. Bias "
    "receptors serve as input to processors and action outputs only";
inline constexpr const char* kConnectBiasToBias = "CONNECTION_NOTALLOWED: CONNECTION_BIAS_TO_BIAS";
inline constexpr const char* kConnectSensoryToAction = "CONNECTION_NOTALLOWED: CONNECTION_SENSORY_TO_ACTION";
inline constexpr const char* kConnectActionToAction = "CONNECTION_NOTALLOWED: CONNECTION_ACTION_TO_ACTION";
inline constexpr const char* kAlreadyConnected = "These receptors are already connected.";

inline constexpr const char* kNewTrainableModel = "New Trainable Model";

}  // namespace ks::msg
