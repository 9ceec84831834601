// kestrine-cli run: decisions from a runtime file through the runtime library.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "ksr_runtime.h"

namespace ks::cli {

namespace {

struct Pair {
    int id = 0;
    double value = 0.0;
};

// "ID=VALUE" with a whole-number ID and a number as value.
bool ParsePair(const std::string& text, Pair& out) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == text.size()) return false;
    const std::string id = text.substr(0, eq), value = text.substr(eq + 1);
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(id.c_str(), &end, 10);
    if (*end || errno || n < INT32_MIN || n > INT32_MAX) return false;
    errno = 0;
    const double v = std::strtod(value.c_str(), &end);
    if (*end || errno == ERANGE) return false;
    out = {static_cast<int>(n), v};
    return true;
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
        if (!ParsePair(text, p)) {
            std::fprintf(stderr, "kestrine-cli: usage: \"%s\" is not ID=VALUE\n", text.c_str());
            return kUsage;
        }
        parsed.push_back(p);
    }
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

    std::ifstream in(batch);
    if (!in) return Fail("reading " + batch, "cannot open the file");
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::vector<Pair> values;
        std::string word;
        const std::string where = batch + " line " + std::to_string(number);
        while (words >> word) {
            Pair p;
            if (!ParsePair(word, p)) return Fail(where, "\"" + word + "\" is not ID=VALUE");
            values.push_back(p);
        }
        if (!decide(values, where)) return kFailed;
    }
    return kOk;
}

}  // namespace ks::cli
