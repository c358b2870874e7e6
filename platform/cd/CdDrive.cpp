// The drive: track files found in data/cdaudio, their lengths measured once
// per file version, and playback through the mixer. A feeder thread decodes
// a little ahead; the mixer takes the samples at the output's pace and
// scales them by the compact-disc line's volume.
#include "platform/cd/CdDrive.h"
#include "platform/Debug.h"
#include "platform/Files.h"
#include "platform/cd/TrackDecoder.h"
#include "platform/core/Threads.h"
#include "platform/sound/MixSource.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {
namespace {

constexpr const char* kDiscFolder = "data\\cdaudio";
// What a track file may be, in the order one number's files are preferred.
constexpr const char* kExtensions[] = {"wav", "flac", "ogg", "oga", "opus", "mp3"};
constexpr int kBlockFrames = 2048;
constexpr size_t kAheadFrames = kCdRate / 2;

struct Block {
    uint32_t track;
    uint64_t first; // frame of the track the block starts at
    std::vector<int16_t> samples;
    size_t taken = 0; // frames already mixed
};

struct Measured {
    uintmax_t size;
    std::filesystem::file_time_type time;
    uint64_t frames;
};

// "trackNN.ext" without regard to case: NN, or 0 when the name is not one.
uint32_t TrackNumber(const std::string& name, int* rank) {
    if (name.size() < 9)
        return 0;
    std::string lower;
    for (char c : name)
        lower += char(std::tolower(static_cast<unsigned char>(c)));
    if (lower.compare(0, 5, "track") != 0 || !std::isdigit(static_cast<unsigned char>(lower[5])) ||
        !std::isdigit(static_cast<unsigned char>(lower[6])) || lower[7] != '.')
        return 0;
    std::string ext = lower.substr(8);
    for (int i = 0; i < int(std::size(kExtensions)); ++i) {
        if (ext == kExtensions[i]) {
            *rank = i;
            return uint32_t((lower[5] - '0') * 10 + (lower[6] - '0'));
        }
    }
    return 0;
}

class Drive final : public CdDrive, public MixSource {
  public:
    Drive() {
        JoinOutput();
        AddMixSource(this);
    }

    ~Drive() override {
        Stop();
        RemoveMixSource(this);
        LeaveOutput();
    }

    void Scan() override {
        std::map<uint32_t, std::pair<int, std::string>> found;
        char folder[4096];
        std::error_code error;
        if (ResolvePath(kDiscFolder, folder, sizeof(folder))) {
            for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
                if (!entry.is_regular_file(error))
                    continue;
                int rank = 0;
                uint32_t number = TrackNumber(entry.path().filename().string(), &rank);
                if (number == 0)
                    continue;
                auto it = found.find(number);
                if (it == found.end() || rank < it->second.first)
                    found[number] = {rank, entry.path().string()};
            }
        }
        std::lock_guard<std::mutex> guard(discLock_);
        files_.clear();
        for (const auto& [number, file] : found)
            files_[number] = file.second;
    }

    bool HasDisc() override {
        std::lock_guard<std::mutex> guard(discLock_);
        return !files_.empty();
    }

    uint32_t Tracks() override {
        std::lock_guard<std::mutex> guard(discLock_);
        return files_.empty() ? 0 : files_.rbegin()->first;
    }

