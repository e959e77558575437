#include "shell/stats/stat_query.h"

#include "common/md5.h"

#include <cstdio>

namespace {
constexpr const char* kSalt = "k7q_m31_x_5w_j2p";
}

std::string StatCheckValue(const std::string& r, const std::string& clientId)
{
    return Md5Hex(r + clientId + kSalt);
}

std::string BuildStatQuery(const StatQueryInputs& in)
{
    const std::string r = std::to_string(in.tickMs % 1000);
    return "?r=" + r + "&cc=" + in.clientId + "&c=" + StatCheckValue(r, in.clientId) + "&channel=" + in.channel
           + "&v=" + in.version + "&ind=" + in.installDate + "&int=" + std::to_string(in.runTimes);
}

std::string ClientIdFromIdentity(const std::optional<std::string>& identity)
{
    return Md5Hex(identity && !identity->empty() ? *identity : std::string("0"));
}

std::string ChannelFromValue(const std::string& value)
{
    const std::size_t slash = value.find_last_of("/\\");
    std::string name = slash == std::string::npos ? value : value.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

std::optional<long long> HoursSinceInstall(const std::string& installDate, std::time_t now)
{
    int year = 0, month = 0, day = 0;
    if (installDate.size() != 8 || std::sscanf(installDate.c_str(), "%4d%2d%2d", &year, &month, &day) != 3)
        return std::nullopt;
    std::tm date{};
    date.tm_year = year - 1900;
    date.tm_mon = month - 1;
    date.tm_mday = day;
    date.tm_isdst = -1;
    const std::time_t installed = std::mktime(&date);
    if (installed == static_cast<std::time_t>(-1) || month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    return static_cast<long long>(now - installed) / 3600;
}

std::string TodayAsInstallDate(std::time_t now)
{
    std::tm local{};
    if (!localtime_r(&now, &local))
        return {};
    char text[16];
    return std::strftime(text, sizeof text, "%Y%m%d", &local) ? text : "";
}
