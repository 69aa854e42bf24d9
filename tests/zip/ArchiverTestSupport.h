// Helpers of the archiver's tests: the dialogs answered through their hooks
// (each question recorded), the free space and labels of disks set by the
// test, and the engine's units started as the library starts them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "HashTestSupport.h"
#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "zip/ZAArchiver.h"
#include "zip/ZAExcept.h"

namespace sk {

// Starts what the archiver needs: the hash registry and the engine's lock.
inline void StartArchiverUnits() {
  StartHashRegistry();
  ZAArchiver_initialization();
}

// One question shown by a message dialog.
struct TAskedQuestion {
  String text;
  TZADialogButtons buttons = 0;
};

// Answers the archiver's message dialogs for one scope: each question is
// recorded and answered by the function (by default with `answer`).
class ScopedDialogAnswers {
 public:
  explicit ScopedDialogAnswers(Int32 answer)
      : ScopedDialogAnswers([answer](const TAskedQuestion&) { return answer; }) {}
  explicit ScopedDialogAnswers(std::function<Int32(const TAskedQuestion&)> answer) : fAnswer(std::move(answer)) {
    fPrevious = SetZAMessageDialogHook([this](const String& text, TZADialogButtons buttons) {
      asked.push_back({text, buttons});
      return fAnswer(asked.back());
    });
  }
  ~ScopedDialogAnswers() { SetZAMessageDialogHook(std::move(fPrevious)); }
  ScopedDialogAnswers(const ScopedDialogAnswers&) = delete;
  ScopedDialogAnswers& operator=(const ScopedDialogAnswers&) = delete;

  std::vector<TAskedQuestion> asked;

 private:
  std::function<Int32(const TAskedQuestion&)> fAnswer;
  TZAMessageDialogHook fPrevious;
};

// Answers the password dialog for one scope.
class ScopedPasswordAnswer {
 public:
  ScopedPasswordAnswer(bool ok, String typed) {
    fPrevious = SetZAPasswordDialogHook([this, ok, typed](const String& fileName, String& password) {
      asked.push_back(fileName);
      if (ok) password = typed;
      return ok;
    });
  }
  ~ScopedPasswordAnswer() { SetZAPasswordDialogHook(std::move(fPrevious)); }
  ScopedPasswordAnswer(const ScopedPasswordAnswer&) = delete;
  ScopedPasswordAnswer& operator=(const ScopedPasswordAnswer&) = delete;

  std::vector<String> asked;

 private:
  TZAPasswordDialogHook fPrevious;
};

// Free space and labels of disks for one scope.
class ScopedDisks {
 public:
  explicit ScopedDisks(Int64 free) : free(free) {
    fPreviousFree = SetZAFreeDriveSpaceHook([this](const String& path) {
      asked.push_back(path);
      return this->free;
    });
    fPreviousLabel = SetZAVolumeLabelHook([this](const String&, const String& label) { labels.push_back(label); });
  }
  ~ScopedDisks() {
    SetZAFreeDriveSpaceHook(std::move(fPreviousFree));
    SetZAVolumeLabelHook(std::move(fPreviousLabel));
  }
  ScopedDisks(const ScopedDisks&) = delete;
  ScopedDisks& operator=(const ScopedDisks&) = delete;

  Int64 free;
  std::vector<String> asked;
  std::vector<String> labels;

 private:
  TZAFreeDriveSpaceHook fPreviousFree;
  TZAVolumeLabelHook fPreviousLabel;
};

// The host's yield hook for one scope, with every check point of a loop
// yielding (not only every 20 ms): counts its calls and, at call stopAt
// (0: never), raises the Stop as a host's Stop button does.
class ScopedHostYield {
 public:
  explicit ScopedHostYield(int stopAt = 0) : fSaved(TTimedYield::YieldInterval()) {
    TTimedYield::SetYieldInterval(0);
    Global_YieldProcessProc = [this, stopAt] {
      if (++calls == stopAt) global_panic_state = panic_stop;
    };
  }
  ~ScopedHostYield() {
    Global_YieldProcessProc = nullptr;
    global_panic_state = panic_no_panic;
    TTimedYield::SetYieldInterval(fSaved);
  }
  ScopedHostYield(const ScopedHostYield&) = delete;
  ScopedHostYield& operator=(const ScopedHostYield&) = delete;

  int calls = 0;

 private:
  Int64 fSaved;
};

// The native code of the engine error that f raises; -1 when none.
inline Int32 EngineErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EZAException& e) {
    return e.NativeError;
  }
  return -1;
}

// Runs f on an archiver opened at file, then closes it: the native code of
// the engine error raised, -1 when none.
inline Int32 Through(const String& file, const std::function<void(TZipArchiver&)>& f) {
  TZipArchiver zip;
  zip.FFileName = file;
  return EngineErrorOf([&] {
    zip.OpenArchive();
    f(zip);
    zip.CloseArchive();
  });
}

// 30,000 letters in no run a split volume could cut evenly.
inline std::string SplitPartText() {
  std::string text(30000, 'x');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('a' + (i * 7919) % 26);
  return text;
}

// A split archive at file, in volumes of 64 KiB: five stored entries part0 to
// part4, each holding text.
inline void WriteFivePartSplitArchive(const String& file, const std::string& text) {
  TZipArchiver zip;
  zip.FFileName = file;
  zip.SetSpanningMode(smSplitting);
  zip.FSpanningOptions.FVolumeSize = vsCustom;
  zip.FSpanningOptions.SetCustomVolumeSize(65536);
  zip.OpenArchive(fmCreate);
  zip.SetCompressionMode(0);
  zip.BeginUpdate();
  for (int i = 0; i < 5; ++i) zip.AddFromString(Utf8ToString("part" + std::to_string(i)), Utf8ToString(text), 0x20, 40000);
  zip.EndUpdate();
  zip.CloseArchive();
}

}  // namespace sk
