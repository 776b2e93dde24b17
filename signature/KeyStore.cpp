#include "signature/KeyStore.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "hash/Digest.h"
#include "platform/ReplacingFileWriter.h"
#include "platform/StdioFile.h"
#include "signature/Armour.h"

#ifdef _WIN32
#include "platform/WideText.h"
#endif

namespace sumbrook {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kLargestKeyFile = 16U << 20;

std::string FileName(const std::string& fingerprint) {
    return FingerprintText(fingerprint, false) + ".asc";
}

bool ReadWhole(const std::string& path, std::string& bytes, std::string& error) {
    const ScopedStdioFile file = OpenStdioFile(path, "rb");
    if (!file.IsValid()) {
        error = "cannot be read";
        return false;
    }
    char block[1 << 14];
    for (;;) {
        const std::size_t got = std::fread(block, 1, sizeof block, file.Get());
        bytes.append(block, got);
        if (bytes.size() > kLargestKeyFile) {
            error = "larger than a key file is";
            return false;
        }
        if (got < sizeof block) break;
    }
    if (std::ferror(file.Get()) != 0) {
        error = "cannot be read";
        return false;
    }
    return true;
}

}  // namespace

std::string DefaultKeyStoreFolder() {
#ifdef _WIN32
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (appData == nullptr || *appData == L'\0') return {};
    return Utf8FromWide(appData) + "\\Sumbrook\\keys";
#else
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
        return std::string(config) + "/sumbrook/keys";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return {};
    return std::string(home) + "/.config/sumbrook/keys";
#endif
}

KeyStoreRead ReadKeyStore(const std::string& folder, std::uint32_t now) {
    KeyStoreRead read;
    std::error_code error;
    const fs::path root = fs::u8path(folder);
    if (folder.empty() || !fs::is_directory(root, error)) return read;
    std::vector<std::string> names;
    for (fs::directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().u8string();
        if (name.size() == 44 && name.substr(40) == ".asc") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string path = (root / fs::u8path(name)).u8string();
        std::string bytes;
        std::string why;
        if (!ReadWhole(path, bytes, why)) {
            read.damaged.push_back(path + ": " + why);
            continue;
        }
        const ArmourRead armour = ReadArmour(bytes);
        const CertificatesRead certificates = ReadCertificates(bytes);
        if (!armour.ok || armour.blocks.size() != 1 || !certificates.error.empty() ||
            certificates.certificates.size() != 1) {
            read.damaged.push_back(path + ": " +
                                   (!certificates.error.empty()
                                        ? certificates.error
                                        : std::string("not one certificate")));
            continue;
        }
        CheckedCertificate checked = CheckCertificate(certificates.certificates.front(), now);
        if (FileName(checked.fingerprint) != name) {
            read.damaged.push_back(path + ": the file's name is not its key's fingerprint");
            continue;
        }
        for (const auto& [header, value] : armour.blocks.front().headers) {
            if (header == "Label") checked.label = value;
        }
        read.keys.push_back(std::move(checked));
    }
    return read;
}

std::string AddToKeyStore(const std::string& folder, const CheckedCertificate& certificate,
                          const std::string& label) {
    if (folder.empty()) return "there is no folder for the keys (HOME is not set)";
    std::error_code error;
    fs::create_directories(fs::u8path(folder), error);
    if (error) return folder + ": " + error.message();
    std::string oneLine;
    for (const char c : label) oneLine.push_back(c == '\n' || c == '\r' ? ' ' : c);
    std::vector<std::pair<std::string, std::string>> headers;
    if (!oneLine.empty()) headers.emplace_back("Label", oneLine);
    const std::string path =
        (fs::u8path(folder) / fs::u8path(FileName(certificate.fingerprint))).u8string();
    ReplacingFileWriter writer(path);
    if (!writer.Write(WriteArmour("PGP PUBLIC KEY BLOCK", headers, certificate.packets)) ||
        !writer.Commit()) {
        return path + ": " + writer.Error();
    }
    return {};
}

std::string RemoveFromKeyStore(const std::string& folder, const std::string& fingerprint) {
    std::error_code error;
    const fs::path path = fs::u8path(folder) / fs::u8path(FileName(fingerprint));
    if (folder.empty() || !fs::remove(path, error)) {
        return error ? path.u8string() + ": " + error.message()
                     : "no key " + FingerprintText(fingerprint, true) + " in the store";
    }
    return {};
}

std::string ParseFingerprint(const std::string& text, std::string& error) {
    std::string digits;
    for (const char c : text) {
        if (c == ' ' || c == '\t') continue;
        if (HexDigitValue(c) < 0) {
            error = "\"" + text + "\" is no fingerprint (40 hex digits)";
            return {};
        }
        digits.push_back(c);
    }
    if (digits.size() == 16 || digits.size() == 8) {
        error =
            "\"" + text +
            "\" is a key ID, which anyone can match; give the whole fingerprint (40 hex digits)";
        return {};
    }
    if (digits.size() != 40) {
        error = "\"" + text + "\" is no fingerprint (40 hex digits)";
        return {};
    }
    std::string bytes;
    for (std::size_t i = 0; i < 40; i += 2) {
        bytes.push_back(
            static_cast<char>(HexDigitValue(digits[i]) * 16 + HexDigitValue(digits[i + 1])));
    }
    return bytes;
}

}  // namespace sumbrook
