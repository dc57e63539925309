// The host requests behind reading an entry's length, for the tests and the benchmarks that
// ask them one by one.
#pragma once
#include <stdint.h>

int PlaylistPosition();
void SetPlaylistPosition(int index);
// Stopped, the current entry's stored length in whole seconds, -1 where the host has not read
// it yet. Playing or paused, the host answers the playing song's length instead, whatever
// entry is current: ask it only while PlayerIsStopped.
int CurrentTrackLength();
// Whether the player is stopped: it answers 1 while playing and 3 while paused.
bool PlayerIsStopped();
// The reader's "length" of `path` in whole seconds, rounded; -1 when it gives none.
int ReaderSeconds(const wchar_t* path);
