// kestrine-cli run: decisions from a runtime file through the runtime library.
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "cli/commands.h"
#include "files/safe_file.h"
#include "ksr_runtime.h"

namespace ks::cli {

namespace {

struct Pair {
    int id = 0;
    double value = 0.0;
};

}  // namespace

// "ID=VALUE" with a whole-number ID and a finite number as value: every
// number the C library reads (subnormals too), never NaN or an infinity,
// which no input can hold. An empty text: fine; else what is wrong.
std::string ParsePair(const std::string& text, int& id, double& value) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == text.size()) return "\"" + text + "\" is not ID=VALUE";
    const std::string idText = text.substr(0, eq), valueText = text.substr(eq + 1);
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(idText.c_str(), &end, 10);
    if (*end || errno || n < INT32_MIN || n > INT32_MAX) return "\"" + text + "\" is not ID=VALUE";
    const double v = std::strtod(valueText.c_str(), &end);
    if (*end || std::isspace(static_cast<unsigned char>(valueText[0]))) return "\"" + text + "\" is not ID=VALUE";
    // Underflow (a subnormal or zero) reads as the nearest value; overflow is infinite.
    if (!std::isfinite(v)) return "\"" + valueText + "\" in \"" + text + "\" is not a finite number";
    id = static_cast<int>(n);
    value = v;
    return {};
}

namespace {

bool ParsePair(const std::string& text, Pair& out, std::string& why) {
    why = cli::ParsePair(text, out.id, out.value);
    return why.empty();
}

// The longest line a batch file may have: far more than any model's inputs need.
constexpr std::size_t kMaxBatchLine = std::size_t{1} << 20;

// A line without its end; false at the end of the file. A line longer than
// the limit sets `tooLong` (nothing more is read).
bool ReadLine(std::FILE* in, std::string& line, bool& tooLong) {
    line.clear();
    tooLong = false;
    int c;
    bool any = false;
    while ((c = std::fgetc(in)) != EOF) {
        any = true;
        if (c == '\n') return true;
        if (line.size() == kMaxBatchLine) {
            tooLong = true;
            return true;
        }
        line.push_back(static_cast<char>(c));
    }
    return any;
}

class Model {
public:
    ~Model() { ksr_free(m_model); }
    bool Load(const std::string& path) {
        std::size_t offset = 0;
        const ksr_status st = ksr_load_file(path.c_str(), &m_model, &offset);
        if (st != KSR_OK) {
            std::string why = ksr_status_message(st);
            if (st != KSR_ERR_IO) why += " (at byte " + std::to_string(offset) + ")";
            Fail("loading " + path, why);
            return false;
        }
        for (int i = 0; i < ksr_input_count(m_model); ++i) {
            double v = 0.0;
            ksr_get_input(m_model, ksr_input_id(m_model, i), &v);
            m_stored.push_back(v);
        }
        return true;
    }
    // Inputs not named keep the values stored in the file.
    void Reset() {
        for (int i = 0; i < ksr_input_count(m_model); ++i)
            ksr_set_input(m_model, ksr_input_id(m_model, i), m_stored[static_cast<std::size_t>(i)]);
    }
    ksr_model* Get() { return m_model; }

private:
    ksr_model* m_model = nullptr;
    std::vector<double> m_stored;
};

}  // namespace

int Run(const std::string& path, const std::vector<std::string>& pairs, const std::string& batch) {
    if (!batch.empty() && !pairs.empty()) {
        std::fprintf(stderr, "kestrine-cli: usage: give ID=VALUE pairs or --batch, not both\n");
        return kUsage;
    }
    std::vector<Pair> parsed;
    for (const std::string& text : pairs) {
        Pair p;
        std::string why;
        if (!ParsePair(text, p, why)) {
            std::fprintf(stderr, "kestrine-cli: usage: %s\n", why.c_str());
            return kUsage;
        }
        parsed.push_back(p);
    }
    // A pipe or a device would make the reading wait for ever, a folder has no bytes to give.
    for (const std::string& file : {path, batch})
        if (!file.empty())
            if (const FileResult r = CheckRegularFile(file); !r.ok) return Report(r.message);
    Model model;
    if (!model.Load(path)) return kFailed;
    auto decide = [&](const std::vector<Pair>& values, const std::string& where) {
        model.Reset();
        for (const Pair& p : values)
            if (ksr_set_input(model.Get(), p.id, p.value) != KSR_OK) {
                Fail(where, "the model has no input with ID " + std::to_string(p.id));
                return false;
            }
        std::printf("%d\n", ksr_decide(model.Get()));
        return true;
    };
    if (batch.empty()) return decide(parsed, "run " + path) ? kOk : kFailed;

    std::FILE* in = std::fopen(batch.c_str(), "rb");
    if (!in) return Fail("reading " + batch, std::strerror(errno));
    std::string line, word;
    std::vector<Pair> values;
    bool tooLong = false;
    int code = kOk;
    for (int number = 1; code == kOk && ReadLine(in, line, tooLong); ++number) {
        const std::string where = batch + " line " + std::to_string(number);
        if (tooLong) {
            code = Fail(where, "the line is longer than 1 MiB");
            break;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        values.clear();
        std::string why;
        while (code == kOk && words >> word) {
            Pair p;
            if (!ParsePair(word, p, why))
                code = Fail(where, why);
            else
                values.push_back(p);
        }
        if (code == kOk && !decide(values, where)) code = kFailed;
    }
    if (code == kOk && std::ferror(in)) code = Fail("reading " + batch, std::strerror(errno));
    std::fclose(in);
    return code;
}

}  // namespace ks::cli
