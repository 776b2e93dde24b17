// --check-signature, --add-key, --keys, --remove-key: verify/'s signature
// checks and signature/'s key store, printed.
#include "cli/SignatureCommands.h"

#include "cli/CommandOutput.h"
#include "signature/KeyStore.h"
#include "signature/SignatureCheck.h"
#include "verify/DisplayName.h"
#include "verify/RunExitCode.h"
#include "verify/SignedFile.h"

namespace sumbrook {

namespace {

// The UTC date alone: the first "YYYY-MM-DD" of UtcTimeText.
std::string DateText(std::uint32_t seconds) {
    return UtcTimeText(seconds).substr(0, 10);
}

}  // namespace

int CheckSignature(const std::string& path, const SignatureSettings& signature,
                   const CliSettings& settings) {
    CommandOutput output(settings, 1);
    const std::uint32_t now = SecondsNow();
    const TrustedKeys keys =
        LoadTrustedKeys(signature.keyFiles, signature.fingerprints, DefaultKeyStoreFolder(), now);
    for (const std::string& skipped : keys.skipped)
        output.Complain("key store", skipped + " (skipped)");
    if (!keys.error.empty()) {
        output.Complain(keys.error);
        return kExitError;
    }
    const SignedFileOutcome outcome =
        CheckSignedFile(path, signature.signaturePath, keys, now, [&output](std::uint64_t bytes) {
            output.Meter().Set(0, bytes);
            return true;
        });
    output.Meter().Erase();
    if (!outcome.error.empty()) {
        output.Complain(outcome.error);
        return kExitError;
    }
    const std::string subject = DisplayName(path);
    for (const SignatureResult& result : outcome.results) {
        output.Line(subject + ": " + SignatureResultText(result));
    }
    if (outcome.keySignature)
        output.Line(subject + ": " + KeySignatureResultText(*outcome.keySignature));
    if (outcome.exitCode == 2 && keys.keys.empty() && keys.ed25519Keys.empty()) {
        output.Complain(
            "no key to check with: give the publisher's key with --key FILE, or add it with "
            "--add-key FILE");
    }
    if (!output.Finish()) {
        output.Complain("standard output", "cannot be written");
        return kExitError;
    }
    return outcome.exitCode;
}

int AddKey(const std::string& keyFile, const std::string& label, const CliSettings& settings) {
    CommandOutput output(settings, 0);
    const AnyKeyFile read = ReadAnyKeyFile(keyFile, SecondsNow());
    if (!read.error.empty()) {
        output.Complain(read.error);
        return kExitError;
    }
    const std::string folder = DefaultKeyStoreFolder();
    if (read.ed25519) {
        const std::string error = AddToKeyStore(folder, *read.ed25519, label);
        if (!error.empty()) {
            output.Complain(error);
            return kExitError;
        }
        output.Line("Added the minisign or signify key " + read.ed25519->text + " (key ID " +
                    KeyIdText(read.ed25519->id) +
                    "); compare the key with the one the publisher shows");
        return output.Finish() ? kExitOk : kExitError;
    }
    for (const CheckedCertificate& key : read.certificates) {
        if (!key.fault.empty()) {
            output.Complain(FingerprintText(key.fingerprint, true), key.fault + "; not added");
            return kExitError;
        }
    }
    for (const CheckedCertificate& key : read.certificates) {
        const std::string error = AddToKeyStore(folder, key, label);
        if (!error.empty()) {
            output.Complain(error);
            return kExitError;
        }
        output.Line("Added " + FingerprintText(key.fingerprint, true) +
                    (key.userIds.empty() ? std::string() : "  " + key.userIds.front()) +
                    "; compare the fingerprint with the one the publisher shows");
    }
    return output.Finish() ? kExitOk : kExitError;
}

int ListKeys(const CliSettings& settings) {
    CommandOutput output(settings, 0);
    const KeyStoreRead store = ReadKeyStore(DefaultKeyStoreFolder(), SecondsNow());
    for (const std::string& damaged : store.damaged)
        output.Complain("key store", damaged + " (skipped)");
    const auto labelLine = [&output](const std::string& label) {
        output.Line(label.empty() ? std::string("(no label)") : label);
    };
    for (const CheckedCertificate& key : store.keys) {
        labelLine(key.label);
        output.Line("  " + FingerprintText(key.fingerprint, true) + "  " + key.algorithm +
                    (key.expires ? ", expires " + DateText(*key.expires) : std::string()) +
                    (key.hardRevoked ? ", REVOKED" : "") +
                    (key.fault.empty() ? std::string() : ", " + key.fault));
        for (const std::string& userId : key.userIds) output.Line("  " + userId);
    }
    for (const Ed25519PublicKey& key : store.ed25519Keys) {
        labelLine(key.label);
        output.Line("  " + key.text + "  Ed25519 (minisign or signify), key ID " +
                    KeyIdText(key.id));
    }
    if (store.keys.empty() && store.ed25519Keys.empty() && store.damaged.empty()) {
        output.Complain("no keys in " + DefaultKeyStoreFolder() + "; add one with --add-key FILE");
    }
    if (!output.Finish()) return kExitError;
    return store.damaged.empty() ? kExitOk : kExitError;
}

int RemoveKey(const std::string& keyText, const CliSettings& settings) {
    CommandOutput output(settings, 0);
    const std::string folder = DefaultKeyStoreFolder();
    // A minisign or signify key goes by its key ID (16 hex digits) or its
    // base64 line; an OpenPGP one only by its whole fingerprint.
    KeyId id{};
    const Ed25519PublicKeyRead line = ReadEd25519PublicKey(keyText);
    if (line.ok || ParseKeyIdText(keyText, id)) {
        if (line.ok) id = line.key.id;
        const std::string error = RemoveFromKeyStore(folder, id);
        if (!error.empty()) {
            output.Complain(error + (line.ok ? std::string()
                                             : " (an OpenPGP key goes by its whole fingerprint, "
                                               "40 hex digits)"));
            return kExitError;
        }
        output.Line("Removed the minisign or signify key with the key ID " + KeyIdText(id));
        return output.Finish() ? kExitOk : kExitError;
    }
    std::string error;
    const std::string bytes = ParseFingerprint(keyText, error);
    if (!bytes.empty()) error = RemoveFromKeyStore(folder, bytes);
    if (!error.empty()) {
        output.Complain(error);
        return kExitError;
    }
    output.Line("Removed " + FingerprintText(bytes, true));
    return output.Finish() ? kExitOk : kExitError;
}

}  // namespace sumbrook
