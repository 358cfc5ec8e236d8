#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Connections that outlive their transfer, kept for the next request whichever thread makes it.
namespace tamsor {

struct MultiCleanup {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
using MultiHandle = std::unique_ptr<CURLM, MultiCleanup>;

// A libcurl multi handle lent to one transfer, with the connections earlier transfers left open
// in it. Finished transfers give their handle back to a process-wide pool, and the next one, on
// any thread, takes it again, preferring a handle that has been to the same place: so a worker's
// requests reuse the connections the window thread opened, and the other way round. One handle
// is only ever used by the one transfer that holds it; handing it over under the pool's lock is
// what makes that safe. libcurl's shared connection cache (CURL_LOCK_DATA_CONNECT) is not used:
// in the libcurl 7.88 we build against it is not safe from several threads at once. Transfers
// that run at the same time (a worker's and the window thread's, or one started from the wait
// pump while another waits) hold different handles, each with connections of its own. A transfer
// that ends early (stalled, over the cap, failed) leaves no connection behind: libcurl closes a
// connection whose transfer did not finish.
class MultiLease {
public:
    // A handle for a transfer to `place` (see place_of). A request that must share nothing with
    // the others (a cookie jar of its own) asks for a private handle, closed at the end.
    MultiLease(bool from_pool, std::string_view place);
    ~MultiLease();
    MultiLease(const MultiLease&) = delete;
    MultiLease& operator=(const MultiLease&) = delete;

    CURLM* get() const { return multi_.get(); }
    // The transfer has (also) been to this place, and a connection there may be left in the handle.
    void reached(std::string_view place);

private:
    bool from_pool_;
    MultiHandle multi_;
    std::vector<std::string> places_;
};

// Where a request connects, for choosing a handle: the proxy if there is one, otherwise the
// address's origin as the transport reads it (see origin_text). Only a preference; a handle
// without a connection there opens one.
std::string place_of(std::string_view url, std::string_view proxy);

}  // namespace tamsor
