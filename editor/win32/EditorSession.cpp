// One editor's life: the screen copied, the window made, the form created, shown, destroyed.
#include "editor/win32/EditorSession.h"

#include <new>

#include "common/Texts.h"
#include "editor/FrmEdit.h"
#include "editor/win32/EditorWindowView.h"
#include "editor/win32/GdiPicture.h"

namespace mrv::win {

namespace {

class Win32EditorSession final : public EditorSession {
  public:
    explicit Win32EditorSession(HINSTANCE instance) : view_(instance, picture_) {}
    ~Win32EditorSession() override {
        if (form_) form_->FormDestroy();
    }

    bool Create(std::string& error) {
        // The picture first: it shows the screen as it was, before the editor covers it.
        if (!picture_.Create(error) || !view_.Create(error)) return false;
        form_ = std::make_unique<editor::TFrmEdit>(view_, picture_, view_);
        view_.AttachForm(*form_);
        form_->FormCreate();
        return true;
    }

    // Errors inside the editor are shown while it is open; none is left for afterwards.
    Result ShowModal(std::string&) override {
        const editor::EditResult result = view_.ShowModal();
        return result == editor::EditResult::Ok ? Result::Ok : Result::Cancel;
    }

    ScreenSource& Picture() override { return picture_; }

  private:
    GdiPicture picture_;
    EditorWindowView view_;
    std::unique_ptr<editor::TFrmEdit> form_;
};

}  // namespace

std::unique_ptr<EditorSession> Win32EditorFactory::Create(std::string& error) {
    try {
        auto session = std::make_unique<Win32EditorSession>(instance_);
        if (!session->Create(error)) return nullptr;
        return session;
    } catch (const std::bad_alloc&) {
        error = text::kEditorOutOfMemory;
        return nullptr;
    }
}

}  // namespace mrv::win
