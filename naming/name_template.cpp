#include "naming/name_template.h"
#include <windows.h>
#include <wchar.h>
#include "files/file_facts.h"
#include "files/name_characters.h"
#include "host/host_link.h"

// --- Fields -----------------------------------------------------------------------------------

// The tags asked of the host, by the names its readers know.
enum Tag {
    ArtistTag, AlbumArtistTag, AlbumTag, TitleTag, TrackTag, DiscTag, YearTag, GenreTag, TagCount
};
static const wchar_t* const TagNames[TagCount] = {L"artist", L"albumartist", L"album", L"title",
                                                  L"track",  L"disc",        L"year",  L"genre"};

enum Field { ArtistField, AlbumArtistField, AlbumField, TitleField, TrackNumberField,
             DiscNumberField, YearField, GenreField, FileNameField, NoField };
static const wchar_t* const FieldNames[NoField] = {L"artist", L"albumartist", L"album",
                                                   L"title", L"tracknumber", L"discnumber",
                                                   L"year", L"genre", L"filename"};

// A field's name is compared without regard to case.
static Field FieldNamed(const wchar_t* name, size_t length)
{
    for (int field = 0; field < NoField; ++field) {
        const wchar_t* known = FieldNames[field];
        if (SameFileName(name, known, length) && !known[length])
            return (Field)field;
    }
    return NoField;
}

TemplateProblem CheckNameTemplate(const wchar_t* text)
{
    const wchar_t* at = text;
    while (*at == L' ')
        ++at;
    if (!*at)
        return TemplateProblem::Empty;
    int depth = 0;
    for (at = text; *at; ++at) {
        if (*at == L'[') {
            ++depth;
        } else if (*at == L']') {
            if (depth-- == 0)
                return TemplateProblem::OpenBracket;
        } else if (*at == L'%') {
            const wchar_t* end = wcschr(at + 1, L'%');
            if (!end)
                return TemplateProblem::OpenPercent;
            if (FieldNamed(at + 1, (size_t)(end - at - 1)) == NoField)
                return TemplateProblem::UnknownField;
            at = end;
        }
    }
    return depth ? TemplateProblem::OpenBracket : TemplateProblem::None;
}

// --- One entry's values ---------------------------------------------------------------------

// Longer values could not make a name anyway.
static const size_t ValueCapacity = MostNameLength + 1;

// The tags of one entry, each asked the first time a field needs it.
struct EntryTags {
    int index;
    const wchar_t* path;
    uint32_t asked;
    wchar_t values[TagCount][ValueCapacity];
};

static const wchar_t* TagOf(EntryTags& tags, Tag tag)
{
    if (!(tags.asked & (1u << tag))) {
        FileMetadata(tags.path, TagNames[tag], tags.values[tag], ValueCapacity);
        tags.asked |= 1u << tag;
    }
    return tags.values[tag];
}

static const wchar_t* EitherTag(EntryTags& tags, Tag first, Tag second)
{
    const wchar_t* value = TagOf(tags, first);
    return *value ? value : TagOf(tags, second);
}

// The digits before any "/" ("3/12" is track 3 of 12), at least `width` of them.
static const wchar_t* NumberOf(const wchar_t* tag, size_t width, wchar_t* scratch)
{
    size_t digits = 0;
    for (const wchar_t* at = tag; *at && *at != L'/' && digits < ValueCapacity - 1; ++at)
        if (*at >= L'0' && *at <= L'9')
            scratch[digits++] = *at;
    size_t pad = digits && digits < width ? width - digits : 0;
    wmemmove(scratch + pad, scratch, digits);
    wmemset(scratch, L'0', pad);
    scratch[digits + pad] = 0;
    return scratch;
}

static const wchar_t* BaseNameOf(const wchar_t* path, wchar_t* scratch)
{
    const wchar_t *name, *extension;
    SplitPath(path, &name, &extension);
    size_t length = (size_t)(extension - name);
    lstrcpynW(scratch, name, (int)(length < ValueCapacity ? length + 1 : ValueCapacity));
    return scratch;
}

// A title tag, else the playlist's title, else the file's own name.
static const wchar_t* TitleOf(EntryTags& tags, wchar_t* scratch)
{
    const wchar_t* title = TagOf(tags, TitleTag);
    if (*title)
        return title;
    wchar_t shown[HostTextCapacity];
    if (CopyPlaylistTitle(tags.index, shown)) {
        lstrcpynW(scratch, shown, (int)ValueCapacity);
        return scratch;
    }
    return BaseNameOf(tags.path, scratch);
}

static const wchar_t* ValueOf(EntryTags& tags, Field field, wchar_t* scratch)
{
    switch (field) {
    case ArtistField: return EitherTag(tags, ArtistTag, AlbumArtistTag);
    case AlbumArtistField: return EitherTag(tags, AlbumArtistTag, ArtistTag);
    case AlbumField: return TagOf(tags, AlbumTag);
    case TitleField: return TitleOf(tags, scratch);
    case TrackNumberField: return NumberOf(TagOf(tags, TrackTag), 2, scratch);
    case DiscNumberField: return NumberOf(TagOf(tags, DiscTag), 1, scratch);
    case YearField: return TagOf(tags, YearTag);
    case GenreField: return TagOf(tags, GenreTag);
    case FileNameField: return BaseNameOf(tags.path, scratch);
    default: return L"";
    }
}

// --- Expanding ----------------------------------------------------------------------------

struct Expansion {
    wchar_t* out;
    size_t length;
    EntryTags* tags;
};

static void Put(Expansion& x, wchar_t ch)
{
    if (x.length < ExpandedCapacity - 1)
        x.out[x.length++] = ch;
}

