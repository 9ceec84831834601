#pragma once
// Where every field sits in the fixed records of the project file. The writer
// and the reader both go through these tables, so a field moves in one place.
#include <cstddef>

namespace ks {

// Record sizes of the project file.
inline constexpr std::size_t kVariableRecordSize = 936;
inline constexpr std::size_t kVariableCoreOffset = 776;
inline constexpr std::size_t kVariableCoreSize = 160;
inline constexpr std::size_t kItemRecordSize = 224;
inline constexpr std::size_t kOutputRecordSize = 208;
inline constexpr std::size_t kModelHeaderSize = 64;
inline constexpr std::size_t kReceptorRecordSize = 288;
inline constexpr std::size_t kConnectionRecordSize = 72;
inline constexpr std::size_t kScenarioHeaderSize = 100;
inline constexpr std::size_t kVarInfoRecordSize = 72;

// VARIABLE_RECORD: the texts, then the core at kVariableCoreOffset.
namespace variable_record {
inline constexpr std::size_t kName = 0;          // 100 UTF-16 units
inline constexpr std::size_t kDescription = 200;  // 255 UTF-16 units
}  // namespace variable_record

// VARIABLE_CORE, also the input record of the runtime file.
namespace variable_core {
inline constexpr std::size_t kType = 0;
inline constexpr std::size_t kIsBoolean = 4;
inline constexpr std::size_t kMinimum = 8;
inline constexpr std::size_t kMaximum = 16;
inline constexpr std::size_t kValue = 24;
inline constexpr std::size_t kIncrement = 48;
inline constexpr std::size_t kAttached = 56;
inline constexpr std::size_t kAttachedReceptorID = 60;
inline constexpr std::size_t kVariableID = 64;
inline constexpr std::size_t kReservedFlag = 69;
inline constexpr std::size_t kAutoIncrement = 104;
inline constexpr std::size_t kAutoReset = 105;
inline constexpr std::size_t kReservedValue = 112;
inline constexpr std::size_t kReservedFlag2 = 156;
inline constexpr std::size_t kValid = 157;
}  // namespace variable_core

// VARIABLE_ITEM.
namespace item_record {
inline constexpr std::size_t kText = 0;  // 100 UTF-16 units
inline constexpr std::size_t kIndex = 200;
inline constexpr std::size_t kValueCode = 204;
inline constexpr std::size_t kColour = 208;
inline constexpr std::size_t kColourCoding = 212;
}  // namespace item_record

// The receptor manager's header.
namespace model_header {
inline constexpr std::size_t kModelType = 0;
inline constexpr std::size_t kID = 4;
inline constexpr std::size_t kReservedLinkA = 8;
inline constexpr std::size_t kReservedLinkB = 12;
inline constexpr std::size_t kTargetID = 16;
inline constexpr std::size_t kTargetType = 20;
inline constexpr std::size_t kResetLimit = 24;
inline constexpr std::size_t kTolerance = 28;
inline constexpr std::size_t kLearnRate = 36;
inline constexpr std::size_t kMomentum = 44;
inline constexpr std::size_t kBackground = 52;
inline constexpr std::size_t kReceptorCount = 56;
inline constexpr std::size_t kConnectionCount = 60;
}  // namespace model_header

// RECEPTOR_RECORD (filled with 0x30 before the fields are written).
namespace receptor_record {
inline constexpr std::size_t kID = 0;
inline constexpr std::size_t kKind = 4;
inline constexpr std::size_t kSize = 8;
inline constexpr std::size_t kVariableID = 12;
inline constexpr std::size_t kActivation = 16;
inline constexpr std::size_t kBitIndex = 20;
inline constexpr std::size_t kReservedA = 24;
inline constexpr std::size_t kReservedB = 28;
inline constexpr std::size_t kOutputID = 32;
inline constexpr std::size_t kReservedC = 36;
inline constexpr std::size_t kZeroes = 40;  // three zero integers
inline constexpr std::size_t kReservedD = 56;
inline constexpr std::size_t kThreshold = 64;
inline constexpr std::size_t kTargetValue = 72;
inline constexpr std::size_t kBiasValue = 80;
inline constexpr std::size_t kFlagA = 88;
inline constexpr std::size_t kFlagB = 89;
inline constexpr std::size_t kAttachedToVariable = 90;
inline constexpr std::size_t kAttachedToOutput = 91;
inline constexpr std::size_t kFlagC = 92;
inline constexpr std::size_t kLinearOutput = 93;
inline constexpr std::size_t kX = 96;
inline constexpr std::size_t kY = 100;
inline constexpr std::size_t kInputPoint = 104;
inline constexpr std::size_t kOutputPoint = 112;
inline constexpr std::size_t kZeroPoint = 120;
inline constexpr std::size_t kInputPort = 128;
inline constexpr std::size_t kOutputPort = 144;
inline constexpr std::size_t kBody = 160;
inline constexpr std::size_t kVariableBox = 176;
inline constexpr std::size_t kColour = 192;
inline constexpr std::size_t kColour2 = 196;
inline constexpr std::size_t kZeroes2 = 200;  // two zero integers
inline constexpr std::size_t kLabel = 208;  // 40 UTF-16 units
}  // namespace receptor_record

// CONNECTION_RECORD (filled with 0x30 before the fields are written).
namespace connection_record {
inline constexpr std::size_t kID = 0;
inline constexpr std::size_t kSenderID = 4;
inline constexpr std::size_t kReceiverID = 8;
inline constexpr std::size_t kMid = 12;
inline constexpr std::size_t kStart = 20;
inline constexpr std::size_t kEnd = 28;
inline constexpr std::size_t kWeight = 40;
inline constexpr std::size_t kSignal = 48;
inline constexpr std::size_t kColour = 56;
inline constexpr std::size_t kReserved = 60;
inline constexpr std::size_t kValid = 64;
}  // namespace connection_record

// A scenario's header, followed by its VARINFO records.
namespace scenario_header {
inline constexpr std::size_t kName = 0;  // 40 UTF-16 units
inline constexpr std::size_t kID = 80;
inline constexpr std::size_t kInputCount = 84;
inline constexpr std::size_t kOutputCount = 88;
inline constexpr std::size_t kTargetID = 92;
inline constexpr std::size_t kDisplayIndex = 96;
}  // namespace scenario_header

// VARINFO.
namespace varinfo_record {
inline constexpr std::size_t kReceptorID = 0;
inline constexpr std::size_t kConstant = 4;
inline constexpr std::size_t kVariableID = 8;
inline constexpr std::size_t kMinimum = 16;
inline constexpr std::size_t kMaximum = 24;
inline constexpr std::size_t kValue = 32;
}  // namespace varinfo_record

}  // namespace ks
