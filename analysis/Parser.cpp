#include "analysis/Parser.h"

#include "core/Stringtag_utils.h"
#include "core/UnitCounter.h"

namespace sk {

namespace {

bool WriteInt(TStream* stream, Int32 v) { return stream->Write(&v, 4) == 4; }
bool ReadInt(TStream* stream, Int32& v) { return stream->TryReadValue(v); }

// A stored string, of any length its writer wrote; false when the stream
// ends before its count. A count that fails the checks raises the
// stored-string exception.
bool ReadLine(TStream* stream, TStringList* lines) {
  if (stream->Remaining() < 4) return false;
  lines->Add(ReadAListString(stream));
  return true;
}

}  // namespace

TParseFormulaHandler::TParseFormulaHandler()
    : DataIsFor(grid_none),
      Original_Strings(std::make_unique<TStringList>()),
      Translated_Strings(std::make_unique<TStringList>()) {}

TParseFormulaHandler::~TParseFormulaHandler() = default;

bool TParseFormulaHandler::SaveToStream(TStream* stream) {
  if (Version < 1) Version = 1;
  const Int32 lines = Translated_Strings->Count();
  if (lines >= 1 && Original_Strings->Count() == lines) {
    bool ok = WriteInt(stream, FormulaWithLinesMark) && WriteInt(stream, Version) && WriteInt(stream, BasedOnCol) &&
              WriteInt(stream, lines);
    for (Int32 i = 0; ok && i < lines; ++i) ok = WriteAString(stream, Translated_Strings->Get(i));
    for (Int32 i = 0; ok && i < lines; ++i) ok = WriteAString(stream, Original_Strings->Get(i));
    return ok;
  }
  return WriteInt(stream, Version) && WriteInt(stream, BasedOnCol);
}

bool TParseFormulaHandler::ReadFromStream(TStream* stream) {
  Original_Strings->Clear();
  Translated_Strings->Clear();
  Int32 first = 0;
  if (!ReadInt(stream, first)) return false;
  if (first != FormulaWithLinesMark) {
    Version = first;
    if (Version == 0) return true;
    return ReadInt(stream, BasedOnCol);
  }
  Int32 lines = 0;
  if (!ReadInt(stream, Version) || !ReadInt(stream, BasedOnCol) || !ReadInt(stream, lines)) return false;
  // Every line takes at least its 4-byte count, twice.
  if (lines < 1 || lines > stream->Remaining() / 8) return false;
  for (Int32 i = 0; i < lines; ++i)
    if (!ReadLine(stream, Translated_Strings.get())) return false;
  for (Int32 i = 0; i < lines; ++i)
    if (!ReadLine(stream, Original_Strings.get())) return false;
  return true;
}

SK_COUNTER_ONLY_UNIT(Parser)

}  // namespace sk
