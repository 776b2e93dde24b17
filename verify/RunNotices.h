// What a run says beside its rows, worded once for both front ends: the
// refusal of a run, a folder that could not be listed, a list that names
// itself or is found under another name, a link to nothing left out. sumbrook-cli prints each as a
// line on standard error (NoticeLine); the verification window shows them and saves those lines in
// its report. Paths are shown with DisplayName's escapes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "verify/CheckSink.h"

namespace sumbrook {

// A refused run (`outcome.end` kRefused): "LIST: line 7: <reason>", or, when
// the error goes on from the subject, "LIST names no files; nothing was
// checked"; with no subject, the error alone.
std::string RefusalText(const CheckOutcome& outcome);

// "FOLDER: the folder cannot be listed: <reason>".
std::string FolderNotListedText(const std::string& path, const std::string& error);

// "LIST names itself on line 3; that line is not checked".
std::string ListNamesItselfText(const std::string& listPath, std::size_t line);

// "NAME is LIST itself (the same file); it is not checked".
std::string ListFoundAsText(const std::string& listPath, const std::string& name);

// "PATH: left out: a link that leads to no file (<reason>)".
std::string LinkLeftOutText(const std::string& path, const std::string& error);

// The summary line of a run that ran (SummaryLine) and, after it, each of
// its notes as sumbrook-cli prints them: "3 OK, ...; the list's signature
// was not checked".
std::string SummaryWithNotesLine(const CheckOutcome& outcome);

// The notice as a line of standard error: "sumbrook-cli: <sentence>", without
// the line end.
std::string NoticeLine(std::string_view sentence);

}  // namespace sumbrook
