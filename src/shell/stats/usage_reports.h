#pragma once
// The usage reports: a use report at start and an hour after each one
// (CDayRunCount), the install report once per installation and the online
// report once per run (CClientCountManager), and the uninstall report
// opened in the desktop's browser. Answers are not used and nothing is
// retried but the hourly cycle. The hosts are the settings' defaults in
// service_hosts.h.
#include "delivery/http_task_manager.h"

#include <cstdint>
#include <functional>
#include <string>

class CAppSetting;

// Builds the query from the settings, the installed version, the channel
// and the disk identity (read once and kept for the run).
class CStatQuerySource {
public:
    explicit CStatQuerySource(const CAppSetting& settings);
    std::string BuildStatQuery() const;
    // The client identifier and channel, read on first use.
    const std::string& ClientId() const;
    const std::string& Channel() const;

private:
    const CAppSetting& settings_;
    mutable std::string clientId_;
    mutable std::string channel_;
    mutable bool read_ = false;
};

class CDayRunCount : public FCHttpTaskManager<CWnd> {
public:
    static constexpr int kIntervalMs = 3600000;

    CDayRunCount(const CStatQuerySource& query, std::string host);
    ~CDayRunCount() override;
    void SendUseReport(int delayMs);
    void SetIntervalForTesting(int ms) { intervalMs_ = ms; }

protected:
    void OnTaskFinish(HttpTask* task, bool success) override;

private:
    const CStatQuerySource& query_;
    std::string host_;
    int intervalMs_ = kIntervalMs;
};

class CClientCountManager : public FCHttpTaskManager<CWnd> {
public:
    CClientCountManager(CAppSetting& settings, const CStatQuerySource& query, std::string host, std::string onlineHost);
    ~CClientCountManager() override;
    // Only while "first_run" is set: clears it, records today as the
    // install date, and reports.
    void SendInstallReport();
    void SendOnlineReport();

private:
    CAppSetting& settings_;
    const CStatQuerySource& query_;
    std::string host_;
    std::string onlineHost_;
};

// The uninstall report's address: with "&life=" and the whole hours since
// the install date when that date is known.
std::string BuildUninstallReportUrl(const CAppSetting& settings, const CStatQuerySource& query, const std::string& host);
