// Every text the user sees, fetched by number through the host's language service at the
// moment of use, so that a language pack can replace it; and the caption of every box.
#pragma once
#include <stdint.h>

extern const wchar_t VersionText[];      // "1.11"
extern const char VersionTextNarrow[];   // "1.11"

// The service's text for `number`, or null when the service does not handle it (or there
// is no service). The text is the service's; never free it. The host answers every fetch
// without a buffer through one buffer per thread, which the next such fetch overwrites: use
// the text before fetching another, or fetch into a buffer of your own.
const wchar_t* FetchText(uint32_t number);
// Asks the service to put the text into the caller's buffer; returns the service's pointer
// or null.
const wchar_t* FetchText(uint32_t number, wchar_t* buffer, int capacity);
const char* FetchTextNarrow(uint32_t number);
// For strings added after language packs were made: the service's text, or the module's
// own when the service gives none (or an empty one), in the caller's buffer. Null only when
// neither has it.
const wchar_t* FetchTextOrOwn(uint32_t number, wchar_t* buffer, int capacity);

// A size in the read-outs' form: "12.3 MiB", "1,536.0 MiB", with "+" in front while
// `counting`. Rounded to the nearest tenth of a MiB; the unit is string 2 (left out when it
// is missing).
void FormatSizeText(wchar_t* text, uint32_t capacity, uint32_t kib, bool counting);
// A byte count in the same form, rounded to a tenth of a MiB up or down: a need is never
// shown smaller than it is, nor a free space larger.
enum class SizeRounding { Up, Down };
void FormatByteSize(wchar_t* text, uint32_t capacity, uint64_t bytes, SizeRounding rounding);
// Whole KiB of a byte count, stopping at the largest the read-outs take.
uint32_t WholeKib(uint64_t bytes);

// Builds SharedCaption from string 1 unless it is built already. While string 1 yields
// nothing it stays empty, and the next caller tries again.
void EnsureCaption();
