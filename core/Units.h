// Library start and stop: the unit table run by Initialize and Finalize.
#pragma once

extern "C" {
// Runs every unit's start work in table order (each unit only once per process).
void Initialize();
// Runs every unit's stop work in reverse table order.
void Finalize();
}
