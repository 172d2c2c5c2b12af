// The host's alert: a message box with the host's title and an OK button, shown
// through the current UI driver.
#pragma once

#include "arx/status.h"

// Answers RTNORM once the box was closed, RTERROR for a null text.
int acedAlert(const ACHAR* text);
