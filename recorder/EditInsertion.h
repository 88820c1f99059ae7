// The edit command's middle: the annotation editor shown on a paused recording and its picture
// inserted as a held frame.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "recorder/Platform.h"
#include "recorder/Recorder.h"

namespace mrv {

// One annotation editor, created on a copy of the screen and destroyed with this object.
class EditorSession {
  public:
    enum class Result { Ok = 1, Cancel = 2 };
    virtual ~EditorSession() = default;
    // Shows the editor modally. Cancel also for any close other than apply; `error` is set
    // when the editor failed while it was shown.
    virtual Result ShowModal(std::string& error) = 0;
    // The working picture, read after Ok and before destruction.
    virtual ScreenSource& Picture() = 0;
    // Where the picture's corner lies on the virtual screen.
    virtual Point PictureOrigin() { return {}; }
};

class EditorFactory {
  public:
    virtual ~EditorFactory() = default;
    // Null with `error` set when the editor cannot be made.
    virtual std::unique_ptr<EditorSession> Create(std::string& error) = 0;
    // For an area recording: an editor whose picture holds `area`, with the area outlined.
    virtual std::unique_ptr<EditorSession> Create(std::string& error,
                                                  const std::optional<Rect>& area) {
        (void)area;
        return Create(error);
    }
};

// Runs the editor on a recording the caller has paused and, after apply, inserts its picture
// held for `editSleep` taken as one byte. The editor is destroyed before this returns; the error
// (creating, showing or writing) is for the caller's error box. The caller resumes.
ErrorText EditAndInsertFrame(Recorder& recorder, EditorFactory& factory, EditMode mode,
                             int32_t editSleep);

}  // namespace mrv
