// Micro-benchmark for Windows: CopyFileExW against the read/write loop of Sorvik's file copy,
// each with and without FlushFileBuffers before the rename, on many small and a few large files.
// Every trial copies a set of source files into a fresh target folder the way a run does: to a
// temporary name, the source's time set, then renamed into place. The methods are interleaved,
// with the order rotating from round to round; the report gives the median time per file.
//
// Build:  x86_64-w64-mingw32-g++-posix -O2 -std=c++20 -municode -static
//             -o copy_methods_win.exe bench/copy_methods_win.cpp       (one line)
// Run:    copy_methods_win.exe WORK_FOLDER [ROUNDS]     (WORK_FOLDER must not exist yet)
//
// Methods:
//   loop        ReadFile/WriteFile with a 1 MiB buffer, times set on the open handle, renamed
//               by handle (what copyFile does, less the folder-relative opens)
//   loop+flush  the same with FlushFileBuffers before the rename
//   cfx         CopyFileExW to the temporary's path, then MoveFileExW; needs the temporary's
//               full path text
//   cfx+flush   the same, the copy reopened for FlushFileBuffers before the move

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr DWORD kBuffer = DWORD{1} << 20;

[[noreturn]] void die(const std::wstring& what) {
    std::fwprintf(stderr, L"%ls: error %lu\n", what.c_str(), ::GetLastError());
    std::exit(1);
}

char* buffer() {
    static std::unique_ptr<char[]> b(new char[kBuffer]);
    return b.get();
}

HANDLE openSource(const std::wstring& path, FILE_BASIC_INFO& basic, LARGE_INTEGER& size) {
    HANDLE in = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (in == INVALID_HANDLE_VALUE)
        die(L"open " + path);
    ::GetFileInformationByHandleEx(in, FileBasicInfo, &basic, sizeof basic);
    ::GetFileSizeEx(in, &size);
    return in;
}

