// Puts new files in place so that a failure at any step leaves either the
// files they replace or the new ones, never neither: each new file is first
// copied beside its target under a temporary name (staged); only then may the
// removal steps run; the file it replaces is renamed aside, the staged copy
// renamed onto the target, and the aside copy deleted only when every file is
// in place. A rename that would replace a file exists on no Windows 98, so
// every rename goes onto a free name.
#pragma once

#include <cstddef>

#include "platform/file_services.h"
#include "store/store_paths.h"

// One file: read from `source`, installed as `target`. The temporary names
// lie in the target's own folder and are fixed for each kind of file, so
// that a later run recognises what a run cut short left.
struct SwapFile {
    StorePath source;
    StorePath target;
    StorePath staged;  // the new file's copy, before it is in place
    StorePath aside;   // what the target held, until the new file is in place
};

class FileSwap {
  public:
    static constexpr std::size_t kMaxFiles = 3;

    explicit FileSwap(FileServices& files) : files_(files) {}
    FileSwap(const FileSwap&) = delete;
    FileSwap& operator=(const FileSwap&) = delete;

    // Adds a file; returns its index.
    std::size_t Add(const SwapFile& file);
    const SwapFile& File(std::size_t index) const { return slots_[index].file; }

    // The guarded copy of the source onto the staged name: read-only marks
    // cleared afterwards, every result checked. False, with every staged copy
    // deleted again, when one step failed.
    bool Stage(std::size_t index);

    // Renames what the target holds aside; true when it is aside or there was
    // nothing. Once a step has failed nothing more is done.
    bool SetAside(std::size_t index);
    // Sets the target aside if that is not done yet, then renames the staged
    // copy onto it.
    bool PutInPlace(std::size_t index);
    bool Failed() const { return failed_; }
    bool WasSetAside(std::size_t index) const { return slots_[index].setAside; }

    // After the last step: when every file is in place, the aside copies go;
    // otherwise the new files go, what was set aside comes back and the
    // staged copies are deleted. True when every file is in place.
    bool Finish();

  private:
    struct Slot {
        SwapFile file;
        bool setAside = false;
        bool inPlace = false;
    };
    void DiscardStaged();

    FileServices& files_;
    Slot slots_[kMaxFiles];
    std::size_t count_ = 0;
    bool failed_ = false;
};

// What a run cut short may have left of one file: an aside copy goes back
// where no file stands under the target's name, and is deleted where one
// does; a staged copy is deleted. Every run begins with it and an install
// also ends with it.
void RecoverLeftovers(FileServices& files, const SwapFile& file);

// Clears a file's read-only mark and deletes it; true when it was deleted.
// Both log their change.
bool DeleteWithAttributesCleared(FileServices& files, const char* path);
bool MoveLogged(FileServices& files, const char* from, const char* to);