    MCIERROR TrackFrames(uint32_t track, uint64_t* frames) override {
        std::string path;
        {
            std::lock_guard<std::mutex> guard(discLock_);
            if (files_.empty())
                return MCIERR_DEVICE_NOT_READY;
            if (track < 1 || track > files_.rbegin()->first)
                return MCIERR_OUTOFRANGE;
            auto it = files_.find(track);
            if (it == files_.end())
                return MCIERR_FILE_NOT_FOUND;
            path = it->second;
        }
        std::error_code error;
        Measured now{std::filesystem::file_size(path, error),
                     std::filesystem::last_write_time(path, error), 0};
        if (error)
            return MCIERR_FILE_NOT_FOUND;
        {
            std::lock_guard<std::mutex> guard(discLock_);
            auto known = lengths_.find(path);
            if (known != lengths_.end() && known->second.size == now.size &&
                known->second.time == now.time) {
                *frames = known->second.frames;
                return 0;
            }
        }
        std::string why;
        if (!platform::TrackFrames(path, &now.frames, &why)) {
            DebugPrintf("CD: cannot read %s: %s\n", path.c_str(), why.c_str());
            return MCIERR_INVALID_FILE;
        }
        std::lock_guard<std::mutex> guard(discLock_);
        lengths_[path] = now;
        *frames = now.frames;
        return 0;
    }

    MCIERROR Play(uint32_t track, uint64_t frame, uint32_t endTrack, uint64_t endFrame) override {
        std::map<uint32_t, std::string> files;
        {
            std::lock_guard<std::mutex> guard(discLock_);
            if (files_.empty())
                return MCIERR_DEVICE_NOT_READY;
            if (track < 1 || track > files_.rbegin()->first || endTrack > files_.rbegin()->first)
                return MCIERR_OUTOFRANGE;
            if (!files_.count(track))
                return MCIERR_FILE_NOT_FOUND;
            files = files_;
        }
        Stop();
        {
            std::lock_guard<std::mutex> guard(queueLock_);
            queue_.clear();
            queued_ = 0;
            stop_ = false;
            fed_ = false;
            playing_ = true;
            fraction_ = 0;
            primed_ = false;
            track_ = track;
            frame_ = frame;
        }
        if (!StartThread(&feeder_, [this, files, track, frame, endTrack, endFrame] {
                Feed(files, track, frame, endTrack, endFrame);
            })) {
            std::lock_guard<std::mutex> guard(queueLock_);
            playing_ = false;
            return MCIERR_OUT_OF_MEMORY;
        }
        StartSharedOutput();
        return 0;
    }

    void Stop() override {
        {
            std::lock_guard<std::mutex> guard(queueLock_);
            stop_ = true;
            playing_ = false;
            queue_.clear();
            queued_ = 0;
        }
        room_.notify_all();
        if (feeder_.joinable())
            feeder_.join();
    }

    bool Playing() override {
        std::lock_guard<std::mutex> guard(queueLock_);
        return playing_;
    }

    void Position(uint32_t* track, uint64_t* frame) override {
        std::lock_guard<std::mutex> guard(queueLock_);
        *track = track_;
        *frame = frame_;
    }

    void MixInto(int32_t* mix, uint32_t frames, const OutputFormat& out) override {
        std::lock_guard<std::mutex> guard(queueLock_);
        if (!playing_)
            return;
        const int64_t gain = CdLineVolume();
        const uint32_t step = uint32_t((uint64_t(kCdRate) << 16) / out.rate);
        for (uint32_t i = 0; i < frames; ++i) {
            // Linear steps between the frame before and the one after.
            while (!primed_ || fraction_ >= 0x10000) {
                int16_t next[2];
                if (!Take(next)) {
                    if (fed_ && queue_.empty())
                        playing_ = false;
                    room_.notify_all();
                    return;
                }
                before_[0] = primed_ ? after_[0] : next[0];
                before_[1] = primed_ ? after_[1] : next[1];
                after_[0] = next[0];
                after_[1] = next[1];
                if (primed_)
                    fraction_ -= 0x10000;
                primed_ = true;
            }
            int32_t left =
                before_[0] + int32_t((int64_t(after_[0] - before_[0]) * fraction_) >> 16);
            int32_t right =
                before_[1] + int32_t((int64_t(after_[1] - before_[1]) * fraction_) >> 16);
            left = int32_t(left * gain / 65535);
            right = int32_t(right * gain / 65535);
            if (out.channels == 2) {
                mix[2 * i] += left;
                mix[2 * i + 1] += right;
            } else {
                mix[i] += (left + right) / 2;
            }
            fraction_ += step;
        }
        room_.notify_all();
    }

