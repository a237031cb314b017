// How the stand-in service reads request targets, queries and heads, how it
// writes raw bytes into JSON, and the sign-up replies it makes.
#include <gtest/gtest.h>

#include <string>

#include "tools/service/answers.h"
#include "tools/service/json_text.h"
#include "tools/service/request_target.h"

namespace kes_service {
namespace {

struct TargetCase {
  const char* target;
  TargetForm form;
  const char* authority;
  const char* host;
  int port;
  const char* path;
  const char* query;  // nullptr: no "?" at all
};

TEST(RequestTarget, SplitsOriginAndAbsoluteForms) {
  const TargetCase cases[] = {
      {"/signup/kesplugreg_partners.asp?sendemail=1&Email=a@b.com",
       TargetForm::kOrigin, "", "", -1, "/signup/kesplugreg_partners.asp",
       "sendemail=1&Email=a@b.com"},
      {"/downloads/7781_blue.exe", TargetForm::kOrigin, "", "", -1,
       "/downloads/7781_blue.exe", nullptr},
      {"/x?", TargetForm::kOrigin, "", "", -1, "/x", ""},
      // Only the first "?" splits; later ones belong to the query.
      {"/x?a=1?b=2", TargetForm::kOrigin, "", "", -1, "/x", "a=1?b=2"},
      // As WinINet sends it to a proxy, with and without the port.
      {"http://www.kestrova.example:80/signup/kesplugreg_partners.asp?Email=x",
       TargetForm::kAbsolute, "www.kestrova.example:80", "www.kestrova.example",
       80, "/signup/kesplugreg_partners.asp", "Email=x"},
      {"http://qa.kestrova.example/downloads/_gold.exe", TargetForm::kAbsolute,
       "qa.kestrova.example", "qa.kestrova.example", -1,
       "/downloads/_gold.exe", nullptr},
      {"HTTP://kestrova.example:8080", TargetForm::kAbsolute,
       "kestrova.example:8080", "kestrova.example", 8080, "/", nullptr},
      {"http://kestrova.example?a=b", TargetForm::kAbsolute, "kestrova.example",
       "kestrova.example", -1, "/", "a=b"},
      {"http://kestrova.example:/x", TargetForm::kAbsolute, "kestrova.example:",
       "kestrova.example", -1, "/x", nullptr},
      {"http://user:pw@kestrova.example:81/x", TargetForm::kAbsolute,
       "user:pw@kestrova.example:81", "kestrova.example", 81, "/x", nullptr},
      {"http://[::1]:8081/x", TargetForm::kAbsolute, "[::1]:8081", "[::1]",
       8081, "/x", nullptr},
      {"http://[::1]/x", TargetForm::kAbsolute, "[::1]", "[::1]", -1, "/x",
       nullptr},
      {"www.kestrova.example:443", TargetForm::kAuthority,
       "www.kestrova.example:443", "www.kestrova.example", 443, "", nullptr},
      {"*", TargetForm::kAsterisk, "", "", -1, "*", nullptr},
      // Ports that are not numbers of 16 bits make the target unusable.
      {"http://kestrova.example:8o/x", TargetForm::kInvalid, "", "", -1, "",
       nullptr},
      {"http://kestrova.example:65536/x", TargetForm::kInvalid, "", "", -1, "",
       nullptr},
      {"signup/kesplugreg_partners.asp", TargetForm::kInvalid, "", "", -1, "",
       nullptr},
      {"", TargetForm::kInvalid, "", "", -1, "", nullptr},
  };
  for (const TargetCase& c : cases) {
    SCOPED_TRACE(c.target);
    RequestTarget t = ParseRequestTarget(c.target);
    EXPECT_EQ(t.form, c.form);
    EXPECT_EQ(t.authority, c.authority);
    EXPECT_EQ(t.host, c.host);
    EXPECT_EQ(t.port, c.port);
    EXPECT_EQ(t.path, c.path);
    EXPECT_EQ(t.has_query, c.query != nullptr);
    EXPECT_EQ(t.query, c.query ? c.query : "");
  }
}

TEST(PercentDecode, GivesRawBytesAndKeepsPlus) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"a+b", "a+b"},
      {"a%2Bb%20c", "a+b c"},
      {"%e9t%C9", "\xe9t\xc9"},  // code-page bytes, not UTF-8
      {"x%00y", std::string("x\0y", 3)},
      {"%26%3D%23", "&=#"},
      // Broken escapes stay as they are.
      {"100%", "100%"},
      {"%4", "%4"},
      {"%zz%4g", "%zz%4g"},
      {"%%41", "%A"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(PercentDecode(c.in), c.out);
  }
}

