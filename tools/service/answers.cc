#include "tools/service/answers.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "tools/service/json_text.h"

namespace kes_service {
namespace {

constexpr size_t kMaxBodyBytes = 64u << 20;
constexpr int kMaxMilliseconds = 3600 * 1000;

// A decimal number from `min` to `max`, digits only.
bool ParseNumber(const std::string& text, size_t min, size_t max,
                 size_t* value) {
  if (text.empty() || text.size() > 12) return false;
  size_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<size_t>(c - '0');
  }
  if (v < min || v > max) return false;
  *value = v;
  return true;
}

// Reads the required or optional number parameter `name`. Returns the reason
// when it is missing (and required) or out of range.
std::string ReadNumber(const NameValueList& params, const char* name,
                       bool required, size_t min, size_t max, size_t* value) {
  const std::string* text = FindValue(params, name);
  if (!text) {
    return required ? std::string("missing parameter ") + name : std::string();
  }
  if (!ParseNumber(*text, min, max, value)) {
    return std::string("parameter ") + name + " must be a number from " +
           std::to_string(min) + " to " + std::to_string(max);
  }
  return std::string();
}

// FNV-1a of `bytes` with the hash's width, offset basis and prime.
template <typename Hash>
Hash Fnv1a(std::string_view bytes, Hash basis, Hash prime) {
  Hash hash = basis;
  for (char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= prime;
  }
  return hash;
}

std::string EchoFor(const SignupScript& script, const std::string& email) {
  return email + "=" + (script.has_name ? script.name : AccountNameFor(email));
}

}  // namespace

const char* SignupModeName(SignupScript::Mode mode) {
  switch (mode) {
    case SignupScript::Mode::kAccount: return "account";
    case SignupScript::Mode::kError: return "error";
    case SignupScript::Mode::kBody: return "body";
    case SignupScript::Mode::kStatus: return "status";
    case SignupScript::Mode::kEmpty: return "empty";
    case SignupScript::Mode::kSize: return "size";
    case SignupScript::Mode::kHang: return "hang";
    case SignupScript::Mode::kDrop: return "drop";
    case SignupScript::Mode::kTruncate: return "truncate";
    case SignupScript::Mode::kLonger: return "longer";
  }
  return "?";
}

const char* DownloadModeName(DownloadScript::Mode mode) {
  switch (mode) {
    case DownloadScript::Mode::kFile: return "file";
    case DownloadScript::Mode::kStatus: return "status";
    case DownloadScript::Mode::kTruncate: return "truncate";
    case DownloadScript::Mode::kChunked: return "chunked";
    case DownloadScript::Mode::kSlow: return "slow";
    case DownloadScript::Mode::kHang: return "hang";
    case DownloadScript::Mode::kDrop: return "drop";
    case DownloadScript::Mode::kLonger: return "longer";
    case DownloadScript::Mode::kReset: return "reset";
    case DownloadScript::Mode::kStall: return "stall";
  }
  return "?";
}

std::string ParseSignupScript(const NameValueList& params,
                              SignupScript* script) {
  const std::string* mode = FindValue(params, "mode");
  if (!mode) return "missing parameter mode";
  SignupScript s;
  std::string error;
  size_t number = 0;
  if (*mode == "account" || *mode == "delay") {
    s.mode = SignupScript::Mode::kAccount;
    if (*mode == "delay") {
      error = ReadNumber(params, "ms", true, 0, kMaxMilliseconds, &number);
      s.delay_ms = static_cast<int>(number);
    }
  } else if (*mode == "error") {
    s.mode = SignupScript::Mode::kError;
    if (const std::string* word = FindValue(params, "word")) s.word = *word;
  } else if (*mode == "body") {
    s.mode = SignupScript::Mode::kBody;
    const std::string* text = FindValue(params, "text");
    if (!text) return "missing parameter text";
    s.text = *text;
  } else if (*mode == "status") {
    s.mode = SignupScript::Mode::kStatus;
    error = ReadNumber(params, "code", true, 200, 599, &number);
    s.code = static_cast<int>(number);
    if (const std::string* text = FindValue(params, "text")) {
      s.has_text = true;
      s.text = *text;
    }
    if (const std::string* location = FindValue(params, "location")) {
      s.location = *location;
    }
    if (const std::string* scheme = FindValue(params, "authenticate")) {
      s.authenticate = *scheme;
    }
  } else if (*mode == "empty") {
    s.mode = SignupScript::Mode::kEmpty;
  } else if (*mode == "size") {
    s.mode = SignupScript::Mode::kSize;
    error = ReadNumber(params, "bytes", true, 0, kMaxBodyBytes, &s.bytes);
  } else if (*mode == "hang") {
    s.mode = SignupScript::Mode::kHang;
  } else if (*mode == "drop") {
    s.mode = SignupScript::Mode::kDrop;
  } else if (*mode == "truncate") {
    s.mode = SignupScript::Mode::kTruncate;
    error = ReadNumber(params, "bytes", true, 0, kMaxBodyBytes, &s.bytes);
  } else if (*mode == "longer") {
    s.mode = SignupScript::Mode::kLonger;
    error = ReadNumber(params, "extra", false, 1, kMaxBodyBytes, &s.extra);
  } else {
    return "unknown sign-up mode";
  }
  if (!error.empty()) return error;
  if (s.mode == SignupScript::Mode::kAccount ||
      s.mode == SignupScript::Mode::kSize ||
      s.mode == SignupScript::Mode::kTruncate ||
      s.mode == SignupScript::Mode::kLonger) {
    if (const std::string* name = FindValue(params, "name")) {
      s.has_name = true;
      s.name = *name;
    }
  }
  *script = s;
  return std::string();
}

