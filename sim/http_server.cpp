#include "http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

#include "text/strings.h"

namespace tamsor::sim {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr size_t kMaxHeaderBytes = 64 * 1024;
constexpr size_t kMaxBodyBytes = 32u << 20;
constexpr milliseconds kPollStep{50};
constexpr milliseconds kIdleTimeout{5000};      // keep-alive connection with no new request
constexpr milliseconds kRequestTimeout{15000};  // a started request that does not complete
constexpr milliseconds kWriteTimeout{15000};
constexpr milliseconds kLongestTrickle{120000};  // so a forgotten client cannot hold a thread

const char* reason_phrase(int status) {
    switch (status) {
        case 100:
            return "Continue";
        case 200:
            return "OK";
        case 302:
            return "Found";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 413:
            return "Payload Too Large";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        case 501:
            return "Not Implemented";
        default:
            return "Unknown";
    }
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && to_lower_ascii(a) == to_lower_ascii(b);
}

// Reads and writes one socket, giving up when the server stops or the peer goes quiet.
class Wire final : public BodySink {
public:
    Wire(int fd, const std::atomic<bool>& stopping) : fd_(fd), stopping_(stopping) {}

    // Appends whatever arrives to `buffer`; false on close, error, stop or time-out.
    bool receive(std::string& buffer, milliseconds timeout) {
        auto deadline = Clock::now() + timeout;
        while (!stopping_) {
            pollfd p{fd_, POLLIN, 0};
            int ready = ::poll(&p, 1, static_cast<int>(kPollStep.count()));
            if (ready < 0 && errno != EINTR) {
                return false;
            }
            if (ready > 0) {
                char chunk[16384];
                ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
                if (n <= 0) {
                    return false;
                }
                buffer.append(chunk, static_cast<size_t>(n));
                return true;
            }
            if (Clock::now() > deadline) {
                return false;
            }
        }
        return false;
    }

    bool write(std::string_view bytes) override {
        auto deadline = Clock::now() + kWriteTimeout;
        while (!bytes.empty()) {
            if (!open() || Clock::now() > deadline) {
                broken_ = true;
                return false;
            }
            pollfd p{fd_, POLLOUT, 0};
            int ready = ::poll(&p, 1, static_cast<int>(kPollStep.count()));
            if (ready <= 0) {
                continue;
            }
            ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN) {
                    continue;
                }
                broken_ = true;
                return false;
            }
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    bool open() const override { return !stopping_ && !broken_; }

    // Sleeps in small steps so that a stop is noticed at once; false when it was.
    bool pause(milliseconds duration) const {
        auto end = Clock::now() + duration;
        while (Clock::now() < end) {
            if (stopping_) {
                return false;
            }
            std::this_thread::sleep_for(std::min(kPollStep, milliseconds(10)));
        }
        return !stopping_;
    }

private:
    int fd_;
    const std::atomic<bool>& stopping_;
    bool broken_ = false;
};

bool parse_head(std::string_view head, ServerRequest& request) {
    auto lines = split(head, "\r\n");
    if (lines.empty()) {
        return false;
    }
    auto parts = split(lines[0], " ");
    if (parts.size() != 3 || parts[0].empty() || parts[1].empty() ||
        parts[2].rfind("HTTP/1.", 0) != 0) {
        return false;
    }
    request.method = parts[0];
    request.target = parts[1];
    request.version = parts[2];
    auto question = request.target.find('?');
    request.path = request.target.substr(0, question);
    request.query = question == std::string::npos ? "" : request.target.substr(question + 1);
    for (size_t i = 1; i < lines.size(); ++i) {
        auto colon = lines[i].find(':');
        if (colon == std::string::npos) {
            return false;
        }
        request.headers.emplace_back(lines[i].substr(0, colon),
                                     std::string(trim_spaces(lines[i].substr(colon + 1))));
    }
    return true;
}

std::string status_line(int status) {
    return "HTTP/1.1 " + std::to_string(status) + " " + reason_phrase(status) + "\r\n";
}

std::string response_head(const ServerResponse& response, size_t length, bool keep_alive) {
    // The handler's headers come last, so that a handler decides how the block ends.
    std::string head = status_line(response.status);
    head += "Content-Length: " + std::to_string(length) + "\r\n";
    head += keep_alive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    for (const auto& [name, value] : response.headers) {
        head += name + ": " + value + "\r\n";
    }
    return head + "\r\n";
}

// Sends the bytes one at a time, `interval` apart, until they are sent, the peer is gone, the
// server stops or the longest trickle has passed.
void trickle(Wire& wire, std::string_view bytes, milliseconds interval) {
    const auto end = Clock::now() + kLongestTrickle;
    for (size_t i = 0; i < bytes.size() && Clock::now() < end; ++i) {
        if (!wire.write(bytes.substr(i, 1)) || !wire.pause(interval)) {
            return;
        }
    }
}

// An answer without body for a request the server will not serve; the connection ends after it.
std::string refusal(int status) {
    return status_line(status) + "Content-Length: 0\r\nConnection: close\r\n\r\n";
}

// Makes close() send a reset instead of an orderly end, so the peer sees a broken connection.
void close_with_reset(int fd) {
    linger option{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &option, sizeof option);
}

}  // namespace

