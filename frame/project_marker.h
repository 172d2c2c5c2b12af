// The mark a drawing carries when it uses the project database: extended data of the
// application "ORVANE" on its model-space record, with the module's token in upper
// case followed by "YES".
#pragma once

#include <string>

#include "arx/resbuf.h"

class AcDbObject;

// The value after `key` in the object's "ORVANE" extended data: each text item is a
// key and the item after it its value. A text value comes back as a one-item chain,
// any other as a copy of that one item; null when the key is not there. The caller
// releases the chain.
resbuf* ovExtendedDataValue(const AcDbObject* object, const std::wstring& key);

// Whether the current document's model space carries TOKEN = "YES".
bool ovCurrentDrawingUsesProjectDatabase(const std::wstring& token);
