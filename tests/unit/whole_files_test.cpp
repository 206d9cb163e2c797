// Every file ends whole in exactly one place, in the folder that was scanned,
// and the report says which: torvacheck under limits, signals and races.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <nlohmann/json.hpp>
#include <random>
#include <thread>

#include "cleanup/cleanup.h"
#include "cli_process.h"
#include "platform/posix/posix_file_system.h"
#include "tools/sample_folder.h"

namespace torva {
namespace {

using nlohmann::json;

// A hacked A32 (its size is not the release's) of `size` bytes; `tag` tells
// copies apart.
std::vector<std::uint8_t> Hacked(std::size_t size, std::uint8_t tag) {
    auto bytes = sample::MapHeader(sample::ReleaseDisplayName(17));
    bytes.resize(size, tag);
    return bytes;
}

void Make(const fs::path& file, std::size_t size = 600, std::uint8_t tag = 0) {
    fs::create_directories(file.parent_path());
    testing::WriteFile(file, Hacked(size, tag));
}

bool AnyTemporaryUnder(const fs::path& root) {
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (IsTemporaryCopyName(e.path().filename().string())) return true;
    }
    return false;
}

// Every file's bytes under the folders, however named: whole in exactly one
// place means this multiset is the same before and after.
std::vector<std::string> ContentsOf(const std::vector<fs::path>& folders) {
    std::vector<std::string> contents;
    for (const fs::path& folder : folders) {
        for (const auto& e : fs::directory_iterator(folder)) {
            if (e.is_regular_file()) contents.push_back(ReadAll(e.path()));
        }
    }
    std::sort(contents.begin(), contents.end());
    return contents;
}

// A target on another file system than the temporary folder, or none.
std::optional<fs::path> OtherVolume() {
    struct stat tmp {
    }, shm{};
    if (::stat(fs::temp_directory_path().c_str(), &tmp) != 0 || ::stat("/dev/shm", &shm) != 0 ||
        tmp.st_dev == shm.st_dev || ::access("/dev/shm", W_OK) != 0) {
        return std::nullopt;
    }
    return fs::path("/dev/shm");
}

ProcessRun Shell(const std::string& command, const TempFolder& io) {
    const std::string full = command + " >" + (io.path() / "out").string() + " 2>" +
                             (io.path() / "err").string() + " </dev/null";
    const int status = std::system(full.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(io.path() / "out"),
            ReadAll(io.path() / "err")};
}

// D holds four hacked maps (a-d.w3x, 3000 bytes) and a text file; T is empty.
struct HostileRun {
    const char* name;
    std::function<void(const fs::path& root)> arrange;
    std::string command;  // {tc} torvacheck, {D} the folder, {T} the target, {root}
    bool needsOtherVolume;
    int status;
    const char* says;                         // on stdout or stderr
    std::vector<std::string> goneFromFolder;  // the rest of D stays byte for byte
    std::vector<std::string> inTarget;        // T's names afterwards
    std::vector<std::string> rewritten = {};  // still there, not as before
    bool fewDescriptors = false;              // runs torvacheck with 4 descriptors at most
};

class WholeRuns : public ::testing::TestWithParam<HostileRun> {};

TEST_P(WholeRuns, EveryFileWholeInOnePlaceAndTheReportTrue) {
    const HostileRun& c = GetParam();
#ifdef __SANITIZE_ADDRESS__
    if (c.fewDescriptors) GTEST_SKIP() << "the sanitizers' runtime needs descriptors of its own";
#endif
    TempFolder root, io;
    fs::path target = root.path() / "T";
    std::optional<TempFolder> elsewhere;
    if (c.needsOtherVolume) {
        const auto volume = OtherVolume();
        if (!volume) GTEST_SKIP() << "no second file system for the target here";
        elsewhere.emplace(*volume);
        target = elsewhere->path();
    }
    const fs::path folder = root.path() / "D";
    for (const char* name : {"a.w3x", "b.w3x", "c.w3x", "d.w3x"}) {
        Make(folder / name, 3000, static_cast<std::uint8_t>(name[0]));
    }
    testing::WriteFile(folder / "notes.txt", {'o', 'l', 'd'});
    fs::create_directories(target);
    if (c.arrange) c.arrange(root.path());
    const Snapshot before = SnapshotOf(folder);

    std::string command = c.command;
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"{tc}", TORVACHECK_PATH},
                                     {"{D}", folder.string()},
                                     {"{T}", target.string()},
                                     {"{root}", root.path().string()}}) {
        for (std::size_t at; (at = command.find(key)) != std::string::npos;) {
            command.replace(at, key.size(), value);
        }
    }
    const ProcessRun run = Shell(command, io);
    EXPECT_EQ(run.status, c.status) << run.out << run.err;
    EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << run.out << run.err;

    Snapshot expected = before;
    for (const std::string& name : c.goneFromFolder) expected.erase(name);
    Snapshot after = SnapshotOf(folder);
    for (const std::string& name : c.rewritten) {
        EXPECT_TRUE(fs::exists(fs::symlink_status(folder / name))) << name;
        expected.erase(name);
        after.erase(name);
    }
    EXPECT_EQ(Differences(after, expected), std::vector<std::string>{});
    std::vector<std::string> inTarget;
    for (const auto& e : fs::directory_iterator(target)) {
        inTarget.push_back(e.path().filename().string());
    }
    std::sort(inTarget.begin(), inTarget.end());
    EXPECT_EQ(inTarget, c.inTarget);
    EXPECT_FALSE(AnyTemporaryUnder(root.path()));
}

