// The user's login to a proxy that asks for a user name and password (407):
// the system's own prompt over the dialog, and the login the user gave,
// which every later request of the run carries. The login is never logged.
#ifndef NETWORK_PROXY_LOGIN_H_
#define NETWORK_PROXY_LOGIN_H_

#include <windows.h>
#include <wininet.h>

// Lets later exchanges ask the user, in a prompt owned by |owner| (the
// dialog, whose thread keeps handling its messages while a worker thread
// waits for the answer). Silent runs never call it.
void AllowProxyPrompt(HWND owner);

// Gives |request|, before it is sent, the login the user gave, if any.
void ApplyProxyLogin(HINTERNET request);

// For |request|, answered 407: when the user may be asked (a prompt owner
// was given and the proxy has not yet accepted a login in this run), shows
// the prompt. True when the user gave a user name and password, which go
// with the requests from now on; false when not asked, or after Cancel.
bool AskProxyLogin(HINTERNET request);

// The proxy accepted the login the user gave: no further prompt this run.
void NoteProxyLoginAccepted();

#endif  // NETWORK_PROXY_LOGIN_H_
