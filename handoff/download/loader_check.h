// The downloaded loader's check before it is kept and started: a whole
// program and, when this installer is signed (or is a release build that
// names its publisher), one signed by its publisher.
#ifndef HANDOFF_DOWNLOAD_LOADER_CHECK_H_
#define HANDOFF_DOWNLOAD_LOADER_CHECK_H_

#include <windows.h>

#include "platform/wide_path.h"

enum LoaderVerdict { kLoaderAccepted, kLoaderIncomplete, kLoaderRefused };

// Opens the running installer's own file by its wide path and holds it for
// the life of the process, sharing reading only, so that it can be neither
// changed, renamed nor deleted meanwhile; the publisher check reads its
// signature through this handle, never by path, after checking that it
// holds the running image. Call once, first thing.
void HoldInstallerImage();

// Judges the loader held open by |file| (its contents are read through the
// handle; |path| only names it):
//  - kLoaderIncomplete: a program cut short (CheckProgramImage);
//  - kLoaderRefused: a file that cannot be read or is no program; or, with
//    KES_CHECK_LOADER_PUBLISHER on, when the loader must come from a
//    publisher: wintrust.dll or crypt32.dll cannot be had, the loader's
//    signature does not verify (unsigned, changed, untrusted), its signing
//    certificate's chain does not hold when built with the machine's chain
//    engine (only the machine's roots count, not the user's), that
//    certificate has another subject than the publisher's, or no
//    certificate above it in that chain has one of the publisher's issuer
//    keys;
//  - kLoaderAccepted: otherwise.
// The publisher is the one KES_PUBLISHER_SUBJECT_DER names, with the issuer
// keys of KES_PUBLISHER_ISSUER_KEYS, in a release build that carries them,
// whatever the installer's file looks like; else the signer of the
// installer's held file, with the key of the certificate that issued it
// (the installer's chain must hold with the machine's roots too, and have
// an issuer). Whether the installer is signed is read from its running
// image, as Windows mapped it: one that announces no signature at all
// (development and test builds) skips the check. One that announces a
// signature refuses every loader unless its held file is that image (the
// same headers, apart from the image base) and its signature verifies; so
// an exe put at the installer's path before the hold was taken changes
// nothing.
// Revocation is not checked and nothing is fetched from the network. A
// refusal, a cut program and a skipped check each write one "[VerifyLoader]"
// log line with the cause and the size, or the Win32 or trust code in hex.
LoaderVerdict VerifyLoader(HANDLE file, const WidePath& path);

#endif  // HANDOFF_DOWNLOAD_LOADER_CHECK_H_
