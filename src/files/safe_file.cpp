#include "files/safe_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ks {

namespace {

std::string Why() { return std::strerror(errno); }

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

FileResult Failed(const std::string& what) { return {false, what, {}}; }

}  // namespace

FileResult WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::string tmp = path + ".XXXXXX";
    const int fd = mkstemp(tmp.data());
    if (fd < 0) return Failed("cannot create a file in " + FolderOf(path) + ": " + Why());

    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    struct stat st;
    mode_t mode;
    if (stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    fchmod(fd, mode);

    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const std::string why = Why();
            close(fd);
            unlink(tmp.c_str());
            return Failed("cannot write " + path + ": " + why);
        }
        done += static_cast<std::size_t>(n);
    }
    if (fsync(fd) != 0) {
        const std::string why = Why();
        close(fd);
        unlink(tmp.c_str());
        return Failed("cannot write " + path + " to disk: " + why);
    }
    if (close(fd) != 0) {
        const std::string why = Why();
        unlink(tmp.c_str());
        return Failed("cannot write " + path + ": " + why);
    }
    if (rename(tmp.c_str(), path.c_str()) != 0) {
        const std::string why = Why();
        unlink(tmp.c_str());
        return Failed("cannot replace " + path + ": " + why);
    }
    // Make the rename itself durable.
    const int dir = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return {};
}

FileResult WriteFileAtomically(const std::string& path, const std::string& text) {
    return WriteFileAtomically(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

FileResult ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::uint64_t maxBytes) {
    out.clear();
    // Without O_NONBLOCK, opening a pipe waits for a writer: the check below must come first.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return Failed("cannot open " + path + ": " + Why());
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return Failed("cannot read " + path + ": not a regular file");
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        close(fd);
        return Failed("cannot read " + path + ": the file is too large");
    }
    out.reserve(static_cast<std::size_t>(st.st_size));
    std::uint8_t buf[65536];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            const std::string why = Why();
            close(fd);
            out.clear();
            return Failed("cannot read " + path + ": " + why);
        }
        if (n == 0) break;
        if (out.size() + static_cast<std::size_t>(n) > maxBytes) {
            close(fd);
            out.clear();
            return Failed("cannot read " + path + ": the file is too large");
        }
        out.insert(out.end(), buf, buf + n);
    }
    close(fd);
    return {};
}

}  // namespace ks
