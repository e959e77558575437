#pragma once
// The conversion library's one exported class: converts a saved video into
// another format with the encoder program "coder" from the library's own
// folder, or copies it, on a worker thread of its own. Users derive from it
// and override the two notifications.
#include <memory>
#include <string>
#include <vector>

#define CONVERT_API __attribute__((visibility("default")))

struct FILEINFO {
    int format = 0;           // output format number, 1..30
    std::string source;       // the file to convert
    std::string destination;  // without extension for 1-28; 29 and 30 append ".flv" / ".mp4"
    // A video cached as segments: the files of each track in play order (a
    // TS segment list, or an fMP4 init section and its fragments; one list
    // per track when video and audio come apart). When given, source is not
    // read: the tracks are first joined by stream copy into one MP4, which
    // format 30 keeps as the result and the other formats convert.
    std::vector<std::vector<std::string>> tracks;
};

enum MEDIA_CONVERT_RESULT {
    MEDIA_CONVERT_FAILED = 0,
    MEDIA_CONVERT_SUCCEEDED = 1,
    MEDIA_CONVERT_SOURCE_UNREADABLE = 2,
    MEDIA_CONVERT_UNKNOWN_FORMAT = 6,
    MEDIA_CONVERT_LIBRARY_ADD_FAILED = 7,  // converted, but not added to the media library
};

class CONVERT_API CMediaConvert {
public:
    CMediaConvert();
    // Copies format, paths and both flags; a copy has no worker of its own.
    CMediaConvert(const CMediaConvert& other);
    CMediaConvert& operator=(const CMediaConvert& other);
    // Asks a running conversion to stop and waits for its worker, at most
    // six seconds; no notification is called once destruction has begun.
    // A class whose notifications block on its own thread must end the
    // conversion (EndConvert, then wait for IsFinishConvert() while handling
    // its messages) before it is destroyed.
    virtual ~CMediaConvert();

    // 0: started, or refused (empty path, already running); 1: the worker
    // could not be started (OnFinishResult(0) has been called). A source
    // that cannot be read gives OnFinishResult(2) before this returns.
    int StartConvert(const FILEINFO& info);
    void EndConvert();
    // Cancels a running conversion and stops its notifications: once it
    // returns, none runs or will be called, and the worker needs nothing of
    // this object any more (it still removes its partial files and ends on
    // its own), so the destructor does not wait for it. A class whose
    // notifications must not outlive its own parts calls it first thing in
    // its destructor; the notifications must then never block on the
    // calling thread (post, do not send), since this waits for one that
    // runs right now.
    void ReleaseConvert();
    // Stops every running encoder started from this library's folder.
    static void EndAllConvert();
    // 1 when no conversion of this object runs and its last result has been
    // delivered.
    int IsFinishConvert() const;

    // Both are called on the worker thread. The rate runs from 0 to 1 and may
    // pass 1 slightly. The result comes exactly once per started conversion;
    // the next conversion may be started from inside it.
    virtual void OnFinishRate(float rate);
    virtual void OnFinishResult(MEDIA_CONVERT_RESULT result);

private:
    struct State;
    struct Job;

    static void StartConvertThread(void* self, std::shared_ptr<State> state, Job job);
    static MEDIA_CONVERT_RESULT Convert(CMediaConvert* self, State& state, const Job& job);
    // rateFrom: the rate already reached when the encoder starts (a join ran before it).
    static MEDIA_CONVERT_RESULT ConvertWithEncoder(CMediaConvert* self, State& state, const Job& job,
                                                   float rateFrom = 0.0f);
    static MEDIA_CONVERT_RESULT ConvertTracks(CMediaConvert* self, State& state, const Job& job);
    static bool JoinTracks(CMediaConvert* self, State& state, const Job& job, const std::string& output,
                           float rateShare);
    static void NotifyRate(CMediaConvert* self, State& state, float rate);

    int m_format = 0;
    std::string m_source;
    std::string m_destination;
    // The finished and cancel flags and the worker count, shared with the
    // workers so that they outlive an object destroyed during a notification.
    std::shared_ptr<State> m_state;
};
