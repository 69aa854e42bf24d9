// The standard controls, gathered for code that uses several of them.
#pragma once

#include "platform/visual/ComboBoxes.h"
#include "platform/visual/Edits.h"
#include "platform/visual/StandardControls.h"