INSTANTIATE_TEST_SUITE_P(
    Table, WholeRuns,
    ::testing::Values(
        // The target's file-size limit cuts every copy across volumes short.
        HostileRun{"AMoveThatCannotFinishLeavesNoPartialFile",
                   nullptr,
                   "ulimit -f 2; {tc} --folder {D} --yes --move-to {T} delete-hacked",
                   true,
                   3,
                   "cannot be moved",
                   {},
                   {}},
        HostileRun{"AMoveAcrossVolumesPutsEachFileWhole",
                   nullptr,
                   "{tc} --folder {D} --yes --move-to {T} delete-hacked",
                   true,
                   0,
                   "d.w3x",
                   {"a.w3x", "b.w3x", "c.w3x", "d.w3x"},
                   {"a.w3x", "b.w3x", "c.w3x", "d.w3x"}},
        HostileRun{"AMovedFileIsReportedUnderTheNameItGot",
                   [](const fs::path& root) { Make(root / "T/a.w3x", 10, 'x'); },
                   "{tc} --folder {D} --yes --move-to {T} delete-hacked",
                   false,
                   0,
                   "a.w3x \xE2\x86\x92 a (2).w3x",
                   {"a.w3x", "b.w3x", "c.w3x", "d.w3x"},
                   {"a (2).w3x", "a.w3x", "b.w3x", "c.w3x", "d.w3x"}},
        HostileRun{"InsertUnderMoveToMovesTheFileItReplaces",
                   [](const fs::path& root) { Make(root / "src/notes.txt", 700, 's'); },
                   "{tc} --folder {D} --yes --move-to {T} insert {root}/src/notes.txt",
                   false,
                   0,
                   "notes.txt",
                   {},
                   {"notes.txt"},
                   {"notes.txt"}},
        HostileRun{"AListingThatFailsIsNoEmptyFolder",
                   nullptr,
                   "sh -c 'for fd in 3 4 5 6 7 8 9; do eval \"exec $fd<&-\"; done; "
                   "ulimit -n 4; exec {tc} --folder {D} --yes delete-all'",
                   false,
                   1,
                   "listing could not be read",
                   {},
                   {},
                   {},
                   true},
        HostileRun{"ALinkWhoseFileWentIsNoFileAlreadyGone",
                   [](const fs::path& root) { fs::create_symlink("a.w3x", root / "D/z.w3x"); },
                   "{tc} --folder {D} --yes delete-hacked",
                   false,
                   3,
                   "z.w3x (changed since the scan)",
                   {"a.w3x", "b.w3x", "c.w3x", "d.w3x"},
                   {},
                   {"z.w3x"}},
        HostileRun{"AFullMapListIsToldAndTheCleanUpIsIncomplete",
                   [](const fs::path& root) {
                       // 18 headers of 56 markers each fill the list before a-d.
                       auto many = std::vector<std::uint8_t>{'H', 'M', '3', 'W', 0, 0, 0, 0};
                       for (int m = 0; m < 56; ++m) {
                           const char* marker = "\xED\x86\xA0\xEB\xA5\xB4\xEB\xB0\x94";
                           many.insert(many.end(), marker, marker + 9);
                       }
                       for (int i = 0; i < 18; ++i) {
                           testing::WriteFile(root / "D" / ("0" + std::to_string(10 + i)), many);
                       }
                   },
                   "{tc} --folder {D} --yes delete-hacked",
                   false,
                   5,
                   "1000개까지만 목록에 올렸습니다",
                   {},
                   {}}),
    [](const auto& p) { return std::string(p.param.name); });

