// Fault injection for the fake machine: every platform operation passes
// through Faults::Fail, which records it and says whether it must fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

namespace fake {

enum class Op {
    ListFiles,
    OpenInf,
    CloseInf,
    FindFirstLine,
    FindNextLine,
    GetStringField,
    GetIntField,
    GetFileState,
    SetFileAttributes,
    CopyFile,
    DeleteFile,
    MoveFile,
    CreateDirectory,
    OpenFileExclusive,
    CloseFile,
    GetFileSize,
    ReadFile,
    WriteFile,
    SeekFile,
    TruncateFile,
    SetMachineRegistryText,
    GetVersion,
    GetWindowsDirectory,
    GetModulePath,
    GetCommandLine,
    LoadString,
    MessageBox,
    DispatchOneMessage,
    Sleep,
    SetControlText,
    SetProgressPosition,
    OpenDeviceSet,
    CloseDeviceSet,
    GetDeviceEntry,
    GetInstanceId,
    RemoveDevice,
    LocateRootDevNode,
    ReenumerateDevNode,
    NextWindow,
    ReadWindowText,
    GetControlId,
    IsWindowEnabled,
    IsWindowVisible,
    SendCommand,
    RunModalDialog,
    EndDialog,
    SetWindowTitle,
    CheckButton,
    EnableControl,
    FocusControl,
    ControlWindow,
    AddSystemMenuItem,
    SetWindowIcon,
    SetControlBitmap,
    IsMinimized,
    PaintMinimizedIcon,
    SetCursorFromResource,
    StartProgram,
    TickCount,
    TakeRunGuard,
    AppendToFile,
    ReadMachineRegistryText,
};

const char* OpName(Op op);

// Thrown by the first call after a cut: the run stops dead, as at a power cut.
struct PowerCut {};

class Faults {
  public:
    // Every call of this operation fails.
    void FailAlways(Op op) { alwaysFailing_.insert(op); }
    // The call with this sequence number (0-based, over all operations) fails;
    // with `andLater`, every call after it fails too.
    void FailCall(std::size_t sequence, bool andLater = false) {
        failFrom_ = sequence;
        failOnlyOne_ = !andLater;
    }
    // Every call after the one with this sequence number fails, and the
    // first of them throws PowerCut: nothing after the cut has any effect.
    void CutAfter(std::size_t sequence) { cutAfter_ = sequence; }
    void Clear();

    // Records the call; true when it must fail.
    bool Fail(Op op);

    const std::vector<Op>& Log() const { return log_; }

    // The Win32 error code of the last failed call, as GetLastError keeps it
    // for the whole machine; an injected failure gives kInjectedError.
    static constexpr std::uint32_t kInjectedError = 31;  // ERROR_GEN_FAILURE
    std::uint32_t lastError = 0;
    // Sets the code of a failure the machine itself refuses; returns false.
    bool Refuse(std::uint32_t code) {
        lastError = code;
        return false;
    }
    std::size_t Injected() const { return injected_; }

  private:
    static constexpr std::size_t kNever = static_cast<std::size_t>(-1);
    std::set<Op> alwaysFailing_;
    std::size_t failFrom_ = kNever;
    bool failOnlyOne_ = true;
    std::size_t cutAfter_ = kNever;
    bool cut_ = false;
    std::vector<Op> log_;
    std::size_t injected_ = 0;
};

}  // namespace fake
