// The command line of SumbrookVerify.exe, for shortcuts, "Open with", the
// Explorer verbs and scripts:
//   SumbrookVerify.exe LIST [/folder DIR] [/r] [/uncached] [/skipmissing]
//                      [/report FILE] [/close]
//   SumbrookVerify.exe /new FOLDER [/r] [/save FILE] [/tag] [/close]
//   SumbrookVerify.exe /file FILE [/expect DIGEST] [/signature SIG] [/report FILE]
//                      [/close]
//   SumbrookVerify.exe /?   (also /help, -h, --help: the usage)
// (/new without /save asks where the list goes and which list it is, as
// "New list..." does; with /save the list is the one its name names,
// NewListKindOfTarget, in tag lines with /tag. /skipmissing is the command
// line's --ignore-missing. /file checks the detached signature beside the
// file, or SIG, with the key store's keys; its /report holds the digests'
// sum lines and --check-signature's lines.)
// Options are a '/' and letters, in any case; a value follows its option as
// the next argument, and is never one of the options. Any other argument is a path, also one that
// starts with '/' ("/home/u/a.sfv" under Wine).
#pragma once

#include <string>
#include <vector>

namespace sumbrook {

struct VerifierRequest {
    enum class Start {
        kNothing,  // no list: the window waits for one
        kCheck,    // check `list` at once
        kNewList,  // "New list..." for `folder`
        kFile,     // the digests of `file`, against `expected` when given
        kHelp,     // show the usage and end
    };
    Start start = Start::kNothing;
    std::string list;
    std::string
        folder;  // kCheck: the folder to check ("" = as the list says); kNewList: the folder
    std::string report;  // kCheck, kFile: where the report goes at the end ("" = nowhere)
    std::string saveAs;  // kNewList: where the list goes ("" = ask)
    std::string file;    // kFile: the file
    // kFile: the digest the file should have, as pasted (lists/PastedDigest.h);
    // a text that is no digest is refused with the command line.
    std::string expected;
    bool expectGiven = false;
    std::string signature;  // kFile: the file's detached signature ("" = the one beside it)
    bool recursive = false;
    bool uncached = false;
    bool ignoreMissing = false;  // kCheck: the listed files not there are left out
    bool tag = false;            // kNewList with saveAs: tag lines
    bool closeWhenDone = false;  // end the program when the run ends, with no message box
};

struct ParsedVerifierCommandLine {
    bool ok = false;
    // When not ok, what was read before the fault (so that /close and
    // /report can still be honoured) and what is wrong, for the user.
    VerifierRequest request;
    std::string error;
};

// `arguments` without the program's own name, UTF-8.
ParsedVerifierCommandLine ParseVerifierCommandLine(const std::vector<std::string>& arguments);

// The arguments of a whole command line (UTF-8), the program's name first.
// Blanks and tabs separate arguments outside double quotes; a quote starts
// or ends a quoted part and is dropped. A backslash is always itself, also
// before a quote, since no path holds a quote: "Z:\dir\" is Z:\dir\ and
// ends there, where the C runtime's rule would take \" for a quote and run
// on into the next arguments.
std::vector<std::string> SplitVerifierCommandLine(const std::string& commandLine);

// A path as the user typed or pasted it: blanks around it dropped, and the
// double quotes around it that "Copy as path" adds.
std::string UnquotedPath(const std::string& typed);

// The forms above, for a message.
extern const char kVerifierUsage[];

}  // namespace sumbrook