// Files the user may not read are named with why, never passed over: as root
// the run drops to nobody, for whom mode 000 means unreadable.
TEST(UnreadableFiles, AreNamedAndTheCleanUpIsIncomplete) {
    TempFolder root, io;
    const fs::path folder = root.path() / "D";
    Make(folder / "a.w3x");
    Make(folder / "locked.w3x");
    fs::permissions(folder / "locked.w3x", fs::perms::none);
    fs::permissions(root.path(), fs::perms::all);
    std::string as;
    if (::geteuid() == 0) {
        if (std::system("setpriv --reuid=65534 --regid=65534 --clear-groups true") != 0) {
            GTEST_SKIP() << "cannot run as another user here";
        }
        as = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
        fs::permissions(folder, fs::perms::all);
        fs::permissions(folder / "a.w3x", fs::perms::all);
    }
    const ProcessRun scan =
        Shell(as + TORVACHECK_PATH + " --folder " + folder.string() + " --json", io);
    ASSERT_EQ(scan.status, 0) << scan.err;
    const json report = json::parse(scan.out);
    ASSERT_EQ(report["unexamined"].size(), 1u);
    EXPECT_EQ(report["unexamined"][0]["name"], "locked.w3x");
    EXPECT_FALSE(report["complete"].get<bool>());

    const ProcessRun all =
        Shell(as + TORVACHECK_PATH + " --folder " + folder.string() + " --yes delete-all", io);
    EXPECT_EQ(all.status, 5) << all.out << all.err;
    EXPECT_NE(all.out.find("locked.w3x"), std::string::npos) << all.out;
    EXPECT_TRUE(fs::exists(folder / "locked.w3x"));
    EXPECT_FALSE(fs::exists(folder / "a.w3x"));
}

// The real adapters, with the folder swapped for another while the question
// waits: the clean-up works on the folder that was scanned, or on none.
class SwappedFolder : public ::testing::Test {
protected:
    TempFolder root;
    PosixFileSystem files;
    BoundFolderLister lister{files};
    testing::ScriptedPrompts prompts;
    fs::path Scanned() const { return root.path() / "A"; }
    fs::path Other() const { return root.path() / "O"; }
    void SetUp() override {
        for (const fs::path& folder : {Scanned(), Other()}) {
            Make(folder / "hacked.w3x", 600, 1);
            Make(folder / "TORVA_A32.w3x", 600, 2);
        }
    }
};

TEST_F(SwappedFolder, TheFolderScannedIsTheFolderChanged) {
    struct Swap {
        const char* name;
        bool removeScanned;  // else renamed away, still there
    };
    for (const Swap swap : {Swap{"RenamedAndReplacedByALink", false}, Swap{"Removed", true}}) {
        SetUp();
        MapFolder map(Scanned().string(), lister, files, prompts);
        map.ScanFolder();
        ASSERT_EQ(map.Results().Hacked.size(), 2u) << swap.name;
        const Snapshot other = SnapshotOf(Other());
        const fs::path away = root.path() / "A.old";
        prompts.answers = {true};
        prompts.whileAsked = [&] {
            if (swap.removeScanned) {
                fs::remove_all(Scanned());
            } else {
                fs::rename(Scanned(), away);
            }
            fs::create_directory_symlink(Other(), Scanned());
        };
        const CleanupReport report = RunBulkCommand(map, BulkCommand::DeleteHackedMaps);
        EXPECT_EQ(Differences(SnapshotOf(Other()), other), std::vector<std::string>{}) << swap.name;
        if (swap.removeScanned) {
            EXPECT_TRUE(report.deleted.empty()) << swap.name;
            EXPECT_EQ(report.failed.size(), 2u) << swap.name;
        } else {
            EXPECT_EQ(report.deleted.size(), 2u) << swap.name;
            EXPECT_TRUE(fs::is_empty(away)) << swap.name;
            fs::remove_all(away);
        }
        fs::remove(Scanned());
        fs::remove_all(Other());
        prompts.whileAsked = nullptr;
    }
}

