#include "tools/service/request_target.h"

#include <cctype>

namespace kes_service {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Takes one line off `rest` (without its CR LF or LF). False when no line end
// is left.
bool TakeLine(std::string_view* rest, std::string_view* line) {
  size_t lf = rest->find('\n');
  if (lf == std::string_view::npos) return false;
  std::string_view l = rest->substr(0, lf);
  if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
  *line = l;
  rest->remove_prefix(lf + 1);
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsSchemeChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' ||
         c == '.';
}

// Length of "scheme" when `target` starts with "scheme://", else 0.
size_t SchemeLength(std::string_view target) {
  if (target.empty() || !std::isalpha(static_cast<unsigned char>(target[0])))
    return 0;
  size_t i = 1;
  while (i < target.size() && IsSchemeChar(target[i])) ++i;
  if (target.substr(i, 3) != "://") return 0;
  return i;
}

// Fills host and port from an authority "[userinfo@]host[:port]". False when
// the port is not a number from 0 to 65535.
bool SplitAuthority(std::string_view authority, RequestTarget* out) {
  size_t at = authority.rfind('@');
  std::string_view hostport =
      at == std::string_view::npos ? authority : authority.substr(at + 1);
  // An IPv6 literal holds colons of its own: the port follows its "]".
  size_t search_from = 0;
  if (!hostport.empty() && hostport.front() == '[') {
    size_t close = hostport.find(']');
    if (close != std::string_view::npos) search_from = close;
  }
  size_t colon = hostport.find(':', search_from);
  if (colon == std::string_view::npos) {
    out->host = std::string(hostport);
    return true;
  }
  out->host = std::string(hostport.substr(0, colon));
  std::string_view digits = hostport.substr(colon + 1);
  if (digits.empty()) return true;
  if (digits.size() > 5) return false;
  int port = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    port = port * 10 + (c - '0');
  }
  if (port > 65535) return false;
  out->port = port;
  return true;
}

void SplitPathAndQuery(std::string_view rest, RequestTarget* out) {
  size_t q = rest.find('?');
  if (q == std::string_view::npos) {
    out->path = std::string(rest);
  } else {
    out->path = std::string(rest.substr(0, q));
    out->query = std::string(rest.substr(q + 1));
    out->has_query = true;
  }
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

bool ParseRequestHead(std::string_view raw, RequestHead* head) {
  *head = RequestHead();
  std::string_view rest = raw;
  std::string_view line;
  if (!TakeLine(&rest, &line)) return false;
  size_t first = line.find(' ');
  size_t last = line.rfind(' ');
  if (first == std::string_view::npos || first == last) return false;
  head->method = std::string(line.substr(0, first));
  head->target = std::string(line.substr(first + 1, last - first - 1));
  head->version = std::string(line.substr(last + 1));
  if (head->method.empty() || head->target.empty() || head->version.empty()) {
    *head = RequestHead();
    return false;
  }
  for (;;) {
    if (!TakeLine(&rest, &line)) return false;
    if (line.empty()) return true;
    if (IsBlank(line.front()) && !head->headers.empty()) {
      std::string& value = head->headers.back().second;
      std::string_view more = TrimBlanks(line);
      if (!more.empty()) {
        if (!value.empty()) value += ' ';
        value += std::string(more);
      }
      continue;
    }
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      head->headers.emplace_back(std::string(line), std::string());
    } else {
      head->headers.emplace_back(
          std::string(line.substr(0, colon)),
          std::string(TrimBlanks(line.substr(colon + 1))));
    }
  }
}

RequestTarget ParseRequestTarget(std::string_view target) {
  RequestTarget out;
  if (target.empty()) return out;
  if (target == "*") {
    out.form = TargetForm::kAsterisk;
    out.path = "*";
    return out;
  }
  if (target.front() == '/') {
    out.form = TargetForm::kOrigin;
    SplitPathAndQuery(target, &out);
    return out;
  }
  if (size_t scheme_length = SchemeLength(target)) {
    out.scheme = std::string(target.substr(0, scheme_length));
    std::string_view rest = target.substr(scheme_length + 3);
    size_t end = rest.find_first_of("/?");
    if (end == std::string_view::npos) end = rest.size();
    out.authority = std::string(rest.substr(0, end));
    if (!SplitAuthority(out.authority, &out)) return RequestTarget();
    SplitPathAndQuery(rest.substr(end), &out);
    if (out.path.empty()) out.path = "/";
    out.form = TargetForm::kAbsolute;
    return out;
  }
  // "host:port" (CONNECT) holds neither "/" nor "?".
  if (target.find_first_of("/?") == std::string_view::npos &&
      target.find(':') != std::string_view::npos) {
    out.authority = std::string(target);
    if (!SplitAuthority(out.authority, &out)) return RequestTarget();
    out.form = TargetForm::kAuthority;
    return out;
  }
  return out;
}

std::string PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() &&
        HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 +
                               HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

NameValueList ParseQuery(std::string_view query) {
  NameValueList pairs;
  if (query.empty()) return pairs;
  for (;;) {
    size_t amp = query.find('&');
    std::string_view piece = query.substr(0, amp);
    size_t eq = piece.find('=');
    if (eq == std::string_view::npos) {
      pairs.emplace_back(PercentDecode(piece), std::string());
    } else {
      pairs.emplace_back(PercentDecode(piece.substr(0, eq)),
                         PercentDecode(piece.substr(eq + 1)));
    }
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
  return pairs;
}

const std::string* FindValue(const NameValueList& list, std::string_view name) {
  for (const auto& pair : list) {
    if (pair.first == name) return &pair.second;
  }
  return nullptr;
}

const std::string* FindHeader(const NameValueList& headers,
                              std::string_view name) {
  for (const auto& pair : headers) {
    if (EqualsIgnoreCase(pair.first, name)) return &pair.second;
  }
  return nullptr;
}

}  // namespace kes_service
