#include "http/connection_pool.h"

#include <algorithm>
#include <mutex>

#include "http/origin.h"

namespace tamsor {
namespace {

// Idle handles kept, and places remembered per handle; beyond these the oldest go. A session
// talks to two hosts, at most three requests at once.
constexpr size_t kMaxIdle = 4;
constexpr size_t kMaxPlaces = 4;

struct IdleMulti {
    MultiHandle multi;
    std::vector<std::string> places;
};

struct Pool {
    std::mutex mutex;
    std::vector<IdleMulti> idle;  // most recently given back last
};

// Never destroyed: worker threads that are never joined may still give handles back while the
// process exits.
Pool& pool() {
    static Pool* instance = new Pool;
    return *instance;
}

bool has_place(const std::vector<std::string>& places, std::string_view place) {
    return std::find(places.begin(), places.end(), place) != places.end();
}

}  // namespace

MultiLease::MultiLease(bool from_pool, std::string_view place) : from_pool_(from_pool) {
    if (from_pool_) {
        std::lock_guard lock(pool().mutex);
        std::vector<IdleMulti>& idle = pool().idle;
        auto chosen = std::find_if(idle.rbegin(), idle.rend(), [place](const IdleMulti& multi) {
            return has_place(multi.places, place);
        });
        if (chosen == idle.rend() && !idle.empty()) {
            chosen = idle.rbegin();
        }
        if (chosen != idle.rend()) {
            multi_ = std::move(chosen->multi);
            places_ = std::move(chosen->places);
            idle.erase(std::next(chosen).base());
        }
    }
    if (!multi_) {
        multi_.reset(curl_multi_init());
    }
}

MultiLease::~MultiLease() {
    if (!from_pool_ || !multi_) {
        return;
    }
    MultiHandle surplus;  // closed outside the lock
    try {
        std::lock_guard lock(pool().mutex);
        std::vector<IdleMulti>& idle = pool().idle;
        idle.push_back({std::move(multi_), std::move(places_)});
        if (idle.size() > kMaxIdle) {
            surplus = std::move(idle.front().multi);
            idle.erase(idle.begin());
        }
    } catch (...) {
        // No room to keep it: the handle and its connections are closed.
    }
}

void MultiLease::reached(std::string_view place) {
    if (has_place(places_, place)) {
        return;
    }
    if (places_.size() == kMaxPlaces) {
        places_.erase(places_.begin());
    }
    places_.emplace_back(place);
}

std::string place_of(std::string_view url, std::string_view proxy) {
    if (!proxy.empty()) {
        return "proxy " + std::string(proxy);
    }
    return origin_text(url);
}

}  // namespace tamsor
