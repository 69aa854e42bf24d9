// The zip engine's small building blocks: its enumerations, the record that
// the find operations fill, the option objects a host sets, the volume-number
// value that travels through every multi-volume operation, the keys of the
// traditional cipher and the types of the archiver's events.
#pragma once

#include <array>
#include <functional>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// ---------------------------------------------------------------------------
// Enumerations (values in declared order, from 0).

enum TZACompressionLevel : uint8_t { za_clNone, za_clFastest, za_clNormal, za_clMax };
enum TZACompressionAlgorithm : uint8_t { caZLIB, caBZIP, caPPM };
enum TZACryptoAlgorithm : uint8_t { caPkzipClassic, caAES_128, caAES_192, caAES_256 };
enum TZAProcessOperation : uint8_t {
  poAdd, poMove, poDelete, poUpdate, poExtract, poTest, poRename, poChangeAttr, poChangeComment, poMakeSFX,
  poMerge
};
enum TZAProgressPhase : uint8_t { ppStart, ppProcess, ppEnd };
enum TZAAction : uint8_t { fxaRetry, fxaIgnore, fxaAbort };
enum TZAOverwriteMode : uint8_t { omPrompt, omAlways, omNever, omIfNewer, omIfOlder };
enum TZAFileShareMode : uint8_t {
  smShareCompat, smShareExclusive, smShareDenyWrite, smShareDenyRead, smShareDenyNone
};
enum TZAStorePathMode : uint8_t { spNoPath, spRelativePath, spFullPath, spFullPathWithDrive };
enum TZip64Mode : uint8_t { zmDisabled, zmAuto, zmAlways };
// smSpanning: removable disks; smSplitting: files of a fixed size.
enum TZASpanningMode : uint8_t { smNone, smSpanning, smSplitting };
enum TZAVolumeSize : uint8_t {
  vsAutoDetect, vsCustom, vs1_44MB, vs100MB, vs200MB, vs250MB, vs600MB, vs650MB, vs700MB, vs4700MB
};
enum TZAVolumeNumberKind : uint8_t { vnkFirst, vnkLast, vnkCustom, vnkUnknown };
enum TCryptoTransformMode : uint8_t { Encryption, Decryption };

// ---------------------------------------------------------------------------
// A named component of the engine (the archiver). Its name leads the text of
// the engine errors it raises.
class TZAComponent : public TObject {
 public:
  String Name;
};

// ---------------------------------------------------------------------------
// The state of a search over the entries (filled by the find operations).
struct TInternalSearchRec {
  Int32 ItemNo = 0;
  std::array<Char, 260> CFindMask{};  // the mask, zero-terminated
  bool FWildCards = false;
  Int32 FFindAttr = 0;
  String ExclusionMask;
  bool UseProperties = false;
};

// One entry as the find operations report it.
struct TZAArchiveItem {
  String FileName;
  String StoredPath;
  Int64 CompressedSize = 0;
  Int64 UncompressedSize = 0;
  Double CompressionRate = 0;
  bool Encrypted = false;
  Word LastModFileDate = 0;
  Word LastModFileTime = 0;
  Int32 CRC = 0;
  Cardinal ExternalFileAttributes = 0;
  AnsiString Comment;
  TInternalSearchRec Handle;
};

// ---------------------------------------------------------------------------
// The archiver's options for adding and extracting files.
class TZAOptions : public TObject {
 public:
  TZAStorePathMode FStorePath = spRelativePath;
  bool FRecurse = true;
  TZAFileShareMode FShareMode = smShareDenyNone;
  TZAOverwriteMode FOverwriteMode = omAlways;
  bool FCreateDirs = true;
  bool FReplaceReadOnly = true;
  bool FSetAttributes = true;
  Int32 FSearchAttr = 0x28BF;  // file attributes searched when adding
  bool FFlushBuffers = true;
  bool FOEMFileNames = true;  // names without the UTF-8 flag may be in the OEM code page

  // Copies every field of another TZAOptions; any other source raises
  // EConvertError "Cannot assign a <class> to a TZAOptions".
  virtual void Assign(const TObject* source);
};

class TZAVolumeNumberInfo;

// How an archive is spread over volumes.
class TZASpanningOptions : public TObject {
 public:
  bool FAdvancedNaming = false;
  Int64 FFirstVolumeSize = 0;
  TZAVolumeSize FVolumeSize = vsAutoDetect;
  Int64 FCustomVolumeSize = 0;
  bool FSaveDirToFirstVolume = false;

