// Layer keys: the names the LISP program uses to ask for a layer, per layer system,
// resolved through the project's tables to a layer of the drawing (made when missing).
#pragma once

#include <string>

#include "arx/db_id.h"

class ovApplication;

// Resolves the key in the system (0: no system) to a layer of the current drawing:
// the key's own row, else the system's "DEFAULT" row, else layer "0" with a message.
// The layer is created from its row when the drawing lacks it, and is never left
// locked. False when the drawing's tables cannot be opened.
bool ovResolveLayer(ovApplication* context, const std::wstring& key, int system, AcDbObjectId& layerId);
