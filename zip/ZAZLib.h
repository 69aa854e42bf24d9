// The zip engine's binding to zlib: an allocator for zlib, the checks that turn
// negative zlib results into compression exceptions, and whole-buffer
// compression and decompression in the zlib format (2-byte header, deflate
// data, Adler-32 trailer).
#pragma once

#include <zlib.h>

#include "platform/runtime/RtlTypes.h"

namespace sk {

class EZLibError : public Exception { using Exception::Exception; };
class ECompressionError : public EZLibError { using EZLibError::EZLibError; };
class EDecompressionError : public EZLibError { using EZLibError::EZLibError; };

// code unchanged when it is 0 or above; else raises ECompressionError with the
// message "error " and the code ("error -2").
Int32 CCheck(Int32 code);
// code unchanged when it is 0 or above; else raises EDecompressionError with
// the message "error".
Int32 DCheck(Int32 code);

// Compresses InBytes bytes at InBuf at the given level (0 to 9) into OutBuf,
// exact-sized, and sets OutBytes to its length. Raises ECompressionError when
// zlib refuses (a level above 9: "error -2"), when the input is negative or
// null with a length, or when the result would not fit an Int32; OutBuf and
// OutBytes are then empty and nothing is left allocated.
void ZLIBCompressBuf(const void* InBuf, Int32 InBytes, TBytes& OutBuf, Int32& OutBytes, Byte level);

// Decompresses one zlib-format block of InBytes bytes at InBuf into OutBuf,
// exact-sized, and sets OutBytes to its length; true on success. OutEstimate
// is only the first size tried (0 or negative: the input size rounded up to
// 256; never more than deflate's largest expansion of the input); the block
// grows as needed. Corrupt, truncated or non-zlib input, a null or negative
// input, or a result past Int32 gives false with OutBuf empty and OutBytes 0;
// nothing is raised.
bool ZLIBDecompressBuf(const void* InBuf, Int32 InBytes, Int32 OutEstimate, TBytes& OutBuf, Int32& OutBytes);

// zlib's allocator: a zero-filled block of items * size bytes (null when the
// product overflows or memory runs out), released by zcFree.
voidpf zcAlloc(voidpf opaque, uInt items, uInt size);
void zcFree(voidpf opaque, voidpf block);

// Unit start and stop (the unit has no work of its own).
void ZAZLib_initialization();
void ZAZLib_Finalization();

}  // namespace sk
