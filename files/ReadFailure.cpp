#include "files/ReadFailure.h"

#include "platform/SystemErrorText.h"

namespace sumbrook {

namespace {

std::string WithSystemText(const char* what, unsigned long code) {
    std::string text = what;
    if (code != 0) text += ": " + SystemErrorText(code);
    return text;
}

}  // namespace

std::string ReadFailureText(const FileChecksum& checksum) {
    switch (checksum.status) {
        case FileReadStatus::kOk:
            return {};
        case FileReadStatus::kOpenFailed:
#ifdef _WIN32
            if (checksum.errorCode == kFolderOpenError) return "not a regular file: it is a folder";
#endif
            return WithSystemText("cannot open", checksum.errorCode);
        case FileReadStatus::kNotADiskFile:
            return checksum.errorCode == kFolderOpenError ? "not a regular file: it is a folder"
                                                          : "not a regular file";
        case FileReadStatus::kSizeFailed:
            return WithSystemText("cannot tell its size", checksum.errorCode);
        case FileReadStatus::kReadFailed:
            return WithSystemText("read failed", checksum.errorCode);
        case FileReadStatus::kEndedEarly:
            return "it became shorter while it was read";
        case FileReadStatus::kCancelled:
            return "the reading was cancelled";
        case FileReadStatus::kLeftOut:
            return "left out";
    }
    return "cannot be read";
}

}  // namespace sumbrook
