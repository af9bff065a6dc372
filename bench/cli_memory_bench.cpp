// Peak memory and CPU time of korvel-cli on large libraries and folders. Each command runs as a
// process of its own, so the figures are that process's alone (wait4): peak resident memory
// (ru_maxrss), user and system CPU time, and the wall time the benchmark reports.

#include "core/picture.h"
#include "fileio/fileio.h"
#include "formats/bcm.h"
#include "formats/bmp.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace korvel {
namespace {

namespace fs = std::filesystem;

/// What one run of the program used.
struct Usage {
    int status = -1;
    double peakMegabytes = 0;
    double cpuSeconds = 0;
    double wallSeconds = 0;
};

[[nodiscard]] Usage runProgram(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    std::string program = KORVEL_CLI_PROGRAM;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    Usage usage;
    rusage used{};
    ::wait4(child, &usage.status, 0, &used);
    usage.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    usage.peakMegabytes = static_cast<double>(used.ru_maxrss) / 1024.0;
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    usage.cpuSeconds = seconds(used.ru_utime) + seconds(used.ru_stime);
    return usage;
}

/// A folder of scratch files for this run, removed at its end.
const fs::path& scratch() {
    static const struct Folder {
        fs::path path =
            fs::temp_directory_path() / ("korvel-memory-bench-" + std::to_string(::getpid()));
        Folder() { fs::create_directories(path); }
        ~Folder() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } folder;
    return folder.path;
}

/// A library of count black entries of width x height, written block by block.
[[nodiscard]] std::string library(int count, int width, int height) {
    const std::string path =
        (scratch() / ("lib-" + std::to_string(count) + "x" + std::to_string(width) + "x" +
                      std::to_string(height) + ".bcm"))
            .string();
    if (!fs::exists(path)) {
        std::vector<bitmapInfoList> entries;
        for (int k = 0; k < count; ++k) {
            entries.push_back({"E" + std::to_string(k), width, height, std::nullopt});
        }
        const auto saved =
            saveFileStreamed(path, [&](ByteSink& sink) { return writeBcm(entries, count, sink); });
        if (!saved) {
            std::abort();
        }
    }
    return path;
}

/// A folder whose index names one PNG of width x height lines times, made by the program's own
/// export of a one-entry library.
[[nodiscard]] std::string folder(int lines, int width, int height) {
    const fs::path path = scratch() / ("folder-" + std::to_string(lines) + "x" +
                                       std::to_string(width) + "x" + std::to_string(height));
    if (!fs::exists(path)) {
        if (runProgram({"convert", library(1, width, height), path.string()}).status != 0) {
            std::abort();
        }
        std::ofstream index(path / "index.txt", std::ios::trunc);
        for (int k = 0; k < lines; ++k) {
            index << k << " E" << k << " 0000-E0.png\n";
        }
    }
    return path.string();
}

[[nodiscard]] std::string redBmp() {
    const std::string path = (scratch() / "red.bmp").string();
    if (!fs::exists(path)) {
        Picture red(1024, 512);
        red.fill(kRed);
        if (!writeFileAtomic(path, encodeBmp24(red))) {
            std::abort();
        }
    }
    return path;
}

/// Runs the command once per iteration (after prepare, untimed) and reports the last run's
/// peak memory and CPU time beside its wall time.
void measure(benchmark::State& state, const std::function<std::vector<std::string>()>& prepare,
             int expectedExit = 0) {
    Usage usage;
    for (auto _ : state) {
        const std::vector<std::string> arguments = prepare();
        usage = runProgram(arguments);
        if (!WIFEXITED(usage.status) || WEXITSTATUS(usage.status) != expectedExit) {
            state.SkipWithError("the command did not end as expected");
            return;
        }
        state.SetIterationTime(usage.wallSeconds);
    }
    state.counters["peak_MB"] = usage.peakMegabytes;
    state.counters["cpu_s"] = usage.cpuSeconds;
    state.counters["wall_s"] = usage.wallSeconds;
}

/// add of one 1024 x 512 picture to a library of 1000 such entries (197 MB), a fresh copy each
/// time.
void BM_CliAdd_1000x1024x512(benchmark::State& state) {
    const std::string source = library(1000, 1024, 512);
    const std::string target = (scratch() / "add.bcm").string();
    const std::string picture = redBmp();
    measure(state, [&] {
        fs::copy_file(source, target, fs::copy_options::overwrite_existing);
        return std::vector<std::string>{"add", target, "NEW", picture};
    });
}

void folderImport(benchmark::State& state, int lines, int width, int height, int expectedExit) {
    const std::string from = folder(lines, width, height);
    const std::string to = (scratch() / "import.bcm").string();
    measure(
        state,
        [&] {
            return std::vector<std::string>{"convert", from, to};
        },
        expectedExit);
}

void BM_CliFolderImport_65535x32x16(benchmark::State& state) {
    folderImport(state, 65535, 32, 16, 0);
}
void BM_CliFolderImport_200x1024x512(benchmark::State& state) {
    folderImport(state, 200, 1024, 512, 0);
}
/// 12.9 GB of blocks, past what a .bcm file addresses: refused from the PNG headers.
void BM_CliFolderImport_65535x1024x512_Refused(benchmark::State& state) {
    folderImport(state, 65535, 1024, 512, 1);
}

/// convert of a library of 200 entries of 1024 x 512 to a folder of PNGs.
void BM_CliFolderExport_200x1024x512(benchmark::State& state) {
    const std::string from = library(200, 1024, 512);
    const std::string to = (scratch() / "export").string();
    measure(state, [&] { return std::vector<std::string>{"convert", from, to}; });
}

BENCHMARK(BM_CliAdd_1000x1024x512)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CliFolderImport_65535x32x16)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CliFolderImport_200x1024x512)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CliFolderImport_65535x1024x512_Refused)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CliFolderExport_200x1024x512)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace korvel

BENCHMARK_MAIN();
