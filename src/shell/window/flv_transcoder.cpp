#include "shell/window/flv_transcoder.h"

#include "delivery/cache_file_reader.h"
#include "delivery/flv_cache.h"
#include "delivery/play_request_manager.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

#include <cerrno>
#include <unistd.h>

namespace {

std::uint64_t g_transcodeSerial = 0;

constexpr std::string_view kFilePrefix = "transcoded-";

// The file of conversion `serial` of this process: "transcoded-<pid>-<n>".
std::string FileName(std::uint64_t serial)
{
    return std::string(kFilePrefix) + std::to_string(::getpid()) + "-" + std::to_string(serial);
}

// The process whose conversion file the name is, if it is one.
std::optional<long> OwnerOf(std::string_view name)
{
    if (!name.starts_with(kFilePrefix))
        return std::nullopt;
    name.remove_prefix(kFilePrefix.size());
    const std::size_t dash = name.find('-');
    const auto digits = [](std::string_view text) {
        return !text.empty() && text.size() <= 18 && text.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (dash == std::string_view::npos || !digits(name.substr(0, dash)) || !digits(name.substr(dash + 1)))
        return std::nullopt;
    return std::strtol(std::string(name.substr(0, dash)).c_str(), nullptr, 10);
}

}  // namespace

CFlvTranscoder::CFlvTranscoder(CPlayRequestManager& server) : server_(server) {}

CFlvTranscoder::~CFlvTranscoder()
{
    Stop();
}

std::vector<std::string> CFlvTranscoder::Arguments(const std::string& sourceUrl)
{
    return {"-nostdin", "-v", "error", "-i", sourceUrl, "-map", "0:v:0?", "-map", "0:a:0?",
            "-c:v", "libx264", "-preset", "veryfast", "-tune", "zerolatency", "-pix_fmt", "yuv420p",
            "-c:a", "aac", "-b:a", "128k", "-f", "flv", "pipe:1"};
}

std::string CFlvTranscoder::Start(const std::string& sourceUrl)
{
    Stop();
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty())
        return {};
    ++g_transcodeSerial;
    key_ = "transcoded:" + std::to_string(g_transcodeSerial);
    path_ = GetCacheFolder() + FileName(g_transcodeSerial);
    std::remove(path_.c_str());
    complete_ = false;

    QStringList arguments;
    for (const std::string& argument : Arguments(sourceUrl))
        arguments << QString::fromStdString(argument);
    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::SeparateChannels);
    process_->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process_.get(), &QProcess::readyReadStandardOutput, process_.get(), [this] { OnOutput(); });
    QObject::connect(process_.get(), &QProcess::finished, process_.get(), [this] { OnFinished(); });
    // Nothing waits for the start: a start that fails ends the stream empty.
    QObject::connect(process_.get(), &QProcess::errorOccurred, process_.get(), [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            OnFinished();
    });
    process_->start(ffmpeg, arguments);
    return server_.BuildPlayUrl(key_);
}

void CFlvTranscoder::Stop()
{
    if (process_) {
        // Killed, not waited for: the process object reaps ffmpeg when the
        // event loop reports its end, and then deletes itself.
        QProcess* process = process_.release();
        process->disconnect();
        if (process->state() == QProcess::NotRunning) {
            delete process;
        } else {
            QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
            QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
                if (error == QProcess::FailedToStart)
                    process->deleteLater();
            });
            process->kill();
        }
    }
    if (!key_.empty()) {
        for (CPlayRequest* request : server_.FindRequestsByKey(key_))
            request->EndRequest();
        std::remove(path_.c_str());
    }
    key_.clear();
    path_.clear();
}

bool CFlvTranscoder::IsRunning() const
{
    return process_ && process_->state() != QProcess::NotRunning;
}

bool CFlvTranscoder::ServesKey(const std::string& key) const
{
    return !key_.empty() && key == key_;
}

// As for a download: the file has every byte so far, pushes bring the rest.
void CFlvTranscoder::ServeRequest(CPlayRequest& request)
{
    request.SetCacheFilePath(path_);
    request.AttachCacheFile(path_);
    if (complete_) {
        request.SetContentLength(GetFileSize64(path_));
        request.SetComplete(true);
    }
}

void CFlvTranscoder::OnOutput()
{
    const QByteArray data = process_->readAllStandardOutput();
    if (data.isEmpty())
        return;
    AppendToCacheFile(path_, data.constData(), static_cast<std::size_t>(data.size()));
    for (CPlayRequest* request : server_.FindRequestsByKey(key_))
        request->PushData(data.constData(), static_cast<std::size_t>(data.size()));
}

void CFlvTranscoder::OnFinished()
{
    OnOutput();
    complete_ = true;
    server_.MarkRequestsComplete(key_);
}

void CFlvTranscoder::SweepLeftovers(const std::string& folder)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        const std::optional<long> pid = OwnerOf(name);
        // A process that runs (or whose state this one may not see) keeps
        // its file.
        if (!pid || *pid == ::getpid() || ::kill(static_cast<pid_t>(*pid), 0) == 0 || errno != ESRCH)
            continue;
        std::filesystem::remove(entry.path(), error);
    }
}
