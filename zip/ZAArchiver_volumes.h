// What the archiver asks of the system about the disks its volumes go to: the
// free space of a drive and the label of a spanned disk. Both go through
// replaceable hooks, so that a host (or a test) can answer in their place.
#pragma once

#include <functional>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// The bytes free to the caller on the file system that holds the path; -1
// when it cannot be asked.
using TZAFreeDriveSpaceHook = std::function<Int64(const String& path)>;
// Labels the disk that holds the path. Linux file systems are not labelled by
// the archiver: unless a hook is set, the label goes nowhere.
using TZAVolumeLabelHook = std::function<void(const String& path, const String& label)>;

// Install a hook (an empty one restores the default) and answer the previous.
TZAFreeDriveSpaceHook SetZAFreeDriveSpaceHook(TZAFreeDriveSpaceHook hook);
TZAVolumeLabelHook SetZAVolumeLabelHook(TZAVolumeLabelHook hook);

// The free space through the hook, else the file system's (statvfs).
Int64 ZAFreeDriveSpace(const String& path);
void ZASetVolumeLabel(const String& path, const String& label);

// The label of a spanned disk: "pkback# " and the volume number + 1 in three
// digits ("pkback# 003" for volume 2).
String ZASpannedVolumeLabel(Int32 volumeNumber);

// The most times a volume is asked for (or a disk-full prompt answered with a
// retry) before the operation gives up: a handler that neither cancels nor
// names a usable file cannot keep the archiver asking for ever.
inline constexpr Int32 ZAMaxVolumeRequests = 20;

}  // namespace sk
