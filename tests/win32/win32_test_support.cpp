#include "tests/win32/win32_test_support.h"

#include "tests/support/win32_scratch.h"

#include <cstdio>

namespace {

std::string ModuleFolder() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\'));
}

}  // namespace

ScratchFolder::ScratchFolder(const char* name) : path_(UniqueTempPath(name)) {
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(path_);
}

bool ScratchFolder::Put(const std::string& relative, const std::string& bytes) const {
    std::string path = path_ + "\\" + relative;
    std::string folder = path.substr(0, path.rfind('\\'));
    CreateDirectoryA(folder.c_str(), nullptr);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    BOOL ok = bytes.empty() ||
              WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool ScratchFolder::Exists(const std::string& relative) const {
    return GetFileAttributesA((path_ + "\\" + relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ScratchFolder::Read(const std::string& relative) const {
    std::string bytes;
    FILE* file = std::fopen((path_ + "\\" + relative).c_str(), "rb");
    if (file == nullptr) {
        return bytes;
    }
    char chunk[256];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.append(chunk, got);
    }
    std::fclose(file);
    return bytes;
}

WizardStandIn::WizardStandIn(const std::string& description, const std::string& options)
    : report_(UniqueTempPath("wizard-report") + ".txt") {
    DeleteFileA(report_.c_str());
    std::string commandLine = "\"" + ModuleFolder() + "\\wizard_standin.exe\" \"" + description +
                              "\" \"" + report_ + "\" " + options;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &started)) {
        CloseHandle(started.hThread);
        process_ = started.hProcess;
    }
}

WizardStandIn::~WizardStandIn() {
    if (process_ != nullptr) {
        if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, 10000);
        }
        CloseHandle(process_);
    }
    DeleteFileA(report_.c_str());
}

bool WizardStandIn::EndsWithin(DWORD ms) {
    return process_ != nullptr && WaitForSingleObject(process_, ms) == WAIT_OBJECT_0;
}

std::vector<std::string> WizardStandIn::Report() const {
    std::vector<std::string> lines;
    FILE* file = std::fopen(report_.c_str(), "r");
    if (file == nullptr) {
        return lines;
    }
    char line[64];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        std::string text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        lines.push_back(text);
    }
    std::fclose(file);
    return lines;
}

const BrandTexts kNoBrand;

RecordingChannel::RecordingChannel(WindowServices& windows)
    : DialogChannel(windows, kNoWindow, kNoBrand) {}

void RecordingChannel::SetProgress(int position) {
    positions.push_back(position);
    if (look) {
        look();
    }
}

int RecordingChannel::PumpMessages(unsigned ms) {
    if (look) {
        look();
    }
    return DialogChannel::PumpMessages(ms);
}
