// Copy and Save report of many rows, for the window: the text made a slice
// at a time on the window's thread (RowsTextJob), then handed to the
// clipboard, or flushed and put in its file's place, on a thread of its
// own, which posts `doneMessage` to the window when it has ended. One at a
// time. Windows only.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "verifier/RowsTextJob.h"

namespace sumbrook {

class RowsOutput {
  public:
    RowsOutput(HWND window, UINT doneMessage) : window_(window), doneMessage_(doneMessage) {}
    // Waits for the thread, if one goes on (a file being flushed).
    ~RowsOutput();
    RowsOutput(const RowsOutput&) = delete;
    RowsOutput& operator=(const RowsOutput&) = delete;

    // Whether a text is being made or handed on: the table must not be
    // cleared, reordered or have rows taken out meanwhile.
    bool Busy() const { return job_ != nullptr || finisher_.joinable(); }
    // Whether the text is still being made (ContinueText has work).
    bool Making() const { return job_ != nullptr; }
    // Whether the report the command line asked for is being saved: the
    // run's exit code is not final until it has been.
    bool SavingRequested() const { return Busy() && ending_.saved && ending_.requested; }

    // Copy: the report lines of the rows at `indices`, or of every row
    // shown when it is empty.
    void StartCopy(const RowTable& table, std::vector<std::size_t> indices);
    // Save: the report (RowsTextJob's) into `path`; `requested` marks the
    // report the command line asked for.
    void StartSave(const RowTable& table, const std::string& path, CheckOutcome outcome,
                   const std::vector<std::string>& notices, bool withRows, bool requested);

    // Makes `rows` rows' lines more; once all are made, starts the thread
    // that hands the text on. False while lines are still to be made.
    bool ContinueText(const RowTable& table, std::size_t rows);

    // What an ended hand-over did, taken once its thread has ended.
    struct Ended {
        bool saved = false;      // else copied
        bool requested = false;  // Save: the report the command line asked for
        std::string path;        // Save: the file
        std::string fault;       // "" when the text reached its place, else why not
    };
    // The end, when the thread has ended (joined now); else false.
    bool TakeEnd(Ended& ended);

    // " · Copying... 40%", " · Saving the report...", or "" when idle.
    std::string StatusText() const;

  private:
    HWND window_;
    UINT doneMessage_;
    std::unique_ptr<RowsTextJob> job_;
    std::wstring wide_;  // Copy: the text for the clipboard
    Ended ending_;       // of the hand-over going on; `fault` written by its thread
    std::thread finisher_;
    std::atomic<bool> finished_{false};
};

}  // namespace sumbrook
