// Stands in for the text editor in the tests: registered as the "open"
// action of .txt files, it records what the shell asked it to open.
//   ShellRecorder.exe <record file> <file to open>
// The record holds one "key=value" line each for the recorder's process id,
// the working directory, the file argument as given, whether it could be read
// from the working directory, and then its whole content after a "content="
// line. The record is written under another name and renamed, so a reader
// never sees half of it.
#include <windows.h>

#include <string>

namespace {

std::string ReadAll(const char* path, bool& readable) {
    std::string content;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    readable = file != INVALID_HANDLE_VALUE;
    if (!readable) return content;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
        content.append(block, got);
    CloseHandle(file);
    return content;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    char directory[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    bool readable = false;
    const std::string content = ReadAll(argv[2], readable);
    const std::string record = "pid=" + std::to_string(GetCurrentProcessId()) + "\n" +
                               std::string("directory=") + directory + "\n" + "file=" + argv[2] +
                               "\n" + "readable=" + (readable ? "1" : "0") + "\n" + "content=\n" +
                               content;

    const std::string part = std::string(argv[1]) + ".part";
    HANDLE out = CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(out, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(out);
    return MoveFileExA(part.c_str(), argv[1], MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
