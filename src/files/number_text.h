#pragma once
// Numbers typed by a user on the command line or in a batch file. Each
// parser returns an empty text when the input reads, else what is wrong.
#include <string>
#include <utility>
#include <vector>

namespace ks {

// "ID=VALUE": a whole-number ID (32 bits) and a finite number as the C
// library reads it (subnormals too), never NaN or an infinity.
std::string ParseIdValue(const std::string& text, int& id, double& value);

// A line of ID=VALUE words separated by blanks (a CR before the end is dropped).
std::string ParseIdValueLine(const std::string& line, std::vector<std::pair<int, double>>& out);

// A number between lo and hi (above lo when openLow); NaN and infinities fail.
std::string CheckNumberInRange(const std::string& text, double lo, double hi, bool openLow);

}  // namespace ks
