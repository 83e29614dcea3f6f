#include "support/LocalHttpServer.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <deque>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace tracklore::test {

HttpReply HttpReply::Status(int status, std::string body) {
    HttpReply reply;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

HttpReply HttpReply::Redirect(std::string location, int status) {
    HttpReply reply;
    reply.status = status;
    reply.location = std::move(location);
    return reply;
}

HttpReply HttpReply::Chunked(std::string body) {
    HttpReply reply = Ok(std::move(body));
    reply.chunked = true;
    return reply;
}

HttpReply HttpReply::Slow(std::string body, int dripMs) {
    HttpReply reply = Ok(std::move(body));
    reply.dripMs = dripMs;
    return reply;
}

HttpReply HttpReply::Cut(std::string body, std::size_t cutAfter) {
    HttpReply reply = Ok(std::move(body));
    reply.cutAfter = cutAfter;
    return reply;
}

HttpReply HttpReply::Endless(std::string piece) {
    HttpReply reply = Ok(std::move(piece));
    reply.endless = true;
    return reply;
}

HttpReply HttpReply::Stall() {
    HttpReply reply = Ok("x");
    reply.stall = true;
    return reply;
}

struct LocalHttpServer::Impl {
    httplib::Server server;
    std::thread thread;
    int port = 0;
    std::atomic<bool> stopping{false};
    mutable std::mutex mutex;
    // cpp-httplib's writers of streamed answers share a buffer between connections: the
    // server's threads write one at a time.
    std::mutex sinkMutex;
    bool Write(httplib::DataSink& sink, const char* data, std::size_t size) {
        std::lock_guard lock(sinkMutex);
        return sink.write(data, size);
    }
    std::map<std::string, HttpReply> replies;
    std::map<std::string, std::deque<HttpReply>> onceReplies;
    std::vector<std::string> requests;
    std::vector<std::multimap<std::string, std::string>> requestHeaders;

    void Answer(const httplib::Request& request, httplib::Response& response) {
        HttpReply reply;
        {
            std::lock_guard lock(mutex);
            requests.push_back(request.target);
            requestHeaders.emplace_back(request.headers.begin(), request.headers.end());
            auto once = onceReplies.find(request.target);
            auto it = replies.find(request.target);
            if (once != onceReplies.end() && !once->second.empty()) {
                reply = once->second.front();
                once->second.pop_front();
            } else if (it == replies.end()) {
                response.status = 404;
                response.set_content("not found", "text/plain");
                return;
            } else {
                reply = it->second;
            }
        }
        response.status = reply.status;
        for (const auto& [name, value] : reply.headers) {
            response.set_header(name, value);
        }
        if (!reply.location.empty()) {
            response.set_header("Location", reply.location);
        }
        if (reply.endless) {
            auto piece = std::make_shared<std::string>(reply.body);
            response.set_chunked_content_provider(
                reply.contentType, [this, piece](std::size_t, httplib::DataSink& sink) {
                    return !stopping && Write(sink, piece->data(), piece->size());
                });
        } else if (reply.stall) {
            response.set_content_provider(
                1000, reply.contentType, [this](std::size_t, std::size_t, httplib::DataSink&) {
                    while (!stopping) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    }
                    return false;
                });
        } else if (reply.dripMs > 0 || reply.cutAfter != std::string::npos) {
            auto body = std::make_shared<std::string>(reply.body);
            response.set_content_provider(
                body->size(), reply.contentType,
                [this, body, drip = reply.dripMs, cut = reply.cutAfter](
                    std::size_t offset, std::size_t, httplib::DataSink& sink) {
                    if (offset >= cut) {
                        return false;
                    }
                    if (drip == 0) {
                        return Write(sink, body->data() + offset, cut - offset);
                    }
                    if (offset > 0) {
                        for (int waited = 0; waited < drip; waited += 5) {
                            if (stopping) {
                                return false;
                            }
                            std::this_thread::sleep_for(std::chrono::milliseconds(5));
                        }
                    }
                    return Write(sink, body->data() + offset, 1);
                });
        } else if (reply.chunked) {
            auto body = std::make_shared<std::string>(reply.body);
            response.set_chunked_content_provider(
                reply.contentType, [this, body](std::size_t offset, httplib::DataSink& sink) {
                    if (offset >= body->size()) {
                        std::lock_guard lock(sinkMutex);
                        sink.done();
                        return true;
                    }
                    std::size_t length = std::min<std::size_t>(4096, body->size() - offset);
                    return Write(sink, body->data() + offset, length);
                });
        } else {
            response.set_content(reply.body, reply.contentType.c_str());
        }
    }
};

LocalHttpServer::LocalHttpServer() : impl_(std::make_unique<Impl>()) {
    // A client that leaves in the middle of an answer must not end the test process.
    std::signal(SIGPIPE, SIG_IGN);
    impl_->server.set_keep_alive_max_count(1);
    impl_->server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        impl_->Answer(request, response);
    });
    impl_->port = impl_->server.bind_to_any_port("127.0.0.1");
    if (impl_->port <= 0) {
        throw std::runtime_error("the test server found no port");
    }
    impl_->thread = std::thread([this] { impl_->server.listen_after_bind(); });
    // stop() only reaches a server that has begun to listen.
    for (int waited = 0; waited < 5000 && !impl_->server.is_running(); ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

LocalHttpServer::~LocalHttpServer() {
    impl_->stopping = true;
    impl_->server.stop();
    if (impl_->thread.joinable()) {
        impl_->thread.join();
    }
}

void LocalHttpServer::Serve(const std::string& target, HttpReply reply) {
    std::lock_guard lock(impl_->mutex);
    impl_->replies[target] = std::move(reply);
}

void LocalHttpServer::ServeOnce(const std::string& target, HttpReply reply) {
    std::lock_guard lock(impl_->mutex);
    impl_->onceReplies[target].push_back(std::move(reply));
}

std::vector<std::multimap<std::string, std::string>> LocalHttpServer::RequestHeaders() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requestHeaders;
}

std::string LocalHttpServer::Url(const std::string& target) const {
    return "http://127.0.0.1:" + std::to_string(impl_->port) + target;
}

int LocalHttpServer::Port() const {
    return impl_->port;
}

std::vector<std::string> LocalHttpServer::Requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

}  // namespace tracklore::test
