// The command line of SumbrookVerify.exe, for shortcuts, "Open with", the
// Explorer verbs and scripts:
//   SumbrookVerify.exe LIST [/folder DIR] [/r] [/uncached] [/report FILE] [/close]
//   SumbrookVerify.exe /new FOLDER [/r] [/save FILE] [/close]
// (/new without /save asks where the list goes, as "New list..." does.)
// Options are case-insensitive; a value follows its option as the next
// argument.
#pragma once

#include <string>
#include <vector>

namespace sumbrook {

struct VerifierRequest {
    enum class Start {
        kNothing,  // no list: the window waits for one
        kCheck,    // check `list` at once
        kNewList,  // "New list..." for `folder`
    };
    Start start = Start::kNothing;
    std::string list;
    std::string
        folder;  // kCheck: the folder to check ("" = as the list says); kNewList: the folder
    std::string report;  // kCheck: where the report goes when the check ends ("" = nowhere)
    std::string saveAs;  // kNewList: where the list goes ("" = ask)
    bool recursive = false;
    bool uncached = false;
    bool closeWhenDone = false;  // end the program when the run ends, with no message box
};

struct ParsedVerifierCommandLine {
    bool ok = false;
    VerifierRequest request;
    std::string error;  // when not ok: what is wrong, for the user
};

// `arguments` without the program's own name, UTF-8.
ParsedVerifierCommandLine ParseVerifierCommandLine(const std::vector<std::string>& arguments);

// The two forms above, for a message.
extern const char kVerifierUsage[];

}  // namespace sumbrook
