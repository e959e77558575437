#pragma once
// A service list kept by a window of its own, for owners that only need
// the list (or only its cache) to stay fresh.
#include "search/setting_downloader.h"

class CListKeeper : public CSettingDownLoader<CWnd> {
public:
    CListKeeper() { Create(); }
};
