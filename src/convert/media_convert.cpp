#include "convert/media_convert.h"

#include "convert/coder/join_options.h"
#include "convert/convert_formats.h"
#include "convert/encoder_process.h"
#include "convert/file_copy.h"
#include "convert/library_folder.h"
#include "convert/media_library.h"
#include "convert/process_sweep.h"
#include "convert/temp_names.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <condition_variable>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

using namespace convert;

namespace {

// The encoder has been killed by then, but its ffmpeg may still be
// closing the output file.
constexpr auto kSettleAfterFailure = std::chrono::milliseconds(500);

std::string TrimBlanks(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool HasBlank(const std::string& path)
{
    return path.find(' ') != std::string::npos;
}

bool CanReadStart(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char start[10];
    const bool ok = read(fd, start, sizeof start) >= 0;
    close(fd);
    return ok;
}

bool IsNonEmptyFile(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

std::string LastLine(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    const auto start = text.find_last_of("\r\n");
    return start == std::string::npos ? text : text.substr(start + 1);
}

void RemoveIfSet(const std::string& path)
{
    if (!path.empty())
        std::remove(path.c_str());
}

}  // namespace

struct CMediaConvert::State {
    // 1 when no conversion runs and the last result has been delivered.
    std::atomic<int> finished{1};
    // 1 when a new conversion may start: from just before the result is
    // delivered, so that the next one can be started from inside it.
    std::atomic<int> accepting{1};
    std::atomic<int> cancel{0};
    std::atomic<bool> ownerGone{false};
    // Held while a notification runs and while the owner lets go of its
    // worker (recursive: a result may start the next conversion, whose
    // unreadable source is reported at once on the same thread).
    std::recursive_mutex notifying;
    // The owner let go (ReleaseConvert): its destructor need not wait.
    std::atomic<bool> released{false};
    std::mutex lock;  // guards running and the changes of finished and accepting
    std::condition_variable changed;
    int running = 0;
};

struct CMediaConvert::Job {
    int format;
    std::string source;
    std::string destination;
    std::vector<std::vector<std::string>> tracks;
};

namespace {
// The object whose result the calling thread is delivering, so that an
// object deleted from inside its own notification does not wait for itself.
thread_local const CMediaConvert* deliveringResultOf = nullptr;
constexpr auto kDestructionWait = std::chrono::seconds(6);
}  // namespace

CMediaConvert::CMediaConvert() : m_state(std::make_shared<State>()) {}

CMediaConvert::CMediaConvert(const CMediaConvert& other)
    : m_format(other.m_format),
      m_source(other.m_source),
      m_destination(other.m_destination),
      m_state(std::make_shared<State>())
{
    m_state->finished = other.m_state->finished.load();
    m_state->accepting = other.m_state->finished.load();
    m_state->cancel = other.m_state->cancel.load();
}

CMediaConvert& CMediaConvert::operator=(const CMediaConvert& other)
{
    if (this != &other) {
        m_format = other.m_format;
        m_source = other.m_source;
        m_destination = other.m_destination;
        std::lock_guard<std::mutex> hold(m_state->lock);
        if (m_state->running == 0) {
            m_state->finished = other.m_state->finished.load();
            m_state->accepting = other.m_state->finished.load();
        }
        m_state->cancel = other.m_state->cancel.load();
    }
    return *this;
}

CMediaConvert::~CMediaConvert()
{
    m_state->ownerGone = true;
    m_state->cancel = 1;
    if (deliveringResultOf == this || m_state->released)
        return;
    std::unique_lock<std::mutex> hold(m_state->lock);
    if (!m_state->changed.wait_for(hold, kDestructionWait, [this] { return m_state->running == 0; }))
        std::fprintf(stderr, "Convert: a conversion worker did not end in time\n");
}

int CMediaConvert::StartConvert(const FILEINFO& info)
{
    if ((info.source.empty() && info.tracks.empty()) || info.destination.empty())
        return 0;
    {
        std::lock_guard<std::mutex> hold(m_state->lock);
        if (!m_state->accepting)
            return 0;
        m_state->accepting = 0;
        m_state->finished = 0;
        ++m_state->running;
    }
    m_state->cancel = 0;
    m_format = info.format;
    m_source = TrimBlanks(info.source);
    m_destination = TrimBlanks(info.destination);
    if (info.format == kCopyFlvFormat)
        m_destination += ".flv";
    else if (info.format == kCopyMp4Format)
        m_destination += ".mp4";

    const auto backOut = [this] {
        std::lock_guard<std::mutex> hold(m_state->lock);
        --m_state->running;
        m_state->accepting = 1;
        m_state->finished = m_state->running == 0 ? 1 : 0;
    };
    const bool copy = info.format == kCopyFlvFormat || info.format == kCopyMp4Format;
    const bool readable = info.tracks.empty()
                              ? copy || CanReadStart(m_source)
                              : std::all_of(info.tracks.begin(), info.tracks.end(), [](const auto& track) {
                                    return !track.empty() && CanReadStart(track.front());
                                });
    if (!readable) {
        backOut();
        OnFinishResult(MEDIA_CONVERT_SOURCE_UNREADABLE);
        return 0;
    }
    try {
        std::thread(&CMediaConvert::StartConvertThread, this, m_state, Job{m_format, m_source, m_destination, info.tracks})
            .detach();
    } catch (const std::system_error&) {
        backOut();
        OnFinishResult(MEDIA_CONVERT_FAILED);
        return 1;
    }
    return 0;
}

void CMediaConvert::EndConvert()
{
    m_state->cancel = 1;
}

void CMediaConvert::EndAllConvert()
{
    TerminateProcessesRunning(EncoderPath());
}

void CMediaConvert::ReleaseConvert()
{
    m_state->cancel = 1;
    // Waits for a notification that is running right now.
    std::lock_guard<std::recursive_mutex> hold(m_state->notifying);
    m_state->ownerGone = true;
    m_state->released = true;
}

int CMediaConvert::IsFinishConvert() const
{
    return m_state->finished.load();
}

void CMediaConvert::OnFinishRate(float) {}

void CMediaConvert::OnFinishResult(MEDIA_CONVERT_RESULT) {}

void CMediaConvert::StartConvertThread(void* self, std::shared_ptr<State> state, Job job)
{
    auto* object = static_cast<CMediaConvert*>(self);
    const MEDIA_CONVERT_RESULT result = Convert(object, *state, job);
    state->cancel = 0;
    {
        std::lock_guard<std::mutex> hold(state->lock);
        state->accepting = 1;
    }
    {
        std::lock_guard<std::recursive_mutex> hold(state->notifying);
        if (!state->ownerGone) {
            deliveringResultOf = object;
            object->OnFinishResult(result);
            deliveringResultOf = nullptr;
        }
    }
    // From here on the object may be gone; only the shared state is used.
    std::lock_guard<std::mutex> hold(state->lock);
    --state->running;
    if (state->running == 0 && state->accepting)
        state->finished = 1;
    state->changed.notify_all();
}

void CMediaConvert::NotifyRate(CMediaConvert* self, State& state, float rate)
{
    std::lock_guard<std::recursive_mutex> hold(state.notifying);
    if (!state.ownerGone && !state.cancel)
        self->OnFinishRate(rate);
}

MEDIA_CONVERT_RESULT CMediaConvert::Convert(CMediaConvert* self, State& state, const Job& job)
{
    if (!job.tracks.empty())
        return ConvertTracks(self, state, job);
    if (job.format == kCopyFlvFormat || job.format == kCopyMp4Format) {
        const bool copied = CopyFileWithProgress(job.source, job.destination, &state.cancel,
                                                 [&](float rate) { NotifyRate(self, state, rate); });
        return copied ? MEDIA_CONVERT_SUCCEEDED : MEDIA_CONVERT_FAILED;
    }
    return ConvertWithEncoder(self, state, job);
}

MEDIA_CONVERT_RESULT CMediaConvert::ConvertWithEncoder(CMediaConvert* self, State& state, const Job& job,
                                                      float rateFrom)
{
    const FormatPreset* preset = FindPreset(job.format);
    if (!preset)
        return MEDIA_CONVERT_UNKNOWN_FORMAT;

    // The temporary copies keep blanks out of the paths the encoder sees.
    std::string input = job.source;
    std::string tempInput;
    if (HasBlank(job.source)) {
        const std::string base = ReserveTempFile(".flv");
        if (base.empty())
            return MEDIA_CONVERT_FAILED;
        tempInput = base + ".flv";
        if (!CopyFileWithProgress(job.source, tempInput, &state.cancel, nullptr)) {
            std::remove(tempInput.c_str());
            return MEDIA_CONVERT_FAILED;
        }
        input = tempInput;
    }
    std::string outputBase = job.destination;
    std::string tempOutput;
    if (HasBlank(job.destination)) {
        // A base of its own, even when the input is a temporary copy: the
        // ".flv" output of format 28 would otherwise overwrite its input.
        outputBase = ReserveTempFile(preset->extension);
        if (outputBase.empty()) {
            RemoveIfSet(tempInput);
            return MEDIA_CONVERT_FAILED;
        }
        tempOutput = outputBase + preset->extension;
    }
    const std::string expectedOutput = outputBase + preset->extension;

    const EncoderOutcome outcome =
        RunEncoder(EncoderPath(), BuildEncoderArguments(*preset, input, outputBase), state.cancel,
                   [&](float rate) { NotifyRate(self, state, rateFrom + rate * (1.0f - rateFrom)); });
    if (!outcome.Succeeded()) {
        if (outcome.started && !outcome.cancelled)
            std::fprintf(stderr, "Convert: coder ended with code %d: %s\n", outcome.exitCode,
                         LastLine(outcome.lastOutput).c_str());
        std::this_thread::sleep_for(kSettleAfterFailure);
        RemoveIfSet(tempInput);
        RemoveIfSet(tempOutput);
        std::remove(expectedOutput.c_str());
        return MEDIA_CONVERT_FAILED;
    }
    if (outcome.reportedRate)
        NotifyRate(self, state, 1.0f);

    RemoveIfSet(tempInput);
    const std::string finalPath = job.destination + preset->extension;
    if (!tempOutput.empty()) {
        if (!MoveFile(tempOutput, finalPath)) {
            std::remove(tempOutput.c_str());
            return MEDIA_CONVERT_FAILED;
        }
        // The temporary name was reserved for this process alone (0600);
        // the result is a file the user saves.
        ::chmod(finalPath.c_str(), UserFileMode());
    }
    if (!IsNonEmptyFile(finalPath))
        return MEDIA_CONVERT_FAILED;
    if (preset->library != LibraryKind::None && AddToMediaLibrary(finalPath, preset->library).empty())
        return MEDIA_CONVERT_LIBRARY_ADD_FAILED;
    return MEDIA_CONVERT_SUCCEEDED;
}

// The tracks' list files go to the temporary folder, the joined MP4 to a
// hidden sibling of output that takes output's name only when ffmpeg
// succeeded; nothing of either is left after a failure or a cancel.
// rateShare: the part of the whole rate that the join stands for.
bool CMediaConvert::JoinTracks(CMediaConvert* self, State& state, const Job& job, const std::string& output,
                               float rateShare)
{
    std::vector<std::string> lists;
    const auto removeLists = [&] {
        for (const std::string& list : lists)
            std::remove(list.c_str());
    };
    for (const auto& track : job.tracks) {
        const std::string base = ReserveTempFile(".txt");
        if (base.empty()) {
            removeLists();
            return false;
        }
        lists.push_back(base + ".txt");
        std::ofstream list(lists.back(), std::ios::binary | std::ios::trunc);
        // "file:" keeps a name with a colon from being read as a protocol.
        for (const std::string& file : track)
            list << "file:" << file << "\n";
        if (!list.flush()) {
            removeLists();
            return false;
        }
    }
    const std::filesystem::path target(output);
    const std::string partial = (target.parent_path() / ("." + target.filename().string() + ".part")).string();
    std::vector<std::string> args = {coder::kJoinOption, partial};
    args.insert(args.end(), lists.begin(), lists.end());
    const EncoderOutcome outcome = RunEncoder(EncoderPath(), args, state.cancel,
                                              [&](float rate) { NotifyRate(self, state, std::min(rate, 1.0f) * rateShare); });
    removeLists();
    if (!outcome.Succeeded()) {
        if (outcome.started && !outcome.cancelled)
            std::fprintf(stderr, "Convert: joining the segments failed (code %d): %s\n", outcome.exitCode,
                         LastLine(outcome.lastOutput).c_str());
        std::this_thread::sleep_for(kSettleAfterFailure);
        std::remove(partial.c_str());
        return false;
    }
    if (!IsNonEmptyFile(partial) || std::rename(partial.c_str(), output.c_str()) != 0) {
        std::remove(partial.c_str());
        return false;
    }
    ::chmod(output.c_str(), UserFileMode());
    return true;
}

// A segmented video: format 30 keeps the joined MP4 itself; any other
// format converts a joined MP4 of the temporary folder, which goes after.
MEDIA_CONVERT_RESULT CMediaConvert::ConvertTracks(CMediaConvert* self, State& state, const Job& job)
{
    if (job.format == kCopyMp4Format) {
        const bool joined = JoinTracks(self, state, job, job.destination, 1.0f);
        if (joined)
            NotifyRate(self, state, 1.0f);
        return joined ? MEDIA_CONVERT_SUCCEEDED : MEDIA_CONVERT_FAILED;
    }
    if (!FindPreset(job.format))
        return MEDIA_CONVERT_UNKNOWN_FORMAT;
    const std::string base = ReserveTempFile(".mp4");
    if (base.empty())
        return MEDIA_CONVERT_FAILED;
    const std::string joined = base + ".mp4";
    constexpr float kJoinShare = 0.5f;
    if (!JoinTracks(self, state, job, joined, kJoinShare)) {
        std::remove(joined.c_str());
        return MEDIA_CONVERT_FAILED;
    }
    // The conversion's rate follows on from the join's.
    Job convert{job.format, joined, job.destination, {}};
    const MEDIA_CONVERT_RESULT result = ConvertWithEncoder(self, state, convert, kJoinShare);
    std::remove(joined.c_str());
    return result;
}
