#include "model_check/running_check.h"

#include "model_check/model_check.h"
#include "platform/data_path.h"
#include "platform/process.h"

namespace {

const char* const checkerName = "pelmora-model-check";

// What is kept of the check's standard error: its end, where its line stands.
constexpr std::size_t keptErrorBytes = 4096;

// The reason that the check's last line gives after "pelmora-model-check: PATH: ", or empty.
std::string reasonFromLastLine(std::string errors, const std::string& path)
{
    // On Windows the checker's standard error is text, its lines ending in "\r\n".
    while (!errors.empty() && (errors.back() == '\n' || errors.back() == '\r')) {
        errors.pop_back();
    }
    const std::string line = errors.substr(errors.rfind('\n') + 1);
    const std::string prefix = std::string(checkerName) + ": " + path + ": ";
    return line.compare(0, prefix.size(), prefix) == 0 ? line.substr(prefix.size()) : std::string();
}

}

RunningCheck startModelCheck(const std::string& path)
{
    RunningCheck check {path, nullptr, std::chrono::steady_clock::now() + std::chrono::seconds(modelCheckWallSeconds)};
    if (pathKind(path.c_str()) == PathKind::Regular) {
        // The checker is installed beside the programs, and built beside them too.
        check.child = startLimitedChild(programFolder() + "/" + checkerName, {path}, modelCheckLimits);
    }
    return check;
}

std::string awaitModelCheck(RunningCheck check)
{
    const ChildOutcome outcome = awaitLimitedChild(std::move(check.child), check.deadline, keptErrorBytes);
    switch (outcome.end) {
    case ChildEnd::NotStarted: return modelCheckReason(CheckStatus::NotStarted);
    case ChildEnd::OutOfProcessorTime: return modelCheckReason(CheckStatus::OutOfProcessorTime);
    case ChildEnd::OutOfTime: return modelCheckReason(CheckStatus::OutOfTime);
    case ChildEnd::OutOfMemory: return modelCheckReason(CheckStatus::OutOfMemory);
    case ChildEnd::Crashed: return modelCheckReason(CheckStatus::Crashed) + " (" + outcome.crash + ")";
    case ChildEnd::Exited: break;
    }
    const auto status = static_cast<CheckStatus>(outcome.exitStatus);
    if (status == CheckStatus::Passed) {
        return {};
    }
    const std::string reason = reasonFromLastLine(outcome.errors, check.path);
    return reason.empty() ? modelCheckReason(status) : reason;
}
