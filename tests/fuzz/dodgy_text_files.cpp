// Fuzz target: text-file bytes through the readers of whole text files — the
// line-splitting list with its encoding detection, insertion into the bytes,
// the statistical UTF-16 test and the UTF-8 checks.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/runtime/Streams.h"
#include "services/File_utils_textfiles.h"
#include "services/Utf8_unit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sk;
  const TBytes bytes(data, data + size);

  TPossiblyDodgyTextStringlist list;
  TBytesStream stream(bytes);
  list.LoadFromStream(&stream);
  (void)list.Text();

  // The first byte (when there is one) chooses the insertion point.
  const Cardinal position = size > 0 ? data[0] : 1;
  const TBytes inserted = TextFileBytesWithInsertion(bytes, u"XY\u00E9\U0001F600", nullptr, position);
  if (inserted.size() < bytes.size()) __builtin_trap();
  const AnsiString ansi("a\xE9");
  (void)TextFileBytesWithInsertion(bytes, String(), &ansi, position * 7);

  std::vector<Char> units((size + 1) / 2 + 1, 0);
  for (size_t i = 0; i < size; ++i) reinterpret_cast<Byte*>(units.data())[i] = data[i];
  (void)StringIsInUnicode(units.data(), static_cast<Int32>(size));

  const RawByteString raw(reinterpret_cast<const char*>(data), size);
  const Int32 chars = UTF8LengthInChars(raw);
  if (chars < 0 || static_cast<size_t>(chars) > size) __builtin_trap();
  bool single = false;
  (void)CheckedUTF(raw, single);
  (void)HasUTF_bytes(bytes);
  return 0;
}
