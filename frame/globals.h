// The project's global settings in tblGlobal, read and written through the current
// project's cached record set.
#pragma once

#include <string>

class ovApplication;
class tblGlobal;

// The setting's number; 0.0 when the setting, its number or the cache is missing.
double ovGetGlobalNumber(ovApplication* context, const std::wstring& key);
// Stores a number under the key, adding the setting when it is new.
void ovSetGlobalNumber(ovApplication* context, const std::wstring& key, double value);
// The same for a text setting (yes/no settings are the texts "YES" and "NO").
std::wstring ovGetGlobalText(ovApplication* context, const std::wstring& key);
void ovSetGlobalText(ovApplication* context, const std::wstring& key, const std::wstring& value);

// The same on a record set of the caller's (a dialog working on a database of its own).
double ovGetGlobalNumber(tblGlobal& globals, const std::wstring& key);
void ovSetGlobalNumber(tblGlobal& globals, const std::wstring& key, double value);