  // Stores at least 65,536 (smaller sizes become 65,536).
  void SetCustomVolumeSize(Int64 size);
  // The size limit of the volume in bytes; -1 for no limit (the free space
  // of the disk decides). The first volume takes FFirstVolumeSize when set.
  Int64 GetVolumeSize(const TZAVolumeNumberInfo& volume) const;
  // Copies all five fields of another TZASpanningOptions; any other source
  // raises EConvertError.
  virtual void Assign(const TObject* source);
};

// The volume an operation works on: first, last, a given number or unknown.
class TZAVolumeNumberInfo : public TObject {
 public:
  TZAVolumeNumberKind FVolumeKind = vnkUnknown;
  Int32 FVolumeNumber = -1;      // 0-based
  Int32 FLastVolumeNumber = -1;  // -1 while unknown

  // Back to the unknown volume.
  void Init();
  bool GetFirstVolume() const { return FVolumeNumber == 0; }
  // true makes this the first volume; false does nothing.
  void SetFirstVolume(bool value);
  // The last volume: the last number when it is known, else by kind.
  bool GetLastVolume() const;
  // true makes this the last volume (number := last number); false does nothing.
  void SetLastVolume(bool value);
  void SetVolumeNumber(Int32 number);
  bool IsEqualTo(const TZAVolumeNumberInfo& other) const;
};

// ---------------------------------------------------------------------------
// Traditional encryption: the three keys (32-bit values in 64-bit slots) and
// the 12-byte encryption header.
using TZipKey = std::array<Int64, 3>;
using TZipKeyHeader = std::array<Byte, 12>;

// ---------------------------------------------------------------------------
// The archiver's events. The first parameter is always the sender; reference
// parameters are the ones a handler may change. Progress values are
// percentages from 0.0 to 100.0; volume numbers are counted from 1.

using TZAProgressEvent = std::function<void(TObject* Sender, Double Progress, TZAProcessOperation Operation,
                                            TZAProgressPhase ProgressPhase, bool& Cancel)>;
using TZAFileProgressEvent =
    std::function<void(TObject* Sender, const String& FileName, Double Progress, TZAProcessOperation Operation,
                       TZAProgressPhase ProgressPhase, bool& Cancel)>;
using TZACopyTempFileProgressEvent =
    std::function<void(TObject* Sender, Double Progress, TZAProgressPhase ProgressPhase, bool& Cancel)>;
using TZAConfirmOverwriteEvent = std::function<void(TObject* Sender, const String& SourceFileName,
                                                    String& DestFileName, bool& Confirm)>;
using TZAConfirmProcessFileEvent =
    std::function<void(TObject* Sender, const String& FileName, TZAProcessOperation Operation, bool& Confirm)>;
using TZAOnPasswordEvent =
    std::function<void(TObject* Sender, const String& FileName, AnsiString& NewPassword, bool& SkipFile)>;
using TZAProcessFileFailureEvent =
    std::function<void(TObject* Sender, const String& FileName, TZAProcessOperation Operation, Int32 NativeError,
                       Int32 ErrorCode, const String& ErrorMessage, TZAAction& Action)>;
using TZAOnRequestBlankVolumeEvent =
    std::function<void(TObject* Sender, Int32 VolumeNumber, String& VolumeFileName, bool& Cancel)>;
using TZAOnRequestFirstVolumeEvent = std::function<void(TObject* Sender, String& VolumeFileName, bool& Cancel)>;
using TZAOnRequestLastVolumeEvent = std::function<void(TObject* Sender, String& VolumeFileName, bool& Cancel)>;
using TZAOnRequestMiddleVolumeEvent =
    std::function<void(TObject* Sender, Int32 VolumeNumber, String& VolumeFileName, bool& Cancel)>;
using TZAOnDiskFullEvent =
    std::function<void(TObject* Sender, Int32 VolumeNumber, const String& VolumeFileName, bool& Cancel)>;
using TZAProcessVolumeFailureEvent =
    std::function<void(TObject* Sender, TZAProcessOperation Operation, Int32 VolumeNumber,
                       const String& VolumeFileName, bool& Cancel)>;
using TZAOnStoreFileEvent = std::function<void(TObject* Sender, String& FileName, Int32& FileAttr,
                                               AnsiString& Comment, const String& OriginalFileName)>;
using TZAOnExtractFileEvent =
    std::function<void(TObject* Sender, String& FileName, Cardinal& FileAttr, const AnsiString& Comment)>;


// Unit start and stop (the unit has no work of its own).
void ZATypes_initialization();
void ZATypes_Finalization();

}  // namespace sk
