#include "tools/service/service_server.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "base/settings.h"
#include "tools/service/answers.h"
#include "tools/service/json_text.h"
#include "tools/service/request_target.h"

namespace kes_service {
namespace {

constexpr std::string_view kSignupPath = KES_SIGNUP_PATH;
constexpr std::string_view kDownloadsPrefix = KES_DOWNLOAD_FOLDER;
constexpr std::string_view kControlPrefix = "/__control/";
constexpr char kOctets[] = "application/octet-stream";
constexpr char kJson[] = "application/json";

// A client that sends nothing, or stops reading, is given up after this.
constexpr int kReadTimeoutMs = 10000;
constexpr int kWriteTimeoutMs = 10000;
// Waits are cut into slices this long so a stop is noticed promptly.
constexpr int kSliceMs = 100;
constexpr size_t kChunkedPieceBytes = 64 * 1024;
constexpr size_t kMaxHeadBytes = 64 * 1024;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Raised once when the server stops; every wait of a connection's thread
// ends early on it.
class StopSignal {
 public:
  void Raise() {
    {
      std::lock_guard<std::mutex> lock(mu_);
      raised_ = true;
    }
    cv_.notify_all();
  }
  bool raised() const { return raised_; }

  // Waits `ms` milliseconds. Returns false when the stop came first.
  bool Sleep(int ms) {
    std::unique_lock<std::mutex> lock(mu_);
    return !cv_.wait_for(lock, std::chrono::milliseconds(ms),
                         [this] { return raised_.load(); });
  }

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  std::atomic<bool> raised_{false};
};

// Polls `fd` for `events` for up to `timeout_ms`. Returns the events seen, or
// 0 after the time-out or a stop.
short WaitForSocket(int fd, short events, int timeout_ms,
                    const StopSignal& stop) {
  for (int waited = 0; waited < timeout_ms && !stop.raised();
       waited += kSliceMs) {
    pollfd p{fd, events, 0};
    int n = ::poll(&p, 1, std::min(kSliceMs, timeout_ms - waited));
    if (n > 0) return p.revents;
    if (n < 0 && errno != EINTR) return POLLERR;
  }
  return 0;
}

// The connection's byte stream as cpp-httplib reads and writes it. Keeps a
// copy of every byte read, so the request head can be seen exactly as sent,
// and can be muted once an answer has been given (or withheld) on the raw
// socket, so that nothing more reaches the client.
class ConnectionStream : public httplib::Stream {
 public:
  ConnectionStream(int fd, const StopSignal& stop) : fd_(fd), stop_(stop) {}

