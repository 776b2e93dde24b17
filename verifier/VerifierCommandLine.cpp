#include "verifier/VerifierCommandLine.h"

#include <cstddef>

namespace sumbrook {

const char kVerifierUsage[] =
    "SumbrookVerify.exe LIST [/folder DIR] [/r] [/uncached] [/report FILE] [/close]\n"
    "SumbrookVerify.exe /new FOLDER [/r] [/save FILE] [/close]";

namespace {

std::string AsciiLower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

ParsedVerifierCommandLine Refused(std::string error) {
    ParsedVerifierCommandLine parsed;
    parsed.error = std::move(error);
    return parsed;
}

}  // namespace

ParsedVerifierCommandLine ParseVerifierCommandLine(const std::vector<std::string>& arguments) {
    ParsedVerifierCommandLine parsed;
    VerifierRequest& request = parsed.request;
    bool folderGiven = false;
    bool newGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.empty() || argument[0] != '/') {
            if (!request.list.empty()) {
                return Refused("two lists given: \"" + request.list + "\" and \"" + argument +
                               "\"");
            }
            if (argument.empty()) return Refused("an empty list name");
            request.list = argument;
            continue;
        }
        const std::string option = AsciiLower(argument);
        if (option == "/r") {
            request.recursive = true;
        } else if (option == "/uncached") {
            request.uncached = true;
        } else if (option == "/close") {
            request.closeWhenDone = true;
        } else if (option == "/folder" || option == "/report" || option == "/new" ||
                   option == "/save") {
            if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
                return Refused(argument + " needs a value after it");
            }
            const std::string& value = arguments[++i];
            if (option == "/report") {
                request.report = value;
            } else if (option == "/save") {
                request.saveAs = value;
            } else {
                if (folderGiven || newGiven) return Refused("more than one folder given");
                (option == "/new" ? newGiven : folderGiven) = true;
                request.folder = value;
            }
        } else {
            return Refused("unknown option " + argument);
        }
    }
    if (newGiven) {
        if (!request.list.empty() || !request.report.empty() || request.uncached) {
            return Refused("/new takes a folder, /r, /save and /close only");
        }
        request.start = VerifierRequest::Start::kNewList;
    } else if (!request.saveAs.empty()) {
        return Refused("/save is for /new");
    } else if (!request.list.empty()) {
        request.start = VerifierRequest::Start::kCheck;
    } else if (folderGiven || !request.report.empty() || request.closeWhenDone ||
               request.recursive || request.uncached) {
        return Refused("no list given");
    }
    parsed.ok = true;
    return parsed;
}

}  // namespace sumbrook
