#include "platform/win32/win32_devices.h"

#include <cstring>
#include <memory>
#include <vector>

#include "platform/enumerator_key.h"
#include "platform/system_facts.h"
#include "platform/win32/win32_api.h"

#include <cfgmgr32.h>

static_assert(sizeof(SP_DEVINFO_DATA) <= sizeof(DeviceEntry::words),
              "an SP_DEVINFO_DATA must fit a DeviceEntry");
static_assert(sizeof(GUID) == sizeof(ClassGuid), "a ClassGuid has the layout of a GUID");
static_assert(sizeof(DEVINST) == sizeof(DevNode), "a DevNode holds a DEVINST");

namespace {

HDEVINFO SetOf(DeviceSet set) {
    return reinterpret_cast<HDEVINFO>(set);
}

SP_DEVINFO_DATA DataOf(const DeviceEntry& entry) {
    SP_DEVINFO_DATA data;
    std::memcpy(&data, entry.words, sizeof data);
    return data;
}

// Read-only: whether the enumerator's key exists under Enum.
KeyLook LookForEnumeratorKey(const char* enumerator) {
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) {
        return KeyLook::Failed;
    }
    WindowsVersion version{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
    FixedText<300> path;
    if (!EnumeratorKeyPath(NtFamily(version), enumerator, &path)) {
        return KeyLook::Failed;
    }
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS) {
        RegCloseKey(key);
        return KeyLook::Present;
    }
    return status == ERROR_FILE_NOT_FOUND ? KeyLook::Absent : KeyLook::Failed;
}

}  // namespace

struct Win32Devices::Api {
    HMODULE setupapi = LoadSystemLibrary("SETUPAPI.DLL");
    HMODULE cfgmgr32 = LoadSystemLibrary("CFGMGR32.DLL");
    decltype(&SetupDiGetClassDevsA) getClassDevs = BIND_CALL(setupapi, SetupDiGetClassDevsA);
    decltype(&SetupDiEnumDeviceInfo) enumDeviceInfo = BIND_CALL(setupapi, SetupDiEnumDeviceInfo);
    decltype(&SetupDiGetDeviceInstanceIdA) getDeviceInstanceId =
        BIND_CALL(setupapi, SetupDiGetDeviceInstanceIdA);
    decltype(&SetupDiRemoveDevice) removeDevice = BIND_CALL(setupapi, SetupDiRemoveDevice);
    decltype(&SetupDiDestroyDeviceInfoList) destroyDeviceInfoList =
        BIND_CALL(setupapi, SetupDiDestroyDeviceInfoList);
    decltype(&CM_Locate_DevNodeA) locateDevNode = BIND_CALL(cfgmgr32, CM_Locate_DevNodeA);
    decltype(&CM_Reenumerate_DevNode) reenumerateDevNode =
        BIND_CALL(cfgmgr32, CM_Reenumerate_DevNode);
    decltype(&SetupDiCreateDeviceInfoList) createDeviceInfoList =
        BIND_CALL(setupapi, SetupDiCreateDeviceInfoList);

    ~Api() {
        if (cfgmgr32 != nullptr) {
            FreeLibrary(cfgmgr32);
        }
        if (setupapi != nullptr) {
            FreeLibrary(setupapi);
        }
    }
};

Win32Devices::Win32Devices() : api_(std::make_unique<Api>()) {}

Win32Devices::~Win32Devices() = default;

bool Win32Devices::HasEveryCall() const {
    return api_->getClassDevs && api_->enumDeviceInfo && api_->getDeviceInstanceId &&
           api_->removeDevice && api_->destroyDeviceInfoList && api_->locateDevNode &&
           api_->reenumerateDevNode;
}

DeviceSet Win32Devices::OpenDeviceSet(const ClassGuid& classGuid, const char* enumerator,
                                      std::uint32_t flags) {
    // Without DestroyDeviceInfoList a set could never be freed.
    if (api_->getClassDevs == nullptr || api_->destroyDeviceInfoList == nullptr) {
        return kNoDeviceSet;
    }
    GUID guid;
    std::memcpy(&guid, &classGuid, sizeof guid);
    HDEVINFO set = api_->getClassDevs(&guid, enumerator, nullptr, flags);
    // An enumerator that never created an entry is refused too: there is
    // nothing to look at, which an empty set says.
    if (set == INVALID_HANDLE_VALUE && enumerator != nullptr &&
        RefusalMeansNoEntries(GetLastError(), LookForEnumeratorKey(enumerator)) &&
        api_->createDeviceInfoList != nullptr) {
        set = api_->createDeviceInfoList(&guid, nullptr);
    }
    if (set == INVALID_HANDLE_VALUE || set == nullptr) {
        return kNoDeviceSet;
    }
    return reinterpret_cast<DeviceSet>(set);
}

void Win32Devices::CloseDeviceSet(DeviceSet set) {
    if (set != kNoDeviceSet && api_->destroyDeviceInfoList != nullptr) {
        api_->destroyDeviceInfoList(SetOf(set));
    }
}

bool Win32Devices::GetDeviceEntry(DeviceSet set, std::uint32_t index, DeviceEntry* entry) {
    if (api_->enumDeviceInfo == nullptr) {
        return false;
    }
    SP_DEVINFO_DATA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = sizeof data;
    if (!api_->enumDeviceInfo(SetOf(set), index, &data)) {
        return false;
    }
    *entry = DeviceEntry{};
    std::memcpy(entry->words, &data, sizeof data);
    return true;
}

bool Win32Devices::GetInstanceId(DeviceSet set, const DeviceEntry& entry, TextBuffer out) {
    if (api_->getDeviceInstanceId == nullptr || out.capacity == 0) {
        return false;
    }
    SP_DEVINFO_DATA data = DataOf(entry);
    // The caller's buffer stays as it was unless the whole id arrives.
    std::vector<char> id(out.capacity, '\0');
    if (!api_->getDeviceInstanceId(SetOf(set), &data, id.data(), static_cast<DWORD>(id.size()),
                                   nullptr)) {
        return false;
    }
    id.back() = '\0';
    std::memcpy(out.data, id.data(), std::strlen(id.data()) + 1);
    return true;
}

bool Win32Devices::RemoveDevice(DeviceSet set, const DeviceEntry& entry) {
    if (api_->removeDevice == nullptr) {
        return false;
    }
    SP_DEVINFO_DATA data = DataOf(entry);
    return api_->removeDevice(SetOf(set), &data) != FALSE;
}

namespace {

// The configuration manager answers a CONFIGRET and leaves the thread's error
// code as it was: a refusal gets the general failure code, so that the run's
// log never names another call's code.
bool Accepted(CONFIGRET result) {
    if (result != CR_SUCCESS) {
        SetLastError(ERROR_GEN_FAILURE);
    }
    return result == CR_SUCCESS;
}

}  // namespace

bool Win32Devices::LocateRootDevNode(DevNode* root) {
    if (api_->locateDevNode == nullptr) {
        return Accepted(CR_FAILURE);
    }
    DEVINST node = 0;
    if (!Accepted(api_->locateDevNode(&node, nullptr, CM_LOCATE_DEVNODE_NORMAL))) {
        return false;
    }
    *root = node;
    return true;
}

bool Win32Devices::ReenumerateDevNode(DevNode node) {
    if (api_->reenumerateDevNode == nullptr) {
        return Accepted(CR_FAILURE);
    }
    // Not CM_REENUMERATE_SYNCHRONOUS: setting up what is found is the
    // system's business after the call.
    return Accepted(api_->reenumerateDevNode(node, CM_REENUMERATE_NORMAL));
}
