// The player's encoders, as the simulated player offers them (host/encoders.h): the formats
// listed, their extensions, conversions on threads of their own that send their progress to
// the caller's window and post their end, and tags copied from file to file.
#pragma once
#include <windows.h>
#include <map>
#include <string>
#include <vector>

// What a source does when it is converted.
enum class SimSource {
    Converts,     // converted whole: the output names the format and the source, then its bytes
    Undecodable,  // 515 refuses it, with an error text
    Broken,       // ends early, with an output of a few bytes
    Slow,         // takes a minute, saying how far it is, until it is told to stop
};

struct SimConversion;

struct EncoderSimulator {
    // The formats offered, in order: their codes and descriptions.
    std::vector<std::pair<std::string, std::string>> formats = {{"MP3l", "MP3"}, {"AACf", "AAC (.m4a)"}};
    std::map<std::wstring, SimSource> sources;  // by path; a source not listed converts
    // What a conversion writes, by its source's path, where it is not the header and the
    // source's bytes: the encoder's own size for the song's length.
    std::map<std::wstring, size_t> outputBytes;
    std::vector<std::pair<std::wstring, std::wstring>> tagsCopied;  // 1299's source and destination
    std::vector<int> priorities;   // what 517 was given
    int started = 0, ended = 0;    // 515 started, 516 ended
    std::map<void*, SimConversion*> running;  // by the caller's request
    // The player's own work: its conversions, without the time the caller took to take their
    // word, and its answers to these requests.
    double secondsConverting = 0;
};

// Answers 510, 514 to 518 and 1299; false for any other request. `version` is the player's:
// 518 is a fault below 5.55.
bool AnswerEncoderRequest(EncoderSimulator* encoders, uint32_t version, WPARAM wParam, LPARAM code,
                          LRESULT* answer, std::vector<std::string>* faults);
// Ends every conversion still running, as the player does when it closes.
void EndEveryConversion(EncoderSimulator* encoders);

// The first bytes of what converting `source` to `format` writes.
std::string ConversionHeader(const std::string& format, const std::wstring& source);
