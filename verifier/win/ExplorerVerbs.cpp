#include "verifier/win/ExplorerVerbs.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "platform/SystemErrorText.h"
#include "platform/WideText.h"
#include "platform/WinHandles.h"
#include "verifier/ListFileTypes.h"

namespace sumbrook {

namespace {

struct Verb {
    const wchar_t* parent;  // below HKCU\Software\Classes, made when missing
    const wchar_t* key;     // the verb's own key below the parent
    const wchar_t* caption;
    const wchar_t* arguments;
};

constexpr Verb kVerbs[] = {
    {L"Software\\Classes\\Directory\\shell", L"SumbrookNewList", L"Create checksum list",
     L" /new \"%1\""},
    {L"Software\\Classes\\*\\shell", L"SumbrookFile", L"Checksums with Sumbrook", L" /file \"%1\""},
};

// The keys between HKCU\Software\Classes and each verb's parent, deepest
// first: removed when nothing else is left in them.
constexpr const wchar_t* kParentsDeepestFirst[] = {
    L"Software\\Classes\\SystemFileAssociations",
    L"Software\\Classes\\Directory\\shell",
    L"Software\\Classes\\Directory",
    L"Software\\Classes\\*\\shell",
    L"Software\\Classes\\*",
};

// "Verify with Sumbrook", one verb per extension a list has
// (ListFileExtensions), each below SystemFileAssociations\<extension>\shell.
// Explorer finds a file's verbs by its extension, class or perceived type,
// never by its name: lists without an extension (the *SUMS names) can have
// no verb short of one on every file; they are opened with "Open list..."
// or dropped on the window.
constexpr wchar_t kListVerbKey[] = L"SumbrookVerify";
constexpr wchar_t kListVerbCaption[] = L"Verify with Sumbrook";

std::wstring ListShellKey(const std::string& extension) {
    return std::wstring(L"Software\\Classes\\SystemFileAssociations\\") + WideFromUtf8(extension) +
           L"\\shell";
}

std::string Failed(const char* what, LONG error) {
    return std::string(what) + ": " + SystemErrorText(static_cast<unsigned long>(error));
}

LONG SetDefaultValue(HKEY key, const std::wstring& value) {
    return RegSetValueExW(
        key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
        static_cast<DWORD>(value.size() + 1) * static_cast<DWORD>(sizeof(wchar_t)));
}

LONG WriteKey(const std::wstring& path, const std::wstring& value) {
    HKEY opened = nullptr;
    const LONG error = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                       KEY_SET_VALUE, nullptr, &opened, nullptr);
    if (error != ERROR_SUCCESS) return error;
    const ScopedRegistryKey key(opened);
    return SetDefaultValue(key.Get(), value);
}

bool HasSubkeysOrValues(const wchar_t* path) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return true;
    }
    const ScopedRegistryKey key(opened);
    DWORD subkeys = 0;
    DWORD values = 0;
    const LONG error = RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr,
                                        nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    return error != ERROR_SUCCESS || subkeys > 0 || values > 0;
}

// The program's path as a command value holds it: the shell reads "%1"
// and the like in it as the file's place, so each '%' of the path is
// written "%%" (a folder "Pct 50%", or "Sum %1 brook").
std::wstring QuotedProgram(const std::string& program) {
    std::wstring quoted = L"\"";
    for (const wchar_t c : WideFromUtf8(program)) {
        quoted += c;
        if (c == L'%') quoted += L'%';
    }
    return quoted + L"\"";
}

}  // namespace

std::string AddExplorerVerbs(const std::string& program) {
    const std::wstring quoted = QuotedProgram(program);
    for (const std::string& extension : ListFileExtensions()) {
        const std::wstring path = ListShellKey(extension) + L"\\" + kListVerbKey;
        LONG error = WriteKey(path, kListVerbCaption);
        if (error == ERROR_SUCCESS) error = WriteKey(path + L"\\command", quoted + L" \"%1\"");
        if (error != ERROR_SUCCESS) return Failed("the Explorer verbs cannot be written", error);
    }
    for (const Verb& verb : kVerbs) {
        const std::wstring path = std::wstring(verb.parent) + L"\\" + verb.key;
        LONG error = WriteKey(path, verb.caption);
        if (error == ERROR_SUCCESS) error = WriteKey(path + L"\\command", quoted + verb.arguments);
        if (error != ERROR_SUCCESS) return Failed("the Explorer verbs cannot be written", error);
    }
    return std::string();
}

std::string RemoveExplorerVerbs() {
    for (const Verb& verb : kVerbs) {
        const std::wstring path = std::wstring(verb.parent) + L"\\" + verb.key;
        const LONG error = RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
        if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) {
            return Failed("the Explorer verbs cannot be removed", error);
        }
        RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
    }
    for (const std::string& extension : ListFileExtensions()) {
        const std::wstring shell = ListShellKey(extension);
        const std::wstring path = shell + L"\\" + kListVerbKey;
        const LONG error = RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
        if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) {
            return Failed("the Explorer verbs cannot be removed", error);
        }
        RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
        for (const std::wstring& parent :
             {shell, shell.substr(0, shell.size() - std::wcslen(L"\\shell"))}) {
            if (!HasSubkeysOrValues(parent.c_str()))
                RegDeleteKeyW(HKEY_CURRENT_USER, parent.c_str());
        }
    }
    for (const wchar_t* parent : kParentsDeepestFirst) {
        if (!HasSubkeysOrValues(parent)) RegDeleteKeyW(HKEY_CURRENT_USER, parent);
    }
    return std::string();
}

}  // namespace sumbrook
