#pragma once

#include "core/tstring.h"

// The running program's folder (without a trailing separator) or, with folderOnly false, its file
// name. The separator is the last '/' or '\'.
TString GetModulePath(bool folderOnly);
