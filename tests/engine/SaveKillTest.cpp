// Saves killed part-way: a child process writes the preferences or the
// high-score table and is killed with SIGKILL at a random moment of the
// write; what the game then loads is always the whole old file or the whole
// new one. With the disk full the old one always stays.
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/HighScores.h"
#include "platform/Faults.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr int kKills = 1000;

// One saved file of the game: how to fill its records with a version, save,
// load, and take what was loaded for comparison.
struct Saver {
    const char* name;
    void (*set)(uint32_t version);
    int (*save)();
    int (*load)();
    Bytes (*state)();
};

void SetPrefs(uint32_t version) {
    gMenuControl.musicOn = version;
    gMenuControl.secondOption = ~version;
    gMenuControl.musicVolume = version * 3;
    gMenuControl.effectsVolume = version * 5;
    auto* keys = reinterpret_cast<uint8_t*>(gInputState.keyBindings);
    auto* second = reinterpret_cast<uint8_t*>(gInputState.secondBindings);
    for (uint32_t i = 0; i < 64; ++i) {
        keys[i] = uint8_t(version * 7 + i);
        second[i] = uint8_t(version * 11 + i);
    }
}

Bytes PrefsState() {
    Bytes record(kPrefsSize);
    UserPrefsGather(record.data());
    return record;
}

void SetScores(uint32_t version) {
    for (uint32_t i = 0; i < kHighScoreCount; ++i) {
        gHighScores.scores[i] = version * 100000 - i;
        for (uint32_t j = 0; j < kHighScoreInitialsSize; ++j)
            gHighScores.initials[i][j] = uint8_t(version + i + j);
    }
}

Bytes ScoresState() {
    Bytes b(sizeof(gHighScores.scores) + sizeof(gHighScores.initials));
    std::memcpy(b.data(), gHighScores.scores, sizeof(gHighScores.scores));
    std::memcpy(b.data() + sizeof(gHighScores.scores), gHighScores.initials,
                sizeof(gHighScores.initials));
    return b;
}

const Saver kPrefs{"preferences", SetPrefs, SaveUserPrefs, LoadUserPrefs, PrefsState};
const Saver kScores{"high scores", SetScores, HighScoresSave, HighScoresLoad, ScoresState};

enum class Disk { kRoom, kFull };

// A child that sets `version` and saves, telling the parent through `ready`
// just before it starts. A full disk is an injected fault on odd versions,
// and a real short write (the file-size limit) on even ones.
pid_t StartSave(const Saver& saver, uint32_t version, Disk disk, int ready) {
    pid_t pid = fork();
    if (pid != 0)
        return pid;
    saver.set(version);
    if (disk == Disk::kFull) {
        if (version % 2) {
            platform::SetFaults("FileWrite=disk_full");
        } else {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{100, 100};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
    }
    char go = 1;
    if (write(ready, &go, 1) != 1)
        _exit(3);
    auto start = Clock::now();
    int saved = saver.save();
    // How long the save took, for the parent to spread its kills over.
    int64_t took = (Clock::now() - start).count();
    if (write(ready, &took, sizeof(took)) != sizeof(took))
        _exit(3);
    _exit(saved == 1 ? 0 : 1);
}

struct Outcome {
    int old = 0, fresh = 0, torn = 0;
};

class SaveKillTest : public ::testing::TestWithParam<std::tuple<const Saver*, Disk>> {
  protected:
    void SetUp() override {
        // On tmpfs a sync costs next to nothing, so a thousand kills fit in a
        // few seconds; VRASK_KILL_ON_DISK=1 keeps the scratch folder on disk.
        const char* onDisk = std::getenv("VRASK_KILL_ON_DISK");
        if (std::filesystem::is_directory("/dev/shm") && !(onDisk && *onDisk == '1')) {
            shm_ = "/dev/shm/vrask-kill-" + std::to_string(getpid());
            std::filesystem::remove_all(shm_);
            std::filesystem::create_directories(shm_);
            std::filesystem::current_path(shm_);
        }
        std::filesystem::create_directories("data");
        gErrorInfo = ErrorInfo{};
        platform::SetFaults(nullptr);
    }

    // How long a save takes in the child (the median of a few).
    static Clock::duration SaveTime(const Saver& saver, Disk disk) {
        std::vector<Clock::duration> times;
        for (uint32_t round = 0; round < 21; ++round) {
            int fds[2];
            EXPECT_EQ(pipe(fds), 0);
            pid_t pid = StartSave(saver, 3 + round % 2, disk, fds[1]);
            char go;
            EXPECT_EQ(read(fds[0], &go, 1), 1);
            int64_t took = 0;
            EXPECT_EQ(read(fds[0], &took, sizeof(took)), ssize_t(sizeof(took)));
            times.push_back(Clock::duration(took));
            int status = 0;
            waitpid(pid, &status, 0);
            close(fds[0]);
            close(fds[1]);
            EXPECT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), disk == Disk::kRoom ? 0 : 1);
        }
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    }

    void TearDown() override {
        if (!shm_.empty()) {
            std::filesystem::current_path(dir_->Path());
            std::filesystem::remove_all(shm_);
        }
    }

    std::optional<ScratchDir> dir_{std::in_place};
    std::filesystem::path shm_;
};

