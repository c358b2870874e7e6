#include "platform/Faults.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace platform {
namespace {

struct Fault {
    Result result;
    uint64_t nth; // 0 = every call
};

struct FaultTable {
    std::mutex lock;
    std::map<std::string, std::vector<Fault>> faults;
    std::map<std::string, uint64_t> calls;
};

bool Parse(const char* spec, std::map<std::string, std::vector<Fault>>* out) {
    std::string text = spec ? spec : "";
    size_t pos = 0;
    while (pos < text.size()) {
        size_t comma = text.find(',', pos);
        std::string item =
            text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        pos = comma == std::string::npos ? text.size() : comma + 1;
        if (item.empty())
            continue;
        size_t eq = item.find('=');
        if (eq == std::string::npos || eq == 0)
            return false;
        std::string op = item.substr(0, eq);
        std::string rest = item.substr(eq + 1);
        Fault fault{kFail, 0};
        size_t at = rest.find('@');
        if (at != std::string::npos) {
            char* end = nullptr;
            unsigned long long n = std::strtoull(rest.c_str() + at + 1, &end, 10);
            if (!end || *end || n == 0)
                return false;
            fault.nth = n;
            rest.resize(at);
        }
        if (!ParseResult(rest.c_str(), &fault.result))
            return false;
        (*out)[op].push_back(fault);
    }
    return true;
}

FaultTable& Table() {
    static FaultTable* table = [] {
        auto* t = new FaultTable;
        const char* env = std::getenv("VRASK_FAULTS");
        if (env && *env) {
            if (!Parse(env, &t->faults)) {
                std::fprintf(stderr, "VRASK_FAULTS: cannot parse \"%s\"\n", env);
                t->faults.clear();
            }
        }
        faults::gState.store(t->faults.empty() ? faults::kNone : faults::kSome,
                             std::memory_order_release);
        return t;
    }();
    return *table;
}

} // namespace

std::atomic<int> faults::gState{faults::kUnread};

bool faults::Hit(const char* operation, Result* result) {
    FaultTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    if (table.faults.empty())
        return false;
    uint64_t call = ++table.calls[operation];
    auto it = table.faults.find(operation);
    if (it == table.faults.end())
        return false;
    for (const Fault& fault : it->second) {
        if (fault.nth == 0 || fault.nth == call) {
            if (result)
                *result = fault.result;
            return true;
        }
    }
    return false;
}

bool SetFaults(const char* spec) {
    std::map<std::string, std::vector<Fault>> parsed;
    bool ok = Parse(spec, &parsed);
    FaultTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    table.faults = ok ? std::move(parsed) : decltype(parsed){};
    table.calls.clear();
    faults::gState.store(table.faults.empty() ? faults::kNone : faults::kSome,
                         std::memory_order_release);
    return ok;
}

} // namespace platform
