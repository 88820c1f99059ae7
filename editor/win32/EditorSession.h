// The annotation editor as the edit command creates it: picture, window and form together.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "recorder/EditInsertion.h"

namespace mrv::win {

class Win32EditorFactory final : public EditorFactory {
  public:
    explicit Win32EditorFactory(HINSTANCE instance) : instance_(instance) {}
    std::unique_ptr<EditorSession> Create(std::string& error) override;

  private:
    HINSTANCE instance_;
};

}  // namespace mrv::win
