#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "sim_fixture.h"
#include "text/strings.h"

namespace tamsor::sim_test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A bare client socket, for holding a connection the way no library client would.
int connect_to(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

using RequestLog = SimTest;

TEST_F(RequestLog, KeepsMethodTargetHeadersInOrderCookiesAndBody) {
    sign_in_demo();
    sim.clear_log();
    HttpRequest request;
    request.url = forum_url("/jobcenter.php?action=punch&ajax=1&punchverify=a&nowtime=1&verify=b");
    request.method = HttpMethod::post;
    request.post_bytes = "step=2";
    request.extra_headers = "X-Zulu: 1\r\nX-Alpha: 2";
    http_request(request);

    auto log = sim.request_log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].host, "forum");
    EXPECT_EQ(log[0].method, "POST");
    EXPECT_EQ(log[0].target, "/jobcenter.php?action=punch&ajax=1&punchverify=a&nowtime=1&verify=b");
    EXPECT_EQ(log[0].body, "step=2");
    EXPECT_TRUE(contains(log[0].cookies, "tamsor_auth="));
    int zulu = -1, alpha = -1;
    for (size_t i = 0; i < log[0].headers.size(); ++i) {
        if (log[0].headers[i].first == "X-Zulu")
            zulu = static_cast<int>(i);
        if (log[0].headers[i].first == "X-Alpha")
            alpha = static_cast<int>(i);
    }
    ASSERT_GE(zulu, 0);
    EXPECT_EQ(alpha, zulu + 1);  // as sent, not sorted
}

TEST_F(RequestLog, ObserverSeesEachRequestAsItArrives) {
    std::atomic<int> seen{0};
    sim.set_request_observer([&seen](const sim::LoggedRequest& request) {
        if (request.target == "/thread.php?fid=12") {
            ++seen;
        }
    });
    fetch_url_bytes(forum_url("/thread.php?fid=12"));
    fetch_url_bytes(forum_url("/thread.php?fid=12"));
    sim.set_request_observer(nullptr);
    EXPECT_EQ(seen, 2);
}

using Server = SimTest;

TEST_F(Server, HeadAnswersWithoutBody) {
    HttpRequest request;
    request.url = forum_url("/");
    request.method = HttpMethod::head;
    HttpResponse response = http_request(request);
    EXPECT_EQ(response.status, 200);
    EXPECT_TRUE(response.body.empty());
    EXPECT_TRUE(contains(response.response_headers, "Content-Type: text/html; charset=gbk"));
}

TEST_F(Server, StopEndsHeldConnectionsAtOnce) {
    sim.set_fault(sim::Fault::stall);
    int stalled = connect_to(sim.forum_port());
    int idle = connect_to(sim.account_port());
    ASSERT_GE(stalled, 0);
    ASSERT_GE(idle, 0);
    std::string request = "GET / HTTP/1.1\r\nHost: x\r\n\r\n";
    ASSERT_EQ(::send(stalled, request.data(), request.size(), 0),
              static_cast<ssize_t>(request.size()));
    char buffer[256];
    ASSERT_GT(::recv(stalled, buffer, sizeof buffer, 0), 0);  // headers and half a page came

    auto start = Clock::now();
    sim.stop();
    EXPECT_LT(Clock::now() - start, milliseconds(1000));
    ::close(stalled);
    ::close(idle);
}

// A new connection costs the handshake's round trip and the request's; a kept one the request's.
TEST(ServerLatency, DelaysNewConnectionsTwiceAndKeptOnesOnceAndCountsThem) {
    constexpr milliseconds latency(150);
    sim::Simulator far;
    far.set_latency(latency);
    ASSERT_TRUE(far.start());
    const std::string url = "http://" + far.forum_host() + "/images/none.gif";
    auto started = Clock::now();
    fetch_url_bytes(url);
    const auto first = Clock::now() - started;
    started = Clock::now();
    fetch_url_bytes(url);
    const auto second = Clock::now() - started;
    EXPECT_GE(first, 2 * latency);
    EXPECT_GE(second, latency);
    EXPECT_LT(second, 2 * latency);
    EXPECT_EQ(far.connections_accepted().forum, 1);
    EXPECT_EQ(far.connections_accepted().account, 0);
}

TEST_F(Server, PortsInUseAreReported) {
    sim::Simulator second;
    EXPECT_FALSE(second.start(sim.account_port(), 0));
    EXPECT_FALSE(sim.start());  // already running
}

}  // namespace
}  // namespace tamsor::sim_test
