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

constexpr std::string_view kLabelComment = "untrusted comment: Label: ";
constexpr std::size_t kLongestLabel = 1000;  // the tools' comment line holds 1024 bytes

std::string FileName(const std::string& fingerprint) {
    return FingerprintText(fingerprint, false) + ".asc";
}

std::string FileName(const KeyId& id) {
    return KeyIdText(id) + ".pub";
}

// `label` on one line, and for a .pub's comment at most kLongestLabel
// bytes, cut before a UTF-8 sequence.
std::string OneLine(const std::string& label, std::size_t longest) {
    std::string line;
    for (const char c : label) line.push_back(c == '\n' || c == '\r' ? ' ' : c);
    if (line.size() > longest) {
        std::size_t end = longest;
        while (end > 0 && (static_cast<unsigned char>(line[end]) & 0xC0U) == 0x80U) --end;
        line.resize(end);
    }
    return line;
}

std::string PathIn(const std::string& folder, const std::string& name) {
    return (fs::u8path(folder) / fs::u8path(name)).u8string();
}

std::string Remove(const std::string& folder, const std::string& name, const std::string& what) {
    std::error_code error;
    const fs::path path = fs::u8path(folder) / fs::u8path(name);
    if (folder.empty() || !fs::remove(path, error)) {
        return error ? path.u8string() + ": " + error.message() : "no " + what + " in the store";
    }
    return {};
}

// Replaces the store's file `name` by `bytes`, making the folder when needed.
std::string WriteStoreFile(const std::string& folder, const std::string& name,
                           const std::string& bytes) {
    if (folder.empty()) return "there is no folder for the keys (HOME is not set)";
    std::error_code error;
    fs::create_directories(fs::u8path(folder), error);
    if (error) return folder + ": " + error.message();
    const std::string path = PathIn(folder, name);
    ReplacingFileWriter writer(path);
    if (!writer.Write(bytes) || !writer.Commit()) return path + ": " + writer.Error();
    return {};
}

// Whether `name` is one the store gives a file of this kind: `digits` hex
// digits, then `extension`.
bool IsStoreName(const std::string& name, std::size_t digits, std::string_view extension) {
    if (name.size() != digits + extension.size() ||
        name.compare(digits, extension.size(), extension.data()) != 0) {
        return false;
    }
    return std::all_of(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(digits),
                       [](char c) { return HexDigitValue(c) >= 0; });
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
        if (IsStoreName(name, 40, ".asc") || IsStoreName(name, 16, ".pub")) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string path = (root / fs::u8path(name)).u8string();
        std::string bytes;
        std::string why;
        if (!ReadWhole(path, bytes, why)) {
            read.damaged.push_back(std::string(path).append(": ").append(why));
            continue;
        }
        if (IsStoreName(name, 16, ".pub")) {
            Ed25519PublicKeyRead key = ReadEd25519PublicKey(bytes);
            if (!key.ok || FileName(key.key.id) != name) {
                read.damaged.push_back(
                    path + ": " +
                    (!key.ok ? key.error : std::string("the file's name is not its key's ID")));
                continue;
            }
            if (bytes.compare(0, kLabelComment.size(), kLabelComment.data()) == 0) {
                key.key.label = bytes.substr(kLabelComment.size(),
                                             bytes.find_first_of("\r\n") - kLabelComment.size());
            }
            read.ed25519Keys.push_back(std::move(key.key));
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
    const std::string oneLine = OneLine(label, std::string::npos);
    std::vector<std::pair<std::string, std::string>> headers;
    if (!oneLine.empty()) headers.emplace_back("Label", oneLine);
    return WriteStoreFile(folder, FileName(certificate.fingerprint),
                          WriteArmour("PGP PUBLIC KEY BLOCK", headers, certificate.packets));
}

std::string AddToKeyStore(const std::string& folder, const Ed25519PublicKey& key,
                          const std::string& label) {
    const std::string name = FileName(key.id);
    std::string bytes;
    std::string why;
    if (!folder.empty() && ReadWhole(PathIn(folder, name), bytes, why)) {
        const Ed25519PublicKeyRead held = ReadEd25519PublicKey(bytes);
        if (held.ok && held.key.key != key.key) {
            return "the store holds another key with the key ID " + KeyIdText(key.id) + " (" +
                   held.key.text + "); remove it first with --remove-key " + KeyIdText(key.id);
        }
    }
    const std::string oneLine = OneLine(label, kLongestLabel);
    const std::string comment =
        oneLine.empty() ? "untrusted comment: minisign or signify public key " + KeyIdText(key.id)
                        : std::string(kLabelComment) + oneLine;
    return WriteStoreFile(folder, name, comment + "\n" + key.text + "\n");
}

std::string RemoveFromKeyStore(const std::string& folder, const std::string& fingerprint) {
    return Remove(folder, FileName(fingerprint), "key " + FingerprintText(fingerprint, true));
}

std::string RemoveFromKeyStore(const std::string& folder, const KeyId& id) {
    return Remove(folder, FileName(id), "minisign or signify key with the key ID " + KeyIdText(id));
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
