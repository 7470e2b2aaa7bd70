#include "platform/sanitizer_build.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif

const std::string optionsName = "ASAN_OPTIONS=";

}

bool addressSanitized()
{
    return sanitized;
}

std::string sanitizerMemoryLimit(const std::vector<std::string>& environment, long bytes)
{
    if (!sanitized) {
        return {};
    }
    std::string options = optionsName;
    for (const std::string& entry : environment) {
        if (entry.compare(0, optionsName.size(), optionsName) == 0) {
            options = entry + ":";
        }
    }
    return options + "detect_leaks=0:hard_rss_limit_mb=" + std::to_string(bytes >> 20);
}

bool sanitizerMemoryLimitReached(const std::string& errors)
{
    return sanitized
        && (errors.find("rss limit exhausted") != std::string::npos
            || errors.find("exceeded the RSS limit") != std::string::npos);
}

void checkLeaksNow()
{
#if defined(__SANITIZE_ADDRESS__)
    __lsan_do_leak_check();
#endif
}
