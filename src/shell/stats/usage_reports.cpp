#include "shell/stats/usage_reports.h"

#include "common/app_folder.h"
#include "platform/disk_identity.h"
#include "platform/key_value_store.h"
#include "shell/settings/app_setting.h"
#include "shell/stats/ini_file.h"
#include "shell/stats/stat_query.h"

#include <chrono>
#include <ctime>

namespace {

constexpr int kBufferSize = 8192;

std::uint32_t TickMs()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

CStatQuerySource::CStatQuerySource(const CAppSetting& settings) : settings_(settings) {}

const std::string& CStatQuerySource::ClientId() const
{
    if (!read_) {
        clientId_ = ClientIdFromIdentity(platform::ReadDiskIdentity());
        channel_ = ChannelFromValue(platform::ReadStoredValue("AppChannel").value_or(""));
        read_ = true;
    }
    return clientId_;
}

const std::string& CStatQuerySource::Channel() const
{
    ClientId();
    return channel_;
}

std::string CStatQuerySource::BuildStatQuery() const
{
    StatQueryInputs inputs;
    inputs.tickMs = TickMs();
    inputs.clientId = ClientId();
    inputs.channel = Channel();
    inputs.version = IniFileValue(GetAppFolder() + "update_config.x", "info", "ver", 259);
    inputs.installDate = settings_.installDate;
    inputs.runTimes = settings_.runTimes;
    return ::BuildStatQuery(inputs);
}

CDayRunCount::CDayRunCount(const CStatQuerySource& query, std::string host) : query_(query), host_(std::move(host))
{
    Create();
}

CDayRunCount::~CDayRunCount()
{
    StopAllTasks();
}

void CDayRunCount::SendUseReport(int delayMs)
{
    AddTask(host_ + "/count/soft_use.php" + query_.BuildStatQuery(), 0, -1, false, {}, {}, kBufferSize, delayMs);
}

// The next report an hour after this one ended, whatever its outcome.
void CDayRunCount::OnTaskFinish(HttpTask*, bool)
{
    SendUseReport(intervalMs_);
}

CClientCountManager::CClientCountManager(CAppSetting& settings, const CStatQuerySource& query, std::string host,
                                         std::string onlineHost)
    : settings_(settings), query_(query), host_(std::move(host)), onlineHost_(std::move(onlineHost))
{
    Create();
}

CClientCountManager::~CClientCountManager()
{
    StopAllTasks();
}

void CClientCountManager::SendInstallReport()
{
    if (!settings_.firstRun)
        return;
    settings_.firstRun = 0;
    settings_.installDate = TodayAsInstallDate(std::time(nullptr));
    AddTask(host_ + "/count/soft_install.php" + query_.BuildStatQuery(), 0, -1, false, {}, {}, kBufferSize, 0);
}

void CClientCountManager::SendOnlineReport()
{
    AddTask(onlineHost_ + "/count/soft_online.php" + query_.BuildStatQuery(), 0, -1, false, {}, {}, kBufferSize, 0);
}

std::string BuildUninstallReportUrl(const CAppSetting& settings, const CStatQuerySource& query, const std::string& host)
{
    std::string url = host + "/count/soft_uninstall.php" + query.BuildStatQuery();
    if (const auto hours = HoursSinceInstall(settings.installDate, std::time(nullptr)))
        url += "&life=" + std::to_string(*hours);
    return url;
}
