#include "settings/option_table.h"
#include "resources/resource_ids.h"

const OptionRow OptionTable[] = {
    {L"SavePlaylist", SavePlaylistBox, &CopyOptions::SavePlaylist, EveryTemplate},
    {L"SaveM3U8", SaveM3U8Box, &CopyOptions::SaveM3U8, EveryTemplate},
    {L"NumberFilenames", NumberFilenamesBox, &CopyOptions::NumberFilenames, EveryTemplate},
    {L"UsePlaylistTitle", UsePlaylistTitleBox, &CopyOptions::UsePlaylistTitle, EveryTemplate},
    {L"IncludeDirectory", IncludeDirectoryBox, &CopyOptions::IncludeDirectory, EveryTemplate},
    {L"SkipUnchanged", SkipUnchangedBox, &CopyOptions::SkipUnchanged, SyncGroup},
    {L"RemoveDropped", RemoveDroppedBox, &CopyOptions::RemoveDropped, SyncGroup},
};
const size_t OptionCount = sizeof OptionTable / sizeof OptionTable[0];

bool IsOptionShown(const OptionRow& row)
{
    return (State.MissingOptionGroups & (1u << row.group)) == 0;
}
