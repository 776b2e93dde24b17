// sumbrook-cli: CRC-32 checksums of files, protocols and SFV lists of
// directories and their verification, and comparison of copies, from the
// command line.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli/AlgorithmHelp.h"
#include "cli/BuildCommit.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "files/ChecksumInOrder.h"
#include "files/SameFile.h"
#include "lists/DigestKindChoice.h"
#ifdef SUMBROOK_SIGNATURES
#include "cli/SignatureCommands.h"
#include "signature/KeyStore.h"
#include "verify/ListSignature.h"
#endif

#ifdef _WIN32
#include "platform/WideText.h"

// Wildcards in arguments are expanded, as the console expects of a program;
// the runtime does it on the UTF-16 command line, so any name matches.
extern "C" {
int _dowildcard = -1;  // NOLINT
}
#endif

namespace {

#ifdef _WIN32
constexpr char kPlainFileRule[] =
    "Plain files are the files directly in DIR that are neither hidden nor system (as in\n"
    "the dialog); subdirectories are not entered. With -r, every subdirectory at any\n"
    "depth is entered except hidden and system ones and reparse points (links, junctions).";
#else
constexpr char kPlainFileRule[] =
    "Plain files are the regular files directly in DIR whose names do not start with a\n"
    "dot; symbolic links to regular files count, links to directories do not;\n"
    "subdirectories are not entered. With -r, every subdirectory at any depth is\n"
    "entered except those whose names start with a dot; links to directories are not.";
#endif

constexpr char kFooter[] =
    "\nCommands:\n"
    "  sumbrook-cli FILE...                  one line per file: the CRC-32 as eight hex\n"
    "                                        digits, two blanks, the path as given\n"
    "  sumbrook-cli -a ALGO [--tag] FILE...  one line per file as md5sum, sha256sum (and\n"
    "                                        sha1sum, sha384sum, sha512sum), b3sum or\n"
    "                                        xxhsum print it, escapes included; with\n"
    "                                        --tag as sha256sum --tag prints it\n"
    "  sumbrook-cli --protocol DIR [-o FILE] the protocol of DIR's plain files, in the\n"
    "                                        format of Sumbrook.exe, to FILE or stdout\n"
    "  sumbrook-cli --sfv DIR [-r] [-o FILE] an SFV list of DIR's plain files (-r: of its\n"
    "                                        tree): ';' comment lines, then \"name CRC\"\n"
    "                                        per file, names relative to DIR with '/',\n"
    "                                        sorted byte by byte; files of any size\n"
    "  sumbrook-cli --list DIR [-a ALGO] [--tag] [-r] [-o FILE]\n"
    "                                        a list of DIR's plain files as sha256sum\n"
    "                                        writes it (default SHA-256): \"HEX  NAME\"\n"
    "                                        per file (--tag: \"SHA256 (NAME) = HEX\"),\n"
    "                                        the same files, order and names as --sfv\n"
    "  sumbrook-cli --verify LIST [DIR] [-r] [-a ALGO] [--ignore-missing]\n"
    "                                        checks DIR against LIST: a protocol (DIR\n"
    "                                        defaults to the directory it names) or a\n"
    "                                        list of any format below (DIR defaults to\n"
    "                                        the list's folder; for - (standard input),\n"
    "                                        a pipe or a device, the current one)\n"
    "  sumbrook-cli --compare SRC DEST [-r] [-a ALGO]\n"
    "                                        SRC's plain files against the same paths\n"
    "                                        under DEST, without writing a list; files\n"
    "                                        of one size by BLAKE3 or by ALGO (not a\n"
    "                                        CRC-32 or XXH kind, which different files\n"
    "                                        may share)\n"
    "A list written or kept inside DIR is neither listed nor checked. -o FILE is replaced\n"
    "only once the whole list is written; a failed write leaves it as it was. A device\n"
    "or a pipe, and /dev/stdout or /dev/fd/N, are written directly, as they are open.\n"
    "\n";

// After the kinds' table (AlgorithmHelpText).
constexpr char kFooterFormats[] =
    "\n"
    "--verify reads every list these tools write, recognised by its lines:\n"
    "  SFV lists (rhash --sfv, cksfv)   abc.txt 352441C2\n"
    "  sum lines (sha256sum, b3sum, xxhsum, rhash, and sumbrook-cli FILE...)\n"
    "                                   352441c2  abc.txt             (CRC-32)\n"
    "                                   ba7816bf...f20015ad  abc.txt\n"
    "                                   ba7816bf...f20015ad *abc.txt     (binary mode)\n"
    "                                   \\ba7816bf...f20015ad  new\\nline   (escaped name)\n"
    "  tag lines (sha256sum --tag, cksum, openssl dgst, xxhsum -H3)\n"
    "                                   SHA256 (abc.txt) = ba7816bf...f20015ad\n"
    "                                   SHA2-256(abc.txt)= ba7816bf...f20015ad\n"
    "  the digest file of one download  image.iso.sha256 holding \"HEX  image.iso\" or\n"
    "                                   only \"HEX\" (then the file named like the\n"
    "                                   list without its extension)\n"
    "  any of these clear-signed        -----BEGIN PGP SIGNED MESSAGE----- ...; its\n"
    "                                   signature is checked first (see below)\n";

// After the choice of a listed digest's kind (KindChoiceHelpText).
constexpr char kFooterChecks[] =
    "A line \"HEX8  NAME\" is a CRC-32 sum line, \"NAME HEX8\" (one blank) SFV; a list whose\n"
    "lines could be either is refused unless named .sfv or checked with -a crc32 (sum\n"
    "lines). --ignore-missing checks only the listed files that are there (no\n"
    "MISSING, no NEW), as sha256sum --ignore-missing does; none there is an error.\n"
    "The digest file of one download checks that one file: no NEW rows. Lines of\n"
    "several algorithms for one file are each checked (one row per line).\n"
    "\n"
    "Verification of a protocol prints one line per file, OK, CHANGED (old -> new CRC),\n"
    "MISSING, NEW, EMPTY (empty files are never listed), UNREADABLE or AMBIGUOUS (a name\n"
    "cut to 34 characters in the protocol that fits several files), then a summary line.\n"
    "Of any other list: OK, CHANGED (both digests in full), MISSING, NEW (unlisted\n"
    "plain files in each folder that holds a listed file; with -r in every folder of the\n"
    "tree; never in a folder reached through a link or junction, though a listed file\n"
    "is opened wherever links lead), UNREADABLE or DUPLICATE (a file named on several\n"
    "lines, not checked). A list that names no file is an error. Names may use '/' or\n"
    "'\\' (on Linux a '\\' is part of the name where a file of that name is there);\n"
    "CR LF or LF, a UTF-8 byte-order mark, UTF-16 with a byte-order mark, blank lines,\n"
    "comments (';' in SFV, '#' in sum and tag lists) and hex of either case are read;\n"
    "any other line, a digest of the wrong length for its algorithm, and a name that\n"
    "leads out of DIR, is an error naming its line, and nothing is checked. A name this system\n"
    "cannot hold (on Windows: a device name such as aux.c, or ':') is UNREADABLE.\n"
    "--compare: OK, DIFFERENT (both digests, or both sizes when the sizes differ; such files\n"
    "are not read), MISSING (not in DEST), NEW (only in DEST) or UNREADABLE.\n"
    "--uncached (with --verify or --compare) reads every file from the disk, past the\n"
    "system's cache, so that a copy just written is checked as it lies on the disk and\n"
    "not as it lies in memory. It costs: every byte comes from the disk, without the\n"
    "cache's read-ahead, so files that were in memory read many times slower. Where the\n"
    "file system refuses uncached reads, files are read through the cache and the\n"
    "summary line ends with how many were.\n"
    "\n"
    "For example:\n"
    "  $ sumbrook-cli --sfv Samples -r -o Samples/samples.sfv\n"
    "  $ cat Samples/samples.sfv\n"
    "  ; Generated by sumbrook-cli 1.0 on 2026-12-07 at 17:39:45\n"
    "  ; Each line: a file name, a blank and the file's CRC-32 in hexadecimal\n"
    "  abc.txt 352441C2\n"
    "  docs/crc_check_value_of_the_nine_digits.txt CBF43926\n"
    "  docs/fox.txt 91C102CA\n"
    "  $ # ... later: abc.txt edited, fox.txt deleted, notes.txt added\n"
    "  $ sumbrook-cli --verify Samples/samples.sfv -r\n"
    "  CHANGED     abc.txt  352441C2 -> 4788814E\n"
    "  OK          docs/crc_check_value_of_the_nine_digits.txt\n"
    "  MISSING     docs/fox.txt\n"
    "  NEW         docs/notes.txt  34624AD6\n"
    "  1 OK, 1 CHANGED, 1 MISSING, 1 NEW, 0 UNREADABLE, 0 DUPLICATE; CRC-32 matches\n"
    "  detect damage, not a file changed on purpose (a SHA-256 list tells that too)\n"
    "  $ sumbrook-cli --compare Samples Backup -r\n"
    "  DIFFERENT   abc.txt  4 bytes -> 3 bytes\n"
    "  OK          docs/crc_check_value_of_the_nine_digits.txt\n"
    "  MISSING     docs/notes.txt\n"
    "  MISSING     samples.sfv\n"
    "  NEW         docs/fox.txt\n"
    "  1 OK, 1 DIFFERENT, 2 MISSING, 1 NEW, 0 UNREADABLE\n"
    "  $ sumbrook-cli --list Samples -r -o SHA256SUMS\n"
    "  $ sumbrook-cli -a blake3 Samples/abc.txt\n"
    "  6437b3ac38465133ffb63b75273a8db548c558465d79db03fd359c6cd5bd9d85  Samples/abc.txt\n"
    "  $ sumbrook-cli --verify ubuntu-24.04-SHA256SUMS --ignore-missing\n"
    "  OK          ubuntu-24.04-desktop-amd64.iso\n"
    "  1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 0 DUPLICATE\n"
    "\n"
    "Signatures (OpenPGP v4: RSA 2048-4096, Ed25519, ECDSA P-256/P-384), with keys you\n"
    "chose, shown by their fingerprints:\n"
    "  sumbrook-cli --check-signature FILE [--signature SIG] [--key FILE]...\n"
    "               [--fingerprint FPR]...   FILE's signature: FILE.sig, .asc, .gpg,\n"
    "                                        .sign or .minisig beside it (OpenPGP,\n"
    "                                        minisign, signify), or FILE clear-signed;\n"
    "                                        exit 0 good, 1 bad, 2 not verified (gpgv's)\n"
    "  sumbrook-cli --verify LIST [--key FILE]... [--fingerprint FPR]...\n"
    "               [--signature SIG] [--require-signature]\n"
    "                                        a signed list's signature first: bad, and\n"
    "                                        nothing is checked (exit 1); not by a key\n"
    "                                        you chose, and the exit code is 2\n"
    "  sumbrook-cli --add-key FILE [--label TEXT] | --keys | --remove-key FPR\n"
    "                                        your key store (--key FILE overrides it)\n"
    "Refused with a reason: SHA-1 and MD5 data signatures, v3, DSA, RSA under 2048 bits,\n"
    "future dates, expired or revoked signers, text outside a clear-signed part.\n"
    "  $ sumbrook-cli --add-key debian-cd-signing-key.asc --label \"Debian CD\"\n"
    "  $ sumbrook-cli --verify SHA256SUMS --ignore-missing      (with SHA256SUMS.sign)\n"
    "  $ sumbrook-cli --verify SHA256SUMS --key ubuntu-key.asc  (Ubuntu: SHA256SUMS.gpg)\n"
    "  $ sumbrook-cli --verify Fedora-Workstation-43-x86_64-CHECKSUM --key fedora.gpg\n"
    "  $ sumbrook-cli --check-signature archlinux-x86_64.iso --key arch-keys.asc\n"
    "  $ sumbrook-cli --check-signature zig.tar.xz --key zig.pub     (zig.tar.xz.minisig)\n"
    "\n"
    "Exit codes: 0 everything verified or computed; 1 differences found (changed,\n"
    "missing, new, ambiguous, duplicate, different); 2 errors (unreadable files or\n"
    "folders, bad arguments, unreadable or malformed list).\n"
    "\n"
    "SOURCE_DATE_EPOCH, when set, is the time the header of a protocol or an SFV list\n"
    "names, in UTC.\n";

// "sumbrook-cli 1.0.0 (commit 0123456789ab)"; without the commit when the
// build did not know it.
std::string VersionText() {
    std::string text = "sumbrook-cli " SUMBROOK_CLI_VERSION;
    constexpr std::string_view kCommit = SUMBROOK_BUILD_COMMIT;
    if (!kCommit.empty()) text += " (commit " + std::string(kCommit) + ")";
    return text;
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "sumbrook-cli: %s\nRun with --help for more information.\n",
                 message.c_str());
    return sumbrook::kExitError;
}

