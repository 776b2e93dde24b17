// Drives the common open-file dialog from inside the test's own thread: a
// WH_CBT hook notices the dialog, and once it runs, the driver records what
// the user sees and then either types a name and presses Open, or cancels.
// If the dialog is still open a few seconds after that (a name it refused),
// the driver cancels it, so a test fails instead of hanging.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace sumbrook::test {

struct OpenFileDialogSeen {
    int timesShown = 0;
    std::string title;
    std::string folder;      // the folder the dialog lists when it opens
    std::string presetName;  // the file name field as preset
    std::vector<std::string> filters;
    bool readOnlyBoxVisible = false;
    bool ownerDisabled = false;
};

class OpenFileDialogDriver {
  public:
    // `answer`: the text to type into the file name field before pressing
    // Open; std::nullopt to press Cancel instead.
    explicit OpenFileDialogDriver(std::optional<std::string> answer, HWND owner = nullptr);
    ~OpenFileDialogDriver();
    OpenFileDialogDriver(const OpenFileDialogDriver&) = delete;
    OpenFileDialogDriver& operator=(const OpenFileDialogDriver&) = delete;

    const OpenFileDialogSeen& Seen() const { return seen_; }
    // Chooses the file type at `index` (from 0) before typing the answer,
    // as a user picks it in the list.
    void ChooseFileType(int index) { fileType_ = index; }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK OnTimer(HWND dialog, UINT, UINT_PTR id, DWORD);
    void Act(HWND dialog);

    HHOOK hook_ = nullptr;
    HWND owner_ = nullptr;
    std::optional<std::string> answer_;
    int fileType_ = -1;  // none chosen
    OpenFileDialogSeen seen_;
};

}  // namespace sumbrook::test
