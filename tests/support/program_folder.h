#pragma once
// The running program seen as the file `name` in `folder` for the life of the object, so what the
// program makes beside itself lands there and not in the build tree.

#include <string>

#include "platform/win32/files.h"

namespace testing_support {

class ProgramInFolder {
  public:
    ProgramInFolder(const std::string& folder, const std::string& name = "sondrix") {
        win32::SetModuleFileName(folder + "/" + name);
    }
    ~ProgramInFolder() { win32::SetModuleFileName(std::string()); }
    ProgramInFolder(const ProgramInFolder&) = delete;
    ProgramInFolder& operator=(const ProgramInFolder&) = delete;
};

} // namespace testing_support
