#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tracklore::test {

// What the server answers for one path.
struct HttpReply {
    int status = 200;
    std::string body;
    std::string contentType = "text/plain";
    std::string location;  // sent as Location (redirects)
    bool chunked = false;  // no Content-Length; the body goes out in chunks
    // A slow answer: the body goes out one byte at a time, one every dripMs milliseconds,
    // until it is sent, the client leaves or the server stops.
    int dripMs = 0;
    // A broken answer: the connection closes after this many bytes of the body, although
    // the Content-Length promised all of it.
    std::size_t cutAfter = std::string::npos;
    // An endless answer: the body is sent again and again, without Content-Length, until
    // the client leaves or the server stops.
    bool endless = false;
    // Headers only: the answer promises a body that never comes.
    bool stall = false;
    // Further header lines of the answer ("Retry-After", "2").
    std::vector<std::pair<std::string, std::string>> headers;

    static HttpReply Status(int status, std::string body);
    static HttpReply Ok(std::string body) { return Status(200, std::move(body)); }
    static HttpReply Redirect(std::string location, int status = 302);
    static HttpReply Chunked(std::string body);
    static HttpReply Slow(std::string body, int dripMs);
    static HttpReply Cut(std::string body, std::size_t cutAfter);
    static HttpReply Endless(std::string piece);
    static HttpReply Stall();
};

// An HTTP server on 127.0.0.1 (a free port) that runs in the test process on its own
// threads and answers from a table of paths; unknown paths get 404. Stops when destroyed.
class LocalHttpServer {
  public:
    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    // `target` is the path with its query, exactly as requested ("/a/b?x=1").
    void Serve(const std::string& target, HttpReply reply);
    // An answer given once, before those of Serve (several queue up in order).
    void ServeOnce(const std::string& target, HttpReply reply);
    // "http://127.0.0.1:PORT" followed by `target`.
    std::string Url(const std::string& target = "") const;
    int Port() const;
    // The targets of all requests so far, in order of arrival.
    std::vector<std::string> Requests() const;
    // The header lines of every request so far, in order of arrival (names as sent).
    std::vector<std::multimap<std::string, std::string>> RequestHeaders() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tracklore::test