  private:
    // One frame from the queue (queue lock held).
    bool Take(int16_t* frame) {
        while (!queue_.empty() && queue_.front().taken * 2 >= queue_.front().samples.size())
            queue_.pop_front();
        if (queue_.empty())
            return false;
        Block& b = queue_.front();
        frame[0] = b.samples[2 * b.taken];
        frame[1] = b.samples[2 * b.taken + 1];
        track_ = b.track;
        frame_ = b.first + b.taken;
        ++b.taken;
        queued_ -= 1;
        return true;
    }

    void Feed(const std::map<uint32_t, std::string>& files, uint32_t track, uint64_t start,
              uint32_t endTrack, uint64_t endFrame) {
        uint32_t last = endTrack ? endTrack : files.rbegin()->first;
        for (uint32_t t = track; t <= last && !Stopping(); ++t) {
            auto file = files.find(t);
            if (file == files.end())
                continue;
            std::string why;
            std::unique_ptr<TrackDecoder> decoder(OpenTrackDecoder(file->second, &why));
            if (!decoder) {
                DebugPrintf("CD: cannot play %s: %s\n", file->second.c_str(), why.c_str());
                continue;
            }
            uint64_t at = 0;
            uint64_t from = t == track ? start : 0;
            uint64_t until = t == endTrack ? endFrame : UINT64_MAX;
            std::vector<int16_t> samples(2 * kBlockFrames);
            while (at < until && !Stopping()) {
                int n = decoder->Read(samples.data(), kBlockFrames);
                if (n < 0)
                    DebugPrintf("CD: %s is damaged, playing on\n", file->second.c_str());
                if (n <= 0)
                    break;
                uint64_t begin = std::max(at, from), end = std::min(at + uint64_t(n), until);
                if (begin < end) {
                    Block block{t, begin,
                                std::vector<int16_t>(samples.begin() + ptrdiff_t(begin - at) * 2,
                                                     samples.begin() + ptrdiff_t(end - at) * 2)};
                    std::unique_lock<std::mutex> lock(queueLock_);
                    room_.wait(lock, [&] { return stop_ || queued_ < kAheadFrames; });
                    if (stop_)
                        return;
                    queued_ += end - begin;
                    queue_.push_back(std::move(block));
                }
                at += uint64_t(n);
            }
        }
        std::lock_guard<std::mutex> guard(queueLock_);
        fed_ = true;
    }

    bool Stopping() {
        std::lock_guard<std::mutex> guard(queueLock_);
        return stop_;
    }

    std::mutex discLock_;
    std::map<uint32_t, std::string> files_;
    std::map<std::string, Measured> lengths_;

    std::mutex queueLock_;
    std::condition_variable room_;
    std::deque<Block> queue_;
    size_t queued_ = 0;
    bool stop_ = false;
    bool fed_ = false;
    bool playing_ = false;
    bool primed_ = false;
    uint32_t fraction_ = 0;
    int16_t before_[2] = {};
    int16_t after_[2] = {};
    uint32_t track_ = 1;
    uint64_t frame_ = 0;
    std::thread feeder_;
};

std::mutex gDriveLock;
Drive* gDrive = nullptr;
int gDriveUsers = 0;

} // namespace

CdDrive* AcquireCdDrive() {
    std::lock_guard<std::mutex> guard(gDriveLock);
    if (!gDrive)
        gDrive = new Drive;
    ++gDriveUsers;
    return gDrive;
}

void ReleaseCdDrive() {
    std::lock_guard<std::mutex> guard(gDriveLock);
    if (--gDriveUsers == 0) {
        delete gDrive;
        gDrive = nullptr;
    }
}

} // namespace platform
