#include "ui/device_name.h"

namespace {

constexpr char kToken[] = "#DEV_NAME#";
constexpr std::size_t kTokenLength = sizeof(kToken) - 1;
// A sound device name settles in one pass; these stop a hostile one.
constexpr int kMaxPasses = 8;
constexpr std::size_t kMaxLength = 64 * 1024;

}  // namespace

std::string SubstituteDeviceName(const std::string& text, const std::string& deviceName) {
    std::string current = text;
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        std::string next;
        std::size_t from = 0;
        std::size_t at;
        bool replaced = false;
        while ((at = current.find(kToken, from)) != std::string::npos) {
            next.append(current, from, at - from);
            next += deviceName;
            from = at + kTokenLength;
            replaced = true;
        }
        if (!replaced) {
            break;
        }
        next.append(current, from, std::string::npos);
        if (next.size() > kMaxLength) {
            break;
        }
        current.swap(next);
    }
    return current;
}
