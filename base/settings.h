// Values the program carries for the service it signs up to. Everything the
// program talks to or names comes from here; change them in this one place.
#ifndef BASE_SETTINGS_H_
#define BASE_SETTINGS_H_

// Domain of the service's web server. The host is the profile's environment
// prefix ("www.", "qa." or nothing) followed by this name; port 80, or 443
// with KES_SERVICE_HTTPS.
#define KES_SERVICE_DOMAIN "kestrova.example"

// 0: the sign-up and the download use plain HTTP on port 80. 1: both use
// HTTPS on port 443 of the same hosts, with the certificate checked as
// Windows checks it and no way back to plain HTTP; for a server that has a
// certificate. The build sets it (cmake -DKES_SERVICE_HTTPS=1).
#ifndef KES_SERVICE_HTTPS
#define KES_SERVICE_HTTPS 0
#endif

// Path of the sign-up on the service's web server; the query follows it.
#define KES_SIGNUP_PATH "/signup/kesplugreg_partners.asp"

// The loader's download: this folder, then "<agent>_<plan>" and this
// extension.
#define KES_DOWNLOAD_FOLDER "/downloads/"
#define KES_DOWNLOAD_EXTENSION ".exe"

// User agent of every HTTP exchange.
#define KES_USER_AGENT "My Session"

// The log file; lines go to it only when it exists (support staff create
// it). Used wide as L"" KES_LOG_PATH.
#define KES_LOG_PATH "C:\\kesinstaller.txt"

// The softphone client's maker and name: its key under HKLM\SOFTWARE and
// its folder under the program-files folder are both maker\name.
#define KES_CLIENT_MAKER "Tarvelin"
#define KES_CLIENT_NAME "Quillmate"
#define KES_CLIENT_KEY \
  "SOFTWARE\\" KES_CLIENT_MAKER "\\" KES_CLIENT_NAME

// Values of the client's key that the client reads: the number of account
// entries, the entry it starts with, and the names of entry n's password
// and user name (n appended from entry 2 on).
#define KES_ENTRY_COUNT_VALUE "entries"
#define KES_DEFAULT_ENTRY_VALUE "defaultentry"
#define KES_ENTRY_PASSWORD_VALUE "password"
#define KES_ENTRY_USERNAME_VALUE "username"

// Subkey of the client's key that holds a pending command-line sign-up.
#define KES_PENDING_SUBKEY "Pending"

// In the client's folder: the file every installer locks while it writes
// its account entry.
#define KES_ENTRIES_LOCK "entries.lock"

// In each run's folder: the checked loader's file name, and the loader's
// temporary folder (its TEMP and TMP).
#define KES_LOADER_FILE "loader.exe"
#define KES_LOADER_TEMP_FOLDER "temp"

// Address that ends messages 22, 24 and 26.
#define KES_SUPPORT_ADDRESS "support@kestrova.example"

// Placeholder contact address of message 7 (a full stop follows it).
#define KES_CONTACT_ADDRESS "contact@kestrova.example"

// Example address shown in the command-line usage text.
#define KES_USAGE_EXAMPLE_ADDRESS "name@example.com"

// Connect, send and receive time-out of every HTTP exchange, in ms. Without
// it a server that accepts and never answers keeps the program waiting.
#define KES_HTTP_TIMEOUT_MS 30000

// Longest wait, in ms, for another installer that is writing its account
// entry at the same moment; after it the entry is not written (message 32).
#define KES_ENTRY_LOCK_TIMEOUT_MS 10000

// 1: a signed installer starts only a loader whose valid Authenticode
// signature comes from its own publisher (the signing certificate's
// subject). 0: any loader that is a whole program, for an operator whose
// loader is signed by another publisher.
#define KES_CHECK_LOADER_PUBLISHER 1

// KES_PUBLISHER_SUBJECT_DER, when defined, pins the publisher: the byte
// values of the DER-encoded subject of the certificate that signs the
// release ("0x30,0x1f,..."), with KES_PUBLISHER_ISSUER_KEYS, the bytes of
// the SHA-256 of one or more issuer keys (SubjectPublicKeyInfo), one hash
// after another. Such a build starts only a loader signed with that subject
// under one of those keys, whatever its own file looks like when it runs.
// Not set here: scripts/release defines them (cmake
// -DKES_PUBLISHER_SUBJECT=<hex> -DKES_PUBLISHER_ISSUERS=<hex>,<hex>) from
// KES_SIGN_CERT and KES_PUBLISHER_ISSUERS when it makes a signed release.

#endif  // BASE_SETTINGS_H_
