#include "zip/ZATypes.h"

#include "core/UnitCounter.h"

namespace sk {

namespace {

// The persistent objects' assignment from an object of another class.
[[noreturn]] void CannotAssign(const char16_t* target) {
  throw EConvertError(String(u"Cannot assign to a ") + target);
}

}  // namespace

void TZAOptions::Assign(const TObject* source) {
  const auto* other = dynamic_cast<const TZAOptions*>(source);
  if (other == nullptr) CannotAssign(u"TZAOptions");
  if (other == this) return;
  FStorePath = other->FStorePath;
  FRecurse = other->FRecurse;
  FShareMode = other->FShareMode;
  FOverwriteMode = other->FOverwriteMode;
  FCreateDirs = other->FCreateDirs;
  FReplaceReadOnly = other->FReplaceReadOnly;
  FSetAttributes = other->FSetAttributes;
  FSearchAttr = other->FSearchAttr;
  FFlushBuffers = other->FFlushBuffers;
  FOEMFileNames = other->FOEMFileNames;
}

void TZASpanningOptions::SetCustomVolumeSize(Int64 size) { FCustomVolumeSize = size < 65536 ? 65536 : size; }

Int64 TZASpanningOptions::GetVolumeSize(const TZAVolumeNumberInfo& volume) const {
  if (volume.GetFirstVolume() && FFirstVolumeSize > 0) return FFirstVolumeSize;
  switch (FVolumeSize) {
    case vsCustom: return FCustomVolumeSize;
    case vs1_44MB: return 1457664;
    case vs100MB: return 104857600;
    case vs200MB: return 209715200;
    case vs250MB: return 262144000;
    case vs600MB: return 629145600;
    case vs650MB: return 681574400;
    case vs700MB: return 734003200;
    case vs4700MB: return 4928307200LL;
    case vsAutoDetect: break;
  }
  return -1;
}

void TZASpanningOptions::Assign(const TObject* source) {
  const auto* other = dynamic_cast<const TZASpanningOptions*>(source);
  if (other == nullptr) CannotAssign(u"TZASpanningOptions");
  if (other == this) return;
  FAdvancedNaming = other->FAdvancedNaming;
  FFirstVolumeSize = other->FFirstVolumeSize;
  FVolumeSize = other->FVolumeSize;
  FCustomVolumeSize = other->FCustomVolumeSize;
  FSaveDirToFirstVolume = other->FSaveDirToFirstVolume;
}

void TZAVolumeNumberInfo::Init() {
  FVolumeKind = vnkUnknown;
  FVolumeNumber = -1;
  FLastVolumeNumber = -1;
}

void TZAVolumeNumberInfo::SetFirstVolume(bool value) {
  if (!value) return;
  FVolumeNumber = 0;
  FVolumeKind = vnkFirst;
}

bool TZAVolumeNumberInfo::GetLastVolume() const {
  if (FLastVolumeNumber != -1) return FVolumeNumber == FLastVolumeNumber;
  return FVolumeKind == vnkLast;
}

void TZAVolumeNumberInfo::SetLastVolume(bool value) {
  if (!value) return;
  FVolumeNumber = FLastVolumeNumber;
  FVolumeKind = vnkLast;
}

void TZAVolumeNumberInfo::SetVolumeNumber(Int32 number) {
  FVolumeNumber = number;
  FVolumeKind = vnkCustom;
}

bool TZAVolumeNumberInfo::IsEqualTo(const TZAVolumeNumberInfo& other) const {
  if (GetLastVolume()) return other.GetLastVolume();
  if (GetFirstVolume()) return other.GetFirstVolume();
  if (FVolumeNumber < 0) return FVolumeKind == other.FVolumeKind;
  return FVolumeNumber == other.FVolumeNumber;
}

SK_COUNTER_ONLY_UNIT(ZATypes)

}  // namespace sk
