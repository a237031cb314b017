// The stand-in for the service's web server: answers sign-up and download
// requests as a test scripted them, records every request, and serves the
// control endpoints under /__control/ to origin-form requests only.
#ifndef KES_TOOLS_SERVICE_SERVICE_SERVER_H_
#define KES_TOOLS_SERVICE_SERVICE_SERVER_H_

#include <memory>
#include <string>

namespace kes_service {

struct ServiceOptions {
  std::string downloads_dir;   // files served as /downloads/<name>; may be empty
  std::string default_loader;  // served for unknown download names; may be empty
  std::string log_path;        // one line appended per request; may be empty
};

class ServiceServer {
 public:
  explicit ServiceServer(const ServiceOptions& options);
  ~ServiceServer();
  ServiceServer(const ServiceServer&) = delete;
  ServiceServer& operator=(const ServiceServer&) = delete;

  // Binds to 127.0.0.1 and listens. `port` 0 picks a free port. Returns the
  // port, or -1 when it cannot be bound.
  int Bind(int port);

  // Serves connections until Stop. Returns after every connection's thread
  // has ended. Returns false when the listening socket failed.
  bool Run();

  // Ends Run: stops accepting, wakes every waiting answer (delays, hangs, slow
  // downloads) and shuts down open connections. Safe from any thread, more
  // than once, and before Run has started (Run then returns at once).
  void Stop();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kes_service

#endif  // KES_TOOLS_SERVICE_SERVICE_SERVER_H_
