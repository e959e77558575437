#include "delivery/hls_segment_decrypt.h"

#include "delivery/aes_decrypt.h"
#include "platform/window.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

bool DecryptSegmentPart(const SegmentDecryption& work)
{
    std::string cipher;
    if (std::ifstream in{work.part, std::ios::binary})
        cipher.assign(std::istreambuf_iterator<char>(in), {});
    std::string plain;
    const bool ok = DecryptAes128Cbc(work.key, work.iv, cipher, plain);
    std::error_code ec;
    fs::remove(work.part, ec);
    if (!ok)
        return false;
    // Written beside the file and renamed, so that a reader of the file
    // never meets half a segment.
    const std::string clear = work.file + ".clear";
    {
        std::ofstream out(clear, std::ios::binary | std::ios::trunc);
        out.write(plain.data(), static_cast<std::streamsize>(plain.size()));
        if (!out.flush()) {
            fs::remove(clear, ec);
            return false;
        }
    }
    fs::rename(clear, work.file, ec);
    return !ec;
}

void StartSegmentDecrypt(HWND window, UINT msg, LPARAM number, const SegmentDecryption& work)
{
    const auto run = [window, msg, number](const SegmentDecryption& job) {
        platform::PostMessage(window, msg, DecryptSegmentPart(job) ? 1 : 0, number);
    };
    try {
        std::thread(run, work).detach();
    } catch (const std::system_error&) {
        // No thread to be had: done here, and heard the same way.
        run(work);
    }
}
