// The edit command's middle: create, show, insert on apply, destroy, then report.
#include "recorder/EditInsertion.h"

#include "common/Texts.h"

namespace mrv {

ErrorText EditAndInsertFrame(Recorder& recorder, EditorFactory& factory, EditMode mode,
                             int32_t editSleep) {
    std::string error;
    std::unique_ptr<EditorSession> editor = factory.Create(error, recorder.area());
    if (!editor) return error.empty() ? std::string(text::kEditorFailed) : error;
    ErrorText result;
    const EditorSession::Result shown = editor->ShowModal(error);
    if (!error.empty()) {
        result = error;
    } else if (shown == EditorSession::Result::Ok) {
        const auto hold = static_cast<uint8_t>(editSleep & 0xFF);
        result = recorder.InsertEditedFrame(mode, hold, editor->Picture(), editor->PictureOrigin());
    }
    // The error box comes after the editor has gone.
    editor.reset();
    return result;
}

}  // namespace mrv