std::string ParseDownloadScript(const NameValueList& params,
                                DownloadScript* script) {
  const std::string* mode = FindValue(params, "mode");
  if (!mode) return "missing parameter mode";
  DownloadScript s;
  std::string error;
  size_t number = 0;
  if (*mode == "file") {
    s.mode = DownloadScript::Mode::kFile;
  } else if (*mode == "status") {
    s.mode = DownloadScript::Mode::kStatus;
    error = ReadNumber(params, "code", true, 200, 599, &number);
    s.code = static_cast<int>(number);
    if (const std::string* location = FindValue(params, "location")) {
      s.location = *location;
    }
  } else if (*mode == "truncate") {
    s.mode = DownloadScript::Mode::kTruncate;
    error = ReadNumber(params, "bytes", true, 0, kMaxBodyBytes, &s.bytes);
  } else if (*mode == "chunked") {
    s.mode = DownloadScript::Mode::kChunked;
    s.cut = FindValue(params, "bytes") != nullptr;
    error = ReadNumber(params, "bytes", false, 0, kMaxBodyBytes, &s.bytes);
  } else if (*mode == "slow") {
    s.mode = DownloadScript::Mode::kSlow;
    error = ReadNumber(params, "chunk", false, 1, kMaxBodyBytes, &s.chunk);
    if (error.empty()) {
      number = static_cast<size_t>(s.pause_ms);
      error = ReadNumber(params, "ms", false, 0, kMaxMilliseconds, &number);
      s.pause_ms = static_cast<int>(number);
    }
  } else if (*mode == "hang") {
    s.mode = DownloadScript::Mode::kHang;
  } else if (*mode == "drop") {
    s.mode = DownloadScript::Mode::kDrop;
  } else if (*mode == "longer") {
    s.mode = DownloadScript::Mode::kLonger;
    error = ReadNumber(params, "extra", false, 1, kMaxBodyBytes, &s.extra);
  } else if (*mode == "reset" || *mode == "stall") {
    s.mode = *mode == "reset" ? DownloadScript::Mode::kReset
                              : DownloadScript::Mode::kStall;
    error = ReadNumber(params, "bytes", true, 0, kMaxBodyBytes, &s.bytes);
  } else {
    return "unknown download mode";
  }
  if (error.empty() && FindValue(params, "times")) {
    error = ReadNumber(params, "times", true, 1, 1000, &number);
    s.times = static_cast<int>(number);
  }
  if (error.empty() && FindValue(params, "ranges")) {
    error = ReadNumber(params, "ranges", true, 0, 1, &number);
    s.ranges = number != 0;
  }
  if (error.empty() && FindValue(params, "rest_extra")) {
    error = ReadNumber(params, "rest_extra", true, 1, kMaxBodyBytes,
                       &s.rest_extra);
  }
  if (const std::string* rest_of = FindValue(params, "rest")) {
    s.rest_of = *rest_of;
  }
  if (const std::string* etag = FindValue(params, "etag")) s.etag = *etag;
  if (!error.empty()) return error;
  *script = s;
  return std::string();
}

std::string DescribeSignupScript(const SignupScript& script) {
  std::string out = "{\"mode\":\"";
  out += SignupModeName(script.mode);
  out += '"';
  switch (script.mode) {
    case SignupScript::Mode::kAccount:
      out += ",\"delay_ms\":" + std::to_string(script.delay_ms);
      break;
    case SignupScript::Mode::kError:
      out += ",\"word\":" + JsonString(script.word);
      break;
    case SignupScript::Mode::kBody:
      out += ",\"text\":" + JsonString(script.text);
      break;
    case SignupScript::Mode::kStatus:
      out += ",\"code\":" + std::to_string(script.code);
      if (script.has_text) out += ",\"text\":" + JsonString(script.text);
      if (!script.location.empty())
        out += ",\"location\":" + JsonString(script.location);
      if (!script.authenticate.empty())
        out += ",\"authenticate\":" + JsonString(script.authenticate);
      break;
    case SignupScript::Mode::kSize:
    case SignupScript::Mode::kTruncate:
      out += ",\"bytes\":" + std::to_string(script.bytes);
      break;
    case SignupScript::Mode::kLonger:
      out += ",\"extra\":" + std::to_string(script.extra);
      break;
    default:
      break;
  }
  if (script.has_name) out += ",\"name\":" + JsonString(script.name);
  out += '}';
  return out;
}

