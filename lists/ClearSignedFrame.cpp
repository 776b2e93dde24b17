#include "lists/ClearSignedFrame.h"

#include <utility>

namespace sumbrook {

namespace {

constexpr std::string_view kBegin = "-----BEGIN PGP SIGNED MESSAGE-----";
constexpr std::string_view kSignatureBegin = "-----BEGIN PGP SIGNATURE-----";
constexpr std::string_view kSignatureEnd = "-----END PGP SIGNATURE-----";

// Without the blanks, tabs and CR at its end, which no signature covers.
std::string_view Trimmed(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    return line;
}

// "Name: value", as the armour headers are.
bool IsHeader(std::string_view line) {
    const std::size_t colon = line.find(": ");
    return colon != std::string_view::npos && colon > 0 && line.find_first_of(" \t") == colon + 1;
}

// The names of "Hash: SHA256,SHA512" into `hashes`; false unless each is a
// digest's name (upper-case letters and digits).
bool TakeHashHeader(std::string_view value, std::vector<std::string>& hashes) {
    for (;;) {
        const std::size_t comma = value.find(',');
        std::string_view name = value.substr(0, comma);
        while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
        if (name.empty() || name.size() > 16) return false;
        for (const char c : name) {
            if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
        }
        hashes.emplace_back(name);
        if (comma == std::string_view::npos) return true;
        value.remove_prefix(comma + 1);
    }
}

}  // namespace

bool ClearSignedFrame::IsStart(std::string_view line) {
    return Trimmed(line) == kBegin;
}

ClearSignedFrame::Part ClearSignedFrame::Take(std::string_view line, std::string_view& text,
                                              std::string& error) {
    const std::string_view trimmed = Trimmed(line);
    switch (place_) {
        case Place::kStart:
            if (trimmed != kBegin) {
                error = "text before \"" + std::string(kBegin) + "\", which is not signed";
                return Part::kError;
            }
            place_ = Place::kHeaders;
            return Part::kFrame;
        case Place::kHeaders:
            if (trimmed.empty()) {
                place_ = Place::kSigned;
            } else if (!IsHeader(trimmed)) {
                error = "expected a header of the signed text (\"Hash: SHA256\") or a blank line";
                return Part::kError;
            } else if (trimmed.substr(0, 6) != "Hash: " ||
                       !TakeHashHeader(trimmed.substr(6), parts_.hashes)) {
                error = "the header \"" + std::string(trimmed.substr(0, 60)) +
                        "\" is not signed; a signed text has only \"Hash:\" headers";
                return Part::kError;
            }
            return Part::kFrame;
        case Place::kSigned:
            if (trimmed == kSignatureBegin) {
                place_ = Place::kSignature;
                parts_.signature.append(trimmed).push_back('\n');
                return Part::kFrame;
            }
            if (!trimmed.empty() && trimmed.front() == '-') {
                if (trimmed.substr(0, 2) != "- ") {
                    error = "a line starting with '-' that is not dash-escaped (\"- -\")";
                    return Part::kError;
                }
                text = trimmed.substr(2);
            } else {
                text = trimmed;
            }
            if (!firstSigned_) parts_.text.append("\r\n");
            firstSigned_ = false;
            parts_.text.append(text);
            return Part::kSigned;
        case Place::kSignature:
            parts_.signature.append(trimmed).push_back('\n');
            if (trimmed == kSignatureEnd) place_ = Place::kAfter;
            return Part::kFrame;
        case Place::kAfter:
            if (trimmed == kBegin) {
                error = "a second signed text in the same file";
                return Part::kError;
            }
            if (!trimmed.empty()) {
                error = "text after the signature, which is not signed";
                return Part::kError;
            }
            return Part::kFrame;
    }
    return Part::kFrame;
}

std::string ClearSignedFrame::Unfinished() const {
    switch (place_) {
        case Place::kStart:
        case Place::kHeaders:
            return "the signed text ends in its headers";
        case Place::kSigned:
            return "the signed text ends without its signature";
        case Place::kSignature:
            return "the signed text ends inside its signature";
        case Place::kAfter:
            break;
    }
    return {};
}

ClearSignedRead SplitClearSigned(std::string_view bytes) {
    ClearSignedRead read;
    ClearSignedFrame frame;
    std::string_view text;
    while (!bytes.empty()) {
        ++read.line;
        const std::size_t end = bytes.find('\n');
        const std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (frame.Take(line, text, read.error) == ClearSignedFrame::Part::kError) return read;
    }
    read.error = frame.Unfinished();
    if (!read.error.empty()) return read;
    read.ok = true;
    read.line = 0;
    read.parts = frame.TakeParts();
    return read;
}

}  // namespace sumbrook
