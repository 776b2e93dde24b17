// What the command line's sinks print alike: the progress line, sized by the
// plan, and on standard error each folder that could not be listed and each
// link left out because it leads to no file.
#pragma once

#include <string>

#include "cli/CommandOutput.h"
#include "verify/CheckSink.h"
#include "verify/RunNotices.h"

namespace sumbrook {

class PrintingSink : public CheckSink {
  public:
    explicit PrintingSink(CommandOutput& output) : output_(output) {}

    void Planned(const CheckPlan& plan) override { output_.Meter().SetTotal(plan.files); }
    void Progressed(const CheckProgress& progress) override {
        output_.Meter().Set(progress.filesDone, progress.bytesDone);
    }
    void FolderNotListed(const std::string& path, const std::string& error) override {
        output_.Complain(FolderNotListedText(path, error));
    }
    void LinkLeftOut(const std::string& path, const std::string& error) override {
        output_.Complain(LinkLeftOutText(path, error));
    }

  protected:
    CommandOutput& Output() { return output_; }

  private:
    CommandOutput& output_;
};

}  // namespace sumbrook
