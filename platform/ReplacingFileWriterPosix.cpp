#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

#include "platform/PosixHandles.h"
#include "platform/ReplacingFileWriter.h"
#include "platform/SystemErrorText.h"

namespace sumbrook {

namespace {

// The folders of the system's own files (devices, descriptors): what is
// there is written as it is, and nothing is created there.
bool InSystemFolder(const std::string& path) {
    return path.rfind("/dev/", 0) == 0 || path.rfind("/proc/", 0) == 0;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The name a chain of links at `path` ends in, when its last link names a
// file that does not exist yet; `path` itself when it is no link.
std::string EndOfLinks(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) return path;
        const std::string named(target, static_cast<std::size_t>(length));
        if (named.front() == '/') {
            path = named;
        } else {
            path = FolderOf(path);
            path += '/';
            path += named;
        }
    }
    return path;
}

}  // namespace

struct ReplacingFileWriter::State {
    ScopedFd file;
    std::string target;     // the file replaced at Commit
    std::string temporary;  // where the bytes go until then; empty: written directly
    std::string error;
    bool committed = false;

    void Fail(int code) {
        if (error.empty()) error = SystemErrorText(static_cast<unsigned long>(code));
    }
};

ReplacingFileWriter::ReplacingFileWriter(const std::string& path) : state_(new State) {
    State& state = *state_;
    struct stat existing {};
    const bool exists = stat(path.c_str(), &existing) == 0;
    if (InSystemFolder(path) ||
        (exists && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode))) {
        state.file.Reset(open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
        if (!state.file.IsValid()) state.Fail(errno);
        return;
    }
    if (exists && S_ISDIR(existing.st_mode)) {
        state.Fail(EISDIR);
        return;
    }
    if (exists) {
        char* resolved = realpath(path.c_str(), nullptr);
        if (resolved == nullptr) {
            state.Fail(errno);
            return;
        }
        state.target = resolved;
        std::free(resolved);
        // A file its owner keeps from being written is not replaced either.
        if (access(state.target.c_str(), W_OK) != 0) {
            state.Fail(errno);
            return;
        }
    } else {
        state.target = EndOfLinks(path);
    }

    const std::size_t slash = state.target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : state.target.substr(0, slash + 1);
    const std::string name =
        slash == std::string::npos ? state.target : state.target.substr(slash + 1);
    std::random_device random;
    for (int attempt = 0; attempt < 100 && !state.file.IsValid(); ++attempt) {
        std::string candidate = folder;
        candidate += '.';
        candidate += name;
        candidate += '.';
        candidate += std::to_string(random() % 1000000000U);
        candidate += ".tmp";
        state.file.Reset(open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (state.file.IsValid()) {
            state.temporary = candidate;
        } else if (errno != EEXIST) {
            state.Fail(errno);
            return;
        }
    }
    if (!state.file.IsValid()) {
        state.Fail(EEXIST);
        return;
    }
    // The new file keeps the permissions of the one it replaces.
    if (exists && fchmod(state.file.Get(), existing.st_mode & 07777) != 0) state.Fail(errno);
}

ReplacingFileWriter::~ReplacingFileWriter() {
    if (state_->committed) return;
    state_->file.Close();
    if (!state_->temporary.empty()) unlink(state_->temporary.c_str());
}

bool ReplacingFileWriter::Write(std::string_view bytes) {
    State& state = *state_;
    while (state.error.empty() && !bytes.empty()) {
        const ssize_t written = write(state.file.Get(), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno != EINTR) state.Fail(errno);
            continue;
        }
        if (written == 0) {
            state.Fail(EIO);
            break;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return state.error.empty();
}

bool ReplacingFileWriter::Commit() {
    State& state = *state_;
    if (!state.error.empty()) return false;
    if (!state.temporary.empty() && fsync(state.file.Get()) != 0) {
        state.Fail(errno);
        return false;
    }
    if (!state.file.Close()) {
        state.Fail(errno);
        return false;
    }
    if (!state.temporary.empty() && rename(state.temporary.c_str(), state.target.c_str()) != 0) {
        state.Fail(errno);
        return false;
    }
    state.committed = true;
    return true;
}

const std::string& ReplacingFileWriter::Error() const {
    return state_->error;
}

}  // namespace sumbrook
