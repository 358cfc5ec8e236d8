#pragma once

#include <httplib.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tamsor::http_test {

// A cpp-httplib server on 127.0.0.1 and a free port, serving from its own thread until destroyed.
// Set the routes on `http` before calling start(). The server closes each connection after one
// answer unless asked to keep connections: it waits out an idle kept connection before it stops,
// and the client keeps its connections.
class LocalHttpServer {
public:
    // Plain http; or https with one of the test certificates (test_certificate_file), "server"
    // for 127.0.0.1 or "stranger" for another name, both signed by the test authority.
    explicit LocalHttpServer(const std::string& certificate = "");
    ~LocalHttpServer();

    void start(bool keep_connections = false);
    int port() const { return port_; }
    std::string url(const std::string& path) const;

private:
    std::unique_ptr<httplib::Server> server_;
    std::string scheme_;

public:
    httplib::Server& http;

private:
    int port_ = 0;
    std::thread thread_;
};

// A file the build made for the https tests: "authority.pem", or a certificate's ".pem" and
// ".key".
std::string test_certificate_file(const std::string& name);

// While it lives, https servers count as trusted only when the test authority signed their
// certificates, as if it were the system's only authority.
class TrustTestAuthority {
public:
    TrustTestAuthority();
    ~TrustTestAuthority();
    TrustTestAuthority(const TrustTestAuthority&) = delete;
    TrustTestAuthority& operator=(const TrustTestAuthority&) = delete;
};

// A bare socket server for what a library server hides: the exact request bytes, header blocks
// of any size, answers that stop half-way. Each connection is read (headers, Content-Length body
// and anything sent after it), recorded, then handed to the responder with its socket.
class RawServer {
public:
    using Responder = std::function<void(int socket, const std::string& request)>;

    explicit RawServer(Responder responder);
    ~RawServer();

    int port() const { return port_; }
    std::string url(const std::string& path) const;
    std::vector<std::string> requests() const;

private:
    void serve();

    Responder responder_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// Writes all of `text` to the socket.
void send_all(int socket, const std::string& text);

// Waits until the peer closes the connection or the time is up.
void wait_for_close(int socket, int timeout_ms);

// A port on 127.0.0.1 that nothing listens on.
int closed_port();

}  // namespace tamsor::http_test
