// Helpers of the analysis tests: a byte builder for golden streams, a stream
// that refuses writes after a number of bytes, a small tool list class whose
// entries carry a word and a frequency, and scopes for the process settings
// the heading sets read.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "TestSupport.h"
#include "analysis/Headingsu.h"
#include "analysis/Work_qm_base.h"
#include "core/Global_vars.h"
#include "core/Qm_global_vars.h"
#include "core/Stringtag_utils.h"
#include "platform/runtime/Dialogs.h"
#include "platform/runtime/Streams.h"

namespace sk {

// Little-endian bytes, field by field.
class ByteBuilder {
 public:
  ByteBuilder& I32(Int32 v) { return Raw(&v, 4); }
  ByteBuilder& I16(SmallInt v) { return Raw(&v, 2); }
  ByteBuilder& U8(Byte v) { return Raw(&v, 1); }
  ByteBuilder& F32(Single v) { return Raw(&v, 4); }
  ByteBuilder& Zeros(size_t n) {
    bytes.insert(bytes.end(), n, 0);
    return *this;
  }
  // A stored string: Int32 count of UTF-16 units, then the units.
  ByteBuilder& Str(const String& s) {
    I32(static_cast<Int32>(s.size()));
    return Raw(s.data(), s.size() * 2);
  }
  ByteBuilder& Append(const TBytes& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return *this;
  }
  ByteBuilder& Raw(const void* p, size_t n) {
    const Byte* b = static_cast<const Byte*>(p);
    bytes.insert(bytes.end(), b, b + n);
    return *this;
  }
  TBytes bytes;
};

inline TBytes StreamBytes(TMemoryStream& s) { return s.ToBytes(); }

// A memory stream that takes only the first `limit` bytes written.
class LimitedWriteStream : public TMemoryStream {
 public:
  explicit LimitedWriteStream(Int64 limit) : fLimit(limit) {}
  Int64 Write(const void* buffer, Int64 count) override {
    const Int64 room = std::max<Int64>(0, fLimit - Size());
    return TMemoryStream::Write(buffer, std::min(room, count));
  }

 private:
  Int64 fLimit;
};

class TTestList;

// An entry of the test tool: a word (column 1) and a frequency (column 2).
// Its stream: the word as a stored string, then the frequency as Int64.
class TTestEntry : public TQMBaseListObject {
 public:
  TTestEntry(TQMSister* parent, TQMBaseHolder* holder) : TQMBaseListObject(parent, holder) {}
  String GetAWordAsString(Int32 column) override { return column == 1 ? word : String(); }
  void SetAWordAsString(Int32 column, const String& text) override {
    if (column == 1) word = text;
  }
  Int64 MainWordFrequency() override { return freq; }
  std::vector<TStringTag> MainWordStringTagArr() override { return {TStringTag{word, String(), 0}}; }
  bool SaveToStream(TStream* stream) override {
    return WriteAString(stream, word) && stream->Write(&freq, 8) == 8;
  }
  bool ReadFromStream(TStream* stream) override {
    if (stream->Remaining() < 4) return false;
    word = ReadAString(stream);
    return stream->Read(&freq, 8) == 8;
  }
  String word;
  Int64 freq = 0;
};

// The test tool's list: owns its entries (frees them when it takes them out,
// and clears itself when it goes). Its data in the envelope: Int32 count,
// then per entry the entry's stream and its private-details stream.
class TTestList : public TQMSister {
 public:
  explicit TTestList(TQuillmarkList kind = lt_word_list)
      : TQMSister(nullptr, &NewQMBaseListObject<TTestEntry>, {}, {}, {}, {}, grid_none, kind, 0) {}
  ~TTestList() override { Clear(); }

  void RemoveAnEntry(Int32 index) override {
    TQMBaseListObject* e = (index >= 0 && index < Count()) ? At(index) : nullptr;
    TQMBaseDataClass::RemoveAnEntry(index);
    delete e;
  }
  TTestEntry* AddWord(const String& word, Int64 freq) {
    auto* e = static_cast<TTestEntry*>(AddedABlankEntry(0));
    e->word = word;
    e->freq = freq;
    return e;
  }
  TTestEntry* Entry(Int32 i) const { return static_cast<TTestEntry*>(Get(i)); }

  bool ListSettToSaveSavedToStream(TStream* stream) override {
    const Int32 n = Count();
    bool ok = stream->Write(&n, 4) == 4;
    for (Int32 i = 0; ok && i < n; ++i)
      ok = Get(i)->SaveToStream(stream) && Get(i)->SavePrivateToStream(this, stream, StoredListInfo->fdata);
    return ok;
  }
  bool ListSettToSaveReadFromStream(TStream* stream) override {
    Int32 n = 0;
    if (!stream->TryReadValue(n) || n < 0 || n > stream->Remaining() / (4 + 8 + 32 + 4)) return false;
    for (Int32 i = 0; i < n; ++i) {
      TQMBaseListObject* e = AddedABlankEntry(i);
      if (!e->ReadFromStream(stream) || !e->ReadPrivateFromStream(this, stream, StoredListInfo->fdata)) return false;
    }
    return true;
  }
};

// Records every message box asked for while it lives; answers IDOK.
class RecordingMessageBoxForAnalysis {
 public:
  struct Box {
    String text;
    String caption;
    Cardinal flags;
  };
  RecordingMessageBoxForAnalysis() {
    fPrevious = SetMessageBoxHandler([this](const String& text, const String& caption, Cardinal flags) {
      boxes.push_back(Box{text, caption, flags});
      return IDOK;
    });
  }
  ~RecordingMessageBoxForAnalysis() { SetMessageBoxHandler(fPrevious); }
  RecordingMessageBoxForAnalysis(const RecordingMessageBoxForAnalysis&) = delete;
  RecordingMessageBoxForAnalysis& operator=(const RecordingMessageBoxForAnalysis&) = delete;
  std::vector<Box> boxes;

 private:
  TMessageBoxHandler fPrevious;
};

// Sets the user's read-write folder for one scope.
class ScopedUserFolder {
 public:
  explicit ScopedUserFolder(const String& folder) : fOld(Global_user_ReadWrite_folder) {
    Global_user_ReadWrite_folder = folder;
  }
  ~ScopedUserFolder() { Global_user_ReadWrite_folder = fOld; }

 private:
  String fOld;
};

// Sets the collocate horizons and the detailed-consistency file count for
// one scope.
class ScopedRunTimeColumns {
 public:
  ScopedRunTimeColumns(TConcordance_span left, TConcordance_span right, Int32 files)
      : fSpans(global_heading_collocate_spans), fFiles(global_DetailedConsistency_files) {
    global_heading_collocate_spans = Tdouble_colloc_span{left, right};
    global_DetailedConsistency_files = files;
  }
  ~ScopedRunTimeColumns() {
    global_heading_collocate_spans = fSpans;
    global_DetailedConsistency_files = fFiles;
  }

 private:
  Tdouble_colloc_span fSpans;
  Int32 fFiles;
};

}  // namespace sk
