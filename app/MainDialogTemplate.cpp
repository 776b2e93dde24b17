#include "app/MainDialogTemplate.h"

#include "app/MainDialogLayout.h"

namespace sumbrook {
namespace {

void AppendDword(std::vector<WORD>& words, DWORD value) {
    words.push_back(LOWORD(value));
    words.push_back(HIWORD(value));
}

// A NUL-terminated UTF-16 string, as every text of a template is.
void AppendText(std::vector<WORD>& words, const char* text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) {
        words.push_back(0);
        return;
    }
    std::vector<WCHAR> wide(static_cast<std::size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    words.insert(words.end(), wide.begin(), wide.end());
}

}  // namespace

std::vector<WORD> BuildMainDialogTemplate() {
    std::vector<WORD> words;
    // DLGTEMPLATE
    AppendDword(words, kMainDialogStyle);
    AppendDword(words, kMainDialogExStyle);
    words.push_back(0);  // cdit: no items
    words.push_back(static_cast<WORD>(kMainDialogRect.x));
    words.push_back(static_cast<WORD>(kMainDialogRect.y));
    words.push_back(static_cast<WORD>(kMainDialogRect.cx));
    words.push_back(static_cast<WORD>(kMainDialogRect.cy));
    // Variable part: no menu, the predefined dialog class, title, then the
    // font that DS_SETFONT asks for.
    words.push_back(0);
    words.push_back(0);
    AppendText(words, kOneFileTitle);
    words.push_back(kMainDialogFontPoints);
    AppendText(words, kMainDialogFontName);
    return words;
}

}  // namespace sumbrook
