#pragma once
// What quelt is asked to do by its one argument: a video file to play (in
// quotes or not), "uninstall", the address of a video page whose stream is
// to be found and played, or the address of a stream itself (ending in
// .flv or .mp4) to add to the play list and play. Any other argument is
// taken for a path; when it names no file, the request says why.
#include <string>

// Why a path given on the command line plays nothing.
enum class PathProblem { None, Missing, Folder, NotAFile };

struct StartRequest {
    std::string pendingKey;  // an existing file
    std::string streamUrl;   // an http(s) address of a .flv or .mp4 file
    std::string pageUrl;     // any other http(s) address: a page to detect
    bool uninstall = false;
    std::string badPath;     // a path that names no file to play
    PathProblem problem = PathProblem::None;
    bool verbose = false;    // "--verbose": the browser engine's messages too
};

StartRequest ParseCommandLine(std::string argument);
// The program's arguments (argv[0] is the program): "--verbose" wherever
// it stands, and the first other argument read by ParseCommandLine.
StartRequest ParseArguments(int argc, const char* const* argv);
// Whether "--verbose" is among the arguments (known before the rest is read).
bool AsksForVerbose(int argc, const char* const* argv);

// A second start given a bad path ends with this code and hands nothing
// to the running instance.
constexpr int kExitBadArgument = 2;

// Why the bad path plays nothing: for the terminal, and for the status
// line (from the string table). Empty without a problem.
std::string BadPathReason(const StartRequest& request);
std::string BadPathStatus(const StartRequest& request);

// The title a stream address gets in the play list: its file name.
std::string StreamTitle(const std::string& url);
