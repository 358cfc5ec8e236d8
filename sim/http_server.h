#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

// A small HTTP/1.1 server of our own rather than a library one: the simulator must see the
// request headers in the order they were sent, must be able to misbehave on the wire (drop a
// connection with a reset, stall half-way through a body) and must end every connection the
// moment it is stopped, so that tests never wait on a held socket.
namespace tamsor::sim {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct ServerRequest {
    std::string method;
    std::string target;  // path and query as sent
    std::string path;
    std::string query;
    std::string version;  // "HTTP/1.1" or "HTTP/1.0"
    HeaderList headers;   // in the order received
    std::string body;

    // The first header of that name (letter case ignored), "" when there is none.
    std::string header(std::string_view name) const;
    // The value of the named cookie in the Cookie header, "" when it was not sent.
    std::string cookie(std::string_view name) const;
};

// Receives a streamed body piece by piece.
class BodySink {
public:
    virtual ~BodySink() = default;
    // False once the peer is gone or the server is stopping; the stream should then return.
    virtual bool write(std::string_view bytes) = 0;
    virtual bool open() const = 0;
};

struct ServerResponse {
    int status = 200;
    HeaderList headers;  // sent in this order; Content-Length is added by the server
    std::string body;
    // When set, the body comes from this function instead of `body`, after a Content-Length
    // of `stream_length` has been announced.
    std::function<void(BodySink&)> stream;
    size_t stream_length = 0;
    bool reset = false;  // drop the connection with a TCP reset instead of answering
    std::chrono::milliseconds delay{0};  // wait this long before answering
    // When set, the body goes out one byte at a time this far apart, and the connection ends
    // with it.
    std::chrono::milliseconds trickle{0};
};

class HttpServer {
public:
    using Handler = std::function<ServerResponse(const ServerRequest&)>;

    explicit HttpServer(Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens on 127.0.0.1; port 0 picks a free one. False when the port cannot be bound.
    bool start(int port);
    // Closes the listening socket and every open connection, and waits for their threads.
    void stop();
    int port() const { return port_; }

    // Makes the loopback behave like a network this far away: each new connection waits this
    // long before its first request is read (the handshake's round trip) and each answer this
    // long before it goes out (the request's). Set before start.
    void set_latency(std::chrono::milliseconds latency) { latency_ = latency; }
    // Connections accepted since start.
    int connections_accepted() const { return accepted_; }

private:
    struct Connection {
        int fd = -1;
        std::thread thread;
        std::atomic<bool> done{false};
    };

    void accept_loop();
    void serve(Connection& connection);
    void reap_finished();

    Handler handler_;
    int listen_fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::chrono::milliseconds latency_{0};
    std::atomic<int> accepted_{0};
    std::thread acceptor_;
    std::mutex connections_mutex_;
    std::list<std::unique_ptr<Connection>> connections_;
};

}  // namespace tamsor::sim