bool renameByHandle(HANDLE file, const std::wstring& target) {
    std::vector<unsigned char> storage(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(storage.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::memcpy(rename->FileName, target.data(), rename->FileNameLength);
    return ::SetFileInformationByHandle(file, FileRenameInfo, rename,
                                        static_cast<DWORD>(storage.size())) != 0;
}

bool copyLoop(const std::wstring& source, const std::wstring& temporary, const std::wstring& target,
              bool flush) {
    FILE_BASIC_INFO basic{};
    LARGE_INTEGER size{};
    HANDLE in = openSource(source, basic, size);
    HANDLE out =
        ::CreateFileW(temporary.c_str(), GENERIC_WRITE | DELETE | FILE_WRITE_ATTRIBUTES,
                      FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        die(L"create " + temporary);
    long long left = size.QuadPart;
    while (left > 0) {
        DWORD got = 0, written = 0;
        const auto request = static_cast<DWORD>(std::min<long long>(left, kBuffer));
        if (!::ReadFile(in, buffer(), request, &got, nullptr) || got == 0)
            break;
        if (!::WriteFile(out, buffer(), got, &written, nullptr) || written != got)
            return false;
        left -= got;
    }
    FILE_BASIC_INFO times{};
    times.LastWriteTime = basic.LastWriteTime;
    times.LastAccessTime = basic.LastAccessTime;
    bool ok = ::SetFileInformationByHandle(out, FileBasicInfo, &times, sizeof times) != 0;
    ok = ok && (!flush || ::FlushFileBuffers(out));
    ok = ok && renameByHandle(out, target);
    ::CloseHandle(out);
    ::CloseHandle(in);
    return ok;
}

bool copyFileEx(const std::wstring& source, const std::wstring& temporary,
                const std::wstring& target, bool flush) {
    if (!::CopyFileExW(source.c_str(), temporary.c_str(), nullptr, nullptr, nullptr,
                       COPY_FILE_FAIL_IF_EXISTS)) {
        return false;
    }
    if (flush) {
        HANDLE out = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
        const bool flushed = out != INVALID_HANDLE_VALUE && ::FlushFileBuffers(out);
        ::CloseHandle(out);
        if (!flushed)
            return false;
    }
    return ::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

struct Method {
    const wchar_t* name;
    bool (*copy)(const std::wstring&, const std::wstring&, const std::wstring&, bool);
    bool flush;
};

const Method kMethods[] = {{L"loop", copyLoop, false},
                           {L"loop+flush", copyLoop, true},
                           {L"cfx", copyFileEx, false},
                           {L"cfx+flush", copyFileEx, true}};
constexpr int kMethodCount = sizeof(kMethods) / sizeof(kMethods[0]);

struct SizeSet {
    std::size_t size;
    int count;
    std::wstring folder;
};

void makeSources(SizeSet& set, const std::wstring& root, std::mt19937_64& rng) {
    set.folder = root + L"\\src_" + std::to_wstring(set.size);
    if (!::CreateDirectoryW(set.folder.c_str(), nullptr))
        die(L"mkdir " + set.folder);
    std::vector<char> block(1 << 20);
    for (auto& c : block)
        c = static_cast<char>(rng());
    for (int i = 0; i < set.count; ++i) {
        const std::wstring path = set.folder + L"\\f" + std::to_wstring(i);
        HANDLE out = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (out == INVALID_HANDLE_VALUE)
            die(L"create " + path);
        std::size_t left = set.size;
        std::size_t shift = (static_cast<std::size_t>(i) * 4099) % block.size();
        while (left > 0) {
            const auto n = static_cast<DWORD>(std::min(left, block.size() - shift));
            DWORD written = 0;
            if (!::WriteFile(out, block.data() + shift, n, &written, nullptr))
                die(L"write " + path);
            left -= n;
            shift = 0;
        }
        ::CloseHandle(out);
    }
}

double trial(const SizeSet& set, const Method& m, const std::wstring& target) {
    if (!::CreateDirectoryW(target.c_str(), nullptr))
        die(L"mkdir " + target);
    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    for (int i = 0; i < set.count; ++i) {
        const std::wstring name = L"\\f" + std::to_wstring(i);
        if (!m.copy(set.folder + name,
                    target + L"\\.sorvik-temporary" + std::to_wstring(i) + L".tmp", target + name,
                    m.flush)) {
            die(std::wstring(L"copy with ") + m.name);
        }
    }
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: %ls WORK_FOLDER [ROUNDS]\n", argv[0]);
        return 2;
    }
    const std::wstring root = argv[1];
    const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
    if (!::CreateDirectoryW(root.c_str(), nullptr))
        die(L"mkdir " + root + L" (must not exist yet)");
    std::vector<SizeSet> sets = {{4096, 2000, {}}, {50 * 1024 * 1024, 2, {}}};
    std::mt19937_64 rng(20240613);
    for (auto& s : sets)
        makeSources(s, root, rng);

    std::printf("rounds: %d; medians per file\n%-8s %5s", rounds, "size", "files");
    for (const auto& m : kMethods)
        std::printf(" | %12ls", m.name);
    std::printf("\n");
    for (const auto& s : sets) {
        std::vector<double> times[kMethodCount];
        for (int r = 0; r < rounds; ++r) {
            for (int k = 0; k < kMethodCount; ++k) {
                const int mi = (k + r) % kMethodCount;
                const std::wstring target = root + L"\\dst_" + std::to_wstring(s.size) + L"_r" +
                                            std::to_wstring(r) + L"_" + std::to_wstring(mi);
                times[mi].push_back(trial(s, kMethods[mi], target) / s.count);
            }
        }
        std::printf("%-8s %5d", s.size >= (1u << 20) ? "50 MiB" : "4 KiB", s.count);
        for (int k = 0; k < kMethodCount; ++k) {
            const double t = median(times[k]);
            if (s.size >= (1u << 20)) {
                std::printf(" | %9.2f ms", t * 1e3);
            } else {
                std::printf(" | %9.1f us", t * 1e6);
            }
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    return 0;
}
