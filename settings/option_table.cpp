#include "settings/option_table.h"
#include "resources/resource_ids.h"

const OptionRow OptionTable[] = {
    {L"SavePlaylist", SavePlaylistBox, &CopyOptions::SavePlaylist, nullptr, EveryTemplate, 0, false},
    {L"SaveM3U8", SaveM3U8Box, &CopyOptions::SaveM3U8, nullptr, EveryTemplate, 0, false},
    {L"NumberFilenames", NumberFilenamesBox, &CopyOptions::NumberFilenames, nullptr, EveryTemplate,
     0, false},
    // Tags name the copies instead.
    {L"UsePlaylistTitle", UsePlaylistTitleBox, &CopyOptions::UsePlaylistTitle, nullptr,
     EveryTemplate, NameByTagsBox, true},
    {L"IncludeDirectory", IncludeDirectoryBox, &CopyOptions::IncludeDirectory, nullptr,
     EveryTemplate, NameByTagsBox, true},
    // Keeping in step was first called skipping what is unchanged: the key and the box keep that.
    {L"SkipUnchanged", SkipUnchangedBox, &CopyOptions::KeepInStep, nullptr, KeepInStepGroup, 0, false},
    // It reads the playlist file the previous copy wrote.
    {L"RemoveDropped", RemoveDroppedBox, &CopyOptions::RemoveDropped, nullptr, KeepInStepGroup,
     SavePlaylistBox, false},
    // A group of its own: a template made for keeping in step, before the copies were read back,
    // keeps those options.
    {L"VerifyCopies", VerifyCopiesBox, &CopyOptions::VerifyCopies, nullptr, VerifyGroup, 0, false},
    {L"NameByTags", NameByTagsBox, &CopyOptions::NameByTags, nullptr, TagGroup, 0, false},
    {L"NameTemplate", NameTemplateEdit, nullptr, &CopyOptions::NameTemplate, TagGroup,
     NameByTagsBox, false},
    {L"CopyCompanions", CopyCompanionsBox, &CopyOptions::CopyCompanions, nullptr, CompanionGroup, 0,
     false},
    {L"PlaylistSlashes", PlaylistSlashesBox, &CopyOptions::PlaylistSlashes, nullptr, SlashGroup,
     SavePlaylistBox, false},
    {L"ConvertForDevice", ConvertBox, &CopyOptions::ConvertForDevice, nullptr, ConvertGroup, 0, false},
    // The format's code, chosen from the list of those the player's encoders offer.
    {L"ConvertFormat", ConvertFormatList, nullptr, &CopyOptions::ConvertFormat, ConvertGroup,
     ConvertBox, false},
    {L"DevicePlays", DevicePlaysEdit, nullptr, &CopyOptions::DevicePlays, ConvertGroup, ConvertBox,
     false},
};
const size_t OptionCount = sizeof OptionTable / sizeof OptionTable[0];

bool IsOptionShown(const OptionRow& row)
{
    return (State.MissingOptionGroups & (1u << row.group)) == 0;
}
