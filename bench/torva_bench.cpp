// torva_bench: the product's sums, whole-file check and folder scan, each timed
// against its baseline in the same run, with the medians' ratios in a table.
//
//   torva_bench [--folder=DIR] [--smoke] [--benchmark_... flags]
//
// --folder names a folder made by `make_sample_folder DIR --layout bench`;
// without it one is made under the temporary directory and removed at the
// end. --smoke runs everything once, briefly, and judges no timing: only wrong
// results (a verdict or count that differs from the baselines') fail it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "baselines.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_folder_lister.h"
#include "scan/folder_scan.h"
#include "tests/support/reference_sums.h"
#include "tools/sample_folder.h"

namespace torva::bench {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kCatalogueBytes = 3731319;  // entry 17, the newest release
constexpr std::size_t kInCacheBytes = 256 * 1024;
constexpr std::size_t kVerifiedEntry = 17;

bool gFailed = false;  // a wrong result: fails even the smoke run

// Every benchmark is timed by the wall clock: reading files waits as well.
template <typename Fn>
void Add(const std::string& name, Fn&& fn) {
    benchmark::RegisterBenchmark(name.c_str(), std::forward<Fn>(fn))
        ->UseRealTime()
        ->Unit(benchmark::kMicrosecond);
}

void Fail(benchmark::State& state, const std::string& why) {
    gFailed = true;
    state.SkipWithError(why.c_str());
}

std::vector<std::uint8_t> RandomBytes(std::size_t length, std::uint32_t variant) {
    std::mt19937 rng(variant);
    std::vector<std::uint8_t> data(length);
    for (auto& b : data) b = static_cast<std::uint8_t>(rng());
    return data;
}

// ---- 1. The sums over a buffer in memory -----------------------------------

void RegisterSums(const std::string& label, std::size_t length) {
    auto data = std::make_shared<std::vector<std::uint8_t>>(RandomBytes(length, 1));
    const StridedSums expected = testing::ReferenceStridedSums(data->data(), data->size());
    const SumFunction floor = FloorSum();

    Add("sums/literal/" + label, [=](benchmark::State& state) {
        for (auto _ : state) {
            benchmark::DoNotOptimize(testing::ReferenceStridedSums(data->data(), data->size()));
        }
    });
    Add("sums/product/" + label, [=](benchmark::State& state) {
        if (ComputeStridedSums(data->data(), data->size()) != expected) {
            return Fail(state, "the product's sums differ from the literal loop's");
        }
        for (auto _ : state) {
            benchmark::DoNotOptimize(ComputeStridedSums(data->data(), data->size()));
        }
    });
    // Each kernel the processor has, pinned in turn (the table's "product" is
    // the one the program picks).
    for (const auto& [kernel, kernelName] :
         {std::pair{SumsKernel::Portable, "portable"}, std::pair{SumsKernel::Avx2, "avx2"},
          std::pair{SumsKernel::Avx512, "avx512"}}) {
        if (!SumsKernelSupported(kernel)) continue;
        Add("sums/kernel-" + std::string(kernelName) + "/" + label, [=](benchmark::State& state) {
            const SumsKernel chosen = ActiveSumsKernel();
            UseSumsKernel(kernel);
            if (ComputeStridedSums(data->data(), data->size()) != expected) {
                UseSumsKernel(chosen);
                return Fail(state, "a kernel's sums differ from the literal loop's");
            }
            for (auto _ : state) {
                benchmark::DoNotOptimize(ComputeStridedSums(data->data(), data->size()));
            }
            UseSumsKernel(chosen);
        });
    }
    Add("sums/floor/" + label, [=](benchmark::State& state) {
        for (auto _ : state) benchmark::DoNotOptimize(floor(data->data(), data->size()));
    });
    Add("sums/plain-loop/" + label, [=](benchmark::State& state) {
        for (auto _ : state) {
            benchmark::DoNotOptimize(PlainLoopSum(data->data(), data->size()));
        }
    });
}

// ---- 2. The whole-file check of one catalogue-size file --------------------

void RegisterFileCheck(const fs::path& path) {
    const std::int32_t size = MapCatalogue.expectedSizes[kVerifiedEntry];
    const std::string name = path.string();

    Add("file/verify", [=](benchmark::State& state) {
        for (auto _ : state) {
            const UniqueFile file(std::fopen(name.c_str(), "rb"));
            const Verdict verdict = JudgeAgainstEntry(file.Get(), size, kVerifiedEntry).verdict;
            if (verdict != Verdict::Genuine) return Fail(state, "a genuine file judged hacked");
        }
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
    });
    Add("file/read-only", [=](benchmark::State& state) {
        std::vector<std::uint8_t> buffer(kStreamChunkSize);
        for (auto _ : state) {
            const UniqueFile file(std::fopen(name.c_str(), "rb"));
            const std::size_t got =
                ReadLikeVerify(file.Get(), static_cast<std::size_t>(size), buffer.data());
            if (got != static_cast<std::size_t>(size)) return Fail(state, "short read");
            benchmark::DoNotOptimize(buffer.data());
        }
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
    });
    // The bound for any sums: the same read loop plus the memory-floor sum of
    // each chunk while it is in cache.
    Add("file/read+floor-sum", [=](benchmark::State& state) {
        std::vector<std::uint8_t> buffer(kStreamChunkSize);
        const SumFunction floor = FloorSum();
        for (auto _ : state) {
            const UniqueFile file(std::fopen(name.c_str(), "rb"));
            std::int64_t sum = 0;
            const std::size_t got =
                ReadLikeVerify(file.Get(), static_cast<std::size_t>(size), buffer.data(),
                               [&](std::size_t n) { sum += floor(buffer.data(), n); });
            if (got != static_cast<std::size_t>(size)) return Fail(state, "short read");
            benchmark::DoNotOptimize(sum);
        }
    });
}

// ---- 3. ScanFolder over the bench folder ------------------------------------

class SilentPrompts : public Prompts {
public:
    bool Confirm(const Question&) override { return false; }
    void Tell(const Notice&) override {}
};

// What a scan cannot avoid: every name, and the whole-file checks it must make
// (a marker whose label names an entry, and that entry's size).
struct ScanWork {
    std::vector<std::string> names;
    struct Check {
        std::string name;
        std::int32_t size;
        std::size_t entry;
    };
    std::vector<Check> checks;
};

ScanWork PlanScan(const fs::path& folder) {
    ScanWork work;
    std::vector<fs::path> files;
    for (const auto& item : fs::directory_iterator(folder)) {
        if (item.is_regular_file()) files.push_back(item.path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& path : files) {
        work.names.push_back(path.filename().string());
        std::uint8_t header[kHeaderSize] = {};
        const UniqueFile file(std::fopen(path.c_str(), "rb"));
        if (!file) continue;
        const std::size_t got = std::fread(header, 1, sizeof header, file.Get());
        MarkerOccurrence markers[64];
        const int found = std::min(FindMarkers(header, got, markers, 64), 64);
        const auto size = static_cast<std::int32_t>(fs::file_size(path));
        std::set<std::size_t> entries;
        for (int m = 0; m < found; ++m) {
            const auto entry = FindEntryByLabel(SlotText(markers[m].label));
            if (entry && MapCatalogue.expectedSizes[*entry] == size &&
                entries.insert(*entry).second) {
                work.checks.push_back({work.names.back(), size, *entry});
            }
        }
    }
    return work;
}

void RegisterScan(const fs::path& folder) {
    auto work = std::make_shared<ScanWork>(PlanScan(folder));
    struct Rig {
        PosixFolderLister lister;
        PosixFileSystem files;
        SilentPrompts prompts;
        MapFolder folder;
        explicit Rig(const std::string& path) : folder(path, lister, files, prompts) {}
    };
    auto rig = std::make_shared<Rig>(folder.string());
    auto genuine = std::make_shared<int>(-1);  // as the baseline's checks found

    // The baseline runs in the folder, as the scan does, on bare names.
    auto checksAndHeaders = [work, genuine](benchmark::State& state, bool withChecks) {
        for (auto _ : state) {
            benchmark::DoNotOptimize(BareHeaderLoop(work->names));
            if (!withChecks) continue;
            int count = 0;
            for (const ScanWork::Check& check : work->checks) {
                const UniqueFile file(std::fopen(check.name.c_str(), "rb"));
                if (!file) return Fail(state, "cannot open " + check.name);
                count += JudgeAgainstEntry(file.Get(), check.size, check.entry).verdict ==
                         Verdict::Genuine;
            }
            *genuine = count;
        }
    };
    Add("scan/ScanFolder", [=](benchmark::State& state) {
        for (auto _ : state) rig->folder.ScanFolder();
        const ScanResults& r = rig->folder.Results();
        if (r.FolderFileCount != work->names.size()) {
            return Fail(state, "the scan examined another number of files");
        }
        if (r.Genuine.size() + r.Hacked.size() != work->checks.size()) {
            return Fail(state, "the scan judged another number of files");
        }
        if (*genuine >= 0 && r.Genuine.size() != static_cast<std::size_t>(*genuine)) {
            return Fail(state, "the scan found another number of genuine files");
        }
    });
    Add("scan/bare-loop+checks", [=](benchmark::State& state) {
        if (::chdir(folder.c_str()) != 0) return Fail(state, "cannot enter the folder");
        checksAndHeaders(state, true);
    });
    Add("scan/bare-loop", [=](benchmark::State& state) {
        if (::chdir(folder.c_str()) != 0) return Fail(state, "cannot enter the folder");
        checksAndHeaders(state, false);
    });
}

// ---- The table ---------------------------------------------------------------

// Keeps each benchmark's median real time (or its one time in a single run), in
// seconds.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;

    CollectingReporter()
        : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) continue;
            const std::string name = run.run_name.function_name;
            if (!median && seconds.count(name) != 0) continue;
            seconds[name] =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
    }
};