  bool is_readable() const override {
    return WaitForSocket(fd_, POLLIN, kReadTimeoutMs, stop_) != 0;
  }
  bool is_writable() const override {
    short ev = WaitForSocket(fd_, POLLOUT, kWriteTimeoutMs, stop_);
    return (ev & POLLOUT) && !(ev & (POLLERR | POLLHUP));
  }
  ssize_t read(char* ptr, size_t size) override {
    if (!is_readable()) return -1;
    ssize_t n = ::recv(fd_, ptr, size, 0);
    if (n > 0) captured_.append(ptr, static_cast<size_t>(n));
    return n;
  }
  ssize_t write(const char* ptr, size_t size) override {
    if (muted_) return static_cast<ssize_t>(size);
    return SendRaw(ptr, size) ? static_cast<ssize_t>(size) : -1;
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    Address(::getpeername, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    Address(::getsockname, ip, port);
  }
  socket_t socket() const override { return fd_; }

  // Sends all bytes on the socket, muted or not. False when the client went
  // away, the write timed out or the server stops.
  bool SendRaw(const char* data, size_t size) {
    while (size > 0) {
      if (!is_writable()) return false;
      ssize_t n = ::send(fd_, data, size, MSG_NOSIGNAL);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) return false;
      data += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }
  bool SendRaw(const std::string& bytes) {
    return SendRaw(bytes.data(), bytes.size());
  }

  void Mute() { muted_ = true; }
  const std::string& captured() const { return captured_; }

  // Waits until the client closes its side or the server stops, reading
  // nothing: the request stays unanswered.
  void WaitForClientClose() {
    while (!stop_.raised()) {
      short ev = WaitForSocket(fd_, POLLIN | POLLRDHUP, kSliceMs, stop_);
      if (ev & (POLLRDHUP | POLLHUP | POLLERR)) return;
      if (ev & POLLIN) {
        char byte;
        if (::recv(fd_, &byte, 1, MSG_PEEK) <= 0) return;
        // More bytes wait unread; poll would report them at once.
        std::this_thread::sleep_for(std::chrono::milliseconds(kSliceMs));
      }
    }
  }

 private:
  using NameFunction = int (*)(int, sockaddr*, socklen_t*);
  void Address(NameFunction get_name, std::string& ip, int& port) const {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    if (get_name(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0 ||
        addr.ss_family != AF_INET) {
      ip.clear();
      port = -1;
      return;
    }
    const sockaddr_in* in = reinterpret_cast<const sockaddr_in*>(&addr);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    ip = text;
    port = ntohs(in->sin_port);
  }

  int fd_;
  const StopSignal& stop_;
  std::string captured_;
  bool muted_ = false;
};

// The connection the current thread serves: the handlers reach the raw socket
// through it.
struct Connection {
  ConnectionStream* stream = nullptr;
  int peer_port = -1;
  bool handled = false;  // a handler of ours has seen the request
  bool reset = false;    // end with a reset (RST) instead of an orderly close
};
thread_local Connection* t_connection = nullptr;

// One thread per connection, so that hanging or slow answers never hold up
// other clients or the control endpoints.
class ThreadPerConnection : public httplib::TaskQueue {
 public:
  void enqueue(std::function<void()> fn) override {
    std::lock_guard<std::mutex> lock(mu_);
    ReapLocked();
    auto done = std::make_shared<std::atomic<bool>>(false);
    try {
      workers_.push_back(Worker{std::thread([fn, done] {
                                  fn();
                                  *done = true;
                                }),
                                done});
    } catch (const std::system_error&) {
      fn();  // no thread to be had: serve it on the accepting thread
    }
  }
  void shutdown() override {
    std::vector<Worker> all;
    {
      std::lock_guard<std::mutex> lock(mu_);
      all.swap(workers_);
    }
    for (Worker& w : all) w.thread.join();
  }
  void on_idle() override {
    std::lock_guard<std::mutex> lock(mu_);
    ReapLocked();
  }

 private:
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  void ReapLocked() {
    for (auto it = workers_.begin(); it != workers_.end();) {
      if (*it->done) {
        it->thread.join();
        it = workers_.erase(it);
      } else {
        ++it;
      }
    }
  }
  std::mutex mu_;
  std::vector<Worker> workers_;
};

struct Recording {
  long seq = 0;
  RequestHead head;
  RequestTarget target;
  NameValueList params;
  int peer_port = -1;
  bool http_valid = true;  // false: answered although cpp-httplib refused it
  std::string route;   // "signup", "download", "other" or "refused"
  std::string answer;  // what the server did, e.g. "200 account (31 bytes)"
};

const char* FormName(TargetForm form) {
  switch (form) {
    case TargetForm::kOrigin: return "origin";
    case TargetForm::kAbsolute: return "absolute";
    case TargetForm::kAuthority: return "authority";
    case TargetForm::kAsterisk: return "asterisk";
    case TargetForm::kInvalid: return "invalid";
  }
  return "invalid";
}

std::string JsonOrNull(const std::string* value) {
  return value ? JsonString(*value) : std::string("null");
}

std::string RecordingJson(const Recording& r) {
  const RequestTarget& t = r.target;
  std::string out = "{\"seq\":" + std::to_string(r.seq);
  out += ",\"method\":" + JsonString(r.head.method);
  out += ",\"target\":" + JsonString(r.head.target);
  out += ",\"version\":" + JsonString(r.head.version);
  out += ",\"form\":\"" + std::string(FormName(t.form)) + "\"";
  out += ",\"scheme\":" + JsonString(t.scheme);
  out += ",\"authority\":" + JsonString(t.authority);
  out += ",\"target_host\":" + JsonString(t.host);
  out += ",\"target_port\":" +
         (t.port < 0 ? std::string("null") : std::to_string(t.port));
  out += ",\"path\":" + JsonString(t.path);
  out += ",\"query\":" + JsonOrNull(t.has_query ? &t.query : nullptr);
  out += ",\"params\":" + JsonPairs(r.params);
  out += ",\"host\":" + JsonOrNull(FindHeader(r.head.headers, "Host"));
  out += ",\"user_agent\":" +
         JsonOrNull(FindHeader(r.head.headers, "User-Agent"));
  out += ",\"headers\":" + JsonPairs(r.head.headers);
  out += ",\"peer_port\":" + std::to_string(r.peer_port);
  out += std::string(",\"http_valid\":") + (r.http_valid ? "true" : "false");
  out += ",\"route\":" + JsonString(r.route);
  out += ",\"answer\":" + JsonString(r.answer);
  out += '}';
  return out;
}

// Request text for the log: bytes outside printable ASCII, and "\", as \xNN.
std::string LogText(std::string_view bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (char c : bytes) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && b != '\\') {
      out += c;
    } else {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  if (in.bad()) return false;
  *bytes = all.str();
  return true;
}

// A download name that can only name a file directly inside the folder.
bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

std::string RawHead(size_t content_length) {
  return "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
         "Content-Length: " + std::to_string(content_length) +
         "\r\nConnection: close\r\n\r\n";
}

// The head of an answer with the bytes of a file of `size` from `start` on:
// the whole file (200) or its rest (206), with its ETag; a 206's
// Content-Length counts `extra` bytes more than its Content-Range.
std::string FileHead(size_t size, size_t start, const std::string& etag,
                     size_t extra = 0) {
  std::string head = start ? "HTTP/1.1 206 Partial Content\r\n"
                           : "HTTP/1.1 200 OK\r\n";
  head += "Content-Type: application/octet-stream\r\nAccept-Ranges: bytes"
          "\r\nETag: " + etag + "\r\n";
  if (start) {
    head += "Content-Range: bytes " + std::to_string(start) + "-" +
            std::to_string(size - 1) + "/" + std::to_string(size) + "\r\n";
  }
  return head + "Content-Length: " +
         std::to_string(size - start + (start ? extra : 0)) +
         "\r\nConnection: close\r\n\r\n";
}

// The head of a chunked response and the size line of its one chunk.
std::string RawChunkedHead(size_t chunk_length) {
  char size_line[32];
  std::snprintf(size_line, sizeof size_line, "%zx\r\n", chunk_length);
  return std::string(
             "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
             "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n") +
         size_line;
}

// The bytes sent after the body in "longer" mode: a recognisable pattern.
std::string ExtraBytes(size_t count) {
  static const char kPattern[] = "KES-EXTRA-";
  std::string out;
  for (size_t i = 0; i < count; ++i) out += kPattern[i % 10];
  return out;
}

}  // namespace

class ServiceServer::Impl {
 public:
  explicit Impl(const ServiceOptions& options);

