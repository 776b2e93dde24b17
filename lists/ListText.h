// The whole text of a new list, as every writer of one puts it together.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lists/ListFormat.h"
#include "platform/LocalClock.h"

namespace sumbrook {

// The header lines of `format` that name `program` and `version` at `when`
// (ListFormatDescriptor::headerLines), then `lines` (entry lines without
// their line ends), every line ended by the format's line end. Not for the
// protocol, which its own writer writes.
std::string ListText(ListFormat format, std::string_view program, std::string_view version,
                     const LocalDateTime& when, const std::vector<std::string>& lines);

}  // namespace sumbrook
