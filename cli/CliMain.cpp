// sumbrook-cli: CRC-32 checksums of files, protocols of directories and
// their verification, from the command line.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/ParallelChecksum.h"

#ifdef _WIN32
// Wildcards in arguments are expanded, as the console expects of a program.
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
    "malformed protocol).\n";

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
    app.set_version_flag("--version", "sumbrook-cli " SUMBROOK_CLI_VERSION);

    std::vector<std::string> paths;
    std::string protocolDirectory;
    std::string sfvDirectory;
    std::string outputPath;
    std::string verifyList;
    std::vector<std::string> compared;
    bool recursive = false;
    unsigned jobs = DefaultJobCount();
    app.add_option("PATH", paths,
                   "Files to checksum; with --verify, the directory to check instead of the "
                   "list's");
    CLI::Option* protocol = app.add_option("--protocol", protocolDirectory,
                                           "Write the protocol of the plain files in DIR")
                                ->type_name("DIR");
    CLI::Option* sfv =
        app.add_option("--sfv", sfvDirectory, "Write an SFV list of the plain files in DIR")
            ->type_name("DIR")
            ->excludes(protocol);
    app.add_option("-o,--output", outputPath, "Write the protocol or list to FILE, not to stdout")
        ->type_name("FILE");
    CLI::Option* verify =
        app.add_option("--verify", verifyList, "Check a directory against LIST (protocol or SFV)")
            ->type_name("LIST")
            ->excludes(protocol)
            ->excludes(sfv);
    app.add_option("--compare", compared, "Compare the plain files of SRC with those of DEST")
        ->type_name("SRC DEST")
        ->expected(2)
        ->excludes(protocol)
        ->excludes(sfv)
        ->excludes(verify);
    app.add_flag("-r,--recursive", recursive,
                 "With --sfv, --verify of an SFV list and --compare: the whole tree");
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
    settings.version = SUMBROOK_CLI_VERSION;
    settings.progress = IsTerminal(stderr);
    if (!IsTerminal(stdout)) std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);

    const bool writesList = app.count("--protocol") > 0 || app.count("--sfv") > 0;
    if (app.count("--output") > 0 && !writesList) {
        return Usage("--output is for --protocol and --sfv");
    }
    if (recursive && app.count("--protocol") > 0) {
        return Usage("--recursive: a protocol lists the files of one directory");
    }
    if (recursive && !writesList && app.count("--verify") == 0 && app.count("--compare") == 0) {
        return Usage("--recursive is for --sfv, --verify and --compare");
    }
    if (writesList) {
        const char* command = app.count("--protocol") > 0 ? "--protocol" : "--sfv";
        const std::string& directory =
            app.count("--protocol") > 0 ? protocolDirectory : sfvDirectory;
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
        return WriteDirectorySfv(directory, recursive, outputPath, settings);
    }
    if (app.count("--verify") > 0) {
        if (paths.size() > 1) return Usage("--verify takes a list and at most one directory");
        if (verifyList.empty()) return Usage("--verify: the list name is empty");
        if (!paths.empty() && paths.front().empty()) return Usage("the directory is empty");
        return VerifyDirectory(verifyList, paths.empty() ? std::string() : paths.front(), recursive,
                               settings);
    }
    if (app.count("--compare") > 0) {
        if (!paths.empty()) return Usage("--compare takes two directories and no other paths");
        if (compared.size() != 2 || compared[0].empty() || compared[1].empty()) {
            return Usage("--compare: give two directories");
        }
        return CompareFolders(compared[0], compared[1], recursive, settings);
    }
    if (paths.empty()) {
        return Usage(
            "give files to checksum, --protocol DIR, --sfv DIR, --verify LIST or "
            "--compare SRC DEST");
    }
    return ChecksumFiles(paths, settings);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "sumbrook-cli: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "sumbrook-cli: unexpected failure\n");
    }
    return sumbrook::kExitError;
}
