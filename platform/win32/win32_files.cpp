// Files and the registry.
#include "platform/win32/win32_platform.h"

#include <algorithm>

namespace w32 {

// --- Files ---------------------------------------------------------------------

bool Win32Platform::FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> Win32Platform::ReadFile(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buffer[64 * 1024];
    bool ok = true;
    while (true) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof(buffer), &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    ::CloseHandle(file);
    if (!ok) return std::nullopt;
    return bytes;
}

namespace {

bool Refused(DWORD error) { return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT; }

bool WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return ::FlushFileBuffers(file) != FALSE;
}

}  // namespace

plat::WriteResult Win32Platform::ReplaceFile(const std::string& path, const std::string& bytes) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return plat::WriteResult::Protected;
    if (exists) {
        // The file's own protection (its access list on NT) decides, not the
        // folder's: a file the user may not write is never replaced.
        HANDLE probe = ::CreateFileA(path.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (Refused(error)) return plat::WriteResult::Protected;
        } else {
            ::CloseHandle(probe);
        }
    }

    // The new contents go to a temporary file next to the target, which then
    // takes the target's place in one step.
    const std::size_t slash = path.find_last_of("\\/");
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    HANDLE file = INVALID_HANDLE_VALUE;
    std::string temp;
    DWORD error = 0;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temp = dir + "~vs" + std::to_string(::GetCurrentProcessId()) + "_" +
               std::to_string(attempt) + ".tmp";
        file = ::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            error = ::GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
        }
    }
    if (file == INVALID_HANDLE_VALUE)
        return Refused(error) ? plat::WriteResult::Protected : plat::WriteResult::Failed;

    const bool written = WriteAll(file, bytes);
    if (!written) error = ::GetLastError();
    ::CloseHandle(file);
    if (written) {
        // ReplaceFile keeps the old file's attributes and access list; it is
        // looked up at run time since Windows 95 and 98 do not have it.
        using ReplaceFileFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID);
        static const auto replaceFile = reinterpret_cast<ReplaceFileFn>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "ReplaceFileA")));
        if (exists && replaceFile &&
            replaceFile(path.c_str(), temp.c_str(), nullptr,
                        REPLACEFILE_WRITE_THROUGH | REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                        nullptr))
            return plat::WriteResult::Ok;
        if (::MoveFileExA(temp.c_str(), path.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return plat::WriteResult::Ok;
        error = ::GetLastError();
        // Windows 95 and 98 have no MoveFileEx: remove the old file, then rename.
        if (error == ERROR_CALL_NOT_IMPLEMENTED) {
            if ((::DeleteFileA(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND) &&
                ::MoveFileA(temp.c_str(), path.c_str()))
                return plat::WriteResult::Ok;
            error = ::GetLastError();
        }
    }
    ::DeleteFileA(temp.c_str());
    return Refused(error) ? plat::WriteResult::Protected : plat::WriteResult::Failed;
}

// --- Registry -------------------------------------------------------------------

namespace {

// HKEY_CURRENT_USER, read only: keys are opened, never created.
class Win32Registry : public plat::Registry {
public:
    ~Win32Registry() override { CloseKey(); }

    bool OpenKey(const std::string& path, bool /*canCreate*/) override {
        CloseKey();
        std::string relative = path;
        while (!relative.empty() && relative.front() == '\\') relative.erase(relative.begin());
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, relative.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        key_ = key;
        return true;
    }

    bool ValueExists(const std::string& name) override {
        return key_ &&
               ::RegQueryValueExA(key_, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    std::int32_t ReadInteger(const std::string& name) override {
        DWORD type = 0;
        DWORD value = 0;
        DWORD size = sizeof(value);
        const LONG rc = key_ ? ::RegQueryValueExA(key_, name.c_str(), nullptr, &type,
                                                  reinterpret_cast<BYTE*>(&value), &size)
                             : ERROR_INVALID_HANDLE;
        if (rc == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(value))
            return static_cast<std::int32_t>(value);
        if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA)
            throw plat::Exception("Failed to get data for '" + name + "'");
        throw plat::Exception("Invalid data type for '" + name + "'");
    }

    void CloseKey() override {
        if (key_) ::RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};

}  // namespace

std::unique_ptr<plat::Registry> Win32Platform::CreateRegistry() {
    return std::make_unique<Win32Registry>();
}

}  // namespace w32
