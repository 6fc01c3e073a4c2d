#include "platform/fake/faults.h"

#include <cstdlib>

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
        case Op::GetFileState:
            return "GetFileState";
        case Op::SetFileAttributes:
            return "SetFileAttributes";
        case Op::CopyFile:
            return "CopyFile";
        case Op::DeleteFile:
            return "DeleteFile";
        case Op::MoveFile:
            return "MoveFile";
        case Op::CreateDirectory:
            return "CreateDirectory";
        case Op::OpenFileExclusive:
            return "OpenFileExclusive";
        case Op::CloseFile:
            return "CloseFile";
        case Op::GetFileSize:
            return "GetFileSize";
        case Op::ReadFile:
            return "ReadFile";
        case Op::WriteFile:
            return "WriteFile";
        case Op::SeekFile:
            return "SeekFile";
        case Op::TruncateFile:
            return "TruncateFile";
        case Op::SetMachineRegistryText:
            return "SetMachineRegistryText";
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
        case Op::OpenDeviceSet:
            return "OpenDeviceSet";
        case Op::CloseDeviceSet:
            return "CloseDeviceSet";
        case Op::GetDeviceEntry:
            return "GetDeviceEntry";
        case Op::GetInstanceId:
            return "GetInstanceId";
        case Op::RemoveDevice:
            return "RemoveDevice";
        case Op::LocateRootDevNode:
            return "LocateRootDevNode";
        case Op::ReenumerateDevNode:
            return "ReenumerateDevNode";
        case Op::NextWindow:
            return "NextWindow";
        case Op::ReadWindowText:
            return "ReadWindowText";
        case Op::GetControlId:
            return "GetControlId";
        case Op::IsWindowEnabled:
            return "IsWindowEnabled";
        case Op::IsWindowVisible:
            return "IsWindowVisible";
        case Op::SendCommand:
            return "SendCommand";
        case Op::RunModalDialog:
            return "RunModalDialog";
        case Op::EndDialog:
            return "EndDialog";
        case Op::SetWindowTitle:
            return "SetWindowTitle";
        case Op::CheckButton:
            return "CheckButton";
        case Op::EnableControl:
            return "EnableControl";
        case Op::FocusControl:
            return "FocusControl";
        case Op::ControlWindow:
            return "ControlWindow";
        case Op::AddSystemMenuItem:
            return "AddSystemMenuItem";
        case Op::SetWindowIcon:
            return "SetWindowIcon";
        case Op::SetControlBitmap:
            return "SetControlBitmap";
        case Op::IsMinimized:
            return "IsMinimized";
        case Op::PaintMinimizedIcon:
            return "PaintMinimizedIcon";
        case Op::SetCursorFromResource:
            return "SetCursorFromResource";
        case Op::StartProgram:
            return "StartProgram";
        case Op::TickCount:
            return "TickCount";
        case Op::TakeRunGuard:
            return "TakeRunGuard";
        case Op::AppendToFile:
            return "AppendToFile";
        case Op::ReadMachineRegistryText:
            return "ReadMachineRegistryText";
    }
    return "?";
}

void Faults::Clear() {
    alwaysFailing_.clear();
    failFrom_ = kNever;
    failOnlyOne_ = true;
    cutAfter_ = kNever;
    cut_ = false;
    log_.clear();
    injected_ = 0;
    lastError = 0;
}

bool Faults::Fail(Op op) {
    std::size_t sequence = log_.size();
    log_.push_back(op);
    if (cutAfter_ != kNever && sequence > cutAfter_) {
        // A handle is released from a destructor, which must not throw; the
        // release changes nothing that outlives the run, so the next call
        // stops it. Calls on the way out fail quietly.
        bool release = op == Op::CloseFile || op == Op::CloseInf || op == Op::CloseDeviceSet;
        if (!cut_ && !release) {
            cut_ = true;
#if defined(__cpp_exceptions)
            throw PowerCut{};
#else
            // Images built without exceptions (pkgcheck.exe) never cut.
            std::abort();
#endif
        }
        lastError = kInjectedError;
        return true;
    }
    bool fail = alwaysFailing_.count(op) != 0;
    if (failFrom_ != kNever) {
        fail = fail || (failOnlyOne_ ? sequence == failFrom_ : sequence >= failFrom_);
    }
    if (fail) {
        ++injected_;
        lastError = kInjectedError;
    }
    return fail;
}

}  // namespace fake
