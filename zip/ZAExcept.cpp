#include "zip/ZAExcept.h"

#include "core/UnitCounter.h"
#include "platform/runtime/Strings.h"

namespace sk {

const std::array<const char16_t*, ZAErrorMessageCount> ZAErrorMessages = {
    u"Unknown error",
    u"Index out of bounds",
    u"Invalid compression mode. Mode must be in [0-9] range",
    u"Unexpected nil pointer",
    u"Invalid size or check sum of file or unsupported compression format",
    u"File name is blank. Specify appropriate file name",
    u"File \"%s\" not found",
    u"Archive is not open",
    u"SFXStub property is not specified",
    u"Cannot create file \"%s\"",
    u"Cannot create directory \"%s\"",
    u"Internal error. Update is not started",
    u"Cannot open file \"%s\"",
    u"Cannot proceed when update is not ended. Preceding EndUpdate call is required.",
    u"Cannot delete file \"%s\"",
    u"In-memory archive can be created only",
    u"File is open in read-only mode",
    u"Invalid compressed size, rfs.size = %d, count = %d",
    u"Invalid archive file.",
    u"Cannot create output file. Probably file is locked by another process. FileName = '%s'.",
    u"Archive is open. You should close it beore performing this operation.",
    u"Unable to create directory",
    u"Cannot find 64-bit directory end record",
    u"Cannot compress file '%s'. Zip64 mode is not enabled",
    u"Cannot open archive file. Opening aborted or invalid file",
    u"Write to stream error",
    u"Cannot place SFX stub on volume. Volume size limit is too small",
    u"Archive is damaged. Open failed",
    u"MakeSFX is not allowed for splitted or spanned archives. Set SFXStub before archive creation instead of "
    u"MakeSFX",
    u"Archive already has SFX stub",
    u"Multi-volume archive is not allowed for custom stream",
    u"Multi-spanned archive is not allowed for modification. Use BeginUpdate/EndUpdate methods to add files "
    u"several times",
    u"Deflate64 compression method is not supported",
    u"MakeSFX error",
    u"Hashed list of file names is invalid",
    u"Cannot delete folder \"%s\"",
    u"File name is too long: \r\n\"%s\"",
    u"Multiple transactions are not supported for multi-volume archives",
    u"Invalid InitVector index = %d. Index should be >= 0 and < %d",
    u"Disk is full. There is not enough free space on disk.",
    u"Invalid password. Cannot decompress encrypted file.",
    u"Cannot put the archive back as it was. Its old end is kept in \"%s\"",
    u"The archive already holds an entry named \"%s\"",
    u"Cannot roll back the interrupted update of the archive. Its journal \"%s\" is kept for the next attempt",
    u"The archive \"%s\" is being changed by another process. Try again later",
    u"\"%s\" is not the journal of this archive: it is left as it is, and the archive cannot be updated while it "
    u"is there",
    u"The journal \"%s\" of an update of this archive is damaged, so the archive may be damaged too and need "
    u"repair. The journal is kept, and the archive cannot be read or updated while it is there",
    u"Cannot replace the archive \"%s\": %s",
    u"Cannot update the archive \"%s\": this user may write it but is neither its owner nor, by the system's user "
    u"list, one of its group, so its other users could not put back an update of it cut short. Let its owner or one "
    u"of its group update it",
    u"Cannot write \"%s\": %s",
    u"The archive \"%s\" has more than one name (hard links), and this change cannot be made in place so that "
    u"every name finds it: the archive is left as it was",
    u"The archive's member \"%s\" is too large to read",
    u"The archive is damaged: the entry \"%s\" lacks the zip64 extra field that holds its sizes",
    u"The journal \"%s\" of an earlier update of this archive is no longer needed, but this user may not remove "
    u"it, and the archive cannot be changed while it is there. Its owner or the system's administrator can remove it",
    u"The archive \"%s\" is being read by another process. Try again later",
};

const std::array<TZANativeToErrorCodeRec, ZANativeErrorCount> ZANativeToErrorCode = {{
    {0, 0},   {1, 1},   {2, 1},   {3, 1},   {4, 1},   {5, 2},   {6, 3},   {7, 1},   {8, 4},   {9, 5},
    {10, 5},  {11, 6},  {12, 6},  {13, 7},  {14, 7},  {15, 6},  {16, 1},  {17, 8},  {18, 6},  {19, 9},
    {20, 10}, {21, 1},  {22, 11}, {23, 9},  {24, 1},  {25, 11}, {26, 13}, {27, 14}, {28, 15}, {29, 5},
    {30, 6},  {31, 6},  {32, 16}, {33, 12}, {34, 17}, {35, 18}, {36, 19}, {37, 20}, {38, 6},  {39, 21},
    {40, 22}, {41, 23}, {42, 6},  {43, 23}, {44, 24}, {45, 24}, {46, 25}, {47, 26}, {48, 27}, {49, 28},
    {50, 29}, {51, 30}, {52, 31}, {53, 6},  {54, 6},  {55, 32}, {56, 33}, {57, 27}, {58, 34}, {59, 34},
    {60, 35}, {61, 36}, {62, 37}, {63, 38}, {64, 38}, {65, 39}, {66, 39}, {67, 40}, {68, 41}, {69, 42},
    {70, 43}, {71, 44}, {72, 45}, {73, 46}, {74, 47}, {75, 48}, {76, 49}, {77, 50}, {78, 51}, {79, 52},
    {80, 53}, {81, 54},
}};

Int32 ZANativeToMessageIndex(Int32 nativeError) {
  for (const auto& pair : ZANativeToErrorCode)
    if (pair.NativeCode == nativeError) return pair.ErrorCode;
  return 0;
}

namespace {

// Puts the component's name in front and the five-digit native code after.
String ComposeText(const String& message, Int32 nativeError, const TZAComponent* component) {
  String text = message;
  if (component != nullptr && !component->Name.empty()) text = Format(u"%s: %s", {component->Name, text});
  String code = Format(u"%5d", {nativeError});
  for (Char& c : code)
    if (c == u' ') c = u'0';
  return text + u" - Native error: " + code;
}

}  // namespace

EZAException::EZAException(Int32 nativeError, const TZAComponent* component)
    : ErrorCode(ZANativeToMessageIndex(nativeError)), NativeError(nativeError) {
  SetMessage(ComposeText(ZAErrorMessages[static_cast<size_t>(ErrorCode)], nativeError, component));
}

EZAException::EZAException(Int32 nativeError, std::initializer_list<TVarRec> args, const TZAComponent* component)
    : ErrorCode(ZANativeToMessageIndex(nativeError)), NativeError(nativeError) {
  SetMessage(ComposeText(Format(ZAErrorMessages[static_cast<size_t>(ErrorCode)], args), nativeError, component));
}

SK_COUNTER_ONLY_UNIT(ZAExcept)

}  // namespace sk
