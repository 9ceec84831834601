#pragma once
// The trained network as C for small devices: single precision (float
// tables, expf, no double) or fixed point (16-bit weights and values, 32-bit
// sums that provably cannot overflow, the logistic from a table; no floating
// point past the scaling of the inputs on entry, no libm). Neither decides
// exactly as the trainer does, so each comes with an emulation of its
// generated code, operation for operation, that the export's verification
// runs against the trainer.
#include <cstdint>
#include <string>
#include <vector>

#include "files/c_export.h"

namespace ks {

class CProject;

enum class CNumberType { Double, Float, Fixed };

// The network as the small exports compute it: receptors, then the receivers
// in evaluation order (processors, then actions), each summing its links in
// the trainer's order, reading every value as it stands.
struct SmallNet {
    CNumberType type = CNumberType::Float;
    int receptors = 0;
    std::vector<double> initial;  // what each receptor sends before the pass (a bias its value)
    struct Sensor {
        int receptor, input, type, items;
        double minimum, scale;
        // Fixed-point inputs: the value on the sensor is
        // ((x - qMinimum) * qScale) / 2^qShift - 3, rounded half away from zero.
        std::int64_t qMinimum = 0, qScale = 0;
        int qShift = 0;
    };
    std::vector<Sensor> sensors;
    struct Stage {
        std::vector<int> receivers;  // receptor indexes
        std::vector<int> code;       // activation per receiver (actions: logistic)
        std::vector<double> threshold;
        std::vector<int> bit;
        std::vector<int> linkStart;  // per receiver, and one past the last
        std::vector<int> source;     // sender receptor per link (per receiver's first row when dense)
        std::vector<double> weight;  // per link
        bool dense = false;          // every receiver reads the same senders in the same order
        bool allLogistic = true;
        // Fixed point: weights as integers with `weightShift` fraction bits,
        // thresholds in the sum's format, and each receiver's largest possible |sum|.
        int weightShift = 0;
        std::vector<std::int32_t> qWeight, qThreshold;
        std::vector<std::int64_t> bound;
    };
    Stage stages[2];
    std::vector<int> actions;      // receptor indexes in the action list's order
    // Every action logistic and read by nothing: the decision compares their
    // sums, which the logistic orders alike and which still differ where the
    // outputs have all reached 1 in the precision at hand.
    bool decideByNet = false;
    std::vector<int> hasOutput;    // per receptor
    std::vector<std::int32_t> outputId;
    // Fixed point: every value carries `valueShift` fraction bits in 16 bits.
    int valueShift = 0;
    std::vector<std::int32_t> qInitial;
    std::vector<std::int32_t> logisticTable;  // 257 points of the logistic from -8 to +8
    // Fixed point with fixed-point inputs: each input an int32_t holding its
    // value times 2^inputShift, scaled onto its sensor in integers too.
    bool fixedInput = false;
    int inputShift = 0;
};

// Lays out the project's network for `type` (Float or Fixed). Empty `refusal`
// on success; else why this network cannot be written so (a fixed-point
// export needs bounded activations and values that fit).
// `fixedInput` (Fixed only): the inputs come as fixed-point integers too.
SmallNet BuildSmallNet(const CProject& project, CNumberType type, std::string& refusal, bool fixedInput = false);

// An input value as the fixed-point integer a caller passes where the inputs
// are fixed point: value times 2^inputShift, rounded half away from zero,
// held to the int32_t range.
std::int32_t FixedInputValue(const SmallNet& net, double value);

// The C files of a small export; `sizes` receives a line on the tables' bytes.
CSource GenerateSmallCSource(const CProject& project, const SmallNet& net, const std::string& prefix,
                             std::string* sizes = nullptr);

// Decides one case exactly as the generated code does (inputs as the
// project's input list). `actionValues` (optional) receives the action
// receptors' values in the action list's order, as real numbers.
std::int32_t EmulateSmallNet(const SmallNet& net, const double* inputs, std::vector<double>* actionValues = nullptr);

}  // namespace ks
