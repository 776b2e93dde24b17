#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <random>

#include "platform/PosixHandles.h"
#include "platform/ReplacingFileWriter.h"
#include "platform/SystemErrorText.h"

namespace sumbrook {

namespace {

constexpr int kMostLinks = 40;                 // as the kernel follows (MAXSYMLINKS)
constexpr std::size_t kNameStartBytes = 32;    // of the name, in the temporary file's
constexpr std::size_t kWritePiece = 1U << 20;  // bytes per write: signals are seen between

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RealPath(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return {};
    std::string real = resolved;
    std::free(resolved);
    return real;
}

// The descriptor of this process that `path` names as a file of its
// descriptor folder (/proc/self/fd/1, /dev/fd/1 and the like, however the
// folder is reached); -1 when it names none.
int OwnDescriptorNamed(const std::string& path) {
    const std::string name = NameOf(path);
    if (name.empty() || name.size() > 9 ||
        name.find_first_not_of("0123456789") != std::string::npos) {
        return -1;
    }
    const std::string folder = RealPath(FolderOf(path));
    if (folder.empty()) return -1;
    for (const char* own : {"/proc/self/fd", "/proc/thread-self/fd"}) {
        if (folder == RealPath(own)) return std::atoi(name.c_str());
    }
    return -1;
}

// The start of `name` for the temporary file's name, cut before a UTF-8
// character that would not fit whole.
std::string NameStart(const std::string& name) {
    if (name.size() <= kNameStartBytes) return name;
    std::size_t end = kNameStartBytes;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0U) == 0x80U) --end;
    return name.substr(0, end);
}

std::string UniqueEnding(std::random_device& random) {
    constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::uint32_t value = random();
    std::string ending;
    for (int digit = 0; digit < 6; ++digit) {
        ending += kDigits[value % 36];
        value /= 36;
    }
    return ending;
}

const char* SignalName(int signal) {
    switch (signal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        default:
            return "SIGHUP";
    }
}

// The signal that asked the process to end while a temporary file existed;
// 0 while none did.
volatile std::sig_atomic_t g_endRequested = 0;

extern "C" void RequestEnd(int signal) {
    g_endRequested = signal;
}

// While it lives: SIGINT, SIGTERM and SIGHUP, where their action is the
// default, are noted in g_endRequested (interrupting a blocked write rather
// than restarting it), and SIGXFSZ is ignored. Afterwards the earlier
// actions are back, and an end that was asked for after the last look at it
// ends the process as the signal would have.
class EndSignalScope {
  public:
    EndSignalScope() {
        g_endRequested = 0;
        struct sigaction noting {};
        noting.sa_handler = RequestEnd;
        sigemptyset(&noting.sa_mask);
        for (std::size_t i = 0; i < kEnding.size(); ++i) {
            struct sigaction current {};
            taken_[i] = sigaction(kEnding[i], nullptr, &current) == 0 &&
                        current.sa_handler == SIG_DFL &&
                        sigaction(kEnding[i], &noting, &earlier_[i]) == 0;
        }
        struct sigaction ignoring {};
        ignoring.sa_handler = SIG_IGN;
        sigemptyset(&ignoring.sa_mask);
        sizeLimitTaken_ = sigaction(SIGXFSZ, &ignoring, &earlierSizeLimit_) == 0;
    }
    ~EndSignalScope() {
        if (sizeLimitTaken_) sigaction(SIGXFSZ, &earlierSizeLimit_, nullptr);
        for (std::size_t i = 0; i < kEnding.size(); ++i) {
            if (taken_[i]) sigaction(kEnding[i], &earlier_[i], nullptr);
        }
        const int pending = g_endRequested;
        g_endRequested = 0;
        if (pending != 0 && !consumed_) raise(pending);
    }
    EndSignalScope(const EndSignalScope&) = delete;
    EndSignalScope& operator=(const EndSignalScope&) = delete;

    // The signal that asked to end, which the caller now answers by failing
    // (it is not raised again); 0 when none did.
    int Consume() {
        const int signal = g_endRequested;
        if (signal != 0) consumed_ = true;
        return signal;
    }

  private:
    static constexpr std::array<int, 3> kEnding{SIGINT, SIGTERM, SIGHUP};
    std::array<struct sigaction, 3> earlier_{};
    std::array<bool, 3> taken_{};
    struct sigaction earlierSizeLimit_ {};
    bool sizeLimitTaken_ = false;
    bool consumed_ = false;
};

// A socket at `path`, connected for writing; -1 with errno set when not.
int ConnectSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ScopedFd socketFd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socketFd.IsValid() ||
        connect(socketFd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return -1;
    }
    return socketFd.Release();
}

}  // namespace

struct ReplacingFileWriter::State {
    ScopedFd file;
    std::string target;     // the file replaced at Commit
    std::string temporary;  // where the bytes go until then; empty: written directly
    std::string error;
    bool replaces = false;  // a file was at `target`
    bool committed = false;
    std::unique_ptr<EndSignalScope> signals;

    void Fail(int code) { Fail(SystemErrorText(static_cast<unsigned long>(code))); }
    void Fail(const std::string& text) {
        if (error.empty()) error = text;
    }
    // False, with the failure noted, once a signal has asked the process to end.
    bool StillWanted() {
        const int signal = signals ? signals->Consume() : 0;
        if (signal != 0) Fail(std::string("interrupted by ") + SignalName(signal));
        return error.empty();
    }

    void WriteDirectly(int fd) {
        file.Reset(fd);
        if (!file.IsValid()) Fail(errno);
    }
    void StartTemporary(const struct stat* existing);
};

