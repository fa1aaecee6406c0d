// Micro-benchmark: copy_file_range against read/write with a 128 KiB buffer, the two data paths
// of Sorvik's file copy, on files of several sizes.  Every trial copies a set of source files
// into a fresh target folder (nothing is deleted while timing).  The methods are interleaved,
// with the order rotating from round to round; the report gives medians per file and the median
// of the per-round ratios.
//
// Build:  g++ -O2 -std=c++20 -o copy_methods bench/copy_methods.cpp
// Run:    ./copy_methods WORK_FOLDER [ROUNDS]     (WORK_FOLDER must not exist yet)
//
// Methods:
//   cfr        copy_file_range in 1 GiB requests until it returns 0 (as the product does)
//   rw128      read/write with a 128 KiB buffer until read returns 0 (the product's fallback)
//   cfr-sized  copy_file_range, stopping once st_size bytes are copied (no final empty call)
//   rw-sized   read/write 128 KiB, stopping once st_size bytes are read (no final empty read)

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

constexpr std::size_t kBuffer = 128 * 1024;

[[noreturn]] void die(const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

bool writeAll(int fd, const char* p, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

char* buffer() {
    static std::unique_ptr<char[]> b(new char[kBuffer]);
    return b.get();
}

bool copyCfr(int in, int out, off_t) {
    while (true) {
        const ssize_t c = ::copy_file_range(in, nullptr, out, nullptr, 1u << 30, 0);
        if (c == 0) return true;
        if (c < 0 && errno != EINTR) return false;
    }
}

bool copyCfrSized(int in, int out, off_t size) {
    off_t done = 0;
    while (done < size) {
        const ssize_t c = ::copy_file_range(in, nullptr, out, nullptr, 1u << 30, 0);
        if (c == 0) return true;
        if (c < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += c;
    }
    return true;
}

bool copyRw(int in, int out, off_t) {
    char* b = buffer();
    while (true) {
        const ssize_t r = ::read(in, b, kBuffer);
        if (r == 0) return true;
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (!writeAll(out, b, static_cast<std::size_t>(r))) return false;
    }
}

bool copyRwSized(int in, int out, off_t size) {
    char* b = buffer();
    off_t done = 0;
    while (done < size) {
        const ssize_t r = ::read(in, b, kBuffer);
        if (r == 0) return true;
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (!writeAll(out, b, static_cast<std::size_t>(r))) return false;
        done += r;
    }
    return true;
}

struct Method {
    const char* name;
    bool (*copy)(int, int, off_t);
};

const Method kMethods[] = {
    {"cfr", copyCfr}, {"rw128", copyRw}, {"cfr-sized", copyCfrSized}, {"rw-sized", copyRwSized}};
constexpr int kMethodCount = sizeof(kMethods) / sizeof(kMethods[0]);

struct SizeSet {
    std::size_t size;
    int count;
    std::string folder;
};

void makeSources(SizeSet& set, const std::string& root, std::mt19937_64& rng) {
    set.folder = root + "/src_" + std::to_string(set.size);
    if (::mkdir(set.folder.c_str(), 0755) != 0) die("mkdir " + set.folder);
    // A random 1 MiB block, rotated per file, repeated as needed (never all zeros).
    std::vector<char> block(1 << 20);
    for (auto& c : block) c = static_cast<char>(rng());
    for (int i = 0; i < set.count; ++i) {
        const std::string path = set.folder + "/f" + std::to_string(i);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) die("create " + path);
        std::size_t left = set.size;
        std::size_t shift = (static_cast<std::size_t>(i) * 4099) % block.size();
        while (left > 0) {
            const std::size_t n = std::min(left, block.size() - shift);
            if (!writeAll(fd, block.data() + shift, n)) die("write " + path);
            left -= n;
            shift = 0;
        }
        ::close(fd);
    }
}

void warm(const SizeSet& set) {
    char* b = buffer();
    for (int i = 0; i < set.count; ++i) {
        const std::string path = set.folder + "/f" + std::to_string(i);
        const int fd = ::open(path.c_str(), O_RDONLY);
        while (::read(fd, b, kBuffer) > 0) {
        }
        ::close(fd);
    }
}

// Copies the whole set into a fresh folder; returns seconds (copy only) and seconds including
// a syncfs of the target file system at the end.
std::pair<double, double> trial(const SizeSet& set, const Method& m, const std::string& target) {
    if (::mkdir(target.c_str(), 0755) != 0) die("mkdir " + target);
    const int dirFd = ::open(target.c_str(), O_RDONLY | O_DIRECTORY);
    const int srcDir = ::open(set.folder.c_str(), O_RDONLY | O_DIRECTORY);
    ::syncfs(dirFd);  // start without dirty data from earlier trials
    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    for (int i = 0; i < set.count; ++i) {
        const std::string name = "f" + std::to_string(i);
        const int in = ::openat(srcDir, name.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0) die("open source");
        struct stat st {};
        ::fstat(in, &st);
        const int out = ::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (out < 0) die("create target");
        if (!m.copy(in, out, st.st_size)) die(std::string("copy with ") + m.name);
        ::close(out);
        ::close(in);
    }
    const auto t1 = Clock::now();
    ::syncfs(dirFd);
    const auto t2 = Clock::now();
    ::close(srcDir);
    ::close(dirFd);
    return {std::chrono::duration<double>(t1 - t0).count(),
            std::chrono::duration<double>(t2 - t0).count()};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string sizeLabel(std::size_t s) {
    if (s >= (1u << 20)) return std::to_string(s >> 20) + " MiB";
    if (s >= 1024) return std::to_string(s >> 10) + " KiB";
    return std::to_string(s) + " B";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WORK_FOLDER [ROUNDS]\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    if (::mkdir(root.c_str(), 0755) != 0) die("mkdir " + root + " (must not exist yet)");

    std::vector<SizeSet> sets = {
        {1024, 2000, {}},          {4096, 2000, {}},        {16 * 1024, 2000, {}},
        {64 * 1024, 500, {}},      {256 * 1024, 128, {}},   {1024 * 1024, 32, {}},
        {4 * 1024 * 1024, 8, {}},  {50 * 1024 * 1024, 3, {}},
    };
    std::mt19937_64 rng(20240613);
    for (auto& s : sets) {
        makeSources(s, root, rng);
    }
    ::sync();
    for (auto& s : sets) warm(s);

    std::printf("rounds: %d; times are per file, medians over rounds (copy only / copy + syncfs)\n",
                rounds);
    std::printf("%-8s %5s", "size", "files");
    for (const auto& m : kMethods) std::printf(" | %-21s", m.name);
    std::printf(" | rw128/cfr copy  | rw128/cfr +syncfs\n");

    for (const auto& s : sets) {
        std::vector<double> copyTimes[kMethodCount], syncTimes[kMethodCount];
        std::vector<double> ratioCopy, ratioSync;
        for (int r = 0; r < rounds; ++r) {
            double c[kMethodCount], y[kMethodCount];
            for (int k = 0; k < kMethodCount; ++k) {
                const int mi = (k + r) % kMethodCount;
                const std::string target = root + "/dst_" + std::to_string(s.size) + "_r" +
                                           std::to_string(r) + "_" + kMethods[mi].name;
                auto [copy, withSync] = trial(s, kMethods[mi], target);
                c[mi] = copy;
                y[mi] = withSync;
            }
            for (int k = 0; k < kMethodCount; ++k) {
                copyTimes[k].push_back(c[k] / s.count);
                syncTimes[k].push_back(y[k] / s.count);
            }
            ratioCopy.push_back(c[1] / c[0]);
            ratioSync.push_back(y[1] / y[0]);
        }
        std::printf("%-8s %5d", sizeLabel(s.size).c_str(), s.count);
        for (int k = 0; k < kMethodCount; ++k) {
            const double a = median(copyTimes[k]), b = median(syncTimes[k]);
            if (s.size >= (1u << 20)) {
                std::printf(" | %8.2f / %8.2f ms", a * 1e3, b * 1e3);
            } else {
                std::printf(" | %8.1f / %8.1f us", a * 1e6, b * 1e6);
            }
        }
        std::printf(" | %6.2f          | %6.2f\n", median(ratioCopy), median(ratioSync));
        std::fflush(stdout);
    }
    return 0;
}
