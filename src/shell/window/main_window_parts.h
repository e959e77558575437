#pragma once
// What the main window uses of the program's managers, which the program
// builds and owns (src/app/program_parts.h); the window builds none of them.
#include "delivery/flv_download_manager.h"
#include "delivery/play_request_manager.h"
#include "search/play_speed_info_manager.h"
#include "shell/player/play_source_router.h"
#include "shell/player/player_surface.h"

struct MainWindowParts {
    CFLVDownloadManager& downloads;
    // The loopback server the player pages load from.
    CPlayRequestManager& playServer;
    // Decides what the play server answers; the window adds its own
    // converted streams to it.
    CPlaySourceRouter& router;
    IStreamDetection& detection;
    // The site names the player shows (may be null).
    const ISiteNames* siteNames = nullptr;
    // The sites' speed test, for the search tabs' manager, which starts it
    // at every network-ready (may be null).
    PlaySpeedInfoManager* speedInfo = nullptr;
};
