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
    std::string error;
    const std::vector<CheckedCertificate> keys = ReadKeyFile(keyFile, SecondsNow(), error);
    if (!error.empty()) {
        output.Complain(error);
        return kExitError;
    }
    const std::string folder = DefaultKeyStoreFolder();
    for (const CheckedCertificate& key : keys) {
        if (!key.fault.empty()) {
            output.Complain(FingerprintText(key.fingerprint, true), key.fault + "; not added");
            return kExitError;
        }
    }
    for (const CheckedCertificate& key : keys) {
        error = AddToKeyStore(folder, key, label);
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
    for (const CheckedCertificate& key : store.keys) {
        output.Line((key.label.empty() ? std::string("(no label)") : key.label));
        output.Line("  " + FingerprintText(key.fingerprint, true) + "  " + key.algorithm +
                    (key.expires ? ", expires " + DateText(*key.expires) : std::string()) +
                    (key.hardRevoked ? ", REVOKED" : "") +
                    (key.fault.empty() ? std::string() : ", " + key.fault));
        for (const std::string& userId : key.userIds) output.Line("  " + userId);
    }
    if (store.keys.empty() && store.damaged.empty()) {
        output.Complain("no keys in " + DefaultKeyStoreFolder() + "; add one with --add-key FILE");
    }
    if (!output.Finish()) return kExitError;
    return store.damaged.empty() ? kExitOk : kExitError;
}

int RemoveKey(const std::string& fingerprint, const CliSettings& settings) {
    CommandOutput output(settings, 0);
    std::string error;
    const std::string bytes = ParseFingerprint(fingerprint, error);
    if (!bytes.empty()) error = RemoveFromKeyStore(DefaultKeyStoreFolder(), bytes);
    if (!error.empty()) {
        output.Complain(error);
        return kExitError;
    }
    output.Line("Removed " + FingerprintText(bytes, true));
    return output.Finish() ? kExitOk : kExitError;
}

}  // namespace sumbrook
