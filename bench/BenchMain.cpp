// Runs the benchmarks like benchmark_main does, keeps each one's time, and
// ends with the table of the pairs measured side by side in this process.
#include "bench/BenchUtil.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

// CPU time per iteration in seconds, by run name; with repetitions the median.
class TableReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median)
                continue;
            std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Iteration && medians_.count(name))
                continue;
            double seconds =
                run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            times_[name] = seconds;
            auto peak = run.counters.find("peak_over_file");
            if (peak != run.counters.end())
                peakOverFile_ = peak->second;
            if (median)
                medians_[name] = true;
        }
    }

    double Time(const std::string& name) const {
        auto it = times_.find(name);
        return it == times_.end() ? -1 : it->second;
    }

    double PeakOverFile() const { return peakOverFile_; }

  private:
    double peakOverFile_ = -1;
    std::map<std::string, double> times_;
    std::map<std::string, bool> medians_;
};

struct Pair {
    const char* family;
    const char* ours;
    const char* theirs;
    // Goal on ours/theirs: at most `most`, or (when `speedup`) theirs/ours at
    // least `least`.
    bool speedup;
    double goal;
};

void PrintTable(const TableReporter& r) {
    const Pair pairs[] = {
        {"BM_LevelFrame", "Project", "SdlBlit", false, 1.0 / 3},
        {"BM_KeyedLayer", "Project", "SdlBlit", false, 0.5},
        {"BM_Sprites200", "Project", "SdlBlit", false, 0.5},
        {"BM_Adpcm", "Project", "Libavcodec", true, 1.2},
        {"BM_LevelLoad1000", "Project", "ReadFloor", false, 1.3},
    };
    std::printf("\n%-18s %12s %12s %-11s %8s %10s  %s\n", "benchmark", "Project", "twin", "(twin)",
                "ratio", "goal", "");
    for (const Pair& p : pairs) {
        std::string family = p.family;
        double ours = r.Time(family + "/" + p.ours);
        double theirs = r.Time(family + "/" + p.theirs);
        if (ours <= 0 || theirs <= 0) {
            std::printf("%-18s %12s %12s %-11s %8s %10s  not run\n", p.family, "-", "-", p.theirs,
                        "-", "-");
            continue;
        }
        double ratio = p.speedup ? theirs / ours : ours / theirs;
        bool met = p.speedup ? ratio >= p.goal : ratio <= p.goal;
        char goal[32];
        std::snprintf(goal, sizeof goal, "%s %.2f%s", p.speedup ? ">=" : "<=", p.goal,
                      p.speedup ? "x" : "");
        std::printf("%-18s %9.3f ms %9.3f ms %-11s %7.2f%s %10s  %s\n", p.family, ours * 1e3,
                    theirs * 1e3, p.theirs, ratio, p.speedup ? "x" : " ", goal,
                    met ? "met" : "NOT MET");
    }
    if (double peak = r.PeakOverFile(); peak > 0)
        std::printf("%-18s %9.2f x the file's size at the most while loading %4s <= 1.30  %s\n",
                    "  peak memory", peak, "", peak <= 1.3 ? "met" : "NOT MET");
    double mixer = r.Time("BM_Mixer32/Project");
    if (mixer > 0)
        std::printf("%-18s %9.3f ms %12s %-11s %7.2f%% %10s  of one core for 1 s of sound\n",
                    "BM_Mixer32", mixer * 1e3, "-", "", mixer * 100, "");
    std::printf("(CPU time per iteration; the median when repeated; ratios from this process)\n");
}

} // namespace

int main(int argc, char** argv) {
    // No window and no sound device: the work measured is ours alone.
    setenv("VRASK_BACKEND", "headless", 1);
    unsetenv("VRASK_CLOCK");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintTable(reporter);
    bench::RemoveScratch();
    return 0;
}
