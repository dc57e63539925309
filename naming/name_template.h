// Names copies from their tags: a template such as %albumartist%\%album%\[%tracknumber% ]%title%
// gives each copy's folders and the base of its file name. "\" separates folders; a field
// between "%" takes the value of a tag (or its fallback); text in "[ ]" is left out when none
// of its fields has a value.
#pragma once
#include <stddef.h>
#include "naming/copy_name.h"

enum class TemplateProblem { None, Empty, UnknownField, OpenPercent, OpenBracket };
// What makes a template unusable: nothing but spaces, a field it does not know, a "%" or a
// bracket left open.
TemplateProblem CheckNameTemplate(const wchar_t* text);

// Room for a template expanded with every value it asks.
const size_t ExpandedCapacity = 2048;

// An entry's name by the template: its folders, each a name by the rules with its backslash
// (an empty one is left out), and the base of its file name, without spaces at its ends.
struct TemplateName {
    wchar_t expanded[ExpandedCapacity];
    wchar_t folders[MostPathLength + 1];
    size_t foldersLength;
    const wchar_t* base;  // inside `expanded`
    size_t baseLength;
};

// Names entry `index`, whose source is `path`, by the template, its folders taking at most
// `foldersMost` units: when they would take more, they are cut from the deepest. False when not
// even that fits. Every "\" of the expanded template is one the template wrote: a "\" or "/"
// in a value comes as its look-alike. The host is asked each tag once at most.
bool NameByTemplate(const wchar_t* text, int index, const wchar_t* path, const NamingRules& rules,
                    size_t foldersMost, TemplateName* name);
