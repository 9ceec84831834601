#include "files/safe_file.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace ks {

namespace {

namespace fs = std::filesystem;

// Temporary files are hidden and short, so a name as long as the system
// allows can still be saved; the prefix lets a later save find leftovers.
constexpr const char* kTempPrefix = ".kstmp-";

std::string Why() { return std::strerror(errno); }

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

FileResult Failed(const std::string& what) { return {false, what, {}}; }

// A symbolic link is written through: the file it names is replaced, the
// link stays. A chain of links is followed; a dangling link names its target.
std::string Target(const std::string& path) {
    std::error_code ec;
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        if (!fs::is_symlink(fs::symlink_status(at, ec))) return at;
        const fs::path link = fs::read_symlink(at, ec);
        if (ec) return at;
        at = link.is_absolute() ? link.string() : (fs::path(FolderOf(at)) / link).string();
    }
    return at;
}

// Leftovers of saves killed between writing and renaming, more than a day old.
void RemoveStaleTemporaries(const std::string& folder) {
    DIR* d = opendir(folder.c_str());
    if (!d) return;
    const auto dayAgo = std::chrono::system_clock::now() - std::chrono::hours(24);
    const std::time_t limit = std::chrono::system_clock::to_time_t(dayAgo);
    while (const dirent* e = readdir(d)) {
        if (std::strncmp(e->d_name, kTempPrefix, std::strlen(kTempPrefix)) != 0) continue;
        const std::string path = folder + "/" + e->d_name;
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_mtime < limit) unlink(path.c_str());
    }
    closedir(d);
}

// A file written next to its target, flushed, not yet renamed.
struct Staged {
    std::string target, temp;
};

FileResult Stage(const std::string& requested, const std::vector<std::uint8_t>& bytes, Staged& out) {
    const std::string path = Target(requested);
    const std::string folder = FolderOf(path);
    struct stat st;
    const bool exists = stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return Failed("cannot write " + requested + ": it is a folder");
    if (exists && !S_ISREG(st.st_mode)) return Failed("cannot write " + requested + ": it is not a regular file");
    // Renaming over a read-only file would succeed in a writable folder: ask as
    // the file itself would, and take a file nobody may write as a wish to keep it.
    if (exists && (access(path.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0))
        return Failed("cannot write " + requested + ": the file is read-only");
    RemoveStaleTemporaries(folder);
    // Written unnamed where the file system allows (O_TMPFILE): a save killed
    // while writing leaves nothing; the name is given only once it is whole.
    std::string tmp;
    bool unnamed = true;
    int fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        unnamed = false;
        tmp = folder + "/" + kTempPrefix + "XXXXXX";
        fd = mkstemp(tmp.data());
        if (fd < 0) return Failed("cannot create a file in " + folder + ": " + Why());
    }

    // Keep the mode, and the owner and group where the system permits, of the file being replaced.
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
        if (fchown(fd, st.st_uid, st.st_gid) != 0 && fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
            // Not permitted: the file becomes the user's, as any editor's save would.
        }
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    fchmod(fd, mode);

    auto fail = [&](const std::string& what) {
        const std::string why = Why();
        close(fd);
        if (!unnamed) unlink(tmp.c_str());
        return Failed(what + ": " + why);
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail("cannot write " + requested);
        }
        done += static_cast<std::size_t>(n);
    }
    if (fsync(fd) != 0) return fail("cannot write " + requested + " to disk");
    if (unnamed) {
        // A short hidden name beside the target, then the rename over it.
        const std::string procPath = "/proc/self/fd/" + std::to_string(fd);
        for (int attempt = 0;; ++attempt) {
            char name[32];
            std::snprintf(name, sizeof name, "%s%06x", kTempPrefix,
                          static_cast<unsigned>((std::chrono::steady_clock::now().time_since_epoch().count() + attempt * 7919) & 0xFFFFFF));
            tmp = folder + "/" + name;
            if (linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, tmp.c_str(), AT_SYMLINK_FOLLOW) == 0) break;
            if (errno != EEXIST || attempt == 100) return fail("cannot name the new " + requested);
        }
    }
    if (close(fd) != 0) {
        const std::string why = Why();
        unlink(tmp.c_str());
        return Failed("cannot write " + requested + ": " + why);
    }
    out = {path, tmp};
    return {};
}

FileResult Commit(const Staged& s, const std::string& requested) {
    if (rename(s.temp.c_str(), s.target.c_str()) != 0) {
        const std::string why = Why();
        unlink(s.temp.c_str());
        return Failed("cannot replace " + requested + ": " + why);
    }
    // Make the rename itself durable.
    const int dir = open(FolderOf(s.target).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return {};
}

}  // namespace

FileResult WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    Staged s;
    FileResult r = Stage(path, bytes, s);
    return r.ok ? Commit(s, path) : r;
}

FileResult WriteFileAtomically(const std::string& path, const std::string& text) {
    return WriteFileAtomically(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

FileResult WriteFilesAtomically(const std::vector<FileToWrite>& files) {
    // Every file is written in full before any is renamed into place: a
    // failure (a full disk, a read-only target) leaves nothing new behind.
    std::vector<Staged> staged;
    for (const FileToWrite& f : files) {
        Staged s;
        const FileResult r = Stage(f.path, f.bytes, s);
        if (!r.ok) {
            for (const Staged& done : staged) unlink(done.temp.c_str());
            return r;
        }
        staged.push_back(s);
    }
    for (std::size_t i = 0; i < staged.size(); ++i) {
        const FileResult r = Commit(staged[i], files[i].path);
        if (!r.ok) {
            for (std::size_t k = i + 1; k < staged.size(); ++k) unlink(staged[k].temp.c_str());
            return r;
        }
    }
    return {};
}

FileResult CheckRegularFile(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return Failed("cannot open " + path + ": " + Why());
    if (S_ISDIR(st.st_mode)) return Failed("cannot read " + path + ": it is a folder");
    if (!S_ISREG(st.st_mode)) return Failed("cannot read " + path + ": not a regular file");
    return {};
}

FileResult CheckNotSameFile(const std::string& input, const std::string& output) {
    struct stat a, b;
    if (stat(input.c_str(), &a) != 0 || stat(output.c_str(), &b) != 0) return {};
    if (a.st_dev == b.st_dev && a.st_ino == b.st_ino)
        return Failed("cannot write " + output + ": it is the input file " + input + ", which writing would destroy");
    return {};
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