void ReplacingFileWriter::State::StartTemporary(const struct stat* existing) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string start = "." + NameStart(NameOf(target)) + ".";
    signals = std::make_unique<EndSignalScope>();
    std::random_device random;
    for (int attempt = 0; attempt < 100 && !file.IsValid(); ++attempt) {
        const std::string candidate = folder + start + UniqueEnding(random) + ".tmp";
        file.Reset(open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (file.IsValid()) {
            temporary = candidate;
        } else if (errno == EACCES || errno == EPERM || errno == EROFS) {
            Fail(
                "the folder does not allow the temporary file beside it that the new content "
                "goes to first (" +
                SystemErrorText(static_cast<unsigned long>(errno)) + ")");
            return;
        } else if (errno != EEXIST) {
            Fail(errno);
            return;
        }
    }
    if (!file.IsValid()) {
        Fail(EEXIST);
        return;
    }
    // The new file keeps the owner and group of the one it replaces where
    // the system allows (root, or a group of the user's), then its permissions.
    if (existing != nullptr && (existing->st_uid != geteuid() || existing->st_gid != getegid()) &&
        fchown(file.Get(), existing->st_uid, existing->st_gid) != 0) {
        (void)fchown(file.Get(), static_cast<uid_t>(-1), existing->st_gid);
    }
    if (existing != nullptr && fchmod(file.Get(), existing->st_mode & 07777) != 0) Fail(errno);
}

ReplacingFileWriter::ReplacingFileWriter(const std::string& path) : state_(new State) {
    State& state = *state_;
    std::string current = path;
    for (int links = 0;; ++links) {
        const int descriptor = OwnDescriptorNamed(current);
        if (descriptor >= 0) {
            const int flags = fcntl(descriptor, F_GETFL);
            if (flags == -1 || (flags & O_ACCMODE) == O_RDONLY) {
                state.Fail(EBADF);
                return;
            }
            state.WriteDirectly(fcntl(descriptor, F_DUPFD_CLOEXEC, 3));
            return;
        }
        struct stat info {};
        if (lstat(current.c_str(), &info) != 0) {
            if (errno != ENOENT) {
                state.Fail(errno);
                return;
            }
            // Nothing there yet: a new file, at the end of the links.
            state.target = current;
            state.StartTemporary(nullptr);
            return;
        }
        if (!S_ISLNK(info.st_mode)) break;
        if (links == kMostLinks) {
            state.Fail(ELOOP);
            return;
        }
        std::array<char, PATH_MAX> named{};
        const ssize_t length = readlink(current.c_str(), named.data(), named.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= named.size()) {
            state.Fail(length < 0 ? errno : ENAMETOOLONG);
            return;
        }
        const std::string_view next(named.data(), static_cast<std::size_t>(length));
        if (next.front() == '/') {
            current = next;
        } else {
            current = FolderOf(current).append("/").append(next);
        }
    }

    // Not a link: what it is decides, as found once it is open.
    struct stat existing {};
    if (stat(current.c_str(), &existing) != 0) {
        state.Fail(errno);
        return;
    }
    if (S_ISCHR(existing.st_mode) || S_ISFIFO(existing.st_mode)) {
        ScopedFd opened(open(current.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
        if (!opened.IsValid() || fstat(opened.Get(), &existing) != 0) {
            state.Fail(errno);
            return;
        }
        if (!S_ISREG(existing.st_mode)) {
            state.file = std::move(opened);
            return;
        }
        // A regular file by now: replaced below.
    }
    if (S_ISSOCK(existing.st_mode)) {
        state.WriteDirectly(ConnectSocket(current));
        return;
    }
    if (S_ISDIR(existing.st_mode)) {
        state.Fail(EISDIR);
        return;
    }
    if (!S_ISREG(existing.st_mode)) {
        state.Fail("a block device or another special file, which a list is not written to");
        return;
    }
    state.target = current;
    state.replaces = true;
    // A file its owner keeps from being written is not replaced either.
    if (access(current.c_str(), W_OK) != 0) {
        state.Fail("the file may not be written (" +
                   SystemErrorText(static_cast<unsigned long>(errno)) + ")");
        return;
    }
    state.StartTemporary(&existing);
}

ReplacingFileWriter::~ReplacingFileWriter() {
    if (!state_->committed) {
        state_->file.Close();
        if (!state_->temporary.empty()) unlink(state_->temporary.c_str());
    }
    state_->signals.reset();
}

bool ReplacingFileWriter::Write(std::string_view bytes) {
    State& state = *state_;
    while (state.StillWanted() && !bytes.empty()) {
        const std::size_t piece = bytes.size() < kWritePiece ? bytes.size() : kWritePiece;
        const ssize_t written = write(state.file.Get(), bytes.data(), piece);
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
    if (!state.StillWanted()) return false;
    if (!state.temporary.empty() && fsync(state.file.Get()) != 0) {
        state.Fail(errno);
        return false;
    }
    if (!state.file.Close()) {
        state.Fail(errno);
        return false;
    }
    if (!state.StillWanted()) return false;
    if (!state.temporary.empty() && rename(state.temporary.c_str(), state.target.c_str()) != 0) {
        state.Fail("the new content cannot take the file's place (" +
                   SystemErrorText(static_cast<unsigned long>(errno)) + ")");
        return false;
    }
    state.committed = true;
    return true;
}

const std::string& ReplacingFileWriter::Error() const {
    return state_->error;
}

bool ReplacingFileWriter::ReplacesAFile() const {
    return state_->replaces;
}

}  // namespace sumbrook