// "sumbrook-cli: <subject>: <text>", and the code of an error.
int Refuse(const std::string& subject, const std::string& text) {
    std::fprintf(stderr, "sumbrook-cli: %s: %s\n", subject.c_str(), text.c_str());
    return sumbrook::kExitError;
}

// The number of --jobs: digits only, 1 to 1024; else a message.
bool ParseJobCount(const std::string& text, unsigned& jobs, std::string& fault) {
    constexpr unsigned kMostJobs = 1024;
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        fault = "\"" + text + "\" is not a number";
        return false;
    }
    const std::size_t significant = text.find_first_not_of('0');
    const std::string digits = significant == std::string::npos ? "0" : text.substr(significant);
    if (digits.size() > 4 || std::stoul(digits) < 1 || std::stoul(digits) > kMostJobs) {
        fault = text + " is not between 1 and " + std::to_string(kMostJobs);
        return false;
    }
    jobs = static_cast<unsigned>(std::stoul(digits));
    return true;
}

int Run(int argc, char** argv) {
    using namespace sumbrook;  // NOLINT

    CLI::App app{
        "CRC-32 and other digests (MD5, SHA-1, SHA-2, BLAKE3, XXH3) of files, protocols, SFV "
        "lists and sha256sum's lists of directories, their verification, and comparison of "
        "copies.",
        "sumbrook-cli"};
    app.footer(std::string("\n") + kPlainFileRule + "\n" + kFooter + AlgorithmHelpText() +
               kFooterFormats + KindChoiceHelpText() + kFooterChecks);
    app.set_version_flag("--version", VersionText());
    // "/x" is a path (a file of the current drive's root, or one a POSIX
    // shell names) on every system, never an option.
    app.allow_windows_style_options(false);

    std::vector<std::string> paths;
    std::string protocolDirectory;
    std::string sfvDirectory;
    std::string listDirectory;
    std::string algorithmText;
    bool tag = false;
    bool ignoreMissing = false;
    std::string outputPath;
    std::string verifyList;
    std::string compareSource;
    bool recursive = false;
    bool uncached = false;
    unsigned jobs = DefaultJobCount();
    std::string jobsText;
    app.add_option("PATH", paths,
                   "Files to checksum; with --verify, the directory to check instead of the "
                   "list's; with --compare, DEST");
    CLI::Option* protocol = app.add_option("--protocol", protocolDirectory,
                                           "Write the protocol of the plain files in DIR")
                                ->type_name("DIR");
    CLI::Option* sfv =
        app.add_option("--sfv", sfvDirectory, "Write an SFV list of the plain files in DIR")
            ->type_name("DIR")
            ->excludes(protocol);
    CLI::Option* list = app.add_option("--list", listDirectory,
                                       "Write a list of sum lines (sha256sum's) of the plain files "
                                       "in DIR")
                            ->type_name("DIR")
                            ->excludes(protocol)
                            ->excludes(sfv);
    app.add_option("-o,--output", outputPath, "Write the protocol or list to FILE, not to stdout")
        ->type_name("FILE");
    CLI::Option* verify =
        app.add_option("--verify", verifyList,
                       "Check a directory against LIST (protocol, SFV, sum or tag lines)")
            ->type_name("LIST")
            ->excludes(protocol)
            ->excludes(sfv)
            ->excludes(list);
    app.add_option("--compare", compareSource,
                   "Compare the plain files of SRC with the same files under DEST (the PATH)")
        ->type_name("SRC")
        ->excludes(protocol)
        ->excludes(sfv)
        ->excludes(list)
        ->excludes(verify);
    app.add_option("-a,--algorithm", algorithmText,
                   "The digest: " + DigestKindOptionList() +
                       " (files, --list: default crc32 and sha256; --verify: the kind of the "
                       "list's digests; --compare: default blake3)")
        ->type_name("ALGO");
    app.add_flag("--tag", tag,
                 "With files or --list: tag lines, \"SHA256 (NAME) = HEX\", as sha256sum --tag");
    app.add_flag("--ignore-missing", ignoreMissing,
                 "With --verify: check only the listed files that are there (no MISSING, no "
                 "NEW)");
    app.add_flag("-r,--recursive", recursive,
                 "With --sfv, --list, --verify of a list of lines and --compare: the whole tree");
    app.add_flag("--uncached", uncached,
                 "With --verify and --compare: read files from the disk, past the system's cache "
                 "(slower)");
    app.add_option("-j,--jobs", jobsText,
                   "Files read at once, 1 to 1024 (default: the number of cores)")
        ->type_name("N");

#ifdef SUMBROOK_SIGNATURES
    SignatureSettings signature;
    std::string checkSignaturePath;
    std::string addKeyPath;
    std::string label;
    std::string removeKeyText;
    bool listKeys = false;
    bool requireSignature = false;
    const auto once = [](CLI::Option* option) {
        return option->expected(1)->allow_extra_args(false)->multi_option_policy(
            CLI::MultiOptionPolicy::TakeAll);
    };
    app.add_option("--check-signature", checkSignaturePath,
                   "Check FILE's OpenPGP signature (FILE.sig, .asc, .gpg, .sign beside it, or "
                   "FILE clear-signed)")
        ->type_name("FILE");
    app.add_option("--signature", signature.signaturePath,
                   "With --check-signature or --verify: the detached signature, wherever it is")
        ->type_name("SIG");
    once(app.add_option("--key", signature.keyFiles,
                        "With --check-signature or --verify: trust the keys of this key file "
                        "(armoured or binary; repeatable) instead of the key store"))
        ->type_name("FILE");
    once(app.add_option("--fingerprint", signature.fingerprints,
                        "With --check-signature or --verify: trust only the key with this "
                        "fingerprint (40 hex digits, blanks allowed; repeatable)"))
        ->type_name("FPR");
    app.add_option("--add-key", addKeyPath, "Add the keys of FILE to your key store")
        ->type_name("FILE");
    app.add_option("--label", label, "With --add-key: your name for the key")->type_name("TEXT");
    app.add_flag("--keys", listKeys, "List the keys of your key store");
    app.add_flag("--require-signature", requireSignature,
                 "With --verify: a list without a signature is an error (exit 2)");
    app.add_option("--remove-key", removeKeyText,
                   "Remove the key with this fingerprint from your key store")
        ->type_name("FPR");
#endif

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        // --help and --version succeed only when their text reached its place.
        std::cout.flush();
        if (code == 0 && (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout) != 0)) {
            return Refuse("standard output",
                          std::string("cannot be written: ") + std::strerror(errno));
        }
        return code == 0 ? kExitOk : kExitError;
    }
    std::string jobsFault;
    if (app.count("--jobs") > 0 && !ParseJobCount(jobsText, jobs, jobsFault)) {
        return Usage("--jobs: " + jobsFault);
    }

    CliSettings settings;
    if (app.count("--algorithm") > 0) {
        settings.algorithm = DigestKindFromName(algorithmText);
        if (!settings.algorithm) {
            return Usage("--algorithm: \"" + algorithmText +
                         "\" is no algorithm known here; the algorithms are " +
                         DigestKindOptionList());
        }
    }
    settings.tag = tag;
    settings.ignoreMissing = ignoreMissing;
    settings.jobs = jobs;
    settings.uncached = uncached;
    settings.version = SUMBROOK_CLI_VERSION;
    settings.progress = IsTerminal(stderr);
    if (!IsTerminal(stdout)) std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);

