// Identifiers shared by the resource script and the code.
#pragma once

#define CopyDialogTemplate 102
#define ConversionWindowTemplate 103
#define VerifyWindowTemplate 104

// Controls of the copy dialog's child area.
#define FileCountReadout 1004
#define SizeReadout 1002
#define SavePlaylistBox 1000
#define NumberFilenamesBox 1001
#define UsePlaylistTitleBox 1003
#define IncludeDirectoryBox 1005
#define SaveM3U8Box 1006
// Added later; a language pack's older template lacks them.
#define SkipUnchangedBox 1007
#define RemoveDroppedBox 1008
#define FreeSpaceReadout 1009
#define NameByTagsBox 1010
#define NameTemplateEdit 1011
#define CopyCompanionsBox 1012
#define PlaylistSlashesBox 1013
#define OnlySelectedBox 1014
#define ConvertBox 1015
#define ConvertFormatList 1016
#define DevicePlaysEdit 1017
#define VerifyCopiesBox 1018

// Controls of the conversion window.
#define ConversionLine 1101
#define ConversionBar 1102
#define ConversionCount 1103

// Controls of the checking window.
#define VerifyLine 1111
#define VerifyBar 1112

// String table numbers.
#define CaptionString 1
#define SizeUnitString 2
#define PlaylistCreateErrorString 3
#define MissingFileString 4
#define SaveAsTitleString 5
#define FilterString 6
#define IgnoredFileNameString 7
#define MenuCommandString 8
#define UninstallQuestionString 9
#define AboutTextString 10
// Added later; a language pack may lack them, and the module's own text stands in.
#define SpaceShortString 11
#define AllUnchangedString 12
#define RemoveLeftoversString 13
#define FailedCopiesString 14
#define SkippedFilesString 15
#define MoreSkippedString 16
#define BadTemplateString 17
#define PlaylistWriteErrorString 18
#define OnlySelectedString 19
#define FitQuestionString 20
#define ConvertingString 21
#define ConvertedCountString 22
#define NotInPlayOrderString 23
#define CheckingString 24
#define CopiesDifferString 25
#define LanguageGuidString 65535
