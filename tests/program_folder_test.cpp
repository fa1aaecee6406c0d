// The program folder: where it is, and the lock every Sorvik process takes on a folder around a
// run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>

#include <cstdio>
#include <fstream>
#endif

#include "platform/folder_lock.h"
#include "platform/program_folder.h"
#include "tests/support/harness.h"

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, IsFoundCreatedOrRefused) {
#ifdef _WIN32
    GTEST_SKIP() << "the rows are the XDG and HOME rules, which hold on POSIX systems only";
#else
    const struct {
        const char* xdgDataHome;  // nullptr: unset
        const char* home;
        const char* inTheWay;  // a file there, or a link that leads nowhere when it ends in '>'
        const char* expected;  // the folder, or the error
    } rows[] = {
        {"@/data/deeper", "@/home", "", "@/data/deeper/Sorvik"},
        {nullptr, "@/home", "", "@/home/.local/share/Sorvik"},
        {"", "@/home", "", "@/home/.local/share/Sorvik"},
        {"relative/data", "@/home", "", "@/home/.local/share/Sorvik"},
        {"./data", "@/home/", "", "@/home/.local/share/Sorvik"},
        {nullptr, "@/home//", "", "@/home/.local/share/Sorvik"},
        {"@/data", "@/home", "data/Sorvik", "Not a directory"},
        {"@/data", "@/home", "data", "Not a directory"},
        {"@/data", "@/home", "data/Sorvik>", "Not a directory"},
        {nullptr, "@/home", "home/.local", "Not a directory"},
        {nullptr, "@/home", "home/.local/share>", "Not a directory"},
    };
    for (const auto& row : rows) {
        TempFolder temp;
        const auto inTemp = [&](std::string text) {
            return text.starts_with('@') ? text.replace(0, 1, temp.text()) : text;
        };
        fs::create_directory(temp / "home");
        std::string inTheWay = row.inTheWay;
        if (inTheWay.ends_with('>')) {
            inTheWay.pop_back();
            fs::create_directories(fs::path(temp / inTheWay).parent_path());
            fs::create_symlink("nowhere", temp / inTheWay);
        } else if (!inTheWay.empty()) {
            writeFile(temp / inTheWay, "in the way");
        }
        const auto before = snapshotTree(temp.text());
        // In a child, which may change its environment and its working folder (where a relative
        // value would be taken from) without restoring them.
        const auto report = inChild([&] {
            row.xdgDataHome ? ::setenv("XDG_DATA_HOME", inTemp(row.xdgDataHome).c_str(), 1)
                            : ::unsetenv("XDG_DATA_HOME");
            ::setenv("HOME", inTemp(row.home).c_str(), 1);
            fs::current_path(temp / "home");
            const auto folder = platform::programFolder();
            return folder ? *folder : folder.error().message();
        });
        ASSERT_TRUE(report);
        EXPECT_EQ(*report, inTemp(row.expected)) << row.xdgDataHome << " " << row.home;
        if (!report->starts_with('/')) {
            EXPECT_EQ(snapshotTree(temp.text()), before) << row.inTheWay;
            continue;
        }
        EXPECT_TRUE(fs::is_directory(*report));
        // Folders it makes are the user's alone; nothing else is touched.
        for (fs::path made = *report; made != temp.path() / "home" && made != temp.path();
             made = made.parent_path()) {
            struct stat st {};
            ASSERT_EQ(::stat(made.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 077, 0u) << made;
        }
        EXPECT_EQ(namesIn(temp.text()),
                  row.xdgDataHome && row.xdgDataHome[0] == '@' ? "data home" : "home");
    }
#endif
}

#ifdef _WIN32
// Denies everyone the right to add files and folders to `folder`; entries in it may still be
// deleted, so the temporary folder goes away at the end.
void refuseNewEntries(const fs::path& folder) {
    constexpr DWORD kSuccess = ERROR_SUCCESS;
    PACL current = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(::GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                      nullptr, nullptr, &current, nullptr, &descriptor),
              kSuccess);
    // By its SID: the group's name is translated in some languages.
    alignas(SID) BYTE everyone[SECURITY_MAX_SID_SIZE];
    DWORD everyoneSize = sizeof everyone;
    ASSERT_TRUE(::CreateWellKnownSid(WinWorldSid, nullptr, everyone, &everyoneSize));
    EXPLICIT_ACCESSW deny{};
    deny.grfAccessPermissions = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;
    deny.grfAccessMode = DENY_ACCESS;
    deny.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    deny.Trustee.ptstrName = reinterpret_cast<wchar_t*>(everyone);
    PACL denying = nullptr;
    ASSERT_EQ(::SetEntriesInAclW(1, &deny, current, &denying), kSuccess);
    ASSERT_EQ(
        ::SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION, nullptr, nullptr, denying, nullptr),
        kSuccess);
    ::LocalFree(denying);
    ::LocalFree(descriptor);
}

// What the command printed on both its streams.
std::string outputOf(const std::wstring& command) {
    std::FILE* pipe = ::_wpopen((command + L" 2>&1").c_str(), L"rb");
    std::string output;
    char buffer[4096];
    for (std::size_t got; pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, got);
    }
    if (pipe) {
        ::_pclose(pipe);
    }
    return output;
}

