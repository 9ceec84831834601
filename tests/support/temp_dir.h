#pragma once
// A folder of its own for a test, removed afterwards.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace ks::test {

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "kestrine-XXXXXX").string();
        m_path = mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    std::string Write(const std::string& name, const std::string& content) const {
        std::ofstream(File(name), std::ios::binary) << content;
        return File(name);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace ks::test
