// sumbrook-cli: CRC-32 checksums of files, protocols of directories and
// their verification, from the command line.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "cli/BuildCommit.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/ParallelChecksum.h"

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
    "the dialog); subdirectories are not entered.";
#else
constexpr char kPlainFileRule[] =
    "Plain files are the regular files directly in DIR whose names do not start with a\n"
    "dot; symbolic links to regular files count, links to directories do not;\n"
    "subdirectories are not entered.";
#endif

constexpr char kFooter[] =
    "\nCommands:\n"
    "  sumbrook-cli FILE...                  one line per file: the CRC-32 as eight hex\n"
    "                                        digits, two blanks, the path as given\n"
    "  sumbrook-cli --protocol DIR [-o FILE] the protocol of DIR's plain files, in the\n"
    "                                        format of Sumbrook.exe, to FILE or stdout\n"
    "  sumbrook-cli --verify PROTOCOL [DIR]  checks DIR (default: the directory the\n"
    "                                        protocol names) against the protocol\n"
    "A protocol file inside DIR is neither listed nor checked.\n"
    "\n"
    "Verification prints one line per file, OK, CHANGED (old -> new CRC), MISSING, NEW,\n"
    "EMPTY (empty files are never listed), UNREADABLE or AMBIGUOUS (a name cut to 34\n"
    "characters in the protocol that fits several files), then a summary line.\n"
    "\n"
    "Exit codes: 0 everything verified or computed; 1 differences found (changed,\n"
    "missing, new, ambiguous); 2 errors (unreadable files, bad arguments, unreadable or\n"
    "malformed protocol).\n"
    "\n"
    "SOURCE_DATE_EPOCH, when set, is the time a protocol's header names, in UTC.\n";

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

int Run(int argc, char** argv) {
    using namespace sumbrook;  // NOLINT

    CLI::App app{"CRC-32 checksums of files, protocols of directories and their verification.",
                 "sumbrook-cli"};
    app.footer(std::string("\n") + kPlainFileRule + "\n" + kFooter);
    app.set_version_flag("--version", VersionText());

    std::vector<std::string> paths;
    std::string protocolDirectory;
    std::string outputPath;
    std::string verifyProtocol;
    unsigned jobs = DefaultJobCount();
    app.add_option("PATH", paths,
                   "Files to checksum; with --verify, the directory to check instead of the "
                   "protocol's");
    CLI::Option* protocol = app.add_option("--protocol", protocolDirectory,
                                           "Write the protocol of the plain files in DIR")
                                ->type_name("DIR");
    app.add_option("-o,--output", outputPath, "Write the protocol to FILE, not to stdout")
        ->type_name("FILE")
        ->needs(protocol);
    app.add_option("--verify", verifyProtocol, "Check a directory against PROTOCOL")
        ->type_name("PROTOCOL")
        ->excludes(protocol);
    app.add_option("-j,--jobs", jobs, "Files read at once (default: the number of cores)")
        ->type_name("N")
        ->check(CLI::Range(1U, 1024U));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? kExitOk : kExitError;
    }

    CliSettings settings;
    settings.jobs = jobs;
    settings.progress = IsTerminal(stderr);
    if (!IsTerminal(stdout)) std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);

    if (app.count("--protocol") > 0) {
        if (!paths.empty()) return Usage("--protocol takes one directory and no other paths");
        if (protocolDirectory.empty()) return Usage("--protocol: the directory is empty");
        if (outputPath.empty() && app.count("--output") > 0) {
            return Usage("--output: the file name is empty");
        }
        if (outputPath.empty()) UseBinaryMode(stdout);
        return WriteDirectoryProtocol(protocolDirectory, outputPath, settings);
    }
    if (app.count("--verify") > 0) {
        if (paths.size() > 1) return Usage("--verify takes a protocol and at most one directory");
        if (verifyProtocol.empty()) return Usage("--verify: the protocol name is empty");
        if (!paths.empty() && paths.front().empty()) return Usage("the directory is empty");
        return VerifyDirectory(verifyProtocol, paths.empty() ? std::string() : paths.front(),
                               settings);
    }
    if (paths.empty()) return Usage("give files to checksum, --protocol DIR or --verify PROTOCOL");
    return ChecksumFiles(paths, settings);
}

int Main(int argc, char** argv) {
    try {
        return Run(argc, argv);
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
    return Main(argc, argv);
}
#endif
