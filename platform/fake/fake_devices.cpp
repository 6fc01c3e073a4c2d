#include "platform/fake/fake_devices.h"

#include <cstring>
#include <utility>

#include "platform/enumerator_key.h"
#include "platform/text.h"

namespace fake {

namespace {

// The enumerator that created an entry: the first part of its instance id.
std::string EnumeratorOf(const std::string& instanceId) {
    return instanceId.substr(0, instanceId.find('\\'));
}

// Instance ids and enumerator names compare without regard to case.
bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

FakeDevices::FakeDevices(Faults& faults) : faults_(faults) {}

void FakeDevices::Add(const FakeDevice& device) {
    tree_[nextSerial_++] = device;
}

bool FakeDevices::Has(const std::string& instanceId) const {
    for (const auto& node : tree_) {
        if (SameName(node.second.instanceId, instanceId)) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> FakeDevices::InstanceIds() const {
    std::vector<std::string> ids;
    for (const auto& node : tree_) {
        ids.push_back(node.second.instanceId);
    }
    return ids;
}

bool FakeDevices::HasEnumerator(const char* enumerator) const {
    for (const auto& node : tree_) {
        if (SameName(EnumeratorOf(node.second.instanceId), enumerator)) {
            return true;
        }
    }
    return false;
}

DeviceSet FakeDevices::OpenDeviceSet(const ClassGuid& classGuid, const char* enumerator,
                                     std::uint32_t flags) {
    if (faults_.Fail(Op::OpenDeviceSet)) {
        return kNoDeviceSet;
    }
    bool unknownEnumerator = enumerator != nullptr && !HasEnumerator(enumerator);
    std::uint32_t refusal = refuseSetsWith != 0 ? refuseSetsWith
                            : unknownEnumerator ? kErrorInvalidData
                                                : 0;
    if (refusal != 0) {
        KeyLook key = enumeratorKeysUnreadable ? KeyLook::Failed
                      : unknownEnumerator      ? KeyLook::Absent
                                               : KeyLook::Present;
        if (enumerator == nullptr || !RefusalMeansNoEntries(refusal, key)) {
            faults_.Refuse(refusal);
            return kNoDeviceSet;
        }
    }
    std::vector<Member> members;
    for (const auto& node : tree_) {
        const FakeDevice& device = node.second;
        bool classMatches = (flags & kDeviceSetAllClasses) != 0 || device.classGuid == classGuid;
        bool enumeratorMatches =
            enumerator == nullptr || SameName(EnumeratorOf(device.instanceId), enumerator);
        bool presenceMatches = (flags & kDeviceSetPresent) == 0 || device.present;
        if (classMatches && enumeratorMatches && presenceMatches) {
            members.push_back(Member{node.first, device.instanceId});
        }
    }
    DeviceSet set = nextSet_++;
    sets_[set] = std::move(members);
    return set;
}

void FakeDevices::CloseDeviceSet(DeviceSet set) {
    // Freeing a set cannot fail; the call is recorded for fault sweeps.
    faults_.Fail(Op::CloseDeviceSet);
    sets_.erase(set);
}

bool FakeDevices::GetDeviceEntry(DeviceSet set, std::uint32_t index, DeviceEntry* entry) {
    if (faults_.Fail(Op::GetDeviceEntry)) {
        return false;
    }
    auto it = sets_.find(set);
    if (it == sets_.end() || index >= it->second.size()) {
        return false;
    }
    *entry = DeviceEntry{};
    entry->words[0] = set;
    entry->words[1] = index;
    return true;
}

const FakeDevices::Member* FakeDevices::MemberOf(DeviceSet set, const DeviceEntry& entry) const {
    auto it = sets_.find(set);
    if (it == sets_.end() || entry.words[0] != set || entry.words[1] >= it->second.size()) {
        return nullptr;
    }
    return &it->second[entry.words[1]];
}

bool FakeDevices::GetInstanceId(DeviceSet set, const DeviceEntry& entry, TextBuffer out) {
    if (faults_.Fail(Op::GetInstanceId)) {
        return false;
    }
    const Member* member = MemberOf(set, entry);
    if (member == nullptr || member->instanceId.size() + 1 > out.capacity) {
        return false;
    }
    std::memcpy(out.data, member->instanceId.c_str(), member->instanceId.size() + 1);
    return true;
}

bool FakeDevices::RemoveDevice(DeviceSet set, const DeviceEntry& entry) {
    if (faults_.Fail(Op::RemoveDevice)) {
        return false;
    }
    const Member* member = MemberOf(set, entry);
    if (member == nullptr) {
        return false;
    }
    auto node = tree_.find(member->serial);
    if (node == tree_.end() || node->second.removalFails) {
        return faults_.Refuse(5);  // ERROR_ACCESS_DENIED, as a driver that holds on
    }
    FakeDevice removed = node->second;
    tree_.erase(node);
    if (onRemove) {
        onRemove(removed);
    }
    return true;
}

bool FakeDevices::LocateRootDevNode(DevNode* root) {
    if (faults_.Fail(Op::LocateRootDevNode) || !rootLocatable) {
        return false;
    }
    *root = rootDevNode;
    return true;
}

bool FakeDevices::ReenumerateDevNode(DevNode node) {
    // The only node this machine has is the root.
    if (faults_.Fail(Op::ReenumerateDevNode) || !reenumerationAccepted || node != rootDevNode) {
        return false;
    }
    if (onReenumerate) {
        onReenumerate();
    }
    return true;
}

}  // namespace fake