// A separator in a value is its look-alike: only the template makes folders.
static void PutValue(Expansion& x, const wchar_t* value)
{
    for (; *value; ++value)
        Put(x, *value == L'\\' || *value == L'/' ? LookAlike(*value) : *value);
}

// Expands from `at` up to the "]" that ends the run (or the end); returns whether any field
// in it had a value. A run in brackets whose fields had none leaves nothing.
static bool ExpandRun(const wchar_t*& at, Expansion& x)
{
    bool valued = false;
    while (*at && *at != L']') {
        if (*at == L'[') {
            size_t mark = x.length;
            ++at;
            bool inner = ExpandRun(at, x);
            if (*at == L']')
                ++at;
            if (!inner)
                x.length = mark;
            valued = valued || inner;
            continue;
        }
        const wchar_t* end = *at == L'%' ? wcschr(at + 1, L'%') : nullptr;
        if (!end) {
            Put(x, *at++);
            continue;
        }
        wchar_t scratch[ValueCapacity];
        const wchar_t* value = ValueOf(*x.tags, FieldNamed(at + 1, (size_t)(end - at - 1)), scratch);
        PutValue(x, value);
        valued = valued || *value;
        at = end + 1;
    }
    return valued;
}

static void Expand(const wchar_t* text, EntryTags* tags, wchar_t* out)
{
    Expansion x = {out, 0, tags};
    for (const wchar_t* at = text; *at;) {
        ExpandRun(at, x);
        // A "]" with no "[" before it is text.
        if (*at == L']')
            Put(x, *at++);
    }
    out[x.length] = 0;
}

static void ExpandNameTemplate(const wchar_t* text, int index, const wchar_t* path, wchar_t* out)
{
    EntryTags tags;
    tags.index = index;
    tags.path = path;
    tags.asked = 0;
    Expand(text, &tags, out);
}

// --- Folders and the file name ----------------------------------------------------------------

// A path of MostPathLength holds no more folders than this.
static const size_t MostLevels = MostPathLength / 2;

// The folders of an expanded template before they are fitted: where each came from, and its
// name by the rules.
struct FolderNames {
    const wchar_t* from[MostLevels];
    size_t fromLength[MostLevels];
    size_t at[MostLevels];      // where its name starts in `names`
    size_t length[MostLevels];  // 0: left out
    size_t count;
    wchar_t names[ExpandedCapacity + MostLevels];
};

static size_t FoldersLength(const FolderNames& folders)
{
    size_t total = 0;
    for (size_t i = 0; i < folders.count; ++i)
        total += folders.length[i] ? folders.length[i] + 1 : 0;
    return total;
}

// Splits `expanded` at its backslashes: every part but the last a folder. False for more
// folders than a path can hold.
static bool SplitFolders(const wchar_t* expanded, const NamingRules& rules, FolderNames* folders,
                         const wchar_t** base)
{
    folders->count = 0;
    size_t used = 0;
    const wchar_t* start = expanded;
    for (const wchar_t* slash; (slash = wcschr(start, L'\\')) != nullptr; start = slash + 1) {
        if (folders->count == MostLevels)
            return false;
        size_t i = folders->count++;
        folders->from[i] = start;
        folders->fromLength[i] = (size_t)(slash - start);
        folders->at[i] = used;
        folders->length[i] = MakeTemplateFolderName(start, folders->fromLength[i], rules,
                                                    MostNameLength, folders->names + used);
        used += folders->length[i];
    }
    *base = start;
    return true;
}

// Cuts folder names from the deepest until they take at most `most` units with their
// backslashes, each down to one unit; false when that is not enough.
static bool FitFolders(FolderNames* folders, const NamingRules& rules, size_t most)
{
    size_t total = FoldersLength(*folders);
    for (size_t i = folders->count; i-- > 0 && total > most;) {
        size_t length = folders->length[i];
        if (!length)
            continue;
        size_t excess = total - most;
        size_t keep = length > excess ? length - excess : 1;
        if (keep >= length)
            continue;
        folders->length[i] = MakeTemplateFolderName(folders->from[i], folders->fromLength[i], rules,
                                                    keep, folders->names + folders->at[i]);
        total = FoldersLength(*folders);
    }
    return total <= most;
}

static const wchar_t* TrimmedBase(const wchar_t* base, size_t* length)
{
    while (*base == L' ' || IsControlCharacter(*base))
        ++base;
    size_t end = wcslen(base);
    while (end > 0 && (base[end - 1] == L' ' || IsControlCharacter(base[end - 1])))
        --end;
    *length = end;
    return base;
}

bool NameByTemplate(const wchar_t* text, int index, const wchar_t* path, const NamingRules& rules,
                    size_t foldersMost, TemplateName* name)
{
    FolderNames folders;
    const wchar_t* base;
    ExpandNameTemplate(text, index, path, name->expanded);
    if (!SplitFolders(name->expanded, rules, &folders, &base) ||
        !FitFolders(&folders, rules, foldersMost < MostPathLength ? foldersMost : MostPathLength))
        return false;
    name->foldersLength = 0;
    for (size_t i = 0; i < folders.count; ++i) {
        if (!folders.length[i])
            continue;
        const wchar_t* folder = folders.names + folders.at[i];
        wmemcpy(name->folders + name->foldersLength, folder, folders.length[i]);
        name->foldersLength += folders.length[i];
        name->folders[name->foldersLength++] = L'\\';
    }
    name->folders[name->foldersLength] = 0;
    name->base = TrimmedBase(base, &name->baseLength);
    return true;
}
