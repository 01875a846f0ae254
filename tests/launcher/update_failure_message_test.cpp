#include "launcher/update_failure_message.h"

#include <gtest/gtest.h>

namespace {

using update::RunResult;

TEST(UpdateFailureMessage, OnlyAnUpdateFolderThatCannotBeMadeIsTold) {
    EXPECT_EQ(launcher::updateFailureMessage(RunResult::noUpdateFolder),
              "创建目录失败，请重新运行程序试试!");
    for (const RunResult result :
         {RunResult::installed, RunResult::olderRelease, RunResult::unfinishedInstall,
          RunResult::notStaged, RunResult::downloadNotStarted, RunResult::notDownloaded,
          RunResult::notInstalled}) {
        EXPECT_EQ(launcher::updateFailureMessage(result), std::nullopt) << static_cast<int>(result);
    }
}

}  // namespace
