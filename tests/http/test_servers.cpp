#include "test_servers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "http/curl_runtime.h"

namespace tamsor::http_test {
namespace {

int bound_socket(int& port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

bool readable(int fd, int timeout_ms) {
    pollfd entry{fd, POLLIN, 0};
    return poll(&entry, 1, timeout_ms) > 0;
}

// The request's headers and declared body, plus whatever else arrives within a short grace time
// (so a body sent where none belongs is caught too).
std::string read_request(int fd) {
    std::string request;
    char buffer[4096];
    size_t wanted = std::string::npos;
    while (true) {
        int timeout = request.size() >= wanted ? 100 : 2000;
        if (!readable(fd, timeout)) {
            break;
        }
        ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        request.append(buffer, static_cast<size_t>(got));
        size_t end = request.find("\r\n\r\n");
        if (end != std::string::npos && wanted == std::string::npos) {
            size_t length = 0;
            size_t field = request.find("Content-Length: ");
            if (field != std::string::npos && field < end) {
                length = std::strtoul(request.c_str() + field + 16, nullptr, 10);
            }
            wanted = end + 4 + length;
        }
    }
    return request;
}

}  // namespace

LocalHttpServer::LocalHttpServer(const std::string& certificate)
    : server_(certificate.empty() ? std::make_unique<httplib::Server>()
                                  : std::make_unique<httplib::SSLServer>(
                                        test_certificate_file(certificate + ".pem").c_str(),
                                        test_certificate_file(certificate + ".key").c_str())),
      scheme_(certificate.empty() ? "http" : "https"),
      http(*server_) {}

LocalHttpServer::~LocalHttpServer() {
    http.stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void LocalHttpServer::start(bool keep_connections) {
    if (keep_connections) {
        http.set_keep_alive_timeout(1);
    } else {
        http.set_keep_alive_max_count(1);
    }
    port_ = http.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { http.listen_after_bind(); });
}

std::string LocalHttpServer::url(const std::string& path) const {
    return scheme_ + "://127.0.0.1:" + std::to_string(port_) + path;
}

std::string test_certificate_file(const std::string& name) {
    return std::string(TAMSOR_TEST_CERTIFICATES) + "/" + name;
}

TrustTestAuthority::TrustTestAuthority() {
    std::ifstream file(test_certificate_file("authority.pem"));
    std::stringstream pem;
    pem << file.rdbuf();
    curl_runtime::set_trusted_authorities(pem.str());
}

TrustTestAuthority::~TrustTestAuthority() {
    curl_runtime::set_trusted_authorities("");
}

RawServer::RawServer(Responder responder) : responder_(std::move(responder)) {
    listener_ = bound_socket(port_);
    listen(listener_, 8);
    thread_ = std::thread([this] { serve(); });
}

RawServer::~RawServer() {
    stopping_ = true;
    thread_.join();
    close(listener_);
}

std::string RawServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> RawServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void RawServer::serve() {
    while (!stopping_) {
        if (!readable(listener_, 20)) {
            continue;
        }
        int connection = accept(listener_, nullptr, nullptr);
        if (connection < 0) {
            continue;
        }
        std::string request = read_request(connection);
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        responder_(connection, request);
        close(connection);
    }
}

void send_all(int socket, const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
        ssize_t done = send(socket, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (done <= 0) {
            return;
        }
        sent += static_cast<size_t>(done);
    }
}

void wait_for_close(int socket, int timeout_ms) {
    char buffer[256];
    while (readable(socket, timeout_ms)) {
        if (recv(socket, buffer, sizeof buffer, 0) <= 0) {
            return;
        }
    }
}

int closed_port() {
    int port = 0;
    close(bound_socket(port));
    return port;
}

}  // namespace tamsor::http_test
