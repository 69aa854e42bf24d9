// Fuzz target: the list of moves an open finds beside a split archive or a
// chunk set. The input is the list; a name in it that begins with "@" is taken
// to lie in the scratch folder. A list that parses writes back to the same
// bytes; recovering from it touches nothing but the names it lists in the
// list's own folder, and never a file of another name there.
#include <cstddef>
#include <cstdint>
#include <string>

#include "support/FuzzSupport.h"
#include "zip/ZAArchiver_volumes.h"

using namespace sk;

namespace {

// Lists written by the writer itself: a move to a free name, one over an old
// file, and a set of three.
void WriteSeeds(fuzz::Seeds& seeds) {
  TZAMoveList list;
  list.anchorBase = "a.zip";
  list.moves.push_back({"@.a.zip.sk-abcdefgh.tmp", "@a.z01", {2049, 77, 65536, 1700000000000000000u}, false, {}});
  seeds.Add(ZAFormatMoveList(list));
  list.moves.push_back(
      {"@.a.zip.sk-ijklmnop.tmp", "@a.zip", {2049, 78, 1200, 1700000000000000001u}, true, {2049, 12, 900, 5}});
  seeds.Add(ZAFormatMoveList(list));
  list.moves.push_back({"@.a.zip.sk-qrstuvwx.tmp", "@keep.txt", {2049, 79, 10, 3}, true, {2049, 13, 4, 4}});
  seeds.Add(ZAFormatMoveList(list));
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TZAMoveList list;
  if (ZAParseMoveList(bytes, list)) {
    if (ZAFormatMoveList(list) != bytes) fuzz::Fail("a list does not write back as read", __FILE__, __LINE__);
  }
  const fuzz::ScratchFiles& scratch = fuzz::ScratchFiles::Instance();
  const std::string folder = scratch.Path("");
  for (TZAMoveList::TMove& m : list.moves) {
    if (m.temp.starts_with("@")) m.temp = folder + m.temp.substr(1);
    if (m.name.starts_with("@")) m.name = folder + m.name.substr(1);
  }
  scratch.Write("keep.txt", "kept", 4);
  scratch.Write("other.txt", "other", 5);
  const String anchor = Utf8ToString(scratch.Path("a.zip"));
  const std::string listPath = StringToUtf8(ZAMoveListName(anchor));
  const std::string listed = list.anchorBase.empty() ? bytes : ZAFormatMoveList(list);
  FILE* f = std::fopen(listPath.c_str(), "wb");
  if (f == nullptr) fuzz::Fail("cannot write the list", __FILE__, __LINE__);
  std::fwrite(listed.data(), 1, listed.size(), f);
  std::fclose(f);
  TZANewFileSet::Recover(anchor);
  const TBytes other = scratch.Read("other.txt");
  if (std::string(other.begin(), other.end()) != "other") fuzz::Fail("a file not listed changed", __FILE__, __LINE__);
  std::remove(listPath.c_str());
  return 0;
}