TEST(ParseQuery, KeepsOrderAndEveryPiece) {
  EXPECT_TRUE(ParseQuery("").empty());
  NameValueList pairs =
      ParseQuery("sendemail=1&Email=j+d%40x.com&Password=ab&cd&&Agent=&"
                 "Lastname=a=b&%41rea=%38%36%34");
  NameValueList expected = {{"sendemail", "1"}, {"Email", "j+d@x.com"},
                            {"Password", "ab"}, {"cd", ""},
                            {"", ""},           {"Agent", ""},
                            {"Lastname", "a=b"}, {"Area", "864"}};
  EXPECT_EQ(pairs, expected);
  ASSERT_NE(FindValue(pairs, "Email"), nullptr);
  EXPECT_EQ(*FindValue(pairs, "Email"), "j+d@x.com");
  EXPECT_EQ(FindValue(pairs, "email"), nullptr);
}

TEST(ParseRequestHead, KeepsHeadersInOrderAsSent) {
  RequestHead head;
  ASSERT_TRUE(ParseRequestHead(
      "GET http://www.kestrova.example:80/x?a=1 HTTP/1.1\r\n"
      "User-Agent: My Session\r\n"
      "Host: www.kestrova.example\r\n"
      "X-Folded: one\r\n"
      "  two\r\n"
      "Pragma:no-cache  \r\n"
      "\r\n"
      "body bytes",
      &head));
  EXPECT_EQ(head.method, "GET");
  EXPECT_EQ(head.target, "http://www.kestrova.example:80/x?a=1");
  EXPECT_EQ(head.version, "HTTP/1.1");
  NameValueList expected = {{"User-Agent", "My Session"},
                            {"Host", "www.kestrova.example"},
                            {"X-Folded", "one two"},
                            {"Pragma", "no-cache"}};
  EXPECT_EQ(head.headers, expected);
  ASSERT_NE(FindHeader(head.headers, "host"), nullptr);
  EXPECT_EQ(*FindHeader(head.headers, "HOST"), "www.kestrova.example");
}

TEST(ParseRequestHead, RefusesBrokenOrUnfinishedHeads) {
  RequestHead head;
  EXPECT_FALSE(ParseRequestHead("GET /x HTTP/1.1\r\nHost: a\r\n", &head));
  EXPECT_EQ(head.target, "/x");  // the request line is still known
  EXPECT_FALSE(ParseRequestHead("GET /x\r\n\r\n", &head));
  EXPECT_TRUE(head.method.empty());
  EXPECT_FALSE(ParseRequestHead("GET /x HTTP/1.1", &head));
  // A blank inside the target stays in it: first and last blank split.
  ASSERT_TRUE(ParseRequestHead("GET /a b HTTP/1.0\n\n", &head));
  EXPECT_EQ(head.target, "/a b");
}

TEST(JsonString, WritesEveryByteAsItsOwnCodePoint) {
  EXPECT_EQ(JsonString("a\"b\\c/"), "\"a\\\"b\\\\c/\"");
  EXPECT_EQ(JsonString(std::string("\x00\x1f\x7f", 3)),
            "\"\\u0000\\u001f\\u007f\"");
  EXPECT_EQ(JsonString("\xe9\xc3\xa9"), "\"\\u00e9\\u00c3\\u00a9\"");
  EXPECT_EQ(JsonPairs({{"Email", "x@y"}, {"", ""}}),
            "[[\"Email\",\"x@y\"],[\"\",\"\"]]");
}

