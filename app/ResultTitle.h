// The title of the message boxes that show a Calculation's outcome.
#pragma once

namespace sumbrook {

inline constexpr char kResultTitle[] = " Calculation result";

}  // namespace sumbrook