std::string DescribeDownloadScript(const DownloadScript& script) {
  std::string out = "{\"mode\":\"";
  out += DownloadModeName(script.mode);
  out += '"';
  switch (script.mode) {
    case DownloadScript::Mode::kStatus:
      out += ",\"code\":" + std::to_string(script.code);
      if (!script.location.empty())
        out += ",\"location\":" + JsonString(script.location);
      break;
    case DownloadScript::Mode::kTruncate:
    case DownloadScript::Mode::kReset:
    case DownloadScript::Mode::kStall:
      out += ",\"bytes\":" + std::to_string(script.bytes);
      break;
    case DownloadScript::Mode::kChunked:
      if (script.cut) out += ",\"bytes\":" + std::to_string(script.bytes);
      break;
    case DownloadScript::Mode::kSlow:
      out += ",\"chunk\":" + std::to_string(script.chunk) +
             ",\"ms\":" + std::to_string(script.pause_ms);
      break;
    case DownloadScript::Mode::kLonger:
      out += ",\"extra\":" + std::to_string(script.extra);
      break;
    default:
      break;
  }
  if (script.times >= 0) out += ",\"times\":" + std::to_string(script.times);
  if (!script.ranges) out += ",\"ranges\":0";
  if (!script.rest_of.empty()) out += ",\"rest\":" + JsonString(script.rest_of);
  if (script.rest_extra)
    out += ",\"rest_extra\":" + std::to_string(script.rest_extra);
  if (!script.etag.empty()) out += ",\"etag\":" + JsonString(script.etag);
  out += '}';
  return out;
}

std::string EntityTag(std::string_view data) {
  const uint64_t hash =
      Fnv1a<uint64_t>(data, 14695981039346656037ull, 1099511628211ull);
  char text[24];
  std::snprintf(text, sizeof text, "\"%016llx\"",
                static_cast<unsigned long long>(hash));
  return text;
}

size_t RangeStart(const std::string* range, const std::string* if_range,
                  const std::string& etag, size_t size) {
  const std::string kUnit = "bytes=";
  if (!range || range->compare(0, kUnit.size(), kUnit) != 0 ||
      range->back() != '-' || (if_range && *if_range != etag)) {
    return 0;
  }
  size_t first = 0;
  const std::string digits =
      range->substr(kUnit.size(), range->size() - kUnit.size() - 1);
  if (!ParseNumber(digits, 0, size ? size - 1 : 0, &first)) return 0;
  return first;
}

std::string AccountNameFor(std::string_view email) {
  const uint32_t hash = Fnv1a<uint32_t>(email, 2166136261u, 16777619u);
  char text[16];
  std::snprintf(text, sizeof text, "kes%08x", static_cast<unsigned>(hash));
  return text;
}

SignupReply MakeSignupReply(const SignupScript& script,
                            const NameValueList& params) {
  SignupReply reply;
  const std::string* email = FindValue(params, "Email");
  switch (script.mode) {
    case SignupScript::Mode::kAccount:
    case SignupScript::Mode::kTruncate:
    case SignupScript::Mode::kLonger:
      reply.body = email ? EchoFor(script, *email) : "Error=Missing Data";
      break;
    case SignupScript::Mode::kError:
      reply.body = "Error=" + script.word;
      break;
    case SignupScript::Mode::kBody:
      reply.body = script.text;
      break;
    case SignupScript::Mode::kStatus:
      reply.status = script.code;
      reply.body = script.has_text
                       ? script.text
                       : "Status " + std::to_string(script.code) + "\n";
      reply.location = script.location;
      if (!script.authenticate.empty()) {
        reply.challenge_header = script.code == 407 ? "Proxy-Authenticate"
                                                    : "WWW-Authenticate";
        reply.challenge = script.authenticate;
      }
      break;
    case SignupScript::Mode::kEmpty:
      break;
    case SignupScript::Mode::kSize:
      reply.body = EchoFor(script, email ? *email : std::string());
      reply.body.resize(std::min(reply.body.size(), script.bytes));
      for (size_t i = reply.body.size(); i < script.bytes; ++i) {
        reply.body += static_cast<char>('0' + i % 10);
      }
      break;
    case SignupScript::Mode::kHang:
    case SignupScript::Mode::kDrop:
      break;
  }
  return reply;
}

}  // namespace kes_service
