// What the message tests share: a scratch read-write folder, silent mode off,
// a short dialog tick, and the process state put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "VisualTestSupport.h"
#include "core/Global_vars.h"
#include "ui/Dont_remind_me_dlg.h"

namespace sk {

class MessageTest : public ScratchFolderTest {
 protected:
  MessageTest() : ScratchFolderTest("sk_messages") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    TestApplication();
    fFolder = Global_user_ReadWrite_folder;
    fSilent = Global_run_without_error_messages;
    fTimedOut = Global_TimedOut;
    fBusy = Global_ErrorMessageBusy;
    fHelpCtx = Global_MessageHelpCtx;
    fTick = DontRemind_TickMilliseconds;
    Global_user_ReadWrite_folder = Utf8ToString(fDir);
    Global_run_without_error_messages = false;
    Global_TimedOut = false;
    Global_ErrorMessageBusy = false;
    DontRemind_TickMilliseconds = 5;
  }
  void TearDown() override {
    Global_user_ReadWrite_folder = fFolder;
    Global_run_without_error_messages = fSilent;
    Global_TimedOut = fTimedOut;
    Global_ErrorMessageBusy = fBusy;
    Global_MessageHelpCtx = fHelpCtx;
    DontRemind_TickMilliseconds = fTick;
    Global_HelpProc = nullptr;
    ScratchFolderTest::TearDown();
  }

 private:
  String fFolder;
  bool fSilent = false, fTimedOut = false, fBusy = false;
  Int32 fHelpCtx = 0;
  Cardinal fTick = 1000;
};

}  // namespace sk
