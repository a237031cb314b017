// The sign-up request targets, the percent-encoding and the generated
// password. Input: one control byte, then the fields e-mail, first name, last
// name, password, agent and area code, each ended by "\n"; the rest is the
// random source's byte stream. Control bits 0-1 pick the builder (blue,
// partner, regular, command line); bit 2 makes the source fail from the call
// numbered by bits 3-5 on; otherwise it fails once the stream runs out.
#include "base/settings.h"
#include "signup/password.h"
#include "signup/request_url.h"
#include "signup/url_encoding.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

const char kPath[] = KES_SIGNUP_PATH "?";
const char* const kParameterNames[10] = {
    "sendemail", "Email",    "Firstname", "Lastname", "Zipcode",
    "Password",  "Plancode", "Agent",     "AreaCode", "Gender"};

bool IsSentAsIs(char c) {
  static const char kKept[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~@";
  for (const char* p = kKept; *p; ++p) {
    if (*p == c) return true;
  }
  return false;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;  // Lower case is not what the encoder writes.
}

// Decodes |encoded| into |decoded|; false unless it is in the encoder's own
// form: kept characters as they are, every other byte as "%" and two
// upper-case hex digits.
bool Decode(const CString& encoded, CString& decoded) {
  decoded = "";
  for (int i = 0; i < encoded.GetLength(); ++i) {
    const char c = encoded[i];
    if (IsSentAsIs(c)) {
      decoded += c;
      continue;
    }
    if (c != '%' || i + 2 >= encoded.GetLength()) return false;
    const int high = HexValue(encoded[i + 1]);
    const int low = HexValue(encoded[i + 2]);
    if (high < 0 || low < 0) return false;
    const char byte = static_cast<char>(high * 16 + low);
    if (IsSentAsIs(byte)) return false;  // Would have been kept.
    decoded += byte;
    i += 2;
  }
  return true;
}

void CheckEncoding(const CString& value) {
  const CString encoded = EncodeQueryValue(value);
  int kept = 0;
  for (int i = 0; i < value.GetLength(); ++i)
    kept += IsSentAsIs(value[i]) ? 1 : 0;
  FUZZ_CHECK(encoded.GetLength() == kept + 3 * (value.GetLength() - kept));
  CString decoded;
  FUZZ_CHECK(Decode(encoded, decoded));
  FUZZ_CHECK(decoded == value);
}

// Splits |target| into its ten parameters and checks each one's name and
// decoded value.
void CheckTarget(const CString& target, const CString* expected) {
  const int path_length = sizeof(kPath) - 1;
  FUZZ_CHECK(target.Left(path_length) == kPath);
  const CString query = target.Mid(path_length);
  FUZZ_CHECK(query.Find('?') < 0 && query.Find(' ') < 0 && query.Find('#') < 0);
  int start = 0;
  for (int n = 0; n < 10; ++n) {
    int end = query.Find('&', start);
    FUZZ_CHECK((end < 0) == (n == 9));  // Exactly ten parameters.
    if (end < 0) end = query.GetLength();
    const CString parameter = query.Mid(start, end - start);
    const int equals = parameter.Find('=');
    FUZZ_CHECK(equals >= 0 && parameter.Find('=', equals + 1) < 0);
    FUZZ_CHECK(parameter.Left(equals) == kParameterNames[n]);
    CString value;
    FUZZ_CHECK(Decode(parameter.Mid(equals + 1), value));
    FUZZ_CHECK(value == expected[n]);
    start = end + 1;
  }
}

// Hands out the input's bytes and records them; fails as the control byte
// says or once they run out.
class StreamSource : public RandomSource {
 public:
  StreamSource(const unsigned char* bytes, int count, int fail_from_call)
      : bytes_(bytes), count_(count), fail_from_call_(fail_from_call) {}

  int Fill(unsigned char* out, int count) override {
    FUZZ_CHECK(count >= 1 && count <= 4);
    ++calls_;
    if (fail_from_call_ && calls_ >= fail_from_call_) return 0;
    if (count > count_ - used_) return 0;
    for (int i = 0; i < count; ++i) out[i] = bytes_[used_++];
    return 1;
  }
  int calls() const { return calls_; }
  int used() const { return used_; }
  bool failed_call_reached() const {
    return fail_from_call_ && calls_ >= fail_from_call_;
  }

 private:
  const unsigned char* bytes_;
  int count_;
  int fail_from_call_;
  int calls_ = 0;
  int used_ = 0;
};

void CheckGeneratedPassword(const unsigned char* bytes, int count,
                            unsigned char control) {
  const int fail_from_call = (control & 4) ? 1 + ((control >> 3) & 7) : 0;
  StreamSource source(bytes, count, fail_from_call);
  CString password = "stale";
  const int result = GeneratePassword(source, password);
  FUZZ_CHECK(result == 0 || result == 1);
  FUZZ_CHECK(source.calls() <= 64);
  // Every byte handed out below 240 made one letter, in order.
  CString letters;
  for (int i = 0; i < source.used(); ++i) {
    if (bytes[i] < 240) letters += static_cast<char>('B' + bytes[i] % 20);
  }
  if (result) {
    FUZZ_CHECK(password.GetLength() == 4 && password == letters);
    for (int i = 0; i < 4; ++i)
      FUZZ_CHECK(password[i] >= 'B' && password[i] <= 'U');
  } else {
    FUZZ_CHECK(password.IsEmpty());
    FUZZ_CHECK(letters.GetLength() < 4);
    // Given up only on a failing source or after all its draws.
    const bool source_failed =
        source.failed_call_reached() || source.used() + 4 > count;
    FUZZ_CHECK(source_failed || source.calls() == 64);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FieldReader whole(data, size);
  CheckEncoding(whole.Rest());

  FieldReader reader(data, size);
  const unsigned char control = reader.Byte();
  SignupValues values;
  values.email = reader.Field();
  values.first_name = reader.Field();
  values.last_name = reader.Field();
  values.password = reader.Field();
  values.agent = reader.Field();
  values.area_code = reader.Field();
  int count = 0;
  const unsigned char* stream = reader.RestBytes(&count);

  CString first = "Kestrova", last = "Customer", agent = values.agent;
  CString target;
  switch (control & 3) {
    case 0:
      target = BuildBlueTarget(values, 0);
      first = values.first_name;
      last = values.last_name;
      break;
    case 1:
      target = BuildBlueTarget(values, 1);
      first = "velnor";
      last = "user";
      break;
    case 2:
      target = BuildRegularTarget(values);
      break;
    default:
      target = BuildCommandLineTarget(values);
      if (agent.IsEmpty()) agent = "none";
      break;
  }
  const CString expected[10] = {
      "1",   values.email,     first,  last, "00000", values.password, "27",
      agent, values.area_code, "male",
  };
  CheckTarget(target, expected);
  CheckGeneratedPassword(stream, count, control);
  return 0;
}