bool refusesNewFiles(const fs::path& folder) {
    const fs::path probe = folder / "probe";
    if (std::ofstream(probe).is_open()) {
        fs::remove(probe);
        return false;
    }
    return true;
}

// A folder holding sorvik-cli.exe to which no file can be added, or an empty path. Under Wine
// access lists refuse nothing, but the build folder of a user who does not own it (the suite
// runs as an unprivileged user under test-windows.sh) does refuse.
fs::path unwritableFolderWithTheCli(const TempFolder& temp) {
    const fs::path built = pathOf(cliPath()).parent_path();
    if (refusesNewFiles(built)) {
        return built;
    }
    const fs::path bin = temp.path() / "locked";
    fs::create_directory(bin);
    fs::copy_file(pathOf(cliPath()), bin / "sorvik-cli.exe");
    refuseNewEntries(bin);
    return refusesNewFiles(bin) ? bin : fs::path();
}

// Beside the executable while a file can be made there, else in %APPDATA%\Sorvik, made then.
// A batch without settings names the settings file it could not read, and so the folder.
TEST(ProgramFolder, IsBesideTheExecutableOrElseInAppData) {
    for (const bool writable : {true, false}) {
        TempFolder temp;
        fs::path bin = temp.path() / "bin";
        if (writable) {
            fs::create_directory(bin);
            fs::copy_file(pathOf(cliPath()), bin / "sorvik-cli.exe");
        } else if ((bin = unwritableFolderWithTheCli(temp)).empty()) {
            GTEST_SKIP() << "no folder refuses new files here: Wine enforces no access lists, "
                            "and this user may write to the build folder (run as root?)";
        }
        const std::string output =
            outputOf(L"set \"APPDATA=" + (temp.path() / "appdata").wstring() + L"\" && \"" +
                     (bin / "sorvik-cli.exe").wstring() + L"\" batch");
        const fs::path expected =
            writable ? bin / "sorvik01.ini" : temp.path() / "appdata" / "Sorvik" / "sorvik01.ini";
        EXPECT_NE(output.find(textOf(expected)), std::string::npos) << output;
        EXPECT_EQ(fs::is_directory(temp.path() / "appdata" / "Sorvik"), !writable);
    }
}
#endif

using platform::FolderLock;

// Tries to take the lock and lets it go at once: "free", "busy", "missing", "no folder" or why
// it failed.
std::string stateOf(const std::string& folder) {
    const auto lock = FolderLock::tryAcquire(folder);
    return lock                                                        ? "free"
           : lock.error() == std::errc::resource_unavailable_try_again ? "busy"
           : lock.error() == std::errc::no_such_file_or_directory      ? "missing"
           : lock.error() == std::errc::not_a_directory                ? "no folder"
                                                                       : lock.error().message();
}

// A second acquire fails while the first is held, however the folder is named, and no file
// appears in it; a folder that cannot be opened is an error.
TEST(FolderLock, IsExclusiveWhileHeld) {
    TempFolder temp;
    const std::string folder = temp / "held";
    std::filesystem::create_directory(folder);
    // The same folder by another name: a link, or on Windows another case and a trailing
    // separator (links take a privilege there).
    const std::string alias = kOnWindows ? temp / "HELD\\" : temp / "alias";
    if (!kOnWindows) {
        std::filesystem::create_directory_symlink(folder, alias);
    }
    writeFile(temp / "file", "");
    {
        const auto lock = FolderLock::tryAcquire(folder);
        ASSERT_TRUE(lock) << lock.error().message();
        EXPECT_EQ(stateOf(folder) + " " + stateOf(alias), "busy busy");
        EXPECT_EQ(namesIn(folder), "");
    }
    EXPECT_EQ(stateOf(folder), "free");
    EXPECT_EQ(stateOf(temp / "missing"), "missing");
    EXPECT_EQ(stateOf(temp / "file"), "no folder");
}

// A moved-from lock leaves the lock alone; a lock moved onto another gives that one up, and the
// last owner releases it once.
TEST(FolderLock, AMovedLockIsReleasedOnceByItsLastOwner) {
    TempFolder temp;
    const std::string folder = temp / "a";
    const std::string other = temp / "b";
    std::filesystem::create_directory(folder);
    std::filesystem::create_directory(other);
    std::optional<FolderLock> kept;
    {
        auto first = FolderLock::tryAcquire(folder);
        ASSERT_TRUE(first) << first.error().message();
        kept.emplace(std::move(first).value());
    }
    EXPECT_EQ(stateOf(folder), "busy");
    auto second = FolderLock::tryAcquire(other);
    ASSERT_TRUE(second) << second.error().message();
    *second = std::move(*kept);
    EXPECT_EQ(stateOf(other), "free");
    kept.reset();
    EXPECT_EQ(stateOf(folder), "busy");
    { const auto ending = std::move(second); }
    EXPECT_EQ(stateOf(folder), "free");
}

}  // namespace
}  // namespace sorvik::test
