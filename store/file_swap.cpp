#include "store/file_swap.h"

#include "platform/run_log.h"

bool DeleteWithAttributesCleared(FileServices& files, const char* path) {
    files.SetFileAttributes(path, kFileAttributeNormal);
    return Logged(files.runLog, files.DeleteFile(path), "deleted", "delete", path, nullptr, true);
}

bool MoveLogged(FileServices& files, const char* from, const char* to) {
    return Logged(files.runLog, files.MoveFile(from, to), "renamed", "rename", from, to, true);
}

std::size_t FileSwap::Add(const SwapFile& file) {
    slots_[count_].file = file;
    return count_++;
}

bool FileSwap::Stage(std::size_t index) {
    const SwapFile& file = slots_[index].file;
    const char* staged = file.staged.c_str();
    // A staged copy left read-only (the package's own mark) could be neither
    // edited nor deleted.
    bool copied = !failed_ &&
                  Logged(files_.runLog, files_.CopyFile(file.source.c_str(), staged), "copied",
                         "copy", file.source.c_str(), staged) &&
                  files_.SetFileAttributes(staged, kFileAttributeNormal);
    if (!copied) {
        failed_ = true;
        DiscardStaged();
    }
    return copied;
}

bool FileSwap::SetAside(std::size_t index) {
    Slot& slot = slots_[index];
    if (failed_ || slot.setAside) {
        return !failed_;
    }
    FileState state = files_.GetFileState(slot.file.target.c_str());
    if (state == FileState::Present) {
        slot.setAside = MoveLogged(files_, slot.file.target.c_str(), slot.file.aside.c_str());
    }
    failed_ = state == FileState::Unknown || (state == FileState::Present && !slot.setAside);
    return !failed_;
}

bool FileSwap::PutInPlace(std::size_t index) {
    Slot& slot = slots_[index];
    if (SetAside(index)) {
        slot.inPlace = MoveLogged(files_, slot.file.staged.c_str(), slot.file.target.c_str());
        failed_ = !slot.inPlace;
    }
    return !failed_;
}

bool FileSwap::Finish() {
    for (std::size_t i = 0; i < count_; ++i) {
        failed_ = failed_ || !slots_[i].inPlace;
    }
    for (std::size_t i = count_; i-- > 0;) {
        Slot& slot = slots_[i];
        const SwapFile& file = slot.file;
        if (failed_ && slot.inPlace) {
            // The new file goes back under its staged name, freeing the target.
            slot.inPlace = !MoveLogged(files_, file.target.c_str(), file.staged.c_str());
        }
        if (failed_ && slot.setAside && !slot.inPlace) {
            slot.setAside = !MoveLogged(files_, file.aside.c_str(), file.target.c_str());
        }
        if (!failed_ && slot.setAside) {
            slot.setAside = !DeleteWithAttributesCleared(files_, file.aside.c_str());
        }
    }
    if (failed_) {
        DiscardStaged();
    }
    return !failed_;
}

void FileSwap::DiscardStaged() {
    for (std::size_t i = 0; i < count_; ++i) {
        if (!slots_[i].inPlace) {
            DeleteWithAttributesCleared(files_, slots_[i].file.staged.c_str());
        }
    }
}

void RecoverLeftovers(FileServices& files, const SwapFile& file) {
    const char* target = file.target.c_str();
    const char* aside = file.aside.c_str();
    if (files.GetFileState(aside) == FileState::Present) {
        // An aside copy is deleted only where a file stands in its place.
        FileState state = files.GetFileState(target);
        if (state == FileState::Missing) {
            MoveLogged(files, aside, target);
        } else if (state == FileState::Present) {
            DeleteWithAttributesCleared(files, aside);
        }
    }
    if (files.GetFileState(file.staged.c_str()) == FileState::Present) {
        DeleteWithAttributesCleared(files, file.staged.c_str());
    }
}