std::string ServerRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (equal_ignoring_case(key, name)) {
            return value;
        }
    }
    return "";
}

std::string ServerRequest::cookie(std::string_view name) const {
    for (const auto& item : split(header("Cookie"), ";")) {
        auto trimmed = trim_spaces(item);
        auto equals = trimmed.find('=');
        if (equals != std::string_view::npos && trimmed.substr(0, equals) == name) {
            return std::string(trimmed.substr(equals + 1));
        }
    }
    return "";
}

HttpServer::HttpServer(Handler handler) : handler_(std::move(handler)) {}

HttpServer::~HttpServer() {
    stop();
}

bool HttpServer::start(int port) {
    if (listen_fd_ >= 0) {
        return false;
    }
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    socklen_t size = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 64) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::close(fd);
        return false;
    }
    listen_fd_ = fd;
    port_ = ntohs(address.sin_port);
    stopping_ = false;
    accepted_ = 0;
    acceptor_ = std::thread([this] { accept_loop(); });
    return true;
}

void HttpServer::stop() {
    if (listen_fd_ < 0) {
        return;
    }
    stopping_ = true;
    acceptor_.join();
    ::close(listen_fd_);
    listen_fd_ = -1;
    std::list<std::unique_ptr<Connection>> connections;
    {
        std::lock_guard lock(connections_mutex_);
        for (auto& connection : connections_) {
            if (connection->fd >= 0) {
                ::shutdown(connection->fd, SHUT_RDWR);
            }
        }
        connections.swap(connections_);
    }
    for (auto& connection : connections) {
        connection->thread.join();
    }
}

void HttpServer::accept_loop() {
    while (!stopping_) {
        pollfd p{listen_fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(kPollStep.count())) <= 0) {
            reap_finished();
            continue;
        }
        int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        int yes = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        ++accepted_;
        std::lock_guard lock(connections_mutex_);
        auto& connection = connections_.emplace_back(std::make_unique<Connection>());
        connection->fd = fd;
        Connection* raw = connection.get();
        connection->thread = std::thread([this, raw] { serve(*raw); });
    }
}

void HttpServer::reap_finished() {
    std::lock_guard lock(connections_mutex_);
    for (auto it = connections_.begin(); it != connections_.end();) {
        if ((*it)->done) {
            (*it)->thread.join();
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
}

void HttpServer::serve(Connection& connection) {
    Wire wire(connection.fd, stopping_);
    std::string buffer;
    bool reset = false;
    // The handshake's round trip comes before the first request is read.
    for (bool keep_alive = wire.pause(latency_); keep_alive && !stopping_;) {
        size_t head_end;
        auto timeout = kIdleTimeout;
        while ((head_end = buffer.find("\r\n\r\n")) == std::string::npos) {
            if (buffer.size() > kMaxHeaderBytes || !wire.receive(buffer, timeout)) {
                break;
            }
            timeout = kRequestTimeout;
        }
        if (head_end == std::string::npos) {
            if (buffer.size() > kMaxHeaderBytes) {
                wire.write(refusal(431));
            }
            break;
        }
        ServerRequest request;
        bool parsed = parse_head(std::string_view(buffer).substr(0, head_end), request);
        buffer.erase(0, head_end + 4);
        if (!parsed || !request.header("Transfer-Encoding").empty()) {
            wire.write(refusal(parsed ? 501 : 400));
            break;
        }
        size_t length = std::strtoull(request.header("Content-Length").c_str(), nullptr, 10);
        if (length > kMaxBodyBytes) {
            wire.write(refusal(413));
            break;
        }
        if (length > buffer.size() &&
            equal_ignoring_case(request.header("Expect"), "100-continue")) {
            wire.write("HTTP/1.1 100 Continue\r\n\r\n");
        }
        while (buffer.size() < length && wire.receive(buffer, kRequestTimeout)) {
        }
        if (buffer.size() < length) {
            break;
        }
        request.body = buffer.substr(0, length);
        buffer.erase(0, length);

        ServerResponse response;
        try {
            response = handler_(request);
        } catch (const std::exception&) {
            response = ServerResponse{};  // a handler fault must not take the server down
            response.status = 500;
        }
        if (response.reset) {
            reset = true;
            break;
        }
        if (!wire.pause(latency_ + response.delay)) {
            break;
        }
        std::string connection_header = request.header("Connection");
        keep_alive = request.version == "HTTP/1.0"
                         ? equal_ignoring_case(connection_header, "keep-alive")
                         : !equal_ignoring_case(connection_header, "close");
        bool head_only = request.method == "HEAD";
        size_t body_length = response.stream ? response.stream_length : response.body.size();
        if (!wire.write(response_head(response, body_length, keep_alive))) {
            break;
        }
        if (head_only) {
            continue;
        }
        if (response.trickle.count() > 0) {
            trickle(wire, response.body, response.trickle);
            break;
        }
        if (response.stream) {
            response.stream(wire);
            keep_alive = false;  // a stream may have ended short of what it announced
        } else if (!wire.write(response.body)) {
            break;
        }
    }
    std::lock_guard lock(connections_mutex_);
    if (reset) {
        close_with_reset(connection.fd);
    }
    ::close(connection.fd);
    connection.fd = -1;
    connection.done = true;
}

}  // namespace tamsor::sim
