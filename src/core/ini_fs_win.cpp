// The INI store's file-system services on Windows. No change notification is used: every call
// compares the file's stamp (and the folder's, for the spelling of file names on disk).
#include <windows.h>

#include <atomic>

#include "core/ini_fs.h"

namespace vq::ini {
namespace {

std::wstring wide(const std::string& utf8) {
    if (utf8.empty())
        return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::int64_t ns(FILETIME t) {
    ULARGE_INTEGER u;
    u.LowPart = t.dwLowDateTime;
    u.HighPart = t.dwHighDateTime;
    return static_cast<std::int64_t>(u.QuadPart) * 100;
}

}  // namespace

Probe probe(const std::string& path) {
    Probe p;
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &a))
        return p;
    p.kind = (a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::Folder : Kind::File;
    p.stamp.size = (static_cast<std::uint64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
    p.stamp.modifiedNs = ns(a.ftLastWriteTime);
    p.stamp.changedNs = ns(a.ftCreationTime);
    return p;
}

bool readWhole(const std::string& path, std::string& bytes, Stamp& stamp) {
    Probe p = probe(path);
    if (p.kind != Kind::File)
        return false;
    stamp = p.stamp;
    HANDLE h =
        CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bytes.clear();
    char buf[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(h, buf, sizeof buf, &got, nullptr)) && got > 0)
        bytes.append(buf, got);
    CloseHandle(h);
    return ok;
}

bool listNames(const std::string& dir, std::vector<std::string>& names) {
    names.clear();
    WIN32_FIND_DATAW entry;
    HANDLE h = FindFirstFileW(wide(dir + "\\*").c_str(), &entry);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        int n = WideCharToMultiByte(CP_UTF8, 0, entry.cFileName, -1, nullptr, 0, nullptr, nullptr);
        if (n <= 1)
            continue;
        std::string name(static_cast<std::size_t>(n - 1), '\0');
        WideCharToMultiByte(CP_UTF8, 0, entry.cFileName, -1, name.data(), n, nullptr, nullptr);
        names.push_back(std::move(name));
    } while (FindNextFileW(h, &entry));
    FindClose(h);
    return true;
}

std::string absoluteFolder(const std::string& dir) {
    return dir;
}

std::string finalTarget(const std::string& path) {
    return path;
}

bool replaceFile(const std::string& dir, const std::string& name, const std::string& bytes,
                 bool simulateFullDisk, bool flush) {
    static std::atomic<unsigned> counter{0};
    const std::string target = dir + "\\" + name;
    const std::wstring temp = wide(dir + "\\." + name + ".vqtmp." + std::to_string(GetCurrentProcessId()) +
                                   "." + std::to_string(counter++));
    HANDLE h =
        CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        DWORD wrote = 0;
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        ok = WriteFile(h, bytes.data() + done, chunk, &wrote, nullptr) && wrote > 0;
        done += wrote;
    }
    ok = ok && (!flush || FlushFileBuffers(h)) && !simulateFullDisk;
    CloseHandle(h);
    // A reader, an indexer or a virus scanner holding the old file for a moment makes the
    // replacement fail with a sharing error: try again briefly before giving up.
    bool moved = false;
    for (int attempt = 0; ok && !moved && attempt < 10; ++attempt) {
        moved = MoveFileExW(temp.c_str(), wide(target).c_str(),
                            MOVEFILE_REPLACE_EXISTING | (flush ? MOVEFILE_WRITE_THROUGH : 0));
        const DWORD error = moved ? ERROR_SUCCESS : GetLastError();
        if (!moved && error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)
            break;
        if (!moved)
            Sleep(20);
    }
    if (!ok || !moved) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

bool isTemporaryName(const std::string& name) {
    return !name.empty() && name.front() == '.' && name.find(".vqtmp.") != std::string::npos;
}

void sweepStaleTemporaries(const std::string&) {}

int watchFolder(const std::string&) {
    return -1;
}

void unwatchFolder(int) {}

void takeChanges(std::vector<Change>&) {}

}  // namespace vq::ini
