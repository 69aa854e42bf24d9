// Helpers of the zip engine's tests: archives laid down with our own writers
// (stored entries, then the directory through SaveDir), loading from bytes,
// and the peer programs (zip, unzip, 7zz, bsdtar, Python's zipfile) run in a
// scratch folder.
#pragma once

#include <gtest/gtest.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "FileSeamTestSupport.h"
#include "TestSupport.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/Streams.h"
#include "zip/ZADirManager.h"
#include "zip/ZAExcept.h"

namespace sk {

// One stored entry for WriteStoredArchive.
struct TStoredEntry {
  TStoredEntry() = default;
  TStoredEntry(String n, std::string d = {}, Cardinal attr = 0x20, AnsiString c = {})
      : name(std::move(n)), data(std::move(d)), externalAttr(attr), comment(std::move(c)) {}
  String name;
  std::string data;
  Cardinal externalAttr = 0x20;  // 0x10 for a folder
  AnsiString comment;
};

inline Cardinal Crc32Of(const std::string& data) {
  return static_cast<Cardinal>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// Lays down a local header and the stored data of every entry after `stub`
// bytes of stub, then writes the directory with SaveDir. Offsets are those
// of the local headers in the bytes returned (stubOffsetsFromZero: counted
// from the end of the stub instead, as if the stub were put in front later).
inline std::string WriteStoredArchive(const std::vector<TStoredEntry>& entries, const AnsiString& comment = {},
                                      const std::string& stub = {}, bool stubOffsetsFromZero = false,
                                      Word flags = 0) {
  TMemoryStream ms;
  if (!stub.empty()) ms.WriteBuffer(stub.data(), static_cast<Int64>(stub.size()));
  TZASingleVolumeArchiver link(&ms);
  TZADirManager dm(&ms, false, &link);
  dm.CDir->SetCount(static_cast<Int32>(entries.size()));
  for (size_t i = 0; i < entries.size(); ++i) {
    const TStoredEntry& e = entries[i];
    TDirItem item;
    TZAZipCentralDir& cd = item.CentralDir;
    cd.signature = ZipCentralDirSignature;
    cd.versionMadeBy = 20;
    cd.extractVersion = 20;
    cd.genPurposeFlag = flags;
    RawByteString name = EncodeEntryName(e.name, cd.genPurposeFlag);
    cd.compMethod = 0;
    cd.lastModTime = 0x6000;  // 12:00:00
    cd.lastModDate = 0x5921;  // 2024-09-01
    cd.crc32 = Crc32Of(e.data);
    cd.compSize = cd.unCompSize = static_cast<Cardinal>(e.data.size());
    cd.externalAttr = e.externalAttr;
    const Int64 at = ms.Position();
    cd.relOffsetLH = static_cast<Cardinal>(stubOffsetsFromZero ? at - static_cast<Int64>(stub.size()) : at);
    TZAZipFileHeader lh;
    lh.signature = ZipLocalFileHeaderSignature;
    lh.extractVersion = cd.extractVersion;
    lh.genPurposeFlag = cd.genPurposeFlag;
    lh.compMethod = 0;
    lh.lastModTime = cd.lastModTime;
    lh.lastModDate = cd.lastModDate;
    lh.crc32 = cd.crc32;
    lh.compSize = lh.unCompSize = cd.compSize;
    lh.nameLength = static_cast<Word>(name.size());
    ms.WriteBuffer(lh.ToBytes());
    ms.WriteBuffer(name.data(), static_cast<Int64>(name.size()));
    ms.WriteBuffer(e.data.data(), static_cast<Int64>(e.data.size()));
    item.Name = e.name;
    item.Comment = e.comment;
    dm.CDir->SetItem(static_cast<Int32>(i), item);
  }
  dm.ArchiveComment = comment;
  dm.SaveDir(true);
  return std::string(reinterpret_cast<const char*>(ms.Bytes()), static_cast<size_t>(ms.Size()));
}

// An archive put together from hand-made records, for names, extra blocks
// and damage that our writer never produces. Each entry gets a local header
// (with the same name bytes and, unless localExtra is set, no extra blocks)
// and its data; the central records follow as given, with their offsets
// filled in unless keepOffset is set.
struct TRawEntry {
  TRawEntry(TZAZipCentralDir c, std::string n, std::string x = {}, std::string cm = {}, std::string d = {})
      : cd(c), name(std::move(n)), extra(std::move(x)), comment(std::move(cm)), data(std::move(d)) {}
  TZAZipCentralDir cd;
  std::string name;
  std::string extra;
  std::string comment;
  std::string data;
  std::string localExtra;
  bool keepOffset = false;
  bool keepSizes = false;  // else sizes and CRC come from data
};

inline TZAZipCentralDir DefaultCentral() {
  TZAZipCentralDir cd;
  cd.signature = ZipCentralDirSignature;
  cd.versionMadeBy = 20;
  cd.extractVersion = 20;
  cd.externalAttr = 0x20;
  cd.lastModTime = 0x6000;
  cd.lastModDate = 0x5921;
  return cd;
}

inline std::string LE16(Word v) { return std::string{static_cast<char>(v), static_cast<char>(v >> 8)}; }
inline std::string LE32(Cardinal v) { return LE16(static_cast<Word>(v)) + LE16(static_cast<Word>(v >> 16)); }
inline std::string LE64(UInt64 v) { return LE32(static_cast<Cardinal>(v)) + LE32(static_cast<Cardinal>(v >> 32)); }
inline std::string Block(Word id, const std::string& data) {
  return LE16(id) + LE16(static_cast<Word>(data.size())) + data;
}
inline std::string AsString(const TBytes& b) { return std::string(b.begin(), b.end()); }

inline std::string WriteRawArchive(std::vector<TRawEntry> entries, const std::string& archiveComment = {},
                                   Int64 countOverride = -1) {
  std::string out;
  for (TRawEntry& e : entries) {
    if (!e.keepSizes) {
      e.cd.crc32 = Crc32Of(e.data);
      e.cd.compSize = e.cd.unCompSize = static_cast<Cardinal>(e.data.size());
    }
    if (!e.keepOffset) e.cd.relOffsetLH = static_cast<Cardinal>(out.size());
    TZAZipFileHeader lh;
    lh.signature = ZipLocalFileHeaderSignature;
    lh.extractVersion = e.cd.extractVersion;
    lh.genPurposeFlag = e.cd.genPurposeFlag;
    lh.compMethod = e.cd.compMethod;
    lh.lastModTime = e.cd.lastModTime;
    lh.lastModDate = e.cd.lastModDate;
    lh.crc32 = e.cd.crc32;
    lh.compSize = e.cd.compSize;
    lh.unCompSize = e.cd.unCompSize;
    lh.nameLength = static_cast<Word>(e.name.size());
    lh.extraLength = static_cast<Word>(e.localExtra.size());
    out += AsString(lh.ToBytes()) + e.name + e.localExtra + e.data;
  }
  const size_t dirStart = out.size();
  for (TRawEntry& e : entries) {
    e.cd.nameLength = static_cast<Word>(e.name.size());
    e.cd.extraLength = static_cast<Word>(e.extra.size());
    e.cd.commentLength = static_cast<Word>(e.comment.size());
    out += AsString(e.cd.ToBytes()) + e.name + e.extra + e.comment;
  }
  TZAZipCentralDirEnd end;
  end.signature = ZipCentralDirEndSignature;
  const Word count = static_cast<Word>(countOverride >= 0 ? countOverride : static_cast<Int64>(entries.size()));
  end.entriesOnDisk = end.entriesCentralDir = count;
  end.centralDirSize = static_cast<Cardinal>(out.size() - dirStart);
  end.offsetStartDir = static_cast<Cardinal>(dirStart);
  end.commentLength = static_cast<Word>(archiveComment.size());
  return out + AsString(end.ToBytes()) + archiveComment;
}

// The same archive with zip64 end records: the end record's fields that may
// point to them hold all ones, and the zip64 record carries the real values.
inline std::string WithZip64EndRecords(const std::string& archive) {
  const size_t endAt = archive.size() - TZAZipCentralDirEnd::Size;  // an archive without comment
  TZAZipCentralDirEnd end;
  end.ReadFrom(reinterpret_cast<const Byte*>(archive.data() + endAt));
  TZAZip64CentralDirEnd z;
  z.signature = Zip64CentralDirEndSignature;
  z.centralDirEndSize = 44;
  z.versionMadeBy = z.versionNeededToExtract = 45;
  z.entriesOnDisk = z.entriesCentralDir = end.entriesCentralDir;
  z.centralDirSize = end.centralDirSize;
  z.offsetStartDir = end.offsetStartDir;
  TZAZip64CentralDirEndLocator l;
  l.signature = Zip64CentralDirEndLocatorSignature;
  l.offsetStartDirEnd = endAt;
  l.totalNumberOfDisks = 1;
  end.entriesOnDisk = end.entriesCentralDir = 0xFFFF;
  end.offsetStartDir = 0xFFFFFFFF;
  return archive.substr(0, endAt) + AsString(z.ToBytes()) + AsString(l.ToBytes()) + AsString(end.ToBytes());
}

// An archive held in memory, loaded through a single-volume link.
class TLoadedArchive {
 public:
  explicit TLoadedArchive(const std::string& bytes, bool openCorrupted = false) {
    fStream.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
    fStream.Seek(0, soBeginning);
    fLink = std::make_unique<TZASingleVolumeArchiver>(&fStream);
    fLink->FOpenCorruptedArchives = openCorrupted;
    fManager = std::make_unique<TZADirManager>(&fStream, false, fLink.get());
  }
  void Load() { fManager->LoadDir(); }
  TZADirManager& Dir() { return *fManager; }
  TZASingleVolumeArchiver& Link() { return *fLink; }
  TMemoryStream& Stream() { return fStream; }
  Int32 Count() const { return fManager->CDir->Count(); }
  const TDirItem& Item(Int32 i) const { return fManager->CDir->FItems[static_cast<size_t>(i)]; }
  std::string Bytes() const {
    return std::string(reinterpret_cast<const char*>(fStream.Bytes()), static_cast<size_t>(fStream.Size()));
  }

 private:
  mutable TMemoryStream fStream;
  std::unique_ptr<TZASingleVolumeArchiver> fLink;
  std::unique_ptr<TZADirManager> fManager;
};

// How a load of damaged bytes ended.
struct TLoadOutcome {
  bool loaded = false;
  Int32 count = 0;
  Int32 engineError = -1;  // native code of an EZAException
  bool readError = false;  // the stream's short read
};

inline TLoadOutcome LoadBytes(const std::string& bytes, bool openCorrupted) {
  TLoadOutcome r;
  TLoadedArchive a(bytes, openCorrupted);
  try {
    a.Load();
    r.loaded = true;
    r.count = a.Count();
    // Every entry must be addressable by its name.
    for (Int32 i = 0; i < a.Count(); ++i) {
      Int32 index = -1;
      EXPECT_TRUE(a.Dir().CDir->FileExists(a.Item(i).Name, index));
    }
  } catch (const EZAException& e) {
    r.engineError = e.NativeError;
  } catch (const EReadError&) {
    r.readError = true;
  }
  return r;
}

// ---------------------------------------------------------------------------
// Peer programs

inline bool HasProgram(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

// Runs a shell command; its standard output (and error, when asked) lands
// in out. Answers the exit status.
inline int RunCommand(const std::string& command, std::string* out = nullptr, bool withErrors = false) {
  const std::string full = command + (withErrors ? " 2>&1" : " 2>/dev/null");
  FILE* f = ::popen(full.c_str(), "r");
  if (f == nullptr) return -1;
  std::string text;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  const int status = ::pclose(f);
  if (out != nullptr) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string ShellQuote(const std::string& s) {
  std::string r = "'";
  for (char c : s) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return r + "'";
}

inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// ---------------------------------------------------------------------------
// Child processes

// Runs body in a forked child that exits with body's result (99 when it
// throws); the child's id.
inline pid_t InChild(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child != 0) return child;
  int result = 99;
  try {
    result = body();
  } catch (...) {
  }
  ::_exit(result);
}

// Waits for child: its exit status, or minus the signal that ended it.
inline int EndOf(pid_t child) {
  int status = 0;
  if (child <= 0 || ::waitpid(child, &status, 0) != child) return -1000;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// Runs body in a child process that stops at each of its own file calls
// that pause chooses, and waits there while the test acts: between(stop),
// called here with the stop's number from 0, answers whether the child goes
// on ('g') or is killed where it stands ('k'). The child's status (EndOf).
inline int RunPausedAt(const std::function<bool(TFileSeamOp, const std::string&)>& pause,
                       const std::function<int()>& body, const std::function<char(int)>& between) {
  int ready[2], go[2];
  if (::pipe(ready) != 0 || ::pipe(go) != 0) return -1000;
  const pid_t child = InChild([&] {
    ::close(ready[0]);
    ::close(go[1]);
    SetFileSeamHook([&](TFileSeamOp op, const std::string& path) {
      char c = 's';
      if (pause(op, path) && (::write(ready[1], &c, 1) != 1 || ::read(go[0], &c, 1) != 1 || c == 'k'))
        ::kill(::getpid(), SIGKILL);
      return 0;
    });
    return body();
  });
  ::close(ready[1]);
  ::close(go[0]);
  char c;
  for (int stop = 0; ::read(ready[0], &c, 1) == 1 && (c = between(stop), ::write(go[1], &c, 1) == 1); ++stop) {
  }
  ::close(ready[0]);
  ::close(go[1]);
  return EndOf(child);
}

// Runs f in a child process and kills the child after delay: another
// process cut short at a moment of its work.
inline void RunKilledAfter(std::chrono::steady_clock::duration delay, const std::function<void()>& f) {
  const pid_t child = InChild([&] { return f(), 0; });
  ASSERT_GT(child, 0);
  std::this_thread::sleep_for(delay);
  ::kill(child, SIGKILL);
  EndOf(child);
}

// Runs body in a child process as user uid with group gid and the
// supplementary groups: the child's exit status (100 when it could not take
// that identity).
inline int AsUser(uid_t uid, gid_t gid, const std::vector<gid_t>& groups, const std::function<int()>& body) {
  return EndOf(InChild([&] {
    return ::setgroups(groups.size(), groups.data()) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0 ? body() : 100;
  }));
}

// Lets user uid read and write the file through its access list (the owner
// rw, uid rw, the group r, the mask rw, the others r): whether the file
// system took it.
inline bool LetUserWrite(const std::string& path, uid_t uid) {
  std::string acl = LE32(2);
  for (const auto& [tag, perm, id] : {std::tuple<Word, Word, Cardinal>{1, 6, ~0u}, {2, 6, uid}, {4, 4, ~0u},
                                      {0x10, 6, ~0u}, {0x20, 4, ~0u}})
    acl += LE16(tag) + LE16(perm) + LE32(id);
  return ::setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
}

inline constexpr const char* kPython = "/usr/bin/python3";

// Skips the test with a clear message when a peer program is missing.
#define SK_NEED_PROGRAM(path)                                                     \
  do {                                                                            \
    if (!::sk::HasProgram(path)) GTEST_SKIP() << (path) << " is not installed"; \
  } while (0)

}  // namespace sk