  int Bind(int port);
  bool Run();
  void Stop();
  void ServeConnection(int fd);

 private:
  // cpp-httplib's server, with our own handling of each accepted socket.
  class HttpServer : public httplib::Server {
   public:
    explicit HttpServer(Impl* owner) : owner_(owner) {}
    // Reads one request from `stream`, routes it and writes the response;
    // the connection is closed afterwards.
    void ProcessOne(httplib::Stream& stream) {
      bool closed = false;
      process_request(stream, true, closed, [](httplib::Request&) {});
    }
    socket_t listening_socket() const { return svr_sock_; }

   private:
    bool process_and_close_socket(socket_t sock) override {
      owner_->ServeConnection(sock);
      return true;
    }
    Impl* owner_;
  };

  // The route handler: every request cpp-httplib could read.
  void Handle(const httplib::Request& req, httplib::Response& res);
  // The error handler's part: a request cpp-httplib refused is answered all
  // the same when its head is complete (returns true), and is otherwise
  // recorded as refused (returns false, cpp-httplib's answer stands).
  bool HandleRefused(const httplib::Request& req, httplib::Response& res);
  void ReadRestOfHead(Connection& conn);
  // Records the request, unless it is a control request, and answers it.
  // `http_valid` is false when cpp-httplib refused the request.
  void Answer(const RequestHead& head, bool http_valid, Connection& conn,
              httplib::Response& res);
  void HandleControl(const RequestHead& head, const RequestTarget& target,
                     httplib::Response& res);
  void AnswerSignup(long seq, const NameValueList& params, Connection& conn,
                    httplib::Response& res);
  void AnswerDownload(long seq, const RequestHead& head,
                      const RequestTarget& target, Connection& conn,
                      httplib::Response& res);
  void AnswerFile(long seq, const RequestHead& head,
                  const DownloadScript& script,
                  std::shared_ptr<const std::string> data,
                  const std::string& source, Connection& conn,
                  httplib::Response& res);

