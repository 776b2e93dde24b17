#include "lists/ClearSignedFrame.h"

namespace sumbrook {

namespace {

constexpr std::string_view kBegin = "-----BEGIN PGP SIGNED MESSAGE-----";
constexpr std::string_view kSignatureBegin = "-----BEGIN PGP SIGNATURE-----";
constexpr std::string_view kSignatureEnd = "-----END PGP SIGNATURE-----";

// Without the blanks at its end, which the frame's lines may carry.
std::string_view Trimmed(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    return line;
}

// "Name: value", as the armor headers are.
bool IsHeader(std::string_view line) {
    const std::size_t colon = line.find(": ");
    return colon != std::string_view::npos && colon > 0 && line.find_first_of(" \t") == colon + 1;
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
            place_ = Place::kHeaders;
            return Part::kFrame;
        case Place::kHeaders:
            if (trimmed.empty()) {
                place_ = Place::kSigned;
            } else if (!IsHeader(line)) {
                error = "expected a header of the signed list (\"Hash: SHA256\") or a blank line";
                return Part::kError;
            }
            return Part::kFrame;
        case Place::kSigned:
            if (trimmed == kSignatureBegin) {
                place_ = Place::kSignature;
                return Part::kFrame;
            }
            text = line.substr(0, 2) == "- " ? line.substr(2) : line;
            return Part::kSigned;
        case Place::kSignature:
            if (trimmed == kSignatureEnd) place_ = Place::kAfter;
            return Part::kFrame;
        case Place::kAfter:
            if (!trimmed.empty()) {
                error = "text after the signature";
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
            return "the signed list ends in its headers";
        case Place::kSigned:
            return "the signed list ends without its signature";
        case Place::kSignature:
            return "the signed list ends inside its signature";
        case Place::kAfter:
            break;
    }
    return {};
}

}  // namespace sumbrook
