// The frame that minisign's and signify's files share: a comment line with
// a fixed prefix, then one line of base64 of a fixed number of bytes:
//
//   untrusted comment: <up to 1024 bytes>
//   RWQ...base64...
//
// (minisign's signature holds a second such pair, its "trusted comment:").
// A line ends in LF, or CR LF; the last may end with the text. The base64
// is strict (RFC 4648: the standard alphabet, its padding, no unused bits
// set), so that one text has one meaning.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sumbrook {

struct CommentedBase64 {
    bool ok = false;
    std::string error;       // why not
    std::string comment;     // after the prefix
    std::string line;        // the base64 line
    std::string bytes;       // decoded, exactly as many as asked
    std::size_t end = 0;     // where the text after the base64 line starts
    bool endedLine = false;  // whether the base64 line ended in LF
};

// The pair at `at` in `text`: the comment line must start with `prefix`
// and hold at most `commentLimit` bytes after it; the base64 must decode
// to exactly `size` bytes.
CommentedBase64 ReadCommentedBase64(std::string_view text, std::size_t at, std::string_view prefix,
                                    std::size_t commentLimit, std::size_t size);

// Strict base64 of one line (RFC 4648 4, padded); false for anything else.
bool DecodeStrictBase64(std::string_view text, std::string& out);

// `bytes` as base64 (RFC 4648 4, padded).
std::string EncodeBase64(std::string_view bytes);

// The line at `at` (without its LF or CR LF), and where the next starts.
std::string_view LineAt(std::string_view text, std::size_t at, std::size_t& next, bool& endedLine);

}  // namespace sumbrook
