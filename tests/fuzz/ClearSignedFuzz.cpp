// Fuzz target for the clear-signed frame (libFuzzer; `make fuzz`): any text
// is split or refused with a line and a reason; what is split has no line
// end inside a signed line but the CR LF that joins them, no line of it
// ends in a blank or a tab, its signature starts and ends with the
// signature's armour lines, and the same text split line by line through
// the frame (as the list reader uses it) gives the same signed text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "lists/ClearSignedFrame.h"

namespace {

using namespace sumbrook;  // NOLINT

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const ClearSignedRead read = SplitClearSigned(input);
    if (!read.ok) {
        Require(!read.error.empty() && read.line <= size + 1);
        return 0;
    }
    const std::string& text = read.parts.text;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\n') Require(at > 0 && text[at - 1] == '\r');
        if (text[at] == '\r') {
            Require(at + 1 < text.size() && text[at + 1] == '\n');
            Require(at == 0 || (text[at - 1] != ' ' && text[at - 1] != '\t'));
        }
    }
    Require(read.parts.signature.compare(0, 29, "-----BEGIN PGP SIGNATURE-----") == 0);
    ClearSignedFrame frame;
    std::string again;
    std::string error;
    std::string_view rest = input;
    bool first = true;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        std::string_view signedLine;
        const ClearSignedFrame::Part part = frame.Take(line, signedLine, error);
        Require(part != ClearSignedFrame::Part::kError);
        if (part == ClearSignedFrame::Part::kSigned) {
            if (!first) again += "\r\n";
            again += signedLine;
            first = false;
        }
    }
    Require(frame.Unfinished().empty() && again == text);
    return 0;
}
