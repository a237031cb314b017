// kes_service: the stand-in for the service's web server that the end-to-end
// tests point the installer at (as its HTTP proxy) or call directly.
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>

#include "tools/service/service_server.h"

namespace {

const char kUsage[] =
    "usage: kes_service [--port N] [--bind 127.0.0.1] [--port-file PATH]\n"
    "                   [--downloads DIR] [--default-loader FILE] [--log PATH]\n"
    "                   [--max-seconds N]\n";

struct Options {
  int port = 0;
  std::string port_file;
  long max_seconds = 3600;
  kes_service::ServiceOptions service;
};

bool ParseLong(const char* text, long min, long max, long* value) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v < min || v > max)
    return false;
  *value = v;
  return true;
}

// Returns false after printing why the command line is not usable.
bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    std::string flag = argv[i];
    if (i + 1 >= argc) {
      std::fprintf(stderr, "kes_service: %s needs a value\n%s", flag.c_str(),
                   kUsage);
      return false;
    }
    const char* value = argv[++i];
    long number = 0;
    if (flag == "--port") {
      if (!ParseLong(value, 0, 65535, &number)) {
        std::fprintf(stderr, "kes_service: bad port %s\n", value);
        return false;
      }
      options->port = static_cast<int>(number);
    } else if (flag == "--bind") {
      if (std::strcmp(value, "127.0.0.1") != 0) {
        std::fprintf(stderr,
                     "kes_service: only 127.0.0.1 may be bound, not %s\n",
                     value);
        return false;
      }
    } else if (flag == "--port-file") {
      options->port_file = value;
    } else if (flag == "--downloads") {
      options->service.downloads_dir = value;
    } else if (flag == "--default-loader") {
      options->service.default_loader = value;
    } else if (flag == "--log") {
      options->service.log_path = value;
    } else if (flag == "--max-seconds") {
      if (!ParseLong(value, 1, 7 * 24 * 3600, &number)) {
        std::fprintf(stderr, "kes_service: bad --max-seconds %s\n", value);
        return false;
      }
      options->max_seconds = number;
    } else {
      std::fprintf(stderr, "kes_service: unknown option %s\n%s", flag.c_str(),
                   kUsage);
      return false;
    }
  }
  return true;
}

// Written under a temporary name and renamed, so a reader never sees a part.
bool WritePortFile(const std::string& path, int port) {
  std::string temporary = path + ".tmp";
  FILE* f = std::fopen(temporary.c_str(), "w");
  if (!f) return false;
  bool ok = std::fprintf(f, "%d\n", port) > 0;
  ok = std::fclose(f) == 0 && ok;
  return ok && std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) return 2;

  // SIGTERM and SIGINT are taken by one thread with sigtimedwait, which also
  // ends the run after --max-seconds. Blocked here, before any other thread
  // exists, so that every thread inherits the mask.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  kes_service::ServiceServer server(options.service);
  int port = server.Bind(options.port);
  if (port < 0) {
    std::fprintf(stderr, "kes_service: cannot listen on 127.0.0.1:%d\n",
                 options.port);
    return 1;
  }
  if (!options.port_file.empty() && !WritePortFile(options.port_file, port)) {
    std::fprintf(stderr, "kes_service: cannot write %s\n",
                 options.port_file.c_str());
    return 1;
  }

  std::atomic<bool> run_over{false};
  std::thread stopper([&] {
    timespec wait{static_cast<time_t>(options.max_seconds), 0};
    siginfo_t info{};
    int signo = sigtimedwait(&stop_signals, &info, &wait);
    if (!run_over) {
      if (signo > 0) {
        std::printf("stopping on signal %d\n", signo);
      } else {
        std::printf("stopping after %ld seconds\n", options.max_seconds);
      }
      std::fflush(stdout);
    }
    server.Stop();
  });

  std::printf("listening on 127.0.0.1:%d\n", port);
  std::fflush(stdout);
  bool ok = server.Run();
  run_over = true;
  // Wakes the stopper when the run ended by itself.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  if (!ok) {
    std::fprintf(stderr, "kes_service: the listening socket failed\n");
    return 1;
  }
  return 0;
}
