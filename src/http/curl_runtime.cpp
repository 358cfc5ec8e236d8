#include "http/curl_runtime.h"

#include <memory>
#include <mutex>

#include "http/http_request.h"

namespace tamsor {
namespace {

// The cookie (and DNS) store shared by every request of the process, with real locks: requests
// run on the window thread and on workers at the same time.
struct SharedStore {
    CURLSH* share = nullptr;
    std::mutex locks[CURL_LOCK_DATA_LAST];

    static void lock(CURL*, curl_lock_data data, curl_lock_access, void* store) {
        static_cast<SharedStore*>(store)->locks[data].lock();
    }
    static void unlock(CURL*, curl_lock_data data, void* store) {
        static_cast<SharedStore*>(store)->locks[data].unlock();
    }
};

SharedStore& shared_store() {
    // Never destroyed: worker threads that are never joined may still use it while the
    // process exits.
    static SharedStore* store = [] {
        curl_runtime::ensure_initialised();
        auto* created = new SharedStore;
        created->share = curl_share_init();
        curl_share_setopt(created->share, CURLSHOPT_LOCKFUNC, &SharedStore::lock);
        curl_share_setopt(created->share, CURLSHOPT_UNLOCKFUNC, &SharedStore::unlock);
        curl_share_setopt(created->share, CURLSHOPT_USERDATA, created);
        curl_share_setopt(created->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        curl_share_setopt(created->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
        return created;
    }();
    return *store;
}

struct Settings {
    std::mutex mutex;
    HttpLimits limits;
    std::function<void()> pump;
};

Settings& settings() {
    static Settings* instance = new Settings;
    return *instance;
}

}  // namespace

namespace curl_runtime {

void ensure_initialised() {
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_ALL);
    (void)initialised;
}

void attach_cookie_store(CURL* easy) {
    curl_easy_setopt(easy, CURLOPT_SHARE, shared_store().share);
    // The share holds the cookies, but only a handle with a cookie file switches the engine on;
    // "" reads no file.
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
}

std::function<void()> wait_pump() {
    std::lock_guard lock(settings().mutex);
    return settings().pump;
}

}  // namespace curl_runtime

HttpLimits http_limits() {
    std::lock_guard lock(settings().mutex);
    return settings().limits;
}

void set_http_limits(const HttpLimits& limits) {
    std::lock_guard lock(settings().mutex);
    settings().limits = limits;
}

void set_wait_pump(std::function<void()> pump) {
    std::lock_guard lock(settings().mutex);
    settings().pump = std::move(pump);
}

void clear_cookie_store() {
    curl_runtime::ensure_initialised();
    CURL* easy = curl_easy_init();
    if (easy == nullptr) {
        return;
    }
    curl_runtime::attach_cookie_store(easy);
    curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL");
    curl_easy_cleanup(easy);
}

}  // namespace tamsor
