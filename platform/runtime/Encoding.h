// Text encodings as objects: byte order marks, byte <-> String conversion and
// detection of an encoding from a buffer's preamble.
//
// The standard encodings (UTF8(), Unicode(), ANSI(), ...) and the ones from
// GetEncodingShared are process-wide singletons that callers never free; an
// encoding from GetEncoding belongs to the caller.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/runtime/RtlTypes.h"

namespace sk {

class TEncoding : public TObject {
 public:
  ~TEncoding() override;
  TEncoding(const TEncoding&) = delete;
  TEncoding& operator=(const TEncoding&) = delete;

  virtual Cardinal CodePage() const;
  virtual String EncodingName() const;
  // Byte order mark written in front of text in this encoding (empty if none).
  virtual TBytes GetPreamble() const;
  virtual bool IsSingleByte() const;

  // Conversions never add or expect the preamble. Bytes the encoding cannot
  // decode become U+FFFD; characters it cannot hold become its substitute.
  TBytes GetBytes(const String& s) const;
  TBytes GetBytes(const Char* p, size_t n) const;
  String GetString(const TBytes& bytes) const;
  // The part of bytes from index on, at most count bytes (clamped to the bytes held).
  String GetString(const TBytes& bytes, size_t index, size_t count) const;
  String GetString(const Byte* p, size_t n) const;
  Int32 GetByteCount(const String& s) const;
  Int32 GetCharCount(const Byte* p, size_t n) const;
  Int32 GetCharCount(const TBytes& bytes) const;
  Int32 GetMaxByteCount(Int32 charCount) const;

  static TEncoding* UTF8();
  static TEncoding* Unicode();           // UTF-16 little endian
  static TEncoding* BigEndianUnicode();  // UTF-16 big endian
  static TEncoding* ASCII();
  static TEncoding* UTF7();
  static TEncoding* ANSI();     // the process ANSI code page at the time of the call
  static TEncoding* Default();  // same as ANSI()

  // A new encoding for the code page (CP_ACP and the other pseudo code pages are
  // resolved), owned by the caller; throws EEncodingError when the code page is
  // unknown.
  static std::unique_ptr<TEncoding> GetEncoding(Cardinal codePage);
  // A cached encoding for the code page, never freed by the caller; nullptr
  // when the code page is unknown.
  static TEncoding* GetEncodingShared(Cardinal codePage);

  // Detects UTF-8, UTF-16LE and UTF-16BE by their byte order marks. If aEncoding
  // is null on entry it becomes the detected encoding (else aDefault, else
  // Default()) and the length of the mark is returned. If aEncoding is set on
  // entry, returns its preamble length when buf starts with its preamble, else 0.
  static Int32 GetBufferEncoding(const TBytes& buf, TEncoding*& aEncoding, TEncoding* aDefault = nullptr);
  static Int32 GetBufferEncoding(const Byte* buf, size_t n, TEncoding*& aEncoding, TEncoding* aDefault = nullptr);
  // True for the shared encodings that callers must not free.
  static bool IsStandardEncoding(TEncoding* e);
  // The bytes decoded with src and encoded with dst (empty when either is null).
  static TBytes Convert(TEncoding* src, TEncoding* dst, const TBytes& bytes);

 protected:
  explicit TEncoding(Cardinal codePage);

 private:
  Cardinal fCodePage;
  Int32 fMaxCharSize;
};

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// values above U+10FFFF; a sequence cut off at the end counts as invalid).
bool IsUTF8Valid(const Byte* p, size_t n);
bool IsUTF8Valid(const TBytes& bytes);

}  // namespace sk
