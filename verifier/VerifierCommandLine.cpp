#include "verifier/VerifierCommandLine.h"

#include <cstddef>

#include "lists/PastedDigest.h"

namespace sumbrook {

const char kVerifierUsage[] =
    "SumbrookVerify.exe LIST [/folder DIR] [/r] [/uncached] [/skipmissing] [/report FILE] "
    "[/close]\n"
    "SumbrookVerify.exe /new FOLDER [/r] [/save FILE] [/tag] [/close]\n"
    "SumbrookVerify.exe /file FILE [/expect DIGEST] [/signature SIG] [/report FILE] [/close]";

namespace {

std::string AsciiLower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// "/x", "/close": a slash and letters only. "/tmp/a.sfv" is a path.
bool LooksLikeOption(const std::string& argument) {
    if (argument.size() < 2 || argument[0] != '/') return false;
    for (std::size_t i = 1; i < argument.size(); ++i) {
        if (!IsLetter(argument[i])) return false;
    }
    return true;
}

// The options this program knows: never taken for the value of another
// ("/file /close" names no file).
bool IsKnownOption(const std::string& argument) {
    static const char* const kOptions[] = {"/r",      "/uncached", "/skipmissing", "/tag",
                                           "/close",  "/file",     "/expect",      "/folder",
                                           "/report", "/new",      "/save",        "/signature"};
    const std::string lower = AsciiLower(argument);
    for (const char* option : kOptions) {
        if (lower == option) return true;
    }
    return false;
}

bool AsksForHelp(const std::string& argument) {
    const std::string lower = AsciiLower(argument);
    return lower == "/?" || lower == "/help" || lower == "-h" || lower == "-?" || lower == "--help";
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

ParsedVerifierCommandLine ParseVerifierCommandLine(const std::vector<std::string>& arguments) {
    ParsedVerifierCommandLine parsed;
    VerifierRequest& request = parsed.request;
    const auto refuse = [&parsed](std::string error) {
        parsed.error = std::move(error);
        return parsed;
    };
    bool folderGiven = false;
    bool newGiven = false;
    bool fileGiven = false;
    // /close first, so that a fault further on is still told as it asks.
    for (const std::string& argument : arguments) {
        if (AsciiLower(argument) == "/close") request.closeWhenDone = true;
    }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (AsksForHelp(argument)) {
            request = VerifierRequest();
            request.start = VerifierRequest::Start::kHelp;
            parsed.ok = true;
            return parsed;
        }
        if (!LooksLikeOption(argument)) {
            if (argument.size() > 1 && argument[0] == '-' && argument[1] == '-') {
                return refuse("unknown option " + argument + " (options start with /)");
            }
            if (!request.list.empty()) {
                return refuse("two lists given: \"" + request.list + "\" and \"" + argument + "\"");
            }
            if (argument.empty()) return refuse("an empty list name");
            request.list = argument;
            continue;
        }
        const std::string option = AsciiLower(argument);
        if (option == "/r") {
            request.recursive = true;
        } else if (option == "/uncached") {
            request.uncached = true;
        } else if (option == "/skipmissing") {
            request.ignoreMissing = true;
        } else if (option == "/tag") {
            request.tag = true;
        } else if (option == "/close") {
            request.closeWhenDone = true;
        } else if (option == "/file" || option == "/expect") {
            if (i + 1 == arguments.size() || arguments[i + 1].empty() ||
                IsKnownOption(arguments[i + 1])) {
                return refuse(argument + " needs a value after it");
            }
            bool& given = option == "/file" ? fileGiven : request.expectGiven;
            if (given) return refuse(argument + " given twice");
            given = true;
            (option == "/file" ? request.file : request.expected) = arguments[++i];
        } else if (option == "/folder" || option == "/report" || option == "/new" ||
                   option == "/save" || option == "/signature") {
            if (i + 1 == arguments.size() || arguments[i + 1].empty() ||
                IsKnownOption(arguments[i + 1])) {
                return refuse(argument + " needs a value after it");
            }
            const std::string& value = arguments[++i];
            std::string& slot = option == "/report"      ? request.report
                                : option == "/save"      ? request.saveAs
                                : option == "/signature" ? request.signature
                                                         : request.folder;
            if (option == "/folder" || option == "/new") {
                if (folderGiven || newGiven) return refuse("more than one folder given");
                (option == "/new" ? newGiven : folderGiven) = true;
            } else if (!slot.empty()) {
                std::string twice = argument;
                twice.append(" given twice: \"").append(slot).append("\" and \"").append(value);
                return refuse(twice + "\"");
            }
            slot = value;
        } else {
            return refuse("unknown option " + argument);
        }
    }
    if (fileGiven) {
        if (newGiven || folderGiven || !request.list.empty() || !request.saveAs.empty() ||
            request.recursive || request.uncached || request.ignoreMissing || request.tag) {
            return refuse("/file takes a file, /expect, /signature, /report and /close only");
        }
        // A digest no algorithm has is refused here, with the reason, as a
        // script's other faults are.
        if (request.expectGiven) {
            const PastedDigest expected = ParsePastedDigest(request.expected);
            if (!expected.ok) {
                return refuse("/expect \"" + request.expected.substr(0, 80) +
                              "\": " + expected.error);
            }
        }
        request.start = VerifierRequest::Start::kFile;
    } else if (request.expectGiven || !request.signature.empty()) {
        return refuse(request.expectGiven ? "/expect is for /file" : "/signature is for /file");
    } else if (newGiven) {
        if (!request.list.empty() || !request.report.empty() || request.uncached ||
            request.ignoreMissing) {
            return refuse("/new takes a folder, /r, /save, /tag and /close only");
        }
        request.start = VerifierRequest::Start::kNewList;
    } else if (!request.saveAs.empty() || request.tag) {
        return refuse(request.tag ? "/tag is for /new" : "/save is for /new");
    } else if (!request.list.empty()) {
        request.start = VerifierRequest::Start::kCheck;
    } else if (folderGiven || !request.report.empty() || request.closeWhenDone ||
               request.recursive || request.uncached || request.ignoreMissing) {
        return refuse("no list given");
    }
    parsed.ok = true;
    return parsed;
}

std::vector<std::string> SplitVerifierCommandLine(const std::string& commandLine) {
    std::vector<std::string> arguments;
    std::size_t at = 0;
    while (true) {
        while (at < commandLine.size() && IsBlank(commandLine[at])) ++at;
        if (at == commandLine.size()) break;
        std::string argument;
        bool quoted = false;
        for (; at < commandLine.size() && (quoted || !IsBlank(commandLine[at])); ++at) {
            if (commandLine[at] == '"') {
                quoted = !quoted;
            } else {
                argument += commandLine[at];
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::string UnquotedPath(const std::string& typed) {
    std::size_t first = 0;
    std::size_t end = typed.size();
    while (first < end && IsBlank(typed[first])) ++first;
    while (end > first && IsBlank(typed[end - 1])) --end;
    if (end - first >= 2 && typed[first] == '"' && typed[end - 1] == '"') {
        ++first;
        --end;
    }
    return typed.substr(first, end - first);
}

}  // namespace sumbrook
