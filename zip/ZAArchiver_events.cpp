// The archiver's event dispatchers: each calls the handler the host assigned,
// or applies the default, which for the questions is a dialog.
#include <algorithm>

#include "platform/runtime/Format.h"
#include "platform/runtime/ResourceStrings.h"
#include "zip/ZAArchiver.h"
#include "zip/ZAConst.h"
#include "zip/ZAExcept.h"
#include "zip/ZAUtils.h"

namespace sk {

namespace {

String Backslashed(String s) {
  std::replace(s.begin(), s.end(), Char('/'), Char('\\'));
  return s;
}

String Slashed(String s) {
  std::replace(s.begin(), s.end(), Char('\\'), Char('/'));
  return s;
}

// Asks with OK and Cancel, with no lock held while the dialog is open.
bool AnswersOK(TZABaseArchiver& archiver, const String& text) {
  Int32 answer = zdrNone;
  archiver.AskUnlocked([&] { answer = ZAMessageDialog(text, zdbOK | zdbCancel); });
  return answer == zdrOK;
}

}  // namespace

void TZABaseArchiver::DoOnOverallProgress(Double Progress, TZAProcessOperation Operation,
                                          TZAProgressPhase ProgressPhase, bool& Cancel) {
  if (OnOverallProgress)
    OnOverallProgress(this, Progress, Operation, ProgressPhase, Cancel);
  else
    Cancel = false;
}

void TZABaseArchiver::DoOnFileProgress(const String& FileName, Double Progress, TZAProcessOperation Operation,
                                       TZAProgressPhase ProgressPhase, bool& Cancel) {
  if (OnFileProgress)
    OnFileProgress(this, Backslashed(FileName), Progress, Operation, ProgressPhase, Cancel);
  else
    Cancel = false;
}

void TZABaseArchiver::DoOnCopyTempFileProgress(Double Progress, TZAProgressPhase ProgressPhase, bool& Cancel) {
  Cancel = false;
  if (OnCopyTempFileProgress) OnCopyTempFileProgress(this, Progress, ProgressPhase, Cancel);
}

void TZABaseArchiver::DoOnConfirmOverwrite(const String& SourceFileName, String& DestFileName, bool& Confirm) {
  if (OnConfirmOverwrite) {
    AskUnlocked([&] { OnConfirmOverwrite(this, SourceFileName, DestFileName, Confirm); });
    return;
  }
  const String text = Format(LoadResString(&_SConfirmOverwrite), {DestFileName, SourceFileName});
  Int32 answer = zdrNone;
  AskUnlocked([&] { answer = ZAMessageDialog(text, zdbYes | zdbNo | zdbNoToAll | zdbYesToAll); });
  switch (answer) {
    case zdrYes: Confirm = true; break;
    case zdrNoToAll:
      Confirm = false;
      FOptions.FOverwriteMode = omNever;
      break;
    case zdrYesToAll:
      Confirm = true;
      FOptions.FOverwriteMode = omAlways;
      break;
    default: Confirm = false; break;
  }
}

void TZABaseArchiver::DoOnConfirmProcessFile(const String& FileName, TZAProcessOperation Operation, bool& Confirm) {
  Confirm = true;
  if (OnConfirmProcessFile) AskUnlocked([&] { OnConfirmProcessFile(this, FileName, Operation, Confirm); });
}

void TZABaseArchiver::DoOnPassword(const String& FileName, AnsiString& NewPassword, bool& SkipFile) {
  if (OnPassword) {
    AskUnlocked([&] { OnPassword(this, FileName, NewPassword, SkipFile); });
    return;
  }
  String typed;
  bool typedOK = false;
  AskUnlocked([&] { typedOK = ZAPasswordDialog(FileName, typed); });
  if (typedOK) {
    SkipFile = false;
    // The typed text goes into keys as UTF-8 bytes, as other tools use it.
    NewPassword = StringToUtf8(typed);
  } else {
    SkipFile = true;
  }
}

void TZABaseArchiver::DoOnProcessFileFailure(const String& FileName, TZAProcessOperation Operation, Int32 NativeError,
                                             Int32 ErrorCode, const String& ErrorMessage, TZAAction& Action) {
  Action = fxaIgnore;
  if (OnProcessFileFailure) {
    AskUnlocked([&] { OnProcessFileFailure(this, FileName, Operation, NativeError, ErrorCode, ErrorMessage, Action); });
    return;
  }
  if (NativeError == 45) {
    Action = fxaAbort;
    return;
  }
  Int32 answer = zdrNone;
  if (NativeError == 61)
    AskUnlocked([&] { answer = ZAMessageDialog(ErrorMessage, zdbAbort | zdbIgnore); });
  else
    AskUnlocked([&] {
      answer = ZAMessageDialog(Format(LoadResString(&_SOnProcessFileFailure), {ErrorMessage}),
                               zdbAbort | zdbRetry | zdbIgnore);
    });
  Action = answer == zdrRetry ? fxaRetry : answer == zdrIgnore ? fxaIgnore : fxaAbort;
}

void TZABaseArchiver::DoOnRequestBlankVolume(Int32 VolumeNumber, String& VolumeFileName, bool& Cancel) {
  if (VolumeNumber < 0) VolumeNumber = 0;
  VolumeFileName = MakeDefaultVolumeName(VolumeFileName, VolumeNumber, false);
  Cancel = false;
  if (OnRequestBlankVolume) {
    AskUnlocked([&] { OnRequestBlankVolume(this, VolumeNumber + 1, VolumeFileName, Cancel); });
    return;
  }
  if (FSpanningMode == smSpanning)
    Cancel = !AnswersOK(*this, Format(LoadResString(&_SOnRequestBlankDisk), {VolumeNumber + 1}));
}

void TZABaseArchiver::DoOnRequestFirstVolume(String& VolumeFileName, bool& Cancel) {
  const String given = VolumeFileName;
  VolumeFileName = MakeDefaultVolumeName(given, 0, !OnRequestFirstVolume);
  Cancel = false;
  if (OnRequestFirstVolume) {
    AskUnlocked([&] { OnRequestFirstVolume(this, VolumeFileName, Cancel); });
    return;
  }
  if (FSpanningMode == smSpanning) {
    Cancel = !AnswersOK(*this, LoadResString(&_SOnRequestFirstDisk));
    VolumeFileName = MakeDefaultVolumeName(given, 0, true);
  } else {
    Cancel = !ZAFileExists(VolumeFileName) && FileOpenMode != fmCreate;
  }
}

void TZABaseArchiver::DoOnRequestLastVolume(String& VolumeFileName, bool& Cancel) {
  VolumeFileName = MakeDefaultVolumeName(VolumeFileName, -1, false);
  Cancel = false;
  if (OnRequestLastVolume) {
    AskUnlocked([&] { OnRequestLastVolume(this, VolumeFileName, Cancel); });
    return;
  }
  if (FSpanningMode != smSpanning) {
    Cancel = !ZAFileExists(VolumeFileName);
    return;
  }
  // Asks until the disk with the file is in, or the user cancels; a user who
  // keeps answering OK without it is not asked for ever.
  for (Int32 pass = 0; pass < ZAMaxVolumeRequests; ++pass) {
    const String text = pass == 0 ? LoadResString(&_SOnRequestLastDisk)
                                  : Format(LoadResString(&_SWrongDiskRequestLastDisk), {VolumeFileName});
    Cancel = !AnswersOK(*this, text);
    if (Cancel || ZAFileExists(VolumeFileName)) return;
  }
  Cancel = true;
}

void TZABaseArchiver::DoOnRequestMiddleVolume(Int32 VolumeNumber, String& VolumeFileName, bool& Cancel) {
  const String given = VolumeFileName;
  VolumeFileName = MakeDefaultVolumeName(given, VolumeNumber, !OnRequestMiddleVolume);
  Cancel = false;
  if (OnRequestMiddleVolume) {
    AskUnlocked([&] { OnRequestMiddleVolume(this, VolumeNumber + 1, VolumeFileName, Cancel); });
    return;
  }
  if (FSpanningMode == smSpanning)
    Cancel = !AnswersOK(*this, Format(LoadResString(&_SOnRequestMiddleDisk), {VolumeNumber + 1}));
  else
    Cancel = !ZAFileExists(VolumeFileName);
  VolumeFileName = MakeDefaultVolumeName(given, VolumeNumber, true);
}

void TZABaseArchiver::DoOnDiskFull(Int32 VolumeNumber, const String& VolumeFileName, bool& Cancel) {
  Cancel = false;
  if (OnDiskFull) {
    AskUnlocked([&] { OnDiskFull(this, VolumeNumber + 1, VolumeFileName, Cancel); });
    return;
  }
  if (FSpanningMode != smSpanning) throw EZAException(65, this);
  TZAVolumeNumberInfo volume;
  volume.SetVolumeNumber(VolumeNumber < 0 ? FVolumeNumberInfo.FVolumeNumber : VolumeNumber);
  if (volume.FVolumeNumber == 0) volume.SetFirstVolume(true);
  const Int64 required = FSpanningOptions.GetVolumeSize(volume);
  const Int64 available = GetFreeDriveSpace(VolumeFileName);
  Cancel = !AnswersOK(*this, Format(LoadResString(&_SOnDiskFull), {required, available}));
}

void TZABaseArchiver::DoOnProcessVolumeFailure(TZAProcessOperation Operation, Int32 VolumeNumber,
                                               const String& VolumeFileName, bool& Cancel) {
  if (FOnProcessVolumeFailure)
    AskUnlocked([&] { FOnProcessVolumeFailure(this, Operation, VolumeNumber + 1, VolumeFileName, Cancel); });
}

void TZABaseArchiver::DoOnStoreFile(String& FileName, Int32& FileAttr, AnsiString& Comment,
                                    const String& OriginalFileName) {
  if (!OnStoreFile) return;
  FileName = Backslashed(FileName);
  OnStoreFile(this, FileName, FileAttr, Comment, OriginalFileName);
  FileName = Slashed(FileName);
}

void TZABaseArchiver::DoOnExtractFile(String& FileName, Cardinal& FileAttr, const AnsiString& Comment) {
  FileName = Backslashed(FileName);
  if (OnExtractFile) OnExtractFile(this, FileName, FileAttr, Comment);
}

}  // namespace sk
