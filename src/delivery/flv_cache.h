#pragma once
// The video cache: one file per stream URL in "temp/", named by the MD5 of
// the URL, holding the video's bytes from byte 0 in order.
#include <cstddef>
#include <cstdint>
#include <string>

class InfoVideo;

struct CacheSizes {
    std::int64_t cached = 0;  // size of the cache file, 0 when missing
    std::int64_t total = 0;   // the record's a5
};

std::string GetCacheFolder();                       // GetUserFolders().cache + "temp/"
std::string GetCachePath(const InfoVideo& video);   // empty without a stream URL
CacheSizes GetCacheSizes(const InfoVideo& video);
bool IsComplete(const InfoVideo& video);            // total > 0 and cached >= total
bool IsComplete(const CacheSizes& sizes);           // the same, of sizes already read
// Deletes every file of the cache folder and the HLS folders ("<md5>.hls").
void ClearCache();

// Appends a block at the end of the cache file, creating the file (and the
// cache folder) when missing. The file is opened for this one write only,
// so the play server can read it between blocks. False when it failed.
bool AppendToCacheFile(const std::string& path, const char* data, std::size_t count);
// Deletes the video's cache file, if any.
void DeleteCacheFile(const InfoVideo& video);
// Sum of the sizes of every file in the cache folder.
std::int64_t GetCacheFolderSize();
