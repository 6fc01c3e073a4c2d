#include "platform/fake/fake_system.h"

#include <cstring>

namespace fake {

namespace {

bool CopyOut(const std::string& text, TextBuffer out) {
    if (text.size() + 1 > out.capacity) {
        return false;
    }
    std::memcpy(out.data, text.c_str(), text.size() + 1);
    return true;
}

// Cursor layout of an InfLine in the fake: handle, section, line.
InfHandle LineInf(const InfLine& line) {
    return line.words[0];
}
int LineSection(const InfLine& line) {
    return static_cast<int>(line.words[1]);
}
std::size_t LineIndex(const InfLine& line) {
    return line.words[2];
}

}  // namespace

FakeSystem::FakeSystem(Faults& faults, FileSystem& files) : faults_(faults), files_(files) {}

FakeSystem::~FakeSystem() = default;

std::vector<std::string> FakeSystem::ListFiles(const char* pattern) {
    if (faults_.Fail(Op::ListFiles)) {
        return {};
    }
    return files_.List(pattern);
}

InfHandle FakeSystem::OpenInf(const char* path) {
    if (faults_.Fail(Op::OpenInf)) {
        return kNoInf;
    }
    const std::string* bytes = files_.Find(path);
    if (bytes == nullptr) {
        return kNoInf;
    }
    std::string folder(path);
    std::size_t cut = folder.find_last_of('\\');
    folder = cut == std::string::npos ? std::string() : folder.substr(0, cut);
    InfOpenError error;
    std::unique_ptr<InfDocument> doc = InfDocument::Open(*bytes, dirIds, folder, &error);
    if (!doc) {
        return kNoInf;
    }
    InfHandle handle = nextInf_++;
    infs_[handle] = std::move(doc);
    return handle;
}

void FakeSystem::CloseInf(InfHandle inf) {
    // A failed close still releases the handle: SETUPAPI's close cannot fail.
    faults_.Fail(Op::CloseInf);
    infs_.erase(inf);
}

const InfDocument* FakeSystem::Document(const InfLine& line) const {
    auto it = infs_.find(LineInf(line));
    return it == infs_.end() ? nullptr : it->second.get();
}

bool FakeSystem::FindFirstLine(InfHandle inf, const char* section, const char* key, InfLine* line) {
    if (faults_.Fail(Op::FindFirstLine)) {
        return false;
    }
    auto it = infs_.find(inf);
    if (it == infs_.end()) {
        return false;
    }
    const InfDocument& doc = *it->second;
    int index = doc.FindSection(section);
    if (index < 0) {
        return false;
    }
    std::size_t found = 0;
    if (key != nullptr) {
        if (!doc.FindKey(index, key, &found)) {
            return false;
        }
    } else if (doc.LineCount(index) == 0) {
        return false;
    }
    line->words[0] = inf;
    line->words[1] = static_cast<std::uintptr_t>(index);
    line->words[2] = found;
    return true;
}

bool FakeSystem::FindNextLine(InfLine* line) {
    if (faults_.Fail(Op::FindNextLine)) {
        return false;
    }
    const InfDocument* doc = Document(*line);
    if (doc == nullptr || LineIndex(*line) + 1 >= doc->LineCount(LineSection(*line))) {
        return false;
    }
    line->words[2] += 1;
    return true;
}

bool FakeSystem::GetStringField(const InfLine& line, unsigned field, TextBuffer out) {
    if (faults_.Fail(Op::GetStringField)) {
        return false;
    }
    const InfDocument* doc = Document(line);
    std::string text;
    return doc != nullptr && doc->GetField(LineSection(line), LineIndex(line), field, &text) &&
           CopyOut(text, out);
}

bool FakeSystem::GetIntField(const InfLine& line, unsigned field, int* value) {
    if (faults_.Fail(Op::GetIntField)) {
        return false;
    }
    const InfDocument* doc = Document(line);
    return doc != nullptr && doc->GetIntField(LineSection(line), LineIndex(line), field, value);
}

bool FakeSystem::GetVersion(WindowsVersion* out) {
    if (faults_.Fail(Op::GetVersion)) {
        return false;
    }
    *out = version;
    return true;
}

bool FakeSystem::GetWindowsDirectory(TextBuffer out) {
    return !faults_.Fail(Op::GetWindowsDirectory) && CopyOut(windowsDirectory, out);
}

bool FakeSystem::GetModulePath(TextBuffer out) {
    return !faults_.Fail(Op::GetModulePath) && CopyOut(modulePath, out);
}

std::string FakeSystem::GetCommandLine() {
    if (faults_.Fail(Op::GetCommandLine)) {
        return std::string();
    }
    return commandLine;
}

}  // namespace fake
