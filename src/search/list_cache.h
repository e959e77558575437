#pragma once
// The disk cache of service lists: "sseting/" in the user's data folder, one
// file per list URL named by the MD5 of the URL, holding the list exactly
// as downloaded (still enciphered).
#include <string>
#include <string_view>

// The cache file's path; the folder is created when missing.
std::string ListCachePath(const std::string& url);
// The whole cached body; false when there is none (or it cannot be read,
// or it is larger than a list can be).
bool ReadListCache(const std::string& url, std::string& body);
// Replaces the cached body at once (never a half-written file).
bool WriteListCache(const std::string& url, std::string_view body);
