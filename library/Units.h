// Library start and stop: the unit table run by Initialize and Finalize.
#pragma once

#include <cstddef>

namespace sk {

// One row of the unit table: a unit's name and its start and stop routines.
struct TUnitTableEntry {
  const char* name;
  void (*initialization)();
  void (*finalization)();
};

// The units in dependency order (every unit after the units it uses).
const TUnitTableEntry* UnitTable();
std::size_t UnitTableCount();

}  // namespace sk

extern "C" {
// Runs every unit's initialisation in table order (each unit does its start
// work only once per process, whoever calls first).
void Initialize();
// Runs every unit's finalisation in reverse table order.
void Finalize();
}
