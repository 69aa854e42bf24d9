// The unit table's order against the units' includes: a unit that uses
// another (includes its header, directly or through other units) must start
// after it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "library/Units.h"

namespace sk {
namespace {

namespace fs = std::filesystem;

// A unit is named by its folder and stem ("core/My_string_functions").
using TUnitPath = std::string;

// The units of the layer folders under root and what each includes of the
// others, read from the sources.
class TUnitGraph {
 public:
  explicit TUnitGraph(const fs::path& root) : fRoot(root) {
    for (const std::string& folder : LayerFolders())
      for (const auto& entry : fs::directory_iterator(fRoot / folder)) {
        const fs::path file = entry.path();
        if (file.extension() == ".h" || file.extension() == ".cpp") ReadFile(folder, file);
      }
  }

  // The unit named name (the stem of its header) in any layer folder; empty
  // when there is none.
  TUnitPath Named(const std::string& name) const {
    for (const auto& [unit, uses] : fUses)
      if (unit.substr(unit.rfind('/') + 1) == name) return unit;
    return {};
  }

  // The chain of units from `from` to `to` through the include edges
  // ("a -> b -> c"); empty when `from` does not use `to`.
  std::string Chain(const TUnitPath& from, const TUnitPath& to) const {
    std::map<TUnitPath, TUnitPath> cameFrom;
    std::vector<TUnitPath> queue{from};
    for (size_t k = 0; k < queue.size(); ++k) {
      const auto it = fUses.find(queue[k]);
      if (it == fUses.end()) continue;
      for (const TUnitPath& next : it->second) {
        if (next == from || cameFrom.count(next)) continue;
        cameFrom[next] = queue[k];
        if (next == to) {
          std::string chain = to;
          for (TUnitPath at = to; at != from;) chain = (at = cameFrom[at]) + " -> " + chain;
          return chain;
        }
        queue.push_back(next);
      }
    }
    return {};
  }

 private:
  std::vector<std::string> LayerFolders() const {
    std::vector<std::string> folders;
    std::ifstream table(fRoot / "cmake" / "layers.txt");
    for (std::string line; std::getline(table, line);) {
      std::istringstream fields(line.substr(0, line.find('#')));
      std::string layer, folder;
      if (fields >> layer >> folder && fs::is_directory(fRoot / folder)) folders.push_back(folder);
    }
    return folders;
  }

  // The unit a file of folder with this stem belongs to: a theme split
  // <Unit>_<theme> belongs to the shortest <Unit> whose header is in the same
  // folder; any other file is a unit of its own.
  TUnitPath UnitOf(const std::string& folder, const std::string& stem) const {
    for (size_t at = stem.find('_'); at != std::string::npos; at = stem.find('_', at + 1))
      if (fs::exists(fRoot / folder / (stem.substr(0, at) + ".h"))) return folder + "/" + stem.substr(0, at);
    return folder + "/" + stem;
  }

  void ReadFile(const std::string& folder, const fs::path& file) {
    const TUnitPath unit = UnitOf(folder, file.stem().string());
    std::set<TUnitPath>& uses = fUses[unit];
    std::ifstream in(file);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    static const std::regex include(R"re((^|\n)[ \t]*#[ \t]*include[ \t]+"([^"]+)")re");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), include); it != std::sregex_iterator(); ++it) {
      const fs::path target((*it)[2].str());
      if (!target.has_parent_path() || !fs::exists(fRoot / target)) continue;
      const TUnitPath used = UnitOf(target.parent_path().string(), target.stem().string());
      if (used != unit) uses.insert(used);
    }
  }

  fs::path fRoot;
  std::map<TUnitPath, std::set<TUnitPath>> fUses;
};

// For every two units of the table where the earlier one uses the later one,
// and the later one does not use it back, the chain of includes that shows it.
std::vector<std::string> OrderFaults(const TUnitGraph& graph, const std::vector<std::string>& table) {
  std::vector<std::string> faults;
  for (size_t i = 0; i < table.size(); ++i)
    for (size_t j = i + 1; j < table.size(); ++j) {
      const TUnitPath early = graph.Named(table[i]);
      const TUnitPath late = graph.Named(table[j]);
      const std::string uses = graph.Chain(early, late);
      // Units that use each other may start in either order.
      if (!uses.empty() && graph.Chain(late, early).empty())
        faults.push_back(table[i] + " starts before " + table[j] + ", which it uses: " + uses);
    }
  return faults;
}

std::vector<std::string> TableNames() {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < UnitTableCount(); ++i) names.push_back(UnitTable()[i].name);
  return names;
}

TEST(UnitsOrder, EveryUnitStartsAfterTheUnitsItUses) {
  const TUnitGraph graph(SK_SOURCE_DIR);
  for (const std::string& name : TableNames()) EXPECT_FALSE(graph.Named(name).empty()) << name << " has no header";
  for (const std::string& fault : OrderFaults(graph, TableNames())) ADD_FAILURE() << fault;
}

// The check itself: on a small tree, a unit listed before a unit whose theme
// header it includes through a third unit is found; units that use each
// other are not held to an order.
TEST(UnitsOrder, CheckFindsAUseThroughThemesAndOtherUnits) {
  ScratchFolder root("sk_unit_order");
  fs::create_directories(root.Path("cmake"));
  fs::create_directories(root.Path("core"));
  WriteFileBytes(root.Path("cmake/layers.txt"), "# name folder\ncore core\n");
  const std::vector<std::pair<std::string, std::string>> files = {
      {"core/Base.h", ""},
      {"core/Base_theme.h", ""},
      {"core/Middle.h", "#include \"core/Base_theme.h\"\n"},
      {"core/Top.h", ""},
      {"core/Top.cpp", "#include \"core/Top.h\"\n  #  include \"core/Middle.h\"\n"},
      {"core/Ping.h", "#include \"core/Pong.h\"\n"},
      {"core/Pong.h", "#include \"core/Ping.h\"\n"},
  };
  for (const auto& [name, text] : files) WriteFileBytes(root.Path(name), text);
  const TUnitGraph graph(root.Path(""));

  EXPECT_TRUE(OrderFaults(graph, {"Base", "Middle", "Top", "Ping", "Pong"}).empty());
  EXPECT_TRUE(OrderFaults(graph, {"Pong", "Ping"}).empty());
  const auto faults = OrderFaults(graph, {"Top", "Middle", "Base"});
  ASSERT_EQ(faults.size(), 3u);
  EXPECT_EQ(faults[0], "Top starts before Middle, which it uses: core/Top -> core/Middle");
  EXPECT_EQ(faults[1], "Top starts before Base, which it uses: core/Top -> core/Middle -> core/Base");
  EXPECT_EQ(faults[2], "Middle starts before Base, which it uses: core/Middle -> core/Base");
}

}  // namespace
}  // namespace sk
