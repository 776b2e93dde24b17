// The one-file Calculation command.
#pragma once

#include <string>

namespace sumbrook {

// Checks that directoryText + "\" + fileText (untrimmed, composed as typed)
// names an existing plain file that is neither hidden nor system, comparing
// the typed name with the stored one by NamesMatch, and shows either the
// file's CRC text or "Error:  Wrong file selected !!  ". An empty file text
// never passes. Returns once the user has closed the message.
void CalculateOneFile(const std::string& directoryText, const std::string& fileText);

}  // namespace sumbrook
