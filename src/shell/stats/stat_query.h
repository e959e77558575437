#pragma once
// The query every usage report carries, and the pieces it is made of:
// "?r=%s&cc=%s&c=%s&channel=%s&v=%s&ind=%s&int=%d", values as they are.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

struct StatQueryInputs {
    std::uint32_t tickMs = 0;   // the millisecond tick count; "r" is it modulo 1000
    std::string clientId;       // "cc"
    std::string channel;
    std::string version;        // "v"
    std::string installDate;    // "ind"
    int runTimes = 0;           // "int"
};

std::string BuildStatQuery(const StatQueryInputs& inputs);
// MD5 of r, cc and the salt "k7q_m31_x_5w_j2p", as 32 lower-case hex digits.
std::string StatCheckValue(const std::string& r, const std::string& clientId);
// MD5 of the disk identity text, or of "0" without one; any bytes will do.
std::string ClientIdFromIdentity(const std::optional<std::string>& identity);
// The file-name part of the stored channel, without folder and extension.
std::string ChannelFromValue(const std::string& value);
// Whole hours since the install date ("%Y%m%d", local midnight); nullopt
// for a date that cannot be read.
std::optional<long long> HoursSinceInstall(const std::string& installDate, std::time_t now);
// Today's local date as "%Y%m%d".
std::string TodayAsInstallDate(std::time_t now);
