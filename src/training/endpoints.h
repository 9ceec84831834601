#pragma once
// Endpoint generation: one scenario for every combination of the inputs'
// low and high values, all aimed at the first output.
#include <cstdint>

namespace ks {

class CProject;
class IPrompt;

inline constexpr std::int64_t kMaxEndpointScenarios = 1028;

// Returns the number of combinations N when generation ran (even if every one
// repeated an existing scenario), 0 when refused, declined or without inputs.
std::int64_t CreateEndpointScenarios(CProject& project, IPrompt& prompt);

}  // namespace ks
