#pragma once
// Keeps one service list: the last copy from the disk cache, a version
// probe (the list URL + ".seupdate") and the full list only when the
// service's version is newer. A new list replaces the old one only when it
// deciphered, parsed and held at least one record; only then is it cached
// (as received, still enciphered). Anything else keeps the last good list,
// its version and its cache file.
#include "search/download_file_wnd.h"
#include "search/list_cache.h"
#include "search/list_cipher.h"
#include "search/list_file.h"
#include "search/search_site.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kListVersionSuffix = ".seupdate";

template <typename Base>
class CSettingDownLoader : public FCDownloadFileWndBase<Base> {
public:
    // The current list; when it is empty, first filled from the URL's cache.
    const std::vector<SearchSite>& LoadFromCache(const std::string& url)
    {
        if (!list_.empty())
            return list_;
        std::string body;
        if (ReadListCache(url, body)) {
            const ParsedList parsed = ParseListText(DecipherListFile(body));
            list_ = parsed.records;
            version_ = parsed.version;
        }
        return list_;
    }
    // The cached list, then a probe of the service's version.
    void CheckForUpdate(const std::string& url)
    {
        LoadFromCache(url);
        this->StartDownload(url + std::string(kListVersionSuffix));
    }
    std::string GetCachePath(const std::string& url) const { return ListCachePath(url); }

    const std::vector<SearchSite>& List() const { return list_; }
    std::int32_t Version() const { return version_; }

protected:
    // A newer list has been taken and cached.
    virtual void OnListUpdated(const std::vector<SearchSite>& /*list*/) {}

    void OnListDownloaded(const std::string& url, const char* data, std::size_t length) override
    {
        const std::string_view body(data, length);
        if (url.find(kListVersionSuffix) != std::string::npos) {
            if (version_ < ParseListVersion(body))
                this->StartDownload(WithoutVersionSuffix(url));
            return;
        }
        ParsedList parsed = ParseListText(DecipherListFile(body));
        if (!parsed.loaded || parsed.records.empty())
            return;
        list_ = std::move(parsed.records);
        version_ = parsed.version;
        OnListUpdated(list_);
        WriteListCache(url, body);
    }
    // A version file that cannot be had leads to the list itself.
    void OnDownloadError(const std::string& url) override
    {
        if (url.find(kListVersionSuffix) != std::string::npos)
            this->StartDownload(WithoutVersionSuffix(url));
    }

private:
    static std::string WithoutVersionSuffix(std::string url)
    {
        const std::size_t at = url.find(kListVersionSuffix);
        if (at != std::string::npos)
            url.erase(at, kListVersionSuffix.size());
        return url;
    }

    std::vector<SearchSite> list_;
    std::int32_t version_ = 0;
};
