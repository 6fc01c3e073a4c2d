#include "platform/fake/faults.h"

namespace fake {

const char* OpName(Op op) {
    switch (op) {
        case Op::ListFiles:
            return "ListFiles";
        case Op::OpenInf:
            return "OpenInf";
        case Op::CloseInf:
            return "CloseInf";
        case Op::FindFirstLine:
            return "FindFirstLine";
        case Op::FindNextLine:
            return "FindNextLine";
        case Op::GetStringField:
            return "GetStringField";
        case Op::GetIntField:
            return "GetIntField";
        case Op::GetVersion:
            return "GetVersion";
        case Op::GetWindowsDirectory:
            return "GetWindowsDirectory";
        case Op::GetModulePath:
            return "GetModulePath";
        case Op::GetCommandLine:
            return "GetCommandLine";
        case Op::LoadString:
            return "LoadString";
        case Op::MessageBox:
            return "MessageBox";
        case Op::DispatchOneMessage:
            return "DispatchOneMessage";
        case Op::Sleep:
            return "Sleep";
        case Op::SetControlText:
            return "SetControlText";
        case Op::SetProgressPosition:
            return "SetProgressPosition";
    }
    return "?";
}

void Faults::Clear() {
    alwaysFailing_.clear();
    failFrom_ = kNever;
    failOnlyOne_ = true;
    log_.clear();
    injected_ = 0;
}

bool Faults::Fail(Op op) {
    std::size_t sequence = log_.size();
    log_.push_back(op);
    bool fail = alwaysFailing_.count(op) != 0;
    if (failFrom_ != kNever) {
        fail = fail || (failOnlyOne_ ? sequence == failFrom_ : sequence >= failFrom_);
    }
    if (fail) {
        ++injected_;
    }
    return fail;
}

}  // namespace fake
