// kestrine-cli run: decisions from a runtime file through the runtime library.
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "cli/commands.h"
#include "files/number_text.h"
#include "files/safe_file.h"
#include "ksr_runtime.h"

namespace ks::cli {

namespace {

struct Pair {
    int id = 0;
    double value = 0.0;
};

bool ParsePair(const std::string& text, Pair& out, std::string& why) {
    why = ParseIdValue(text, out.id, out.value);
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
    std::string line;
    std::vector<Pair> values;
    std::vector<std::pair<int, double>> read;
    bool tooLong = false;
    int code = kOk;
    for (int number = 1; code == kOk && ReadLine(in, line, tooLong); ++number) {
        const std::string where = batch + " line " + std::to_string(number);
        if (tooLong) {
            code = Fail(where, "the line is longer than 1 MiB");
            break;
        }
        if (const std::string why = ParseIdValueLine(line, read); !why.empty()) {
            code = Fail(where, why);
            break;
        }
        values.clear();
        for (const auto& [id, value] : read) values.push_back({id, value});
        if (!decide(values, where)) code = kFailed;
    }
    if (code == kOk && std::ferror(in)) code = Fail("reading " + batch, std::strerror(errno));
    std::fclose(in);
    return code;
}

}  // namespace ks::cli
