// What one line of a checksum list says, in any line format: the common
// result of the line readers that ListFormat's descriptors name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "hash/Digest.h"

namespace sumbrook {

// What one line of a list says, whatever its format.
struct ListLineRead {
    enum class Kind { kNothing, kEntry, kDigestAlone, kError };
    enum class Form { kSfv, kSum, kTag };
    Kind kind = Kind::kNothing;        // kNothing: a blank line or a comment
    Form form = Form::kSum;            // of an entry, and of a tag line refused
    std::string_view name;             // kEntry: into the line or `unescaped`, never empty
    std::string_view digits;           // kEntry, kDigestAlone: the digest as listed
    std::optional<DigestKind> tagged;  // the kind the line names
    std::string error;                 // kError: what is wrong with the line
    std::string unescaped;             // the name of a line that escapes it

    ListLineRead() = default;
    // `name` may point into `unescaped`, which a copy would not carry along.
    ListLineRead(const ListLineRead&) = delete;
    ListLineRead& operator=(const ListLineRead&) = delete;

    // Empties it for the next line (keeping what `unescaped` holds room for).
    void Clear() {
        kind = Kind::kNothing;
        form = Form::kSum;
        name = {};
        digits = {};
        tagged.reset();
        error.clear();
        unescaped.clear();
    }
};

}  // namespace sumbrook
