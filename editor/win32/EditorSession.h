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
    // Over the monitors that the area lies on (the primary screen as always when it lies there),
    // with the area outlined.
    std::unique_ptr<EditorSession> Create(std::string& error,
                                          const std::optional<Rect>& area) override;

  private:
    HINSTANCE instance_;
};

}  // namespace mrv::win
