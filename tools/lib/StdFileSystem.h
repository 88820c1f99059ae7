// The engine's FileSystem over the C++ standard library, for the tools on any platform.
#pragma once

#include "recorder/Platform.h"

namespace mrv::tools {

class StdFileSystem : public FileSystem {
  public:
    bool Exists(const std::string& path) override;
    std::unique_ptr<InputFile> OpenRead(const std::string& path, std::string& error) override;
    std::unique_ptr<OutputFile> Create(const std::string& path, std::string& error) override;
    bool Remove(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override;
};

}  // namespace mrv::tools