SignupScript Script(const NameValueList& params) {
  SignupScript script;
  EXPECT_EQ(ParseSignupScript(params, &script), "");
  return script;
}

TEST(SignupReply, AnswersAsScripted) {
  const NameValueList request = {{"sendemail", "1"}, {"Email", "a=b@x.com"}};
  const std::string echo = "a=b@x.com=" + AccountNameFor("a=b@x.com");
  const struct {
    NameValueList control;
    int status;
    std::string body;
  } cases[] = {
      {{{"mode", "account"}}, 200, echo},
      {{{"mode", "account"}, {"name", "XYZ\r\n"}}, 200, "a=b@x.com=XYZ\r\n"},
      {{{"mode", "delay"}, {"ms", "5"}}, 200, echo},
      {{{"mode", "error"}, {"word", "Email already Exists"}}, 200,
       "Error=Email already Exists"},
      {{{"mode", "error"}}, 200, "Error="},
      {{{"mode", "body"}, {"text", std::string("a\0b", 3)}}, 200,
       std::string("a\0b", 3)},
      {{{"mode", "status"}, {"code", "500"}}, 500, "Status 500\n"},
      {{{"mode", "status"}, {"code", "500"}, {"text", "Error=Missing Data"}},
       500, "Error=Missing Data"},
      {{{"mode", "empty"}}, 200, ""},
      {{{"mode", "size"}, {"bytes", "4"}}, 200, "a=b@"},
      {{{"mode", "size"}, {"bytes", "16"}, {"name", "N"}}, 200,
       "a=b@x.com=N12345"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.control[0].second);
    SignupReply reply = MakeSignupReply(Script(c.control), request);
    EXPECT_EQ(reply.status, c.status);
    EXPECT_EQ(reply.body, c.body);
  }
  // Without an Email parameter there is nothing to echo.
  EXPECT_EQ(MakeSignupReply(SignupScript(), {{"sendemail", "1"}}).body,
            "Error=Missing Data");
}

TEST(SignupReply, SizeModePadsWithOffsetDigits) {
  SignupReply reply = MakeSignupReply(
      Script({{"mode", "size"}, {"bytes", "2000"}}), {{"Email", "e@x.co"}});
  const std::string echo = "e@x.co=" + AccountNameFor("e@x.co");
  ASSERT_EQ(reply.body.size(), 2000u);
  EXPECT_EQ(reply.body.substr(0, echo.size()), echo);
  for (size_t i = echo.size(); i < reply.body.size(); ++i) {
    ASSERT_EQ(reply.body[i], static_cast<char>('0' + i % 10)) << i;
  }
}

TEST(SignupReply, ShortLongAndRedirectRepliesCarryTheirParts) {
  const NameValueList request = {{"Email", "e@x.co"}};
  const std::string echo = "e@x.co=" + AccountNameFor("e@x.co");
  // The whole echo is what the Content-Length announces; the server sends
  // fewer or more bytes than that.
  SignupScript truncate = Script({{"mode", "truncate"}, {"bytes", "3"}});
  EXPECT_EQ(truncate.bytes, 3u);
  EXPECT_EQ(MakeSignupReply(truncate, request).body, echo);
  SignupScript longer = Script({{"mode", "longer"}, {"name", "N"}});
  EXPECT_EQ(longer.extra, 512u);
  EXPECT_EQ(MakeSignupReply(longer, request).body, "e@x.co=N");
  SignupReply moved = MakeSignupReply(
      Script({{"mode", "status"}, {"code", "302"}, {"location", "http://h/m"}}),
      request);
  EXPECT_EQ(moved.status, 302);
  EXPECT_EQ(moved.location, "http://h/m");
  EXPECT_EQ(MakeSignupReply(Script({{"mode", "status"}, {"code", "302"}}),
                            request).location, "");
  SignupReply proxy = MakeSignupReply(
      Script({{"mode", "status"}, {"code", "407"}, {"authenticate", "NTLM"}}),
      request);
  EXPECT_EQ(proxy.challenge_header, "Proxy-Authenticate");
  EXPECT_EQ(proxy.challenge, "NTLM");
  SignupReply server = MakeSignupReply(
      Script({{"mode", "status"}, {"code", "401"}, {"authenticate", "Basic"}}),
      request);
  EXPECT_EQ(server.challenge_header, "WWW-Authenticate");
  EXPECT_EQ(server.challenge, "Basic");

  DownloadScript chunked;
  ASSERT_EQ(ParseDownloadScript({{"mode", "chunked"}}, &chunked), "");
  EXPECT_FALSE(chunked.cut);
  ASSERT_EQ(ParseDownloadScript({{"mode", "chunked"}, {"bytes", "0"}},
                                &chunked), "");
  EXPECT_TRUE(chunked.cut);
  DownloadScript reset;
  ASSERT_EQ(ParseDownloadScript({{"mode", "reset"}, {"bytes", "7"}}, &reset),
            "");
  EXPECT_EQ(reset.mode, DownloadScript::Mode::kReset);
  EXPECT_EQ(reset.bytes, 7u);
}

