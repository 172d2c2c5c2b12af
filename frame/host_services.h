// Small services of the frame used across the module: per-user registry strings,
// appending an entity to model space, and the check after showing a dialog.
#pragma once

#include <string>

#include "arx/status.h"
#include "frame/resbuf_chain.h"

class AcDbEntity;

// The registry key every value of the module lives under (current user).
inline constexpr wchar_t kRegistryRoot[] = L"Software\\Orvane Software\\";

// The text value under "Software\Orvane Software\" + subkey; empty when the key or
// the value is missing.
std::wstring ovRegistryRead(const std::wstring& subkey, const std::wstring& valueName);
// Sets the text value when the key exists; a missing key is not created. Answers
// whether it was written.
bool ovRegistryWrite(const std::wstring& subkey, const std::wstring& valueName, const std::wstring& text);

// Appends the entity to the working database's model space, with an alert on each
// failure; the entity stays open. The second form closes it afterwards.
Acad::ErrorStatus ovAppendToModelSpace(AcDbEntity* entity);
Acad::ErrorStatus ovAppendToModelSpaceAndClose(AcDbEntity* entity);

// The components' installer offered when a dialog cannot be created.
inline constexpr wchar_t kComponentsDownload[] = L"https://downloads.orvane.example/OVComponents.exe";

// Passes a dialog's result through; for -1 or 3 (the dialog could not be created)
// offers to download the components first.
int ovDialogFailureCheck(int result);

// Calls a function of the host's LISP program: request is the function's name and its
// arguments (released here). Answers what it returned (null when nothing or when the
// call failed); status, when given, receives acedInvoke's status.
ResbufChain ovInvokeHost(resbuf* request, int* status = nullptr);

// Hangs chain after the last buffer of list (a request being built; any of its
// buffers will do, its last is quickest); answers the new last buffer.
resbuf* ovAppendChain(resbuf* list, resbuf* chain);
