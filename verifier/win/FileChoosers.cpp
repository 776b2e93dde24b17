#include "verifier/win/FileChoosers.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "platform/LateBoundCall.h"
#include "platform/WideText.h"
#include "verifier/ListFileTypes.h"
#include "verifier/NewListKinds.h"

namespace sumbrook {

namespace {

// Long enough for an extended-length path.
constexpr std::size_t kPathBufferSize = 32768;

std::wstring FilterOf(std::initializer_list<const wchar_t*> parts) {
    std::wstring filter;
    for (const wchar_t* part : parts) {
        filter += part;
        filter += L'\0';
    }
    return filter;
}

// The fields an open and a save dialog fill alike: the owner, the filter
// (its first entry chosen) and the buffer that receives the path.
OPENFILENAMEW FileRequest(HWND owner, const std::wstring& filter, std::vector<wchar_t>& buffer) {
    OPENFILENAMEW request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = buffer.data();
    request.nMaxFile = static_cast<DWORD>(buffer.size());
    return request;
}

}  // namespace

std::string ChooseListToOpen(HWND owner, const std::string& startFolder) {
    // Names without an extension (SHA256SUMS) are caught by *SUMS.
    const std::wstring lists = WideFromUtf8(ListFilePatterns());
    const std::wstring both = lists + L";*.txt";
    const std::wstring label = WideFromUtf8(ListFilterLabel());
    const std::wstring filter =
        FilterOf({L"Checksum lists and protocols", both.c_str(), label.c_str(), lists.c_str(),
                  L"Protocols (*.txt)", L"*.txt", L"All files (*.*)", L"*.*"});
    const std::wstring folder = WideFromUtf8(startFolder);
    std::vector<wchar_t> buffer(kPathBufferSize, L'\0');
    OPENFILENAMEW request = FileRequest(owner, filter, buffer);
    request.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    request.lpstrTitle = L"Open a checksum list";
    request.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    const auto open = LateBound<decltype(GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    if (open == nullptr || !open(&request)) return std::string();
    return Utf8FromWide(buffer.data());
}

std::string ChooseKeyFile(HWND owner) {
    const std::wstring filter =
        FilterOf({L"Keys (*.asc, *.gpg, *.pgp, *.key, *.pub)", L"*.asc;*.gpg;*.pgp;*.key;*.pub",
                  L"All files (*.*)", L"*.*"});
    std::vector<wchar_t> buffer(kPathBufferSize, L'\0');
    OPENFILENAMEW request = FileRequest(owner, filter, buffer);
    request.lpstrTitle = L"Add the publisher's key";
    request.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    const auto open = LateBound<decltype(GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    if (open == nullptr || !open(&request)) return std::string();
    return Utf8FromWide(buffer.data());
}

std::string ChooseFileToCheck(HWND owner) {
    const std::wstring filter = FilterOf({L"All files (*.*)", L"*.*"});
    std::vector<wchar_t> buffer(kPathBufferSize, L'\0');
    OPENFILENAMEW request = FileRequest(owner, filter, buffer);
    request.lpstrTitle = L"Check a file";
    request.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    const auto open = LateBound<decltype(GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    if (open == nullptr || !open(&request)) return std::string();
    return Utf8FromWide(buffer.data());
}

std::string ChooseFileToSave(HWND owner, const std::string& title, const std::string& suggested,
                             const std::string& extension) {
    const std::wstring wideExtension = WideFromUtf8(extension);
    const std::wstring pattern = L"*." + wideExtension;
    const std::wstring filter =
        FilterOf({pattern.c_str(), pattern.c_str(), L"All files (*.*)", L"*.*"});
    const std::wstring wideTitle = WideFromUtf8(title);
    std::vector<wchar_t> buffer(kPathBufferSize, L'\0');
    const std::wstring preset = WideFromUtf8(suggested);
    if (preset.size() < buffer.size()) preset.copy(buffer.data(), preset.size());
    OPENFILENAMEW request = FileRequest(owner, filter, buffer);
    request.lpstrTitle = wideTitle.c_str();
    request.lpstrDefExt = wideExtension.c_str();
    request.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    const auto save = LateBound<decltype(GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
    if (save == nullptr || !save(&request)) return std::string();
    return Utf8FromWide(buffer.data());
}

std::string ChooseNewListToSave(HWND owner, const std::string& suggested, std::size_t& chosen) {
    std::wstring filter;
    for (const NewListKind& kind : kNewListKinds) {
        const std::wstring pattern = L"*." + WideFromUtf8(kind.extension);
        filter += WideFromUtf8(kind.Label()) + L" (" + pattern + L")";
        filter += L'\0';
        filter += pattern;
        filter += L'\0';
    }
    std::vector<wchar_t> buffer(kPathBufferSize, L'\0');
    const std::wstring preset = WideFromUtf8(suggested);
    if (preset.size() < buffer.size()) preset.copy(buffer.data(), preset.size());
    OPENFILENAMEW request = FileRequest(owner, filter, buffer);
    request.lpstrTitle = L"Save the checksum list";
    // Any text: the dialog adds the extension of the file type chosen.
    const std::wstring anyExtension = WideFromUtf8(kSfvListExtension);
    request.lpstrDefExt = anyExtension.c_str();
    request.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    const auto save = LateBound<decltype(GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
    if (save == nullptr || !save(&request)) return std::string();
    chosen = request.nFilterIndex >= 1 && request.nFilterIndex <= kNewListKindCount
                 ? request.nFilterIndex - 1
                 : 0;
    return Utf8FromWide(buffer.data());
}

std::string ChooseFolder(HWND owner, const std::string& title) {
    const auto initialize = LateBound<decltype(CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    const auto browse =
        LateBound<decltype(SHBrowseForFolderW)>(L"shell32.dll", "SHBrowseForFolderW");
    const auto pathOf =
        LateBound<decltype(SHGetPathFromIDListEx)>(L"shell32.dll", "SHGetPathFromIDListEx");
    const auto release = LateBound<decltype(CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
    if (initialize == nullptr || browse == nullptr || pathOf == nullptr || release == nullptr) {
        return std::string();
    }
    // The folder chooser is a shell dialog: the thread is a COM apartment
    // from its first use on (a second call leaves it so).
    initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const std::wstring wideTitle = WideFromUtf8(title);
    BROWSEINFOW request = {};
    request.hwndOwner = owner;
    request.lpszTitle = wideTitle.c_str();
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = browse(&request);
    if (chosen == nullptr) return std::string();
    std::vector<wchar_t> buffer(kPathBufferSize, L'\0');
    const BOOL named =
        pathOf(chosen, buffer.data(), static_cast<DWORD>(buffer.size()), GPFIDL_DEFAULT);
    release(chosen);
    return named ? Utf8FromWide(buffer.data()) : std::string();
}

}  // namespace sumbrook
