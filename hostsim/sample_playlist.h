// A small music collection made on disk for the demo and the screenshots, and its playlist:
// files in nested folders, titles with characters that file names may not hold and with
// Greek and Japanese text, one entry whose file is missing, and beside the songs an album's
// cover and a song's lyrics.
#pragma once
#include <map>
#include <string>
#include <vector>
#include "hostsim/host_simulator.h"

// Makes the files below `folder` (with its closing backslash) and returns the playlist.
// Every present file has contents of its own, so that a copy can be recognised; its size is
// `scale` times its usual one (from 48 to 160 KiB).
std::vector<SimEntry> MakeSamplePlaylist(const std::wstring& folder, int scale = 1);

// The tags the player reads from the sample's files below `folder`, by path: every file has
// them but one, whose copy keeps its playlist title when copies are named by tags.
std::map<std::wstring, SimTags> SampleTags(const std::wstring& folder);

// `count` entries that go round the present entries of `sample` again and again.
std::vector<SimEntry> RepeatPresentEntries(const std::vector<SimEntry>& sample, size_t count);
