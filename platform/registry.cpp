#include "platform/registry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string_view>
#include <system_error>

#include "platform/registry_file.h"
#include "platform/registry_sysfs.h"
#include "platform/registry_tree.h"

namespace registry {

namespace {

constexpr char kSysfsRoot[] = "/sys";

using View = std::shared_ptr<const RegistryKey>;

// An open key holds the view it was opened in, so that a reload frees nothing under it.
struct OpenKey {
    View view;
    const RegistryKey* key = nullptr;
};

struct ViewState {
    std::mutex lock;
    View view;  // empty until the first open
    ComNamer namer;
    std::map<HKEY, OpenKey> openKeys;
    // Handles count up from above the 32-bit range of the predefined roots, so they never
    // meet HKEY_LOCAL_MACHINE and are never reused.
    std::uint64_t lastHandle = 0xFFFFFFFF;
};

ViewState state;

void Report(const std::vector<std::string>& problems) {
    for (const std::string& problem : problems) {
        std::fprintf(stderr, "%s\n", problem.c_str());
    }
}

View ViewFromFile(const std::string& path, std::vector<std::string>* problems) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        problems->push_back(path + ": cannot read it: " + std::generic_category().message(errno));
        return std::make_shared<const RegistryKey>();
    }
    std::stringstream text;
    text << file.rdbuf();
    return std::make_shared<const RegistryKey>(ParseRegistryText(text.str(), path, problems));
}

View ViewFromSysfs(const std::string& root, const ComNamer& namer,
                   std::vector<std::string>* problems) {
    return std::make_shared<const RegistryKey>(BuildSysfsView(root, namer, problems));
}

void BuildFromSourceLocked() {
    std::vector<std::string> problems;
    const char* file = std::getenv("SERIALKIT_REGISTRY");
    state.view = file && *file ? ViewFromFile(file, &problems)
                               : ViewFromSysfs(kSysfsRoot, state.namer, &problems);
    Report(problems);
}

// The key a handle stands for, or null for an unknown handle.
const OpenKey* FindLocked(HKEY key, OpenKey* root) {
    if (key == HKEY_LOCAL_MACHINE) {
        if (!state.view) {
            BuildFromSourceLocked();
        }
        *root = OpenKey{state.view, state.view.get()};
        return root;
    }
    const auto found = state.openKeys.find(key);
    return found == state.openKeys.end() ? nullptr : &found->second;
}

std::size_t Length(const char16_t* text) {
    return text ? std::char_traits<char16_t>::length(text) : 0;
}

}  // namespace

LONG RegOpenKeyExW(HKEY root, const char16_t* subKey, DWORD options, REGSAM sam, HKEY* result) {
    if (!result) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = HKEY{};
    if (options != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    if ((sam & ~KEY_READ) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    std::u16string_view path(subKey ? subKey : u"", Length(subKey));
    if (path.starts_with(u'\\')) {
        return ERROR_BAD_PATHNAME;
    }
    std::lock_guard lock(state.lock);
    OpenKey rootKey;
    const OpenKey* base = FindLocked(root, &rootKey);
    if (!base) {
        return ERROR_INVALID_HANDLE;
    }
    const RegistryKey* key = base->key;
    while (!path.empty()) {
        const std::size_t slash = path.find(u'\\');
        key = FindSubkey(*key, path.substr(0, slash));
        if (!key) {
            return ERROR_FILE_NOT_FOUND;
        }
        path.remove_prefix(slash == std::u16string_view::npos ? path.size() : slash + 1);
    }
    *result = HKEY{++state.lastHandle};
    state.openKeys[*result] = OpenKey{base->view, key};
    return ERROR_SUCCESS;
}

LONG RegEnumKeyExW(HKEY key, DWORD index, char16_t* name, DWORD* nameChars, DWORD* reserved,
                   char16_t* className, DWORD* classChars, FILETIME* lastWriteTime) {
    if (!name || !nameChars || reserved || (className && !classChars)) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard lock(state.lock);
    OpenKey rootKey;
    const OpenKey* open = FindLocked(key, &rootKey);
    if (!open) {
        return ERROR_INVALID_HANDLE;
    }
    if (index >= open->key->subkeys.size()) {
        return ERROR_NO_MORE_ITEMS;
    }
    const std::u16string& subkeyName = open->key->subkeys[index]->name;
    if (subkeyName.size() >= *nameChars || (className && *classChars == 0)) {
        return ERROR_MORE_DATA;
    }
    subkeyName.copy(name, subkeyName.size());
    name[subkeyName.size()] = u'\0';
    *nameChars = static_cast<DWORD>(subkeyName.size());
    if (className) {
        className[0] = u'\0';
        *classChars = 0;
    }
    if (lastWriteTime) {
        *lastWriteTime = FILETIME{};
    }
    return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, const char16_t* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* dataBytes) {
    if (reserved || (data && !dataBytes)) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard lock(state.lock);
    OpenKey rootKey;
    const OpenKey* open = FindLocked(key, &rootKey);
    if (!open) {
        return ERROR_INVALID_HANDLE;
    }
    const RegistryValue* value =
        FindValue(*open->key, std::u16string_view(valueName ? valueName : u"", Length(valueName)));
    if (!value) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (type) {
        *type = value->type;
    }
    if (!dataBytes) {
        return ERROR_SUCCESS;
    }
    const DWORD size = static_cast<DWORD>(value->data.size());
    const DWORD room = *dataBytes;
    *dataBytes = size;
    if (!data) {
        return ERROR_SUCCESS;
    }
    if (size > room) {
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, value->data.data(), size);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE) {
        return ERROR_SUCCESS;
    }
    std::lock_guard lock(state.lock);
    return state.openKeys.erase(key) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

void SetComNamer(ComNamer namer) {
    std::lock_guard lock(state.lock);
    state.namer = std::move(namer);
}

void ReloadView() {
    std::lock_guard lock(state.lock);
    BuildFromSourceLocked();
}

std::vector<std::string> LoadViewFromFile(const std::string& path) {
    std::vector<std::string> problems;
    View view = ViewFromFile(path, &problems);
    Report(problems);
    std::lock_guard lock(state.lock);
    state.view = std::move(view);
    return problems;
}

std::vector<std::string> LoadViewFromSysfs(const std::string& sysfsRoot, ComNamer namer) {
    std::vector<std::string> problems;
    View view = ViewFromSysfs(sysfsRoot, namer, &problems);
    Report(problems);
    std::lock_guard lock(state.lock);
    state.view = std::move(view);
    return problems;
}

int OpenKeyCount() {
    std::lock_guard lock(state.lock);
    return static_cast<int>(state.openKeys.size());
}

}  // namespace registry
