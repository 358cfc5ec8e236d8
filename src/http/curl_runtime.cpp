#include "http/curl_runtime.h"

#include <memory>
#include <mutex>

#include "http/http_request.h"

namespace tamsor {
namespace {

struct Settings {
    std::mutex mutex;
    HttpLimits limits;
    std::function<void()> pump;
    std::string trusted_authorities;
    curl_runtime::GuardedCalls calls = curl_runtime::libcurl_calls();
};

Settings& settings() {
    static Settings* instance = new Settings;
    return *instance;
}

curl_runtime::GuardedCalls guarded_calls() {
    std::lock_guard lock(settings().mutex);
    return settings().calls;
}

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

// A share without its locks, or without the cookies in it, is of no use: it is dropped whole.
SharedStore* make_shared_store() {
    auto store = std::make_unique<SharedStore>();
    store->share = guarded_calls().share_init();
    if (store->share == nullptr) {
        return nullptr;
    }
    CURLSH* share = store->share;
    if (curl_share_setopt(share, CURLSHOPT_LOCKFUNC, &SharedStore::lock) != CURLSHE_OK ||
        curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, &SharedStore::unlock) != CURLSHE_OK ||
        curl_share_setopt(share, CURLSHOPT_USERDATA, store.get()) != CURLSHE_OK ||
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE) != CURLSHE_OK ||
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) != CURLSHE_OK) {
        curl_share_cleanup(share);
        return nullptr;
    }
    return store.release();
}

// Never destroyed: worker threads that are never joined may still use it while the process
// exits. Null until it could be made.
SharedStore* shared_store() {
    static std::mutex mutex;
    static SharedStore* store = nullptr;
    std::lock_guard lock(mutex);
    if (store == nullptr && curl_runtime::ensure_initialised()) {
        store = make_shared_store();
    }
    return store;
}

}  // namespace

namespace curl_runtime {

bool ensure_initialised() {
    static std::mutex mutex;
    static bool initialised = false;
    std::lock_guard lock(mutex);
    if (!initialised) {
        initialised = guarded_calls().global_init(CURL_GLOBAL_ALL) == CURLE_OK;
    }
    return initialised;
}

bool attach_cookie_store(CURL* easy) {
    SharedStore* store = shared_store();
    // The share holds the cookies, but only a handle with a cookie file switches the engine on;
    // "" reads no file.
    return store != nullptr && curl_easy_setopt(easy, CURLOPT_SHARE, store->share) == CURLE_OK &&
           set_text_option(easy, CURLOPT_COOKIEFILE, "");
}

bool set_text_option(CURL* easy, CURLoption option, const char* value) {
    return guarded_calls().set_text_option(easy, option, value) == CURLE_OK;
}

std::function<void()> wait_pump() {
    std::lock_guard lock(settings().mutex);
    return settings().pump;
}

void set_trusted_authorities(std::string pem) {
    std::lock_guard lock(settings().mutex);
    settings().trusted_authorities = std::move(pem);
}

std::string trusted_authorities() {
    std::lock_guard lock(settings().mutex);
    return settings().trusted_authorities;
}

GuardedCalls libcurl_calls() {
    return {[](long flags) { return curl_global_init(flags); }, [] { return curl_share_init(); },
            [](CURL* easy, CURLoption option, const char* value) {
                return curl_easy_setopt(easy, option, value);
            }};
}

void set_guarded_calls(GuardedCalls calls) {
    std::lock_guard lock(settings().mutex);
    settings().calls = std::move(calls);
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
    if (!curl_runtime::ensure_initialised()) {
        return;
    }
    CURL* easy = curl_easy_init();
    if (easy == nullptr) {
        return;
    }
    if (curl_runtime::attach_cookie_store(easy)) {
        curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL");
    }
    curl_easy_cleanup(easy);
}

}  // namespace tamsor
