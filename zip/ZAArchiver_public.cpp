// The archiver's auxiliary streams and the Unicode-name block.
#include <algorithm>

#include "zip/ZAArchiver.h"

namespace sk {

namespace {
constexpr Cardinal kUnicodeSignature = 0x5843554E;  // "NUCX"
}  // namespace

Int64 THackMemoryStream::CopyFrom(TStream* source, Int64 count) {
  if (source == nullptr) return 0;
  if (count == 0) {
    source->Seek(0, soBeginning);
    count = source->Size();
  }
  if (count <= 0) return 0;
  TBytes buffer(static_cast<size_t>(std::min<Int64>(count, 10000)));
  for (Int64 left = count; left > 0;) {
    const Int64 n = std::min<Int64>(left, static_cast<Int64>(buffer.size()));
    source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= n;
  }
  return count;
}

void TUnicodeExtendedInfo::SaveToStream(TStream* stream) const {
  stream->WriteValue<Cardinal>(kUnicodeSignature);
  stream->WriteValue<Int32>(static_cast<Int32>(FName.size()));
  for (Char ch : FName) stream->WriteValue<Word>(static_cast<Word>(ch));
}

bool TUnicodeExtendedInfo::LoadFromStream(TStream* stream) {
  stream->Seek(0, soBeginning);
  Cardinal signature = 0;
  if (!stream->TryReadValue(signature)) return false;
  FAdditionalSignature = signature;
  if (signature != kUnicodeSignature) return false;
  Int32 count = 0;
  if (!stream->TryReadValue(count) || count < 0 || Int64(count) * 2 > stream->Remaining()) return false;
  String name(static_cast<size_t>(count), u'\0');
  for (Char& ch : name) ch = static_cast<Char>(stream->ReadValue<Word>());
  FName = std::move(name);
  return true;
}

bool TUnicodeExtendedInfo::Load(const void* buffer, Int64 size) {
  TMemoryStream stream;
  if (size > 0) stream.WriteBuffer(buffer, size);
  return LoadFromStream(&stream);
}

}  // namespace sk
