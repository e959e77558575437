#pragma once
// Turns the cipher of an AES-128 segment, kept in its ".part" as it
// arrived, into the segment's clear file. The work needs nothing of the
// stream, so it runs on a worker thread of its own and the user-interface
// thread only hears the result.
#include "platform/window_types.h"

#include <array>
#include <string>

struct SegmentDecryption {
    std::string key;  // 16 bytes
    std::array<unsigned char, 16> iv{};
    std::string part;  // the cipher as it arrived
    std::string file;  // the clear segment, which appears whole (renamed)
};

// Decrypts the part into "<file>.clear", renames that to the file and
// removes the part. False (and no file) when it does not decrypt with its
// key, which is how a wrong key shows itself; the part is removed then too,
// since fetching it again from where it stopped cannot mend it.
bool DecryptSegmentPart(const SegmentDecryption& work);

// Runs DecryptSegmentPart on a worker thread, which then posts msg to
// window with wParam 1 (decrypted) or 0 and lParam the caller's number.
void StartSegmentDecrypt(HWND window, UINT msg, LPARAM number, const SegmentDecryption& work);
