#pragma once
// The video cache: one file per stream URL in "temp/", named by the MD5 of
// the URL, holding the video's bytes from byte 0 in order.
#include <cstdint>
#include <string>

class InfoVideo;

struct CacheSizes {
    std::int64_t cached = 0;  // size of the cache file, 0 when missing
    std::int64_t total = 0;   // the record's a5
};

std::string GetCacheFolder();                       // GetAppFolder() + "temp/"
std::string GetCachePath(const InfoVideo& video);   // empty without a stream URL
CacheSizes GetCacheSizes(const InfoVideo& video);
bool IsComplete(const InfoVideo& video);            // total > 0 and cached >= total
// Deletes every file (not folders) of the cache folder.
void ClearCache();