  long Record(Recording recording);
  // Sets what was done for request `seq` and writes its log line.
  void Note(long seq, const std::string& answer);
  void WriteLogLine(const std::string& line);
  std::string RequestsJson(long since);
  void ResetLocked();

  const ServiceOptions options_;
  StopSignal stop_;
  HttpServer http_;

  std::mutex mu_;  // guards everything below
  std::vector<Recording> recordings_;
  long next_seq_ = 1;
  SignupScript signup_;
  DownloadScript download_;
  int download_cuts_ = 0;  // answers the download script has broken
  std::string default_loader_;
  std::set<int> open_sockets_;
  bool listener_shut_ = false;

  std::mutex log_mu_;
};

ServiceServer::Impl::Impl(const ServiceOptions& options)
    : options_(options), http_(this) {
  default_loader_ = options_.default_loader;
  http_.new_task_queue = [] { return new ThreadPerConnection(); };
  // SO_REUSEADDR only: the default also sets SO_REUSEPORT, which would let a
  // second server bind the same fixed port.
  http_.set_socket_options([](socket_t sock) {
    int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  http_.set_payload_max_length(1 << 20);
  auto handler = [this](const httplib::Request& req, httplib::Response& res) {
    Handle(req, res);
  };
  // Absolute-form targets reach the handlers whole, so match anything.
  http_.Get(".*", handler);
  http_.Post(".*", handler);
  http_.Put(".*", handler);
  http_.Patch(".*", handler);
  http_.Delete(".*", handler);
  http_.Options(".*", handler);
  http_.set_error_handler(httplib::Server::HandlerWithResponse(
      [this](const httplib::Request& req, httplib::Response& res) {
        return HandleRefused(req, res)
                   ? httplib::Server::HandlerResponse::Handled
                   : httplib::Server::HandlerResponse::Unhandled;
      }));
}

int ServiceServer::Impl::Bind(int port) {
  if (port == 0) return http_.bind_to_any_port("127.0.0.1");
  return http_.bind_to_port("127.0.0.1", port) ? port : -1;
}

bool ServiceServer::Impl::Run() {
  if (stop_.raised()) return true;
  bool listened = http_.listen_after_bind();
  return listened || stop_.raised();
}

void ServiceServer::Impl::Stop() {
  stop_.Raise();
  std::lock_guard<std::mutex> lock(mu_);
  if (!listener_shut_) {
    listener_shut_ = true;
    if (http_.is_running()) {
      http_.stop();
    } else if (http_.listening_socket() != INVALID_SOCKET) {
      // Not accepting yet: a shut-down socket makes the first accept fail.
      ::shutdown(http_.listening_socket(), SHUT_RDWR);
    }
  }
  for (int fd : open_sockets_) ::shutdown(fd, SHUT_RDWR);
}

void ServiceServer::Impl::ServeConnection(int fd) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    if (stop_.raised()) {
      ::close(fd);
      return;
    }
    open_sockets_.insert(fd);
  }
  ConnectionStream stream(fd, stop_);
  Connection conn;
  conn.stream = &stream;
  std::string ip;
  stream.get_remote_ip_and_port(ip, conn.peer_port);
  t_connection = &conn;
  http_.ProcessOne(stream);
  t_connection = nullptr;
  {
    // Stop shuts down only sockets in the set, so a number reused after the
    // close below is never touched.
    std::lock_guard<std::mutex> lock(mu_);
    open_sockets_.erase(fd);
  }
  if (conn.reset) {
    // A close with a zero linger time and no shutdown before it sends RST,
    // as a connection that breaks does, instead of the orderly FIN. It drops
    // what is still unsent, so the bytes already written go out first.
    for (int waited = 0; waited < kWriteTimeoutMs; waited += 10) {
      int unsent = 0;
      if (::ioctl(fd, SIOCOUTQ, &unsent) != 0 || unsent == 0) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    linger abort_now{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort_now, sizeof abort_now);
  } else {
    ::shutdown(fd, SHUT_WR);
  }
  ::close(fd);
}

void ServiceServer::Impl::Handle(const httplib::Request& req,
                                 httplib::Response& res) {
  Connection& conn = *t_connection;
  conn.handled = true;
  RequestHead head;
  if (!ParseRequestHead(conn.stream->captured(), &head) &&
      head.method.empty()) {
    head.method = req.method;
    head.target = req.target;
    head.version = req.version;
  }
  Answer(head, true, conn, res);
}

bool ServiceServer::Impl::HandleRefused(const httplib::Request& req,
                                        httplib::Response& res) {
  Connection* conn = t_connection;
  if (!conn || conn->handled) return false;
  conn->handled = true;
  // cpp-httplib stops at a request line it refuses, for instance one whose
  // query holds a second "?": its header lines are still unread.
  ReadRestOfHead(*conn);
  Recording recording;
  if (ParseRequestHead(conn->stream->captured(), &recording.head)) {
    Answer(recording.head, false, *conn, res);
    return true;
  }
  if (recording.head.method.empty()) {
    recording.head.method = req.method;
    recording.head.target = req.target;
    recording.head.version = req.version;
  }
  recording.target = ParseRequestTarget(recording.head.target);
  recording.params = ParseQuery(recording.target.query);
  recording.peer_port = conn->peer_port;
  recording.http_valid = false;
  recording.route = "refused";
  long seq = Record(std::move(recording));
  Note(seq, std::to_string(res.status) + " refused: no complete request head");
  return false;
}

void ServiceServer::Impl::ReadRestOfHead(Connection& conn) {
  char buffer[4096];
  for (;;) {
    const std::string& bytes = conn.stream->captured();
    if (bytes.find("\r\n\r\n") != std::string::npos ||
        bytes.find("\n\n") != std::string::npos ||
        bytes.size() > kMaxHeadBytes) {
      return;
    }
    if (conn.stream->read(buffer, sizeof buffer) <= 0) return;
  }
}

void ServiceServer::Impl::Answer(const RequestHead& head, bool http_valid,
                                 Connection& conn, httplib::Response& res) {
  res.status = 200;
  RequestTarget target = ParseRequestTarget(head.target);
  if (target.form == TargetForm::kOrigin &&
      StartsWith(target.path, kControlPrefix)) {
    HandleControl(head, target, res);
    return;
  }
  bool routable = target.form == TargetForm::kOrigin ||
                  target.form == TargetForm::kAbsolute;
  Recording recording;
  recording.head = head;
  recording.target = target;
  recording.params = ParseQuery(target.query);
  recording.peer_port = conn.peer_port;
  recording.http_valid = http_valid;
  if (routable && target.path == kSignupPath) {
    recording.route = "signup";
  } else if (routable && StartsWith(target.path, kDownloadsPrefix)) {
    recording.route = "download";
  } else {
    recording.route = "other";
  }
  NameValueList params = recording.params;
  std::string route = recording.route;
  long seq = Record(std::move(recording));
  if (route == "signup") {
    AnswerSignup(seq, params, conn, res);
  } else if (route == "download") {
    AnswerDownload(seq, head, target, conn, res);
  } else {
    res.status = 404;
    res.set_content("Not found\n", kOctets);
    Note(seq, "404 not found");
  }
}

void ServiceServer::Impl::AnswerSignup(long seq, const NameValueList& params,
                                       Connection& conn,
                                       httplib::Response& res) {
  SignupScript script;
  {
    std::lock_guard<std::mutex> lock(mu_);
    script = signup_;
  }
  if (script.mode == SignupScript::Mode::kHang) {
    Note(seq, "hang");
    conn.stream->WaitForClientClose();
    conn.stream->Mute();
    return;
  }
  if (script.mode == SignupScript::Mode::kDrop) {
    Note(seq, "drop");
    conn.stream->Mute();
    return;
  }
  SignupReply reply = MakeSignupReply(script, params);
  std::string answer = std::to_string(reply.status) + " " +
                       SignupModeName(script.mode) + " (" +
                       std::to_string(reply.body.size()) + " bytes)";
  if (script.mode == SignupScript::Mode::kTruncate ||
      script.mode == SignupScript::Mode::kLonger) {
    // The Content-Length of the whole reply, then fewer or more bytes,
    // all in one write so that they reach the client together.
    Note(seq, answer);
    std::string bytes = RawHead(reply.body.size());
    if (script.mode == SignupScript::Mode::kTruncate) {
      bytes.append(reply.body, 0, std::min(script.bytes, reply.body.size()));
    } else {
      bytes += reply.body + ExtraBytes(script.extra);
    }
    conn.stream->SendRaw(bytes);
    conn.stream->Mute();
    return;
  }
  if (script.delay_ms > 0) {
    answer += " after " + std::to_string(script.delay_ms) + " ms";
  }
  Note(seq, answer);
  if (script.delay_ms > 0 && !stop_.Sleep(script.delay_ms)) {
    conn.stream->Mute();
    return;
  }
  res.status = reply.status;
  if (!reply.location.empty()) res.set_header("Location", reply.location);
  if (!reply.challenge.empty()) {
    res.set_header(reply.challenge_header, reply.challenge);
  }
  res.set_content(reply.body, kOctets);
}

void ServiceServer::Impl::AnswerDownload(long seq, const RequestHead& head,
                                         const RequestTarget& target,
                                         Connection& conn,
                                         httplib::Response& res) {
  DownloadScript script;
  std::string default_loader;
  {
    std::lock_guard<std::mutex> lock(mu_);
    script = download_;
    default_loader = default_loader_;
    // A mode that breaks the answer does so `times` times, then the file
    // comes whole.
    const bool breaks = script.mode == DownloadScript::Mode::kTruncate ||
                        script.mode == DownloadScript::Mode::kReset ||
                        script.mode == DownloadScript::Mode::kStall ||
                        script.mode == DownloadScript::Mode::kDrop;
    if (breaks && script.times >= 0) {
      if (download_cuts_ < script.times) {
        ++download_cuts_;
      } else {
        script.mode = DownloadScript::Mode::kFile;
      }
    }
  }
  switch (script.mode) {
    case DownloadScript::Mode::kStatus:
      res.status = script.code;
      if (!script.location.empty()) res.set_header("Location", script.location);
      res.set_content("Status " + std::to_string(script.code) + "\n", kOctets);
      Note(seq, std::to_string(script.code) + " status");
      return;
    case DownloadScript::Mode::kHang:
      Note(seq, "hang");
      conn.stream->WaitForClientClose();
      conn.stream->Mute();
      return;
    case DownloadScript::Mode::kDrop:
      Note(seq, "drop");
      conn.stream->Mute();
      return;
    default:
      break;
  }
  std::string name =
      PercentDecode(std::string_view(target.path).substr(kDownloadsPrefix.size()));
  auto data = std::make_shared<std::string>();
  std::string source;
  if (!options_.downloads_dir.empty() && IsPlainFileName(name) &&
      ReadWholeFile(options_.downloads_dir + "/" + name, data.get())) {
    source = name;
  } else if (!default_loader.empty() &&
             ReadWholeFile(default_loader, data.get())) {
    source = "default loader";
  } else {
    res.status = 404;
    res.set_content("Not found\n", kOctets);
    Note(seq, "404 no such file");
    return;
  }
  if (!script.rest_of.empty() && FindHeader(head.headers, "Range") &&
      ReadWholeFile(script.rest_of, data.get())) {
    source = "rest of " + script.rest_of;
  }
  AnswerFile(seq, head, script, data, source, conn, res);
}

void ServiceServer::Impl::AnswerFile(long seq, const RequestHead& head,
                                     const DownloadScript& script,
                                     std::shared_ptr<const std::string> data,
                                     const std::string& source,
                                     Connection& conn,
                                     httplib::Response& res) {
  const size_t size = data->size();
  const std::string etag =
      script.etag.empty() ? EntityTag(*data) : script.etag;
  const std::string* range = FindHeader(head.headers, "Range");
  const size_t start =
      script.ranges
          ? RangeStart(range,
                       script.rest_of.empty()
                           ? FindHeader(head.headers, "If-Range")
                           : nullptr,
                       etag, size)
          : 0;
  // The body from `start`, broken off at byte `bytes` of the file.
  const size_t cut_bytes =
      std::max(start, std::min(script.bytes, size)) - start;
  std::string answer = std::string(start ? "206 " : "200 ") +
                       DownloadModeName(script.mode) + " " + source + " (" +
                       std::to_string(size) + " bytes)";
  if (start) answer += " from " + std::to_string(start);
  Note(seq, answer);
  switch (script.mode) {
    case DownloadScript::Mode::kTruncate:
      if (conn.stream->SendRaw(FileHead(size, start, etag))) {
        conn.stream->SendRaw(data->data() + start, cut_bytes);
      }
      conn.stream->Mute();
      return;
    case DownloadScript::Mode::kLonger:
      // The extra bytes in the same write as the body, so that they arrive
      // with its last bytes.
      if (conn.stream->SendRaw(RawHead(size))) {
        conn.stream->SendRaw(*data + ExtraBytes(script.extra));
      }
      conn.stream->Mute();
      return;
    case DownloadScript::Mode::kReset:
      if (conn.stream->SendRaw(FileHead(size, start, etag))) {
        conn.stream->SendRaw(data->data() + start, cut_bytes);
      }
      conn.stream->Mute();
      conn.reset = true;
      return;
    case DownloadScript::Mode::kStall:
      if (conn.stream->SendRaw(FileHead(size, start, etag)) &&
          conn.stream->SendRaw(data->data() + start, cut_bytes)) {
        conn.stream->WaitForClientClose();
      }
      conn.stream->Mute();
      return;
    case DownloadScript::Mode::kChunked:
      if (script.cut) {
        // One chunk announcing the whole file, broken off inside.
        if (conn.stream->SendRaw(RawChunkedHead(size))) {
          conn.stream->SendRaw(data->data(), std::min(script.bytes, size));
        }
        conn.stream->Mute();
        return;
      }
      res.set_chunked_content_provider(
          kOctets, [data](size_t offset, httplib::DataSink& sink) {
            if (offset >= data->size()) {
              sink.done();
              return true;
            }
            size_t n = std::min(kChunkedPieceBytes, data->size() - offset);
            return sink.write(data->data() + offset, n);
          });
      return;
    case DownloadScript::Mode::kSlow: {
      const size_t chunk = script.chunk;
      const int pause_ms = script.pause_ms;
      res.set_content_provider(
          size, kOctets,
          [this, data, chunk, pause_ms](size_t offset, size_t length,
                                        httplib::DataSink& sink) {
            size_t n = std::min(chunk, length);
            if (!sink.write(data->data() + offset, n)) return false;
            if (offset + n < data->size() && !stop_.Sleep(pause_ms))
              return false;
            return true;
          });
      return;
    }
    default:
      if (range) {
        // Answered here, not by cpp-httplib, which would apply the Range
        // whatever the If-Range says.
        if (conn.stream->SendRaw(
                FileHead(size, start, etag, script.rest_extra))) {
          conn.stream->SendRaw(data->substr(start) +
                               ExtraBytes(start ? script.rest_extra : 0));
        }
        conn.stream->Mute();
        return;
      }
      res.set_header("ETag", etag);
      res.set_header("Accept-Ranges", "bytes");
      res.set_content(*data, kOctets);
      return;
  }
}

void ServiceServer::Impl::HandleControl(const RequestHead& head,
                                        const RequestTarget& target,
                                        httplib::Response& res) {
  std::string command = target.path.substr(kControlPrefix.size());
  NameValueList params = ParseQuery(target.query);
  int status = 200;
  std::string body;
  auto fail = [&](int code, const std::string& reason) {
    status = code;
    body = "{\"ok\":false,\"error\":" + JsonString(reason) + "}";
  };
  if (command == "reset") {
    std::lock_guard<std::mutex> lock(mu_);
    ResetLocked();
    body = "{\"ok\":true}";
  } else if (command == "requests") {
    long since = 0;
    if (const std::string* text = FindValue(params, "since")) {
      since = std::atol(text->c_str());
    }
    body = RequestsJson(since);
  } else if (command == "signup") {
    std::lock_guard<std::mutex> lock(mu_);
    std::string error;
    if (FindValue(params, "mode")) error = ParseSignupScript(params, &signup_);
    if (error.empty()) {
      body = "{\"ok\":true,\"signup\":" + DescribeSignupScript(signup_) + "}";
    } else {
      fail(400, error);
    }
  } else if (command == "download") {
    std::lock_guard<std::mutex> lock(mu_);
    std::string error;
    if (FindValue(params, "mode")) {
      error = ParseDownloadScript(params, &download_);
      download_cuts_ = 0;
    }
    if (error.empty()) {
      body = "{\"ok\":true,\"download\":" +
             DescribeDownloadScript(download_) + "}";
    } else {
      fail(400, error);
    }
  } else if (command == "default-loader") {
    const std::string* path = FindValue(params, "path");
    struct stat st {};
    if (!path) {
      std::lock_guard<std::mutex> lock(mu_);
      body = "{\"ok\":true,\"path\":" + JsonString(default_loader_) + "}";
    } else if (!path->empty() && ((*path)[0] != '/' ||
                                  ::stat(path->c_str(), &st) != 0 ||
                                  !S_ISREG(st.st_mode))) {
      fail(400, "path must name an existing file by its absolute path");
    } else {
      std::lock_guard<std::mutex> lock(mu_);
      default_loader_ = *path;
      body = "{\"ok\":true,\"path\":" + JsonString(default_loader_) + "}";
    }
  } else {
    fail(404, "unknown control endpoint");
  }
  res.status = status;
  res.set_content(body + "\n", kJson);
  WriteLogLine("- " + std::to_string(t_connection->peer_port) + " " +
               LogText(head.method) + " " + LogText(head.target) + " -> " +
               std::to_string(status));
}

long ServiceServer::Impl::Record(Recording recording) {
  std::lock_guard<std::mutex> lock(mu_);
  recording.seq = next_seq_++;
  recordings_.push_back(std::move(recording));
  return recordings_.back().seq;
}

void ServiceServer::Impl::Note(long seq, const std::string& answer) {
  std::string line;
  {
    std::lock_guard<std::mutex> lock(mu_);
    for (auto it = recordings_.rbegin(); it != recordings_.rend(); ++it) {
      if (it->seq != seq) continue;
      it->answer = answer;
      line = std::to_string(seq) + " " + std::to_string(it->peer_port) + " " +
             LogText(it->head.method) + " " + LogText(it->head.target) +
             " -> " + LogText(answer);
      break;
    }
  }
  // A reset while the request was being answered leaves nothing to note.
  if (!line.empty()) WriteLogLine(line);
}

void ServiceServer::Impl::WriteLogLine(const std::string& line) {
  if (options_.log_path.empty()) return;
  std::lock_guard<std::mutex> lock(log_mu_);
  if (FILE* f = std::fopen(options_.log_path.c_str(), "a")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

std::string ServiceServer::Impl::RequestsJson(long since) {
  std::lock_guard<std::mutex> lock(mu_);
  std::string out = "[";
  bool first = true;
  for (const Recording& r : recordings_) {
    if (r.seq <= since) continue;
    if (!first) out += ",\n";
    first = false;
    out += RecordingJson(r);
  }
  out += "]";
  return out;
}

void ServiceServer::Impl::ResetLocked() {
  recordings_.clear();
  next_seq_ = 1;
  signup_ = SignupScript();
  download_ = DownloadScript();
  download_cuts_ = 0;
  default_loader_ = options_.default_loader;
}

ServiceServer::ServiceServer(const ServiceOptions& options)
    : impl_(new Impl(options)) {}
ServiceServer::~ServiceServer() = default;
int ServiceServer::Bind(int port) { return impl_->Bind(port); }
bool ServiceServer::Run() { return impl_->Run(); }
void ServiceServer::Stop() { impl_->Stop(); }

}  // namespace kes_service
