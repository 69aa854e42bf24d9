// Helpers of the archiver's tests: the dialogs answered through their hooks
// (each question recorded), the free space and labels of disks set by the
// test, and the engine's units started as the library starts them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "HashTestSupport.h"
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

}  // namespace sk
