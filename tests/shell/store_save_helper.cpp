// Runs settings saves in a process of its own, so that tests can kill it at
// any moment or starve it of disk space.
//   store_save_helper loop <path>            saves two versions alternately until
//                                            killed; writes one byte to stdout
//                                            before each save
//   store_save_helper limited <path> <bytes> saves once with the file size limited
//                                            to bytes; exit 0 when Save reported a
//                                            failure, 1 when it claimed success
#include "sample_setting.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "loop") == 0) {
        CAppSetting versions[2];
        FillSample(versions[0], 1, kCrashTestRecords);
        FillSample(versions[1], 2, kCrashTestRecords);
        for (unsigned round = 0;; ++round) {
            if (::write(STDOUT_FILENO, "s", 1) != 1)
                return 2;
            versions[round % 2].Save(argv[2]);
        }
    }
    if (argc >= 4 && std::strcmp(argv[1], "limited") == 0) {
        // Past the limit, writes fail with EFBIG as on a full disk, even for root.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = std::strtoull(argv[3], nullptr, 10);
        const rlimit fileSize{limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
            return 2;
        CAppSetting setting;
        FillSample(setting, 2, kCrashTestRecords);
        return setting.Save(argv[2]) ? 1 : 0;
    }
    return 2;
}
