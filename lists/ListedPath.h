// Turns a file name from a checksum list into a path inside the folder being
// checked, or refuses it when it could reach anything outside that folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sumbrook {

struct ListedPath {
    bool ok = false;
    std::vector<std::string> components;  // when ok: at least one, none empty, "." or ".."
    std::string error;                    // when not ok: why the name is refused
};

// Splits `name` at '/' and '\', drops empty and "." components and lets ".."
// remove the component before it. Refuses:
// - an absolute name ("/x", "\x", "\\server\share") or one with a drive ("C:x");
// - ".." that climbs above the folder, and a name that leaves no component;
// - a component with ':', which Windows reads as a drive or as a named data
//   stream of a file ("a.txt:hidden"), not as part of a file name;
// - a component of dots and blanks only other than "." and "..", which
//   Windows trims to "." or ".." or to nothing;
// - a device name of Windows (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9,
//   LPT1-9; any case, with or without an extension), which opens a device
//   instead of a file;
// - a control byte.
// The same names are refused on every system, so that a list reads the same
// everywhere.
ListedPath ResolveListedPath(std::string_view name);

// The components joined by `separator` ('/' to show, '\\' on Windows).
std::string JoinListedPath(const std::vector<std::string>& components, char separator);

}  // namespace sumbrook
