// The main window's editor hook: the edit command's options handed to the insertion.
#pragma once

#include "app/MainWindow.h"
#include "recorder/EditInsertion.h"

namespace mrv::app {

class EditCommand final : public FrameEditor {
  public:
    explicit EditCommand(EditorFactory& factory) : factory_(factory) {}
    ErrorText EditAndInsert(Recorder& recorder, const CaptureSettings& settings) override {
        const EditMode mode = settings.EditMode == 1 ? EditMode::Scan : EditMode::FullScreenCopy;
        return EditAndInsertFrame(recorder, factory_, mode, settings.EditSleep);
    }

  private:
    EditorFactory& factory_;
};

}  // namespace mrv::app
