#include "shell/close_guard.h"

namespace redten {

bool AskForcedQuit(const ClientContext& context, MessageBoxes& boxes) {
    const bool playingAHand = !context.define.blnPangGuan && context.game.blnNoDeal == 0 &&
                              !context.define.blnWaitStart &&
                              context.userSet.bteUserSet[kSetWarnForceQuit] != 0;
    if (!playingAHand) {
        return true;
    }
    return boxes.ShowGlobalMsg(
        0, 2, "大伙正在游戏，如果你现在退出是很不道德的，并且系统会算你逃跑！你是否强退？", "系统提示",
        10, "强退", "取消", false);
}

}  // namespace redten
