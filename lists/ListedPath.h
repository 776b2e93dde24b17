// Turns a file name from a checksum list into a path inside the folder being
// checked, or refuses it when it could reach anything outside that folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sumbrook {

// The system whose rules a name is read by.
enum class PathSystem { kPosix, kWindows };

#ifdef _WIN32
inline constexpr PathSystem kThisPathSystem = PathSystem::kWindows;
#else
inline constexpr PathSystem kThisPathSystem = PathSystem::kPosix;
#endif

struct ListedPath {
    bool ok = false;
    // When ok: at least one, none empty, "." or "..", each a part of the name
    // resolved (which must outlive them).
    std::vector<std::string_view> components;
    std::string error;  // when not ok: why the name is refused
    // When not ok: the name is no danger, but `system` cannot hold a file of
    // that name (a device name or ':' on Windows), so it names no file
    // there. Its line is reported as such and the rest of the list is
    // checked; a refused name (false here) refuses the whole list.
    bool cannotBeHeld = false;
};

// How a control byte in a name is taken. An SFV list cannot hold one, so one
// there is refused; sum and tag lists escape LF and CR (and hold tabs), and
// name files that POSIX file systems hold: there such a byte is part of the
// name, and on Windows, which holds no bytes 1 to 31, its line is reported.
enum class ControlBytes { kRefused, kInNames };

// Splits `name` at '/' and '\' (at '/' alone on POSIX when not
// `backslashSeparates`: a name whose '\' is part of a file's name, as
// lists written on POSIX may hold), drops empty and "." components and lets
// ".." remove the component before it. Refuses, on every system:
// - an absolute name ("/x", "\x", "\\server\share") or one with a drive ("C:x":
//   a letter and ':' first, on POSIX too, where a list of Windows paths
//   would otherwise be read as folders named "C:");
// - ".." that climbs above the folder, and a name that leaves no component;
// - a control byte, unless `control` is kInNames: then only NUL.
// On Windows it also finds that Windows cannot hold (`cannotBeHeld`) a
// component of dots and blanks only other than "." and ".." (" ", "..."),
// which Windows trims to "." or ".." or to nothing; a component with ':',
// which it reads as a named data stream of a file ("a.txt:hidden"); a
// device name (IsWindowsDeviceName), which opens a device instead of a file;
// and with kInNames one with a byte from 1 to 31.
// Elsewhere those are ordinary names. On Windows a component is taken in the
// form Win32 resolves it to, without the dots and blanks it ends in, so that
// "b.txt." and "b.txt" are one path however the folder is named.
ListedPath ResolveListedPath(std::string_view name, PathSystem system = kThisPathSystem,
                             ControlBytes control = ControlBytes::kRefused,
                             bool backslashSeparates = true);

// The components joined by `separator` ('/' to show, '\\' on Windows).
std::string JoinListedPath(const std::vector<std::string_view>& components, char separator);

}  // namespace sumbrook
