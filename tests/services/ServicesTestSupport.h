// Helpers of the services tests: a mount table of the test's own making, and
// a message-box handler that answers and records what it was asked.
#pragma once

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/CoreTestSupport.h"
#include "platform/runtime/Dialogs.h"
#include "platform/runtime/FileUtils.h"

namespace sk {

// Users a test running as root takes the part of: the owner of a file, and
// another user sharing a folder with them.
inline constexpr uid_t kOwnerUid = 65533;
inline constexpr uid_t kOtherUid = 65534;

// Runs body as the user uid (with that group and no others) in a child, or
// here when the process is that user already; body's answer, -1 when the
// child ended otherwise.
inline int AsUser(uid_t uid, const std::function<int()>& body) {
  if (uid == ::geteuid()) return body();
  const pid_t child = ::fork();
  if (child == 0)
    ::_exit(::setgroups(0, nullptr) == 0 && ::setresgid(uid, uid, uid) == 0 && ::setresuid(uid, uid, uid) == 0
                ? body()
                : 100);
  int status = 0;
  return ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A mount table written into a scratch folder: each mount names a folder of
// the scratch folder as its mount point (created), a file-system type and a
// source; devices can be marked removable and given labels and UUIDs.  The
// system's table comes back when the object goes.
class FakeMounts {
 public:
  explicit FakeMounts(const std::string& dir) : fDir(dir) {
    for (const char* d : {"/sys", "/sys/block", "/disk", "/disk/by-label", "/disk/by-uuid", "/dev"})
      ::mkdir((fDir + d).c_str(), 0755);
    fTable = "1 0 254:0 / / rw - ext4 /dev/vda rw\n";
  }
  ~FakeMounts() { SetMountTableSources(u"", u"", u""); }
  FakeMounts(const FakeMounts&) = delete;
  FakeMounts& operator=(const FakeMounts&) = delete;

  // Adds a mount at dir/point; device is a name under dir/dev ("sdb1") or a
  // network source ("server:/x").  Answers the mount point.
  std::string Add(const std::string& point, const std::string& fsType, const std::string& device,
                  bool removable = false, const std::string& label = "", const std::string& uuid = "") {
    std::string mp = fDir + "/" + point;
    ::mkdir(mp.c_str(), 0755);
    std::string source = device;
    if (device.find(':') == std::string::npos && device.compare(0, 2, "//") != 0) {
      source = fDir + "/dev/" + device;
      WriteFileBytes(source, "");
      std::string disk = "disk" + std::to_string(++fDisks);
      ::mkdir((fDir + "/sys/block/" + disk).c_str(), 0755);
      ::mkdir((fDir + "/sys/block/" + disk + "/" + device).c_str(), 0755);
      WriteFileBytes(fDir + "/sys/block/" + disk + "/removable", removable ? "1\n" : "0\n");
      if (!label.empty()) (void)!::symlink(source.c_str(), (fDir + "/disk/by-label/" + label).c_str());
      if (!uuid.empty()) (void)!::symlink(source.c_str(), (fDir + "/disk/by-uuid/" + uuid).c_str());
    }
    ++fId;
    fTable += std::to_string(fId + 1) + " 1 0:" + std::to_string(fId) + " / " + mp + " rw - " + fsType + " " +
              source + " rw\n";
    WriteFileBytes(fDir + "/mountinfo", fTable);
    SetMountTableSources(Utf8ToString(fDir + "/mountinfo"), Utf8ToString(fDir + "/sys/block"),
                         Utf8ToString(fDir + "/disk"));
    return mp;
  }

 private:
  std::string fDir;
  std::string fTable;
  int fId = 1;
  int fDisks = 0;
};

// Installs a message-box handler that records each box and gives the answer
// set in `answer`; the previous handler comes back when the object goes.
class RecordingMessageBox {
 public:
  struct Box {
    String text;
    String caption;
    Cardinal flags;
  };
  RecordingMessageBox() {
    fPrevious = SetMessageBoxHandler([this](const String& text, const String& caption, Cardinal flags) {
      boxes.push_back(Box{text, caption, flags});
      return answer;
    });
  }
  ~RecordingMessageBox() { SetMessageBoxHandler(fPrevious); }
  RecordingMessageBox(const RecordingMessageBox&) = delete;
  RecordingMessageBox& operator=(const RecordingMessageBox&) = delete;

  Int32 answer = IDOK;
  std::vector<Box> boxes;

 private:
  TMessageBoxHandler fPrevious;
};

}  // namespace sk