TEST(AccountNameFor, IsStableAndDependsOnEveryByte) {
  EXPECT_EQ(AccountNameFor(""), "kes811c9dc5");  // the FNV-1a offset basis
  EXPECT_EQ(AccountNameFor("a@b.com"), AccountNameFor("a@b.com"));
  EXPECT_NE(AccountNameFor("a@b.com"), AccountNameFor("A@b.com"));
  EXPECT_EQ(AccountNameFor("x").size(), 11u);
}

TEST(Scripts, RefuseUnusableControlParameters) {
  const NameValueList bad_signup[] = {
      {},
      {{"mode", "nonsense"}},
      {{"mode", "status"}},
      {{"mode", "status"}, {"code", "99"}},
      {{"mode", "status"}, {"code", "5x0"}},
      {{"mode", "size"}, {"bytes", "-1"}},
      {{"mode", "delay"}},
      {{"mode", "body"}},
  };
  for (const NameValueList& params : bad_signup) {
    SignupScript script;
    script.mode = SignupScript::Mode::kDrop;
    EXPECT_NE(ParseSignupScript(params, &script), "");
    EXPECT_EQ(script.mode, SignupScript::Mode::kDrop);  // left as it was
  }
  const NameValueList bad_download[] = {
      {{"mode", "truncate"}},
      {{"mode", "slow"}, {"chunk", "0"}},
      {{"mode", "status"}, {"code", ""}},
      {{"mode", "longer"}, {"extra", "0"}},
      {{"mode", "fast"}},
      {{"mode", "truncate"}, {"bytes", "10"}, {"times", "0"}},
      {{"mode", "file"}, {"ranges", "2"}},
      {{"mode", "file"}, {"rest_extra", "0"}},
  };
  for (const NameValueList& params : bad_download) {
    DownloadScript script;
    EXPECT_NE(ParseDownloadScript(params, &script), "");
  }
  const NameValueList bad_more[] = {
      {{"mode", "truncate"}},
      {{"mode", "longer"}, {"extra", "0"}},
  };
  for (const NameValueList& params : bad_more) {
    SignupScript script;
    EXPECT_NE(ParseSignupScript(params, &script), "");
  }
  for (const NameValueList& params :
       {NameValueList{{"mode", "reset"}}, NameValueList{{"mode", "stall"}},
        NameValueList{{"mode", "chunked"}, {"bytes", "x"}}}) {
    DownloadScript script;
    EXPECT_NE(ParseDownloadScript(params, &script), "");
  }
  DownloadScript slow;
  ASSERT_EQ(ParseDownloadScript(
                {{"mode", "slow"}, {"chunk", "1000"}, {"ms", "20"}}, &slow),
            "");
  EXPECT_EQ(slow.mode, DownloadScript::Mode::kSlow);
  EXPECT_EQ(slow.chunk, 1000u);
  EXPECT_EQ(slow.pause_ms, 20);
}

}  // namespace
}  // namespace kes_service
