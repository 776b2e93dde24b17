// Copy and Save report of many rows, for the window: the text made a slice
// at a time on the window's thread (RowsTextJob) and handed to a thread of
// its own, which writes the report's slices to its file as they come and
// puts the file in its place, or puts the text on the clipboard, and posts
// `doneMessage` to the window when it has ended (and when a writer that had
// too much waiting has room again). The window's thread never writes a file
// and never waits for that thread: a window that goes away leaves it to end
// alone (a report not made whole is not put in its file's place). One at a
// time. Windows only.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "verifier/RowsTextJob.h"

namespace sumbrook {

class RowsOutput {
  public:
    RowsOutput(HWND window, UINT doneMessage) : window_(window), doneMessage_(doneMessage) {}
    // Returns at once; a hand-over going on ends on its own thread.
    ~RowsOutput();
    RowsOutput(const RowsOutput&) = delete;
    RowsOutput& operator=(const RowsOutput&) = delete;

    // Whether a text is being made or handed on: the table must not be
    // cleared, reordered or have rows taken out meanwhile.
    bool Busy() const { return job_ != nullptr || handover_ != nullptr; }
    // Whether the text is still being made (ContinueText has work).
    bool Making() const { return job_ != nullptr; }
    // Whether the report the command line asked for is being saved: the
    // run's exit code is not final until it has been.
    bool SavingRequested() const { return Busy() && saved_ && requested_; }

    // Copy: the report lines of the rows at `indices`, or of every row
    // shown when it is empty.
    void StartCopy(const RowTable& table, std::vector<std::size_t> indices);
    // Save: the report (RowsTextJob's) into `path`; `requested` marks the
    // report the command line asked for.
    void StartSave(const RowTable& table, const std::string& path, CheckOutcome outcome,
                   const std::vector<std::string>& notices, bool withRows, bool requested);

    // Makes `rows` rows' lines more; once all are made, the text's hand-over
    // ends on its thread. False while lines are still to be made.
    bool ContinueText(const RowTable& table, std::size_t rows);
    // Whether the writer has as much as it may hold waiting: ContinueText
    // made nothing, and `doneMessage` comes once there is room.
    bool WaitsForWriter() const;

    // What an ended hand-over did, taken once its thread has ended.
    struct Ended {
        bool saved = false;      // else copied
        bool requested = false;  // Save: the report the command line asked for
        std::string path;        // Save: the file
        std::string fault;       // "" when the text reached its place, else why not
    };
    // The end, when the thread has ended; else false.
    bool TakeEnd(Ended& ended);

    // " · Copying... 40%", " · Saving the report...", or "" when idle.
    std::string StatusText() const;

  private:
    struct Handover;

    HWND window_;
    UINT doneMessage_;
    std::unique_ptr<RowsTextJob> job_;
    std::wstring wide_;  // Copy: the text for the clipboard
    bool saved_ = false;
    bool requested_ = false;
    std::string path_;
    std::shared_ptr<Handover> handover_;
};

}  // namespace sumbrook