// A file replaced under its name between the scan and the change is another
// file: left, and told.
TEST_F(SwappedFolder, AFileReplacedUnderItsNameIsLeft) {
    MapFolder map(Scanned().string(), lister, files, prompts);
    map.ScanFolder();
    prompts.answers = {true};
    prompts.whileAsked = [&] {
        fs::rename(Other() / "hacked.w3x", Scanned() / "hacked.w3x");  // same size, same verdict
    };
    const CleanupReport report = RunBulkCommand(map, BulkCommand::DeleteHackedMaps);
    ASSERT_EQ(report.failed.size(), 1u);
    EXPECT_EQ(report.failed[0].error, ChangeFailure::Changed);
    EXPECT_TRUE(fs::exists(Scanned() / "hacked.w3x"));
}

// Our temporary copies: one whose writer died goes at the next run; one still
// being written (its lock held) stays.
TEST(TemporaryCopies, AnAbandonedOneGoesOneInUseStays) {
    TempFolder folder;
    const std::string abandoned = std::string(kTemporaryCopyPrefix) + "1-0" + kTemporaryCopySuffix;
    const std::string inUse = std::string(kTemporaryCopyPrefix) + "2-0" + kTemporaryCopySuffix;
    folder.Write(abandoned, {'x'});
    folder.Write(inUse, {'y'});
    const UniqueFd writer(::open((folder.path() / inUse).c_str(), O_RDONLY));
    ASSERT_EQ(::flock(writer.Get(), LOCK_EX), 0);
    PosixFileSystem files;
    ASSERT_TRUE(files.BindFolder(folder.path().string()).Ok());
    EXPECT_FALSE(fs::exists(folder.path() / abandoned));
    EXPECT_TRUE(fs::exists(folder.path() / inUse));
    EXPECT_EQ(files.ListBound(), std::vector<std::string>{});  // never listed
}

// Starts torvacheck with `args` and sends it `signal` after `milliseconds`.
void Interrupt(std::vector<std::string> args, int milliseconds, int signal) {
    args.insert(args.begin(), TORVACHECK_PATH);
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (std::freopen("/dev/null", "wb", stdout) && std::freopen("/dev/null", "wb", stderr)) {
            ::execv(TORVACHECK_PATH, argv.data());
        }
        ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    ::kill(child, signal);
    int status = 0;
    ::waitpid(child, &status, 0);
}

// SIGINT and SIGTERM at random moments of a move across volumes, and of a
// large insert: whatever the moment, every file is whole in exactly one place
// and no temporary copy is left.
TEST(Signals, NeverLeaveHalfAFile) {
    const auto volume = OtherVolume();
    if (!volume) GTEST_SKIP() << "no second file system for the target here";
    std::mt19937 random(20261211);
    for (const int signal : {SIGINT, SIGTERM}) {
        for (int run = 0; run < 10; ++run) {
            TempFolder root;
            TempFolder target(*volume);
            const fs::path folder = root.path() / "D";
            for (int i = 0; i < 300; ++i) {
                Make(folder / ("m" + std::to_string(i) + ".w3x"), 60000,
                     static_cast<std::uint8_t>(i));
            }
            const std::vector<std::string> before = ContentsOf({folder, target.path()});
            Interrupt({"--folder", folder.string(), "--yes", "--move-to", target.path().string(),
                       "delete-hacked"},
                      std::uniform_int_distribution<int>(5, 150)(random), signal);
            EXPECT_EQ(ContentsOf({folder, target.path()}), before) << signal << " run " << run;
            EXPECT_FALSE(AnyTemporaryUnder(root.path())) << signal << " run " << run;
            EXPECT_FALSE(AnyTemporaryUnder(target.path())) << signal << " run " << run;
        }
    }
}

TEST(Signals, AnInterruptedInsertLeavesTheFileWholeOrAbsent) {
    std::mt19937 random(11);
    for (int run = 0; run < 10; ++run) {
        TempFolder root;
        const fs::path folder = root.path() / "D", source = root.path() / "big.w3x";
        Make(folder / "a.w3x");
        Make(source, 40u << 20, 7);
        Interrupt({"--folder", folder.string(), "--yes", "insert", source.string()},
                  std::uniform_int_distribution<int>(1, 80)(random), SIGINT);
        if (fs::exists(folder / "big.w3x")) {
            EXPECT_EQ(fs::file_size(folder / "big.w3x"), fs::file_size(source)) << run;
        }
        EXPECT_FALSE(AnyTemporaryUnder(root.path())) << run;
    }
}

}  // namespace
}  // namespace torva
