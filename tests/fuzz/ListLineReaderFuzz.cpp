// Fuzz target for the line reader under every list reader (libFuzzer;
// `make fuzz`). The input's first byte is the size of the pieces it is fed
// in, the rest the list. The lines handed on must be those of a plain model
// of the rules (the text decoded from UTF-16 when it starts so, split at LF,
// one byte-order mark and one CR dropped from each line), numbered from 1,
// the same whatever the pieces; a refusal must name a reason and a line (0
// for a list that is no UTF-16 text though it starts so).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lists/ListEncoding.h"
#include "lists/ListLineReader.h"

namespace {

using namespace sumbrook;  // NOLINT

void Require(bool condition) {
    if (!condition) std::abort();
}

struct Lines : ListLineSink {
    std::vector<std::string> lines;
    bool TakeLine(std::string_view line, std::size_t number, std::string&) override {
        Require(number == lines.size() + 1);
        lines.emplace_back(line);
        return true;
    }
};

// The lines by the rules, or false when the model refuses the text.
bool ModelLines(std::string_view text, std::vector<std::string>& lines) {
    std::string decoded;
    const ListEncoding encoding = ListEncodingOf(text);
    if (encoding == ListEncoding::kUtf16Le || encoding == ListEncoding::kUtf16Be) {
        Utf16Decoder decoder(encoding == ListEncoding::kUtf16Be);
        if (!decoder.Add(text.substr(2), decoded) || !decoder.Finish()) return false;
        text = decoded;
    }
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > kMaxListLineLength) return false;
        lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t piece = std::size_t{data[0]} + 1;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    Lines sink;
    ListLineReader reader;
    for (std::size_t at = 0; at < text.size(); at += piece)
        reader.Add(text.substr(at, piece), sink);
    const bool read = reader.Finish(sink);

    std::vector<std::string> expected;
    const bool modelled = ModelLines(text, expected);
    Require(read == modelled);
    if (!read) {
        // A line refused, or (line 0) a list that starts as UTF-16 and is none.
        Require(!reader.Fault().empty());
        Require(reader.FaultLine() == sink.lines.size() + 1 ||
                (reader.FaultLine() == 0 && (ListEncodingOf(text) == ListEncoding::kUtf16Le ||
                                             ListEncodingOf(text) == ListEncoding::kUtf16Be)));
        // Every line before the refused one was handed on as the model has it.
        for (std::size_t i = 0; i < sink.lines.size() && i < expected.size(); ++i) {
            Require(sink.lines[i] == expected[i]);
        }
        return 0;
    }
    Require(sink.lines == expected && reader.Lines() == expected.size());
    return 0;
}