#ifdef SUMBROOK_SIGNATURES
    const std::size_t signatureCommands = app.count("--check-signature") + app.count("--add-key") +
                                          app.count("--keys") + app.count("--remove-key");
    if (signatureCommands > 1) {
        return Usage("--check-signature, --add-key, --keys and --remove-key go one at a time");
    }
    if (app.count("--label") > 0 && app.count("--add-key") == 0)
        return Usage("--label is for --add-key");
    if ((app.count("--signature") > 0 || app.count("--key") > 0 ||
         app.count("--fingerprint") > 0) &&
        app.count("--check-signature") == 0 && app.count("--verify") == 0) {
        return Usage("--signature, --key and --fingerprint are for --check-signature and --verify");
    }
    if (requireSignature && app.count("--verify") == 0)
        return Usage("--require-signature is for --verify");
    ListSignatureOptions listSignature;
    listSignature.keyFiles = signature.keyFiles;
    listSignature.fingerprints = signature.fingerprints;
    listSignature.signaturePath = signature.signaturePath;
    listSignature.requireSignature = requireSignature;
    listSignature.storeFolder = DefaultKeyStoreFolder();
    settings.signature = &listSignature;
    if (signatureCommands > 0) {
        if (!paths.empty() || app.count("--verify") > 0 || app.count("--compare") > 0 ||
            app.count("--protocol") > 0 || app.count("--sfv") > 0 || app.count("--list") > 0) {
            return Usage(
                "--check-signature, --add-key, --keys and --remove-key take no other command or "
                "path");
        }
        if (app.count("--check-signature") > 0) {
            if (checkSignaturePath.empty())
                return Usage("--check-signature: the file name is empty");
            return CheckSignature(checkSignaturePath, signature, settings);
        }
        if (app.count("--add-key") > 0) return AddKey(addKeyPath, label, settings);
        if (app.count("--remove-key") > 0) return RemoveKey(removeKeyText, settings);
        return ListKeys(settings);
    }
