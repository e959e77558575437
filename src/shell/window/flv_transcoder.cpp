#include "shell/window/flv_transcoder.h"

#include "delivery/cache_file_reader.h"
#include "delivery/flv_cache.h"
#include "delivery/play_request_manager.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <cstdio>
#include <unistd.h>

namespace {
std::uint64_t g_transcodeSerial = 0;
}

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
    path_ = GetCacheFolder() + "transcoded-" + std::to_string(::getpid()) + "-" + std::to_string(g_transcodeSerial);
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
    process_->start(ffmpeg, arguments);
    if (!process_->waitForStarted(5000)) {
        process_.reset();
        return {};
    }
    return server_.BuildPlayUrl(key_);
}

void CFlvTranscoder::Stop()
{
    if (process_) {
        process_->disconnect();
        process_->kill();
        process_->waitForFinished(2000);
        process_.reset();
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
