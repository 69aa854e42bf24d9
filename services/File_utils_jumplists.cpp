#include "services/File_utils_jumplists.h"

#include "platform/runtime/QuickSort.h"

namespace sk {

std::unique_ptr<TConcordJumpToHolder> TConcordJumpToHolder::CreateBlank() {
  return std::make_unique<TConcordJumpToHolder>(TConcordJumpTo{});
}

bool TConcordJumpToHolder::ReadFromStream(TStream* stream) {
  if (stream == nullptr) return false;
  Int32 file = 0, pos = 0;
  if (!stream->TryReadValue(file) || !stream->TryReadValue(pos)) return false;
  data.file_number_1B = file;
  data.byte_position = pos;
  return true;
}

bool TConcordJumpToHolder::SaveToStream(TStream* stream) const {
  if (stream == nullptr) return false;
  try {
    stream->WriteValue<Int32>(data.file_number_1B);
    stream->WriteValue<Int32>(data.byte_position);
    return true;
  } catch (const EWriteError&) {
    return false;
  }
}

void TConcordJumpFileAndByteList::AddOne(const TConcordJumpTo& x) {
  fItems.push_back(std::make_unique<TConcordJumpToHolder>(x));
}

void TConcordJumpFileAndByteList::Clear() { fItems.clear(); }

Int32 TConcordJumpFileAndByteList::GetAFilenumber_1B(Int32 i) const { return GetAJumpTo(i).file_number_1B; }

TConcordJumpTo TConcordJumpFileAndByteList::GetAJumpTo(Int32 i) const {
  if (i < 0 || i >= Count()) return TConcordJumpTo{};
  return fItems[static_cast<size_t>(i)]->data;
}

Int32 TConcordJumpFileAndByteList::IndexOfFilenumber_1B(Int32 n) const {
  for (Int32 i = 0; i < Count(); ++i)
    if (fItems[static_cast<size_t>(i)]->data.file_number_1B == n) return i;
  return -1;
}

bool TConcordJumpFileAndByteList::SaveToStream(TStream* stream) {
  if (stream == nullptr) return false;
  if (fItems.size() > 1)
    QuickSortVector(fItems, [](const std::unique_ptr<TConcordJumpToHolder>& a,
                               const std::unique_ptr<TConcordJumpToHolder>& b) {
      return a->data.byte_position < b->data.byte_position ? -1 : (a->data.byte_position > b->data.byte_position ? 1 : 0);
    });
  try {
    stream->WriteValue<Int32>(Count());
  } catch (const EWriteError&) {
    return false;
  }
  for (const auto& h : fItems)
    if (!h->SaveToStream(stream)) return false;
  return true;
}

bool TConcordJumpFileAndByteList::ReadFromStream(TStream* stream) {
  if (stream == nullptr) return false;
  Int32 count = 0;
  if (!stream->TryReadValue(count) || count < 0) return false;
  // Nothing is reserved from the count: a corrupt count ends at the first
  // short read instead of asking for memory the stream cannot fill.
  for (Int32 i = 0; i < count; ++i) {
    auto h = TConcordJumpToHolder::CreateBlank();
    if (!h->ReadFromStream(stream)) return false;
    fItems.push_back(std::move(h));
  }
  return true;
}

}  // namespace sk