std::string Time(double seconds) {
    char text[32];
    if (seconds >= 1e-3) {
        std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
    } else {
        std::snprintf(text, sizeof text, "%.1f us", seconds * 1e6);
    }
    return text;
}

struct Row {
    const char* target;
    const char* what;
    std::string top;  // the ratio is top / bottom
    std::string bottom;
    enum { AtMost, AtLeast, Info } kind;
    double limit;
};

// Prints the table; returns false when a judged ratio misses its limit.
bool PrintTable(const std::map<std::string, double>& seconds, bool smoke) {
    const std::string big = "3.7MB", cache = "256KB";
    const std::vector<Row> rows = {
        {"1", "sums 3.7 MB: literal loop / product", "sums/literal/" + big, "sums/product/" + big,
         Row::AtLeast, 100},
        {"1", "sums 3.7 MB: product / memory floor", "sums/product/" + big, "sums/floor/" + big,
         Row::AtMost, 2},
        {"-", "sums 256 KB in cache: literal / product", "sums/literal/" + cache,
         "sums/product/" + cache, Row::Info, 0},
        {"-", "sums 256 KB in cache: product / floor", "sums/product/" + cache,
         "sums/floor/" + cache, Row::Info, 0},
        {"-", "sums 3.7 MB: literal loop / memory floor", "sums/literal/" + big,
         "sums/floor/" + big, Row::Info, 0},
        {"2", "whole-file check / same read loop, no sums", "file/verify", "file/read-only",
         Row::AtMost, 1.15},
        {"-", "read loop + floor sum / read loop (bound)", "file/read+floor-sum", "file/read-only",
         Row::Info, 0},
        {"3", "ScanFolder / bare open-read-close + checks", "scan/ScanFolder",
         "scan/bare-loop+checks", Row::AtMost, 1.3},
    };
    bool met = true;
    std::printf("\n%-2s %-44s %11s %11s %9s %8s  %s\n", "#", "ratio", "numerator", "denominator",
                "ratio", "limit", "result");
    for (const Row& row : rows) {
        const auto top = seconds.find(row.top);
        const auto bottom = seconds.find(row.bottom);
        if (top == seconds.end() || bottom == seconds.end()) {
            std::printf("%-2s %-44s %11s %11s %9s %8s  %s\n", row.target, row.what, "-", "-", "-",
                        "", "not run");
            continue;
        }
        const double ratio = top->second / bottom->second;
        char limit[16] = "";
        const char* result = "info";
        if (row.kind != Row::Info) {
            std::snprintf(limit, sizeof limit, "%s%gx",
                          row.kind == Row::AtMost ? "<=" : ">=", row.limit);
            const bool ok = row.kind == Row::AtMost ? ratio <= row.limit : ratio >= row.limit;
            if (!smoke) met = met && ok;
            result = smoke ? "smoke" : ok ? "PASS" : "FAIL";
        }
        std::printf("%-2s %-44s %11s %11s %8.2fx %8s  %s\n", row.target, row.what,
                    Time(top->second).c_str(), Time(bottom->second).c_str(), ratio, limit, result);
    }
    for (const char* kernel : {"portable", "avx2", "avx512"}) {
        const auto whole = seconds.find(std::string("sums/kernel-") + kernel + "/3.7MB");
        const auto cached = seconds.find(std::string("sums/kernel-") + kernel + "/256KB");
        if (whole == seconds.end() || cached == seconds.end()) continue;
        std::printf("   (kernel %-8s: %s over 3.7 MB, %s over 256 KB in cache)\n", kernel,
                    Time(whole->second).c_str(), Time(cached->second).c_str());
    }
    const auto bare = seconds.find("scan/bare-loop");
    if (bare != seconds.end()) {
        std::printf("   (bare open-read-close: %.2f us per file; memory floor uses %s)\n",
                    bare->second * 1e6 / 1000, FloorSumName());
    }
    return met;
}

}  // namespace
}  // namespace torva::bench

