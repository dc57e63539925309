// For the tests of what a playlist line may name.
#pragma once
#include <stddef.h>

// Makes the path a playlist line names, relative to the target folder, plain in `relative`
// (backslashes only, no "." or ".." left). False for a line that names no file inside the
// folder: a comment, an empty line, a drive, a leading slash, a ".." that climbs out, a
// wildcard or other reserved character, a name Windows would read otherwise (trailing dots or
// spaces, device names), or a path too long for `capacity`.
bool ResolveListedPath(const wchar_t* line, wchar_t* relative, size_t capacity);
