#pragma once
// The play-list records of a video's further segments: one per segment
// number, keyed by the page key, a blank and the number, placed after the
// page's record in the order of their numbers.
#include "common/composite.h"

#include <string>

class InfoVideo;

// The segment number of a key that is the page key, a blank and a decimal
// number; -1 for any other key.
long SegmentNumberOf(const std::string& key, const std::string& pageKey);

// Gives segment `number` of the page the stream URL: an existing segment
// record (wherever it stands) takes the new URL; otherwise a queued record
// is created right after the page's segment of the nearest lower number,
// else right before the one of the nearest higher number, else right after
// the page's record, whatever order they stand in. Nothing happens when the
// page has no record. Returns the segment's record, or null.
InfoVideo* AddSegmentRecord(PCL_Interface_Composite<InfoVideo>& playList, const std::string& pageKey, long number,
                            const std::string& url);
