#include "cli/CommandOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/Console.h"
#include "verify/RunNotices.h"

namespace sumbrook {

CommandOutput::CommandOutput(const CliSettings& settings, std::size_t totalFiles)
    : out_(settings.out),
      err_(settings.err),
      outIsTerminal_(IsTerminal(settings.out)),
      errIsTerminal_(IsTerminal(settings.err)),
      progress_(settings.err, settings.progress, totalFiles) {}

void CommandOutput::Line(std::string_view text) {
    if (!outIsTerminal_) {
        // A file, a pipe or a device: no progress line to keep clear of.
        if ((std::fwrite(text.data(), 1, text.size(), out_) != text.size() ||
             std::fputc('\n', out_) == EOF) &&
            writeError_ == 0) {
            writeError_ = errno;
        }
        return;
    }
    progress_.Erase();
    std::string line(text);
    line += '\n';
    WriteText(out_, line, true);
}

bool CommandOutput::Write(std::string_view bytes) {
    if (outIsTerminal_) progress_.Erase();
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out_) == bytes.size();
    if (!written && writeError_ == 0) writeError_ = errno;
    return written;
}

void CommandOutput::Complain(std::string_view subject, std::string_view text) {
    std::string sentence(subject);
    sentence += ": ";
    sentence.append(text);
    Complain(sentence);
}

void CommandOutput::Complain(std::string_view sentence) {
    progress_.Erase();
    if (outIsTerminal_) std::fflush(out_);
    std::string line = NoticeLine(sentence);
    line += '\n';
    WriteText(err_, line, errIsTerminal_);
}

bool CommandOutput::Finish() {
    progress_.Erase();
    if (std::fflush(out_) != 0 && writeError_ == 0) writeError_ = errno;
    return writeError_ == 0 && std::ferror(out_) == 0;
}

void CommandOutput::ComplainOutputLost() {
    Complain("standard output",
             writeError_ == 0 ? std::string("cannot be written")
                              : "cannot be written: " + std::string(std::strerror(writeError_)));
}

}  // namespace sumbrook