#endif
    const bool writesList =
        app.count("--protocol") > 0 || app.count("--sfv") > 0 || app.count("--list") > 0;
    const bool checksumsFiles =
        !writesList && app.count("--verify") == 0 && app.count("--compare") == 0;
    if (app.count("--output") > 0 && !writesList) {
        return Usage("--output is for --protocol, --sfv and --list");
    }
    if (settings.algorithm && (app.count("--protocol") > 0 || app.count("--sfv") > 0)) {
        return Usage(
            "--algorithm: a protocol and an SFV list hold CRC-32 only; --list writes "
            "the lists of other algorithms");
    }
    if (app.count("--list") > 0 && settings.algorithm == DigestKind::kCrc32 && !tag) {
        return Usage(
            "--list -a crc32: sum lines hold no CRC-32 (sha256sum's peers would take "
            "it for another algorithm); --sfv writes CRC-32 lists, --tag tag lines");
    }
    if (tag && settings.algorithm == DigestKind::kBlake3) {
        return Usage(
            "--tag -a blake3: no tool reads BLAKE3 tag lines (b3sum --check and cksum -c refuse "
            "them); leave out --tag for b3sum's lines");
    }
    if (tag && !checksumsFiles && app.count("--list") == 0) {
        return Usage("--tag is for files to checksum and --list");
    }
    if (ignoreMissing && app.count("--verify") == 0) {
        return Usage("--ignore-missing is for --verify");
    }
    if (recursive && app.count("--protocol") > 0) {
        return Usage("--recursive: a protocol lists the files of one directory");
    }
    if (recursive && !writesList && app.count("--verify") == 0 && app.count("--compare") == 0) {
        return Usage("--recursive is for --sfv, --list, --verify and --compare");
    }
    if (uncached && app.count("--verify") == 0 && app.count("--compare") == 0) {
        return Usage("--uncached is for --verify and --compare");
    }
    if (writesList) {
        const char* command = app.count("--protocol") > 0 ? "--protocol"
                              : app.count("--sfv") > 0    ? "--sfv"
                                                          : "--list";
        const std::string& directory = app.count("--protocol") > 0 ? protocolDirectory
                                       : app.count("--sfv") > 0    ? sfvDirectory
                                                                   : listDirectory;
        if (!paths.empty()) {
            return Usage(std::string(command) + " takes one directory and no other paths");
        }
        if (directory.empty()) return Usage(std::string(command) + ": the directory is empty");
        if (outputPath.empty() && app.count("--output") > 0) {
            return Usage("--output: the file name is empty");
        }
        if (outputPath.empty()) UseBinaryMode(stdout);
        if (app.count("--protocol") > 0) {
            return WriteDirectoryProtocol(directory, outputPath, settings);
        }
        if (app.count("--list") > 0) {
            return WriteDirectoryList(directory, recursive, outputPath, settings);
        }
        return WriteDirectorySfv(directory, recursive, outputPath, settings);
    }
    if (app.count("--verify") > 0) {
        if (paths.size() > 1) return Usage("--verify takes a list and at most one directory");
        if (verifyList.empty()) return Usage("--verify: the list name is empty");
        if (!paths.empty() && paths.front().empty()) return Usage("the directory is empty");
        if (verifyList == "-") UseBinaryMode(stdin);
        return VerifyDirectory(verifyList, paths.empty() ? std::string() : paths.front(), recursive,
                               settings);
    }
    if (app.count("--compare") > 0) {
        if (settings.algorithm && DetectsDamageOnly(*settings.algorithm)) {
            return Usage(std::string("--compare -a ") + algorithmText +
                         ": two different files can have one " +
                         DigestKindName(*settings.algorithm) +
                         " (four bytes make a CRC-32 match); --compare tells copies apart by "
                         "BLAKE3, or by -a " +
                         KindsTellingCopiesApart(DigestKind::kBlake3));
        }
        if (paths.size() != 1 || compareSource.empty() || paths.front().empty()) {
            return Usage("--compare takes two directories: SRC DEST");
        }
        if (SameFile(compareSource, paths.front())) {
            return Refuse("--compare", "SRC and DEST are the same folder; nothing to compare");
        }
        return CompareFolders(compareSource, paths.front(), recursive, settings);
    }
    if (paths.empty()) {
        return Usage(
            "give files to checksum, --protocol DIR, --sfv DIR, --list DIR, --verify LIST or "
            "--compare SRC DEST");
    }
    // Digest lines end in LF alone, as b3sum and xxhsum read them.
    if (tag || (settings.algorithm && *settings.algorithm != DigestKind::kCrc32)) {
        UseBinaryMode(stdout);
    }
    return ChecksumFiles(paths, settings);
}

int Main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "sumbrook-cli: out of memory; nothing more was done\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "sumbrook-cli: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "sumbrook-cli: unexpected failure\n");
    }
    return sumbrook::kExitError;
}

}  // namespace

#ifdef _WIN32
// The arguments as UTF-16 (the whole command line, wildcards expanded by
// the runtime), turned into the UTF-8 that the program works in.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> utf8;
    try {
        for (int i = 0; i < argc; ++i) utf8.push_back(sumbrook::Utf8FromWide(argv[i]));
    } catch (const std::exception&) {
        std::fprintf(stderr, "sumbrook-cli: out of memory\n");
        return sumbrook::kExitError;
    }
    std::vector<char*> pointers;
    for (std::string& argument : utf8) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return Main(argc, pointers.data());
}
#else
int main(int argc, char** argv) {
    // A write past the size limit (ulimit -f) fails as "File too large" and
    // is reported, rather than ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    return Main(argc, argv);
}
#endif