int main(int argc, char** argv) {
    using namespace torva::bench;
    std::string folderArg;
    bool smoke = false;
    std::vector<std::string> flags = {
        "--benchmark_repetitions=9", "--benchmark_enable_random_interleaving=true",
        "--benchmark_report_aggregates_only=true", "--benchmark_min_time=0.1"};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--folder=", 0) == 0) {
            folderArg = arg.substr(9);
        } else if (arg == "--smoke") {
            smoke = true;
        } else {
            flags.push_back(arg);
        }
    }
    if (smoke) {
        flags.insert(flags.end(), {"--benchmark_repetitions=1", "--benchmark_min_time=0.001",
                                   "--benchmark_enable_random_interleaving=false"});
    }

    const fs::path scratch =
        fs::temp_directory_path() / ("torva-bench-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    fs::path folder = folderArg.empty() ? scratch / "folder" : fs::absolute(folderArg);
    int status = 0;
    try {
        if (folderArg.empty()) {
            torva::sample::SampleOptions options;
            options.outDir = folder.string();
            options.layout = torva::sample::Layout::Bench;
            torva::sample::WriteSampleFolder(options);
        }
        const fs::path release = scratch / "TORVA_A32.w3x";
        {
            const auto bytes = torva::sample::ForgeGenuine(kVerifiedEntry);
            const torva::UniqueFile out(std::fopen(release.c_str(), "wb"));
            if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out.Get()) != bytes.size()) {
                throw std::runtime_error("cannot write " + release.string());
            }
        }

        RegisterSums("3.7MB", kCatalogueBytes);
        RegisterSums("256KB", kInCacheBytes);
        RegisterFileCheck(release);
        RegisterScan(folder);

        std::vector<char*> args = {argv[0]};
        for (std::string& flag : flags) args.push_back(flag.data());
        int count = static_cast<int>(args.size());
        benchmark::Initialize(&count, args.data());
        CollectingReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        const bool met = PrintTable(reporter.seconds, smoke);
        status = gFailed ? 1 : met ? 0 : 3;
        if (gFailed) std::printf("wrong results: see the errors above\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "torva_bench: %s\n", e.what());
        status = 1;
    }
    std::error_code ec;
    fs::current_path(fs::temp_directory_path(), ec);
    fs::remove_all(scratch, ec);
    return status;
}
