// One editor's life: the screen copied, the window made, the form created, shown, destroyed.
#include "editor/win32/EditorSession.h"

#include <new>

#include "common/Texts.h"
#include "editor/FrmEdit.h"
#include "editor/win32/EditorWindowView.h"
#include "editor/win32/GdiPicture.h"
#include "recorder/win32/DpiAwareness.h"

namespace mrv::win {

namespace {

// The primary screen when the area lies on it, as the editor has always covered it; else the
// bounds of the monitors that the area touches.
RECT CoverFor(const Rect& area) {
    const RECT primary{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (area.left >= primary.left && area.top >= primary.top && area.right <= primary.right &&
        area.bottom <= primary.bottom) {
        return primary;
    }
    struct Search {
        RECT area;
        RECT cover;
        bool any;
    } search{{area.left, area.top, area.right, area.bottom}, {}, false};
    ::EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR, HDC, RECT* r, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            RECT common{};
            if (!::IntersectRect(&common, r, &s.area)) return TRUE;
            if (s.any) {
                ::UnionRect(&s.cover, &s.cover, r);
            } else {
                s.cover = *r;
                s.any = true;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.any ? search.cover : primary;
}

class Win32EditorSession final : public EditorSession {
  public:
    explicit Win32EditorSession(HINSTANCE instance) : view_(instance, picture_) {}
    ~Win32EditorSession() override {
        if (form_) form_->FormDestroy();
    }

    bool Create(std::string& error, const std::optional<Rect>& area) {
        // The picture first: it shows the screen as it was, before the editor covers it.
        std::optional<RECT> cover;
        if (area) cover = CoverFor(*area);
        if (!picture_.Create(error, cover) || !view_.Create(error)) return false;
        if (area) {
            const Point o = picture_.origin();
            view_.OutlineArea(
                {area->left - o.x, area->top - o.y, area->right - o.x, area->bottom - o.y});
        }
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
    Point PictureOrigin() override { return picture_.origin(); }

  private:
    GdiPicture picture_;
    EditorWindowView view_;
    std::unique_ptr<editor::TFrmEdit> form_;
};

}  // namespace

std::unique_ptr<EditorSession> Win32EditorFactory::Create(std::string& error) {
    return Create(error, std::nullopt);
}

std::unique_ptr<EditorSession> Win32EditorFactory::Create(std::string& error,
                                                          const std::optional<Rect>& area) {
    // An area recording reads the screen at its real pixels; so does its editor.
    std::optional<ScopedPerMonitorDpi> dpi;
    if (area) dpi.emplace();
    try {
        auto session = std::make_unique<Win32EditorSession>(instance_);
        if (!session->Create(error, area)) return nullptr;
        return session;
    } catch (const std::bad_alloc&) {
        error = text::kEditorOutOfMemory;
        return nullptr;
    }
}

}  // namespace mrv::win
