#include "forum/page_fetch.h"

#include "http/http_request.h"
#include "text/gbk.h"

namespace tamsor {

std::string fetch_page_text(const std::string& url) {
    HttpRequest request;
    request.url = url;
    return page_text(http_request(request).body);
}

}  // namespace tamsor
