#pragma once
// The training layer's own texts, shown to the user exactly as written.

namespace ks::msg {

inline constexpr const char* kEndpointNoInputs =
    "The %s neural model does not currently have inputs connected to it. Initial scenarios cannot be made.";
inline constexpr const char* kEndpointQuestion =
    "About to create %lld unique scenarios derived from min and max input values from the %d input receptors "
    "to the %s neural model. This will take a few minutes. Do you want to proceed?";
inline constexpr const char* kEndpointTooMany =
    "Not recommended or allowed ( in an automated way). See documentation on large auto-created scneario sets.";

}  // namespace ks::msg
