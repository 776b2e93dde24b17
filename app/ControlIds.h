// Identifiers of the main dialog's controls, besides the platform's own IDOK
// (Calculation) and IDCANCEL (Cancel). Group boxes and labels have the
// identifier 0.
#pragma once

namespace sumbrook {

inline constexpr int ID_BROWSE = 3;
inline constexpr int ID_INFO_HELP = 4;
inline constexpr int ID_OPTION_ONE_FILE = 10;
inline constexpr int ID_OPTION_ALL_FILES = 11;
inline constexpr int ID_DIRECTORY_TEXT = 20;
inline constexpr int ID_FILE_TEXT = 21;

}  // namespace sumbrook
