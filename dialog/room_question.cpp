#include "dialog/room_question.h"
#include "resources/resource_ids.h"
#include "room/room.h"
#include "text/localised_text.h"
#include "text/message_box.h"

static const int SizeTextCapacity = 64;

static int AskAboutRoom(HWND owner, const RoomShortfall& shortfall)
{
    wchar_t needed[SizeTextCapacity] = {}, available[SizeTextCapacity] = {};
    FormatByteSize(needed, SizeTextCapacity, shortfall.needed, SizeRounding::Up);
    FormatByteSize(available, SizeTextCapacity, shortfall.available, SizeRounding::Down);
    if (!shortfall.fitting)
        return ShowFormattedBox(owner, MB_YESNO, SpaceShortString, BoxTextCapacity, needed, available);
    return ShowFormattedBox(owner, MB_YESNOCANCEL, FitQuestionString, BoxTextCapacity, needed,
                            available, (unsigned)shortfall.fitting, (unsigned)shortfall.songs);
}

bool ConfirmRoom(HWND owner, CopyPlan* plan)
{
    RoomShortfall shortfall;
    if (!FindShortfall(plan, &shortfall))
        return true;
    int answer = AskAboutRoom(owner, shortfall);
    if (answer == IDYES && shortfall.fitting)
        return true;
    CopyEverySong(plan);
    return answer == IDYES || (answer == IDNO && shortfall.fitting);
}