TEST_P(SaveKillTest, FileIsAlwaysTheOldOrTheNewOneNeverTorn) {
    const Saver& saver = *std::get<0>(GetParam());
    Disk disk = std::get<1>(GetParam());
    // Two versions in turn: what is on disk is "old", what the child writes "new".
    const uint32_t versions[2] = {1, 2};
    Bytes expected[2];
    for (int i = 0; i < 2; ++i) {
        saver.set(versions[i]);
        expected[i] = saver.state();
    }
    saver.set(versions[0]);
    ASSERT_EQ(saver.save(), 1) << gErrorInfo.message;
    Clock::duration window = SaveTime(saver, disk);
    // SaveTime left a version of its own when there was room.
    saver.set(versions[0]);
    ASSERT_EQ(saver.save(), 1) << gErrorInfo.message;

    std::minstd_rand random(20261208);
    auto span = std::chrono::duration_cast<std::chrono::microseconds>(window).count() * 5 / 4 + 1;
    std::uniform_int_distribution<long> delay(0, span);
    Outcome seen;
    int current = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        int next = 1 - current;
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        pid_t pid = StartSave(saver, versions[next], disk, fds[1]);
        char go;
        ASSERT_EQ(read(fds[0], &go, 1), 1);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        close(fds[0]);
        close(fds[1]);

        gErrorInfo = ErrorInfo{};
        Bytes loaded = saver.load() == 1 ? saver.state() : Bytes{};
        if (loaded == expected[current]) {
            ++seen.old;
        } else if (loaded == expected[next]) {
            ++seen.fresh;
            current = next;
        } else {
            ++seen.torn;
            saver.set(versions[current]);
            ASSERT_EQ(saver.save(), 1);
        }
    }
    RecordProperty("old", seen.old);
    RecordProperty("new", seen.fresh);
    std::printf("%s, %s: %d kills over %lld us: %d old, %d new, %d torn\n", saver.name,
                disk == Disk::kRoom ? "room" : "disk full", kKills, static_cast<long long>(span),
                seen.old, seen.fresh, seen.torn);
    EXPECT_EQ(seen.torn, 0);
    if (disk == Disk::kFull) {
        EXPECT_EQ(seen.fresh, 0); // a save that could not finish changes nothing
    } else {
        // The kills landed on both sides of the moment the new file takes over.
        EXPECT_GT(seen.old, 0);
        EXPECT_GT(seen.fresh, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Saves, SaveKillTest,
                         ::testing::Combine(::testing::Values(&kPrefs, &kScores),
                                            ::testing::Values(Disk::kRoom, Disk::kFull)),
                         [](const auto& info) {
                             std::string name =
                                 std::get<0>(info.param) == &kPrefs ? "Prefs" : "Scores";
                             return name + (std::get<1>(info.param) == Disk::kRoom ? "WithRoom"
                                                                                   : "DiskFull");
                         });

} // namespace
